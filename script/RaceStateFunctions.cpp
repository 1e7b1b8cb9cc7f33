#include "script/RaceStateFunctions.h"

#include "script/InterfaceFunctions.h"
#include "script/ScriptArguments.h"

#include "Render/PRender.h"
#include "Sound/PMusic.h"
#include "core/FrameClock.h"
#include "core/Settings.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "interface/PInterface.h"
#include "physics/PCar.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

const int kPlayerDrives = 10;
const int kComputerDrives = 9;
const int kNoCameraMode = -1;
const int kLastTuningIndex = CPCar::kTunedValueCount - 1;
// How far one press of a tuning key moves each parameter, in the order of
// CPCar::GetTunedValue.
const float kTuningSteps[CPCar::kTunedValueCount] = {0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 1.0f,
                                                     1.0f,  10.0f, 1.0f,  1.0f,  1.0f,  1.0f,  0.05f,
                                                     1.0f,  1.0f,  0.1f,  0.05f, 0.05f};
const int kRecordTimeSize = 64;

// What a record's time reads as: minutes, seconds and hundredths.
std::string RecordTime(const ScoreEntry& entry)
{
    char text[kRecordTimeSize];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", entry.minutes, entry.seconds, entry.hundredths);
    return text;
}

// The race's records; none for a race outside the tables.
const std::vector<ScoreEntry>* RecordsOf(const CPGameData& data, int race)
{
    if (race < 1 || static_cast<size_t>(race) > data.scoreTables.size()) return nullptr;
    return &data.scoreTables[static_cast<size_t>(race) - 1];
}

// The quickest finished round of the rounds the race was set to, as the
// profile's entry; false when the race has no finished round to enter.
bool BestRound(const CPGameData& data, ScoreEntry& entry)
{
    const float best = data.BestFinishedRound(data.roundCount);
    if (best <= 0.0f) return false;
    const TimeParts parts = SplitTimeParts(best);
    entry = ScoreEntry(data.profileName, parts.minutes, parts.seconds, parts.hundredths);
    return true;
}

void MoveTuningIndex(int step)
{
    CPRender* render = GetRender();
    if (!render) return;
    render->SetTuningIndex(std::max(0, std::min(kLastTuningIndex, render->GetTuningIndex() + step)));
}

// Adds the selected parameter's step, times the direction, to the followed car.
void TuneSelected(float direction)
{
    CPRender* render = GetRender();
    CPLevel* level = GetLevel();
    if (!render || !level || !level->cameraCar) return;
    RefPtr<CPCar> car = level->cameraCar->GetCar();
    const int index = render->GetTuningIndex();
    float* value = car ? car->GetTunedValue(index) : nullptr;
    if (value) *value += direction * kTuningSteps[index];
}

} // namespace

int Script_ClearLevelTimers(lua_State*)
{
    if (GetLevel() && g_pGameData) g_pGameData->ClearLevelTimer();
    return 0;
}

int Script_SetUpdateTime(lua_State* state)
{
    if (CPLevel* level = GetLevel()) level->raceTimerOn = ReadBool(state, 1);
    return 0;
}

int Script_IsRaceStarted(lua_State* state)
{
    CPLevel* level = GetLevel();
    return level ? PushBool(state, level->raceTimerOn) : 0;
}

int Script_SetPlayerType(lua_State* state)
{
    if (g_pGameData) g_pGameData->playerType = ReadBool(state, 1) ? kPlayerDrives : kComputerDrives;
    return 0;
}

int Script_IsWeather(lua_State* state)
{
    return PushBool(state, g_weather != 0);
}

int Script_SetReversed(lua_State* state)
{
    if (CPLevel* level = GetLevel()) level->reversed = ReadBool(state, 1);
    return 0;
}

int Script_GetNumRacesPassed(lua_State* state)
{
    return PushNumber(state, g_pGameData ? g_pGameData->racesPassed : 0);
}

int Script_SetNumRacesPassed(lua_State* state)
{
    if (g_pGameData) g_pGameData->racesPassed = ReadInt(state, 1);
    return 0;
}

int Script_ClearGameData(lua_State*)
{
    if (g_pGameData) g_pGameData->Clear();
    return 0;
}

int Script_GetRecords(lua_State* state)
{
    const int race = ReadInt(state, 1);
    lua_settop(state, 0);
    lua_newtable(state);
    const std::vector<ScoreEntry>* records = g_pGameData ? RecordsOf(*g_pGameData, race) : nullptr;
    if (!records) return 1;
    int key = 0;
    for (const ScoreEntry& entry : *records) {
        const bool named = !entry.name.empty();
        PushTextTable(state, {entry.name, named ? RecordTime(entry) : std::string()});
        lua_rawseti(state, -2, ++key);
    }
    return 1;
}

int Script_SetCurrentRace(lua_State* state)
{
    if (g_pGameData) g_pGameData->currentRace = ReadInt(state, 1);
    return 0;
}

int Script_CheckPlayerRecords(lua_State* state)
{
    if (!g_pGameData) return PushBool(state, false);
    ScoreEntry entry;
    if (!BestRound(*g_pGameData, entry)) return PushBool(state, false);
    return PushBool(state, g_pGameData->CheckPlayerRecords(ReadInt(state, 1), entry));
}

int Script_SaveScore(lua_State* state)
{
    return PushBool(state, g_pGameData && g_pGameData->SaveScores());
}

int Script_SetRoundTime(lua_State* state)
{
    if (g_pGameData) g_pGameData->raceRoundTime = ReadFloat(state, 1);
    return 0;
}

int Script_GetRoundTime(lua_State* state)
{
    return PushNumber(state, g_pGameData ? g_pGameData->raceRoundTime : 0.0f);
}

int Script_SetWindowSize(lua_State* state)
{
    if (CPWindow* window = ReadScreenElement(state)) window->SetSize(ReadFloat(state, 3), ReadFloat(state, 4));
    return 0;
}

int Script_SetMaxAbilityCount(lua_State* state)
{
    if (g_pGameData) g_pGameData->abilityLimit = ReadInt(state, 1);
    return 0;
}

int Script_GetPlayerMana(lua_State* state)
{
    return PushNumber(state, g_pGameData ? g_pGameData->mana : 0);
}

int Script_SetPlayerMana(lua_State* state)
{
    if (g_pGameData) g_pGameData->mana = ReadInt(state, 1);
    return 0;
}

int Script_SetLevelStarted(lua_State* state)
{
    if (g_pGameData) g_pGameData->levelStarted = ReadBool(state, 1);
    return 0;
}

int Script_IsLevelStarted(lua_State* state)
{
    return PushBool(state, g_pGameData && g_pGameData->levelStarted);
}

int Script_GetPoints(lua_State* state)
{
    return PushNumber(state, g_pGameData ? g_pGameData->points : 0);
}

int Script_SetPoints(lua_State* state)
{
    if (g_pGameData) g_pGameData->points = ReadInt(state, 1);
    return 0;
}

int Script_StopPlayingMusic(lua_State*)
{
    if (g_pMusic) g_pMusic->Stop();
    return 0;
}

int Script_GetFullTime(lua_State* state)
{
    return PushNumber(state, FullTime);
}

int Script_GetCheckpointTime(lua_State* state)
{
    CPLevel* level = GetLevel();
    SplitTime(state, level ? level->checkpointTimer : 0.0f);
    return 3;
}

int Script_Pup(lua_State*)
{
    MoveTuningIndex(-1);
    return 0;
}

int Script_Pdown(lua_State*)
{
    MoveTuningIndex(1);
    return 0;
}

int Script_Pleft(lua_State*)
{
    TuneSelected(-1.0f);
    return 0;
}

int Script_Pright(lua_State*)
{
    TuneSelected(1.0f);
    return 0;
}

int Script_ChangeGameCamera(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return PushNumber(state, kNoCameraMode);
    const int mode = level->cameraMode;
    const int next = mode >= 0 && mode < CPLevel::kCameraModes - 1 ? mode + 1 : 0;
    level->SetCameraMode(next);
    return PushNumber(state, next);
}
