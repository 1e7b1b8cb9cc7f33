#include "script/RacerControlFunctions.h"

#include "script/ScriptArguments.h"

#include "core/AnimationRequest.h"
#include "core/PCommandManager.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "physics/PCar.h"
#include "physics/PCarWorld.h"
#include "physics/PPhysicData.h"

#include <string>

namespace {

// Below this life the driver hears the car is in danger.
const float kCriticalLife = 20.0f;
const char* const kMainReceiver = "main";
const char* const kDisplayReceiver = "gamemenu";
const int kThreeArguments = 3;

CPPlayer* ReadCar(lua_State* state)
{
    return ReadHandle<CPPlayer>(state, 1);
}

void Send(const char* receiver, const char* command)
{
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByName(receiver, command, "");
}

// Takes the damage off the car's life; false once the car is dead, whose
// death goes to the category "main" the first time only.
bool DamagePlayerCar(CPPlayer& car, float amount)
{
    CPGameData* data = GetGameData();
    const float damage = amount * (data ? data->coeffC : 1.0f);
    if (car.life > kCriticalLife && car.life - damage <= kCriticalLife) Send(kMainReceiver, "say_critical");
    car.life -= damage;
    const bool alive = car.life >= 0.0f;
    if (!alive) car.life = 0.0f;
    Send(kDisplayReceiver, "update_game_interface");
    if (!alive && !car.deathReported) {
        if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByCategory(kMainReceiver, "player_dead", "");
        car.deathReported = true;
    }
    return alive;
}

} // namespace

int Script_DamagePlayer(lua_State* state)
{
    CPPlayer* car = ReadCar(state);
    lua_pushboolean(state, car ? DamagePlayerCar(*car, ReadFloat(state, 2)) : 1);
    return 1;
}

int Script_KillPlayer(lua_State* state)
{
    CPPlayer* car = ReadCar(state);
    if (!car) return 0;
    car->SetVisible(false);
    car->SetShadowFlag(false);
    if (CPPhysicData* physics = car->GetPhysicData()) physics->RemoveFromWorld();
    if (g_pCarWorld) g_pCarWorld->RemoveCar(car);
    return 0;
}

int Script_FindObject(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    const char* name = ReadText(state, 2);
    PushHandle(state, object && name ? object->FindChild(name).Get() : nullptr);
    return 1;
}

int Script_StartAnimation(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    const char* name = ReadText(state, 2);
    if (!object || !name) return 0;
    AnimationRequest request;
    request.name = name;
    request.passLimit = ReadInt(state, 3);
    request.notify = ReadHandle<CommandReceiver>(state, 4);
    object->PlayAnimation(request, false);
    return 0;
}

int Script_IsRigid(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    CPPhysicData* physics = object ? object->GetPhysicData() : nullptr;
    lua_pushboolean(state, physics && physics->GetRigidBody());
    return 1;
}

int Script_SetBrake(lua_State* state)
{
    if (CPPlayer* car = ReadCar(state)) car->SetBrake(ReadBool(state, 2));
    return 0;
}

int Script_Spawn(lua_State* state)
{
    if (CPPlayer* car = ReadCar(state)) car->Respawn(true);
    return 0;
}

int Script_ActivateAbilitiesAI(lua_State* state)
{
    CPPlayer* car = ReadCar(state);
    return car ? PushNumber(state, car->abilityCount) : 0;
}

int Script_SetAbilitiesCountAI(lua_State* state)
{
    if (CPPlayer* car = ReadCar(state)) car->abilityCount = ReadInt(state, 2);
    return 0;
}

int Script_GetPlayerSpeedAI(lua_State* state)
{
    CPPlayer* car = ReadCar(state);
    if (!car) return 0;
    RefPtr<CPCar> vehicle = car->GetCar();
    return PushNumber(state, vehicle ? vehicle->GetSpeed() : 0.0f);
}

int Script_PlayerNitroAI(lua_State* state)
{
    CPPlayer* car = ReadCar(state);
    if (!car) return 0;
    if (lua_gettop(state) >= kThreeArguments) {
        car->SetNitroAI();
    } else {
        car->SetNitro(ReadFloat(state, 2));
    }
    return 0;
}

int Script_GetPlayerDirectionAI(lua_State* state)
{
    CPPlayer* car = ReadCar(state);
    if (!car) return 0;
    D3DXVECTOR3 heading = ForwardAxisOf(*car);
    D3DXVec3Normalize(&heading, &heading);
    lua_pushnumber(state, heading.x);
    lua_pushnumber(state, heading.y);
    lua_pushnumber(state, heading.z);
    return 3;
}
