#include "script/FollowedCarFunctions.h"

#include "script/CarModelTable.h"
#include "script/ScriptArguments.h"

#include "Render/PCamera.h"
#include "core/Settings.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "physics/PCar.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

namespace {

const float kPlayerSlide = 1.0f;
const int kPointAndImpulseArguments = 4;
// A squared length below this counts as length 0.
const float kZeroLengthSquared = 1e-6f;
const float kHalfPi = 1.5707964f;

// The minimap: its centre 109 pixels left of the screen's right edge and
// 100 down, 500 pixels across the level's larger extent; a car left of its
// left edge or below its bottom is put off the screen to the right.
const int kMapCentreFromRight = 109;
const float kMapCentreY = 100.0f;
const float kMapScale = 500.0f;
const int kMapLeftFromRight = 205;
const float kMapBottom = 200.0f;
const int kOffScreenRight = 50;
const int kKeysPerCar = 3;

bool IsZeroLength(const D3DXVECTOR3& vector)
{
    return D3DXVec3LengthSq(&vector) < kZeroLengthSquared;
}

RefPtr<CPCar> FollowedVehicle()
{
    CPGameObject* car = FollowedCar();
    return car ? car->GetCar() : RefPtr<CPCar>();
}

D3DXVECTOR3 FollowedVelocity()
{
    RefPtr<CPCar> vehicle = FollowedVehicle();
    if (!vehicle) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR4& velocity = vehicle->GetVelocity();
    return D3DXVECTOR3(velocity.x, velocity.y, velocity.z);
}

// From the eye of the level camera's view towards what it looks at.
D3DXVECTOR3 ViewDirection(const CPLevel& level)
{
    if (!level.camera) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    RefPtr<CPPerspectiveCamera> view = level.camera->GetFirstView();
    return view->GetTarget() - view->GetEye();
}

D3DXVECTOR2 Turned(const D3DXVECTOR2& vector, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return D3DXVECTOR2(vector.x * c - vector.y * s, vector.x * s + vector.y * c);
}

// The screen point of a ground position on the minimap round the followed
// car, the map turned with the camera so that the view points up.
D3DXVECTOR2 MapPoint(const D3DXVECTOR2& position, const D3DXVECTOR3& centre, float heading, float scale)
{
    const D3DXVECTOR2 offset(position.x - centre.x, -(position.y - centre.y));
    const D3DXVECTOR2 turned = Turned(offset, heading - kHalfPi);
    D3DXVECTOR2 point(static_cast<float>(g_screenWidth - kMapCentreFromRight) + turned.x * scale * kMapScale,
                      turned.y * scale * kMapScale + kMapCentreY);
    if (point.x < static_cast<float>(g_screenWidth - kMapLeftFromRight) || point.y > kMapBottom) {
        point.x = static_cast<float>(g_screenWidth + kOffScreenRight);
    }
    return point;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The opponent that a racer key ("0" to "4", its index among the level's
// opponents) names; null for any other key.
CPPlayer* OpponentOfKey(const CPLevel& level, const std::string& key)
{
    if (key.empty() || key.size() > 2 || !std::all_of(key.begin(), key.end(), IsDigit)) return nullptr;
    const size_t index = static_cast<size_t>(std::atoi(key.c_str()));
    if (index >= level.opponents.size()) return nullptr;
    return dynamic_cast<CPPlayer*>(level.opponents[index].Get());
}

bool DrivesForSide(const CPPlayer* racer, int side)
{
    return racer && side != CarModelTable::kNoSide && CarModelTable::SideOfKey(racer->carModel) == side;
}

void SetTableNumber(lua_State* state, int key, double value)
{
    lua_pushnumber(state, key);
    lua_pushnumber(state, value);
    lua_settable(state, -3);
}

} // namespace

CPGameObject* FollowedCar()
{
    CPLevel* level = GetLevel();
    return level ? level->cameraCar : nullptr;
}

CPPlayer* FollowedRacer()
{
    return dynamic_cast<CPPlayer*>(FollowedCar());
}

int Script_GetPlayerSpeed(lua_State* state)
{
    CPLevel* level = GetLevel();
    return PushNumber(state, level ? level->cameraSpeed : 0.0f);
}

int Script_GetPlayerSlide(lua_State* state)
{
    return PushNumber(state, kPlayerSlide);
}

int Script_GetNitro(lua_State* state)
{
    RefPtr<CPCar> vehicle = FollowedVehicle();
    return PushNumber(state, vehicle ? vehicle->GetNitroStock() : 0.0f);
}

int Script_IsNitro(lua_State* state)
{
    RefPtr<CPCar> vehicle = FollowedVehicle();
    lua_pushboolean(state, vehicle && vehicle->GetNitroStock() > 0.0f && vehicle->GetNitro() > 0.0f);
    return 1;
}

int Script_PlayerNitro(lua_State* state)
{
    const float amount = ReadFloat(state, 1);
    CPLevel* level = GetLevel();
    CPPlayer* racer = FollowedRacer();
    if (level && racer && !level->raceOver) racer->SetNitro(amount);
    return 0;
}

int Script_PlayerApplyImpulse(lua_State* state)
{
    CPPlayer* racer = FollowedRacer();
    if (!racer) return 0;
    const bool withPoint = lua_gettop(state) >= kPointAndImpulseArguments;
    const int firstImpulse = withPoint ? 4 : 1;
    const D3DXVECTOR3 point = withPoint ? D3DXVECTOR3(ReadFloat(state, 1), ReadFloat(state, 2), ReadFloat(state, 3))
                                        : *racer->GetPositionRef();
    const D3DXVECTOR3 impulse(ReadFloat(state, firstImpulse), ReadFloat(state, firstImpulse + 1),
                              ReadFloat(state, firstImpulse + 2));
    racer->ApplyImpulse(point, impulse);
    return 0;
}

int Script_IsPlayerMoveForward(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    const D3DXVECTOR3 velocity = FollowedVelocity();
    const D3DXVECTOR3 view = ViewDirection(*level);
    const bool forward = IsZeroLength(velocity) || IsZeroLength(view) || D3DXVec3Dot(&velocity, &view) >= 0.0f;
    lua_pushboolean(state, forward);
    return 1;
}

int Script_IsPlayerMovingBackwards(lua_State* state)
{
    CPLevel* level = GetLevel();
    lua_pushboolean(state, level && level->IsPlayerMovingBackwards());
    return 1;
}

// The race rules keep the places under racer keys; the map walks them in
// key order, so that the keys a script gets do not depend on hashing.
int Script_GetAIPositions(lua_State* state)
{
    CPLevel* level = GetLevel();
    CPPlayer* followed = FollowedRacer();
    CPGameData* data = GetGameData();
    if (!level || !followed || !data) return 0;
    const float scale = 1.0f / std::max(level->width, level->depth);
    const float heading = level->camera ? level->camera->GetHeading() : 0.0f;
    const int side = CarModelTable::SideOfKey(followed->carModel);
    const std::map<std::string, D3DXVECTOR2> racers(data->racerPositions.begin(), data->racerPositions.end());
    lua_pushnumber(state, static_cast<double>(racers.size() * kKeysPerCar));
    lua_newtable(state);
    int key = 0;
    for (const auto& racer : racers) {
        const D3DXVECTOR2 point = MapPoint(racer.second, *followed->GetPositionRef(), heading, scale);
        SetTableNumber(state, ++key, point.x);
        SetTableNumber(state, ++key, point.y);
        lua_pushnumber(state, ++key);
        lua_pushboolean(state, DrivesForSide(OpponentOfKey(*level, racer.first), side));
        lua_settable(state, -3);
    }
    return 2;
}
