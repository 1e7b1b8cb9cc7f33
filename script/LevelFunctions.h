#pragma once

struct lua_State;

// The functions of the main table that reach the current level: its life,
// the script-placed camera and lens flare, shots and explosions, rays into
// the level, the player car's inputs and the enemy data. Each takes the
// script's state and answers how many results it pushed.

// Replaces the current level by a new one loaded from the named file.
int Script_InitLevel(lua_State* state);
// Start and stop the race on the current level.
int Script_StartLevel(lua_State* state);
int Script_StopLevel(lua_State* state);
int Script_DeleteLevel(lua_State* state);
int Script_SetLevelTransportCount(lua_State* state);

int Script_SetDefaultCamera(lua_State* state);
int Script_SetCameraPos(lua_State* state);
int Script_SetCameraZAngle(lua_State* state);
int Script_SetLensFlare(lua_State* state);

// A shot of the kind at a point given in the owner's own frame.
int Script_Shot(lua_State* state);
int Script_Explosion(lua_State* state);
int Script_DirectionalExplosion(lua_State* state);
// True and the ray's reach when a ray from a point meets nothing but the
// player's car; false and the unit direction when it meets something.
int Script_CrossPlayerRay(lua_State* state);
// What lies under a point of the screen: whether the view's ray hits the
// level, the object it hits, where the ray meets the ground plane, and 0.
int Script_CrossInterfaceRay(lua_State* state);

int Script_SetCarParams(lua_State* state);
// Hands the aim point and the optional target to the player's weapon.
int Script_SetWeaponPos(lua_State* state);
int Script_GetEnemyData(lua_State* state);
