#pragma once

struct lua_State;

// The mission's checkpoint records and the level's time and finishing place.

// Loads a mission file's checkpoint records and enemy sources.
int Script_LoadMissionInfo(lua_State* state);
int Script_GetCheckPointsCount(lua_State* state);
// A record's three whole numbers, then its value; zeros for a record that
// is not there.
int Script_GetCheckPointInfo(lua_State* state);
// The level's time, scaled by the difficulty; nothing without a level.
int Script_SetLevelTime(lua_State* state);
// The place the player must reach; nothing without a level.
int Script_SetPlaceToFinish(lua_State* state);
// The standings as a table of racer ids, leader first: the computer cars
// "0" to "4" by laps times progress, the player "10" by route progress
// times rounds; on equal scores the player, then the higher id, leads.
// No result without a level.
int Script_SetPlayersPanel(lua_State* state);
