#include "script/RaceCarFunctions.h"

#include "script/CarModelTable.h"
#include "script/ScriptArguments.h"

#include "Render/PCamera.h"
#include "Render/PPerspectiveCamera.h"
#include "core/Settings.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "physics/PPhysicData.h"
#include "physics/PRigidBody.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

namespace {

// The other cars that the side queries and the push look at.
const size_t kFirstOthers = 5;
const size_t kWideOthers = 20;
const float kWreckedDamage = 100.0f;
const float kNoCarDistance = 10000.0f;
const float kZeroLengthSquared = 1e-6f;
const float kIntersectionPush = -72.0f;
const float kStopFactor = -4.0f;
const float kTimeBonusSeconds = 4.0f;
// The heavy truck is thrown half as high from twice as far behind.
const char* const kHeavyCarModel = "zil_130_";
const float kThrowPerMass = 62.5f;
const float kHeavyThrowPerMass = 31.25f;
const float kThrowLever = 1.0f;
const float kHeavyThrowLever = 2.0f;
const float kOffScreen = -100.0f;
const float kFullHealth = 100.0f;
const float kBarPerHealth = 0.47001317f;
const int kBoxCorners = 8;

CPPlayer* AsRacer(CPGameObject* object)
{
    return dynamic_cast<CPPlayer*>(object);
}

CPPlayer* FollowedCar(const CPLevel& level)
{
    return AsRacer(level.cameraCar);
}

// The racers among the first `count` other cars, in race order.
std::vector<CPPlayer*> OtherCars(const CPLevel& level, size_t count)
{
    std::vector<CPPlayer*> cars;
    const size_t end = std::min(count, level.opponents.size());
    for (size_t i = 0; i < end; ++i) {
        if (CPPlayer* car = AsRacer(level.opponents[i].Get())) cars.push_back(car);
    }
    return cars;
}

std::vector<CPPlayer*> AllOtherCars(const CPLevel& level)
{
    return OtherCars(level, level.opponents.size());
}

bool IsOfSide(const CPPlayer& car, uint32_t side)
{
    return (car.sideFlags & side) != 0;
}

bool IsWrecked(const CPPlayer& car)
{
    return car.damage >= kWreckedDamage;
}

D3DXVECTOR3 PositionOf(CPGameObject& object)
{
    return *object.GetPositionRef();
}

D3DXVECTOR3 VelocityOf(CPPlayer& car)
{
    const D3DXVECTOR4 velocity = car.GetCarVelocity();
    return D3DXVECTOR3(velocity.x, velocity.y, velocity.z);
}

// The unit vector along v; zero for a vector too short to have a direction.
D3DXVECTOR3 UnitOrZero(const D3DXVECTOR3& v)
{
    if (D3DXVec3LengthSq(&v) < kZeroLengthSquared) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 unit;
    D3DXVec3Normalize(&unit, &v);
    return unit;
}

CPRigidBody* RigidBodyOf(CPGameObject& object)
{
    CPPhysicData* data = object.GetPhysicData();
    return data ? data->GetRigidBody() : nullptr;
}

float BodyMass(CPGameObject& object)
{
    CPRigidBody* body = RigidBodyOf(object);
    return body ? body->GetMass() : 0.0f;
}

// The nearest car offered so far within the starting distance.
struct NearestCar {
    CPPlayer* car = nullptr;
    float distance = kNoCarDistance;

    // An equally near car replaces the one held only when ties win.
    void Offer(CPPlayer& candidate, const D3DXVECTOR3& point, bool tiesWin)
    {
        const D3DXVECTOR3 offset = PositionOf(candidate) - point;
        const float length = D3DXVec3Length(&offset);
        if (tiesWin ? length <= distance : length < distance) {
            car = &candidate;
            distance = length;
        }
    }

    int Push(lua_State* state) const
    {
        if (!car) return 0;
        PushVector(state, PositionOf(*car));
        PushHandle(state, car);
        lua_pushnumber(state, distance);
        return 5;
    }
};

int PushIsSideLeft(lua_State* state, uint32_t side)
{
    bool left = false;
    if (CPLevel* level = GetLevel()) {
        for (CPPlayer* car : OtherCars(*level, kFirstOthers)) left = left || (IsOfSide(*car, side) && !IsWrecked(*car));
    }
    return PushNumber(state, left ? 1 : 0);
}

// The first other car whose car key is the model's; null when none is.
CPPlayer* FindOtherCarOfModel(const CPLevel& level, const std::string& model)
{
    const std::string key = CarModelTable::ModelToKey(model);
    for (CPPlayer* car : AllOtherCars(level)) {
        if (car->carModel == key) return car;
    }
    return nullptr;
}

// Whether the car lies within the view's field of view about its line of sight.
bool IsInFieldOfView(const CPPerspectiveCamera& view, const D3DXVECTOR3& point)
{
    const D3DXVECTOR3 sight = UnitOrZero(view.GetTarget() - view.GetEye());
    const D3DXVECTOR3 toPoint = UnitOrZero(point - view.GetEye());
    const float cosine = std::max(-1.0f, std::min(1.0f, D3DXVec3Dot(&sight, &toPoint)));
    return std::acos(cosine) <= view.GetFieldOfView();
}

// The left and top of the box's corners on the screen, in pixels.
D3DXVECTOR2 ScreenTopLeft(const CPPerspectiveCamera& view, const AxisAlignedBox& box)
{
    float left = FLT_MAX;
    float top = FLT_MAX;
    for (int corner = 0; corner < kBoxCorners; ++corner) {
        const D3DXVECTOR3 point((corner & 1) ? box.maximum.x : box.minimum.x,
                                (corner & 2) ? box.maximum.y : box.minimum.y,
                                (corner & 4) ? box.maximum.z : box.minimum.z);
        D3DXVECTOR3 projected;
        D3DXVec3TransformCoord(&projected, &point, &view.GetViewProjection());
        left = std::min(left, projected.x);
        top = std::min(top, -projected.y);
    }
    return D3DXVECTOR2((left + 1.0f) * 0.5f * static_cast<float>(g_screenWidth),
                       (top + 1.0f) * 0.5f * static_cast<float>(g_screenHeight));
}

int PushHealthBar(lua_State* state, float x, float y, float fill)
{
    lua_pushnumber(state, x);
    lua_pushnumber(state, y);
    lua_pushnumber(state, fill);
    return 3;
}

} // namespace

int Script_CheckIntersection(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    const float x = ReadFloat(state, 1);
    const float y = ReadFloat(state, 2);
    const float radius = ReadFloat(state, 4);
    std::vector<CPPlayer*> cars = OtherCars(*level, kFirstOthers);
    if (CPPlayer* followed = FollowedCar(*level)) cars.insert(cars.begin(), followed);
    for (CPPlayer* car : cars) {
        const D3DXVECTOR3 position = PositionOf(*car);
        const float dx = position.x - x;
        const float dy = position.y - y;
        // Asked as "within" so that a NaN point or radius reaches no car.
        const bool within = dx * dx + dy * dy <= radius * radius;
        if (!IsOfSide(*car, CPPlayer::kDarkSide) || !within) continue;
        car->ApplyImpulse(position, UnitOrZero(VelocityOf(*car)) * kIntersectionPush);
    }
    return 0;
}

int Script_StopPlayerCar(lua_State*)
{
    CPLevel* level = GetLevel();
    CPPlayer* car = level ? FollowedCar(*level) : nullptr;
    if (car) car->ApplyImpulse(PositionOf(*car), VelocityOf(*car) * kStopFactor);
    return 0;
}

int Script_GetPlayerDirection(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    CPPlayer* car = FollowedCar(*level);
    return PushVector(state, car ? UnitOrZero(ForwardAxisOf(*car)) : D3DXVECTOR3(0.0f, 0.0f, 0.0f));
}

int Script_GetPlayerMass(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    CPGameObject* car = lua_gettop(state) >= 1 ? ReadHandle<CPGameObject>(state, 1) : FollowedCar(*level);
    return PushNumber(state, car ? BodyMass(*car) : 0.0f);
}

int Script_SetAbilitiesCount(lua_State* state)
{
    CPLevel* level = GetLevel();
    CPPlayer* car = level ? FollowedCar(*level) : nullptr;
    if (car) car->abilityCount = ReadInt(state, 1);
    return 0;
}

int Script_LockPlayers(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    const bool locked = ReadBool(state, 1);
    if (CPPlayer* followed = FollowedCar(*level)) followed->SetLocked(locked);
    for (CPPlayer* car : AllOtherCars(*level)) car->SetLocked(locked);
    return 0;
}

int Script_LockPlayer(lua_State* state)
{
    CPLevel* level = GetLevel();
    CPPlayer* car = level ? FollowedCar(*level) : nullptr;
    if (car) car->SetLocked(ReadBool(state, 1));
    return 0;
}

int Script_ThrowPlayer(lua_State* state)
{
    CPPlayer* car = ReadHandle<CPPlayer>(state, 1);
    if (!car || !IsOfSide(*car, CPPlayer::kLightSide)) return 0;
    const bool heavy = car->carModel == kHeavyCarModel;
    const D3DXVECTOR3 point = PositionOf(*car) - ForwardAxisOf(*car) * (heavy ? kHeavyThrowLever : kThrowLever);
    const float lift = BodyMass(*car) * (heavy ? kHeavyThrowPerMass : kThrowPerMass);
    car->ApplyImpulse(point, D3DXVECTOR3(0.0f, 0.0f, lift));
    return 0;
}

int Script_ApplyImpulse(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    CPRigidBody* body = object ? RigidBodyOf(*object) : nullptr;
    if (body) body->ApplyImpulse(ReadVector(state, 2), PositionOf(*object));
    return 0;
}

int Script_IsDarkLeft(lua_State* state)
{
    return PushIsSideLeft(state, CPPlayer::kDarkSide);
}

int Script_IsLightLeft(lua_State* state)
{
    return PushIsSideLeft(state, CPPlayer::kLightSide);
}

// Wide also takes traffic cars, wrecked or not, from the first twenty.
int Script_GetNearestBrightwardPlayer(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    const D3DXVECTOR3 point = ReadVector(state, 1);
    const bool wide = lua_type(state, 4) == LUA_TBOOLEAN && ReadBool(state, 4);
    NearestCar nearest;
    for (CPPlayer* car : OtherCars(*level, wide ? kWideOthers : kFirstOthers)) {
        const bool alive = IsOfSide(*car, CPPlayer::kLightSide) && !IsWrecked(*car);
        if (alive || (wide && IsOfSide(*car, CPPlayer::kTraffic))) nearest.Offer(*car, point, true);
    }
    CPPlayer* followed = FollowedCar(*level);
    if (followed && IsOfSide(*followed, CPPlayer::kLightSide)) nearest.Offer(*followed, point, false);
    return nearest.Push(state);
}

// Wrecked dark-side cars count too.
int Script_GetNearestDuskwardPlayer(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    const D3DXVECTOR3 point = ReadVector(state, 1);
    NearestCar nearest;
    for (CPPlayer* car : OtherCars(*level, kFirstOthers)) {
        if (IsOfSide(*car, CPPlayer::kDarkSide)) nearest.Offer(*car, point, true);
    }
    CPPlayer* followed = FollowedCar(*level);
    if (followed && IsOfSide(*followed, CPPlayer::kDarkSide)) nearest.Offer(*followed, point, false);
    return nearest.Push(state);
}

int Script_GetPlayerDamage(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    CPPlayer* car = FollowedCar(*level);
    return PushNumber(state, car ? car->damage : 0.0f);
}

int Script_GetAIDamage(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    CPPlayer* car = FindOtherCarOfModel(*level, ReadTextOrEmpty(state, 1));
    return PushNumber(state, car ? car->damage : 0.0f);
}

int Script_IsDead(lua_State* state)
{
    CPLevel* level = GetLevel();
    CPPlayer* car = level ? FollowedCar(*level) : nullptr;
    return PushBool(state, !car || car->dead);
}

int Script_IsPlayerDead(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    CPPlayer* followed = FollowedCar(*level);
    const char* model = ReadText(state, 1);
    if (!model) return PushBool(state, followed && IsWrecked(*followed));
    if (CPPlayer* other = FindOtherCarOfModel(*level, model)) return PushBool(state, IsWrecked(*other));
    const bool followedIsModel = followed && followed->carModel == CarModelTable::ModelToKey(model);
    return PushBool(state, followedIsModel && IsWrecked(*followed));
}

int Script_SetTimeBonus(lua_State* state)
{
    if (CPPlayer* car = ReadHandle<CPPlayer>(state, 1)) car->timeBonus = kTimeBonusSeconds;
    return 0;
}

int Script_IsInGloom(lua_State* state)
{
    CPPlayer* car = ReadHandle<CPPlayer>(state, 1);
    return PushBool(state, car && car->inGloom);
}

int Script_IsDamageMsg(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return PushBool(state, false);
    CPPlayer* player = AsRacer(level->player.Get());
    return PushBool(state, level->raceOver || (player && player->lossShown));
}

int Script_GetHelthBarCoord(lua_State* state)
{
    if (!GetLevel()) return 0;
    CPPlayer* car = ReadHandle<CPPlayer>(state, 1);
    CPPerspectiveCamera* view = GetCurrentView();
    if (!car || !view || !IsInFieldOfView(*view, PositionOf(*car))) {
        return PushHealthBar(state, kOffScreen, kOffScreen, 0.0f);
    }
    car->UpdateTransform();
    const D3DXVECTOR2 corner = ScreenTopLeft(*view, car->GetBounds());
    return PushHealthBar(state, corner.x, corner.y, (kFullHealth - car->damage) * kBarPerHealth);
}

int Script_Clone(lua_State* state)
{
    CPGameObject* source = ReadHandle<CPGameObject>(state, 1);
    CPGameObject* copy = nullptr;
    if (source) {
        copy = new CPGameObject(source->GetName());
        copy->CopyFrom(RefPtr<CPGameObject>(source));
    }
    PushHandle(state, copy);
    return 1;
}
