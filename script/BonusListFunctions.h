#pragma once

struct lua_State;

// The game data's list of bonus objects that the racers may pick up, as the
// scripts fill and read it. Each entry holds its object by reference. Without
// game data the list is empty and nothing changes.

// AddBonus(object, number): appends an entry; a null handle adds nothing.
int Script_AddBonus(lua_State* state);
// Removes the first entry of the object and counts one bonus less, also
// when the object had no entry.
int Script_EraseBonus(lua_State* state);
// The entries in the list.
int Script_GetBonusesCount(lua_State* state);
// Empties the list; the count of bonuses stays.
int Script_ClearBonuses(lua_State* state);
// A table of {object, number} tables under the keys 1 to n, in list order.
int Script_GetBonusList(lua_State* state);
