#pragma once

struct lua_State;

// The cars of a race as the scripts see them: the followed car (the one the
// camera follows, the player's unless moved), the other cars in order,
// their sides, damage and death, locks and impulses. Functions that need
// the level do nothing and answer nothing without one; a null car handle,
// or a level without a followed car, gives the function's defaults.

// Pushes dark-side cars within the radius of (x, y) on the ground (the
// followed car and the first five others) back against their motion.
int Script_CheckIntersection(lua_State* state);
// An impulse of -4 times the followed car's velocity, at its position.
int Script_StopPlayerCar(lua_State* state);
// The followed car's unit heading: its local (0, -1, 0) in the world.
int Script_GetPlayerDirection(lua_State* state);
// The mass of the car's body (0 for a null handle), or of the followed car
// without an argument.
int Script_GetPlayerMass(lua_State* state);
int Script_SetAbilitiesCount(lua_State* state);
// Locks or unlocks the followed car and every other car.
int Script_LockPlayers(lua_State* state);
// Locks or unlocks the followed car only.
int Script_LockPlayer(lua_State* state);
// Throws a light-side car upward from behind its centre.
int Script_ThrowPlayer(lua_State* state);
// The impulse (x, y, z) on the object's body at the object's position.
int Script_ApplyImpulse(lua_State* state);
// 1 when one of the first five other cars is alive and of that side, else 0.
int Script_IsDarkLeft(lua_State* state);
int Script_IsLightLeft(lua_State* state);
// The nearest car of the side to (x, y, z) within 10000 units: its x, y,
// z, handle and distance; nothing when there is none.
int Script_GetNearestBrightwardPlayer(lua_State* state);
int Script_GetNearestDuskwardPlayer(lua_State* state);
int Script_GetPlayerDamage(lua_State* state);
// The damage of the first other car of the model; 0 when none.
int Script_GetAIDamage(lua_State* state);
// Whether the followed car has been wrecked and handled; true without a
// level or followed car.
int Script_IsDead(lua_State* state);
// Whether the first other car of the model, else the followed car of that
// model, is wrecked; without a model, whether the followed car is.
int Script_IsPlayerDead(lua_State* state);
int Script_SetTimeBonus(lua_State* state);
int Script_IsInGloom(lua_State* state);
// Whether the race is over or the player has been shown the loss.
int Script_IsDamageMsg(lua_State* state);
// Where the car's health bar goes on the screen and how full it is: the
// left and top of the car's box on the screen and (100 - damage) scaled to
// the bar; -100, -100, 0 when the car is outside the view.
int Script_GetHelthBarCoord(lua_State* state);
// A new game object of the same name holding a copy of the object; the
// script keeps it. The null handle for a null handle.
int Script_Clone(lua_State* state);
