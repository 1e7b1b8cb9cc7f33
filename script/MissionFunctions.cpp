#include "script/MissionFunctions.h"

#include "script/ScriptArguments.h"

#include "game/PGameData.h"
#include "game/PLevel.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kComputerRacers[] = {"0", "1", "2", "3", "4"};
const char* const kPlayerRacer = "10";

typedef std::pair<int64_t, std::string> Standing;

// In the order the panel lists them before ranking; the ranking keeps a
// later entry ahead of an earlier one with the same score.
std::vector<Standing> Standings(CPGameData& data)
{
    std::vector<Standing> standings;
    for (const char* id : kComputerRacers) {
        const RacerRecord& record = data.racerRecords[id];
        standings.push_back(Standing(static_cast<int64_t>(record.laps) * record.totalProgress, id));
    }
    standings.push_back(
        Standing(static_cast<int64_t>(data.routeProgress) * data.roundsRecorded, kPlayerRacer));
    return standings;
}

} // namespace

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

int Script_SetPlayersPanel(lua_State* state)
{
    if (!CurrentLevel || !g_pGameData) return 0;
    std::vector<Standing> standings = Standings(*g_pGameData);
    std::stable_sort(standings.begin(), standings.end(),
                     [](const Standing& a, const Standing& b) { return a.first < b.first; });
    std::reverse(standings.begin(), standings.end());
    std::vector<std::string> ids;
    for (const Standing& standing : standings) ids.push_back(standing.second);
    PushTextTable(state, ids);
    return 1;
}
