#include "game/tests/LevelLoadFixture.h"

#include "Render/PParticleManager.h"
#include "Render/tests/ParticleTestSupport.h"
#include "core/FrameClock.h"
#include "core/tests/GameObjectTestSupport.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

const int kNone = -1;

// "level1" loaded with the menu's receiver listening, ready to start.
class LevelStart : public LevelLoad {
protected:
    void SetUp() override
    {
        LevelLoad::SetUp();
        bus.RegisterReceiver("gamemenu", &menu);
        menu.Start();
        g_pParticleManager = &particles;
    }
    void TearDown() override
    {
        g_pParticleManager = nullptr;
        LevelLoad::TearDown();
    }
    CPLevel& LoadLevelOne()
    {
        CPLevel& level = Load("level1");
        EXPECT_TRUE(loaded) << Errors(level);
        return level;
    }
    // The running tasks' priorities, in list order.
    std::vector<int> RunningPriorities() const
    {
        std::vector<int> priorities;
        for (const RefPtr<IPProcess>& task : tasks.GetTasks()) {
            if (task->IsRunning() && !task->IsStopped()) priorities.push_back(task->GetPriority());
        }
        return priorities;
    }

    gameobject_test::Receiver menu;
    // The manager holds a reference to the batch up to its end.
    particle_test::RecordingBatch sparks;
    CPParticleManager particles;
};

TEST_F(LevelStart, ResetsThePlacesStepsAndClocksAndTellsTheMenuTheMoney)
{
    CPLevel& level = LoadLevelOne();
    level.placeToFinish = 2;
    level.places[0] = 10;
    level.places[2] = 3;
    level.placesDone = true;
    level.stepAccumulator = 0.0125f;
    level.shotsBlocked = true;
    level.levelTime = 3.0f;
    level.startupTime = 16.0f;
    level.trafficRefreshTime = 0.75f;
    FrameDeltaTime = 0.3f;
    data.money = 1234.567f;
    data.roundsRecorded = 2;
    data.roundTimes = {61.5f, 12.25f, 9.0f};
    data.raceRoundTime = 42.5f;
    data.racerRecords["1"].timeSlots.assign(RacerRecord::kTimeSlots, 7.0f);

    level.StartLevel();

    EXPECT_EQ(level.placeToFinish, 0);
    EXPECT_EQ(std::vector<int>(level.places, level.places + 3), (std::vector<int>{kNone, kNone, kNone}));
    EXPECT_FALSE(level.placesDone);
    EXPECT_EQ(level.stepAccumulator, 0.0f);
    EXPECT_EQ(FrameDeltaTime, 0.0f);
    EXPECT_FALSE(level.shotsBlocked);
    EXPECT_EQ(level.levelTime, 600.0f);
    EXPECT_EQ(level.startupTime, 0.0f);
    EXPECT_EQ(level.trafficRefreshTime, 0.0f);
    EXPECT_EQ(menu.TakeCommands(), (std::vector<std::string>{"set_money:1234.57", "init_game_interface:"}));
    // Only the running round's time starts again.
    EXPECT_EQ(data.roundTimes, (std::vector<float>{61.5f, 0.0f, 9.0f}));
    const std::vector<float>& slots = data.racerRecords["1"].timeSlots;
    EXPECT_EQ(std::vector<float>(slots.begin(), slots.begin() + 6),
              (std::vector<float>{42.5f, 42.5f, 42.5f, 42.5f, 42.5f, 7.0f}));
    // The route is built: the followed car stands nearest to a node.
    EXPECT_FALSE(level.route.empty());
    EXPECT_NE(level.lastNode, kNone);
    EXPECT_NE(level.startNode, kNone);
    EXPECT_TRUE(level.placedCursor == level.placedObjects.begin());
    EXPECT_FALSE(level.placedObjects.empty());
}

// A round count below 1 counts as the first round: the list gains that
// entry and no entry before the first is written.
TEST_F(LevelStart, ARoundCountBelowOneStartsTheFirstRound)
{
    CPLevel& level = LoadLevelOne();
    data.roundsRecorded = 0;
    data.roundTimes.clear();
    level.StartLevel();
    EXPECT_EQ(data.roundTimes, std::vector<float>{0.0f});
}

TEST_F(LevelStart, ListsTheDriversThePlayerTheCarWorldAndTheUpdateByPriority)
{
    CPLevel& level = LoadLevelOne();
    level.StartLevel();

    std::vector<int> priorities = RunningPriorities();
    ASSERT_FALSE(priorities.empty());
    EXPECT_TRUE(std::is_sorted(priorities.begin(), priorities.end()));
    for (int priority : {100, 400, 500}) {
        EXPECT_EQ(std::count(priorities.begin(), priorities.end(), priority), 1) << priority;
    }
    EXPECT_TRUE(drivers.IsRunning());
    EXPECT_TRUE(world.IsRunning());
    ASSERT_TRUE(level.updateTask);
    EXPECT_EQ(level.updateTask->GetPriority(), 500);
    EXPECT_TRUE(tasks.IsListed(level.updateTask.Get()));
}

// The views go under their keys; the shadow matrix flattens points along
// the light onto the plane z = 0: with the light d, the point (x, y, z)
// lands at (x + z dx / -dz, y + z dy / -dz, 0).
TEST_F(LevelStart, HandsTheCameraViewsAndTheShadowMatricesToTheRenderer)
{
    CPLevel& level = LoadLevelOne();
    level.light.Direction = D3DXVECTOR3(0.3f, -0.4f, -0.8f);
    level.StartLevel();

    const std::map<int, RenderListEntry>& list = render.GetRenderList();
    ASSERT_TRUE(list.count(16) && list.count(17) && list.count(120));
    EXPECT_EQ(list.at(16).view.Get(), level.camera->GetFirstView().Get());
    EXPECT_EQ(list.at(120).view.Get(), level.camera->GetSecondView().Get());
    ASSERT_TRUE(list.at(16).hasMatrix && list.at(17).hasMatrix);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(list.at(17).matrix == identity);
    D3DXVECTOR4 flat;
    const D3DXVECTOR4 point(2.0f, 3.0f, 4.0f, 1.0f);
    D3DXVec4Transform(&flat, &point, &list.at(16).matrix);
    EXPECT_NEAR(flat.x / flat.w, 2.0f + 4.0f * 0.3f / 0.8f, 1e-5f);
    EXPECT_NEAR(flat.y / flat.w, 3.0f - 4.0f * 0.4f / 0.8f, 1e-5f);
    EXPECT_NEAR(flat.z / flat.w, 0.0f, 1e-6f);
}

// The first updater stays listed, so it must not run on beside the new one.
TEST_F(LevelStart, ASecondStartStopsTheUpdateItReplaces)
{
    CPLevel& level = LoadLevelOne();
    level.StartLevel();
    RefPtr<IPProcess> first = level.updateTask;
    level.StartLevel();
    EXPECT_TRUE(first->IsStopped());
    EXPECT_NE(level.updateTask.Get(), first.Get());
    EXPECT_TRUE(level.updateTask->IsRunning() && !level.updateTask->IsStopped());
}

TEST_F(LevelStart, DestroyingTheLevelTakesItsUpdateAway)
{
    CPLevel& level = LoadLevelOne();
    level.StartLevel();
    const IPProcess* updater = level.updateTask.Get();
    Unload();
    EXPECT_FALSE(tasks.IsListed(updater));
    EXPECT_FALSE(IsLiveObject(updater));
    EXPECT_EQ(GetLevel(), nullptr);
}

// Race after race the task list keeps its length: neither a stopped
// update nor one a second start replaced stays listed.
TEST_F(LevelStart, StoppedAndReplacedUpdatesLeaveTheTaskList)
{
    CPLevel& level = LoadLevelOne();
    const size_t before = tasks.GetTasks().size();
    level.StartLevel();
    const IPProcess* first = level.updateTask.Get();
    level.StartLevel();
    EXPECT_FALSE(tasks.IsListed(first));
    const IPProcess* second = level.updateTask.Get();
    EXPECT_TRUE(tasks.IsListed(second));
    const size_t racing = tasks.GetTasks().size();
    level.StopLevel();
    EXPECT_FALSE(tasks.IsListed(second));
    EXPECT_EQ(tasks.GetTasks().size(), racing - 1);
    EXPECT_GE(tasks.GetTasks().size(), before);
}

// Stopping let the route, the opponents and the simulator go: starting
// again would race nothing.
TEST_F(LevelStart, AStoppedLevelDoesNotStartAgainAndSaysSoInTheLog)
{
    CPLevel& level = LoadLevelOne();
    level.StartLevel();
    level.StopLevel();
    menu.TakeCommands();
    GetGameLog().Clear();
    const size_t listed = tasks.GetTasks().size();
    level.StartLevel();
    EXPECT_EQ(Log().size(), 1u);
    EXPECT_EQ(tasks.GetTasks().size(), listed);
    EXPECT_TRUE(level.updateTask->IsStopped());
    EXPECT_TRUE(level.route.empty());
    EXPECT_TRUE(level.shotsBlocked);
    EXPECT_TRUE(menu.TakeCommands().empty());
}

TEST_F(LevelStart, StoppingClearsTheParticlesThenStopsTheLevel)
{
    CPLevel& level = LoadLevelOne();
    level.StartLevel();
    particles.AddBatch("spark", &sparks);
    ParticleSpawnRecord spark;
    spark.name = "spark";
    particles.SpawnParticle(spark);
    ASSERT_EQ(sparks.particles.size(), 1u);
    data.levelStarted = true;
    level.raceTimerOn = true;
    level.StopLevel();
    EXPECT_TRUE(particles.GetActiveBatches().empty());
    EXPECT_TRUE(sparks.particles.empty());
    EXPECT_TRUE(level.updateTask->IsStopped());
    EXPECT_TRUE(level.route.empty());
    EXPECT_FALSE(level.raceTimerOn);
    EXPECT_FALSE(data.levelStarted);
    EXPECT_TRUE(level.shotsBlocked);
}

// A level whose load failed has no player, camera or route: starting it
// still lists its update and builds an empty route.
TEST_F(LevelStart, ALevelThatFailedToLoadStillStarts)
{
    CPLevel& level = Load("missing");
    ASSERT_FALSE(loaded);
    level.StartLevel();
    EXPECT_TRUE(level.route.empty());
    EXPECT_TRUE(level.updateTask && level.updateTask->IsRunning());
    EXPECT_EQ(menu.TakeCommands().size(), 2u);
}

} // namespace
