#include "game/PlayerEffects.h"

#include "core/PCommandManager.h"
#include "game/PPlayer.h"
#include "physics/PCar.h"
#include "physics/PVectorMath.h"

#include <cstdlib>

namespace {

const char* const kLeftRearFlare = "lflarerear";
const char* const kRightRearFlare = "rflarerear";
// rand() answers at most this.
const float kRandomTop = 32767.0f;

} // namespace

void SendToReceiver(const char* receiver, const char* command, const std::string& params)
{
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByName(receiver, command, params);
}

void ShowChild(CPGameObject& object, const char* name, bool visible)
{
    if (RefPtr<CPGameObject> child = object.GetChildByName(name)) child->SetVisible(visible);
}

bool IsChildVisible(CPGameObject& object, const char* name)
{
    RefPtr<CPGameObject> child = object.GetChildByName(name);
    return child && child->IsVisible();
}

void ShowRearFlares(CPGameObject& car, bool visible)
{
    ShowChild(car, kLeftRearFlare, visible);
    ShowChild(car, kRightRearFlare, visible);
}

bool AreRearFlaresShown(CPGameObject& car)
{
    return IsChildVisible(car, kLeftRearFlare);
}

void SetCarBrake(CPPlayer& player, bool on)
{
    if (RefPtr<CPCar> car = player.GetCar()) car->SetBrake(on);
}

float CarSpeedOf(CPPlayer& player)
{
    const D3DXVECTOR4 velocity = player.GetCarVelocity();
    return Length(D3DXVECTOR3(velocity.x, velocity.y, velocity.z));
}

D3DXVECTOR3 WorldPositionOf(const CPGameObject& object)
{
    const D3DXMATRIX& world = object.GetWorldMatrix();
    return D3DXVECTOR3(world._41, world._42, world._43);
}

float RandomUnit()
{
    return static_cast<float>(std::rand()) / kRandomTop;
}
