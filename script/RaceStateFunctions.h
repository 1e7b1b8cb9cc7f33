#pragma once

struct lua_State;

// The race's state, clocks and camera, the records tables, the profile
// counters and the tuning keys, as the scripts see them. Without the level
// or game data a getter answers 0, false or nothing as its comment says and
// a setter does nothing.

// Level: the race clock back to 0.
int Script_ClearLevelTimers(lua_State* state);
// Level: whether the race timer runs.
int Script_SetUpdateTime(lua_State* state);
int Script_IsRaceStarted(lua_State* state);
// 10 (the player drives) for true, 9 for false.
int Script_SetPlayerType(lua_State* state);
// The "weather" setting.
int Script_IsWeather(lua_State* state);
// Whether the route is driven the other way.
int Script_SetReversed(lua_State* state);
int Script_GetNumRacesPassed(lua_State* state);
int Script_SetNumRacesPassed(lua_State* state);
// Resets the per-game state of the game data.
int Script_ClearGameData(lua_State* state);
// The race's records in the table's order, each a table {name, time} with
// the time printed "mm:ss:hh" (two empty texts for an unnamed record); {}
// for a race without records.
int Script_GetRecords(lua_State* state);
// The current race number. Also SetCurrentMission.
int Script_SetCurrentRace(lua_State* state);
// Enters the profile's best finished round of the race into the race's
// records; answers whether it was entered (never without a finished round).
int Script_CheckPlayerRecords(lua_State* state);
// Writes the records to "Data\scores.dat" and answers whether it could; a
// failed write keeps the file there and is told in the game log.
int Script_SaveScore(lua_State* state);
int Script_SetRoundTime(lua_State* state);
int Script_GetRoundTime(lua_State* state);
// Resizes the named window of a screen.
int Script_SetWindowSize(lua_State* state);
int Script_SetMaxAbilityCount(lua_State* state);
int Script_GetPlayerMana(lua_State* state);
int Script_SetPlayerMana(lua_State* state);
int Script_SetLevelStarted(lua_State* state);
int Script_IsLevelStarted(lua_State* state);
int Script_GetPoints(lua_State* state);
int Script_SetPoints(lua_State* state);
int Script_StopPlayingMusic(lua_State* state);
// Seconds since the host's clock began.
int Script_GetFullTime(lua_State* state);
// The checkpoint timer as minutes, seconds and hundredths.
int Script_GetCheckpointTime(lua_State* state);
// Select the previous or next of the 19 tuning parameters.
int Script_Pup(lua_State* state);
int Script_Pdown(lua_State* state);
// Take the selected parameter's step off the followed car's value, or add it.
int Script_Pleft(lua_State* state);
int Script_Pright(lua_State* state);
// Level: the next camera mode of 0, 1, 2 (2 wraps to 0), which puts the
// camera behind the player again; answers it, -1 without a level.
int Script_ChangeGameCamera(lua_State* state);
