#include "core/GlobalTimerTask.h"

#include "core/FrameClock.h"

GlobalTimerTask* g_pGlobalTimer = nullptr;

GlobalTimerTask::GlobalTimerTask() : m_frameTime(0.0f), m_startedBefore(false), m_restarted(false)
{
    SetPriority(kPriority);
}

bool GlobalTimerTask::Start()
{
    if (!IPProcess::Start()) return false;
    m_restarted = m_startedBefore;
    m_startedBefore = true;
    return true;
}

void GlobalTimerTask::Execute()
{
    FrameDeltaTime = m_restarted ? 0.0f : m_frameTime;
    m_restarted = false;
    FullTime += FrameDeltaTime;
}
