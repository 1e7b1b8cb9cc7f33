#include "script/ScriptReceiver.h"

#include "script/ScriptHost.h"

#include <lua.h>

#include <windows.h>

ScriptReceiver::ScriptReceiver(ScriptHost& host, const std::string& name, const std::string& file)
    : m_host(host), m_stepReference(kNoStep), m_failed(false), m_name(name), m_file(file)
{
    SetPriority(kPriority);
}

// The step is called here rather than through the host: every receiver
// takes this path every frame. The clock is read only while the host
// measures the steps: under Wine a read costs more than an empty step.
void ScriptReceiver::Execute()
{
    if (m_failed) {
        while (SetNextCommand()) {
        }
    } else if (m_host.IsMeasuringSteps()) {
        RunMeasuredStep();
    } else if (!CallStep()) {
        m_host.OnStepError(*this);
    }
}

void ScriptReceiver::RunMeasuredStep()
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const bool ran = CallStep();
    QueryPerformanceCounter(&end);
    m_host.AddStepTicks(end.QuadPart - start.QuadPart);
    if (!ran) m_host.OnStepError(*this);
}

bool ScriptReceiver::CallStep()
{
    lua_State* state = m_host.GetState();
    lua_rawgeti(state, LUA_REGISTRYINDEX, m_stepReference);
    lua_pushlightuserdata(state, static_cast<IPObject*>(this));
    return lua_pcall(state, 1, 0, ScriptHost::kMessageHandler) == 0;
}
