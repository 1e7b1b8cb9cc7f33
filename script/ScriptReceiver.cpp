#include "script/ScriptReceiver.h"

#include "script/ScriptHost.h"

#include <lua.h>

#include <windows.h>

ScriptReceiver::ScriptReceiver(ScriptHost& host, const std::string& name, const std::string& file)
    : m_host(host), m_state(host.GetState()), m_name(name), m_file(file), m_stepReference(kNoStep),
      m_failed(false)
{
    SetPriority(kPriority);
}

// The step is called here rather than through the host: every receiver
// takes this path every frame.
void ScriptReceiver::Execute()
{
    if (m_failed) {
        while (SetNextCommand()) {
        }
        return;
    }
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    lua_rawgeti(m_state, LUA_REGISTRYINDEX, m_stepReference);
    lua_pushlightuserdata(m_state, static_cast<IPObject*>(this));
    const bool failed = lua_pcall(m_state, 1, 0, ScriptHost::kMessageHandler) != 0;
    QueryPerformanceCounter(&end);
    m_host.AddStepTicks(end.QuadPart - start.QuadPart);
    if (failed) m_host.OnStepError(*this);
}
