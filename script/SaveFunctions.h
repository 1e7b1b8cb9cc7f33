#pragma once

struct lua_State;

// The scripts' way to the six save slots; each does nothing without game data.
// A file name that is missing or not a plain name touches no file (logged).
// Those that write answer whether the file was written: a failed write
// keeps the file there and is told in the game log.

// Writes the profile into its slot, choosing one on the first save.
int Script_SaveGame(lua_State* state);
// Loads the save of a plain file name of the saves folder.
int Script_LoadGame(lua_State* state);
// Empties the save of a plain file name of the saves folder.
int Script_DeleteSave(lua_State* state);
// The number of slots and a table of the profile name in each ("" when free).
int Script_GetSaves(lua_State* state);
// Names the player's car and writes the profile to the first slot.
int Script_NewPlayer(lua_State* state);
