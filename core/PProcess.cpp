#include "core/PProcess.h"

IPProcess::IPProcess() : m_running(false), m_stopped(false), m_priority(kDefaultPriority) {}

bool IPProcess::Start()
{
    if (m_running) return false;
    m_stopped = false;
    m_running = true;
    return true;
}

void IPProcess::OnPause() {}

void IPProcess::OnContinue() {}

void IPProcess::Stop()
{
    m_stopped = true;
    m_running = false;
}

void IPProcess::Clone(RefPtr<IPProcess>& copy)
{
    copy = nullptr;
}
