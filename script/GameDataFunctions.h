#pragma once

struct lua_State;

// The shop's questions to the game data: what an item costs and does, which
// items of a kind are offered now, and whether a name is an item key. Each
// takes the script's state and answers how many results it pushed.
int Script_GetWeaponInfo(lua_State* state);
int Script_GetMineInfo(lua_State* state);
int Script_GetSuperWeaponInfo(lua_State* state);
int Script_GetBumperInfo(lua_State* state);
int Script_GetEquipmentInfo(lua_State* state);
int Script_GetArmorInfo(lua_State* state);
int Script_GetEngineInfo(lua_State* state);
int Script_GetWeaponNames(lua_State* state);
int Script_GetMineNames(lua_State* state);
int Script_GetSuperWeaponNames(lua_State* state);
int Script_GetBumperNames(lua_State* state);
int Script_GetEquipmentNames(lua_State* state);
int Script_GetArmorNames(lua_State* state);
int Script_GetEngineNames(lua_State* state);
int Script_IsValidGameDataName(lua_State* state);
