#pragma once

struct lua_State;

// The functions of the main table that play, move and stop the sound
// manager's named sounds. A name the manager does not hold plays nothing.
int Script_PlaySpecialSound(lua_State* state);
// Answers false only when keep-playing leaves a playing sound alone.
int Script_PlaySpecialSound3D(lua_State* state);
int Script_IsSpecialSoundPlaying(lua_State* state);
int Script_UpdateSoundPosition(lua_State* state);
// Stops the sound where it is: it is not rewound.
int Script_StopSpecialSound(lua_State* state);
