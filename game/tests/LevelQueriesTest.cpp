#include "game/PLevel.h"

#include "core/RayQuery.h"
#include "game/AIManager.h"
#include "game/tests/LevelObjectFixtures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace level_test;

namespace {

const float kPi = 3.14159265f;

std::vector<std::string> NamesOf(const CPGameObject::ObjectList& objects)
{
    std::vector<std::string> names;
    for (const RefPtr<CPGameObject>& object : objects) names.push_back(object->GetName());
    return names;
}

void ExpectPoint(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

// A level whose branch tree holds a wall at (60, 0, 0); every object is a
// box of half extents (1, 2, 3) around a point 0.5 above its origin.
class LevelQueries : public LevelObjectTest {
protected:
    LevelQueries()
    {
        WriteBoxObject("box", 1);
        wall = Box("wall", D3DXVECTOR3(60, 0, 0));
        level.branchTree = new CPLevelBranch();
        level.branchTree->SetObjects({wall});
        level.branchTree->Build();
    }

    RefPtr<CPGameObject> Box(const std::string& name, const D3DXVECTOR3& position)
    {
        return Place("box", name, position);
    }
    void PutPlayerAt(const D3DXVECTOR3& position)
    {
        if (!level.player) level.player = Box("player", position);
        level.player->SetPosition(position.x, position.y, position.z);
        level.player->UpdateTransform();
    }
    // Along +x at height 1, 100 long.
    static RayQuery AlongX() { return MakeRay(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(1, 0, 0), 100.0f); }

    CPLevel level;
    RefPtr<CPGameObject> wall;
};

TEST_F(LevelQueries, RaysFarFromThePlayerTestOnlyTheTree)
{
    level.dynamicObjects.push_back(Box("crate", D3DXVECTOR3(30, 0, 0)));
    level.rayObjects.push_back(Box("post", D3DXVECTOR3(45, 0, 0)));
    const struct {
        D3DXVECTOR3 player;
        const char* hit;
        float distance;
    } cases[] = {
        {D3DXVECTOR3(10, 300, 0), "wall", 59.0f},
        // Just outside the band beside the ray, then on its edge.
        {D3DXVECTOR3(10, 10.01f, 0), "wall", 59.0f},
        {D3DXVECTOR3(10, 10, 0), "crate", 29.0f},
        {D3DXVECTOR3(10, -10, 0), "crate", 29.0f},
    };
    for (const auto& c : cases) {
        PutPlayerAt(c.player);
        RayQuery query = AlongX();
        EXPECT_TRUE(level.CrossRay(query)) << c.player.y;
        ASSERT_TRUE(query.hitObject);
        EXPECT_EQ(query.hitObject->GetName(), c.hit) << c.player.y;
        EXPECT_NEAR(query.distance, c.distance, 1e-4f) << c.player.y;
    }
    level.dynamicObjects.clear();
    RayQuery query = AlongX();
    EXPECT_TRUE(level.CrossRay(query));
    EXPECT_EQ(query.hitObject->GetName(), "post") << "the ray objects are tested too";

    level.player = nullptr;
    query = AlongX();
    EXPECT_TRUE(level.CrossRay(query));
    EXPECT_EQ(query.hitObject->GetName(), "wall") << "without a player only the tree";
}

TEST_F(LevelQueries, PlayerRaysNeverHitThePlayer)
{
    PutPlayerAt(D3DXVECTOR3(20, 0, 0));
    RayQuery query = AlongX();
    EXPECT_TRUE(level.CrossRay(query));
    EXPECT_EQ(query.hitObject.Get(), level.player.Get());
    EXPECT_NEAR(query.distance, 19.0f, 1e-4f);

    query = AlongX();
    EXPECT_TRUE(level.CrossPlayerRay(query));
    EXPECT_EQ(query.hitObject.Get(), wall.Get());
    EXPECT_NEAR(query.distance, 59.0f, 1e-4f);
}

TEST_F(LevelQueries, TheHitPointIsWhereTheRayEnds)
{
    PutPlayerAt(D3DXVECTOR3(0, 300, 0));
    // Enters the wall's -x face at x = 59 after 15 units.
    RayQuery query = MakeRay(D3DXVECTOR3(50, -12, 1.5f), D3DXVECTOR3(0.6f, 0.8f, 0.0f), 40.0f);
    EXPECT_TRUE(level.CrossRay(query));
    ExpectPoint(query.hitPoint, D3DXVECTOR3(59, 0, 1.5f));

    query = MakeRay(D3DXVECTOR3(50, -12, 1.5f), D3DXVECTOR3(0.6f, 0.8f, 0.0f), 10.0f);
    EXPECT_FALSE(level.CrossRay(query));
    ExpectPoint(query.hitPoint, D3DXVECTOR3(56, -4, 1.5f));
    EXPECT_FALSE(query.hitObject);
}

TEST_F(LevelQueries, RacersAreTestedInOrderThenTheFollowedCar)
{
    RefPtr<CPGameObject> first = Box("first", D3DXVECTOR3(40, 0, 0));
    RefPtr<CPGameObject> second = Box("second", D3DXVECTOR3(20, 0, 0));
    RefPtr<CPGameObject> followed = Box("followed", D3DXVECTOR3(10, 0, 0));
    level.opponents = {first, second};
    level.cameraCar = followed.Get();
    RayQuery query = AlongX();
    EXPECT_TRUE(level.CrossRacers(query));
    EXPECT_EQ(query.hitObject.Get(), first.Get()) << "the first car hit in order, not the nearest";
    ExpectPoint(query.hitPoint, D3DXVECTOR3(39, 0, 1));

    level.opponents = {RefPtr<CPGameObject>(Box("aside", D3DXVECTOR3(20, 30, 0)))};
    query = AlongX();
    EXPECT_TRUE(level.CrossRacers(query));
    EXPECT_EQ(query.hitObject.Get(), followed.Get());

    level.cameraCar = nullptr;
    query = AlongX();
    EXPECT_FALSE(level.CrossRacers(query));
}

// Every box's corner (x + 1, y + 2, 3.5) lies 13 from (x + 4, y + 6, 15.5).
D3DXVECTOR3 ThirteenFromCorner(const D3DXVECTOR3& position)
{
    return position + D3DXVECTOR3(4.0f, 6.0f, 15.5f);
}

TEST_F(LevelQueries, SpheresReachTheBoxCornersOfEveryList)
{
    const D3DXVECTOR3 crateAt(30, 0, 0);
    level.dynamicObjects.push_back(Box("crate", crateAt));
    level.rayObjects.push_back(Box("post", D3DXVECTOR3(30, 4, 0)));
    const D3DXVECTOR3 centre = ThirteenFromCorner(crateAt);
    const struct {
        D3DXVECTOR3 player;
        float radius;
        std::vector<std::string> found;
    } cases[] = {
        // The centre lies less than radius + 10 from the player in x and y.
        {D3DXVECTOR3(11.5f, 6, 0), 13.0f, {"crate", "post"}},
        {D3DXVECTOR3(11, 6, 0), 13.0f, {"post"}},
        {D3DXVECTOR3(11.5f, 6, 0), 12.99f, {"post"}},
        {D3DXVECTOR3(34, 6, 9), 13.0f, {"player", "crate", "post"}},
    };
    for (const auto& c : cases) {
        PutPlayerAt(c.player);
        CPGameObject::ObjectList found;
        level.CollectInSphere(centre, c.radius, found);
        EXPECT_EQ(NamesOf(found), c.found) << c.player.x << " " << c.radius;
    }
    CPGameObject::ObjectList found;
    level.CollectInSphere(ThirteenFromCorner(D3DXVECTOR3(60, 0, 0)), 13.0f, found);
    EXPECT_EQ(NamesOf(found), std::vector<std::string>{"wall"});
    level.player = nullptr;
    found.clear();
    level.CollectInSphere(centre, 13.0f, found);
    EXPECT_EQ(NamesOf(found), std::vector<std::string>{"post"}) << "without a player";
}

TEST_F(LevelQueries, TheGridTakesObjectsIntoTheNearestEdgeCellAndIsSearchedAroundThePlayer)
{
    level.width = 300.0f;
    level.depth = 200.0f;
    level.gridColumns = 30;
    level.gridRows = 20;
    level.AddToGrid(Box("lost", D3DXVECTOR3(0, 0, 0)));
    EXPECT_TRUE(level.gridCells.empty()) << "no grid, no entry";
    level.gridCells.resize(600);
    const D3DXVECTOR3 farAway(2000, -2000, 0);
    level.AddToGrid(Box("far away", farAway));
    level.AddToGrid(Box("inside", D3DXVECTOR3(-141, 99, 0)));
    EXPECT_EQ(level.gridCells[29 * 20 + 0].size(), 1u);
    EXPECT_EQ(level.gridCells[0 * 20 + 19].size(), 1u);

    const struct {
        D3DXVECTOR3 player;
        size_t found;
    } cases[] = {{D3DXVECTOR3(136, -91, 0), 1}, {D3DXVECTOR3(124, -91, 0), 0}, {D3DXVECTOR3(136, -79, 0), 0}};
    for (const auto& c : cases) {
        PutPlayerAt(c.player);
        CPGameObject::ObjectList found;
        level.CollectInSphere(ThirteenFromCorner(farAway), 13.0f, found);
        EXPECT_EQ(found.size(), c.found) << c.player.x << "," << c.player.y;
    }
}

TEST(CPLevel, MovingBackwardsIsMoreThanAQuarterTurnFromTheRoute)
{
    const struct {
        float routeHeading;
        bool reversed;
        float heading;
        bool backwards;
    } cases[] = {
        {0.5f, false, 0.5f, false},         {0.5f, false, 0.5f + kPi, true},
        {0.5f, true, 0.5f, true},           {0.5f, true, 0.5f + kPi, false},
        {0.0f, false, 1.57f, false},        {0.0f, false, 1.5701f, true},
        {0.0f, false, 4.713f, false},       {0.0f, false, 4.7129f, true},
        {-1.0f, false, -1.0f, false},       {-1.0f, false, -1.0f - kPi, true},
        {-2.5f, true, 0.6f, false},         {2.0f, false, -2.0f, true},
    };
    for (const auto& c : cases) {
        CPLevel level;
        level.routeHeading = c.routeHeading;
        level.reversed = c.reversed;
        level.heading = c.heading;
        EXPECT_EQ(level.IsPlayerMovingBackwards(), c.backwards)
            << c.routeHeading << " " << c.reversed << " " << c.heading;
    }
}

TEST_F(LevelQueries, PlacedObjectsLoadTheFileAfterTheNumberAndOneSeparator)
{
    WriteBoxObject("barrel", 7);
    WriteBoxObject("b", 8);
    const struct {
        const char* name;
        int type;  // 0: nothing placed
    } cases[] = {{"chk12_barrel", 7}, {"chk_barrel", 7}, {"chk7xbarrel", 7}, {"chk_b", 8},
                 {"chk12", 0},        {"chk1", 0},       {"chk_", 0},        {"chk9_", 0}};
    const D3DXQUATERNION rotation(0.1f, -0.2f, 0.3f, 0.9273618f);
    for (const auto& c : cases) {
        level.placedObjects.clear();
        level.PlaceObject(c.name, D3DXVECTOR3(3, -4, 5), rotation);
        if (!c.type) {
            EXPECT_TRUE(level.placedObjects.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(level.placedObjects.size(), 1u) << c.name;
        CPGameObject& placed = *level.placedObjects.front();
        EXPECT_EQ(MaterialTypeOf(placed), 20 + c.type) << c.name << ": level objects load with offset 20";
        EXPECT_FALSE(placed.GetSharedGeometry());
        EXPECT_EQ(*placed.GetPositionRef(), D3DXVECTOR3(3, -4, 5));
        EXPECT_EQ(*placed.GetRotationRef(), D3DXQUATERNION(-0.1f, 0.2f, -0.3f, 0.9273618f));
        EXPECT_FALSE(placed.IsDirty());
        EXPECT_EQ(placed.GetWorldMatrix()._42, -4.0f);
    }
}

TEST_F(LevelQueries, TransformObjectTreeBakesTheMatrixIntoMeshesChildrenAndLevelsOfDetail)
{
    MeshPartData top = BoxPart("box", BoxCentre(), BoxHalf());
    top.children = {BoxPart("lid", D3DXVECTOR3(0, 0, 4), BoxHalf())};
    FixtureWriter mesh;
    WriteStaticMeshFile(mesh, {top}, false);
    WriteFile("Data\\Meshes\\chest.msh", mesh.GetBytes());
    WriteFile("Data\\Meshes\\chest.rdf", DescriptionWriter("chest.msh").Key("lod", "box.rdf,50").GetText());
    RefPtr<CPGameObject> chest = loader.LoadObject("chest.rdf", 0);
    ASSERT_TRUE(chest && chest->GetLevelsOfDetail().size() == 2u && chest->GetLevelsOfDetail()[1].object);
    CPGameObject& lid = *chest->GetChildByName("lid");
    CPGameObject& distant = *chest->GetLevelsOfDetail()[1].object;

    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 2.0f, 3.0f, 4.0f);
    CPLevel::TransformObjectTree(*chest, scale);
    // Corner 7 of each box: centre + half extents.
    EXPECT_EQ(chest->GetRenderObject()->GetLocalVertices()[7].position, D3DXVECTOR3(2, 6, 14));
    EXPECT_EQ(lid.GetRenderObject()->GetLocalVertices()[7].position, D3DXVECTOR3(2, 6, 28));
    EXPECT_EQ(distant.GetRenderObject()->GetLocalVertices()[7].position, D3DXVECTOR3(2, 6, 14));
}

TEST_F(LevelQueries, DrivingAllCarsMarksTheCarsFromTheSixthOnAndPlacesTheirDrivers)
{
    AIManager drivers;
    AIManager* previous = g_pAIManager;
    g_pAIManager = &drivers;
    drivers.enabled = false;
    drivers.traffic = {RefPtr<AI_Vehicle>(new AI_Vehicle())};
    for (int i = 0; i < 7; ++i) {
        level.opponents.push_back(Box("car" + std::to_string(i), D3DXVECTOR3(10.0f * i, 5, 0)));
        SetObjectTreeFlag(level.opponents.back().Get(), false);
    }
    level.allCarsDriven = false;
    level.DriveAllCars();
    EXPECT_TRUE(level.allCarsDriven);
    EXPECT_FALSE(drivers.enabled) << "no route, no driving";
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(level.opponents[i]->IsMarked(), i >= 5) << i;
        EXPECT_EQ(level.opponents[i]->GetSharedGeometry(), i >= 5) << i;
    }
    EXPECT_EQ(drivers.traffic[0]->position, D3DXVECTOR3(50, 5, 0));
    EXPECT_EQ(drivers.traffic[0]->heldObject.Get(), level.opponents[5].Get());

    level.routeSpline = new CPSpline();
    level.DriveAllCars();
    EXPECT_TRUE(drivers.enabled);
    level.ClearAllCarsDriven();
    EXPECT_FALSE(level.allCarsDriven);
    drivers.Reset();
    g_pAIManager = previous;
}

TEST_F(LevelQueries, FlaggedObjectsAreTheMeshPartsOfTheRootsMarkedObjects)
{
    RefPtr<CPGameObject> marked = Box("marked", D3DXVECTOR3(0, 0, 0));
    RefPtr<CPGameObject> plain = Box("plain", D3DXVECTOR3(20, 0, 0));
    RefPtr<CPGameObject> markedStatic = Box("marked static", D3DXVECTOR3(40, 0, 0));
    SetObjectTreeFlag(markedStatic.Get(), false);
    marked->SetMarked(true);
    markedStatic->SetMarked(true);
    level.branchTree = new CPLevelBranch();
    level.branchTree->SetObjects({marked, plain, markedStatic});
    CPGameObject::ObjectList found;
    level.CollectFlaggedObjects(found);
    EXPECT_EQ(NamesOf(found), (std::vector<std::string>{"marked static", "marked"}));
}

TEST_F(LevelQueries, StopStopsTheTreesObjectsAndLetsTheTreeAndMarkerGoOnceOrTwice)
{
    SetObjectTreeFlag(wall.Get(), false);
    level.branchTree = new CPLevelBranch();
    level.branchTree->SetObjects({wall});
    wall->Start(200);
    level.checkpointMarker = Box("marker", D3DXVECTOR3(0, 0, 0));
    level.Stop();
    EXPECT_FALSE(wall->IsStarted());
    EXPECT_FALSE(level.branchTree);
    EXPECT_FALSE(level.checkpointMarker);
    EXPECT_TRUE(level.shotsBlocked);
    level.Stop();
    EXPECT_FALSE(level.branchTree);

    CPLevel bare;
    bare.Stop();
    RayQuery query = AlongX();
    EXPECT_FALSE(bare.CrossRay(query));
    CPGameObject::ObjectList found;
    bare.CollectInSphere(D3DXVECTOR3(0, 0, 0), 100.0f, found);
    EXPECT_TRUE(found.empty());
}

} // namespace
