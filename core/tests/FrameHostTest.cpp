#include "core/FrameClock.h"
#include "core/PObjUpdater.h"
#include "core/PTaskManager.h"
#include "core/tests/LoggingTask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What a host does each frame: advance the clocks, then run every running
// task in list order. Stopped entries stay listed and are skipped.
class FrameHost {
public:
    explicit FrameHost(CPTaskManager& manager) : m_manager(manager) {}

    void RunFrame(float deltaTime)
    {
        FrameDeltaTime = deltaTime;
        FullTime += deltaTime;
        ++FrameNumber;
        for (RefPtr<IPProcess>& task : m_manager.GetTasks()) {
            if (task->IsRunning()) task->Execute();
        }
    }

private:
    CPTaskManager& m_manager;
};

// Stands for an object that is updated per frame through a bound updater.
class Race {
public:
    void Update() { elapsed += FrameDeltaTime; }
    float elapsed = 0.0f;
};

TEST(FrameHost, RunsRunningTasksInPriorityOrderEachFrame)
{
    std::vector<std::string> log;
    LoggingTask late("late", 500, log), early("early", 100, log), middle("middle", 400, log);
    Race race;
    CPObjUpdater<Race> raceUpdate(&race, &Race::Update);
    raceUpdate.SetPriority(450);
    // Declared after the tasks, so it lets go of them before they are gone.
    CPTaskManager manager;
    for (IPProcess* task : std::initializer_list<IPProcess*>{&late, &early, &middle, &raceUpdate}) {
        manager.AddTask(task);
    }
    FrameNumber = 0;
    FullTime = 0.0;

    FrameHost host(manager);
    host.RunFrame(0.25f);
    middle.Stop();
    host.RunFrame(0.5f);

    std::vector<std::string> expected = {"early@1", "middle@1", "late@1", "early@2", "late@2"};
    EXPECT_EQ(log, expected);
    EXPECT_FLOAT_EQ(race.elapsed, 0.75f);
    EXPECT_DOUBLE_EQ(FullTime, 0.75);
    EXPECT_EQ(manager.GetTasks().size(), 4u);

    // Later tests read the clocks; leave them as a fresh run has them.
    FrameDeltaTime = 0.0f;
    FrameNumber = 0;
    FullTime = 0.0;
}

}  // namespace
