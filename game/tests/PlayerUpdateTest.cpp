#include "game/PPlayer.h"

#include "Render/PParticleManager.h"
#include "Render/PRender.h"
#include "core/FrameClock.h"
#include "core/Settings.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PLine.h"
#include "game/tests/ShotTestSupport.h"
#include "physics/PCar.h"

#include <gtest/gtest.h>

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
    CPParticleManager particles;
    RecordingBatch smoke;
    RecordingBatch sparks;
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

} // namespace
