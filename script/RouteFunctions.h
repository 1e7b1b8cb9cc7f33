#pragma once

struct lua_State;

// The route spline's ring of line pieces as the scripts query it. Without a
// level, a route or a followed car the queries answer zeros.

// GetPlayerSplineAngle([restart]): the followed car's heading, then the
// route's heading at the car in [0, 2 pi). The search starts where the
// previous one ended (the level remembers the piece), or at the route's
// first piece on the first call and whenever restart is true.
int Script_GetPlayerSplineAngle(lua_State* state);
// Always 1: the scripts see the route as one line.
int Script_GetSplineLineCount(lua_State* state);
// GetSplineLinePoint(index): the start of the piece that many pieces on
// from the first along the ring, counted round the ring.
int Script_GetSplineLinePoint(lua_State* state);
// GetClosestLineCenter(x, y, unused, offset): the first piece of the ring,
// after the first piece, that starts within 20 units of the ground point;
// from it offset pieces back along the ring (forward for a negative
// offset): its start's x and y, 0.5 and the route's heading there less a
// quarter turn. Nothing when no piece starts that near.
int Script_GetClosestLineCenter(lua_State* state);
