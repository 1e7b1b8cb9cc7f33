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
// Fires a super weapon of the driven set-up at the followed car, when one
// is left, and tells the game menu.
int Script_SmartBomb(lua_State* state);
// Fits the dearest stored set-up of the races so far that the money and the
// edited set-up's worth pay for; the rest is the new money.
int Script_AutoSetting(lua_State* state);
// The current race number. Also GetCurrentRace.
int Script_GetCurrentMission(lua_State* state);
// The current level's best time-trial run as minutes, seconds, hundredths.
int Script_GetBestTimeAttack(lua_State* state);

// Loads the player's set-ups, then the difficulty coefficients.
int Script_InitPlayer(lua_State* state);
// The screen width.
int Script_GetCurrentResolution(lua_State* state);
// Gives back its argument; nil without one.
int Script_GetAICount(lua_State* state);
// Stores the difficulty switch.
int Script_SetDifficulty(lua_State* state);
// 1 on the difficult setting, else 0.
int Script_GetDifficult(lua_State* state);
int Script_SetKills(lua_State* state);
// The model name of the player's car.
int Script_GetActiveCar(lua_State* state);
int Script_GetRoundsNumber(lua_State* state);
int Script_GetCurrentRound(lua_State* state);
int Script_SetNumRounds(lua_State* state);
// The first round's time, split.
int Script_GetTimeAttack(lua_State* state);
// The running round's time, split.
int Script_GetTime(lua_State* state);
// The best finished round's time, split; 0 without one.
int Script_GetTimeBest(lua_State* state);
// 40 and a table of four keys per round for rounds 1 to 10: minutes,
// seconds, hundredths and whether the round has been reached.
int Script_UpdateRoundsTime(lua_State* state);
// The followed car's ability count, then the ability limit; nothing
// without a level, a followed player car or game data.
int Script_ActivateAbilities(lua_State* state);
// Draws the loading screen with its bar at the whole percent given.
int Script_InitWarning(lua_State* state);
// The keyboard selection moves to the next (previous) usable button of
// every active screen.
int Script_IMenuRight(lua_State* state);
int Script_IMenuLeft(lua_State* state);
// Reads nothing and does nothing: SetBrightness, DumpAIInfo, CreateArrow,
// DrawArrow and AddEnemy.
int Script_DoNothing(lua_State* state);
