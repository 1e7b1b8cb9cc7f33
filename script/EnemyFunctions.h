#pragma once

struct lua_State;

// Where and what the mission spawns around the player's car: enemy spawn
// points and kinds from the mission's enemy sources and records, free
// points near the car, and the bonuses a checkpoint drops. Without game
// data, a level or a player car they answer false, "" or 0 and spawn
// nothing.

// The player car's position; 0, 0, 0 without one.
int Script_GetPlayerPosition(lua_State* state);
// Whether a point of the named source with the flag asked for lies more
// than 25 and less than 40 units from the player car.
int Script_IsEnemySourceNear(lua_State* state);
// A kind and a place for an enemy: from a point of the named source in
// that ring (true), else from the mission record numbered by the first
// argument at the player car (false). Answers kind, flag, x, y.
int Script_GetEnemyType(lua_State* state);
// A free point near the player car, ahead of it when it drives fast, else
// on a square around it; with a marker as third argument the point beside
// the given x, y is checked instead. Answers whether the point is free of
// the level's bounds and solid objects, then its x, y.
int Script_GetPositionForEnemy(lua_State* state);
// Drops the bonus a mission record may give at x, y: a chance roll
// scaled by the difficulty, then a roll over the record's bonus kinds.
int Script_SetBonus(lua_State* state);
