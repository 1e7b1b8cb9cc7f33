#include "script/RouteFunctions.h"

#include "script/FollowedCarFunctions.h"
#include "script/ScriptArguments.h"

#include "core/PGameObject.h"
#include "game/PLevel.h"
#include "game/PLine.h"
#include "game/PSpline.h"

#include <cstdlib>

namespace {

const float kTwoPi = 6.2831855f;
const float kHalfPi = 1.5707964f;
const int kSplineLineCount = 1;
// The route heading at the car is searched as the race rules search it: 40
// units round the car, the heading taken one piece further along the route.
const float kCarSearchReach = 40.0f;
const int kCarStepsBack = 1;
// A piece is near a point when it starts within this of it on the ground.
const float kCentreReach = 20.0f;
const float kCentreWidth = 0.5f;
const int kCentreResults = 4;

float WrapAngle(float angle)
{
    if (angle < 0.0f) return angle + kTwoPi;
    if (angle >= kTwoPi) return angle - kTwoPi;
    return angle;
}

CPSpline* RouteOf(CPLevel* level)
{
    CPSpline* route = level ? level->routeSpline.Get() : nullptr;
    return route && route->GetFirstLine() ? route : nullptr;
}

// Walks the ring; steps beyond one round count round the ring.
CPLine* StepAlong(const CPSpline& route, CPLine* piece, long long steps, bool forward)
{
    const long long count = route.GetLineCount();
    for (long long step = steps % count; step > 0; --step) piece = forward ? piece->next : piece->previous;
    return piece;
}

bool StartsNear(const CPLine& piece, float x, float y)
{
    const float dx = piece.start.x - x;
    const float dy = piece.start.y - y;
    return dx * dx + dy * dy < kCentreReach * kCentreReach;
}

// The whole ring is searched, the first piece last, so that a ring of one
// piece, or a point near the first piece alone, is found too.
CPLine* FirstPieceNear(const CPSpline& route, float x, float y)
{
    CPLine* piece = route.GetFirstLine();
    for (int step = 0; step < route.GetLineCount(); ++step) {
        piece = piece->next;
        if (StartsNear(*piece, x, y)) return piece;
    }
    return nullptr;
}

int PushHeadingAndAngle(lua_State* state, float heading, float angle)
{
    lua_pushnumber(state, heading);
    lua_pushnumber(state, angle);
    return 2;
}

} // namespace

int Script_GetPlayerSplineAngle(lua_State* state)
{
    const bool restart = lua_type(state, 1) == LUA_TBOOLEAN && ReadBool(state, 1);
    CPLevel* level = GetLevel();
    CPSpline* route = RouteOf(level);
    if (!route) return PushHeadingAndAngle(state, level ? level->heading : 0.0f, 0.0f);
    if (!level->scriptRouteLine || restart) level->scriptRouteLine = route->GetFirstLine();
    CPGameObject* car = FollowedCar();
    if (!car) return PushHeadingAndAngle(state, level->heading, 0.0f);
    float reach = kCarSearchReach;
    const float angle = route->FindNearestLine(*car->GetPositionRef(), reach, kCarStepsBack, level->scriptRouteLine);
    return PushHeadingAndAngle(state, level->heading, WrapAngle(angle));
}

int Script_GetSplineLineCount(lua_State* state)
{
    return PushNumber(state, kSplineLineCount);
}

int Script_GetSplineLinePoint(lua_State* state)
{
    const int index = ReadInt(state, 1);
    CPSpline* route = RouteOf(GetLevel());
    if (!route) return PushVector(state, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    const long long steps = index > 0 ? index : 0;
    return PushVector(state, StepAlong(*route, route->GetFirstLine(), steps, true)->start);
}

int Script_GetClosestLineCenter(lua_State* state)
{
    const float x = ReadFloat(state, 1);
    const float y = ReadFloat(state, 2);
    const int offset = ReadInt(state, 4);
    CPSpline* route = RouteOf(GetLevel());
    CPLine* nearPiece = route ? FirstPieceNear(*route, x, y) : nullptr;
    if (!nearPiece) return 0;
    CPLine* piece = StepAlong(*route, nearPiece, std::llabs(static_cast<long long>(offset)), offset < 0);
    float reach = kCentreReach;
    CPLine* found = piece;
    const float heading = route->FindNearestLine(piece->start, reach, 0, found);
    lua_pushnumber(state, piece->start.x);
    lua_pushnumber(state, piece->start.y);
    lua_pushnumber(state, kCentreWidth);
    lua_pushnumber(state, heading - kHalfPi);
    return kCentreResults;
}
