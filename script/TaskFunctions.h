#pragma once

struct lua_State;

// Functions that stop script tasks and drive the game's clock.

// Marks the task stopped; the host's task walk passes it by from then on.
int Script_StopScript(lua_State* state);
// Lists the global timer again when it is not running.
int Script_StartGlobalTimer(lua_State* state);
// Stops the global timer and the frame's time with it: the game pauses.
int Script_StopGlobalTimer(lua_State* state);
// The frame lasts no time. Also the main table's ClearTimer.
int Script_ClearGlobalTimer(lua_State* state);
