#include "CarTestSupport.h"

#include "physics/PhysicsLog.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace car_test;

namespace {

bool Lists(const CPCarWorld& world, int column, int row, int triangle)
{
    const std::vector<int32_t>& list = world.GetCell(column, row).triangles;
    return std::find(list.begin(), list.end(), triangle) != list.end();
}

void AddTriangle(RoadMesh& road, const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c)
{
    for (const D3DXVECTOR3* corner : {&a, &b, &c}) {
        road.indices.push_back(static_cast<uint16_t>(road.vertices.size()));
        road.vertices.push_back(*corner);
    }
}

}  // namespace

TEST(CarWorld, GridCoversTheRoadBoundsAndTheOriginWithAMargin)
{
    CPCarWorld world;
    RoadMesh road;
    road.AddQuad(D3DXVECTOR3(10, 5, 1), D3DXVECTOR3(30, 5, 1), D3DXVECTOR3(30, 13, 2), D3DXVECTOR3(10, 13, 2));
    world.BuildRoadTables(road.vertices, road.indices);
    EXPECT_EQ(world.GetGridOrigin(), D3DXVECTOR3(0, 0, 0)) << "the bounds always hold the origin";
    EXPECT_EQ(world.GetGridColumnCount(), 8 + 10);
    EXPECT_EQ(world.GetGridRowCount(), 4 + 10);
    EXPECT_EQ(world.GetRoadTriangleCount(), 2);
}

TEST(CarWorld, LargeTriangleIsListedInEveryCellItCoversAndNoOther)
{
    CPCarWorld world;
    RoadMesh road;
    road.vertices = {D3DXVECTOR3(-1, -1, 0), D3DXVECTOR3(23, -1, 0), D3DXVECTOR3(-1, 23, 0)};
    road.indices = {0, 1, 2};
    world.BuildRoadTables(road.vertices, road.indices);
    struct Case {
        D3DXVECTOR3 point;
        bool listed;
    };
    const Case cases[] = {
        {D3DXVECTOR3(6, 6, 0), true},     // a cell lying wholly inside
        {D3DXVECTOR3(1, 21, 0), true},    // near the sharp corner
        {D3DXVECTOR3(21, 1, 0), true},
        {D3DXVECTOR3(18, 18, 0), false},  // beyond the long edge
        {D3DXVECTOR3(30, 2, 0), false},
    };
    for (const Case& c : cases) {
        int column, row;
        world.CellOf(c.point, column, row);
        EXPECT_EQ(Lists(world, column, row, 0), c.listed) << c.point.x << "," << c.point.y;
    }
}

TEST(CarWorld, PointsOutsideTheGridMapToTheBorderCells)
{
    CPCarWorld world;
    RoadMesh road = RoadMesh::Plane(20.0f);
    world.BuildRoadTables(road.vertices, road.indices);
    const int lastColumn = world.GetGridColumnCount() - 1, lastRow = world.GetGridRowCount() - 1;
    struct Case {
        D3DXVECTOR3 point;
        int column, row;
    };
    const Case cases[] = {
        {D3DXVECTOR3(-500, 500, 0), 0, lastRow},
        {D3DXVECTOR3(1e10f, -1e10f, 0), lastColumn, 0},  // beyond the integers
        {D3DXVECTOR3(-1e10f, 1e10f, 0), 0, lastRow},
    };
    for (const Case& c : cases) {
        int column, row;
        world.CellOf(c.point, column, row);
        EXPECT_EQ(column, c.column) << c.point.x;
        EXPECT_EQ(row, c.row) << c.point.y;
    }
}

TEST(CarWorld, GroundHeightIsTheNearestRoadVertexOrThePointsOwnZ)
{
    CPCarWorld world;
    EXPECT_EQ(world.GetGroundHeight(D3DXVECTOR3(3, 4, 7)), 7.0f) << "no tables";
    RoadMesh road;
    road.AddQuad(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(8, 0, 2), D3DXVECTOR3(8, 8, 3), D3DXVECTOR3(0, 8, 4));
    world.BuildRoadTables(road.vertices, road.indices);
    EXPECT_EQ(world.GetGroundHeight(D3DXVECTOR3(7, 1, 0)), 2.0f);
    EXPECT_EQ(world.GetGroundHeight(D3DXVECTOR3(1, 7, 0)), 4.0f);
    EXPECT_EQ(world.GetGroundHeight(D3DXVECTOR3(40, 40, 9)), 9.0f) << "an empty cell";
}

TEST(CarWorld, IndicesPastTheVerticesDropTheirTriangle)
{
    CPCarWorld world;
    RoadMesh road;
    road.vertices = {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(4, 0, 0), D3DXVECTOR3(0, 4, 0)};
    road.indices = {0, 1, 2, 0, 1, 3, 2, 1};
    world.BuildRoadTables(road.vertices, road.indices);
    EXPECT_EQ(world.GetRoadTriangleCount(), 1);
}

TEST(CarWorld, SparksShareALimitOfFortyLiveParticlesThatExpire)
{
    CPCarWorld world;
    world.SpawnSparks(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), 35);
    EXPECT_EQ(world.GetLiveParticleCount(), 35);
    world.SpawnSparks(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), 25);
    EXPECT_EQ(world.GetLiveParticleCount(), 40) << "25 asked, 5 made";
}

TEST(CarWorld, AVertexAtNoFinitePlaceDropsItsTrianglesAndStaysOutOfTheBounds)
{
    CPCarWorld world;
    RoadMesh road;
    const float infinity = std::numeric_limits<float>::infinity();
    road.vertices = {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(4, 0, 0), D3DXVECTOR3(0, 4, 0),
                     D3DXVECTOR3(std::nanf(""), 0, 0), D3DXVECTOR3(0, infinity, 0)};
    road.indices = {0, 1, 2, 0, 1, 3, 0, 4, 2};
    world.BuildRoadTables(road.vertices, road.indices);
    EXPECT_EQ(world.GetRoadTriangleCount(), 1);
    EXPECT_EQ(world.GetGridColumnCount(), 1 + 10);
    EXPECT_EQ(world.GetGridRowCount(), 1 + 10);
}

TEST(CarWorld, GridSpansTheKeptTrianglesAndRefusesMoreThan4096CellsASide)
{
    struct Case {
        const char* name;
        D3DXVECTOR3 distant;
        bool used;
        int columns, rows;
        const char* log;
    };
    const Case cases[] = {
        {"a vertex no triangle uses", D3DXVECTOR3(10000, -20000, 0), false, 8 + 10, 4 + 10, ""},
        {"4096 columns", D3DXVECTOR3(16344, 0, 0), true, 4096, 4 + 10, ""},
        {"4097 columns", D3DXVECTOR3(16348, 0, 0), true, 0, 0,
         "Road grid of 4097 x 14 cells refused: more than 4096 a side.\n"},
        {"4097 rows", D3DXVECTOR3(0, -16335, 0), true, 0, 0,
         "Road grid of 18 x 4097 cells refused: more than 4096 a side.\n"},
        {"100 km", D3DXVECTOR3(1e5f, 1e5f, 0), true, 0, 0,
         "Road grid of 25010 x 25010 cells refused: more than 4096 a side.\n"},
    };
    for (const Case& c : cases) {
        CPCarWorld world;
        RoadMesh road;
        road.AddQuad(D3DXVECTOR3(10, 5, 1), D3DXVECTOR3(30, 5, 1), D3DXVECTOR3(30, 13, 2), D3DXVECTOR3(10, 13, 2));
        road.vertices.push_back(c.distant);
        if (c.used) {
            for (uint16_t index : {0, 1, 4}) road.indices.push_back(index);
        }
        ClearPhysicsLog();
        world.BuildRoadTables(road.vertices, road.indices);
        EXPECT_EQ(world.GetGridColumnCount(), c.columns) << c.name;
        EXPECT_EQ(world.GetGridRowCount(), c.rows) << c.name;
        const bool refused = c.columns == 0;
        EXPECT_EQ(world.GetRoadTriangleCount(), refused ? 0 : (c.used ? 3 : 2)) << c.name;
        EXPECT_EQ(world.GetGroundHeight(D3DXVECTOR3(11, 6, 9)), refused ? 9.0f : 1.0f) << c.name;
        const std::string logged = GetPhysicsLog().empty() ? "" : GetPhysicsLog().back();
        EXPECT_EQ(logged, c.log) << c.name;
    }
}

class CarWorldStepping : public CarWorldFixture {};

TEST_F(CarWorldStepping, RemovedBodiesAreParkedFiveHundredApartAndRestartBelowTheFloor)
{
    world.SetParkingHeight(-1000.0f);
    BuildRoad(RoadMesh::Plane(20.0f));
    std::vector<RefPtr<CPGameObject>> cars;
    for (int i = 0; i < 10; ++i) {
        cars.push_back(MakeCarObject(CarSetup(), D3DXVECTOR3(0, 0, 5)));
        world.AddObject(cars.back(), 0, 1);
    }
    for (RefPtr<CPGameObject>& car : cars) {
        CPRigidBody* body = car->GetPhysicData()->GetRigidBody();
        car->GetPhysicData()->RemoveFromWorld();
        EXPECT_EQ(car->GetPhysicData()->GetRigidBody(), nullptr);
        EXPECT_FALSE(body->IsActive());
    }
    EXPECT_EQ(world.GetRemovedBodies().back().rigidBody->GetPosition().z, -1000.0f - 9 * 500.0f);
    EXPECT_EQ(world.GetParkingHeight(), -6000.0f);
    world.SetParkingHeight(-99800.0f);
    cars.front()->GetPhysicData()->RemoveFromWorld();
    EXPECT_EQ(world.GetParkingHeight(), -99800.0f) << "without a body nothing is parked";
    RefPtr<CPGameObject> last = MakeCarObject(CarSetup(), D3DXVECTOR3(0, 0, 5));
    world.AddObject(last, 0, 1);
    world.RemovePhysicData(last->GetPhysicData());
    EXPECT_EQ(world.GetRemovedBodies().back().rigidBody->GetPosition().z, -99800.0f);
    EXPECT_EQ(world.GetParkingHeight(), -1000.0f);
}

TEST_F(CarWorldStepping, ResetClearsTablesListsAndBodyPointers)
{
    BuildRoad(RoadMesh::Plane(20.0f));
    RefPtr<CPGameObject> car = AddCar(CarSetup(), D3DXVECTOR3(0, 0, 2));
    world.Reset();
    EXPECT_EQ(world.GetSimulator(), nullptr);
    EXPECT_EQ(world.GetRoadTriangleCount(), 0);
    EXPECT_TRUE(world.GetCars().empty());
    EXPECT_EQ(car->GetPhysicData()->GetRigidBody(), nullptr);
    EXPECT_EQ(CPCarWorld::s_bodyCount, 0);
}

TEST_F(CarWorldStepping, ControlsWithoutACarOrBodyAreSafe)
{
    CPGameObject bare("bare");
    world.SetCarControls(&bare, 1.0f, 1.0f);
    world.SetCarControls(nullptr, 1.0f, 1.0f);
    world.RemoveCar(&bare);
    RefPtr<CPGameObject> noBody(new CPGameObject("shell"));
    world.CreateCar(noBody, false);
    world.SetCarControls(noBody.Get(), 1.0f, 0.3f);
    EXPECT_EQ(noBody->GetCar()->GetSteering(), 0.3f);
}

TEST_F(CarWorldStepping, ReversingLightsShowWhileRollingBackwardsOnABodyInTheWorld)
{
    struct Case {
        const char* name;
        float backwardSpeed;
        bool resetFirst;
        bool reversing;
    };
    const Case cases[] = {
        {"rolling forwards", -3.0f, false, false},
        {"rolling backwards", 3.0f, false, true},
        {"the body went with the world's reset", 3.0f, true, false},
    };
    for (const Case& c : cases) {
        world.CreateSimulator(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0, 0, 0);
        RefPtr<CPGameObject> car = AddCar(CarSetup(), D3DXVECTOR3(0, 0, 2));
        // The car's back is its local +y.
        BodyOf(*car).SetVelocity(D3DXVECTOR3(0, c.backwardSpeed, 0));
        if (c.resetFirst) world.Reset();
        car->GetCar()->SetControls(-1.0f, 0.0f);
        EXPECT_EQ(car->GetChildByName("backlights2")->IsVisible(), c.reversing) << c.name;
        EXPECT_EQ(car->GetChildByName("backlights")->IsVisible(), !c.reversing) << c.name;
    }
}

TEST_F(CarWorldStepping, TriangleQueryFillsFromTheCellsUnderTheBodyFirst)
{
    // A thousand tiny triangles inside cell (1, 1), beside the body's cell
    // (2, 2), which lists one road triangle.
    RoadMesh road;
    for (int i = 0; i < CPPhysicData::kCandidateCapacity; ++i) {
        const float x = 5.0f + 0.002f * static_cast<float>(i);
        AddTriangle(road, D3DXVECTOR3(x, 5, 0), D3DXVECTOR3(x + 0.001f, 5, 0), D3DXVECTOR3(x, 5.001f, 0));
    }
    AddTriangle(road, D3DXVECTOR3(9, 9, 0), D3DXVECTOR3(11, 9, 0), D3DXVECTOR3(9, 11, 0));
    BuildRoad(road);
    RefPtr<CPGameObject> car = MakeCarObject(CarSetup(), D3DXVECTOR3(10, 10, 5));
    world.AddObject(car, 0, 1);
    const int* candidates = nullptr;
    int count = 0, triangleCount = 0;
    const RoadTriangle* triangles = nullptr;
    const D3DXVECTOR4* vertices = nullptr;
    CPCarWorld::TriangleQuery(D3DXVECTOR3(9.5f, 9.5f, 0), D3DXVECTOR3(10, 10, 1), &candidates, &count, &triangles,
                              &triangleCount, &vertices, &BodyOf(*car));
    ASSERT_EQ(count, 1) << "the cell beside would fill the buffer";
    EXPECT_EQ(candidates[0], CPPhysicData::kCandidateCapacity);
}

TEST_F(CarWorldStepping, ARemovedCarsBodyTouchesNothing)
{
    BuildRoad(RoadMesh::Plane(20.0f));
    // Bodies alone, without wheel rays: only their boxes meet the road.
    RefPtr<CPGameObject> kept = MakeCarObject(CarSetup(), D3DXVECTOR3(-5, 0, 1));
    RefPtr<CPGameObject> removed = MakeCarObject(CarSetup(), D3DXVECTOR3(5, 0, 1));
    for (CPGameObject* car : {kept.Get(), removed.Get()}) {
        world.AddObject(car, 0, 1);
        car->GetPhysicData()->SetupRigidBody();
        world.RegisterCar(car);
    }
    world.RemoveCar(removed.Get());
    RunFrames(60);
    EXPECT_GT(BodyOf(*kept).GetPosition().z, 0.0f) << "held by the road";
    EXPECT_LT(BodyOf(*removed).GetPosition().z, -1.0f) << "fell through it";
    EXPECT_EQ(world.GetCars().size(), 1u);
}

TEST_F(CarWorldStepping, AnEmptyBodyPoolCountsNoBodyAndReachesTheWorldsLog)
{
    ClearPhysicsLog();
    std::vector<RefPtr<CPGameObject>> objects;
    for (int i = 0; i <= 500; ++i) {
        objects.push_back(MakeCarObject(CarSetup(), D3DXVECTOR3(0, 0, static_cast<float>(i))));
        world.AddObject(objects.back(), 0, 1);
    }
    EXPECT_EQ(CPCarWorld::s_bodyCount, 500);
    EXPECT_EQ(objects.back()->GetPhysicData()->GetRigidBody(), nullptr);
    ASSERT_EQ(GetPhysicsLog().size(), 1u);
    EXPECT_EQ(GetPhysicsLog().back(), "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n");
}

TEST_F(CarWorldStepping, AFrameTimeOfNoFiniteNumberStepsNothingAndStopsNothing)
{
    for (float bad : {std::nanf(""), std::numeric_limits<float>::infinity()}) {
        world.CreateSimulator(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0, 0, 0);
        RefPtr<CPGameObject> crate = MakeCarObject(CarSetup(), D3DXVECTOR3(0, 0, 50));
        world.AddObject(crate, 0, 1);
        crate->GetPhysicData()->SetupRigidBody();
        RunFrames(1);
        const float before = BodyOf(*crate).GetPosition().z;
        FrameDeltaTime = bad;
        RunFrames(1);
        EXPECT_EQ(BodyOf(*crate).GetPosition().z, before) << bad;
        FrameDeltaTime = kFrame;
        RunFrames(30);
        EXPECT_LT(BodyOf(*crate).GetPosition().z, before - 0.5f * kGravity * 0.25f) << "still falls after " << bad;
    }
}
