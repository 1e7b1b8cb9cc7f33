#include "game/PPlayer.h"

#include "Render/PMaterial.h"
#include "Render/PObjectLoader.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "Sound/NSound.h"
#include "core/FrameClock.h"
#include "game/PLevel.h"
#include "game/PLine.h"
#include "game/PlayerEffects.h"
#include "physics/PCar.h"
#include "physics/PPhysicData.h"
#include "physics/PRigidBody.h"
#include "physics/PVectorMath.h"

#include <cmath>
#include <vector>

namespace {

const char* const kPlayerName = "PLAYER";
const char* const kShadowDescription = "shadow.rdf";
const char* const kShadowEffect = "shadow.fx";
const int kShadowMaterialType = 0;
const int kShadowLoadFlags = 0;
const float kFullLife = 100000.0f;
const float kSpeedBonusStart = 2.0f;

const float kPi = 3.14159265f;

// The shadow is drawn only for cars this near the camera.
const float kShadowDistance = 100.0f;

// A respawn fade darkens the screen for 0.1 s, then brightens it over 0.4 s.
const float kFadeDownTime = 0.1f;
const float kFadeUpTime = 0.4f;
const float kFullBrightness = 1.0f;

// A car falls when it drops faster than this and its fall outweighs its
// ground speed by this factor.
const float kFallSpeed = -5.0f;
const float kFallGroundFactor = 1.5f;
// Tilted further than 70 degrees from upright a car has capsized.
const float kMaxTilt = 1.2217305f;
const float kTinyAxis = 0.0001f;
const float kRespawnCooldown = 1.0f;
// The route is searched this far around the car.
const float kRouteSearchRadius = 20.0f;
// A respawned car starts this high above the ground.
const float kRespawnHeight = 2.0f;
// The places tried beside the route piece's centre, and the room kept
// round every other racer.
const float kRespawnSideStep = 3.0f;
const float kRacerMargin = 5.0f;

void SetVolumeOf(CNSound* sound, float volume)
{
    if (sound) sound->SetVolume(volume);
}

bool BoxesOverlap(const D3DXVECTOR3& minA, const D3DXVECTOR3& maxA, const D3DXVECTOR3& minB,
                  const D3DXVECTOR3& maxB)
{
    return minA.x <= maxB.x && minB.x <= maxA.x && minA.y <= maxB.y && minB.y <= maxA.y && minA.z <= maxB.z &&
           minB.z <= maxA.z;
}

float GroundUnder(const D3DXVECTOR3& point)
{
    const CPCarWorld* world = GetCarWorld();
    return world ? world->GetGroundHeight(point) : point.z;
}

void StopBody(CPRigidBody& body)
{
    const D3DXVECTOR3 zero(0.0f, 0.0f, 0.0f);
    body.SetForce(zero, body.GetPosition());
    body.SetTorque(zero);
    body.SetAngularMomentum(zero);
    body.SetVelocity(zero);
}

} // namespace

CPPlayer::CPPlayer()
    : CPGameObject(kPlayerName), respawnCooldown(0.0f), respawnFadeUp(false), respawnFadeDown(false),
      respawnFadeTime(0.0f), flameTime(0.0f), barrelAngle(0.0f), steerInput(0.0f), throttleInput(0.0f),
      weaponSlot(0), weaponEmpty(false), minesEmpty(false), engineTemp(0.0f), flareCycle(0), driftTime(0.0f),
      aimPoint(0.0f, 0.0f, 0.0f), ammunition{1.0f, 1.0f, 1.0f}, weaponDef(), minesArmed(false), hasMines(false),
      triggerHeld(false), weaponType(0), fireCooldown(0.0f), engineItem(), life(kFullLife), maxLife(kFullLife),
      hitTargets(100), shotFactor(1.0f), fireRateFactor(1.0f), deathReported(false), locked(false),
      throttleBlocked(false), speedBonusActive(false), speedBonusTime(kSpeedBonusStart), abilityCount(0),
      defeatTime(0.0f), lossShown(false), wallHits(0), lastWallHit(0.0), wallPush(0.0f, 0.0f, 0.0f),
      lastHaloHit(0.0), blurTime(0.0f), blurActive(false), sideFlags(0), damage(0.0f), smokeTime(0.0f),
      inGloom(false), gloomTime(0.0f), slowActive(false), slowTime(0.0f), timeBonus(0.0f), slamTime(0.0f),
      routeAware(false), routeLine(nullptr), cameraMin(0), cameraMax(0), dead(false), touching(false)
{
}

CPPlayer::~CPPlayer()
{
    shadow = nullptr;
    m_shadows.DeleteAll();
}

void CPPlayer::SetupShadow()
{
    RefPtr<CPCar> car = GetCar();
    if (!g_pObjectLoader || !car) return;
    shadow = g_pObjectLoader->LoadObject(kShadowDescription, kShadowLoadFlags);
    m_shadows.Add(shadow.Get());
    CPMaterialManager* materials = GetMaterialManager();
    if (!shadow || !materials) return;
    RefPtr<CPMaterial> material;
    materials->CreateMaterial(material, kShadowMaterialType, kShadowEffect,
                              std::vector<std::string>{car->GetShadowName()});
    ObjectList parts;
    shadow->CollectTree(parts);
    for (const RefPtr<CPGameObject>& part : parts) {
        if (CPRenderObject* mesh = part->GetRenderObject()) mesh->SetMaterial(material);
    }
}

bool CPPlayer::SetCarSoundVolume(float volume)
{
    RefPtr<CPCar> car = GetCar();
    if (!car || !car->HasSounds()) return false;
    SetVolumeOf(car->GetEngineSound(), volume);
    SetVolumeOf(car->GetSkidSound(), volume);
    SetVolumeOf(car->GetNitroSound(), volume);
    return true;
}

void CPPlayer::SetCarParams(float throttle, float steer)
{
    if (locked) return;
    throttleInput = throttleBlocked ? 0.0f : throttle;
    steerInput = steer;
}

void CPPlayer::SetLocked(bool flag)
{
    locked = flag;
    RefPtr<CPCar> car = GetCar();
    if (!car) return;
    if (flag) car->SetControls(0.0f, steerInput);
    car->SetLocked(flag);
}

void CPPlayer::SetBrake(bool on)
{
    if (locked) return;
    if (slowActive) {
        ShowRearFlares(*this, on);
    } else {
        SetCarBrake(*this, on);
    }
}

void CPPlayer::SetNitro(float amount)
{
    RefPtr<CPCar> car = GetCar();
    if (!car) return;
    const float nitro = locked || car->GetNitroStock() == 0.0f ? 0.0f : amount;
    car->SetNitro(nitro);
    if (nitro == 0.0f && car->HasSounds() && car->GetNitroSound()) car->GetNitroSound()->Stop();
}

void CPPlayer::SetNitroAI()
{
    throttleBlocked = true;
    if (!locked) throttleInput = 0.0f;
}

D3DXVECTOR4 CPPlayer::GetCarVelocity()
{
    RefPtr<CPCar> car = GetCar();
    return car ? car->GetVelocity() : D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
}

void CPPlayer::ApplyImpulse(const D3DXVECTOR3& point, const D3DXVECTOR3& impulse)
{
    if (CPRigidBody* body = RigidBody()) body->ApplyImpulse(impulse, point);
}

CPRigidBody* CPPlayer::RigidBody() const
{
    CPPhysicData* data = GetPhysicData();
    return data ? data->GetRigidBody() : nullptr;
}

void CPPlayer::Draw(CPRenderQueue& queue, const CPPerspectiveCamera& camera)
{
    UpdateTransform();
    const AxisAlignedBox& box = GetBounds();
    if (camera.IsBoxVisible(box.minimum, box.maximum)) {
        queue.AddObject(RefPtr<CPGameObject>(this));
        if (shadow && Length(*GetPositionRef() - camera.GetEye()) <= kShadowDistance) {
            shadow->SetBaseTransform(GetWorldMatrix());
            queue.AddObject(shadow);
        }
    }
    if (IsCameraCar()) RunRespawnFade(FrameDeltaTime);
}

bool CPPlayer::IsCameraCar() const
{
    return CurrentLevel && CurrentLevel->cameraCar == this;
}

void CPPlayer::RunRespawnFade(float dt)
{
    float fade;
    if (respawnFadeDown) {
        respawnFadeTime += dt;
        fade = (kFadeDownTime - respawnFadeTime) / kFadeDownTime;
        if (respawnFadeTime >= kFadeDownTime) {
            respawnFadeDown = false;
            respawnFadeUp = true;
            respawnFadeTime = 0.0f;
            fade = 0.0f;
        }
    } else if (respawnFadeUp) {
        respawnFadeTime += dt;
        fade = respawnFadeTime / kFadeUpTime;
        if (respawnFadeTime >= kFadeUpTime) {
            respawnFadeUp = false;
            fade = kFullBrightness;
        }
    } else {
        return;
    }
    if (CPRender* render = GetRender()) render->SetFade(fade);
}

bool CPPlayer::Respawn(bool force)
{
    CPRigidBody* body = RigidBody();
    if (!body || !GetCar() || locked || respawnCooldown > 0.0f) return false;
    if (!force && !IsStranded()) return false;
    respawnCooldown = kRespawnCooldown;
    if (IsCameraCar()) {
        respawnFadeDown = true;
        respawnFadeUp = false;
        respawnFadeTime = 0.0f;
    }
    PlaceOnRoute(*body);
    return true;
}

bool CPPlayer::IsStranded()
{
    const D3DXVECTOR4 v = GetCarVelocity();
    const bool falling = (v.x * v.x + v.y * v.y) * kFallGroundFactor < v.z * v.z && v.z < kFallSpeed;
    const bool onRoad = GetPhysicData()->GetCandidateCount() != 0;
    return falling || !onRoad || Tilt() > kMaxTilt;
}

float CPPlayer::Tilt()
{
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, GetRotationRef());
    const D3DXVECTOR3 straightDown(0.0f, 0.0f, -1.0f);
    D3DXVECTOR3 down;
    D3DXVec3TransformNormal(&down, &straightDown, &rotation);
    if (Length(down) < kTinyAxis) return 0.0f;
    return std::acos(std::max(-1.0f, std::min(1.0f, -down.z)));
}

void CPPlayer::PlaceOnRoute(CPRigidBody& body)
{
    D3DXVECTOR3 place = *GetPositionRef();
    CPSpline* route = CurrentLevel ? CurrentLevel->routeSpline.Get() : nullptr;
    float radius = kRouteSearchRadius;
    float heading = route ? route->FindNearestLine(place, radius, 0, routeLine) : 0.0f;
    const bool onRoute = route && routeLine;
    if (onRoute) {
        if (CurrentLevel->reversed) heading += kPi;
        StandUpright(heading + kPi / 2.0f);
        if (IsCameraCar() && CurrentLevel->camera) CurrentLevel->camera->SetHeading(heading);
        place = ClearPlaceBeside(*routeLine, heading);
        place.z = GroundUnder(place);
    } else {
        StandUpright(Yaw());
    }
    StopBody(body);
    SetPosition(place.x, place.y, place.z + kRespawnHeight);
}

void CPPlayer::StandUpright(float yaw)
{
    D3DXQUATERNION upright;
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXQuaternionRotationAxis(&upright, &up, yaw);
    SetRotation(upright.x, upright.y, upright.z, upright.w);
    UpdateTransform();
}

float CPPlayer::Yaw()
{
    const D3DXVECTOR3 nose = ForwardAxisOf(*this);
    if (std::fabs(nose.x) < kTinyAxis && std::fabs(nose.y) < kTinyAxis) return 0.0f;
    // The nose points along local -y: a turn of yaw about z sends it to (sin yaw, -cos yaw).
    return std::atan2(nose.x, -nose.y);
}

D3DXVECTOR3 CPPlayer::ClearPlaceBeside(const CPLine& piece, float heading)
{
    const D3DXVECTOR3 side(std::sin(heading), -std::cos(heading), 0.0f);
    const float offsets[] = {0.0f, kRespawnSideStep, -kRespawnSideStep};
    for (float offset : offsets) {
        const D3DXVECTOR3 place = piece.centre + side * offset;
        if (IsClearOfRacers(place)) return place;
    }
    return piece.centre;
}

bool CPPlayer::IsClearOfRacers(const D3DXVECTOR3& place)
{
    const D3DXVECTOR3 shift(place.x - GetPositionRef()->x, place.y - GetPositionRef()->y,
                            GroundUnder(place) + kRespawnHeight - GetPositionRef()->z);
    const AxisAlignedBox& own = GetPartBounds();
    const D3DXVECTOR3 margin(kRacerMargin, kRacerMargin, kRacerMargin);
    std::vector<CPGameObject*> racers;
    if (CurrentLevel->player) racers.push_back(CurrentLevel->player.Get());
    for (const RefPtr<CPGameObject>& racer : CurrentLevel->opponents) racers.push_back(racer.Get());
    for (CPGameObject* racer : racers) {
        if (!racer || racer == this) continue;
        const AxisAlignedBox& other = racer->GetBounds();
        if (BoxesOverlap(own.minimum + shift, own.maximum + shift, other.minimum - margin, other.maximum + margin)) {
            return false;
        }
    }
    return true;
}
