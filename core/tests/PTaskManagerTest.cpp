#include "core/PObjUpdater.h"
#include "core/PTaskManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Task : public IPProcess {
public:
    explicit Task(int priority) { SetPriority(priority); }
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "Task"; }
    void Execute() override {}
    int GetTaskValue() override { return 0; }
};

// Every test declares its manager after its tasks: the manager lets go of
// the tasks it lists when it is destroyed, so they must still be there.
std::vector<IPProcess*> Listed(CPTaskManager& manager)
{
    std::vector<IPProcess*> tasks;
    for (const RefPtr<IPProcess>& task : manager.GetTasks()) tasks.push_back(task.Get());
    return tasks;
}

TEST(IPProcess, StartsOnceStopsAndStartsAgain)
{
    Task task(IPProcess::kDefaultPriority);
    EXPECT_FALSE(task.IsRunning());
    EXPECT_FALSE(task.IsStopped());
    EXPECT_EQ(task.GetPriority(), 5000);

    EXPECT_TRUE(task.Start());
    EXPECT_FALSE(task.Start());
    task.Stop();
    EXPECT_FALSE(task.IsRunning());
    EXPECT_TRUE(task.IsStopped());
    EXPECT_TRUE(task.Start());
    EXPECT_TRUE(task.IsRunning());
    EXPECT_FALSE(task.IsStopped());

    RefPtr<IPProcess> copy(&task);
    task.Clone(copy);
    EXPECT_FALSE(copy);
}

TEST(CPTaskManager, OrdersByPriorityValueAndKeepsEqualValuesInOrderOfAddition)
{
    Task first500(500), task100(100), second500(500), task400(400), negative(-1);
    CPTaskManager manager;
    for (Task* task : {&first500, &task100, &second500, &task400, &negative}) {
        EXPECT_TRUE(manager.AddTask(task));
        EXPECT_TRUE(task->IsRunning());
    }
    std::vector<IPProcess*> expected = {&negative, &task100, &task400, &first500, &second500};
    EXPECT_EQ(Listed(manager), expected);
}

TEST(CPTaskManager, RefusesNullAndRunningTasks)
{
    Task task(100);
    CPTaskManager manager;
    EXPECT_FALSE(manager.AddTask(RefPtr<IPProcess>()));
    ASSERT_TRUE(manager.AddTask(&task));
    EXPECT_FALSE(manager.AddTask(&task));
    task.Stop();
    task.Start();
    EXPECT_FALSE(manager.AddTask(&task));
    EXPECT_EQ(manager.GetTasks().size(), 1u);
}

TEST(CPTaskManager, ListsAStoppedTaskAgainWhenItIsAddedAgain)
{
    Task task(100);
    CPTaskManager manager;
    ASSERT_TRUE(manager.AddTask(&task));
    task.Stop();
    ASSERT_TRUE(manager.AddTask(&task));
    std::vector<IPProcess*> expected = {&task, &task};
    EXPECT_EQ(Listed(manager), expected);
    EXPECT_TRUE(task.IsRunning());
}

TEST(CPTaskManager, KillAllTasksMarksEveryTaskStoppedAndRemovesNone)
{
    Task running(100), stopped(200);
    CPTaskManager manager;
    manager.AddTask(&running);
    manager.AddTask(&stopped);
    stopped.Stop();

    manager.KillAllTasks();

    EXPECT_EQ(manager.GetTasks().size(), 2u);
    EXPECT_TRUE(running.IsStopped());
    EXPECT_TRUE(running.IsRunning());
    EXPECT_TRUE(stopped.IsStopped());
    EXPECT_FALSE(stopped.IsRunning());
}

class Counter {
public:
    void Step() { ++steps; }
    int steps = 0;
};

TEST(CPObjUpdater, CallsTheBoundMemberOncePerStep)
{
    Counter counter;
    CPObjUpdater<Counter> updater(&counter, &Counter::Step);
    EXPECT_STREQ(updater.GetTypeName(), "CPObjUpdater");
    EXPECT_EQ(updater.GetTaskValue(), 0);
    updater.Execute();
    updater.Execute();
    updater.Execute();
    EXPECT_EQ(counter.steps, 3);
}

TEST(CPTaskManager, CountsEveryChangeThatMayHaveBeenMade)
{
    CPTaskManager manager;
    const CPTaskManager& reader = manager;
    Task task(100);
    const unsigned start = reader.GetChangeCount();
    EXPECT_FALSE(manager.AddTask(RefPtr<IPProcess>()));
    EXPECT_EQ(reader.GetChangeCount(), start) << "a refused task changes nothing";
    manager.AddTask(&task);
    EXPECT_EQ(reader.GetChangeCount(), start + 1);
    EXPECT_EQ(reader.GetTasks().size(), 1u);
    EXPECT_EQ(reader.GetChangeCount(), start + 1) << "reading the list changes nothing";
    manager.GetTasks().clear();
    EXPECT_EQ(reader.GetChangeCount(), start + 2);
}

}  // namespace
