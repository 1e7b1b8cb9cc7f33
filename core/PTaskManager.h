#pragma once

#include "core/PProcess.h"

#include <windows.h>

#include <functional>
#include <list>

// The engine's one list of per-frame tasks, ordered by ascending priority
// value and, among equal values, by order of addition. The engine adds and
// marks tasks, and takes out those whose owner stopped them for good or
// deletes them; the host walks the list each frame, runs the running tasks
// and decides when to drop other entries. It also holds the game's main
// window for the parts that need one.
class CPTaskManager {
public:
    typedef std::list<RefPtr<IPProcess>> TaskList;

    CPTaskManager();

    // Starts the task and lists it after every task of equal or smaller
    // priority value. A null task or one that is already running is not
    // added, so a running task is never listed twice.
    bool AddTask(const RefPtr<IPProcess>& task);

    // Takes every entry of the task out of the list, or every task the
    // test picks: a task that stopped for good, or is about to be deleted,
    // leaves the list, so nothing walks to it again.
    void RemoveTask(const IPProcess* task);
    void RemoveTasks(const std::function<bool(const IPProcess*)>& picked);

    // Whether the task has an entry in the list, running or not.
    bool IsListed(const IPProcess* task) const;

    // Marks every listed task stopped; calls no Stop, leaves the running
    // flags alone and removes nothing.
    void KillAllTasks();

    // Whoever takes the list this way may change it, so this counts as a
    // change.
    TaskList& GetTasks()
    {
        ++m_changeCount;
        return m_tasks;
    }
    const TaskList& GetTasks() const { return m_tasks; }
    // Grows with every change that may have been made to the list, so a
    // walker can keep its own copy of the order until the next change.
    unsigned GetChangeCount() const { return m_changeCount; }

    HWND GetMainWindow() const { return m_mainWindow; }
    void SetMainWindow(HWND window) { m_mainWindow = window; }

private:
    TaskList::iterator FindInsertPosition(int priority);

    HWND m_mainWindow;
    TaskList m_tasks;
    unsigned m_changeCount;
};

// The task manager that the host created and published.
extern CPTaskManager* g_pTaskManager;
