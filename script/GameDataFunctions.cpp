#include "script/GameDataFunctions.h"

#include "script/ScriptArguments.h"

#include "game/PGameData.h"

#include <string>
#include <vector>

namespace {

// A set-up carrying this many super weapons is offered no more.
const int kSuperWeaponCarryLimit = 3;

// The numbers of each kind of item after its price, in record order.
void PushItemNumbers(lua_State* state, const WeaponDefinition& item)
{
    PushNumber(state, item.number1);
    PushNumber(state, item.number2);
    PushNumber(state, item.number3);
    PushNumber(state, item.number4);
    PushNumber(state, item.number5);
    PushNumber(state, item.number6);
    PushNumber(state, item.number7);
    PushNumber(state, item.number8);
}

void PushItemNumbers(lua_State* state, const MineDefinition& item)
{
    PushNumber(state, item.number1);
    PushNumber(state, item.number2);
    PushNumber(state, item.number3);
    PushNumber(state, item.number4);
    PushNumber(state, item.number5);
    PushNumber(state, item.number6);
    PushNumber(state, item.number7);
}

void PushItemNumbers(lua_State*, const SuperWeaponDefinition&) {}

void PushItemNumbers(lua_State* state, const SingleValueDefinition& item)
{
    PushNumber(state, item.value);
}

void PushItemNumbers(lua_State* state, const EngineDefinition& item)
{
    for (float value : item.values) PushNumber(state, value);
}

// The item's localised name, price, numbers, localised description and
// info number. A key the catalogue lacks answers nothing, so that asking
// enters no text for it.
template <class Definition>
int PushItemInfo(lua_State* state, ItemCatalog<Definition> CPGameData::*catalogue)
{
    CPGameData* gameData = GetGameData();
    const char* key = ReadText(state, 1);
    if (!gameData || !key) return 0;
    const Definition* item = (gameData->*catalogue).Find(key);
    if (!item) return 0;
    const int top = lua_gettop(state);
    lua_pushstring(state, gameData->GetText(item->key).c_str());
    PushNumber(state, item->price);
    PushItemNumbers(state, *item);
    lua_pushstring(state, gameData->GetText(item->descriptionKey).c_str());
    PushNumber(state, item->info);
    return lua_gettop(state) - top;
}

// The count, then a table of the keys at 1 to count.
int PushNameList(lua_State* state, const std::vector<std::string>& names)
{
    PushNumber(state, static_cast<double>(names.size()));
    lua_newtable(state);
    for (size_t index = 0; index < names.size(); ++index) {
        PushNumber(state, static_cast<double>(index + 1));
        lua_pushstring(state, names[index].c_str());
        lua_settable(state, -3);
    }
    return 2;
}

int PushShopNames(lua_State* state, ItemKind kind)
{
    CPGameData* gameData = GetGameData();
    return PushNameList(state, gameData ? gameData->GetShopNames(kind) : std::vector<std::string>());
}

} // namespace

int Script_GetWeaponInfo(lua_State* state)
{
    return PushItemInfo(state, &CPGameData::weapons);
}

int Script_GetMineInfo(lua_State* state)
{
    return PushItemInfo(state, &CPGameData::mines);
}

int Script_GetSuperWeaponInfo(lua_State* state)
{
    return PushItemInfo(state, &CPGameData::superWeapons);
}

int Script_GetBumperInfo(lua_State* state)
{
    return PushItemInfo(state, &CPGameData::bumpers);
}

int Script_GetEquipmentInfo(lua_State* state)
{
    return PushItemInfo(state, &CPGameData::equipment);
}

int Script_GetArmorInfo(lua_State* state)
{
    return PushItemInfo(state, &CPGameData::armor);
}

int Script_GetEngineInfo(lua_State* state)
{
    return PushItemInfo(state, &CPGameData::engines);
}

int Script_GetWeaponNames(lua_State* state)
{
    return PushShopNames(state, ItemKind::Weapon);
}

int Script_GetMineNames(lua_State* state)
{
    return PushShopNames(state, ItemKind::Mine);
}

int Script_GetSuperWeaponNames(lua_State* state)
{
    CPGameData* gameData = GetGameData();
    if (gameData && gameData->editedSetup.superWeaponCount >= kSuperWeaponCarryLimit) {
        return PushNameList(state, {});
    }
    return PushShopNames(state, ItemKind::SuperWeapon);
}

int Script_GetBumperNames(lua_State* state)
{
    return PushShopNames(state, ItemKind::Bumper);
}

int Script_GetEquipmentNames(lua_State* state)
{
    return PushShopNames(state, ItemKind::Equipment);
}

int Script_GetArmorNames(lua_State* state)
{
    return PushShopNames(state, ItemKind::Armor);
}

int Script_GetEngineNames(lua_State* state)
{
    return PushShopNames(state, ItemKind::Engine);
}

int Script_IsValidGameDataName(lua_State* state)
{
    CPGameData* gameData = GetGameData();
    const char* name = ReadText(state, 1);
    bool valid = false;
    if (gameData && name) {
        valid = gameData->weapons.Find(name) || gameData->mines.Find(name) || gameData->superWeapons.Find(name) ||
                gameData->bumpers.Find(name) || gameData->equipment.Find(name) || gameData->armor.Find(name) ||
                gameData->engines.Find(name);
    }
    lua_pushboolean(state, valid);
    return 1;
}
