#pragma once

struct lua_State;

// Damage, death and the controls of one racer, and the object queries the
// in-race scripts use. Argument 1 is the racer's (or object's) handle; a
// null handle changes nothing and answers the function's defaults.

// Takes the amount, times the damage coefficient, off the car's life and
// tells the display; at 0 the car is dead, reported to "main" once. True
// while the car lives, and for a null car.
int Script_DamagePlayer(lua_State* state);
// Hides the car and its shadow, and takes it out of the physics world and
// the car table.
int Script_KillPlayer(lua_State* state);
// The descendant of the name, or the null handle.
int Script_FindObject(lua_State* state);
// The named animation at speed 1, played the number of times, reporting to
// the object of argument 4.
int Script_StartAnimation(lua_State* state);
int Script_IsRigid(lua_State* state);
// The car's brake lights.
int Script_SetBrake(lua_State* state);
// Puts the car back on the road, at rest, whatever its state.
int Script_Spawn(lua_State* state);
int Script_ActivateAbilitiesAI(lua_State* state);
int Script_SetAbilitiesCountAI(lua_State* state);
// The speed of the car's vehicle; 0 without one.
int Script_GetPlayerSpeedAI(lua_State* state);
// The nitro input; with a third argument, a computer-driven nitro run.
int Script_PlayerNitroAI(lua_State* state);
// The car's unit heading, its local (0, -1, 0) in the world.
int Script_GetPlayerDirectionAI(lua_State* state);
