#include "core/CommandReceiver.h"

#include "core/PCommandManager.h"

CommandReceiver::CommandReceiver() : m_hasCurrent(false) {}

CommandReceiver::~CommandReceiver()
{
    if (CPCommandManager* bus = GetCommandManager()) bus->RemoveReceiver(this);
}

bool CommandReceiver::Start()
{
    if (!IPProcess::Start()) return false;
    m_queue.clear();
    m_hasCurrent = false;
    return true;
}

bool CommandReceiver::ReceiveCommand(const CommandRecord& record)
{
    if (!IsRunning() || IsStopped()) return false;
    m_queue.push_front(record);
    return true;
}

bool CommandReceiver::SetNextCommand()
{
    if (m_queue.empty()) return false;
    if (m_hasCurrent) m_queue.pop_back();
    m_hasCurrent = !m_queue.empty();
    return m_hasCurrent;
}

const std::string* CommandReceiver::GetCurrentCommand() const
{
    return m_hasCurrent ? &m_queue.back().command : nullptr;
}

const std::vector<std::string>* CommandReceiver::GetCurrentParams() const
{
    return m_hasCurrent ? &m_queue.back().params : nullptr;
}
