#pragma once

struct lua_State;

// The options screen's settings, the music and the key bindings.

int Script_GetSoundVolume(lua_State* state);
// Stores the sound volume and gives it to every sound.
int Script_SetSoundVolume(lua_State* state);
int Script_GetMusicVolume(lua_State* state);
// Stores the music volume and gives it to the music.
int Script_SetMusicVolume(lua_State* state);
int Script_GetMouse(lua_State* state);
int Script_SetMouse(lua_State* state);
int Script_GetBrightness(lua_State* state);
// Takes a text for the log and keeps nothing of it.
int Script_SaveLog(lua_State* state);
// The music file the player holds; "" without one.
int Script_GetMusicName(lua_State* state);
// Plays a music file once.
int Script_PlayMusicNoLoop(lua_State* state);
// Stops every sound: the named ones back at their start, the others where
// they are.
int Script_StopSounds(lua_State* state);

// Switches the key bindings' input on or off; the frame lasts no time.
int Script_SetActions(lua_State* state);
int Script_SaveActions(lua_State* state);
// Writes the bindings and reads them back, so the keys follow them.
int Script_UpdateActions(lua_State* state);
int Script_LoadActions(lua_State* state);
// The number of actions, a table of their names and one of their keys.
int Script_GetActionNames(lua_State* state);
// The next key pressed is reported for assignment.
int Script_SetAssignKey(lua_State* state);
// Moves an action to a named key.
int Script_SetAction(lua_State* state);
