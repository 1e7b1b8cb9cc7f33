#include "script/TaskFunctions.h"

#include "script/ScriptArguments.h"

#include "core/FrameClock.h"
#include "core/GlobalTimerTask.h"
#include "core/PTaskManager.h"

int Script_StopScript(lua_State* state)
{
    if (IPProcess* task = ReadHandle<IPProcess>(state, 1)) task->MarkStopped();
    return 0;
}

int Script_StartGlobalTimer(lua_State*)
{
    if (g_pTaskManager && g_pGlobalTimer) g_pTaskManager->AddTask(RefPtr<IPProcess>(g_pGlobalTimer));
    return 0;
}

int Script_StopGlobalTimer(lua_State*)
{
    if (g_pGlobalTimer) g_pGlobalTimer->Stop();
    FrameDeltaTime = 0.0f;
    return 0;
}

int Script_ClearGlobalTimer(lua_State*)
{
    FrameDeltaTime = 0.0f;
    return 0;
}
