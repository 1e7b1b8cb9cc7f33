#include "script/ScriptReceiver.h"

#include "script/ScriptHost.h"

ScriptReceiver::ScriptReceiver(ScriptHost& host, const std::string& name, const std::string& file)
    : m_host(host), m_name(name), m_file(file), m_stepReference(kNoStep), m_failed(false)
{
    SetPriority(kPriority);
}

void ScriptReceiver::Execute()
{
    if (!m_failed) {
        m_host.Step(*this);
        return;
    }
    while (SetNextCommand()) {
    }
}
