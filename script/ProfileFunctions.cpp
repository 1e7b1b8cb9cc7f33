#include "script/ProfileFunctions.h"

#include "script/CarModelTable.h"
#include "script/ScriptArguments.h"

#include "Render/PRender.h"
#include "core/PCommandManager.h"
#include "core/Settings.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "game/PShotSpawner.h"
#include "interface/PInterface.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const char* const kGameMenu = "gamemenu";
const char* const kChangeMoney = "change_money";
const char* const kUpdateGameInterface = "update_game_interface";
const char* const kSuperWeaponShot = "super";
const float kNoOwnerValue = -1.0f;
// The shop stores this many set-ups per race.
const int64_t kSetupsPerRace = 3;
const int kMoneyTextSize = 64;

const int kItemArguments = 9;
const int kSuperWeaponCountArgument = 10;
const int kMineArgument = 11;

// The set-up's item keys in the order scripts hand them over.
std::string* ItemSlots(CarSettings& settings, int index)
{
    std::string* const slots[kItemArguments] = {&settings.weapons[0], &settings.weapons[1], &settings.weapons[2],
                                                &settings.equipment[0], &settings.equipment[1], &settings.bumper,
                                                &settings.engine, &settings.armor, &settings.superWeapon};
    return slots[index];
}

// "%.2f" of the amount; the buffer holds any float, however large.
std::string MoneyText(float amount)
{
    char text[kMoneyTextSize];
    std::snprintf(text, sizeof(text), "%.2f", static_cast<double>(amount));
    return text;
}

const int kListedRounds = 10;
const int kRoundsTimeKeys = 4 * kListedRounds;

int PushSplitTime(lua_State* state, float seconds)
{
    SplitTime(state, seconds);
    return 3;
}

void SendMoney(float amount)
{
    if (g_pCommandManager) g_pCommandManager->SendCommandByName(kGameMenu, kChangeMoney, MoneyText(amount));
}

// The last stored set-up the races so far may use, or -1 for none.
int LastSetupForRace(const CPGameData& data)
{
    const int64_t last = std::min(kSetupsPerRace * data.currentRace, static_cast<int64_t>(data.storedSetups.size())) - 1;
    return static_cast<int>(std::max<int64_t>(last, -1));
}

} // namespace

int Script_SetMoney(lua_State* state)
{
    if (!g_pGameData) return 0;
    g_pGameData->money = ReadFloat(state, 1);
    SendMoney(g_pGameData->money);
    return 0;
}

int Script_GetMoney(lua_State* state)
{
    lua_pushnumber(state, g_pGameData ? g_pGameData->money : 0.0f);
    return 1;
}

int Script_GetCarInfo(lua_State* state)
{
    CarSettings settings = g_pGameData ? g_pGameData->editedSetup : CarSettings();
    for (int index = 0; index < kItemArguments; ++index) lua_pushstring(state, ItemSlots(settings, index)->c_str());
    lua_pushnumber(state, settings.superWeaponCount);
    lua_pushstring(state, settings.mine.c_str());
    return kMineArgument;
}

int Script_SetCarInfo(lua_State* state)
{
    if (!g_pGameData) return 0;
    CarSettings settings;
    for (int index = 0; index < kItemArguments; ++index) *ItemSlots(settings, index) = ReadTextOrEmpty(state, index + 1);
    settings.superWeaponCount = ReadInt(state, kSuperWeaponCountArgument);
    settings.mine = ReadTextOrEmpty(state, kMineArgument);
    g_pGameData->SetCarSettings(settings);
    return 0;
}

int Script_CommitCarSettings(lua_State*)
{
    if (g_pGameData) g_pGameData->CommitCarSettings();
    return 0;
}

int Script_SmartBomb(lua_State*)
{
    if (!g_pGameData || !g_pShotSpawner || g_pGameData->activeSetup.superWeaponCount <= 0) return 0;
    CPGameObject* car = CurrentLevel ? CurrentLevel->cameraCar : nullptr;
    const D3DXVECTOR3 at = car ? *car->GetPositionRef() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    g_pShotSpawner->Spawn(kSuperWeaponShot, at, D3DXVECTOR3(0.0f, 0.0f, 0.0f), kNoOwnerValue, nullptr, 0);
    --g_pGameData->activeSetup.superWeaponCount;
    if (g_pCommandManager) g_pCommandManager->SendCommandByName(kGameMenu, kUpdateGameInterface, kSuperWeaponShot);
    return 0;
}

int Script_AutoSetting(lua_State*)
{
    if (!g_pGameData) return 0;
    CPGameData& data = *g_pGameData;
    const std::vector<CarSettings>& setups = data.storedSetups;
    const float total = data.money + data.SumCarValue(data.editedSetup);
    for (int index = LastSetupForRace(data); index >= 0; --index) {
        const float value = data.SumCarValue(setups[static_cast<size_t>(index)]);
        if (value > total) continue;
        data.editedSetup = setups[static_cast<size_t>(index)];
        data.money = total - value;
        SendMoney(data.money);
        return 0;
    }
    return 0;
}

int Script_GetCurrentMission(lua_State* state)
{
    lua_pushnumber(state, g_pGameData ? g_pGameData->currentRace : 0);
    return 1;
}

int Script_GetBestTimeAttack(lua_State* state)
{
    const BestTimeRecord* record =
        g_pGameData && CurrentLevel ? g_pGameData->GetBestTime(CurrentLevel->levelNumber) : nullptr;
    SplitTime(state, record ? record->bestTime : 0.0f);
    return 3;
}

int Script_InitPlayer(lua_State*)
{
    if (!g_pGameData) return 0;
    g_pGameData->LoadPlayerData();
    g_pGameData->LoadCoefficients();
    return 0;
}

int Script_GetCurrentResolution(lua_State* state)
{
    return PushNumber(state, g_screenWidth);
}

int Script_GetAICount(lua_State* state)
{
    if (lua_gettop(state) == 0) lua_pushnil(state);
    return 1;
}

int Script_SetDifficulty(lua_State* state)
{
    g_cam_speed = ReadInt(state, 1);
    return 0;
}

int Script_GetDifficult(lua_State* state)
{
    return PushNumber(state, g_pGameData && g_pGameData->difficultyFlag ? 1 : 0);
}

int Script_SetKills(lua_State* state)
{
    if (g_pGameData) g_pGameData->kills = ReadInt(state, 1);
    return 0;
}

int Script_GetActiveCar(lua_State* state)
{
    lua_pushstring(state, g_pGameData ? CarModelTable::KeyToModel(g_pGameData->carKey).c_str() : "");
    return 1;
}

int Script_GetRoundsNumber(lua_State* state)
{
    return PushNumber(state, g_pGameData ? g_pGameData->roundCount : 0);
}

int Script_GetCurrentRound(lua_State* state)
{
    return PushNumber(state, g_pGameData ? g_pGameData->roundsRecorded : 0);
}

int Script_SetNumRounds(lua_State* state)
{
    if (g_pGameData) g_pGameData->roundCount = ReadInt(state, 1);
    return 0;
}

int Script_GetTimeAttack(lua_State* state)
{
    return PushSplitTime(state, g_pGameData ? g_pGameData->GetRoundTime(1) : 0.0f);
}

int Script_GetTime(lua_State* state)
{
    return PushSplitTime(state, g_pGameData ? g_pGameData->GetRoundTime(g_pGameData->roundsRecorded) : 0.0f);
}

int Script_GetTimeBest(lua_State* state)
{
    return PushSplitTime(state, g_pGameData ? g_pGameData->BestFinishedRound(INT_MAX) : 0.0f);
}

int Script_UpdateRoundsTime(lua_State* state)
{
    lua_pushnumber(state, kRoundsTimeKeys);
    lua_newtable(state);
    for (int round = 1; round <= kListedRounds; ++round) {
        SplitTime(state, g_pGameData ? g_pGameData->GetRoundTime(round) : 0.0f);
        const int firstKey = 4 * round - 3;
        // The table sits under the three parts; each is stored from the top.
        lua_rawseti(state, -4, firstKey + 2);
        lua_rawseti(state, -3, firstKey + 1);
        lua_rawseti(state, -2, firstKey);
        lua_pushnumber(state, firstKey + 3);
        lua_pushboolean(state, g_pGameData && g_pGameData->roundsRecorded >= round);
        lua_settable(state, -3);
    }
    return 2;
}

int Script_ActivateAbilities(lua_State* state)
{
    CPPlayer* car = CurrentLevel ? dynamic_cast<CPPlayer*>(CurrentLevel->cameraCar) : nullptr;
    if (!car || !g_pGameData) return 0;
    lua_pushnumber(state, car->abilityCount);
    lua_pushnumber(state, g_pGameData->abilityLimit);
    return 2;
}

int Script_InitWarning(lua_State* state)
{
    if (g_pRender && g_pRender->GetDevice()) g_pRender->DrawLoadingScreen(ReadInt(state, 1));
    return 0;
}

int Script_IMenuRight(lua_State*)
{
    SelectNextMenuButton();
    return 0;
}

int Script_IMenuLeft(lua_State*)
{
    SelectPreviousMenuButton();
    return 0;
}

int Script_DoNothing(lua_State*)
{
    return 0;
}
