#pragma once

struct lua_State;

// The level's size, modes and light as the scripts read and set them.
// Without a level the queries answer zeros or false and SetLight does nothing.

// The level's extents along x and y.
int Script_GetLevelSize(lua_State* state);
int Script_IsSingleMode(lua_State* state);
int Script_IsTimeMode(lua_State* state);
// The level's light as fifteen numbers: diffuse, specular and ambient
// colour (r, g, b, a each), then the direction.
int Script_GetLight(lua_State* state);
// Sets the fifteen values in GetLight's order.
int Script_SetLight(lua_State* state);
