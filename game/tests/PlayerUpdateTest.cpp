#include "game/PPlayer.h"

#include "Render/PParticleManager.h"
#include "Render/PRender.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/Settings.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PLine.h"
#include "game/tests/ShotTestSupport.h"
#include "physics/PCar.h"
#include "physics/tests/CarTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using gameobject_test::Receiver;
using shot_test::RecordingBatch;

namespace {

typedef std::vector<std::string> Texts;

const float kStep = 1.0f / 60.0f;
const D3DXVECTOR3 kCarAt(12.0f, -7.0f, 1.5f);
const D3DXVECTOR3 kCarHalf(1.0f, 2.2f, 0.6f);

// One racer with a car (no physics), in a level with no route, with the
// bus and its four receivers, the game data, and the real particle
// manager with recording batches for the wreck smoke and the gloom sparks.
class RuleStep : public testing::Test {
protected:
    RuleStep()
        : m_savedBus(g_pCommandManager), m_savedData(g_pGameData), m_savedParticles(g_pParticleManager),
          m_savedDelta(FrameDeltaTime), m_savedSystems(g_psystems)
    {
        g_pCommandManager = &bus;
        g_pGameData = &data;
        g_pParticleManager = &particles;
        FrameDeltaTime = kStep;
        for (Receiver* receiver : {&gameInterface, &main, &jeep, &gameMenu}) receiver->Start();
        bus.RegisterReceiver("game_interface", &gameInterface);
        bus.RegisterReceiver("main", &main);
        bus.RegisterReceiver("jeep", &jeep);
        bus.RegisterReceiver("gamemenu", &gameMenu);
        particles.AddBatch("smoke3car", &smoke);
        particles.AddBatch("iskra3blue", &sparks);
        player.SetCar(&car);
        player.SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), kCarHalf));
        player.SetPosition(kCarAt.x, kCarAt.y, kCarAt.z);
        player.UpdateTransform();
    }
    ~RuleStep() override
    {
        player.SetCar(nullptr);
        particles.RemoveBatches();
        g_pCommandManager = m_savedBus;
        g_pGameData = m_savedData;
        g_pParticleManager = m_savedParticles;
        FrameDeltaTime = m_savedDelta;
        g_psystems = m_savedSystems;
    }

    // Gives the racer rear flares, shown or hidden.
    void AddRearFlares(bool shown)
    {
        for (CPGameObject* flare : {&leftFlare, &rightFlare}) {
            flare->SetVisible(shown);
            player.AddChild(flare);
        }
    }

    CPCommandManager bus;
    Receiver gameInterface;
    Receiver main;
    Receiver jeep;
    Receiver gameMenu;
    CPGameData data;
    CPLevel level;
    RecordingBatch smoke;
    RecordingBatch sparks;
    CPParticleManager particles;
    CPGameObject leftFlare{"lflarerear"};
    CPGameObject rightFlare{"rflarerear"};
    CPPlayer player;
    CPCar car{&player};

private:
    CPCommandManager* m_savedBus;
    CPGameData* m_savedData;
    CPParticleManager* m_savedParticles;
    float m_savedDelta;
    int m_savedSystems;
};

struct LossCase {
    const char* name;
    uint32_t sides;
    float damage;
    bool lossShown;
    float defeatTime;
    float dt;
    Texts interfaceCommands;
    Texts jeepCommands;
    Texts mainCommands;
    float defeatAfter;
};

class PlayerLoss : public RuleStep, public testing::WithParamInterface<LossCase> {};

TEST_P(PlayerLoss, TellsTheLossOnceAndDefeatOnceWithinItsWindow)
{
    const LossCase& c = GetParam();
    player.sideFlags = c.sides;
    player.damage = c.damage;
    player.lossShown = c.lossShown;
    player.defeatTime = c.defeatTime;
    player.Update(c.dt);
    EXPECT_EQ(gameInterface.TakeCommands(), c.interfaceCommands);
    EXPECT_EQ(jeep.TakeCommands(), c.jeepCommands);
    EXPECT_EQ(main.TakeCommands(), c.mainCommands);
    EXPECT_EQ(player.defeatTime, c.defeatAfter);
    EXPECT_TRUE(player.lossShown || c.interfaceCommands.empty());
}

const uint32_t kHuman = CPPlayer::kHumanPlayer | CPPlayer::kLightSide;
const Texts kLossMessage{"show_message:proigrish!"};
const Texts kGameOver{"game_over:"};
const Texts kDefeat{"defeat:"};

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayerLoss,
    testing::Values(LossCase{"firstStep", kHuman, 100.0f, false, 0.0f, 0.5f, kLossMessage, kGameOver, {}, 0.5f},
                    LossCase{"notWrecked", kHuman, 99.9f, false, 0.0f, 0.5f, {}, {}, {}, 0.0f},
                    LossCase{"notTheHuman", CPPlayer::kDarkSide, 150.0f, false, 0.0f, 0.5f, {}, {}, {}, 0.0f},
                    LossCase{"lossShownOnce", kHuman, 100.0f, true, 1.0f, 0.5f, {}, {}, {}, 1.5f},
                    LossCase{"defeatAtThree", kHuman, 100.0f, true, 2.5f, 0.5f, {}, {}, kDefeat, 666.0f},
                    LossCase{"beforeThree", kHuman, 100.0f, true, 2.25f, 0.5f, {}, {}, {}, 2.75f},
                    LossCase{"defeatAtTwenty", kHuman, 100.0f, true, 19.5f, 0.5f, {}, {}, kDefeat, 666.0f},
                    LossCase{"pastTwenty", kHuman, 100.0f, true, 19.5f, 0.75f, {}, {}, {}, 20.25f},
                    LossCase{"aFirstStepOf25s", kHuman, 100.0f, false, 0.0f, 25.0f, kLossMessage, kGameOver, {},
                             25.0f},
                    LossCase{"defeatSentAlready", kHuman, 100.0f, true, 666.0f, 0.5f, {}, {}, {}, 666.5f}),
    [](const testing::TestParamInfo<LossCase>& info) { return info.param.name; });

struct WreckCase {
    const char* name;
    bool locked;
    uint32_t sides;
    bool dead;
    size_t smokes;
};

class PlayerWreck : public RuleStep, public testing::WithParamInterface<WreckCase> {};

TEST_P(PlayerWreck, ALockedWreckSmokesEveryHalfSecondShowsItselfAndEndsItsRules)
{
    const WreckCase& c = GetParam();
    AddRearFlares(true);
    player.SetVisible(false);
    player.sideFlags = c.sides;
    player.damage = 100.0f;
    player.locked = c.locked;
    player.timeBonus = 2.0f;
    // Smoke at 0.5 s, 1.0 s: two puffs in 1.2 s of steps of 0.3 s.
    for (int i = 0; i < 4; ++i) player.Update(0.3f);
    EXPECT_EQ(player.dead, c.dead);
    EXPECT_EQ(smoke.records.size(), c.smokes);
    EXPECT_EQ(player.IsVisible(), c.locked);
    EXPECT_EQ(leftFlare.IsVisible() || rightFlare.IsVisible(), !c.locked);
    EXPECT_NEAR(player.timeBonus, c.dead ? 2.0f : 0.8f, 1e-5f) << "the counters run only for a car that is not dead";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayerWreck,
    testing::Values(WreckCase{"locked", true, CPPlayer::kDarkSide, true, 2},
                    WreckCase{"notLocked", false, CPPlayer::kDarkSide, false, 0},
                    WreckCase{"lockedTraffic", true, CPPlayer::kTraffic, true, 0}),
    [](const testing::TestParamInfo<WreckCase>& info) { return info.param.name; });

TEST_F(RuleStep, WreckSmokeRisesFromTheCarAndFallsBack)
{
    player.damage = 120.0f;
    player.locked = true;
    player.Update(0.5f);
    ASSERT_EQ(smoke.records.size(), 1u);
    const ParticleSpawnRecord& puff = smoke.records[0];
    shot_test::ExpectPoint(puff.position, kCarAt);
    EXPECT_GE(puff.velocity.x, 0.0f);
    EXPECT_LE(puff.velocity.x, 1.7f);
    EXPECT_GE(puff.velocity.y, 0.0f);
    EXPECT_LE(puff.velocity.y, 1.7f);
    EXPECT_GE(puff.velocity.z, 3.0f);
    EXPECT_LE(puff.velocity.z, 3.4f);
    shot_test::ExpectPoint(puff.acceleration, D3DXVECTOR3(0, 0, -1));
    EXPECT_EQ(puff.size, 1000.0f);
    EXPECT_EQ(puff.secondScalar, 1.0f);
    EXPECT_EQ(puff.thirdScalar, 2.5f);
    EXPECT_EQ(puff.firstFlag, 1);
    EXPECT_EQ(player.smokeTime, 0.0f);
}

struct DriftCase {
    const char* name;
    float driftBefore;
    bool moving;
    float steering;
    float driftAfter;
    Texts interfaceCommands;
};

class PlayerDrift : public RuleStep, public testing::WithParamInterface<DriftCase> {};

TEST_P(PlayerDrift, CountsStepTimeWhileSteeringOnTheMoveAndPaysLongDriftsInTenths)
{
    const DriftCase& c = GetParam();
    data.texts["drift_time"] = "Drift";
    player.routeAware = true;
    player.driftTime = c.driftBefore;
    car.SetVelocity(c.moving ? D3DXVECTOR4(0.6f, -0.8f, 0.0f, 0.0f) : D3DXVECTOR4(0, 0, 0, 0));
    car.SetSteering(c.steering);
    FrameDeltaTime = 0.25f;
    player.Update(kStep);
    EXPECT_FLOAT_EQ(player.driftTime, c.driftAfter);
    EXPECT_EQ(gameInterface.TakeCommands(), c.interfaceCommands);
}

const std::string kNoTurn = "update_arrows:0";

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayerDrift,
    testing::Values(
        DriftCase{"drifting", 1.0f, true, -0.3f, 1.0f + kStep, {kNoTurn}},
        DriftCase{"endsAt127", 1.27f, true, 0.0f, 0.0f, {"bonus_points2:time,Drift,1.200000", kNoTurn}},
        DriftCase{"halfASecondPaysNothing", 0.5f, false, 0.3f, 0.0f, {kNoTurn}},
        DriftCase{"justOverHalf", 0.51f, false, 0.3f, 0.0f, {"bonus_points2:time,Drift,0.500000", kNoTurn}},
        DriftCase{"standingStillEndsIt", 2.0f, false, 0.3f, 0.0f, {"bonus_points2:time,Drift,2.000000", kNoTurn}}),
    [](const testing::TestParamInfo<DriftCase>& info) { return info.param.name; });

class DriftAtFrameRate : public RuleStep, public testing::WithParamInterface<int> {};

// The level runs the rules in steps of 1/60 s, as many as the frames' time
// holds: a second of drifting is a second at any frame rate.
TEST_P(DriftAtFrameRate, ASecondOfDriftingScoresASecond)
{
    const int framesPerSecond = GetParam(), stepsPerSecond = 60;
    player.routeAware = true;
    car.SetVelocity(D3DXVECTOR4(0.6f, -0.8f, 0.0f, 0.0f));
    car.SetSteering(0.3f);
    FrameDeltaTime = 1.0f / static_cast<float>(framesPerSecond);
    int steps = 0;
    for (int frame = 1; frame <= framesPerSecond; ++frame) {
        for (const int due = frame * stepsPerSecond / framesPerSecond; steps < due; ++steps) player.Update(kStep);
    }
    EXPECT_NEAR(player.driftTime, 1.0f, 1e-4f);
}

INSTANTIATE_TEST_SUITE_P(FramesPerSecond, DriftAtFrameRate, testing::Values(20, 60, 120));

TEST_F(RuleStep, OnlyARouteAwareCarSendsArrowsOrDriftPoints)
{
    player.driftTime = 3.0f;
    player.Update(kStep);
    EXPECT_TRUE(gameInterface.TakeCommands().empty());
    EXPECT_EQ(player.driftTime, 3.0f);
}

struct ArrowCase {
    const char* name;
    float routeHeading;
    float aheadHeading;   // four pieces on along the previous links
    float reverseHeading; // four pieces on along the next links
    bool reversed;
    const char* turn;
};

class PlayerArrows : public RuleStep, public testing::WithParamInterface<ArrowCase> {};

TEST_P(PlayerArrows, PointWhereTheRouteTurnsMoreThanThirtyDegreesFourPiecesOn)
{
    const ArrowCase& c = GetParam();
    // The nearest piece, four pieces along previous and four along next;
    // every piece between heads somewhere else again.
    CPLine pieces[9];
    for (int i = 0; i < 4; ++i) {
        pieces[i].previous = &pieces[i + 1];
        pieces[i == 0 ? 0 : i + 4].next = &pieces[i + 5];
    }
    for (CPLine& piece : pieces) piece.heading = 2.0f;
    pieces[0].heading = 4.0f;
    pieces[4].heading = c.aheadHeading;
    pieces[8].heading = c.reverseHeading;
    level.nearestLine = &pieces[0];
    level.routeHeading = c.routeHeading;
    level.reversed = c.reversed;
    player.routeAware = true;
    player.Update(kStep);
    EXPECT_EQ(gameInterface.TakeCommands(), Texts{std::string("update_arrows:") + c.turn});
    level.nearestLine = nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayerArrows,
    testing::Values(ArrowCase{"leftBend", 1.0f, 1.6f, 1.0f, false, "1"},
                    ArrowCase{"rightBend", 1.0f, 0.4f, 1.0f, false, "-1"},
                    ArrowCase{"within30Degrees", 1.0f, 1.52f, 1.0f, false, "0"},
                    ArrowCase{"justPast30Degrees", 1.0f, 1.53f, 1.0f, false, "1"},
                    ArrowCase{"acrossZeroWithin", 6.1f, 0.3f, 6.1f, false, "0"},
                    ArrowCase{"acrossZeroLeft", 6.1f, 0.5f, 6.1f, false, "1"},
                    ArrowCase{"reversedWalksTheNextLinks", 1.0f, 1.0f, 0.4f, true, "-1"}),
    [](const testing::TestParamInfo<ArrowCase>& info) { return info.param.name; });

struct SparkCase {
    int psystems;
    size_t sparks;
};

class GloomSparks : public RuleStep, public testing::WithParamInterface<SparkCase> {};

TEST_P(GloomSparks, ComeByTheParticleSettingWithinTheCarsTurnedBox)
{
    g_psystems = GetParam().psystems;
    // Turned about a slanted axis, so a box that was not turned misses.
    D3DXQUATERNION turn;
    const D3DXVECTOR3 axis(0.3f, 0.5f, 0.8f);
    D3DXQuaternionRotationAxis(&turn, &axis, 0.9f);
    player.SetRotation(turn.x, turn.y, turn.z, turn.w);
    player.inGloom = true;
    level.cameraCar = &player;
    player.Update(kStep);
    ASSERT_EQ(sparks.records.size(), GetParam().sparks);
    D3DXMATRIX toCar;
    D3DXMatrixInverse(&toCar, nullptr, &player.GetWorldMatrix());
    for (const ParticleSpawnRecord& spark : sparks.records) {
        D3DXVECTOR3 local;
        D3DXVec3TransformCoord(&local, &spark.position, &toCar);
        EXPECT_LE(std::fabs(local.x), kCarHalf.x + 1e-4f);
        EXPECT_LE(std::fabs(local.y), kCarHalf.y + 1e-4f);
        EXPECT_LE(std::fabs(local.z), kCarHalf.z + 1e-4f);
        EXPECT_EQ(spark.size, 0.2f);
        EXPECT_EQ(spark.secondScalar, 0.5f);
        EXPECT_GE(spark.thirdScalar, 0.1f);
        EXPECT_LE(spark.thirdScalar, 0.6f);
        EXPECT_EQ(spark.firstFlag, 1);
    }
    level.cameraCar = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Settings, GloomSparks,
                         testing::Values(SparkCase{0, 0}, SparkCase{7, 16}, SparkCase{10, 24}, SparkCase{25, 60}));

TEST_F(RuleStep, ACarInTheGloomIsSeenWithItsSparksOnlyFromInsideTheGloom)
{
    CPPlayer camera;
    level.cameraCar = &camera;
    player.inGloom = true;
    player.Update(kStep);
    EXPECT_FALSE(player.IsVisible()) << "the camera car is outside the gloom";
    EXPECT_TRUE(sparks.records.empty());
    camera.inGloom = true;
    player.Update(kStep);
    EXPECT_TRUE(player.IsVisible());
    EXPECT_EQ(sparks.records.size(), 60u);
    // While the demo camera picks its views its own car makes none.
    level.cameraCar = &player;
    level.cameraPreset = 1;
    sparks.records.clear();
    player.Update(kStep);
    EXPECT_TRUE(player.IsVisible());
    EXPECT_TRUE(sparks.records.empty());
    level.cameraCar = nullptr;
}

TEST_F(RuleStep, TheGloomEndsAfterFifteenSecondsShowingEveryCarButTheHumans)
{
    CPPlayer camera;
    level.cameraCar = &camera;
    for (uint32_t sides : {CPPlayer::kDarkSide, kHuman}) {
        player.sideFlags = sides;
        player.inGloom = true;
        player.gloomTime = 14.5f;
        player.Update(0.25f);
        EXPECT_TRUE(player.inGloom);
        EXPECT_FALSE(player.IsVisible());
        player.Update(0.25f);
        EXPECT_FALSE(player.inGloom);
        EXPECT_EQ(player.IsVisible(), sides == CPPlayer::kDarkSide) << sides;
    }
    level.cameraCar = nullptr;
}

TEST_F(RuleStep, TheGloomBlurEndsAfterFifteenSecondsAndHandsTheCarsBack)
{
    CPRender render;
    CPRender* savedRender = g_pRender;
    g_pRender = &render;
    render.SetMotionBlur(0.3f);
    render.SetBlurBlend(150);
    level.allCarsDriven = true;
    player.blurActive = true;
    player.blurTime = 14.5f;
    player.Update(0.25f);
    EXPECT_TRUE(render.IsMotionBlurOn());
    EXPECT_TRUE(level.allCarsDriven);
    player.Update(0.25f);
    g_pRender = savedRender;
    EXPECT_FALSE(player.blurActive);
    EXPECT_FALSE(render.IsMotionBlurOn());
    EXPECT_EQ(render.GetMotionBlurAmount(), 0.0f);
    EXPECT_EQ(render.GetBlurBlend(), 255);
    EXPECT_FALSE(level.allCarsDriven);
}

TEST_F(RuleStep, TheEngineTellsTheMenuOfEachCrossingOfTheOverheatingMark)
{
    player.engineItem.values[EngineDefinition::kHeatRate] = 2.0f;
    player.engineItem.values[EngineDefinition::kCoolRate] = 0.5f;
    player.engineTemp = 0.5f;
    const struct {
        float throttle;
        float dt;
        float temperature;
        Texts sent;
    } steps[] = {
        {1.0f, 0.125f, 0.75f, {}},
        {-1.0f, 0.0625f, 0.875f, {"engine_temp:1"}},
        {1.0f, 0.125f, 1.0f, {}},
        {0.0f, 0.25f, 0.875f, {}},
        {0.0f, 0.25f, 0.75f, {"engine_temp:0"}},
        {0.0f, 4.0f, 0.0f, {}},
        {0.5f, 0.5f, 1.0f, {"engine_temp:1"}},
    };
    int step = 0;
    for (const auto& s : steps) {
        player.throttleInput = s.throttle;
        player.Update(s.dt);
        EXPECT_EQ(player.engineTemp, s.temperature) << step;
        EXPECT_EQ(gameMenu.TakeCommands(), s.sent) << step;
        ++step;
    }
}

TEST_F(RuleStep, TheCountersRunDownByTheStepAndTheWeaponsNoLowerThanTheLongestFrame)
{
    player.timeBonus = 0.25f;
    player.respawnCooldown = 0.5f;
    player.fireCooldown = 0.125f;
    player.Update(0.375f);
    EXPECT_EQ(player.timeBonus, -0.125f);
    EXPECT_EQ(player.respawnCooldown, 0.125f);
    EXPECT_EQ(player.fireCooldown, -0.25f);
    player.Update(0.375f);
    EXPECT_EQ(player.timeBonus, -0.125f) << "a spent counter stays";
    EXPECT_EQ(player.respawnCooldown, -0.25f);
    EXPECT_EQ(player.fireCooldown, -0.25f) << "no lower";
}

struct SlamCase {
    const char* name;
    bool routeAware;
    bool touching;
    float slamBefore;
    bool alreadyPlaying;
    bool plays;
};

class PlayerSlam : public RuleStep, public testing::WithParamInterface<SlamCase> {};

TEST_P(PlayerSlam, SoundsForTheRouteAwareCarOnContactAtMostEveryHalfSecond)
{
    const SlamCase& c = GetParam();
    shot_test::ShotSounds sounds;
    CPSoundManager manager(&sounds.cache);
    CPSoundManager* savedManager = g_pSoundManager;
    g_pSoundManager = &manager;
    RefPtr<CNSound> slam;
    manager.LoadSound(slam, "boom.wav", CNSound::kPlain, false);
    ASSERT_TRUE(slam);
    manager.GetNamedSounds()["slam"] = slam;
    if (c.alreadyPlaying) slam->Play(0, 0);
    Texts& calls = shot_test::ShotSounds::BufferOf(slam.Get()).calls;
    calls.clear();
    player.routeAware = c.routeAware;
    player.touching = c.touching;
    player.slamTime = c.slamBefore;
    player.Update(0.125f);
    g_pSoundManager = savedManager;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Play 0 0 0"), c.plays ? 1 : 0);
    EXPECT_EQ(player.slamTime, c.plays ? 0.0f : c.slamBefore + 0.125f);
    EXPECT_FALSE(player.touching);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlayerSlam,
                         testing::Values(SlamCase{"plays", true, true, 0.4375f, false, true},
                                         SlamCase{"atHalfASecond", true, true, 0.375f, false, false},
                                         SlamCase{"notTouching", true, false, 2.0f, false, false},
                                         SlamCase{"notRouteAware", false, true, 2.0f, false, false},
                                         SlamCase{"stillPlaying", true, true, 2.0f, true, false}),
                         [](const testing::TestParamInfo<SlamCase>& info) { return info.param.name; });

// Racers of the car world on a flat road, on their own without a level.
class RuleStepOnRoad : public car_test::CarWorldFixture {
protected:
    void SetUp() override
    {
        CarWorldFixture::SetUp();
        BuildRoad(car_test::RoadMesh::Plane(200.0f, 20.0f));
    }

    RefPtr<CPPlayer> AddPlayer(const D3DXVECTOR3& position)
    {
        RefPtr<CPPlayer> player(new CPPlayer());
        car_test::MakeCarObject(car_test::CarSetup(), position, 0.4f, RefPtr<CPGameObject>(player.Get()));
        AddCar(RefPtr<CPGameObject>(player.Get()));
        RunFrames(5);
        return player;
    }

    static bool BrakeLightsOn(CPGameObject& car) { return car.GetChildByName("stoplights2")->IsVisible(); }
};

TEST_F(RuleStepOnRoad, HandsTheHeldInputsToTheCarEvenWhileLockedOrBlocked)
{
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(30, 10, 1));
    RefPtr<CPCar> car = player->GetCar();
    player->SetCarParams(0.75f, -0.25f);
    player->Update(kStep);
    EXPECT_EQ(car->GetDrive(), 0.75f * car->GetAccelFront());
    EXPECT_EQ(car->GetSteering(), -0.25f);
    player->SetLocked(true);
    player->throttleBlocked = true;
    ASSERT_EQ(car->GetDrive(), 0.0f);
    player->Update(kStep);
    EXPECT_EQ(car->GetDrive(), 0.75f * car->GetAccelFront()) << "the car's own lock holds it";
    EXPECT_TRUE(car->IsLocked());
}

TEST_F(RuleStepOnRoad, TheSpeedBonusEndsPastFourSecondsFreeingTheCarAndPuttingOutItsBrakeLights)
{
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(30, 10, 1));
    RefPtr<CPCar> car = player->GetCar();
    player->SetLocked(true);
    player->throttleBlocked = true;
    player->speedBonusActive = true;
    player->speedBonusTime = 3.5f;
    player->Update(0.5f);
    EXPECT_TRUE(player->speedBonusActive) << "4.0 is not past four seconds";
    EXPECT_TRUE(player->locked);
    player->Update(0.0625f);
    EXPECT_FALSE(player->speedBonusActive);
    EXPECT_EQ(player->speedBonusTime, 0.0f);
    EXPECT_FALSE(player->locked) << "unlocked whatever locked it";
    EXPECT_FALSE(car->IsLocked());
    EXPECT_FALSE(player->throttleBlocked);
    EXPECT_FALSE(BrakeLightsOn(*player)) << "the brake goes on, then off";
}

struct SlowCase {
    const char* name;
    bool flaresShown;
    float speed;
    float slowTime;
    bool slowAfter;
    bool brakeLightsAfter;
};

class SlowDownStep : public RuleStepOnRoad, public testing::WithParamInterface<SlowCase> {};

TEST_P(SlowDownStep, BrakesForFourSecondsOrUntilTheCarIsSlow)
{
    const SlowCase& c = GetParam();
    RefPtr<CPPlayer> player = AddPlayer(D3DXVECTOR3(30, 10, 1));
    for (const char* name : {"lflarerear", "rflarerear"}) {
        player->AddChild(RefPtr<CPGameObject>(new CPGameObject(name)));
        player->GetChildByName(name)->SetVisible(c.flaresShown);
    }
    player->slowActive = true;
    player->slowTime = c.slowTime;
    player->GetCar()->SetVelocity(D3DXVECTOR4(0.6f * c.speed, 0.8f * c.speed, 0.0f, 0.0f));
    player->Update(0.25f);
    EXPECT_EQ(player->slowActive, c.slowAfter);
    EXPECT_EQ(BrakeLightsOn(*player), c.brakeLightsAfter);
    for (const char* name : {"lflarerear", "rflarerear"}) {
        EXPECT_EQ(player->GetChildByName(name)->IsVisible(), c.flaresShown) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SlowDownStep,
                         testing::Values(SlowCase{"running", true, 10.0f, 3.5f, true, true},
                                         SlowCase{"fourSeconds", true, 10.0f, 3.75f, false, true},
                                         SlowCase{"slow", true, 9.9f, 1.0f, false, true},
                                         SlowCase{"flaresHiddenRunning", false, 12.0f, 1.0f, true, true},
                                         SlowCase{"flaresHiddenEndsDark", false, 12.0f, 3.75f, false, false}),
                         [](const testing::TestParamInfo<SlowCase>& info) { return info.param.name; });

} // namespace
