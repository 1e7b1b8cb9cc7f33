#pragma once

struct lua_State;
class CPGameObject;
class CPPlayer;

// The car the level's camera follows, the player's car but while the camera
// follows another; null without a level or such a car.
CPGameObject* FollowedCar();
// The followed car when it is a racer; null otherwise.
CPPlayer* FollowedRacer();

// What the scripts read of the followed car and do to it, and the minimap
// of the computer cars around it. Without a level or a followed car the
// queries answer 0 (false for the flags) and the operations do nothing.

// The followed car's speed as the race rules keep it.
int Script_GetPlayerSpeed(lua_State* state);
// Always 1.
int Script_GetPlayerSlide(lua_State* state);
// The nitro the followed car has left.
int Script_GetNitro(lua_State* state);
// True while the followed car has nitro left and burns it.
int Script_IsNitro(lua_State* state);
// The followed car's nitro input; refused once the race is over.
int Script_PlayerNitro(lua_State* state);
// PlayerApplyImpulse(x, y, z, ix, iy, iz) pushes the followed car at the
// point; PlayerApplyImpulse(ix, iy, iz) at the car's position.
int Script_PlayerApplyImpulse(lua_State* state);
// Whether the followed car moves away from the camera (at most a quarter
// turn from the view direction); a car at rest counts as moving forward.
// Nothing without a level.
int Script_IsPlayerMoveForward(lua_State* state);
// Whether the followed car heads against the route.
int Script_IsPlayerMovingBackwards(lua_State* state);
// The minimap of the computer cars: for each car whose place the race
// rules keep, its screen x and y in the top-right corner (x off the screen
// when the car lies outside the map) and whether it drives for the
// followed car's side, three table keys a car, in racer order; answers the
// count of keys and the table. Nothing without a level or followed car.
int Script_GetAIPositions(lua_State* state);
