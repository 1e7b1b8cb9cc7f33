#pragma once

struct lua_State;

// The player's money, car set-up and progress as the shop and menu scripts
// see them; each does nothing, or answers 0 or "", without game data.

// Sets the money and tells the game menu the new amount with two decimals.
int Script_SetMoney(lua_State* state);
int Script_GetMoney(lua_State* state);
// The edited set-up: its nine item keys, super-weapon count and mine key.
int Script_GetCarInfo(lua_State* state);
// Replaces the edited set-up; an item key that is not given is an empty slot.
int Script_SetCarInfo(lua_State* state);
// The edited set-up becomes the one the car drives with.
int Script_CommitCarSettings(lua_State* state);
// The current race number. Also GetCurrentRace.
int Script_GetCurrentMission(lua_State* state);
// The current level's best time-trial run as minutes, seconds, hundredths.
int Script_GetBestTimeAttack(lua_State* state);
