#include "script/tests/ScriptTest.h"

#include "game/PLevel.h"
#include "game/PLine.h"
#include "game/tests/SplineFixtures.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A level whose route is a closed straight path of 40 units along +x: a
// ring of four pieces starting at x = 0, 11.67, 23.33 and 35 (a point at
// distance d along the path lies at d / 0.9), the first three heading pi
// and the last, back to the start, heading 0.
class RouteFunctions : public ScriptTest {
protected:
    RouteFunctions() : level(new CPLevel())
    {
        level->routeSpline = spline_test::LoadSpline(spline_test::StraightPath(40.0f, true));
        level->heading = 0.75f;
    }

    CPLine* Piece(int index) const
    {
        CPLine* piece = level->routeSpline->GetFirstLine();
        for (int i = 0; i < index; ++i) piece = piece->next;
        return piece;
    }

    static void ExpectNumbers(const std::vector<float>& actual, const std::vector<float>& expected,
                              const std::string& what)
    {
        ASSERT_EQ(actual.size(), expected.size()) << what;
        for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-4f) << what << " " << i;
    }

    std::unique_ptr<CPLevel> level;
};

TEST_F(RouteFunctions, TheRingHasFourPiecesAlongX)
{
    ASSERT_EQ(level->routeSpline->GetLineCount(), 4);
    EXPECT_NEAR(Piece(1)->start.x, 11.666667f, 1e-4f);
    EXPECT_EQ(Piece(4), Piece(0));
}

// Index 0 and below give the first piece; indexes count round the ring,
// so a huge one walks at most one round.
TEST_F(RouteFunctions, LinePointsStepAlongTheRingFromTheFirstPiece)
{
    struct Case {
        const char* index;
        float x;
    };
    const Case cases[] = {{"0", 0.0f},  {"-3", 0.0f}, {"1", 11.666667f}, {"3.9", 35.0f},
                          {"4", 0.0f},  {"6", 23.333334f}, {"2^31", 35.0f}};
    for (const Case& c : cases) {
        ExpectNumbers(Numbers(std::string("return GetSplineLinePoint(") + c.index + ")"), {c.x, 0.0f, 0.0f},
                      c.index);
    }
    EXPECT_EQ(Numbers("return GetSplineLineCount()"), std::vector<float>(1, 1.0f));
}

// Walking 2^31 links one by one takes seconds; counting round the ring
// takes no time worth measuring.
TEST_F(RouteFunctions, AHugeLineIndexWalksAtMostOneRound)
{
    const double kLongestCall = 0.2;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ExpectNumbers(Numbers("return GetSplineLinePoint(2^31 - 2)"), {23.333334f, 0.0f, 0.0f}, "2^31 - 2");
    QueryPerformanceCounter(&end);
    EXPECT_LT(static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
              kLongestCall);
}

// From the piece found, a positive offset steps back along the ring, a
// negative one forward. The heading is that of the piece whose centre is
// nearest the start found, a quarter turn less: pi for the pieces along +x,
// 0 at x = 23.33, where the piece back to the start has its centre.
TEST_F(RouteFunctions, ClosestLineCentreFindsThePieceStartingWithin20AndStepsByTheOffset)
{
    const float alongX = 3.1415927f - 1.5707964f;
    const float backToStart = -1.5707964f;
    struct Case {
        const char* arguments;
        float x;
        float angle;
    };
    const Case cases[] = {{"12, 1, 99, 0", 11.666667f, alongX},      {"12, 1, 99, 1", 0.0f, alongX},
                          {"12, 1, 99, -1", 23.333334f, backToStart}, {"12, 1, 99, 5", 0.0f, alongX},
                          {"12, 1, 99, -2^31", 11.666667f, alongX},   {"50, 5, 0, 0", 35.0f, alongX}};
    for (const Case& c : cases) {
        ExpectNumbers(Numbers(std::string("return GetClosestLineCenter(") + c.arguments + ")"),
                      {c.x, 0.0f, 0.5f, c.angle}, c.arguments);
    }
    EXPECT_TRUE(Results("return GetClosestLineCenter(-50, 0, 0, 0)").empty()) << "farther than 20 from every start";
}

// The walk starts after the first piece, but a point near the first piece
// alone still finds it; 20 units away is too far.
TEST_F(RouteFunctions, ClosestLineCentreFindsAPointNearOnlyTheFirstPiece)
{
    const std::vector<float> first = {0.0f, 0.0f, 0.5f, 1.5707963f};
    ExpectNumbers(Numbers("return GetClosestLineCenter(-15, 0, 0, 0)"), first, "behind the first piece");
    ExpectNumbers(Numbers("return GetClosestLineCenter(0, 19.99, 0, 0)"), first, "beside the first piece");
    EXPECT_TRUE(Results("return GetClosestLineCenter(0, 20, 0, 0)").empty()) << "exactly 20 away";
}

TEST_F(RouteFunctions, PlayerSplineAngleGivesTheHeadingAndTheRouteHeadingAtTheFollowedCar)
{
    CPGameObject car("car");
    car.SetPosition(30.0f, 2.0f, 0.0f);
    ExpectNumbers(Numbers("return GetPlayerSplineAngle()"), {0.75f, 0.0f}, "no followed car");
    level->cameraCar = &car;
    ExpectNumbers(Numbers("return GetPlayerSplineAngle()"), {0.75f, 3.1415927f}, "on the route");
    EXPECT_EQ(level->scriptRouteLine, Piece(2)) << "the level keeps the piece nearest the car";
    car.SetPosition(1.0f, 0.0f, 0.0f);
    ExpectNumbers(Numbers("return GetPlayerSplineAngle(true)"), {0.75f, 0.0f}, "restarted, one piece back");
    EXPECT_EQ(level->scriptRouteLine, Piece(0));
    // Far from the route the search finds nothing and keeps where it began.
    level->scriptRouteLine = Piece(2);
    car.SetPosition(1000.0f, 1000.0f, 0.0f);
    Results("GetPlayerSplineAngle(1)");
    EXPECT_EQ(level->scriptRouteLine, Piece(2)) << "only true restarts";
    Results("GetPlayerSplineAngle(true)");
    EXPECT_EQ(level->scriptRouteLine, Piece(0));
    level->Stop();
    EXPECT_EQ(level->scriptRouteLine, nullptr) << "the route went";
    ExpectNumbers(Numbers("return GetPlayerSplineAngle()"), {0.75f, 0.0f}, "no route");
    level.reset();
    ExpectNumbers(Numbers("return GetPlayerSplineAngle()"), {0.0f, 0.0f}, "no level");
    ExpectNumbers(Numbers("return GetSplineLinePoint(1)"), {0.0f, 0.0f, 0.0f}, "no level");
}

} // namespace
