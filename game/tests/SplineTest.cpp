#include "game/tests/SplineFixtures.h"

#include "Render/PRenderObject.h"
#include "physics/PCarWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace spline_test;

namespace {

const float kPi = 3.14159265f;

std::vector<CPLine*> Ring(const CPSpline& spline)
{
    std::vector<CPLine*> ring;
    CPLine* first = spline.GetFirstLine();
    if (!first) return ring;
    CPLine* piece = first;
    do {
        ring.push_back(piece);
        piece = piece->next;
    } while (piece != first && ring.size() <= static_cast<size_t>(spline.GetLineCount()));
    return ring;
}

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

} // namespace

TEST(CPSpline, ReadsTheEndPointSecondAndTheControlPointsAfterIt)
{
    SplineWriter writer;
    writer.Text("left");
    writer.Int(0);
    writer.Int(1);
    for (float value : {1.f, 2.f, 3.f, 40.f, 5.f, 6.f, 7.f, 8.f, 9.f, 10.f, 11.f, 12.f}) writer.Float(value);
    CPDataFile* file = nullptr;
    ASSERT_TRUE(writer.Open("layout.bin", file));
    CPSpline spline;
    EXPECT_TRUE(spline.Load(*file));
    delete file;

    EXPECT_EQ(spline.GetSplineName(), "left");
    EXPECT_FALSE(spline.IsClosed());
    ASSERT_EQ(spline.GetSegments().size(), 1u);
    const CPSpline::Segment& segment = spline.GetSegments()[0];
    ExpectNear(segment.points[0], D3DXVECTOR3(1, 2, 3));
    ExpectNear(segment.points[1], D3DXVECTOR3(7, 8, 9));
    ExpectNear(segment.points[2], D3DXVECTOR3(10, 11, 12));
    ExpectNear(segment.points[3], D3DXVECTOR3(40, 5, 6));
}

TEST(CPSpline, ASecondLoadKeepsNothingOfTheFirst)
{
    RefPtr<CPSpline> spline = LoadSpline(StraightPath(100.0f, true));
    ASSERT_TRUE(spline);
    SplineWriter writer;
    writer.Spline({"c_path", 0, {Straight(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 30, 0))}});
    CPDataFile* file = nullptr;
    ASSERT_TRUE(writer.Open("spline.bin", file));
    EXPECT_TRUE(spline->Load(*file));
    delete file;
    EXPECT_EQ(spline->GetLineCount(), 2);
    ExpectNear(spline->GetBoxMin(), D3DXVECTOR3(0, 0, 0));
    ExpectNear(spline->GetBoxMax(), D3DXVECTOR3(0, 21.0f / 0.9f, 0));
}

TEST(CPSpline, NamesItselfAndReportsItsFixedObjectSize)
{
    RefPtr<CPSpline> spline(new CPSpline());
    EXPECT_EQ(spline->GetObjectSize(), 1172);
    EXPECT_STREQ(spline->GetTypeName(), "CPSpline");
    EXPECT_EQ(spline->GetName(), "CPSpline");
}

TEST(CPSpline, MeasuresASegmentAsTheChordToNineTenths)
{
    RefPtr<CPSpline> spline = LoadSpline({"c_path", 0, {Straight(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0))}});
    ASSERT_TRUE(spline);
    EXPECT_NEAR(spline->GetSegments()[0].length, 9.0f, 1e-4f);
    EXPECT_NEAR(spline->GetTotalLength(), 9.0f, 1e-4f);
}

TEST(CPSpline, EvaluatesAlongTheCurveAndAZeroLengthSegmentAtItsStart)
{
    CPSpline::Segment segment = {{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 3, 0), D3DXVECTOR3(6, 3, 0),
                                  D3DXVECTOR3(6, 0, 0)},
                                 4.0f};
    D3DXVECTOR3 position, direction;
    CPSpline::EvaluateAt(segment, 2.0f, position, direction);
    ExpectNear(position, D3DXVECTOR3(3.0f, 2.25f, 0.0f));
    // x = 18 t^2 - 12 t^3, y = 9 t (1 - t): t = 0.6 gives (3.888, 2.16).
    ExpectNear(direction, D3DXVECTOR3(0.888f, -0.09f, 0.0f));

    const D3DXVECTOR3 start(4, 5, 6);
    CPSpline::Segment empty = {{start, start, start, start}, 0.0f};
    CPSpline::EvaluateAt(empty, 0.0f, position, direction);
    ExpectNear(position, start);
    ExpectNear(direction, D3DXVECTOR3(0, 0, 0));
}

struct PieceCase {
    const char* name;
    float length;
    bool closed;
    int pieces;
};

class PieceCount : public ::testing::TestWithParam<PieceCase> {};

TEST_P(PieceCount, SamplesAPieceEveryStepThatEndsOnThePath)
{
    const PieceCase& c = GetParam();
    RefPtr<CPSpline> spline = LoadSpline(StraightPath(c.length, c.closed));
    ASSERT_TRUE(spline);
    EXPECT_EQ(spline->GetLineCount(), c.pieces);
    EXPECT_EQ(Ring(*spline).size(), static_cast<size_t>(c.pieces));
    EXPECT_EQ(spline->GetPieces().size(), static_cast<size_t>(c.pieces) + 1) << "and the fresh piece made last";
    EXPECT_EQ(spline->GetDrawBlock()->GetIndices().size(), 3u * c.pieces);
}

INSTANTIATE_TEST_SUITE_P(CPSpline, PieceCount,
                         ::testing::Values(PieceCase{"OpenTwentyOne", 21.0f, false, 2},
                                           PieceCase{"OpenTwenty", 20.0f, false, 1},
                                           PieceCase{"OpenShorterThanAPiece", 10.0f, false, 0},
                                           PieceCase{"ClosedShorterThanAPiece", 10.0f, true, 1},
                                           // Far shorter than the rounding step of a piece's length.
                                           PieceCase{"ClosedShorterThanARoundingStep", 1e-7f, true, 1},
                                           PieceCase{"ClosedHundred", 100.0f, true, 10},
                                           PieceCase{"ClosedOneStepPastTen", 105.1f, true, 11}),
                         [](const ::testing::TestParamInfo<PieceCase>& info) { return info.param.name; });

TEST(CPSpline, AClosedPathWrapsTheLastPieceAroundToItsStart)
{
    RefPtr<CPSpline> spline = LoadSpline(StraightPath(100.0f, true));
    ASSERT_TRUE(spline);
    const std::vector<CPLine*> ring = Ring(*spline);
    ASSERT_EQ(ring.size(), 10u);
    D3DXVECTOR3 atFive, direction;
    CPSpline::EvaluateAt(spline->GetSegments()[0], 5.0f, atFive, direction);
    ExpectNear(ring.back()->end, atFive);
    EXPECT_EQ(ring.front()->previous, ring.back());
    EXPECT_EQ(ring.back()->next, ring.front());
    // The fresh piece made after the last one stays outside the ring.
    const CPLine& fresh = *spline->GetPieces().back();
    EXPECT_EQ(fresh.previous, ring.back());
    EXPECT_EQ(fresh.next, nullptr);
    EXPECT_EQ(fresh.start, D3DXVECTOR3(0, 0, 0));
    for (size_t i = 1; i < ring.size(); ++i) EXPECT_EQ(ring[i]->previous, ring[i - 1]);
    ExpectNear(spline->GetBoxMin(), D3DXVECTOR3(0, 0, 0));
    // The farthest sampled point starts the last piece, 94.5 along.
    EXPECT_NEAR(spline->GetBoxMax().x, 94.5f / 0.9f, 1e-3f);
}

TEST(CPSpline, APathThatCompletesNoPieceHasAnEmptyRing)
{
    // Rising straight up: no step moves on the ground.
    RefPtr<CPSpline> spline = LoadSpline({"c_path", 1, {Straight(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 50))}});
    ASSERT_TRUE(spline);
    EXPECT_EQ(spline->GetFirstLine(), nullptr);
    CPLine* remembered = nullptr;
    float radius = 40.0f;
    EXPECT_EQ(spline->FindNearestLine(D3DXVECTOR3(0, 0, 0), radius, 1, remembered), 0.0f);
    EXPECT_EQ(remembered, nullptr);
}

struct HeadingCase {
    D3DXVECTOR3 end;
    float heading;
    // Signed distance of the point (0, 5) from the piece's line.
    float distance;
};

TEST(CPLine, HeadingAndLineEquationFollowTheDirection)
{
    const HeadingCase cases[] = {
        {D3DXVECTOR3(10, 0, 0), kPi, -5.0f},
        {D3DXVECTOR3(0, 10, 0), 1.5f * kPi, 0.0f},
        {D3DXVECTOR3(-10, 0, 0), 0.0f, 5.0f},
        {D3DXVECTOR3(0, -10, 0), 0.5f * kPi, 0.0f},
        {D3DXVECTOR3(-10, -10, 0), 0.25f * kPi, 5.0f * std::sqrt(0.5f)},
    };
    for (const HeadingCase& c : cases) {
        CPLine piece;
        piece.SetPoints(D3DXVECTOR3(0, 0, 0), c.end);
        EXPECT_NEAR(piece.heading, c.heading, 1e-5f) << c.end.x << "," << c.end.y;
        EXPECT_NEAR(piece.DistanceFromLine(D3DXVECTOR3(0, 5, 0)), c.distance, 1e-5f) << c.end.x << "," << c.end.y;
        ExpectNear(piece.centre, c.end * 0.5f);
    }
}

enum class Damage { kNone, kCountPastEnd, kNegativeCount, kCutSegment, kCutName, kInfinitePoint, kNaNPoint, kHuge, kLongest };

class CorruptSpline : public ::testing::TestWithParam<Damage> {};

// Every damaged file is written from a sound two-segment spline; the
// longest path the limit allows still loads.
TEST_P(CorruptSpline, FailsToLoadAndKeepsNoRing)
{
    SplineShape shape = StraightPath(30.0f, true);
    shape.segments.push_back(Straight(D3DXVECTOR3(33.3f, 0, 0), D3DXVECTOR3(0, 0, 0)));
    const size_t header = 4 + shape.name.size() + 4;
    SplineWriter writer;
    switch (GetParam()) {
    case Damage::kInfinitePoint: shape.segments[1].control1.x = std::numeric_limits<float>::infinity(); break;
    case Damage::kNaNPoint: shape.segments[0].end.y = std::numeric_limits<float>::quiet_NaN(); break;
    // About 207 km and 199 km of path: just past and just within the limit.
    case Damage::kHuge: shape.segments[1] = Straight(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(2.3e5f, 0, 0)); break;
    case Damage::kLongest: shape.segments[1] = Straight(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(2.21e5f, 0, 0)); break;
    default: break;
    }
    writer.Spline(shape);
    const int32_t count = GetParam() == Damage::kCountPastEnd ? 3 : -1;
    switch (GetParam()) {
    case Damage::kCountPastEnd:
    case Damage::kNegativeCount: std::memcpy(&writer.bytes[header], &count, sizeof(count)); break;
    case Damage::kCutSegment: writer.Truncate(writer.bytes.size() - 1); break;
    case Damage::kCutName: writer.Truncate(5); break;
    default: break;
    }
    CPDataFile* file = nullptr;
    ASSERT_TRUE(writer.Open("corrupt.bin", file));
    CPSpline spline;
    const bool sound = GetParam() == Damage::kNone || GetParam() == Damage::kLongest;
    EXPECT_EQ(spline.Load(*file), sound);
    delete file;
    if (sound) {
        EXPECT_GT(spline.GetLineCount(), 0);
        return;
    }
    EXPECT_TRUE(spline.GetSegments().empty());
    EXPECT_EQ(spline.GetFirstLine(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(CPSpline, CorruptSpline,
                         ::testing::Values(Damage::kNone, Damage::kCountPastEnd, Damage::kNegativeCount,
                                           Damage::kCutSegment, Damage::kCutName, Damage::kInfinitePoint,
                                           Damage::kNaNPoint, Damage::kHuge, Damage::kLongest));

class NearestLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        spline = LoadSpline(CirclePath(D3DXVECTOR3(0, 0, 0), 50.0f));
        ASSERT_TRUE(spline);
        ring = Ring(*spline);
    }

    RefPtr<CPSpline> spline;
    std::vector<CPLine*> ring;
};

TEST_F(NearestLine, FindsThePieceWhoseCentreIsNearestFromAFarRememberedOne)
{
    CPLine* target = ring[ring.size() / 2 + 3];
    CPLine* remembered = ring[0];
    const D3DXVECTOR3 point = target->centre * 0.95f;
    float radius = 20.0f;
    const float heading = spline->FindNearestLine(point, radius, 1, remembered);
    EXPECT_EQ(remembered, target);
    EXPECT_EQ(spline->GetLastFoundLine(), target);
    EXPECT_FLOAT_EQ(heading, target->previous->heading);
    EXPECT_FLOAT_EQ(radius, target->previous->DistanceFromLine(point));
    // The ring runs counter-clockwise: a point inside the circle lies on the left of every piece.
    EXPECT_LT(radius, 0.0f);
}

TEST_F(NearestLine, WithNothingNearKeepsTheRememberedPiece)
{
    CPLine* remembered = ring[4];
    float radius = 5.0f;
    const float heading = spline->FindNearestLine(D3DXVECTOR3(500, 500, 0), radius, 0, remembered);
    EXPECT_EQ(remembered, ring[4]);
    EXPECT_FLOAT_EQ(heading, ring[4]->heading);
}

TEST_F(NearestLine, ANullRememberedPieceSearchesFromTheFirst)
{
    CPLine* remembered = nullptr;
    float radius = 20.0f;
    spline->FindNearestLine(ring[2]->centre, radius, 0, remembered);
    EXPECT_EQ(remembered, ring[2]);
}

TEST(CPSpline, DropsEveryPieceOntoTheRoadBelow)
{
    CPCarWorld world;
    CPCarWorld* previous = g_pCarWorld;
    g_pCarWorld = &world;
    const float height = 3.0f;
    std::vector<D3DXVECTOR3> vertices;
    for (float x = -10.0f; x <= 120.0f; x += 2.0f) {
        vertices.push_back(D3DXVECTOR3(x, -5, height));
        vertices.push_back(D3DXVECTOR3(x, 5, height));
    }
    std::vector<uint16_t> indices;
    for (size_t i = 0; i + 3 < vertices.size(); i += 2) {
        for (uint16_t k : {0, 1, 2, 1, 3, 2}) indices.push_back(static_cast<uint16_t>(i + k));
    }
    world.BuildRoadTables(vertices, indices);
    RefPtr<CPSpline> spline = LoadSpline(StraightPath(100.0f, true));
    ASSERT_TRUE(spline);
    spline->DropToGround();
    for (CPLine* piece : Ring(*spline)) {
        EXPECT_FLOAT_EQ(piece->start.z, height);
        EXPECT_FLOAT_EQ(piece->end.z, height);
        EXPECT_FLOAT_EQ(piece->centre.z, height);
    }
    g_pCarWorld = previous;
}
