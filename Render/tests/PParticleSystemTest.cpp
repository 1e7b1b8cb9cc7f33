#include "Render/PParticleSystem.h"

#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/tests/GameObjectTestSupport.h"
#include "Render/PAnimatedObject.h"
#include "Render/PParticleManager.h"
#include "Render/tests/AnimationTestSupport.h"
#include "Render/tests/ParticleTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using particle_test::RecordingBatch;

const float kDegrees = 57.29578f;

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, const std::string& what = "")
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-5f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-5f) << what;
}

EmitterDefinition Emitter(const char* particleName, const D3DXVECTOR3& direction, float speed)
{
    EmitterDefinition emitter;
    emitter.particleName = particleName;
    emitter.direction = direction;
    emitter.speed = speed;
    return emitter;
}

// The host's particle manager with the batch "puff" and the emitter "smoke",
// which starts particles along +z without spread or cone.
class ParticleSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::srand(1);
        g_pParticleManager = &manager;
        manager.AddBatch("puff", &puff);
        manager.AddEmitterDefinition("smoke", Emitter("puff", D3DXVECTOR3(0, 0, 1), 3.0f));
    }
    void TearDown() override
    {
        g_pParticleManager = nullptr;
        FrameDeltaTime = 0.0f;
    }

    // Frames as the host runs them: only a running system steps.
    static void Run(CPParticleSystem& system, const std::vector<float>& steps)
    {
        for (float step : steps) {
            FrameDeltaTime = step;
            if (system.IsRunning()) system.Execute();
        }
    }

    // The velocities of many emissions of one emitter.
    std::vector<D3DXVECTOR3> Velocities(const EmitterDefinition& emitter, int count)
    {
        manager.AddEmitterDefinition("probe", emitter);
        CPParticleSystem system(nullptr, {"probe"});
        system.Start();
        Run(system, std::vector<float>(count, 0.6f));
        std::vector<D3DXVECTOR3> velocities;
        for (const Particle& particle : puff.particles) velocities.push_back(particle.record.velocity);
        puff.particles.clear();
        return velocities;
    }

    // The manager and the particles hold references to the batches up to
    // their end, so the batches outlive both.
    RecordingBatch idle;
    RecordingBatch puff;
    CPParticleManager manager;
};

struct TimingCase {
    float interval;
    float lifetime;
    std::vector<float> steps;
    size_t emissions;
    float accumulated;
    bool stopped;
};

TEST_F(ParticleSystemTest, EmitsOnceForEveryIntervalTheAccumulatedTimeExceeds)
{
    const TimingCase cases[] = {
        {0.5f, -1.0f, {1.2f}, 2, 0.2f, false},
        {0.5f, -1.0f, {0.5f}, 0, 0.5f, false},             // exactly one interval is not past it
        {0.5f, 2.0f, {2.6f}, 5, 0.1f, true},               // the fifth emission passes the lifetime
        {0.5f, 2.0f, {0.6f, 0.6f, 0.6f, 0.6f, 0.6f}, 4, 0.4f, true},
        {0.5f, 2.0f, {10.0f}, 5, 7.5f, true},              // nothing more once stopped
        {0.0f, -1.0f, {1.0f, 1.0f}, 2, 2.0f, false},       // no interval: once a frame
        {-1.0f, -1.0f, {1.0f}, 1, 2.0f, false},
        {1e-9f, -1.0f, {1.0f}, 1, 1.0f, false},            // too small to take time off
    };
    for (const TimingCase& row : cases) {
        CPParticleSystem system(nullptr, {"smoke"});
        system.SetInterval(row.interval);
        system.SetLifetime(row.lifetime);
        system.Start();
        Run(system, row.steps);
        const std::string what = "interval " + std::to_string(row.interval) + " lifetime " +
                                 std::to_string(row.lifetime) + " first step " + std::to_string(row.steps[0]);
        EXPECT_EQ(puff.particles.size(), row.emissions) << what;
        EXPECT_NEAR(system.GetAccumulatedTime(), row.accumulated, 1e-5f) << what;
        EXPECT_EQ(system.IsStopped(), row.stopped) << what;
        puff.particles.clear();
    }
}

TEST_F(ParticleSystemTest, ElapsedTimeGrowsByTheFrameTimeAndStartResetsTheClocks)
{
    CPParticleSystem system(nullptr, {"smoke"});
    EXPECT_TRUE(system.Start());
    Run(system, {0.3f, 0.9f});
    EXPECT_FLOAT_EQ(system.GetElapsedTime(), 1.2f);
    EXPECT_FALSE(system.Start());
    EXPECT_FLOAT_EQ(system.GetElapsedTime(), 0.0f);
    EXPECT_FLOAT_EQ(system.GetAccumulatedTime(), 0.0f);
    EXPECT_TRUE(system.IsRunning());
}

TEST_F(ParticleSystemTest, EmissionChainsOneRecordPerKnownEmitterPlacedByTheOwner)
{
    EmitterDefinition smoke = Emitter("puff", D3DXVECTOR3(0, 0, 5), 3.0f);
    smoke.firstScalar = 1.0f;
    smoke.secondScalar = 2.0f;
    smoke.thirdScalar = 4.0f;
    smoke.acceleration = D3DXVECTOR3(0, 0, -9.8f);
    smoke.flag = 7;
    EmitterDefinition spark = Emitter("spark", D3DXVECTOR3(3, 0, 0), 2.0f);
    spark.acceleration = D3DXVECTOR3(1, 2, 3);
    spark.thirdScalar = 0.5f;
    manager.AddEmitterDefinition("smoke", smoke);
    manager.AddEmitterDefinition("spark", spark);

    CPGameObject owner("chimney");
    animation_test::PlaceQuarterTurned(owner, 10, 20, 30);

    CPParticleSystem system(&owner, {"smoke", "ghost", "spark"});
    EXPECT_EQ(system.GetEmitterNames(), (std::vector<std::string>{"smoke", "ghost", "spark"}));
    ASSERT_EQ(system.GetEmitters().size(), 2u);
    ExpectNear(manager.FindEmitterDefinition("spark")->direction, D3DXVECTOR3(1, 0, 0), "normalised in place");
    system.Start();
    Run(system, {0.6f});

    ASSERT_EQ(puff.particles.size(), 1u);
    const Particle& particle = puff.particles[0];
    EXPECT_GE(particle.startAngle, 0.0f);
    EXPECT_LT(particle.startAngle, 2 * D3DX_PI);
    const ParticleSpawnRecord& first = particle.record;
    EXPECT_EQ(first.name, "puff");
    ExpectNear(first.position, D3DXVECTOR3(10, 20, 30), "first in the world");
    ExpectNear(first.velocity, D3DXVECTOR3(0, 0, 3));
    ExpectNear(first.acceleration, D3DXVECTOR3(0, 0, -9.8f));
    EXPECT_EQ(first.size, 4.0f);
    EXPECT_EQ(first.secondScalar, 2.0f);
    EXPECT_EQ(first.thirdScalar, 1.0f);
    EXPECT_EQ(first.firstFlag, 7);
    EXPECT_EQ(first.secondFlag, 0);
    EXPECT_EQ(first.number, 0);
    EXPECT_FALSE(first.object);
    ASSERT_TRUE(first.next);
    const ParticleSpawnRecord& second = *first.next;
    EXPECT_EQ(second.name, "spark");
    ExpectNear(second.position, D3DXVECTOR3(0, 0, 0), "later ones are offsets");
    ExpectNear(second.velocity, D3DXVECTOR3(0, 2, 0), "turned with the owner");
    ExpectNear(second.acceleration, D3DXVECTOR3(1, 2, 3), "not turned");
    EXPECT_EQ(second.size, 0.5f);
    EXPECT_FALSE(second.next);
}

TEST_F(ParticleSystemTest, StartOffsetsFillTheSpreadBox)
{
    EmitterDefinition spread = Emitter("puff", D3DXVECTOR3(0, 0, 1), 1.0f);
    spread.spread = D3DXVECTOR3(1, 2, 3);
    manager.AddEmitterDefinition("probe", spread);
    CPParticleSystem system(nullptr, {"probe"});
    system.Start();
    Run(system, std::vector<float>(300, 0.6f));
    D3DXVECTOR3 low(0, 0, 0), high(0, 0, 0);
    for (const Particle& particle : puff.particles) {
        D3DXVec3Minimize(&low, &low, &particle.record.position);
        D3DXVec3Maximize(&high, &high, &particle.record.position);
    }
    for (int axis = 0; axis < 3; ++axis) {
        const float extent = spread.spread[axis];
        EXPECT_GE(low[axis], -extent);
        EXPECT_LE(high[axis], extent);
        EXPECT_LT(low[axis], -extent / 2);
        EXPECT_GT(high[axis], extent / 2);
    }
}

struct ConeCase {
    D3DXVECTOR3 direction;
    int coneAngle;
    float largestAngle; // degrees
};

TEST_F(ParticleSystemTest, VelocitiesLeaveWithinHalfTheConeAroundTheDirection)
{
    const ConeCase cases[] = {
        {D3DXVECTOR3(1, 0, 0), 0, 0.0f},
        {D3DXVECTOR3(0, -2, 0), 0, 0.0f},
        {D3DXVECTOR3(1, 1, 1), 0, 0.0f},
        {D3DXVECTOR3(0, 0, 1), 0, 0.0f},
        {D3DXVECTOR3(0, 0, -1), 0, 0.0f},  // half a turn
        {D3DXVECTOR3(1, 0, 0), 1, 0.0f},   // counts as no cone
        {D3DXVECTOR3(1, 2, -3), 90, 44.0f},
        {D3DXVECTOR3(0, 0, -1), 90, 44.0f},
    };
    for (const ConeCase& row : cases) {
        EmitterDefinition emitter = Emitter("puff", row.direction, 2.0f);
        emitter.coneAngle = row.coneAngle;
        D3DXVECTOR3 direction;
        D3DXVec3Normalize(&direction, &row.direction);
        float largest = 0.0f;
        for (const D3DXVECTOR3& velocity : Velocities(emitter, 200)) {
            EXPECT_NEAR(D3DXVec3Length(&velocity), 2.0f, 1e-5f);
            if (row.coneAngle < 2) ExpectNear(velocity, direction * 2.0f, "cone " + std::to_string(row.coneAngle));
            const float cosine = D3DXVec3Dot(&velocity, &direction) / 2.0f;
            largest = std::max(largest, std::acos(std::min(cosine, 1.0f)) * kDegrees);
        }
        EXPECT_LE(largest, row.largestAngle + 0.05f);
        EXPECT_GE(largest, row.largestAngle * 0.75f);
    }
}

TEST_F(ParticleSystemTest, SystemWithoutKnownEmittersSpawnsNothing)
{
    CPParticleSystem system(nullptr, {"ghost"});
    system.Start();
    Run(system, {1.2f});
    EXPECT_TRUE(puff.particles.empty());
    EXPECT_TRUE(manager.GetActiveBatches().empty());
}

TEST_F(ParticleSystemTest, CloneTakesTheSettingsAndStartsIdle)
{
    CPGameObject owner("owner"), target("target");
    CPParticleSystem system(&owner, {"smoke", "ghost"});
    system.SetInterval(0.25f);
    system.SetLifetime(3.0f);
    system.SetDamage(2.0f);
    system.SetTarget(&target);
    system.Start();
    Run(system, {0.1f});

    RefPtr<IPProcess> copy;
    system.Clone(copy);
    CPParticleSystem* clone = dynamic_cast<CPParticleSystem*>(copy.Get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetOwner(), &owner);
    EXPECT_EQ(clone->GetEmitterNames(), system.GetEmitterNames());
    EXPECT_EQ(clone->GetEmitters().size(), 1u);
    EXPECT_EQ(clone->GetInterval(), 0.25f);
    EXPECT_EQ(clone->GetLifetime(), 3.0f);
    EXPECT_EQ(clone->GetDamage(), 2.0f);
    EXPECT_EQ(clone->GetTarget(), &target);
    EXPECT_FALSE(clone->IsRunning());
    EXPECT_EQ(clone->GetElapsedTime(), 0.0f);
    copy = nullptr;
    delete clone;
}

TEST_F(ParticleSystemTest, EmissionsDamageTheTargetAndTheOwnersScriptedAncestor)
{
    CPCommandManager bus;
    g_pCommandManager = &bus;
    gameobject_test::Receiver script;
    script.Start();
    gameobject_test::Enemy targetEnemy;
    CPGameObject car("car"), exhaust("exhaust"), target("target");
    car.SetScriptHandler(&script);
    car.AddChild(&exhaust);
    target.SetPosition(1, 2, 3);
    target.SetEnemy(&targetEnemy);

    CPParticleSystem system(&exhaust, {"smoke"});
    system.SetDamage(2.5f);
    system.SetTarget(&target);
    system.Start();
    Run(system, {1.2f});

    EXPECT_EQ(script.TakeCommands(), std::vector<std::string>(2, "damage:2.50"));
    EXPECT_EQ(targetEnemy.calls, std::vector<std::string>(2, "damage"));
    EXPECT_EQ(targetEnemy.damage, 2.5f);
    EXPECT_FALSE(targetEnemy.wasQuiet);
    g_pCommandManager = nullptr;
    car.SetScriptHandler(nullptr);
}

TEST_F(ParticleSystemTest, HalfTheLifetimePutsTheFireMaterialOnTheScriptedAncestor)
{
    CPCommandManager bus;
    g_pCommandManager = &bus;
    gameobject_test::Receiver script;
    CPMaterial fire(20, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>());
    CPAnimatedObject body;
    CPGameObject car("car"), exhaust("exhaust");
    car.SetScriptHandler(&script);
    car.AddChild(&exhaust);
    car.SetComponent(CPGameObject::kKindAnimated, &body);
    car.SetFireMaterial(&fire);

    CPParticleSystem system(&exhaust, {"smoke"});
    system.SetLifetime(2.0f);
    system.Start();
    RefPtr<CPMaterial> material;
    Run(system, {0.6f});
    body.GetMaterial(material);
    EXPECT_EQ(material.Get(), nullptr);
    Run(system, {0.6f});
    body.GetMaterial(material);
    EXPECT_EQ(material.Get(), &fire);
    g_pCommandManager = nullptr;
    car.SetScriptHandler(nullptr);
    car.SetComponent(CPGameObject::kKindGroup, RefPtr<IPObject>());
}

TEST_F(ParticleSystemTest, SpawnListsABatchOnceAndDropsParticlesWithoutOne)
{
    manager.AddBatch("idle", &idle);
    ParticleSpawnRecord record;
    record.name = "puff";
    record.number = 9;
    record.object = &idle;
    record.next = std::make_unique<ParticleSpawnRecord>();
    record.next->name = "behind";

    std::srand(5);
    ParticleSpawnRecord lost = record;
    lost.name = "nobody";
    manager.SpawnParticle(lost);
    manager.SpawnParticle(record);
    manager.SpawnParticle(record);
    std::srand(5);
    std::rand();
    const float secondAngle = static_cast<float>(std::rand() % 360) * kRadiansPerDegree;

    ASSERT_EQ(puff.particles.size(), 2u);
    EXPECT_FLOAT_EQ(puff.particles[0].startAngle, secondAngle);
    const ParticleSpawnRecord& kept = puff.particles[0].record;
    EXPECT_EQ(kept.number, 9);
    EXPECT_EQ(kept.object.Get(), &idle);
    ASSERT_TRUE(kept.next);
    EXPECT_NE(kept.next.get(), record.next.get());
    EXPECT_EQ(kept.next->name, "behind");
    ASSERT_EQ(manager.GetActiveBatches().size(), 1u);
    EXPECT_EQ(manager.GetActiveBatches()[0].Get(), &puff);
    EXPECT_TRUE(puff.IsActive());
    EXPECT_FALSE(idle.IsActive());

    manager.Clear();
    EXPECT_EQ(puff.clears, 1);
    EXPECT_EQ(idle.clears, 1);
    EXPECT_TRUE(puff.particles.empty());
    EXPECT_TRUE(manager.GetActiveBatches().empty());
    EXPECT_FALSE(puff.IsActive());
    manager.SpawnParticle(record);
    EXPECT_EQ(manager.GetActiveBatches().size(), 1u);
}

} // namespace
