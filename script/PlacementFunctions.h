#pragma once

struct lua_State;

// Placing scene objects from scripts and reading where they are, how big
// and how fast. Moves and turns reach the object's levels of detail and its
// physics body, and the object's world transforms are rebuilt at once. A
// null handle moves nothing; the queries answer zeros for it.

// SetPosition(object, x, y, z).
int Script_SetPosition(lua_State* state);
// SetRotation(object, angle x, angle y, angle z): radians about x, then y,
// then z. A body that the program places itself turns as well as one that
// the simulator moves.
int Script_SetRotation(lua_State* state);
// Moves the level's checkpoint marker to (x, y) on the ground plane.
int Script_ChangeCheckpointPosition(lua_State* state);
int Script_GetPosition(lua_State* state);
// The box around the object's parts: half extents, minimum, maximum.
int Script_GetBBoxInfo(lua_State* state);
// The speed of the object's simulated body; 0 without one.
int Script_GetObjectSpeed(lua_State* state);
