#pragma once

struct lua_State;

// The level camera and the view as the scripts steer and read them, and the
// script tuning value. Functions that need the level do nothing, or answer
// nothing, without one.

// SetCamera(demo preset): switches the demo camera between its two
// presets, picking the orbit's side and the look-down angle by dice; the
// first preset also turns the camera to the followed car's heading.
int Script_SetCamera(lua_State* state);
// The camera's field of view in degrees.
int Script_SetFOV(lua_State* state);
// The renderer's motion blur; an amount of 0 turns it off.
int Script_SetMotionBlur(lua_State* state);
// The current view's eye, then the point the camera looks at: six numbers,
// zeros for what there is not.
int Script_GetCameraPositions(lua_State* state);
// The camera's heading in radians.
int Script_GetCameraZAngle(lua_State* state);
// Whether the object's box may be seen in the current view.
int Script_CheckVisible(lua_State* state);
int Script_SetTemp(lua_State* state);
int Script_GetTemp(lua_State* state);
