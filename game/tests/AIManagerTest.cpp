#include "game/AIManager.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "game/tests/TrackFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace car_test;
using namespace spline_test;
using namespace track_test;

namespace {

RefPtr<CPGameObject> CarWithMass(float mass)
{
    RefPtr<CPGameObject> car(new CPGameObject("car"));
    car->SetPosition(1, 2, 3);
    if (mass > 0.0f) {
        RefPtr<CPPhysicData> data(new CPPhysicData(car.Get()));
        data->SetBodyParams(1, 1, 1, mass);
        car->SetPhysicData(data);
    }
    return car;
}

} // namespace

struct SetupCase {
    const char* name;
    D3DXVECTOR3 direction;
    float speed;
    float mass;
    D3DXVECTOR3 heading;
};

class VehicleSetup : public ::testing::TestWithParam<SetupCase> {};

TEST_P(VehicleSetup, KeepsTheCarsMassAndPositionAGroundHeadingAndTheSpeedsMagnitude)
{
    const SetupCase& c = GetParam();
    RefPtr<CPGameObject> car = CarWithMass(c.mass);
    RefPtr<AI_Vehicle> vehicle(new AI_Vehicle());
    vehicle->Setup(car, c.direction, c.speed, car, 7, 9);
    EXPECT_FLOAT_EQ(vehicle->mass, c.mass);
    EXPECT_EQ(vehicle->position, D3DXVECTOR3(1, 2, 3));
    EXPECT_NEAR(vehicle->heading.x, c.heading.x, 1e-6f);
    EXPECT_NEAR(vehicle->heading.y, c.heading.y, 1e-6f);
    EXPECT_EQ(vehicle->heading.z, 0.0f);
    EXPECT_FLOAT_EQ(vehicle->speed, std::fabs(c.speed));
    EXPECT_EQ(vehicle->heldObject.Get(), car.Get());
    EXPECT_EQ(vehicle->valueA, 7);
    EXPECT_EQ(vehicle->valueB, 9);
}

INSTANTIATE_TEST_SUITE_P(
    AI_Vehicle, VehicleSetup,
    ::testing::Values(SetupCase{"Level", D3DXVECTOR3(3, 4, 0), 5.0f, 40.0f, D3DXVECTOR3(0.6f, 0.8f, 0)},
                      SetupCase{"Climbing", D3DXVECTOR3(0, -2, 7), 2.0f, 40.0f, D3DXVECTOR3(0, -1, 0)},
                      SetupCase{"StraightUp", D3DXVECTOR3(0, 0, 1), 1.0f, 40.0f, D3DXVECTOR3(0, 0, 0)},
                      SetupCase{"Backwards", D3DXVECTOR3(1, 0, 0), -6.0f, 40.0f, D3DXVECTOR3(1, 0, 0)},
                      SetupCase{"NoPhysicsData", D3DXVECTOR3(1, 0, 0), 1.0f, 0.0f, D3DXVECTOR3(1, 0, 0)}),
    [](const ::testing::TestParamInfo<SetupCase>& info) { return info.param.name; });

TEST(AI_Vehicle, TakesTheFeedFlagFromAReversedLevelAndNeverClearsIt)
{
    CPLevel level;
    RefPtr<AI_Vehicle> vehicle(new AI_Vehicle());
    RefPtr<CPGameObject> car = CarWithMass(10.0f);
    vehicle->Setup(car, D3DXVECTOR3(1, 0, 0), 0, car, 0, 0);
    EXPECT_FALSE(vehicle->feedFlag);
    level.reversed = true;
    vehicle->Setup(car, D3DXVECTOR3(1, 0, 0), 0, car, 0, 0);
    EXPECT_TRUE(vehicle->feedFlag);
    level.reversed = false;
    vehicle->Setup(car, D3DXVECTOR3(1, 0, 0), 0, car, 0, 0);
    EXPECT_TRUE(vehicle->feedFlag);
}

TEST(AI_Vehicle, SetPathSlotFillsSlotsUpToTwoAndAlwaysRefreshesTheLevelsSplines)
{
    CPLevel level;
    level.routeSpline = new CPSpline();
    level.leftSpline = new CPSpline();
    level.rightSpline = new CPSpline();
    RefPtr<AI_Vehicle> vehicle(new AI_Vehicle());
    RefPtr<CPSpline> paths[3] = {new CPSpline(), new CPSpline(), new CPSpline()};
    for (int slot = 0; slot < 3; ++slot) vehicle->SetPathSlot(slot, paths[slot]);
    level.routeSpline = new CPSpline();
    vehicle->SetPathSlot(3, new CPSpline());
    for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(vehicle->paths[slot].Get(), paths[slot].Get());
    EXPECT_EQ(vehicle->roadLine, level.routeSpline.Get());
    EXPECT_EQ(vehicle->levelObject1, level.leftSpline.Get());
    EXPECT_EQ(vehicle->levelObject2, level.rightSpline.Get());
}

TEST(AIManager, SetVehiclePathAddressesOpponentsThenTrafficAndIgnoresTheRest)
{
    AIManager manager;
    for (int i = 0; i < AIManager::kOpponentSlots; ++i) manager.opponents.push_back(new AI_Vehicle());
    for (int i = 0; i < 2; ++i) manager.traffic.push_back(new AI_Vehicle());
    const struct {
        int index;
        AI_Vehicle* state;
    } cases[] = {{0, manager.opponents[0].Get()}, {4, manager.opponents[4].Get()},
                 {5, manager.traffic[0].Get()},   {6, manager.traffic[1].Get()},
                 {7, nullptr},                    {-1, nullptr}};
    for (const auto& c : cases) {
        RefPtr<CPSpline> path(new CPSpline());
        manager.SetVehiclePath(c.index, 1, path);
        int holders = 0;
        for (const auto* list : {&manager.opponents, &manager.traffic}) {
            for (const RefPtr<AI_Vehicle>& state : *list) holders += state->paths[1].Get() == path.Get();
        }
        EXPECT_EQ(holders, c.state ? 1 : 0) << c.index;
        if (c.state) {
            EXPECT_EQ(c.state->paths[1].Get(), path.Get()) << c.index;
        }
    }
}

TEST(AIManager, ResetDeletesEveryStateAndEmptiesBothLists)
{
    AIManager manager;
    RefPtr<CPGameObject> car = CarWithMass(10.0f);
    AI_Vehicle* opponent = new AI_Vehicle();
    AI_Vehicle* carrier = new AI_Vehicle();
    opponent->Setup(car, D3DXVECTOR3(1, 0, 0), 0, car, 0, 0);
    carrier->Setup(car, D3DXVECTOR3(1, 0, 0), 0, car, 0, 0);
    manager.opponents.push_back(opponent);
    manager.traffic.push_back(carrier);
    manager.Reset();
    EXPECT_TRUE(manager.opponents.empty());
    EXPECT_TRUE(manager.traffic.empty());
    EXPECT_FALSE(IsLiveObject(opponent));
    EXPECT_FALSE(IsLiveObject(carrier));
}

TEST(AIManager, LoadingASplineAgainMakesItsDriversForgetItsPieces)
{
    AIManager manager;
    AIManager* previous = g_pAIManager;
    g_pAIManager = &manager;
    RefPtr<CPSpline> route = LoadSpline(CirclePath(D3DXVECTOR3(0, 0, 0), 50.0f));
    RefPtr<CPSpline> other = LoadSpline(CirclePath(D3DXVECTOR3(0, 0, 0), 60.0f), "other.bin");
    ASSERT_TRUE(route && other);
    struct Follower {
        RefPtr<CPSpline> path;
        bool forgets;
    };
    const Follower followers[] = {{route, true}, {other, false}};
    for (const Follower& f : followers) {
        RefPtr<AI_Vehicle> vehicle(new AI_Vehicle());
        vehicle->SetPathSlot(0, f.path);
        vehicle->nearestLine = f.path->GetFirstLine()->next;
        manager.traffic.push_back(vehicle);
    }
    SplineWriter writer;
    writer.Spline(StraightPath(40.0f, true));
    CPDataFile* file = nullptr;
    ASSERT_TRUE(writer.Open("again.bin", file));
    EXPECT_TRUE(route->Load(*file));
    delete file;
    for (size_t i = 0; i < manager.traffic.size(); ++i) {
        EXPECT_EQ(manager.traffic[i]->nearestLine == nullptr, followers[i].forgets) << i;
    }
    g_pAIManager = previous;
}

// Computer-driven cars of the car fixture on a ring road of 100 m radius.
class DrivenCars : public CarWorldFixture {
protected:
    // A ring road 12 m wide and its route.
    void UseRing(float radius, int segments)
    {
        track = RingTrack(radius, 6.0f, segments);
        BuildRoad(track.road);
        route = LoadSpline(track.route);
        ASSERT_TRUE(route);
    }

    // A car on the middle of the ring road at the angle, nose along the
    // driving direction: clockwise, or counter-clockwise on a reversed route.
    RefPtr<AI_Vehicle> AddDriver(float angle, bool reversed)
    {
        // Yaw 0 puts the nose along -y, clockwise at angle 0.
        return AddDriverAt(track.PointAt(angle, 1.0f), angle + (reversed ? 3.14159265f : 0), reversed);
    }

    RefPtr<AI_Vehicle> AddDriverAt(const D3DXVECTOR3& position, float yaw, bool reversed)
    {
        return AddDriverOf(AddCar(CarSetup(), position, yaw), reversed);
    }

    RefPtr<AI_Vehicle> AddDriverOf(RefPtr<CPGameObject> car, bool reversed)
    {
        RefPtr<AI_Vehicle> vehicle(new AI_Vehicle());
        vehicle->Setup(car, D3DXVECTOR3(0, 0, 0), 0, car, static_cast<int>(manager.opponents.size()), 0);
        vehicle->feedFlag = reversed;
        vehicle->SetPathSlot(0, route);
        manager.opponents.push_back(vehicle);
        cars.push_back(car);
        return vehicle;
    }

    // Runs frames until every car has gone once round or the frame limit;
    // the angles each car turned through, in car order.
    std::vector<float> DriveLaps(int frameLimit)
    {
        std::vector<AngleTracker> angles;
        for (const RefPtr<CPGameObject>& car : cars) angles.emplace_back(*car->GetPositionRef());
        for (int frame = 0; frame < frameLimit; ++frame) {
            ++FrameNumber;
            manager.Execute();
            world.Execute();
            bool allDone = true;
            for (size_t i = 0; i < cars.size(); ++i) {
                const D3DXVECTOR3& position = *cars[i]->GetPositionRef();
                offRoad = offRoad || !track.IsOnRoad(position);
                angles[i].Follow(position);
                allDone = allDone && std::fabs(angles[i].Total()) >= kTwoPi;
            }
            if (allDone) break;
        }
        std::vector<float> totals;
        for (const AngleTracker& angle : angles) totals.push_back(angle.Total());
        return totals;
    }

    // 1.5 times the frames a lap takes at the cruise speed.
    int LapFrameLimit() const
    {
        const float cruise = AIManager::CruiseSpeed(cars.front()->GetCar()->GetMaxFrontSpeed());
        return static_cast<int>(1.5f * track.Length() / cruise / kFrame);
    }

    Track track;
    RefPtr<CPSpline> route;
    AIManager manager;
    std::vector<RefPtr<CPGameObject>> cars;
    bool offRoad = false;
};

TEST_F(DrivenCars, ACarLapsClockwiseWithinTheTimeAndStaysOnTheRoad)
{
    UseRing(100.0f, 96);
    AddDriver(0.0f, false);
    const std::vector<float> turned = DriveLaps(LapFrameLimit());
    EXPECT_LE(turned[0], -kTwoPi);
    EXPECT_FALSE(offRoad);
}

TEST_F(DrivenCars, OnAReversedRouteACarLapsTheOtherWay)
{
    UseRing(100.0f, 96);
    AddDriver(1.0f, true);
    const std::vector<float> turned = DriveLaps(LapFrameLimit());
    EXPECT_GE(turned[0], kTwoPi);
    EXPECT_FALSE(offRoad);
}

TEST_F(DrivenCars, FourCarsAtOnceAllFinishTheLap)
{
    UseRing(100.0f, 96);
    for (int i = 0; i < 4; ++i) AddDriver(kTwoPi * i / 4, false);
    const std::vector<float> turned = DriveLaps(LapFrameLimit());
    for (float angle : turned) EXPECT_LE(angle, -kTwoPi);
    EXPECT_FALSE(offRoad);
}

TEST_F(DrivenCars, HoldsTheCruiseSpeedOnAStraight)
{
    // A straight road along +x, its route sampled the same way and driven along next.
    RoadMesh straight;
    for (float x = -20.0f; x < 420.0f; x += 10.0f) {
        straight.AddQuad(D3DXVECTOR3(x, -6, 0), D3DXVECTOR3(x + 10, -6, 0), D3DXVECTOR3(x + 10, 6, 0),
                         D3DXVECTOR3(x, 6, 0));
    }
    BuildRoad(straight);
    route = LoadSpline(StraightPath(400.0f, true));
    ASSERT_TRUE(route);
    // Yaw a quarter turn puts the nose along +x.
    AddDriverAt(D3DXVECTOR3(10.0f, 0.0f, 1.0f), 1.5707963f, true);
    const float cruise = AIManager::CruiseSpeed(cars[0]->GetCar()->GetMaxFrontSpeed());
    const int settle = static_cast<int>(4.0f / kFrame);
    const int measure = static_cast<int>(1.0f / kFrame);
    for (int frame = 0; frame < settle + measure; ++frame) {
        ++FrameNumber;
        manager.Execute();
        world.Execute();
        if (frame < settle) continue;
        EXPECT_NEAR(ForwardSpeed(*cars[0]), cruise, 1.0f);
        EXPECT_NEAR(cars[0]->GetPositionRef()->y, 0.0f, 1.0f);
    }
}

TEST_F(DrivenCars, SlowsDownInATightBend)
{
    UseRing(25.0f, 48);
    AddDriver(0.0f, false);
    const float cruise = AIManager::CruiseSpeed(cars[0]->GetCar()->GetMaxFrontSpeed());
    float fastest = 0.0f;
    for (int frame = 0; frame < static_cast<int>(8.0f / kFrame); ++frame) {
        ++FrameNumber;
        manager.Execute();
        world.Execute();
        fastest = std::max(fastest, ForwardSpeed(*cars[0]));
        offRoad = offRoad || !track.IsOnRoad(*cars[0]->GetPositionRef());
    }
    EXPECT_LT(fastest, 0.7f * cruise);
    EXPECT_GT(ForwardSpeed(*cars[0]), 0.3f * cruise);
    EXPECT_FALSE(offRoad);
}

TEST_F(DrivenCars, StatesWithoutACarOrARouteAreLeftAlone)
{
    UseRing(100.0f, 96);
    RefPtr<AI_Vehicle> empty(new AI_Vehicle());
    empty->SetPathSlot(0, route);
    manager.opponents.push_back(empty);
    RefPtr<CPGameObject> bare(new CPGameObject("bare"));
    RefPtr<AI_Vehicle> carless(new AI_Vehicle());
    carless->Setup(bare, D3DXVECTOR3(1, 0, 0), 0, bare, 0, 0);
    carless->SetPathSlot(0, route);
    manager.traffic.push_back(carless);
    RefPtr<AI_Vehicle> pathless = AddDriver(0.0f, false);
    pathless->SetPathSlot(0, RefPtr<CPSpline>());
    manager.Execute();
    EXPECT_EQ(cars[0]->GetCar()->GetDrive(), 0.0f);
}

namespace {

TEST_F(DrivenCars, ARacerTakesTheDriversOutputsAsItsInputsAndALockedOneKeepsItsOwn)
{
    UseRing(100.0f, 96);
    RefPtr<CPPlayer> racer(new CPPlayer());
    MakeCarObject(CarSetup(), track.PointAt(0.0f, 1.0f), 0.0f, RefPtr<CPGameObject>(racer.Get()));
    AddDriverOf(AddCar(RefPtr<CPGameObject>(racer.Get())), false);
    racer->steerInput = 0.5f;
    manager.Execute();
    EXPECT_EQ(racer->throttleInput, 1.0f) << "a car at rest speeds up";
    EXPECT_NE(racer->steerInput, 0.5f);
    EXPECT_EQ(racer->GetCar()->GetDrive(), 0.0f) << "the racer's own step hands the car its inputs";

    racer->SetLocked(true);
    racer->throttleInput = 0.25f;
    manager.Execute();
    EXPECT_EQ(racer->throttleInput, 0.25f);
}

} // namespace
