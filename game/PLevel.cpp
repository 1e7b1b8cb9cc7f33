#include "game/PLevel.h"

#include "Render/PRender.h"
#include "physics/PCar.h"

CPLevel* CurrentLevel = nullptr;

CPLevel* GetLevel()
{
    return CurrentLevel;
}

CPLevel::CPLevel()
    : m_playerDirection(0.0f, 0.0f, 0.0f), m_headingForced(false), m_forcedHeading(0.0f),
      m_extraYaw(0.0f)
{
    light = D3DLIGHT9();
    CurrentLevel = this;
    SetSunLightTarget(this);
}

// Destroying a level that has already been replaced as current must not
// take the newer level out of reach.
CPLevel::~CPLevel()
{
    if (CurrentLevel == this) CurrentLevel = nullptr;
    if (GetSunLightTarget() == this) SetSunLightTarget(nullptr);
}

const char* CPLevel::GetTypeName()
{
    return "CPLevel";
}

CPCar* CPLevel::GetCarPtr() const
{
    if (!m_player) return nullptr;
    return m_player->GetCar().Get();
}

void CPLevel::SetForcedHeading(bool forced, float heading)
{
    m_headingForced = forced;
    m_forcedHeading = heading;
}

void CPLevel::GetFollowInputs(FollowInputs& inputs)
{
    inputs.playerDirection = m_playerDirection;
    inputs.headingForced = m_headingForced;
    inputs.forcedHeading = m_forcedHeading;
    inputs.extraYaw = m_extraYaw;
    const CPCar* car = GetCarPtr();
    inputs.carSteering = car ? car->GetSteering() : 0.0f;
    inputs.carMotion = car ? car->GetMotion() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    inputs.carVelocity = car ? car->GetVelocity() : D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
}

void CPLevel::SubmitLight()
{
    if (CPRender* render = GetRender()) render->AddLight(light);
}

void CPLevel::SubmitSunLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& colour)
{
    light.Direction = direction;
    light.Diffuse = colour;
    light.Specular = colour;
    SubmitLight();
}
