#include "script/ProfileNameFunctions.h"

#include "script/ScriptArguments.h"

#include "game/PGameData.h"
#include "game/PPlayer.h"
#include "game/SaveGames.h"

#include <string>

namespace {

void PushText(lua_State* state, const std::string& text)
{
    lua_pushlstring(state, text.data(), text.size());
}

} // namespace

int Script_SetPlayerName(lua_State* state)
{
    const char* name = ReadText(state, 1);
    CPGameData* data = GetGameData();
    if (name && data) SetPlayerCarKey(*data, name, "SetPlayerName");
    return 0;
}

int Script_GetPlayerName(lua_State* state)
{
    if (lua_gettop(state) > 0) {
        CPPlayer* racer = ReadHandle<CPPlayer>(state, 1);
        PushText(state, racer ? racer->carModel : std::string());
        return 1;
    }
    CPGameData* data = GetGameData();
    PushText(state, data ? data->carKey : std::string());
    return 1;
}

int Script_SetProfileName(lua_State* state)
{
    const char* name = ReadText(state, 1);
    CPGameData* data = GetGameData();
    if (name && data) ReadSaveProfile(*data, name);
    return 0;
}

int Script_GetProfileName(lua_State* state)
{
    CPGameData* data = GetGameData();
    PushText(state, data ? data->profileName : std::string());
    return 1;
}
