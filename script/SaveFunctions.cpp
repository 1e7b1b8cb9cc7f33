#include "script/SaveFunctions.h"

#include "script/ScriptArguments.h"

#include "game/PGameData.h"
#include "game/SaveGames.h"

int Script_SaveGame(lua_State* state)
{
    return PushBool(state, g_pGameData && SaveGameToSlot(*g_pGameData));
}

int Script_LoadGame(lua_State* state)
{
    if (g_pGameData) LoadSaveFile(*g_pGameData, ReadTextOrEmpty(state, 1));
    return 0;
}

int Script_DeleteSave(lua_State* state)
{
    return PushBool(state, DeleteSaveFile(ReadTextOrEmpty(state, 1)));
}

int Script_GetSaves(lua_State* state)
{
    lua_pushnumber(state, kSaveSlotCount);
    PushTextTable(state, ListSaves());
    return 2;
}

int Script_NewPlayer(lua_State* state)
{
    return PushBool(state, g_pGameData && WriteNewPlayerSave(*g_pGameData, ReadTextOrEmpty(state, 1)));
}
