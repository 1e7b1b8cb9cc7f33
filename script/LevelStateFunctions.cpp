#include "script/LevelStateFunctions.h"

#include "script/ScriptArguments.h"

#include "game/PLevel.h"

#include <array>

namespace {

const int kLightValues = 15;

typedef std::array<float*, kLightValues> LightValues;

// The light's values in the order scripts hand them over.
LightValues ValuesOf(D3DLIGHT9& light)
{
    return {&light.Diffuse.r,  &light.Diffuse.g,  &light.Diffuse.b,  &light.Diffuse.a,
            &light.Specular.r, &light.Specular.g, &light.Specular.b, &light.Specular.a,
            &light.Ambient.r,  &light.Ambient.g,  &light.Ambient.b,  &light.Ambient.a,
            &light.Direction.x, &light.Direction.y, &light.Direction.z};
}

} // namespace

int Script_GetLevelSize(lua_State* state)
{
    CPLevel* level = GetLevel();
    lua_pushnumber(state, level ? level->width : 0.0f);
    lua_pushnumber(state, level ? level->depth : 0.0f);
    return 2;
}

int Script_IsSingleMode(lua_State* state)
{
    CPLevel* level = GetLevel();
    lua_pushboolean(state, level && level->singleMode);
    return 1;
}

int Script_IsTimeMode(lua_State* state)
{
    CPLevel* level = GetLevel();
    lua_pushboolean(state, level && level->timeMode);
    return 1;
}

int Script_GetLight(lua_State* state)
{
    D3DLIGHT9 none = {};
    CPLevel* level = GetLevel();
    for (float* value : ValuesOf(level ? level->light : none)) lua_pushnumber(state, *value);
    return kLightValues;
}

int Script_SetLight(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    int index = 0;
    for (float* value : ValuesOf(level->light)) *value = ReadFloat(state, ++index);
    return 0;
}
