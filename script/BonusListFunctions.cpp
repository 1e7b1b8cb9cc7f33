#include "script/BonusListFunctions.h"

#include "script/ScriptArguments.h"

#include "core/PGameObject.h"
#include "game/PGameData.h"

#include <algorithm>

namespace {

const int kObjectKey = 1;
const int kNumberKey = 2;

} // namespace

int Script_AddBonus(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    const int number = ReadInt(state, 2);
    CPGameData* data = GetGameData();
    if (!object || !data) return 0;
    // Built in place: a copy's release would reset the object's count.
    data->bonusList.emplace_back();
    data->bonusList.back().object = object;
    data->bonusList.back().number = number;
    ++data->bonusCount;
    return 0;
}

int Script_EraseBonus(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    CPGameData* data = GetGameData();
    if (!object || !data) return 0;
    std::list<BonusEntry>& list = data->bonusList;
    const auto found = std::find_if(list.begin(), list.end(),
                                    [object](const BonusEntry& entry) { return entry.object.Get() == object; });
    if (found != list.end()) list.erase(found);
    --data->bonusCount;
    return 0;
}

int Script_GetBonusesCount(lua_State* state)
{
    CPGameData* data = GetGameData();
    return PushNumber(state, data ? static_cast<double>(data->bonusList.size()) : 0.0);
}

int Script_ClearBonuses(lua_State*)
{
    if (CPGameData* data = GetGameData()) data->bonusList.clear();
    return 0;
}

int Script_GetBonusList(lua_State* state)
{
    CPGameData* data = GetGameData();
    lua_newtable(state);
    if (!data) return 1;
    int key = 0;
    for (const BonusEntry& entry : data->bonusList) {
        lua_pushnumber(state, ++key);
        lua_newtable(state);
        lua_pushnumber(state, kObjectKey);
        PushHandle(state, entry.object.Get());
        lua_settable(state, -3);
        lua_pushnumber(state, kNumberKey);
        lua_pushnumber(state, entry.number);
        lua_settable(state, -3);
        lua_settable(state, -3);
    }
    return 1;
}
