#include "script/ProfileFunctions.h"

#include "script/ScriptArguments.h"

#include "core/PCommandManager.h"
#include "game/PGameData.h"
#include "game/PLevel.h"

#include <cstdio>
#include <string>

namespace {

const char* const kGameMenu = "gamemenu";
const char* const kChangeMoney = "change_money";
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

std::string TextArgument(lua_State* state, int index)
{
    const char* text = ReadText(state, index);
    return text ? std::string(text) : std::string();
}

// "%.2f" of the amount; the buffer holds any float, however large.
std::string MoneyText(float amount)
{
    char text[kMoneyTextSize];
    std::snprintf(text, sizeof(text), "%.2f", static_cast<double>(amount));
    return text;
}

} // namespace

int Script_SetMoney(lua_State* state)
{
    if (!g_pGameData) return 0;
    g_pGameData->money = ReadFloat(state, 1);
    if (g_pCommandManager) g_pCommandManager->SendCommandByName(kGameMenu, kChangeMoney, MoneyText(g_pGameData->money));
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
    for (int index = 0; index < kItemArguments; ++index) *ItemSlots(settings, index) = TextArgument(state, index + 1);
    settings.superWeaponCount = ReadInt(state, kSuperWeaponCountArgument);
    settings.mine = TextArgument(state, kMineArgument);
    g_pGameData->SetCarSettings(settings);
    return 0;
}

int Script_CommitCarSettings(lua_State*)
{
    if (g_pGameData) g_pGameData->CommitCarSettings();
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
