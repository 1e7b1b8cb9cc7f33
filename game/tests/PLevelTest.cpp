#include "game/PLevel.h"

#include "DynamicSky/SkyLighting.h"
#include "Render/PRender.h"
#include "core/PGameObject.h"
#include "physics/PCar.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

const float kHalfPi = 1.5707963f;

TEST(CPLevel, IsCurrentFromConstructionUntilDestruction)
{
    ASSERT_EQ(GetLevel(), nullptr);
    CPLevel* level = new CPLevel;
    EXPECT_EQ(GetLevel(), level);
    EXPECT_STREQ(level->GetTypeName(), "CPLevel");
    delete level;
    EXPECT_EQ(GetLevel(), nullptr);
}

TEST(CPLevel, DestroyingAReplacedLevelKeepsTheNewerOneCurrent)
{
    CPLevel* older = new CPLevel;
    CPLevel* newer = new CPLevel;
    EXPECT_EQ(GetLevel(), newer);
    delete older;
    EXPECT_EQ(GetLevel(), newer);
    delete newer;
    EXPECT_EQ(GetLevel(), nullptr);
}

// A quadtree root that tells when it is deleted.
class WatchedNode : public CPQuadTreeNode {
public:
    explicit WatchedNode(bool& deleted) : m_deleted(deleted) {}
    ~WatchedNode() override { m_deleted = true; }

private:
    bool& m_deleted;
};

TEST(CPLevel, DestroyingTheLevelDeletesItsQuadtreeAndGrid)
{
    bool deleted = false;
    CPLevel* level = new CPLevel;
    EXPECT_FALSE(level->quadTree);
    level->quadTree.reset(new WatchedNode(deleted));
    CPGameObject object("cell object");
    level->gridCells.resize(4);
    level->gridCells[3].emplace_back(&object);
    ASSERT_EQ(object.GetRefCount(), 1);
    delete level;
    EXPECT_TRUE(deleted);
    EXPECT_EQ(object.GetRefCount(), 0) << "the grid lets go of its objects";
}

TEST(CPLevel, StartsWithItsConstructionValues)
{
    const DWORD before = timeGetTime();
    CPLevel level;
    EXPECT_EQ(level.width, 10.0f);
    EXPECT_EQ(level.depth, 10.0f);
    EXPECT_EQ(level.carModel, "zil_130_");
    EXPECT_EQ(level.fov1, 50.0f);
    EXPECT_EQ(level.fov2, 50.0f);
    EXPECT_TRUE(level.demoMode);
    EXPECT_TRUE(level.allCarsDriven);
    EXPECT_EQ(level.orbitDirection, 1.0f);
    EXPECT_EQ(level.cameraDistance, 7.0f);
    EXPECT_EQ(level.cameraHeight, 2.0f);
    EXPECT_EQ(level.currentCheckpoint, -1);
    EXPECT_EQ(level.racerNodes, std::vector<int>(20, 0));
    EXPECT_EQ(level.racerProgress, std::vector<int>(20, 0));
    EXPECT_GE(level.lastClock, static_cast<float>(before) - 1.0f);
    EXPECT_EQ(level.cameraMode, 0);
    EXPECT_EQ(level.levelNumber, 0);
    EXPECT_EQ(level.ambientColour, 0u);
    EXPECT_EQ(level.cameraCar, nullptr);
    EXPECT_FALSE(level.camera);
    EXPECT_TRUE(level.placedCursor == level.placedObjects.end());
    const D3DLIGHT9 zero = {};
    EXPECT_EQ(std::memcmp(&level.light, &zero, sizeof(zero)), 0);
    level.SetCarModel("uaz_");
    EXPECT_EQ(level.carModel, "uaz_");
    EXPECT_EQ(LerpVector3(D3DXVECTOR3(1.0f, 2.0f, 3.0f), D3DXVECTOR3(3.0f, -2.0f, 3.0f), 0.25f),
              D3DXVECTOR3(1.5f, 1.0f, 3.0f));
}

TEST(CPLevel, HandsTheFollowCameraThePlayersDirectionAndCar)
{
    CPLevel level;
    level.forward = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    level.headingForced = true;
    level.forcedHeading = 0.5f;
    level.extraYaw = 0.25f;
    FollowInputs inputs;
    inputs.carSteering = 9.0f;
    level.GetFollowInputs(inputs);
    EXPECT_EQ(inputs.playerDirection, D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    EXPECT_TRUE(inputs.headingForced);
    EXPECT_EQ(inputs.forcedHeading, 0.5f);
    EXPECT_EQ(inputs.extraYaw, 0.25f);
    EXPECT_EQ(inputs.carSteering, 0.0f) << "without a car the car values are zero";

    CPGameObject player("player");
    CPCar car;
    car.SetSteering(-0.7f);
    car.SetMotion(D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    car.SetVelocity(D3DXVECTOR4(3.0f, 4.0f, 0.0f, 5.0f));
    player.SetCar(&car);
    level.player = &player;
    level.GetFollowInputs(inputs);
    EXPECT_EQ(level.GetCarPtr(), &car);
    EXPECT_EQ(inputs.carSteering, -0.7f);
    EXPECT_EQ(inputs.carMotion, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(inputs.carVelocity, D3DXVECTOR4(3.0f, 4.0f, 0.0f, 5.0f));
    level.player = nullptr;
    player.SetCar(nullptr);
}

// A renderer with one grid point at the screen's corner, so the blur centre
// shows in the point's direction, and a level whose three presets differ in
// every value.
class CameraModes : public ::testing::Test {
protected:
    CameraModes() : m_previousRender(g_pRender), player("PLAYER"), other("other")
    {
        g_pRender = &render;
        render.SetScreenGrid(0, 0);
        // Turned 60 degrees about z: its forward axis (local -y) points at -30 degrees.
        player.SetRotation(0.0f, 0.0f, 0.5f, 0.8660254f);
        level.cameraPresets[0] = Preset(10.0f, 3.0f, 0.0f, 4.0f, 5.0f);
        level.cameraPresets[1] = Preset(20.0f, 6.0f, -1.0f, 8.0f, 9.0f);
        level.cameraPresets[2] = Preset(30.0f, 9.0f, 1.0f / 3.0f, 12.0f, 13.0f);
        level.camera1Angle = 15.0f;
        level.camera2Angle = 25.0f;
        level.cameraCar = &other;
        camera.reset(new CPCamera);
        level.camera = camera.get();
    }
    ~CameraModes() override
    {
        level.camera = nullptr;
        g_pRender = m_previousRender;
    }

    static CameraPreset Preset(float distance, float height, float blur, float angleDivisor,
                               float distanceDivisor)
    {
        CameraPreset preset;
        preset.distance = distance;
        preset.height = height;
        preset.blur = blur;
        preset.angleDivisor = angleDivisor;
        preset.distanceDivisor = distanceDivisor;
        return preset;
    }

    CPRender* m_previousRender;
    CPRender render;
    CPGameObject player;
    CPGameObject other;
    std::unique_ptr<CPCamera> camera;
    CPLevel level;
};

TEST_F(CameraModes, EachModePlacesTheCameraWithItsPreset)
{
    struct Case {
        int mode;
        float distance;
        float height;
        float angleDivisor;
        float distanceDivisor;
        float angle;
        D3DXVECTOR2 blurDirection;
        float heading;
        bool thirdView;
    };
    const float kUnturned = -kHalfPi;
    const float kCarHeading = -0.5235988f;
    const Case cases[] = {
        {0, 10.0f, 3.0f, 4.0f, 5.0f, 15.0f, D3DXVECTOR2(-0.8f, -0.6f), kCarHeading, false},
        {1, 20.0f, 6.0f, 8.0f, 9.0f, 25.0f, D3DXVECTOR2(-1.0f, 0.0f), kCarHeading, false},
        {2, 10.0f, 3.0f, 4.0f, 5.0f, 15.0f, D3DXVECTOR2(-0.7071068f, -0.7071068f), kUnturned, true},
    };
    for (const Case& c : cases) {
        camera->SetHeading(kUnturned);
        camera->SetThirdViewFlag(!c.thirdView);
        level.cameraCar = &other;
        level.player = &player;
        level.SetCameraMode(c.mode);
        EXPECT_EQ(level.cameraMode, c.mode);
        EXPECT_EQ(level.cameraDistance, c.distance) << c.mode;
        EXPECT_EQ(level.cameraHeight, c.height) << c.mode;
        EXPECT_EQ(level.angleDivisor, c.angleDivisor) << c.mode;
        EXPECT_EQ(level.distanceDivisor, c.distanceDivisor) << c.mode;
        EXPECT_EQ(level.cameraAngle, c.angle) << c.mode;
        EXPECT_EQ(level.cameraCar, &player) << c.mode;
        EXPECT_NEAR(render.GetGridDirections()[0].x, c.blurDirection.x, 1e-5f) << c.mode;
        EXPECT_NEAR(render.GetGridDirections()[0].y, c.blurDirection.y, 1e-5f) << c.mode;
        EXPECT_NEAR(camera->GetHeading(), c.heading, 1e-5f) << c.mode;
        EXPECT_EQ(camera->GetThirdViewFlag(), c.thirdView) << c.mode;
        level.player = nullptr;
    }
}

// The level's camera starts without a field of view, so without one from
// its mode it would have no projection and the race would show nothing: the
// first following mode sets it at once, the other eases toward its own and
// the fixed view keeps what it has.
TEST_F(CameraModes, FollowingModesGiveTheCameraTheirFieldOfView)
{
    const float kDegreesToRadians = 0.017453292f;
    level.fov1 = 55.0f;
    level.fov2 = 65.0f;
    level.player = &player;
    level.SetCameraMode(0);
    EXPECT_FLOAT_EQ(camera->GetFieldOfView(), 55.0f);
    RefPtr<CPPerspectiveCamera> view = camera->GetFirstView();
    EXPECT_FLOAT_EQ(view->GetFieldOfView(), 55.0f * kDegreesToRadians);
    view->UpdateMatrices();
    EXPECT_FALSE(view->IsProjectionDirty());
    level.SetCameraMode(1);
    EXPECT_FLOAT_EQ(camera->GetFieldOfView(), 55.0f);
    EXPECT_FLOAT_EQ(camera->GetFieldOfViewTarget(), 65.0f);
    level.SetCameraMode(2);
    EXPECT_FLOAT_EQ(camera->GetFieldOfViewTarget(), 65.0f);
    level.player = nullptr;
}

TEST_F(CameraModes, OtherModesOnlyStoreTheMode)
{
    camera->SetThirdViewFlag(true);
    for (int mode : {5, -1, 3}) {
        level.player = &player;
        level.SetCameraMode(mode);
        EXPECT_EQ(level.cameraMode, mode);
        EXPECT_EQ(level.cameraDistance, 7.0f);
        EXPECT_EQ(level.cameraHeight, 2.0f);
        EXPECT_EQ(level.angleDivisor, 0.0f);
        EXPECT_EQ(level.cameraAngle, 0.0f);
        EXPECT_EQ(level.cameraCar, &other);
        EXPECT_EQ(render.GetGridDirections()[0], D3DXVECTOR2(0.0f, 0.0f));
        EXPECT_FLOAT_EQ(camera->GetHeading(), -kHalfPi);
        EXPECT_TRUE(camera->GetThirdViewFlag());
        level.player = nullptr;
    }
}

TEST_F(CameraModes, WithoutAPlayerOnlyTheModeAndPresetAreStored)
{
    camera->SetThirdViewFlag(true);
    level.SetCameraMode(1);
    EXPECT_EQ(level.cameraDistance, 20.0f);
    EXPECT_EQ(level.cameraAngle, 25.0f);
    EXPECT_EQ(level.cameraCar, &other);
    EXPECT_EQ(render.GetGridDirections()[0], D3DXVECTOR2(0.0f, 0.0f));
    EXPECT_FLOAT_EQ(camera->GetHeading(), -kHalfPi);
    EXPECT_TRUE(camera->GetThirdViewFlag());
}

TEST(CPLevel, SubmitLightDropsTheLightOnceTheTableIsFull)
{
    CPRender* previous = g_pRender;
    CPRender render;
    g_pRender = &render;
    CPLevel level;
    level.light.Type = D3DLIGHT_DIRECTIONAL;
    level.light.Diffuse.r = 0.25f;
    const int maxLights = CPRender::kMaxLights;
    D3DLIGHT9 other = {};
    for (int i = 0; i < maxLights - 1; ++i) render.AddLight(other);
    level.SubmitLight();
    ASSERT_EQ(render.GetLightCount(), maxLights);
    EXPECT_EQ(render.GetLight(maxLights - 1).Diffuse.r, 0.25f);
    level.light.Diffuse.r = 0.5f;
    level.SubmitLight();
    EXPECT_EQ(render.GetLightCount(), maxLights);
    EXPECT_EQ(render.GetLight(maxLights - 1).Diffuse.r, 0.25f);
    g_pRender = previous;
}


TEST(CPLevel, TakesTheSunAsItsLightWhileCurrent)
{
    CPRender render;
    CPRender* previous = g_pRender;
    g_pRender = &render;
    {
        CPLevel level;
        EXPECT_EQ(GetSunLightTarget(), &level);
        level.light.Type = D3DLIGHT_DIRECTIONAL;
        level.light.Range = 10000.0f;
        const D3DCOLORVALUE colour = {0.5f, 0.25f, 0.0f, 0.0f};
        level.SubmitSunLight(D3DXVECTOR3(0.0f, 0.0f, -1.0f), colour);
        ASSERT_EQ(render.GetLightCount(), 1);
        const D3DLIGHT9& light = render.GetLight(0);
        EXPECT_EQ(D3DXVECTOR3(light.Direction), D3DXVECTOR3(0.0f, 0.0f, -1.0f));
        EXPECT_EQ(light.Diffuse.g, 0.25f);
        EXPECT_EQ(light.Specular.r, 0.5f);
        EXPECT_EQ(light.Range, 10000.0f) << "the rest of the record stays";
        for (int submitted = 1; submitted < 31; ++submitted) level.SubmitLight();
        EXPECT_EQ(render.GetLightCount(), 30) << "a full table drops the light";
    }
    EXPECT_EQ(GetSunLightTarget(), nullptr);
    g_pRender = previous;
}

}  // namespace
