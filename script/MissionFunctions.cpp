#include "script/MissionFunctions.h"

#include "script/ScriptArguments.h"

#include "game/PGameData.h"
#include "game/PLevel.h"

int Script_LoadMissionInfo(lua_State* state)
{
    const char* name = ReadText(state, 1);
    if (g_pGameData && name) g_pGameData->LoadMissionInfo(name);
    return 0;
}

int Script_GetCheckPointsCount(lua_State* state)
{
    return PushNumber(state, g_pGameData ? static_cast<double>(g_pGameData->missionRecords.size()) : 0.0);
}

int Script_GetCheckPointInfo(lua_State* state)
{
    const int index = ReadInt(state, 1);
    EnemySourceRecord record;
    if (g_pGameData && index >= 0 && static_cast<size_t>(index) < g_pGameData->missionRecords.size()) {
        record = g_pGameData->missionRecords[static_cast<size_t>(index)];
    }
    for (int32_t number : record.numbers) lua_pushnumber(state, number);
    lua_pushnumber(state, record.value);
    return EnemySourceRecord::kWholeNumbers + 1;
}

int Script_SetLevelTime(lua_State* state)
{
    if (CurrentLevel && g_pGameData) CurrentLevel->levelTime = ReadFloat(state, 1) * g_pGameData->coeffD;
    return 0;
}

int Script_SetPlaceToFinish(lua_State* state)
{
    if (CurrentLevel) CurrentLevel->placeToFinish = ReadInt(state, 1);
    return 0;
}
