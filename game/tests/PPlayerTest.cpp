#include "game/PPlayer.h"

#include "game/PLevel.h"
#include "game/PLine.h"
#include "game/tests/ShotTestSupport.h"
#include "game/tests/SplineFixtures.h"
#include "game/tests/ViewFixture.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "physics/PCar.h"
#include "physics/PRigidBody.h"
#include "physics/tests/CarTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using car_test::CarSetup;
using car_test::CarWorldFixture;
using car_test::RoadMesh;

TEST(CPPlayer, StartsWithItsStartValues)
{
    CPPlayer player;
    EXPECT_EQ(player.GetName(), "PLAYER");
    EXPECT_STREQ(player.GetTypeName(), "CPGameObject - PLAYER");
    for (float ammunition : player.ammunition) EXPECT_EQ(ammunition, 1.0f);
    EXPECT_EQ(player.life, 100000.0f);
    EXPECT_EQ(player.maxLife, 100000.0f);
    EXPECT_EQ(player.shotFactor, 1.0f);
    EXPECT_EQ(player.fireRateFactor, 1.0f);
    EXPECT_EQ(player.speedBonusTime, 2.0f);
    EXPECT_GE(player.hitTargets.bucket_count(), 100u);
    EXPECT_EQ(player.sideFlags, 0u);
    EXPECT_EQ(player.damage, 0.0f);
    EXPECT_EQ(player.routeLine, nullptr);
    EXPECT_FALSE(player.routeAware);
    EXPECT_FALSE(player.locked);
    EXPECT_FALSE(player.deathReported);
    EXPECT_EQ(player.cameraMin, 0);
    EXPECT_EQ(player.cameraMax, 0);
    EXPECT_FALSE(player.shadow);
}

TEST(CPPlayer, TheCarWorldsCollisionFlagMarksItTouching)
{
    CPPlayer player;
    IPCollisionFlag& flag = player;
    flag.RaiseCollisionFlag();
    EXPECT_TRUE(player.touching);
}

TEST(CPPlayer, CarSoundVolumeNeedsACarWithSound)
{
    CPPlayer player;
    EXPECT_FALSE(player.SetCarSoundVolume(0.5f)) << "no car";
    CPCar car(&player);
    player.SetCar(&car);
    EXPECT_FALSE(player.SetCarSoundVolume(0.5f)) << "a car without sound";
    car.LoadSounds();
    EXPECT_TRUE(player.SetCarSoundVolume(0.5f));
    player.SetCar(nullptr);
}

TEST(CPPlayer, NitroThatComesToNothingStopsTheNitroSound)
{
    shot_test::ShotSounds sounds;
    wavefixture::WriteFile("Data\\Sounds\\nitro.wav", wavefixture::Wave(1, 22050, 16, "abcdefgh"));
    CPSoundManager manager(&sounds.cache);
    CPSoundManager* savedManager = g_pSoundManager;
    g_pSoundManager = &manager;
    CPPlayer player;
    CPCar car(&player);
    player.SetCar(&car);
    car.LoadSounds();
    ASSERT_TRUE(car.GetNitroSound());
    std::vector<std::string>& calls = shot_test::ShotSounds::BufferOf(car.GetNitroSound()).calls;
    const struct {
        bool locked;
        float stock;
        float amount;
        bool stops;
    } cases[] = {{false, 3.0f, 0.5f, false}, {false, 3.0f, 0.0f, true}, {false, 0.0f, 0.5f, true},
                 {true, 3.0f, 0.5f, true}};
    for (const auto& c : cases) {
        calls.clear();
        player.locked = c.locked;
        car.SetNitroStock(c.stock);
        player.SetNitro(c.amount);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "Stop"), c.stops ? 1 : 0)
            << c.locked << " " << c.stock << " " << c.amount;
    }
    player.SetCar(nullptr);
    g_pSoundManager = savedManager;
}

TEST(CPPlayer, WithoutACarThereIsNoShadow)
{
    CPPlayer player;
    player.SetupShadow();
    EXPECT_FALSE(player.shadow);
}

} // namespace

namespace {

const float kDegree = 3.14159265f / 180.0f;
const D3DXVECTOR3 kBoxHalf(1.0f, 2.2f, 0.7f);

// Racers of the car world on a flat road 400 units square round the
// origin, under a straight route from x 0 to 300, in a level of their own.
class PlayerCars : public CarWorldFixture {
protected:
    void SetUp() override
    {
        CarWorldFixture::SetUp();
        BuildRoad(RoadMesh::Plane(200.0f, 20.0f));
        level.reset(new CPLevel());
        level->routeSpline = spline_test::LoadSpline(spline_test::StraightPath(300.0f, false));
        ASSERT_TRUE(level->routeSpline);
    }
    void TearDown() override
    {
        level.reset();
        CarWorldFixture::TearDown();
    }

    // A racer whose car and part boxes have three different half extents,
    // settled on the road.
    RefPtr<CPPlayer> AddPlayer(const D3DXVECTOR3& position, float yaw = 0.3f)
    {
        RefPtr<CPPlayer> player(new CPPlayer());
        car_test::MakeCarObject(CarSetup(), position, yaw, RefPtr<CPGameObject>(player.Get()));
        player->GetParts().push_back(CPBoundingBox(D3DXVECTOR3(0, 0, 0), kBoxHalf));
        player->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), kBoxHalf));
        AddCar(RefPtr<CPGameObject>(player.Get()));
        RunFrames(5);
        return player;
    }

    // A standing racer's box for the placement to keep clear of.
    RefPtr<CPGameObject> AddRacerAt(const D3DXVECTOR3& position)
    {
        RefPtr<CPGameObject> racer(new CPGameObject("racer"));
        racer->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), kBoxHalf));
        racer->SetPosition(position.x, position.y, position.z);
        racer->UpdateTransform();
        level->opponents.push_back(racer);
        return racer;
    }

    // Tilts the car by the angle about a slanted axis, keeping its place.
    static void Tilt(CPGameObject& car, float angle)
    {
        D3DXVECTOR3 axis(0.6f, 0.8f, 0.0f);
        D3DXQUATERNION tilt;
        D3DXQuaternionRotationAxis(&tilt, &axis, angle);
        car.SetRotation(tilt.x, tilt.y, tilt.z, tilt.w);
    }

    // The route piece nearest to the point, found the way a respawn does.
    CPLine& NearestPiece(const D3DXVECTOR3& point)
    {
        float radius = 20.0f;
        CPLine* piece = nullptr;
        level->routeSpline->FindNearestLine(point, radius, 0, piece);
        return *piece;
    }

    static float UpZ(CPGameObject& car)
    {
        D3DXMATRIX rotation;
        D3DXMatrixRotationQuaternion(&rotation, car.GetRotationRef());
        return rotation._33;
    }

    std::unique_ptr<CPLevel> level;
};

struct InputCase {
    const char* name;
    bool locked;
    bool blocked;
    float throttle;
    float steer;
};

class PlayerInputs : public ::testing::TestWithParam<InputCase> {};

TEST_P(PlayerInputs, AreStoredUnlessLockedWithTheThrottleZeroWhileBlocked)
{
    const InputCase& c = GetParam();
    CPPlayer player;
    player.throttleInput = 0.25f;
    player.steerInput = -0.125f;
    player.locked = c.locked;
    player.throttleBlocked = c.blocked;
    player.SetCarParams(0.75f, 0.5f);
    EXPECT_EQ(player.throttleInput, c.throttle);
    EXPECT_EQ(player.steerInput, c.steer);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlayerInputs,
                         ::testing::Values(InputCase{"free", false, false, 0.75f, 0.5f},
                                           InputCase{"blocked", false, true, 0.0f, 0.5f},
                                           InputCase{"locked", true, false, 0.25f, -0.125f},
                                           InputCase{"lockedAndBlocked", true, true, 0.25f, -0.125f}),
                         [](const ::testing::TestParamInfo<InputCase>& info) { return info.param.name; });

TEST(CPPlayer, ANitroRunBlocksTheThrottleAndZeroesItUnlessLocked)
{
    for (bool locked : {false, true}) {
        CPPlayer player;
        player.throttleInput = 0.25f;
        player.locked = locked;
        player.SetNitroAI();
        EXPECT_TRUE(player.throttleBlocked);
        EXPECT_EQ(player.throttleInput, locked ? 0.25f : 0.0f) << locked;
    }
}

TEST(CPPlayer, WithoutACarTheVelocityIsZeroAndNothingBreaks)
{
    CPPlayer player;
    const D3DXVECTOR4 velocity = player.GetCarVelocity();
    EXPECT_EQ(velocity, D3DXVECTOR4(0, 0, 0, 0));
    player.ApplyImpulse(D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(4, 5, 6));
    player.SetLocked(true);
    player.SetNitro(1.0f);
    player.SetBrake(true);
    EXPECT_FALSE(player.Respawn(true));
}

TEST_F(PlayerCars, LockingHandsTheCarNoThrottleAtOnceAndUnlockingFreesIt)
{
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(40, 0, 1));
    RefPtr<CPCar> car = player->GetCar();
    car->SetControls(1.0f, 0.0f);
    player->steerInput = -0.375f;
    ASSERT_NE(car->GetDrive(), 0.0f);
    player->SetLocked(true);
    EXPECT_EQ(car->GetDrive(), 0.0f);
    EXPECT_EQ(car->GetSteering(), -0.375f);
    EXPECT_TRUE(car->IsLocked());
    player->SetLocked(false);
    EXPECT_FALSE(car->IsLocked());
    EXPECT_FALSE(player->locked);
}

struct BrakeCase {
    const char* name;
    bool locked;
    bool slow;
    bool on;
    bool brakeLightShown; // the car's second stop light
    bool flaresShown;
};

class PlayerBrake : public PlayerCars, public ::testing::WithParamInterface<BrakeCase> {};

TEST_P(PlayerBrake, LightsTheCarOrTheRearFlaresWhileSlowedAndNothingWhileLocked)
{
    const BrakeCase& c = GetParam();
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(40, 0, 1));
    RefPtr<CPGameObject> stoplight = player->GetChildByName("stoplights2");
    stoplight->SetVisible(false);
    for (const char* name : {"lflarerear", "rflarerear"}) {
        player->AddChild(RefPtr<CPGameObject>(new CPGameObject(name)));
        player->GetChildByName(name)->SetVisible(!c.on);
    }
    player->locked = c.locked;
    player->slowActive = c.slow;
    player->SetBrake(c.on);
    EXPECT_EQ(stoplight->IsVisible(), c.brakeLightShown);
    for (const char* name : {"lflarerear", "rflarerear"}) {
        EXPECT_EQ(player->GetChildByName(name)->IsVisible(), c.flaresShown) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PlayerBrake,
                         ::testing::Values(BrakeCase{"brakes", false, false, true, true, false},
                                           BrakeCase{"slowedShowsFlares", false, true, true, false, true},
                                           BrakeCase{"slowedHidesFlares", false, true, false, false, false},
                                           BrakeCase{"locked", true, true, true, false, false}),
                         [](const ::testing::TestParamInfo<BrakeCase>& info) { return info.param.name; });

TEST_F(PlayerCars, NitroReachesTheCarOnlyUnlockedAndWithStockLeft)
{
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(40, 0, 1));
    RefPtr<CPCar> car = player->GetCar();
    const struct {
        bool locked;
        float stock;
        float nitro;
    } cases[] = {{false, 3.0f, 0.625f}, {false, 0.0f, 0.0f}, {true, 3.0f, 0.0f}};
    for (const auto& c : cases) {
        car->SetNitro(0.5f);
        car->SetNitroStock(c.stock);
        player->locked = c.locked;
        player->SetNitro(0.625f);
        EXPECT_EQ(car->GetNitro(), c.nitro) << c.locked << " " << c.stock;
    }
}

TEST_F(PlayerCars, TheVelocityIsTheCarsRecordAndImpulsesReachTheBody)
{
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(40, 0, 1));
    player->GetCar()->SetVelocity(D3DXVECTOR4(1.5f, -2.5f, 3.5f, 4.5f));
    EXPECT_EQ(player->GetCarVelocity(), D3DXVECTOR4(1.5f, -2.5f, 3.5f, 4.5f));
    CPRigidBody& body = BodyOf(*player);
    const D3DXVECTOR3 before = body.GetVelocity();
    const D3DXVECTOR3 impulse(8.0f, -4.0f, 2.0f);
    player->ApplyImpulse(body.GetPosition(), impulse);
    const D3DXVECTOR3 gained = (body.GetVelocity() - before) / body.GetInverseMass();
    EXPECT_NEAR(gained.x, impulse.x, 1e-3f);
    EXPECT_NEAR(gained.y, impulse.y, 1e-3f);
    EXPECT_NEAR(gained.z, impulse.z, 1e-3f);
}

struct RespawnCase {
    const char* name;
    float tiltDegrees;
    bool offRoad;
    float groundSpeed; // the car's velocity record's x
    float fallSpeed;   // and its z
    bool force;
    float cooldown;
    bool locked;
    bool respawns;
};

class PlayerRespawn : public PlayerCars, public ::testing::WithParamInterface<RespawnCase> {};

TEST_P(PlayerRespawn, PutsAStrandedCarUprightAtRestAboveTheNearestPiece)
{
    const RespawnCase& c = GetParam();
    const D3DXVECTOR3 start(c.offRoad ? 260.0f : 60.0f, 1.5f, 1.0f);
    RefPtr<CPPlayer> player = AddPlayer(start);
    ASSERT_EQ(player->GetPhysicData()->GetCandidateCount() == 0, c.offRoad);
    Tilt(*player, c.tiltDegrees * kDegree);
    player->GetCar()->SetVelocity(D3DXVECTOR4(c.groundSpeed, 0.0f, c.fallSpeed, 0.0f));
    BodyOf(*player).SetVelocity(D3DXVECTOR3(c.groundSpeed, 0.0f, c.fallSpeed));
    player->respawnCooldown = c.cooldown;
    player->locked = c.locked;
    const D3DXVECTOR3 before = *player->GetPositionRef();
    const D3DXVECTOR3 centre = NearestPiece(before).centre;

    EXPECT_EQ(player->Respawn(c.force), c.respawns);

    const D3DXVECTOR3 after = *player->GetPositionRef();
    if (!c.respawns) {
        EXPECT_EQ(after, before);
        EXPECT_EQ(player->respawnCooldown, c.cooldown);
        return;
    }
    EXPECT_EQ(player->respawnCooldown, 1.0f);
    EXPECT_NEAR(UpZ(*player), 1.0f, 1e-5f);
    EXPECT_NEAR(after.x, centre.x, 1e-4f);
    EXPECT_NEAR(after.y, centre.y, 1e-4f);
    EXPECT_NEAR(after.z, 2.0f, 1e-4f);
    // The pieces run along +x and the route is driven against them.
    EXPECT_NEAR(ForwardAxisOf(*player).x, -1.0f, 1e-4f);
    EXPECT_EQ(BodyOf(*player).GetVelocity(), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(BodyOf(*player).GetAngularMomentum(), D3DXVECTOR3(0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayerRespawn,
    ::testing::Values(RespawnCase{"tilted80", 80.0f, false, 0.0f, 0.0f, false, 0.0f, false, true},
                      RespawnCase{"tilted60", 60.0f, false, 0.0f, 0.0f, false, 0.0f, false, false},
                      RespawnCase{"tilted60Forced", 60.0f, false, 0.0f, 0.0f, true, 0.0f, false, true},
                      RespawnCase{"tilted71", 71.0f, false, 0.0f, 0.0f, false, 0.0f, false, true},
                      RespawnCase{"tilted69", 69.0f, false, 0.0f, 0.0f, false, 0.0f, false, false},
                      RespawnCase{"noRoadTriangles", 10.0f, true, 0.0f, 0.0f, false, 0.0f, false, true},
                      RespawnCase{"falling", 0.0f, false, 2.0f, -5.5f, false, 0.0f, false, true},
                      RespawnCase{"droppingAtTheFallSpeed", 0.0f, false, 2.0f, -5.0f, false, 0.0f, false, false},
                      RespawnCase{"fallOutweighsGroundSpeed", 0.0f, false, 5.0f, -6.2f, false, 0.0f, false, true},
                      RespawnCase{"groundSpeedOutweighsFall", 0.0f, false, 5.0f, -6.1f, false, 0.0f, false, false},
                      RespawnCase{"cooldown", 80.0f, false, 0.0f, 0.0f, true, 0.01f, false, false},
                      RespawnCase{"locked", 80.0f, false, 0.0f, 0.0f, true, 0.0f, true, false}),
    [](const ::testing::TestParamInfo<RespawnCase>& info) { return info.param.name; });

TEST_F(PlayerCars, ASecondRespawnWithinTheCooldownIsRefused)
{
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(60, 1.5f, 1));
    ASSERT_TRUE(player->Respawn(true));
    const D3DXVECTOR3 placed = *player->GetPositionRef();
    EXPECT_FALSE(player->Respawn(true));
    EXPECT_EQ(*player->GetPositionRef(), placed);
}

TEST_F(PlayerCars, OnAReversedRouteTheCarFacesAlongThePieces)
{
    level->reversed = true;
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(60, 1.5f, 1));
    ASSERT_TRUE(player->Respawn(true));
    EXPECT_NEAR(ForwardAxisOf(*player).x, 1.0f, 1e-4f);
}

TEST_F(PlayerCars, WithoutARouteTheCarStandsUprightWithItsHeadingLiftedWhereItIs)
{
    level->routeSpline = RefPtr<CPSpline>();
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(60, 1.5f, 1), 0.0f);
    // Yawed by 0.4 rad, then rolled 100 degrees about the nose.
    D3DXQUATERNION yaw, roll, turned;
    const D3DXVECTOR3 up(0, 0, 1), nose(0, -1, 0);
    D3DXQuaternionRotationAxis(&yaw, &up, 0.4f);
    D3DXQuaternionRotationAxis(&roll, &nose, 100.0f * kDegree);
    D3DXQuaternionMultiply(&turned, &roll, &yaw);
    player->SetRotation(turned.x, turned.y, turned.z, turned.w);
    const D3DXVECTOR3 before = *player->GetPositionRef();
    ASSERT_TRUE(player->Respawn(false));
    EXPECT_NEAR(UpZ(*player), 1.0f, 1e-5f);
    const D3DXVECTOR3 forward = ForwardAxisOf(*player);
    EXPECT_NEAR(forward.x, std::sin(0.4f), 1e-4f);
    EXPECT_NEAR(forward.y, -std::cos(0.4f), 1e-4f);
    EXPECT_NEAR(player->GetPositionRef()->z, before.z + 2.0f, 1e-4f);
}

TEST_F(PlayerCars, TheRespawnKeepsClearOfOtherRacersTryingTheCentreThenEitherSide)
{
    // The route's side runs along y; racers 8 units off the route block the
    // centre (their boxes grown by 5 reach it) and their own side.
    const struct {
        const char* name;
        std::vector<float> racerSides;
        float placedSide;
    } cases[] = {
        {"none", {}, 0.0f},
        {"racerAtMinus8", {-8.0f}, 3.0f},
        {"racerAtPlus8", {8.0f}, -3.0f},
        {"racerAtPlus9TakesTheCentre", {9.0f}, 0.0f},
        {"bothSidesBlockedKeepsTheCentre", {8.0f, -8.0f}, 0.0f},
    };
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(60, 1.5f, 1));
    for (const auto& c : cases) {
        level->opponents.clear();
        player->respawnCooldown = 0.0f;
        player->SetPosition(60.0f, 1.5f, 1.0f);
        const D3DXVECTOR3 centre = NearestPiece(*player->GetPositionRef()).centre;
        for (float side : c.racerSides) AddRacerAt(D3DXVECTOR3(centre.x, centre.y + side, 2.0f));
        ASSERT_TRUE(player->Respawn(true)) << c.name;
        EXPECT_NEAR(player->GetPositionRef()->y, centre.y + c.placedSide, 1e-4f) << c.name;
        EXPECT_NEAR(player->GetPositionRef()->x, centre.x, 1e-4f) << c.name;
    }
}

using view_test::Look;

TEST_F(PlayerCars, TheShadowIsPlacedUnderAVisibleCarWithinAHundredUnitsOfTheEye)
{
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(40, 0, 1));
    const D3DXVECTOR3 car = *player->GetPositionRef();
    const struct {
        const char* name;
        D3DXVECTOR3 eye;
        D3DXVECTOR3 target;
        bool placed;
    } cases[] = {
        {"near", car + D3DXVECTOR3(0, 99.0f, 0), car, true},
        {"far", car + D3DXVECTOR3(0, 101.0f, 0), car, false},
        {"nearButLookingAway", car + D3DXVECTOR3(0, 60.0f, 0), car + D3DXVECTOR3(0, 120.0f, 0), false},
    };
    CPRenderQueue queue(nullptr);
    for (const auto& c : cases) {
        player->shadow = new CPGameObject("shadow");
        CPPerspectiveCamera view;
        Look(view, c.eye, c.target);
        player->Draw(queue, view);
        EXPECT_EQ(player->shadow->GetBaseTransform() == player->GetWorldMatrix(), c.placed) << c.name;
    }
}

TEST_F(PlayerCars, TheCameraCarsRespawnDarkensTheScreenForATenthThenBrightensItOverFourTenths)
{
    CPRender render;
    render.SetMaxFade(100);
    CPRender* previousRender = g_pRender;
    g_pRender = &render;
    RefPtr<CPPlayer> other = AddPlayer(D3DXVECTOR3(20, 0, 1));
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(40, 0, 1));
    level->cameraCar = player.Get();
    CPRenderQueue queue(nullptr);
    CPPerspectiveCamera view;
    Look(view, D3DXVECTOR3(40, 30, 10), D3DXVECTOR3(40, 0, 1));
    ASSERT_TRUE(other->Respawn(true));
    EXPECT_FALSE(other->respawnFadeDown);
    ASSERT_TRUE(player->Respawn(true));

    // Frames of 1/16 s: 37.5 at the first, dark as the tenth passes, then up
    // by 15.625 a frame until the seventh passes four tenths.
    FrameDeltaTime = 0.0625f;
    const float fades[] = {37.5f, 0.0f, 15.625f, 31.25f, 46.875f, 62.5f, 78.125f, 93.75f, 100.0f};
    for (float fade : fades) {
        render.SetFade(0.5f);
        player->Draw(queue, view);
        other->Draw(queue, view);
        EXPECT_NEAR(render.GetFade(), fade, 1e-3f);
    }
    EXPECT_FALSE(player->respawnFadeDown || player->respawnFadeUp);
    render.SetFade(0.5f);
    player->Draw(queue, view);
    EXPECT_EQ(render.GetFade(), 50.0f) << "no fade once it has run";
    FrameDeltaTime = car_test::kFrame;
    g_pRender = previousRender;
}

} // namespace
