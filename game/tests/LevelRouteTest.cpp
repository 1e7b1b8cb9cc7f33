#include "game/AIManager.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "game/tests/TrackFixtures.h"

#include <gtest/gtest.h>

using namespace spline_test;

namespace {

RefPtr<CPGameObject> ObjectAt(const D3DXVECTOR3& position)
{
    RefPtr<CPGameObject> object(new CPGameObject("car"));
    object->SetPosition(position.x, position.y, position.z);
    return object;
}

} // namespace

class LevelRoute : public ::testing::Test {
protected:
    void SetUp() override
    {
        level.routeSpline = LoadSpline(CirclePath(D3DXVECTOR3(0, 0, 0), 50.0f));
        ASSERT_TRUE(level.routeSpline);
        first = level.routeSpline->GetFirstLine();
    }

    CPLevel level;
    CPLine* first = nullptr;
};

TEST_F(LevelRoute, RunsAgainstTheSamplingOrderOrWithItWhenReversed)
{
    for (bool reversed : {false, true}) {
        level.reversed = reversed;
        level.BuildRoute();
        ASSERT_EQ(level.route.size(), static_cast<size_t>(level.routeSpline->GetLineCount()));
        CPLine* piece = first;
        for (CPLine* node : level.route) {
            EXPECT_EQ(node, piece);
            piece = reversed ? piece->next : piece->previous;
        }
    }
}

TEST_F(LevelRoute, FindsTheNodesNearestToTheFollowedCarTheStartAndTheFirstFiveOpponents)
{
    level.BuildRoute();
    RefPtr<CPGameObject> followed = ObjectAt(level.route[7]->centre * 1.02f);
    level.cameraCar = followed.Get();
    level.startPoint = level.route[3]->centre;
    for (int i = 0; i < 6; ++i) level.opponents.push_back(ObjectAt(level.route[10 + i]->centre));
    level.racerNodes.assign(CPLevel::kRacerSlots, 77);
    level.lapProgress = 9;

    level.BuildRoute();
    EXPECT_EQ(level.lapProgress, 0);
    EXPECT_EQ(level.lastNode, 7);
    EXPECT_EQ(level.startNode, 3);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(level.racerNodes[i], 10 + i);
    EXPECT_EQ(level.racerNodes[5], 77);
}

// Traffic cars are not raced against: they take no slot.
TEST_F(LevelRoute, GivesSlotsToTheFirstFiveOpponentsThatAreNotTraffic)
{
    level.BuildRoute();
    const uint32_t traffic = CPPlayer::kTraffic;
    const struct {
        uint32_t flags;
        int node;
    } cars[] = {{traffic, 3},  {0, 10}, {CPPlayer::kDarkSide, 11}, {traffic | CPPlayer::kLightSide, 4},
                {CPPlayer::kHumanPlayer, 12}, {0, 13}, {0, 14}, {0, 15}};
    for (const auto& c : cars) {
        CPPlayer* racer = new CPPlayer();
        racer->sideFlags = c.flags;
        const D3DXVECTOR3 at = level.route[static_cast<size_t>(c.node)]->centre;
        racer->SetPosition(at.x, at.y, at.z);
        level.opponents.push_back(racer);
    }
    level.racerNodes.assign(CPLevel::kRacerSlots, 77);

    level.BuildRoute();
    const std::vector<int> slots(level.racerNodes.begin(), level.racerNodes.begin() + 6);
    EXPECT_EQ(slots, (std::vector<int>{10, 11, 12, 13, 14, 77}));
}

TEST(CPLevel, NearestNodeTakesTheLastOfEquallyNearNodesWithinReach)
{
    CPLevel level;
    CPLine pieces[3];
    for (int i = 0; i < 3; ++i) {
        pieces[i].SetPoints(D3DXVECTOR3(10.0f * i - 1, 0, 0), D3DXVECTOR3(10.0f * i + 1, 0, 0));
        level.route.push_back(&pieces[i]);
    }
    const struct {
        D3DXVECTOR3 point;
        int node;
    } cases[] = {
        {D3DXVECTOR3(5, 0, 0), 1},     {D3DXVECTOR3(21, 3, 9), 2},    {D3DXVECTOR3(-316, 0, 0), 0},
        {D3DXVECTOR3(-317, 0, 0), -1}, {D3DXVECTOR3(0, -316.3f, 0), -1},
    };
    for (const auto& c : cases) EXPECT_EQ(level.FindNearestNode(c.point), c.node) << c.point.x << "," << c.point.y;
    level.route.clear();
    EXPECT_EQ(level.FindNearestNode(D3DXVECTOR3(0, 0, 0)), -1);
}

TEST(CPLevel, WithoutARouteSplineTheRouteIsEmpty)
{
    CPLevel level;
    level.BuildRoute();
    EXPECT_TRUE(level.route.empty());
    EXPECT_EQ(level.startNode, -1);
    EXPECT_EQ(level.lastNode, -1);
}

class LevelStop : public car_test::CarWorldFixture {
protected:
    void SetUp() override
    {
        CarWorldFixture::SetUp();
        g_pAIManager = &drivers;
        g_pGameData = &gameData;
    }
    void TearDown() override
    {
        g_pGameData = nullptr;
        g_pAIManager = nullptr;
        CarWorldFixture::TearDown();
    }

    AIManager drivers;
    CPGameData gameData;
};

TEST_F(LevelStop, LetsTheRaceGoAndResetsTheDriversAndTheCarWorld)
{
    CPLevel level;
    level.routeSpline = LoadSpline(CirclePath(D3DXVECTOR3(0, 0, 0), 50.0f));
    level.leftSpline = new CPSpline();
    level.rightSpline = new CPSpline();
    level.BuildRoute();
    level.nearestLine = level.route[0];
    level.raceTimerOn = true;
    level.allCarsDriven = true;
    level.dynamicObjects.push_back(ObjectAt(D3DXVECTOR3(0, 0, 0)));
    RefPtr<CPGameObject> car = AddCar(car_test::CarSetup(), D3DXVECTOR3(0, 0, 1));
    level.opponents.push_back(car);
    level.updateTask = new AIManager();
    level.updateTask->Start();
    level.gridCells.resize(9);
    level.gridCounts.resize(9);
    AI_Vehicle* driver = new AI_Vehicle();
    driver->Setup(car, D3DXVECTOR3(1, 0, 0), 0, car, 0, 0);
    drivers.opponents.push_back(driver);
    drivers.traffic.push_back(new AI_Vehicle());
    gameData.levelStarted = true;

    level.Stop();

    EXPECT_FALSE(level.allCarsDriven);
    EXPECT_TRUE(level.updateTask->IsStopped());
    EXPECT_FALSE(level.routeSpline || level.leftSpline || level.rightSpline);
    EXPECT_EQ(level.nearestLine, nullptr);
    EXPECT_TRUE(level.route.empty() && level.racerNodes.empty() && level.racerProgress.empty());
    EXPECT_FALSE(level.raceTimerOn);
    EXPECT_TRUE(level.dynamicObjects.empty() && level.opponents.empty());
    EXPECT_TRUE(drivers.opponents.empty() && drivers.traffic.empty());
    EXPECT_FALSE(IsLiveObject(driver)) << "the drivers' states are theirs to delete";
    EXPECT_EQ(world.GetSimulator(), nullptr);
    EXPECT_TRUE(world.GetCars().empty());
    EXPECT_EQ(car->GetPhysicData()->GetRigidBody(), nullptr);
    EXPECT_TRUE(level.shotsBlocked);
    EXPECT_TRUE(level.gridCells.empty() && level.gridCounts.empty());
    EXPECT_FALSE(gameData.levelStarted);

    // A stopped level builds its route again with room for every racer.
    level.routeSpline = LoadSpline(CirclePath(D3DXVECTOR3(0, 0, 0), 50.0f));
    level.BuildRoute();
    EXPECT_FALSE(level.route.empty());
    EXPECT_EQ(level.racerNodes.size(), static_cast<size_t>(CPLevel::kRacerSlots));
    EXPECT_EQ(level.racerProgress.size(), static_cast<size_t>(CPLevel::kRacerSlots));
}
