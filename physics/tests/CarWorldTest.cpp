#include "CarTestSupport.h"

#include <algorithm>

using namespace car_test;

namespace {

bool Lists(const CPCarWorld& world, int column, int row, int triangle)
{
    const std::vector<int32_t>& list = world.GetCell(column, row).triangles;
    return std::find(list.begin(), list.end(), triangle) != list.end();
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
    int column, row;
    world.CellOf(D3DXVECTOR3(-500, 500, 0), column, row);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, world.GetGridRowCount() - 1);
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

class CarWorldStepping : public CarWorldFixture {};

TEST_F(CarWorldStepping, RemovedBodiesAreParkedFiveHundredApartAndRestartBelowTheFloor)
{
    world.SetParkingHeight(-1000.0f);
    BuildRoad(RoadMesh::Plane(20.0f));
    std::vector<RefPtr<CPGameObject>> cars;
    for (int i = 0; i < 10; ++i) {
        cars.push_back(MakeCarObject(CarSpec(), D3DXVECTOR3(0, 0, 5)));
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
    RefPtr<CPGameObject> last = MakeCarObject(CarSpec(), D3DXVECTOR3(0, 0, 5));
    world.AddObject(last, 0, 1);
    world.RemovePhysicData(last->GetPhysicData());
    EXPECT_EQ(world.GetRemovedBodies().back().rigidBody->GetPosition().z, -99800.0f);
    EXPECT_EQ(world.GetParkingHeight(), -1000.0f);
}

TEST_F(CarWorldStepping, ResetClearsTablesListsAndBodyPointers)
{
    BuildRoad(RoadMesh::Plane(20.0f));
    RefPtr<CPGameObject> car = AddCar(CarSpec(), D3DXVECTOR3(0, 0, 2));
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
