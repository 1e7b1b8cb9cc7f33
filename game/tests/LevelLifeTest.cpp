#include "game/tests/FreedMemoryWatch.h"
#include "game/tests/LevelLoadFixture.h"

#include "Render/PCamera.h"
#include "Render/PIVertexBuffer.h"
#include "Render/PRenderQueue.h"
#include "Render/PParticleManager.h"
#include "Render/PParticleSystem.h"
#include "Render/tests/ParticleTestSupport.h"
#include "core/FrameClock.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PLightningShot.h"
#include "game/PShotSpawner.h"
#include "game/ProjectileShot.h"

#include <memory>
#include <string>
#include <vector>

namespace {

const float kFrameSeconds = 1.0f / 30.0f;
const int kRaceFrames = 20;

// "level1" raced as the game races it: its tasks run frame by frame in list
// order, with the menu listening and the particle manager in place.
class LevelLife : public LevelLoad {
protected:
    LevelLife() : m_savedDelta(FrameDeltaTime) {}
    ~LevelLife() override { FrameDeltaTime = m_savedDelta; }

    void SetUp() override
    {
        LevelLoad::SetUp();
        bus.RegisterReceiver("gamemenu", &menu);
        menu.Start();
        particles.AddBatch("fire", &fire);
        g_pParticleManager = &particles;
    }
    void TearDown() override
    {
        g_pParticleManager = nullptr;
        LevelLoad::TearDown();
    }
    CPLevel& StartLevelOne()
    {
        CPLevel& level = Load("level1");
        EXPECT_TRUE(loaded) << Errors(level);
        level.StartLevel();
        data.levelStarted = true;
        return level;
    }
    // The running tasks, each once a frame, as the host runs them.
    void RunFrames(int frames)
    {
        for (int frame = 0; frame < frames; ++frame) {
            FrameDeltaTime = kFrameSeconds;
            ++FrameNumber;
            std::vector<IPProcess*> running;
            for (const RefPtr<IPProcess>& task : tasks.GetTasks()) running.push_back(task.Get());
            for (IPProcess* task : running) {
                if (task->IsRunning() && !task->IsStopped()) task->Execute();
            }
        }
    }
    // One race as the demo's scripts run it: load, start, a few frames,
    // stop, delete.
    void RaceOnce()
    {
        CPLevel& level = StartLevelOne();
        RunFrames(kRaceFrames);
        level.StopLevel();
        Unload();
    }

    gameobject_test::Receiver menu;
    particle_test::RecordingBatch fire;
    CPParticleManager particles;

private:
    float m_savedDelta;
};

void AddTree(CPGameObject* object, std::vector<const IPObject*>& objects)
{
    if (object) objects.push_back(object);
}

// What the load and the start of the level built, as far as it reaches.
std::vector<const IPObject*> BuiltObjects(CPLevel& level)
{
    std::vector<const IPObject*> built;
    for (const RefPtr<CPGameObject>& racer : level.opponents) {
        AddTree(racer.Get(), built);
        built.push_back(racer->GetCar().Get());
        AddTree(static_cast<CPPlayer&>(*racer).shadow.Get(), built);
    }
    AddTree(level.player.Get(), built);
    built.push_back(level.player->GetCar().Get());
    AddTree(static_cast<CPPlayer&>(*level.player).shadow.Get(), built);
    for (CPGameObject* object : {level.levelScene.Get(), level.planeObject.Get(), level.roadPhysics.Get()}) {
        AddTree(object, built);
    }
    for (CPGameObject* spline : {level.routeSpline.Get(), level.leftSpline.Get(), level.rightSpline.Get()}) {
        AddTree(spline, built);
    }
    for (const RefPtr<CPGameObject>& object : level.levelObjects) AddTree(object.Get(), built);
    for (const RefPtr<CPGameObject>& object : level.placedObjects) AddTree(object.Get(), built);
    built.push_back(level.camera.Get());
    built.push_back(level.branchTree.Get());
    built.push_back(level.updateTask.Get());
    return built;
}

TEST_F(LevelLife, DeletingTheLevelDeletesEverythingItsLoadBuilt)
{
    CPLevel& level = StartLevelOne();
    const std::vector<const IPObject*> built = BuiltObjects(level);
    ASSERT_EQ(level.opponents.size(), 3u);
    ASSERT_EQ(level.checkpoints.size(), 2u);
    ASSERT_EQ(level.placedObjects.size(), 1u);
    for (size_t i = 0; i < built.size(); ++i) ASSERT_TRUE(IsLiveObject(built[i])) << i;
    level.StopLevel();
    Unload();
    for (size_t i = 0; i < built.size(); ++i) EXPECT_FALSE(IsLiveObject(built[i])) << i;
}

// The first race fills the caches (textures, shared meshes, animations)
// that outlive every level.
TEST_F(LevelLife, ARaceLeavesTheLiveObjectsAndTheTaskListAsTheyWere)
{
    RaceOnce();
    const int live = GetLiveObjectCount();
    const size_t listed = tasks.GetTasks().size();
    for (int race = 0; race < 3; ++race) {
        RaceOnce();
        EXPECT_EQ(GetLiveObjectCount(), live) << race;
        EXPECT_EQ(tasks.GetTasks().size(), listed) << race;
    }
}

// The level goes while the player burns, its flame thrower's flames fly, a
// shot it fired is on its way and a bolt grows: nothing touches the
// level's objects afterwards, by reading or by writing.
TEST_F(LevelLife, DeletingTheLevelMidRaceLeavesNothingUsingItsObjects)
{
    CPLevel& level = StartLevelOne();
    RunFrames(kRaceFrames);
    CPGameObject& player = *level.player;
    particles.AddSystemDefinition(new CPParticleSystem());
    player.SetFlameType(0);
    player.AttachFlame(1.0f);
    {
        ParticleSpawnRecord flame;
        flame.name = "fire";
        flame.object = &player;
        particles.SpawnParticle(flame);
    }
    CPShotSpawner spawner;
    std::unique_ptr<ProjectileShot> bullet(new ProjectileShot("bullet"));
    ASSERT_TRUE(bullet->SetParams({"none", "10", "60", "35", "none", "none"}));
    spawner.AddTemplate(std::move(bullet));
    spawner.Spawn("bullet", *player.GetPositionRef(), D3DXVECTOR3(0, 1, 0), -1.0f, &player, 0);
    tasks.AddTask(spawner.GetRunner());
    CPLightningShot bolt("lightning");
    bolt.SetParams({"enemy", "8", "1.5", "0.75", "razlom.dds", "light_nofog.fx", "103", "none", "none"});
    bolt.Launch(*player.GetPositionRef(), D3DXVECTOR3(0, 1, 0), 10.0f, nullptr, 0);
    ASSERT_EQ(fire.particles.size(), 1u);
    ASSERT_EQ(spawner.GetActiveShots().size(), 1u);
    {
        FreedMemoryWatch watch;
        Unload();
        for (int frame = 0; frame < kRaceFrames; ++frame) {
            RunFrames(1);
            bolt.Update();
        }
        EXPECT_GT(watch.GetFreedCount(), 0u);
        EXPECT_EQ(watch.CountWrittenAfterFree(), 0u);
    }
    EXPECT_TRUE(fire.particles.empty());
    EXPECT_EQ(drivers.opponents.size(), 0u);
    EXPECT_TRUE(world.GetCars().empty());
    tasks.RemoveTask(spawner.GetRunner());
}

// A script deletes the level after the level's update queued its racers
// for the frame: the frame's queue lets go of them before they go.
TEST_F(LevelLife, DeletingTheLevelEmptiesTheFramesRenderQueueFirst)
{
    CPIVertexBuffer batch(render.GetDevice(), 2, 1000, 1000, false);
    CPRenderQueue queue(&batch);
    render.SetRenderQueue(&queue);
    StartLevelOne();
    RunFrames(1);
    EXPECT_GT(queue.GetFrameBlockCount(), 0);
    {
        FreedMemoryWatch watch;
        Unload();
        EXPECT_EQ(queue.GetFrameBlockCount(), 0);
        queue.ClearFrame();
        EXPECT_GT(watch.GetFreedCount(), 0u);
        EXPECT_EQ(watch.CountWrittenAfterFree(), 0u);
    }
    render.SetRenderQueue(nullptr);
}

} // namespace
