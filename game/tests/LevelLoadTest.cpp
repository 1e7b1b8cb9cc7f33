#include "game/tests/LevelLoadFixture.h"

#include "Render/PAnimatedObject.h"
#include "Render/PIVBlock.h"
#include "Render/PIVertexBuffer.h"
#include "Render/PMaterial.h"
#include "Render/PRenderQueue.h"
#include "Render/tests/MeshFixtures.h"
#include "core/FrameClock.h"
#include "Render/PRenderObject.h"
#include "core/ShadowMatrix.h"
#include "game/LevelClock.h"
#include "game/PLevelBranch.h"
#include "game/PLine.h"
#include "game/tests/SplineFixtures.h"
#include "physics/PPhysicData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace {

TEST_F(LevelLoad, LevelOneLoadsItsRecordsIntoTheLevel)
{
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    EXPECT_EQ(level.levelNumber, 1);
    EXPECT_EQ(level.width, 3000.0f);
    EXPECT_EQ(level.gridColumns, 300);
    EXPECT_EQ(level.gridCells.size(), 90000u);
    EXPECT_EQ(skies.made, std::vector<std::string>{"skyscape1.txt"});
    ASSERT_EQ(level.checkpoints.size(), 2u);
    EXPECT_EQ(level.checkpoints[0].timeAllowance, 30.0f);
    EXPECT_EQ(level.checkpoints[1].timeAllowance, 45.5f);
    EXPECT_EQ(level.checkpoints[1].checkpoint->GetName(), "checkpoint_a");
    EXPECT_EQ(level.nitroZones.size(), 1u);
    ASSERT_EQ(level.sourcePoints.count("tank"), 1u);
    EXPECT_EQ(level.sourcePoints["tank"], D3DXVECTOR3(40.0f, 50.0f, 0.0f));
    ASSERT_EQ(level.placedObjects.size(), 1u);
    EXPECT_EQ(level.placedObjects.front()->GetName(), "barrel");
    // checkpoints, nitro zone, two bonus objects and the house
    EXPECT_EQ(level.levelObjects.size(), 6u);
    EXPECT_EQ(level.opponentModels, (std::vector<std::string>{"tvr1", "tvr2", "tvr3"}));
    ASSERT_EQ(level.opponents.size(), 3u);
    ASSERT_TRUE(level.routeSpline && level.leftSpline && level.rightSpline);
    EXPECT_EQ(level.routeSpline->GetSplineName(), "c_path");
    EXPECT_EQ(level.leftSpline->GetSplineName(), "left");
    EXPECT_EQ(level.rightSpline->GetSplineName(), "right");
    EXPECT_TRUE(Log().empty()) << Errors(level);
}

TEST_F(LevelLoad, LightAmbientAndShadowMatrixAreTheLevelsOwn)
{
    const D3DXMATRIX saved = g_shadowMatrix;
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    EXPECT_EQ(level.light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(level.light.Range, 10000.0f);
    EXPECT_EQ(D3DXVECTOR3(level.light.Direction), D3DXVECTOR3(0.0f, 0.0f, -1.0f));
    EXPECT_EQ(level.light.Diffuse.r, 0.99609375f);
    EXPECT_EQ(level.light.Specular.b, 0.99609375f);
    EXPECT_EQ(level.light.Diffuse.a, 0.0f);
    EXPECT_EQ(level.light.Ambient.r, 0.0f);
    EXPECT_EQ(level.ambientColour, 0xFF7F7F7Fu);
    EXPECT_EQ(render.GetAmbient(), 0xFF7F7F7Fu);
    EXPECT_EQ(render.GetAmbientColour(), D3DXCOLOR(0.5f, 0.5f, 0.5f, 1.0f));
    // A point 2 above the ground falls straight down onto z = 0.5.
    D3DXVECTOR3 shadow;
    const D3DXVECTOR3 point(3.0f, -4.0f, 2.0f);
    D3DXVec3TransformCoord(&shadow, &point, &g_shadowMatrix);
    EXPECT_NEAR(shadow.x, 3.0f, 1e-5f);
    EXPECT_NEAR(shadow.y, -4.0f, 1e-5f);
    EXPECT_NEAR(shadow.z, 0.5f, 1e-5f);
    g_shadowMatrix = saved;
}

// Each row loads a small level of its own records; the player's record
// comes first in every one, so the level always has a car.
TEST_F(LevelLoad, RecordNamesDecideWhatTheyYield)
{
    struct Case {
        const char* what;
        std::vector<LevelObjectRecord> records;
        bool single;
        bool time;
        std::function<void(CPLevel&)> check;
    };
    const D3DXVECTOR3 here(10.0f, 20.0f, 0.0f);
    const Case cases[] = {
        {"a later player record replaces an earlier one; digits are stripped",
         {LevelObjectRecord("player7", D3DXVECTOR3(1, 2, 3)), LevelObjectRecord("player", D3DXVECTOR3(4, 5, 6))},
         false, false, [](CPLevel& level) { EXPECT_EQ(level.playerStartPosition, D3DXVECTOR3(4, 5, 6)); }},
        {"enemy1, enemy12 and enemy each add an opponent; this level's have no cars and are left out",
         {LevelObjectRecord("enemy1", here), LevelObjectRecord("enemy12", here), LevelObjectRecord("enemy", here)},
         false, false,
         [](CPLevel& level) {
             EXPECT_EQ(level.opponentStarts.size(), 3u);
             EXPECT_TRUE(level.opponentModels.empty());
             EXPECT_TRUE(level.opponents.empty());
             EXPECT_EQ(Log().size(), 3u);
         }},
        {"in time mode opponents are ignored", {LevelObjectRecord("enemy1", here)}, false, true,
         [](CPLevel& level) {
             EXPECT_TRUE(level.opponents.empty());
             EXPECT_TRUE(level.opponentModels.empty());
         }},
        {"a checkpoint with an allowance", {LevelObjectRecord("checkpoint2,30", here)}, false, false,
         [](CPLevel& level) {
             ASSERT_EQ(level.checkpoints.size(), 1u);
             EXPECT_EQ(level.checkpoints[0].timeAllowance, 30.0f);
             EXPECT_EQ(level.checkpoints[0].checkpoint->GetName(), "checkpoint");
         }},
        {"a checkpoint without a second piece gives 0", {LevelObjectRecord("checkpoint_a", here)}, false, false,
         [](CPLevel& level) {
             ASSERT_EQ(level.checkpoints.size(), 1u);
             EXPECT_EQ(level.checkpoints[0].timeAllowance, 0.0f);
         }},
        {"single mode skips checkpoints entirely", {LevelObjectRecord("checkpoint2,30", here)}, true, false,
         [](CPLevel& level) {
             EXPECT_TRUE(level.checkpoints.empty());
             EXPECT_TRUE(level.levelObjects.empty());
         }},
        {"source points keep the key after src_", {LevelObjectRecord("src_tank2", here), LevelObjectRecord("src1", here)},
         false, false,
         [&here](CPLevel& level) {
             EXPECT_EQ(level.sourcePoints.size(), 2u);
             EXPECT_EQ(level.sourcePoints["tank"], here);
             EXPECT_EQ(level.sourcePoints[""], here);
         }},
        {"start posts make no object",
         {LevelObjectRecord("stolb_start_left", D3DXVECTOR3(1, 8, 0)),
          LevelObjectRecord("stolb_start_right3", D3DXVECTOR3(5, 2, 0))},
         false, false,
         [](CPLevel& level) {
             EXPECT_TRUE(level.levelObjects.empty());
             EXPECT_EQ(level.startLineDirection, D3DXVECTOR3(-4, 6, 0));
             EXPECT_EQ(level.startPoint, D3DXVECTOR3(3, 5, 0));
         }},
        {"numbered objects name their description after the number and one separator",
         {LevelObjectRecord("chk12_barrel", here), LevelObjectRecord("chk_barrel", here)}, false, false,
         [](CPLevel& level) {
             ASSERT_EQ(level.placedObjects.size(), 2u);
             EXPECT_EQ(level.placedObjects.back()->GetName(), "barrel");
             EXPECT_TRUE(level.levelObjects.empty());
         }},
        {"arrow_blue is a nitro zone", {LevelObjectRecord("arrow_blue4", here)}, false, false,
         [](CPLevel& level) {
             EXPECT_EQ(level.nitroZones.size(), 1u);
             EXPECT_EQ(level.levelObjects.size(), 1u);
         }},
    };
    for (const Case& c : cases) {
        LevelFileContent content;
        content.objects.push_back(LevelObjectRecord("player", D3DXVECTOR3(10, 10, 0)));
        content.objects.insert(content.objects.end(), c.records.begin(), c.records.end());
        CPLevel& level = LoadContent("records", content, c.single, c.time);
        ASSERT_TRUE(loaded) << c.what;
        SCOPED_TRACE(c.what);
        c.check(level);
    }
}

TEST_F(LevelLoad, LevelNumbersComeOnlyFromTheExactNames)
{
    const struct {
        const char* name;
        int number;
    } cases[] = {{"level1", 1}, {"level10", 10}, {"Level1", 0}, {"level11", 0}, {"level0", 0}};
    for (const auto& c : cases) {
        CPLevel& level = LoadContent(c.name, PlayerOnly());
        ASSERT_TRUE(loaded) << c.name;
        EXPECT_EQ(level.levelNumber, c.number) << c.name;
    }
}

TEST_F(LevelLoad, TheLastSplineOfANameIsTheOneKept)
{
    LevelFileContent content = PlayerOnly();
    content.splines = {CirclePath(D3DXVECTOR3(0, 0, 0), 50.0f), CirclePath(D3DXVECTOR3(0, 0, 0), 80.0f),
                       CirclePath(D3DXVECTOR3(0, 0, 0), 60.0f)};
    content.splines[2].name = "other";
    CPLevel& level = LoadContent("splines", content);
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_TRUE(level.routeSpline);
    EXPECT_EQ(level.routeSpline->GetTotalLength(),
              spline_test::LoadSpline(CirclePath(D3DXVECTOR3(0, 0, 0), 80.0f))->GetTotalLength());
    EXPECT_FALSE(level.leftSpline);
}

// Scene objects take the conjugate of the stored rotation; cars keep it and
// start 2 above their record.
TEST_F(LevelLoad, PlacesSceneObjectsAndCarsEachTheirOwnWay)
{
    D3DXQUATERNION turned;
    const D3DXVECTOR3 axis(0.48f, -0.6f, 0.64f);
    D3DXQuaternionRotationAxis(&turned, &axis, 0.9f);
    LevelFileContent content;
    content.objects = {LevelObjectRecord("player", D3DXVECTOR3(5, 6, 7), turned),
                       LevelObjectRecord("enemy1", D3DXVECTOR3(-5, 6, 1), turned),
                       LevelObjectRecord("house", D3DXVECTOR3(30, -40, 2), turned, D3DXVECTOR3(2, 3, 0.5f))};
    CPLevel& level = LoadContent("level1", content);
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_EQ(level.levelObjects.size(), 1u);
    CPGameObject& house = *level.levelObjects.front();
    EXPECT_EQ(*house.GetPositionRef(), D3DXVECTOR3(30, -40, 2));
    EXPECT_EQ(*house.GetRotationRef(), D3DXQUATERNION(-turned.x, -turned.y, -turned.z, turned.w));
    EXPECT_TRUE(house.GetSharedGeometry());
    EXPECT_TRUE(house.GetCollision());
    EXPECT_FALSE(house.GetShadowFlag());
    EXPECT_TRUE(house.IsStarted());
    ASSERT_EQ(level.opponents.size(), 1u);
    EXPECT_EQ(*level.opponents[0]->GetPositionRef(), D3DXVECTOR3(-5, 6, 3));
    EXPECT_EQ(*level.opponents[0]->GetRotationRef(), turned);
    EXPECT_EQ(*level.player->GetPositionRef(), D3DXVECTOR3(5, 6, 9));
    EXPECT_EQ(*level.player->GetRotationRef(), turned);
    EXPECT_TRUE(level.player->IsStarted());
}

// The house's mesh is a box of half extents (4, 5, 3) standing on z = 0.
TEST_F(LevelLoad, ScaleIsBakedIntoMeshesOnlyWithoutPhysics)
{
    LevelFileContent content = PlayerOnly();
    content.objects.push_back(LevelObjectRecord("house", D3DXVECTOR3(0, 0, 0), D3DXQUATERNION(0, 0, 0, 1),
                                                D3DXVECTOR3(2, 3, 0.5f)));
    content.objects.push_back(LevelObjectRecord("zil_130_", D3DXVECTOR3(50, 0, 0), D3DXQUATERNION(0, 0, 0, 1),
                                                D3DXVECTOR3(2, 3, 0.5f)));
    CPLevel& level = LoadContent("scaled", content);
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_EQ(level.levelObjects.size(), 2u);
    auto highest = [](CPGameObject& object) {
        D3DXVECTOR3 top(-1e9f, -1e9f, -1e9f);
        for (const Vertex48& vertex : object.GetRenderObject()->GetLocalVertices()) {
            D3DXVec3Maximize(&top, &top, &vertex.position);
        }
        return top;
    };
    EXPECT_EQ(highest(*level.levelObjects.front()), D3DXVECTOR3(8.0f, 15.0f, 3.0f));
    CPGameObject& car = *level.levelObjects.back();
    ASSERT_TRUE(car.GetPhysicData());
    EXPECT_EQ(highest(car), D3DXVECTOR3(1.0f, 2.0f, 0.6f));
}

TEST_F(LevelLoad, TheGroundIsOneQuadOverTheWholeLevel)
{
    WriteFile("Data\\Effects\\terrain2.fx", "effect technique main");
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_TRUE(level.planeObject);
    CPRenderObject* ground = level.planeObject->GetRenderObject();
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(ground->GetIndices(), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    const std::vector<Vertex48>& vertices = ground->GetLocalVertices();
    ASSERT_EQ(vertices.size(), 4u);
    const float expected[4][6] = {{-1500, -1500, 0, 0, 0, 0},
                                  {1500, -1500, 1, 0, 600, 0},
                                  {1500, 1500, 1, 1, 600, 600},
                                  {-1500, 1500, 0, 1, 0, 600}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(vertices[i].position, D3DXVECTOR3(expected[i][0], expected[i][1], -0.6f)) << i;
        EXPECT_EQ(vertices[i].tex0, D3DXVECTOR2(expected[i][2], expected[i][3])) << i;
        EXPECT_EQ(vertices[i].tex1, D3DXVECTOR2(expected[i][4], expected[i][5])) << i;
        EXPECT_EQ(vertices[i].normal, D3DXVECTOR3(0, 0, 1)) << i;
        EXPECT_EQ(vertices[i].diffuse, 0xFFFFFFFFu) << i;
        EXPECT_EQ(vertices[i].specular, 0u) << i;
    }
    EXPECT_FALSE(level.planeObject->GetPhysicData());
    EXPECT_TRUE(level.planeObject->GetSharedGeometry());
    // Drawn from these vertices, not from the device buffers of the file's
    // own small patch.
    EXPECT_FALSE(ground->IsStatic());
    EXPECT_EQ(ground->GetStaticBuffers(), nullptr);
    EXPECT_EQ(ground->GetWorldVertices().size(), 4u);
    RefPtr<CPMaterial> material;
    ground->GetMaterial(material);
    ASSERT_TRUE(material);
    EXPECT_EQ(material->GetType(), 17);
    EXPECT_EQ(material->GetEffect()->GetName(), "terrain2.fx");
    ASSERT_EQ(material->GetTextureBlock()->GetTextureCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const CPTexture& texture = *material->GetTextureBlock()->GetTexture(i);
        EXPECT_EQ(texture.GetName(), i == 0 ? "level1\\color.dds" : "level1\\detail1.dds");
        EXPECT_EQ(texture.GetWidth(), 4) << "the demo level's own image";
    }

    g_plane = 0.0f;
    CPLevel& flat = Load("level1");
    ASSERT_TRUE(loaded) << Errors(flat);
    EXPECT_FALSE(flat.planeObject);
}

TEST_F(LevelLoad, RoadPhysicsFillsTheCarWorldsRoadTables)
{
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_TRUE(level.roadPhysics);
    EXPECT_EQ(world.GetRoadTriangleCount(), 128);
    EXPECT_NE(world.GetSimulator(), nullptr);
    // The road lies at 0 under the route, whatever height the splines had.
    EXPECT_NEAR(world.GetGroundHeight(D3DXVECTOR3(100.0f, 0.0f, 7.0f)), 0.0f, 1e-5f);
    CPLine* first = level.routeSpline->GetFirstLine();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->start.z, 0.0f);
    EXPECT_EQ(first->centre.z, 0.0f);
    EXPECT_EQ(level.nearestLine, first);
}

TEST_F(LevelLoad, ALevelLoadedAgainKeepsItsRoadTables)
{
    Load("level1");
    CPLevel& again = Load("level1");
    ASSERT_TRUE(loaded) << Errors(again);
    EXPECT_EQ(world.GetRoadTriangleCount(), 128);
}

TEST_F(LevelLoad, CameraPresetsComeFromTheCarDescriptions)
{
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    const CameraPreset& first = level.cameraPresets[0];
    EXPECT_EQ(first.distance, 8.5f);
    EXPECT_EQ(first.height, 2.5f);
    EXPECT_EQ(first.angleDivisor, 3.0f);
    EXPECT_EQ(first.distanceDivisor, 4.0f);
    EXPECT_EQ(first.blur, 0.25f);
    const CameraPreset& second = level.cameraPresets[1];
    EXPECT_EQ(second.distance, 12.0f) << "the player's camera2 comes after the opponents' camera";
    EXPECT_EQ(second.angleDivisor, 5.0f);
    EXPECT_EQ(second.blur, 0.5f);
    EXPECT_EQ(level.cameraPresets[2].distance, 1.5f);
    EXPECT_EQ(level.cameraPresets[2].height, 1.25f);
    EXPECT_EQ(level.cameraPresets[2].blur, 0.75f);
    EXPECT_EQ(level.cameraPresets[2].angleDivisor, 0.0f);
    EXPECT_EQ(level.camera1Angle, 12.0f);
    EXPECT_EQ(level.camera2Angle, 20.0f);
    EXPECT_EQ(level.fov1, 55.0f);
    EXPECT_EQ(level.fov2, 65.0f);
    EXPECT_NEAR(level.camera->GetAngle(), 20.0f * 0.017453292f, 1e-6f) << "camera2's angle is the last one";
    EXPECT_EQ(level.cameraMode, 0);
    EXPECT_EQ(level.cameraDistance, 8.5f);
    EXPECT_EQ(level.camera->GetTargetDistance(), 8.5f);
    for (const RefPtr<CPGameObject>& opponent : level.opponents) {
        const CPPlayer& racer = static_cast<CPPlayer&>(*opponent);
        EXPECT_EQ(racer.cameraMin, 2) << "truncated";
        EXPECT_EQ(racer.cameraMax, 40);
    }
}

TEST_F(LevelLoad, OpponentsOnlySetTheSecondPresetWithoutAPlayersCamera2)
{
    // The demo car of this row has the opponents' description.
    WriteFile("Data\\Meshes\\plain.rdf", "mesh=level1_car.p3d\r\ndescription=tvr1.xml\r\n");
    data.carKey = "plain";
    LevelFileContent content = PlayerOnly();
    content.objects.push_back(LevelObjectRecord("enemy", D3DXVECTOR3(0, 0, 0)));
    CPLevel& level = LoadContent("level1", content);
    ASSERT_TRUE(loaded) << Errors(level);
    EXPECT_EQ(level.cameraPresets[1].distance, 9.0f);
    EXPECT_EQ(level.cameraPresets[1].height, 3.0f);
    EXPECT_EQ(level.camera2Angle, 18.0f);
    EXPECT_EQ(level.cameraPresets[0].distance, 9.0f) << "the player's own camera element";
    EXPECT_EQ(level.cameraPresets[0].angleDivisor, 0.0f) << "absent attributes leave the value";
    EXPECT_EQ(level.camera1Angle, 18.0f);
    EXPECT_NEAR(level.camera->GetAngle(), 18.0f * 0.017453292f, 1e-6f);
    EXPECT_EQ(level.fov1, 50.0f);
}

TEST_F(LevelLoad, DemoModeDrivesThePlayersEnemyCarAsTheLastOpponent)
{
    g_rolling = 1;
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    EXPECT_TRUE(level.demoMode);
    ASSERT_EQ(level.opponents.size(), 4u);
    EXPECT_EQ(level.opponents.back().Get(), level.player.Get());
    EXPECT_EQ(level.opponentModels.back(), "zil_130_");
    EXPECT_EQ(level.ghostCarModel, "zil_130_");
}

TEST_F(LevelLoad, ThePlayerIsTheFollowedCarFacingItsHeading)
{
    data.playerType = 9;
    D3DXQUATERNION turned;
    D3DXQuaternionRotationYawPitchRoll(&turned, 0.0f, 0.0f, 2.5f);
    LevelFileContent content;
    content.objects = {LevelObjectRecord("player", D3DXVECTOR3(0, 0, 0), turned)};
    CPLevel& level = LoadContent("heading", content);
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_TRUE(level.player);
    EXPECT_EQ(level.cameraCar, level.player.Get());
    CPPlayer& racer = static_cast<CPPlayer&>(*level.player);
    EXPECT_EQ(racer.sideFlags, 9u);
    EXPECT_EQ(racer.carModel, "zil_130_");
    EXPECT_FALSE(racer.routeAware) << "no route spline";
    // Turned 2.5 about z, the nose (-y) points at 2.5 - pi/2 from +x.
    EXPECT_NEAR(level.camera->GetHeading(), 2.5f - 1.5707963f, 1e-5f);
    EXPECT_TRUE(racer.GetCar());
    EXPECT_TRUE(racer.GetCar()->HasSounds());
    EXPECT_TRUE(racer.shadow);
    EXPECT_FALSE(racer.GetRenderObject()->IsStatic());
}

TEST_F(LevelLoad, OpponentsAreNamedAfterTheLevelAndGetDriverPaths)
{
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_EQ(drivers.opponents.size(), 5u);
    for (size_t i = 0; i < level.opponents.size(); ++i) {
        CPPlayer& racer = static_cast<CPPlayer&>(*level.opponents[i]);
        EXPECT_EQ(racer.carModel, "tvr" + std::to_string(i + 1));
        EXPECT_TRUE(racer.GetCar());
        EXPECT_FALSE(racer.GetCar()->HasSounds());
        EXPECT_EQ(drivers.opponents[i]->paths[0].Get(), level.routeSpline.Get());
        EXPECT_EQ(drivers.opponents[i]->paths[1].Get(), level.rightSpline.Get());
        EXPECT_EQ(drivers.opponents[i]->paths[2].Get(), level.leftSpline.Get());
    }
    EXPECT_FALSE(drivers.opponents[3]->paths[0]);
    CPPlayer& player = static_cast<CPPlayer&>(*level.player);
    EXPECT_TRUE(player.routeAware);
    EXPECT_EQ(player.routeLine, level.routeSpline->GetFirstLine());
}

TEST_F(LevelLoad, TheLevelIsTheCamerasSubjectAndTheCarWorldsRaceState)
{
    CPLevel* level = &Load("level1");
    ASSERT_TRUE(loaded) << Errors(*level);
    CPCamera* camera = level->camera.Get();
    EXPECT_EQ(camera->GetSubject(), level);
    EXPECT_EQ(world.GetRaceState(), level);
    EXPECT_EQ(level->GetPlayerObject(), level->player.Get());
    EXPECT_FALSE(level->IsLevelStarted());
    data.levelStarted = true;
    EXPECT_TRUE(level->IsLevelStarted());
    EXPECT_EQ(camera->GetTrackedTree(), level->branchTree.Get());
    ASSERT_TRUE(level->branchTree);
    EXPECT_EQ(level->branchTree->GetObjects().size(), 6u);
    Unload();
    EXPECT_FALSE(IsLiveObject(camera)) << "the level's camera goes with it";
    EXPECT_EQ(world.GetRaceState(), nullptr);
}

TEST_F(LevelLoad, WithQuadlevelsTheQuadtreeHoldsTheScene)
{
    g_quadlevels = 2;
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    EXPECT_TRUE(level.quadTree);
    EXPECT_FALSE(level.branchTree);
    EXPECT_EQ(level.camera->GetTrackedTree(), nullptr);
}

TEST_F(LevelLoad, TrafficStatesFollowTheCountWithinBounds)
{
    const struct {
        int count;
        size_t states;
        bool enabled;
        bool logged;
    } cases[] = {{0, 0, false, false}, {3, 3, true, false}, {-4, 0, false, false}, {1000000, 100, true, true}};
    for (const auto& c : cases) {
        data.trafficCount = c.count;
        drivers.enabled = true;
        CPLevel& level = Load("level1");
        ASSERT_TRUE(loaded) << c.count << Errors(level);
        EXPECT_EQ(drivers.opponents.size(), 5u) << c.count;
        EXPECT_EQ(drivers.traffic.size(), c.states) << c.count;
        EXPECT_EQ(drivers.enabled, c.enabled) << c.count;
        EXPECT_EQ(!Log().empty(), c.logged) << c.count;
    }
}

TEST_F(LevelLoad, TimeModeLoadsTheBestRunsCarOnlyForLevelsOneToTen)
{
    data.bestTimes[0].carModel = "zil_130";
    EXPECT_FALSE(Load("level1").ghostCar) << "not in time mode";
    CPLevel& level = Load("level1", false, true);
    ASSERT_TRUE(loaded) << Errors(level);
    EXPECT_TRUE(level.ghostCar);
    EXPECT_TRUE(level.opponents.empty());
    CPLevel& other = LoadContent("Level1", PlayerOnly(), false, true);
    ASSERT_TRUE(loaded) << Errors(other);
    EXPECT_FALSE(other.ghostCar);
}

// A best run's model that leads outside the game's folders loads no ghost,
// though a description lies where the name leads.
TEST_F(LevelLoad, TimeModeLoadsNoGhostCarFromOutsideTheGamesFolders)
{
    ASSERT_TRUE(CopyFileA("Data\\Meshes\\zil_130_.rdf", "outside_.rdf", FALSE));
    data.bestTimes[0].carModel = "..\\..\\outside";
    CPLevel& level = Load("level1", false, true);
    DeleteFileA("outside_.rdf");
    ASSERT_TRUE(loaded) << Errors(level);
    EXPECT_FALSE(level.ghostCar);
    ASSERT_EQ(Log().size(), 1u) << Errors(level);
    EXPECT_NE(Log()[0].find("..\\..\\outside_.rdf"), std::string::npos) << Log()[0];
}

TEST_F(LevelLoad, AMissingPlayerCarFailsTheLoad)
{
    data.carKey = "nocar";
    CPLevel& level = Load("level1");
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(level.player);
    EXPECT_EQ(level.cameraCar, nullptr);
    ASSERT_FALSE(Log().empty());
    EXPECT_NE(Log().back().find("nocar.rdf"), std::string::npos);
}

TEST_F(LevelLoad, AMissingFileRunsOnlyTheStepsThatNeedNoPlayer)
{
    data.roundsRecorded = 3;
    data.roundTimes[2] = 12.0f;
    render.SetMotionBlur(0.4f);
    render.SetBlurBlend(100);
    CPLevel& level = Load("level99");
    EXPECT_FALSE(loaded);
    EXPECT_EQ(data.roundsRecorded, 1);
    EXPECT_EQ(data.roundTimes[2], 0.0f);
    EXPECT_FALSE(render.IsMotionBlurOn());
    EXPECT_EQ(render.GetBlurBlend(), 255);
    EXPECT_FALSE(level.camera);
    EXPECT_TRUE(level.levelObjects.empty());
    EXPECT_EQ(level.width, 10.0f);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0], "Data\\Levels\\level99.lvl: the file does not open");
}

// "outside.rdf" lies in the test's folder, two above "Data\Meshes"; the
// barrel copied into a sub-folder of "Data\Meshes" is the game's own.
TEST_F(LevelLoad, RecordsNamingFilesOutsideTheGamesFoldersAreLeftOutAndLogged)
{
    ASSERT_TRUE(CopyFileA("Data\\Meshes\\barrel.rdf", "outside.rdf", FALSE));
    CreateDirectoryA("Data\\Meshes\\props", nullptr);
    ASSERT_TRUE(CopyFileA("Data\\Meshes\\barrel.rdf", "Data\\Meshes\\props\\barrel.rdf", FALSE));
    const char* const outside[] = {"..\\..\\outside", "checkpoint\\..\\..\\..\\outside,30", "chk2_..\\..\\outside",
                                   "chk3_\\outside", "C:outside"};
    LevelFileContent content = PlayerOnly();
    for (const char* name : outside) content.objects.push_back(LevelObjectRecord(name, D3DXVECTOR3(10, 20, 0)));
    content.objects.push_back(LevelObjectRecord("props\\barrel", D3DXVECTOR3(10, 20, 0)));
    CPLevel& level = LoadContent("records", content);
    DeleteFileA("outside.rdf");
    DeleteFileA("Data\\Meshes\\props\\barrel.rdf");
    RemoveDirectoryA("Data\\Meshes\\props");

    ASSERT_TRUE(loaded);
    ASSERT_EQ(level.levelObjects.size(), 1u) << "the barrel of the sub-folder";
    EXPECT_EQ(level.levelObjects.front()->GetName(), "barrel");
    EXPECT_TRUE(level.placedObjects.empty());
    EXPECT_TRUE(level.checkpoints.empty());
    ASSERT_EQ(Log().size(), 5u) << Errors(level);
    for (size_t i = 0; i < Log().size(); ++i) {
        EXPECT_EQ(Log()[i], "Data\\Levels\\records.lvl: object record \"" + std::string(outside[i]) +
                                "\" names a file outside the game's folders; left out");
    }
}

// 1e39, -1e39 and 3.5e38 are beyond a float and read as infinities; 3.4e38
// is not.
TEST_F(LevelLoad, CheckpointAllowancesThatAreNotFiniteNumbersOfZeroOrMoreAreLeftOutAndLogged)
{
    const char* const refused[] = {"checkpoint1,1e39", "checkpoint2,-0.5", "checkpoint3,-1e39",
                                   "checkpoint_a4,3.5e38", "checkpoint5,-0.001"};
    const D3DXVECTOR3 here(12.0f, -7.0f, 0.5f);
    LevelFileContent content = PlayerOnly();
    for (const char* name : refused) content.objects.push_back(LevelObjectRecord(name, here));
    for (const char* name : {"checkpoint6,3.4e38", "checkpoint7,0", "checkpoint8,-0"}) {
        content.objects.push_back(LevelObjectRecord(name, here));
    }
    CPLevel& level = LoadContent("records", content);

    ASSERT_TRUE(loaded);
    ASSERT_EQ(level.checkpoints.size(), 3u);
    EXPECT_EQ(level.checkpoints[0].timeAllowance, 3.4e38f);
    EXPECT_EQ(level.checkpoints[1].timeAllowance, 0.0f);
    EXPECT_EQ(level.checkpoints[2].timeAllowance, 0.0f);
    EXPECT_EQ(level.levelObjects.size(), 3u);
    ASSERT_EQ(Log().size(), 5u) << Errors(level);
    for (size_t i = 0; i < Log().size(); ++i) {
        EXPECT_EQ(Log()[i], "Data\\Levels\\records.lvl: object record \"" + std::string(refused[i]) +
                                "\" gives an allowance that is not a finite number of 0 or more; left out");
    }
}

// Files cut or patched from the level writer's output.
TEST_F(LevelLoad, ADamagedFileBuildsNothing)
{
    struct Case {
        const char* field;
        std::function<void(LevelFileWriter&)> damage;
    };
    auto patch = [](LevelFileWriter& writer, size_t at, int32_t value) {
        std::memcpy(&writer.bytes[at], &value, sizeof(value));
    };
    auto left = [](LevelFileWriter& writer, size_t at) { return writer.bytes.size() - at - 4; };
    const Case cases[] = {
        {"header", [](LevelFileWriter& w) { w.Truncate(15); }},
        {"light count", [&](LevelFileWriter& w) { patch(w, w.lightCountAt, -1); }},
        {"light records",
         [&](LevelFileWriter& w) {
             patch(w, w.lightCountAt, static_cast<int32_t>((left(w, w.lightCountAt) - 52) / 28 + 2));
         }},
        {"object count", [&](LevelFileWriter& w) { patch(w, w.objectCountAt, -1); }},
        {"object count",
         [&](LevelFileWriter& w) {
             patch(w, w.objectCountAt, static_cast<int32_t>(left(w, w.objectCountAt) / 44 + 1));
         }},
        {"object record 3", [&](LevelFileWriter& w) { patch(w, w.objectsAt[3], 1 << 20); }},
        {"object record 13", [](LevelFileWriter& w) { w.Truncate(w.splineCountAt - 1); }},
        {"spline count",
         [&](LevelFileWriter& w) {
             patch(w, w.splineCountAt, static_cast<int32_t>(left(w, w.splineCountAt) / 12 + 1));
         }},
        {"spline 2", [](LevelFileWriter& w) { w.Truncate(w.bytes.size() - 1); }},
        {"spline 0", [&](LevelFileWriter& w) { patch(w, w.splineCountAt + 4, 1 << 20); }},
    };
    for (const Case& c : cases) {
        LevelFileWriter writer;
        writer.Level(LevelOneContent());
        c.damage(writer);
        ASSERT_TRUE(writer.Save("Data\\Levels\\damaged.lvl"));
        const size_t tasksBefore = tasks.GetTasks().size();
        CPLevel& level = Load("damaged");
        EXPECT_FALSE(loaded) << c.field;
        ASSERT_EQ(Log().size(), 1u) << c.field;
        EXPECT_EQ(Log()[0].find("Data\\Levels\\damaged.lvl: " + std::string(c.field)), 0u)
            << Log()[0];
        EXPECT_FALSE(level.camera) << c.field;
        EXPECT_FALSE(level.player) << c.field;
        EXPECT_TRUE(level.levelObjects.empty()) << c.field;
        EXPECT_TRUE(level.placedObjects.empty()) << c.field;
        EXPECT_TRUE(level.opponents.empty()) << c.field;
        EXPECT_TRUE(level.sourcePoints.empty()) << c.field;
        EXPECT_FALSE(level.routeSpline) << c.field;
        EXPECT_EQ(tasks.GetTasks().size(), tasksBefore) << c.field;
        EXPECT_EQ(world.GetSimulator(), nullptr) << c.field;
    }
}

TEST_F(LevelLoad, AnimatedObjectsStartIdlingAtARandomPointAndSpeed)
{
    MeshPartData body;
    body.name = "flag";
    body.frames.assign(2, FrameData{{MorphVertex(0, 0, 0), MorphVertex(2, 4, 6)}, {0, 1, 0}});
    FixtureWriter mesh;
    WriteAnimationMeshFile(mesh, body, false);
    WriteFile("Data\\Meshes\\flag.msh", mesh.GetBytes());
    WriteFile("Data\\Meshes\\flag.rdf", DescriptionWriter("anim;idle,flag.msh").GetText());
    const LevelClockFunction previous = SetLevelClock([]() -> DWORD { return 4242; });
    FullTime = 100.0;
    LevelFileContent content = PlayerOnly();
    content.objects.push_back(LevelObjectRecord("flag", D3DXVECTOR3(1, 2, 3)));
    CPLevel& level = LoadContent("idle", content);
    SetLevelClock(previous);
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_EQ(level.levelObjects.size(), 1u);
    CPGameObject& flag = *level.levelObjects.front();
    ASSERT_EQ(flag.GetKind(), CPGameObject::kKindAnimated);
    const CPAnimatedObject& animated = *static_cast<CPAnimatedObject*>(flag.GetComponent());
    srand(4242);
    const float start = rand() / 32767.0f;
    const float speed = 0.8f + 0.4f * (rand() / 32767.0f);
    EXPECT_EQ(animated.GetCurrentName(), "idle");
    EXPECT_NEAR(animated.GetStartTime(), 100.0f + start, 1e-4f);
    EXPECT_FLOAT_EQ(animated.GetSpeed(), speed);
}

TEST_F(LevelLoad, SomeCarModelsHideTheirLightsAndHalos)
{
    MeshPartData body;
    body.name = "body";
    body.placement = {0, 0, 0, 0, 0, 0, 1};
    body.mass = 40.0f;
    body.bodySizes = {1, 2, 4};
    body.shapes = {ShapeData{CPPhysicData::kBoxShape, 2.0f, 0.6f, 4.0f, {0, 0, 0}, {0, 0, 0, 1}, 0.0f, 40.0f}};
    for (const char* name : {"light", "halo", "halo_blend"}) {
        MeshPartData child;
        child.name = name;
        child.placement = {0, 0, 0, 0, 0, 0, 1};
        body.children.push_back(child);
    }
    FixtureWriter mesh;
    WriteStaticMeshFile(mesh, {body}, true);
    WriteFile("Data\\Meshes\\lit.p3d", mesh.GetBytes());
    const struct {
        const char* model;
        const char* hidden;
    } cases[] = {{"uaz", "light"}, {"volswagen_toureg", "halo halo_blend"}, {"gaz", ""}};
    for (const auto& c : cases) {
        WriteFile("Data\\Meshes\\" + std::string(c.model) + ".rdf", DescriptionWriter("lit.p3d").GetText());
        data.carKey = c.model;
        CPLevel& level = LoadContent("lights", PlayerOnly());
        ASSERT_TRUE(loaded) << c.model << Errors(level);
        std::string hidden;
        for (const char* name : {"light", "halo", "halo_blend"}) {
            RefPtr<CPGameObject> child = level.player->FindChild(name);
            ASSERT_TRUE(child) << name;
            if (!child->IsVisible()) hidden += (hidden.empty() ? "" : " ") + std::string(name);
        }
        EXPECT_EQ(hidden, c.hidden) << c.model;
    }
}

TEST_F(LevelLoad, RacersDrawTheirShadowWithTheCarsShadowTexture)
{
    WriteFile("Data\\Effects\\shadow.fx", "effect technique main");
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    for (const RefPtr<CPGameObject>& racer : {level.player, level.opponents[2]}) {
        const CPPlayer& player = static_cast<CPPlayer&>(*racer);
        ASSERT_TRUE(player.shadow);
        RefPtr<CPMaterial> material;
        player.shadow->GetRenderObject()->GetMaterial(material);
        ASSERT_TRUE(material);
        EXPECT_EQ(material->GetEffect()->GetName(), "shadow.fx");
        ASSERT_EQ(material->GetTextureBlock()->GetTextureCount(), 1);
        EXPECT_EQ(material->GetTextureBlock()->GetTexture(0)->GetName(), "car_shadow.tga");
    }
}

TEST_F(LevelLoad, TheStaticBatchIsOpenedAroundTheTreeBuildOnlyWhenAskedFor)
{
    CPIVertexBuffer batch(render.GetDevice(), 2, 1000, 1000, false);
    CPRenderQueue queue(&batch);
    render.SetRenderQueue(&queue);
    for (int setting : {0, 1}) {
        g_static = setting;
        const int before = batch.GetCurrent();
        CPLevel& level = Load("level1");
        ASSERT_TRUE(loaded) << Errors(level);
        EXPECT_FALSE(batch.IsLocked());
        EXPECT_EQ(batch.GetCurrent(), (before + setting) % 2) << setting;
    }
    render.SetRenderQueue(nullptr);
}

// The level's scene description holds its road: a frame queues its
// drawable, with the road's image, at the origin unturned.
TEST_F(LevelLoad, EachFrameQueuesTheLevelsSceneAtTheOrigin)
{
    CPIVertexBuffer batch(render.GetDevice(), 2, 1000, 1000, false);
    CPRenderQueue queue(&batch);
    render.SetRenderQueue(&queue);
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    ASSERT_TRUE(level.levelScene);
    CPRenderObject* road = level.levelScene->GetRenderObject();
    ASSERT_NE(road, nullptr);
    RefPtr<CPMaterial> material;
    road->GetMaterial(material);
    ASSERT_TRUE(material);
    EXPECT_EQ(material->GetTextureBlock()->GetTexture(0)->GetName(), "level1_road.tga");
    EXPECT_EQ(*level.levelScene->GetPositionRef(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_TRUE(level.levelScene->IsVisible());

    level.Update();
    CPIVBlock* block = queue.GetFrameBlock(material.Get());
    ASSERT_NE(block, nullptr);
    const std::vector<RefPtr<IPDrawable>>& drawables = block->GetDrawables();
    const auto isRoad = [road](const RefPtr<IPDrawable>& drawable) { return drawable.Get() == road; };
    EXPECT_EQ(std::count_if(drawables.begin(), drawables.end(), isRoad), 1);
    render.SetRenderQueue(nullptr);
}

// Whether the object's drawable is in this frame's block of its material.
bool IsQueued(const CPRenderQueue& queue, CPGameObject& object)
{
    CPRenderObject* drawable = object.GetRenderObject();
    RefPtr<CPMaterial> material;
    if (drawable) drawable->GetMaterial(material);
    CPIVBlock* block = material ? queue.GetFrameBlock(material.Get()) : nullptr;
    if (!block) return false;
    const std::vector<RefPtr<IPDrawable>>& drawables = block->GetDrawables();
    return std::any_of(drawables.begin(), drawables.end(),
                       [drawable](const RefPtr<IPDrawable>& queued) { return queued.Get() == drawable; });
}

// "level1" with a render queue, the player moved north of the bonus that
// stands at the ring's north-east and the opponents between them: the
// camera looks back at the player, and each frame draws the racers and the
// scene through the level's spatial tree, whichever tree the setting chose.
TEST_F(LevelLoad, EachFrameQueuesTheRacersAndTheSceneTree)
{
    CPIVertexBuffer batch(render.GetDevice(), 2, 1000, 1000, false);
    CPRenderQueue queue(&batch);
    render.SetRenderQueue(&queue);
    // The camera takes its place at once, without easing.
    const float savedDelta = FrameDeltaTime;
    FrameDeltaTime = 0.0f;
    for (int quadlevels : {0, 1}) {
        SCOPED_TRACE(quadlevels);
        g_quadlevels = quadlevels;
        CPLevel& level = Load("level1");
        ASSERT_TRUE(loaded) << Errors(level);
        level.player->SetPosition(70.7f, 95.0f, 2.5f);
        level.player->UpdateTransform();
        const D3DXVECTOR3 between[] = {D3DXVECTOR3(68, 85, 2.5f), D3DXVECTOR3(73, 80, 2.5f), D3DXVECTOR3(70.7f, 75, 2.5f)};
        ASSERT_EQ(level.opponents.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            level.opponents[i]->SetPosition(between[i].x, between[i].y, between[i].z);
            level.opponents[i]->UpdateTransform();
        }
        RefPtr<CPGameObject> scenery;
        for (const RefPtr<CPGameObject>& object : level.levelObjects) {
            if (object->GetName() == "bonus_health") scenery = object;
        }
        ASSERT_TRUE(scenery);
        for (int frame = 0; frame < 2; ++frame) {
            queue.ClearFrame();
            level.Update();
            EXPECT_TRUE(IsQueued(queue, *level.player)) << frame;
            for (const RefPtr<CPGameObject>& racer : level.opponents) EXPECT_TRUE(IsQueued(queue, *racer)) << frame;
            EXPECT_TRUE(IsQueued(queue, *scenery)) << frame;
        }
        // The demo's player is driven and drawn as one of the opponents.
        level.demoMode = true;
        queue.ClearFrame();
        level.Update();
        EXPECT_FALSE(IsQueued(queue, *level.player));
    }
    FrameDeltaTime = savedDelta;
    render.SetRenderQueue(nullptr);
}

// An object kept at the camera: each frame it stands at the eye, its
// transform follows and it is drawn.
TEST_F(LevelLoad, TheCameraFollowerStandsAtTheEyeAndIsDrawn)
{
    CPIVertexBuffer batch(render.GetDevice(), 2, 1000, 1000, false);
    CPRenderQueue queue(&batch);
    render.SetRenderQueue(&queue);
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    level.cameraFollower = loader.LoadObject("barrel.rdf", 20);
    ASSERT_TRUE(level.cameraFollower);
    for (const D3DXVECTOR3& at : {D3DXVECTOR3(100, -12, 2.5f), D3DXVECTOR3(-30, 95, 2.5f)}) {
        level.player->SetPosition(at.x, at.y, at.z);
        queue.ClearFrame();
        level.Update();
        const D3DXVECTOR3 eye = level.camera->GetFirstView()->GetEye();
        EXPECT_EQ(*level.cameraFollower->GetPositionRef(), eye);
        const D3DXMATRIX& world = level.cameraFollower->GetWorldMatrix();
        EXPECT_EQ(D3DXVECTOR3(world._41, world._42, world._43), eye);
        EXPECT_TRUE(IsQueued(queue, *level.cameraFollower));
    }
    render.SetRenderQueue(nullptr);
}

// Each frame the route heading is the heading of the route piece one link
// behind the piece nearest the player, wherever the player has gone.
TEST_F(LevelLoad, EachFrameTakesTheRouteHeadingBehindThePlayer)
{
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded) << Errors(level);
    for (float angle : {0.7f, 2.5f, -1.9f}) {
        SCOPED_TRACE(angle);
        const D3DXVECTOR3 at(kLevelOneRoadRadius * std::cos(angle), kLevelOneRoadRadius * std::sin(angle), 2.5f);
        level.player->SetPosition(at.x, at.y, at.z);
        CPLine* first = level.routeSpline->GetFirstLine();
        CPLine* nearest = first;
        auto groundDistance = [&at](const CPLine* piece) {
            return std::hypot(piece->centre.x - at.x, piece->centre.y - at.y);
        };
        for (CPLine* piece = first->next; piece != first; piece = piece->next) {
            if (groundDistance(piece) < groundDistance(nearest)) nearest = piece;
        }
        level.Update();
        EXPECT_EQ(level.nearestLine, nearest);
        EXPECT_EQ(level.routeHeading, nearest->previous->heading);
    }
}

TEST(LevelClock, TheLevelReadsTheInstalledClock)
{
    const LevelClockFunction previous = SetLevelClock([]() -> DWORD { return 123456; });
    CPLevel level;
    EXPECT_EQ(level.lastClock, 123456.0f);
    EXPECT_EQ(LevelClockMilliseconds(), 123456u);
    SetLevelClock(previous);
}

} // namespace
