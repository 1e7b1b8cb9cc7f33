#pragma once

struct lua_State;

// The profile's name and the player's car key as the scripts set and read
// them; without game data they do nothing or answer "".

// The player's car key.
int Script_SetPlayerName(lua_State* state);
// GetPlayerName(car): the car key of that racer ("" for a null handle or an
// object that is no racer); GetPlayerName(): the player's car key.
int Script_GetPlayerName(lua_State* state);
// Another name than the profile's starts the profile's progress again (see
// ReadSaveProfile); the same name keeps it.
int Script_SetProfileName(lua_State* state);
int Script_GetProfileName(lua_State* state);
