#include "core/PTaskManager.h"

CPTaskManager* g_pTaskManager = nullptr;

CPTaskManager::CPTaskManager() : m_mainWindow(nullptr), m_changeCount(0) {}

bool CPTaskManager::AddTask(const RefPtr<IPProcess>& task)
{
    if (!task) return false;
    if (!task->Start()) return false;
    m_tasks.insert(FindInsertPosition(task->GetPriority()), task);
    ++m_changeCount;
    return true;
}

void CPTaskManager::RemoveTask(const IPProcess* task)
{
    RemoveTasks([task](const IPProcess* listed) { return listed == task; });
}

void CPTaskManager::RemoveTasks(const std::function<bool(const IPProcess*)>& picked)
{
    const size_t before = m_tasks.size();
    m_tasks.remove_if([&](const RefPtr<IPProcess>& task) { return picked(task.Get()); });
    if (m_tasks.size() != before) ++m_changeCount;
}

bool CPTaskManager::IsListed(const IPProcess* task) const
{
    for (const RefPtr<IPProcess>& listed : m_tasks) {
        if (listed.Get() == task) return true;
    }
    return false;
}

CPTaskManager::TaskList::iterator CPTaskManager::FindInsertPosition(int priority)
{
    TaskList::iterator position = m_tasks.begin();
    while (position != m_tasks.end() && (*position)->GetPriority() <= priority) {
        ++position;
    }
    return position;
}

void CPTaskManager::KillAllTasks()
{
    for (RefPtr<IPProcess>& task : m_tasks) {
        task->MarkStopped();
    }
}
