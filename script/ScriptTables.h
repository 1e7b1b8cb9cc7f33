#pragma once

#include <lauxlib.h>
#include <lua.h>

// One script-visible name and the native function behind it, in the form
// that luaL_openlib installs; a table ends with a pair of nulls.
typedef luaL_Reg ScriptFunctionEntry;

const int kMainScriptTableSize = 230;
const int kGameInterfaceScriptTableSize = 51;
const int kObjectScriptTableSize = 30;

// The game, level, interface, sound, shop, mission, save, profile, camera,
// object, spline, lightning and race-state functions.
extern const ScriptFunctionEntry MainScriptTable[kMainScriptTableSize + 1];
// The in-race display, weapons, damage, scores, video and the timer.
extern const ScriptFunctionEntry GameInterfaceScriptTable[kGameInterfaceScriptTableSize + 1];
// Commands, handles and game objects.
extern const ScriptFunctionEntry ObjectScriptTable[kObjectScriptTableSize + 1];
