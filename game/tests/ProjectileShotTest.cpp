#include "game/EffectShot.h"
#include "game/ProjectileShot.h"

#include "Render/PParticleManager.h"
#include "Render/PRenderQueue.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PLevel.h"
#include "game/PLevelBranch.h"
#include "game/PShotSpawner.h"
#include "game/tests/LevelObjectFixtures.h"
#include "game/tests/ShotTestSupport.h"

#include <gtest/gtest.h>

using namespace level_test;
using namespace shot_test;

namespace {

// Frames of 0.5 s. A level whose branch tree holds a wall at (60, 0, 0);
// every object is a box of half extents (1, 2, 3) around a point 0.5 above
// its origin. The firing car stands at the origin with its gun as a child;
// the target car at (30, 0, 0) has a script handler.
class Projectile : public LevelObjectTest {
protected:
    Projectile() : m_savedDelta(FrameDeltaTime), m_savedSpawner(g_pShotSpawner), m_savedBus(g_pCommandManager)
    {
        FrameDeltaTime = 0.5f;
        g_pShotSpawner = &spawner;
        g_pCommandManager = &bus;
        receiver.Start();
        WriteBoxObject("box", 1);
        wall = Place("box", "wall", D3DXVECTOR3(60, 0, 0));
        level.branchTree = new CPLevelBranch();
        level.branchTree->SetObjects({wall});
        level.branchTree->Build();
        shooter = Place("box", "shooter", D3DXVECTOR3(0, 0, 0));
        gun = Place("box", "gun", D3DXVECTOR3(0, 0, 0));
        shooter->AddChild(gun);
        target = Place("box", "target", D3DXVECTOR3(30, 0, 0));
        target->SetScriptHandler(&receiver);
        level.opponents = {shooter, target};
        impact = new RecordingShot("hit");
        spawner.AddTemplate(std::unique_ptr<CPShot>(impact));
        // Ten units a second, 100 units of range, damage 40.
        shot.SetParams({"none", "10", "100", "40", "hit", "none"});
    }
    ~Projectile() override
    {
        target->SetScriptHandler(nullptr);
        FrameDeltaTime = m_savedDelta;
        g_pShotSpawner = m_savedSpawner;
        g_pCommandManager = m_savedBus;
    }
    // Frames until the shot ends, at most limit.
    int FlyUntilEnd(int limit)
    {
        for (int frame = 1; frame <= limit; ++frame) {
            if (!shot.Update()) return frame;
        }
        return 0;
    }
    const RecordingShot::LaunchCall& Impact()
    {
        return static_cast<RecordingShot*>(spawner.GetActiveShots().at(0).Get())->launches.at(0);
    }

    CPShotSpawner spawner;
    RecordingShot* impact;
    CPCommandManager bus;
    gameobject_test::Receiver receiver;
    CPLevel level;
    RefPtr<CPGameObject> wall, shooter, gun, target;
    ProjectileShot shot{"bullet"};

private:
    float m_savedDelta;
    CPShotSpawner* m_savedSpawner;
    CPCommandManager* m_savedBus;
};

TEST_F(Projectile, HitsTheNextRacerPastItsOwnCarAndDamagesItByTheLaunchValue)
{
    const struct {
        float value;
        const char* damage;
    } cases[] = {{12.5f, "damage:12.50"}, {-1.0f, "damage:40.00"}, {0.0f, "damage:0.00"}, {-0.5f, "damage:-0.50"}};
    for (const auto& c : cases) {
        spawner.GetActiveShots().clear();
        // From behind the firing car, through it: steps of 5 units, the
        // seventh, from 25 to 30, enters the target at 29.
        shot.Launch(D3DXVECTOR3(-5, 0, 1), D3DXVECTOR3(5, 0, 0), c.value, gun, 0);
        EXPECT_EQ(FlyUntilEnd(10), 7) << c.value;
        EXPECT_EQ(receiver.TakeCommands(), std::vector<std::string>{c.damage}) << c.value;
        ASSERT_EQ(spawner.GetActiveShots().size(), 1u);
        ExpectPoint(Impact().position, D3DXVECTOR3(29, 0, 1));
        ExpectPoint(Impact().direction, D3DXVECTOR3(-1, 0, 0));
        EXPECT_EQ(Impact().value, -1.0f);
        EXPECT_EQ(Impact().owner, nullptr);
    }
}

TEST_F(Projectile, TheLevelIsTestedAsWellAsTheRacersAndTheNearerHitCounts)
{
    level.opponents = {target};
    // Fired from past the target towards +x: the wall at 59 is hit.
    shot.Launch(D3DXVECTOR3(33, 0, 1), D3DXVECTOR3(1, 0, 0), 5.0f, nullptr, 0);
    EXPECT_EQ(FlyUntilEnd(10), 6);
    ExpectPoint(Impact().position, D3DXVECTOR3(59, 0, 1));
    EXPECT_TRUE(receiver.TakeCommands().empty()) << "the wall has no handler";

    // Fired towards -x at the target, with the wall behind it.
    spawner.GetActiveShots().clear();
    level.opponents = {target};
    shot.Launch(D3DXVECTOR3(45, 0, 1), D3DXVECTOR3(-2, 0, 0), 5.0f, nullptr, 0);
    EXPECT_EQ(FlyUntilEnd(10), 3);
    ExpectPoint(Impact().position, D3DXVECTOR3(31, 0, 1));
    EXPECT_EQ(receiver.TakeCommands(), std::vector<std::string>{"damage:5.00"});
}

TEST_F(Projectile, EndsOncePastItsRangeAndFliesUntestedWithoutALevel)
{
    shot.SetParams({"none", "10", "10", "40", "hit", "none"});
    // Up the y axis, clear of everything: 5, then 10 (the range itself), then 15.
    shot.Launch(D3DXVECTOR3(0, 10, 1), D3DXVECTOR3(0, 3, 0), -1.0f, nullptr, 0);
    EXPECT_TRUE(shot.Update());
    ExpectPoint(*shot.GetPositionRef(), D3DXVECTOR3(0, 15, 1));
    EXPECT_TRUE(shot.Update());
    EXPECT_FALSE(shot.Update());
    EXPECT_TRUE(spawner.GetActiveShots().empty());

    shot.SetParams({"none", "10", "100", "40", "hit", "none"});
    CPLevel* saved = CurrentLevel;
    CurrentLevel = nullptr;
    shot.Launch(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(1, 0, 0), -1.0f, nullptr, 0);
    EXPECT_EQ(FlyUntilEnd(30), 21) << "through the target and the wall";
    CurrentLevel = saved;
    EXPECT_TRUE(receiver.TakeCommands().empty());
}

TEST_F(Projectile, TheRunnerPlacesAndQueuesFlyingShotsForDrawingOnly)
{
    CPRenderQueue queue(nullptr);
    render.SetRenderQueue(&queue);
    std::unique_ptr<ProjectileShot> bullet(new ProjectileShot("bullet"));
    bullet->SetParams({"none", "10", "7", "40", "hit", "none"});
    spawner.AddTemplate(std::move(bullet));
    // One clear of everything, one that ends past its range in the frame.
    spawner.Spawn("bullet", D3DXVECTOR3(0, 40, 1), D3DXVECTOR3(0, 1, 0), -1.0f, nullptr, 0);
    spawner.Spawn("bullet", D3DXVECTOR3(0, -40, 1), D3DXVECTOR3(0, -1, 0), -1.0f, nullptr, 0);
    static_cast<ProjectileShot*>(spawner.GetActiveShots()[1].Get())->Update();
    spawner.GetRunner()->Execute();
    render.SetRenderQueue(nullptr);

    ASSERT_EQ(spawner.GetActiveShots().size(), 1u);
    EXPECT_EQ(queue.GetFrameBlockCount(), 1) << "only the flying shot";
    const CPShot& flying = *spawner.GetActiveShots()[0];
    const D3DXMATRIX& world = flying.GetWorldMatrix();
    ExpectPoint(D3DXVECTOR3(world._41, world._42, world._43), D3DXVECTOR3(0, 45, 1));
    EXPECT_FALSE(flying.IsDirty());
}

TEST(ProjectileParams, RefusesAWrongCountOrNumbersThatAreNot)
{
    ProjectileShot shot("bullet");
    EXPECT_TRUE(shot.SetParams({"none", "10.5", "-3", "1e2", "hit", "none"}));
    EXPECT_EQ(shot.GetSpeed(), 10.5f);
    EXPECT_EQ(shot.GetRange(), -3.0f);
    EXPECT_EQ(shot.GetDamage(), 100.0f);
    EXPECT_EQ(shot.GetImpactKind(), "hit");
    const std::vector<std::vector<std::string>> bad = {
        {"none", "10", "100", "40", "hit"},
        {"none", "10", "100", "40", "hit", "none", "x"},
        {"none", "fast", "100", "40", "hit", "none"},
        {"none", "10", "100x", "40", "hit", "none"},
        {"none", "10", "100", "inf", "hit", "none"},
        {"none", "10", "", "40", "hit", "none"},
    };
    for (const std::vector<std::string>& params : bad) {
        EXPECT_FALSE(shot.SetParams(params)) << params.size() << params[1] << params[2] << params[3];
        EXPECT_EQ(shot.GetSpeed(), 10.5f) << "a refused list changes nothing";
    }
    RefPtr<CPShot> copy;
    shot.Clone(copy);
    ASSERT_TRUE(copy);
    std::unique_ptr<CPShot> owned(copy.Get());
    copy = nullptr;
    EXPECT_EQ(owned->GetKindName(), "bullet");
    EXPECT_EQ(static_cast<ProjectileShot*>(owned.get())->GetRange(), -3.0f);
}

TEST(EffectShot, StartsItsSystemAlongTheDirectionAndEndsAfterItsLife)
{
    RecordingBatch fire, smoke;
    CPParticleManager manager;
    CPParticleManager* saved = g_pParticleManager;
    g_pParticleManager = &manager;
    manager.AddBatch("fire", &fire);
    manager.AddBatch("smoke", &smoke);
    EmitterDefinition emitter;
    emitter.particleName = "fire";
    emitter.speed = 3.0f;
    emitter.firstScalar = 0.25f;
    emitter.secondScalar = 0.5f;
    emitter.thirdScalar = 2.0f;
    emitter.acceleration = D3DXVECTOR3(0, 0, -9.8f);
    manager.AddEmitterDefinition("blast", emitter);
    const float savedDelta = FrameDeltaTime;
    FrameDeltaTime = 0.125f;

    EffectShot blast("explosion");
    ASSERT_TRUE(blast.SetParams({"blast", "0.3", "none"}));
    blast.Launch(D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(0, 0, 4), -1.0f, nullptr, 0);
    ASSERT_EQ(fire.records.size(), 1u);
    const ParticleSpawnRecord& record = fire.records[0];
    ExpectPoint(record.position, D3DXVECTOR3(1, 2, 3));
    ExpectPoint(record.velocity, D3DXVECTOR3(0, 0, 3));
    ExpectPoint(record.acceleration, D3DXVECTOR3(0, 0, -9.8f));
    EXPECT_EQ(record.size, 2.0f);
    EXPECT_EQ(record.secondScalar, 0.5f);
    EXPECT_EQ(record.thirdScalar, 0.25f);
    ExpectPoint(*blast.GetPositionRef(), D3DXVECTOR3(1, 2, 3));
    EXPECT_TRUE(blast.Update());
    EXPECT_TRUE(blast.Update());
    EXPECT_FALSE(blast.Update()) << "0.375 s is past a life of 0.3 s";

    EffectShot puff("puff");
    ASSERT_TRUE(puff.SetParams({"smoke", "1", "none"}));
    puff.Launch(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0), -1.0f, nullptr, 0);
    ASSERT_EQ(smoke.records.size(), 1u) << "without an emitter the name is the batch's";
    ExpectPoint(smoke.records[0].velocity, D3DXVECTOR3(0, 1, 0));
    EXPECT_FALSE(puff.SetParams({"smoke", "long", "none"}));
    EXPECT_FALSE(puff.SetParams({"smoke", "1"}));

    FrameDeltaTime = savedDelta;
    manager.RemoveBatches();
    g_pParticleManager = saved;
}

} // namespace
