#include "game/PEnemy.h"

#include "Sound/PSoundManager.h"
#include "core/AnimationRequest.h"
#include "core/PCommandManager.h"
#include "core/RayQuery.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "physics/PPhysicData.h"
#include "physics/PRigidBody.h"
#include "physics/PVectorMath.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const float kRandomMax = 32767.0f;
const float kFullTurn = 2.0f * D3DX_PI;
const float kShotValue = -1.0f;
const D3DXVECTOR3 kUp(0.0f, 0.0f, 1.0f);

// The melee ray starts this high above the enemy; shots aim this high above
// the player car's position.
const float kStrikeHeight = 1.5f;
const float kTargetHeight = 0.3f;

const int kRocketCycle = 3;
const float kTracerSpread = 0.1f;
const float kShotgunSpread = 0.4f;
const int kShotgunPellets = 8;
const int kFewestGibs = 5;
const int kGibSpread = 5;

const char* const kMeleeFormat = "melee%d";
const char* const kFirstMelee = "melee1";
const char* const kSecondMelee = "melee2";
const char* const kFireIn = "fire_in";
const char* const kFire = "fire";
const char* const kFireOut = "fire_out";
const char* const kFirstDeath = "death1";
const char* const kSecondDeath = "death2";
const char* const kFirstHit = "hit1";
const char* const kSecondHit = "hit2";
const char* const kBlood = "blood1";
const char* const kOil = "oil1";
const char* const kExplosionWeapon = "explosion";
const char* const kSelfExplosion = "rocket_exp2";
const char* const kHeavyTracer = "trasser22";
const char* const kLightTracer = "trasser21";
const char* const kPellet = "trasser23";
const char* const kPlasma = "plazma_shot2";
const char* const kRocket = "srocket2";
const char* const kEvenGib = "gib2";
const char* const kOddGib = "gib1";
const char* const kDeathReceivers = "level";
const char* const kMoneyReceiver = "gamemenu";

float RandomAngle(float limit)
{
    return static_cast<float>(std::rand()) / kRandomMax * limit;
}

bool IsEven(int value)
{
    return value % 2 == 0;
}

D3DXVECTOR3 WorldPositionOf(const CPGameObject& object)
{
    const D3DXMATRIX& world = object.GetWorldMatrix();
    return D3DXVECTOR3(world._41, world._42, world._43);
}

// The horizontal part of the vector, of unit length; false when it has none.
bool Horizontal(const D3DXVECTOR3& v, D3DXVECTOR3& unit)
{
    unit = Normalised(D3DXVECTOR3(v.x, v.y, 0.0f));
    return LengthSquared(unit) > 0.0f;
}

// The direction turned away from itself by a random angle up to the limit,
// about an axis at a random angle around it.
D3DXVECTOR3 Scatter(const D3DXVECTOR3& direction, float limit)
{
    const float tilt = RandomAngle(limit);
    const float around = RandomAngle(kFullTurn);
    const D3DXVECTOR3 side = Perpendicular(direction);
    const D3DXVECTOR3 axis = side * std::cos(around) + Cross(direction, side) * std::sin(around);
    return direction * std::cos(tilt) + Cross(axis, direction) * std::sin(tilt);
}

bool IsWithin(CPGameObject* object, const CPGameObject& root)
{
    for (CPGameObject* at = object; at; at = at->GetParent().Get()) {
        if (at == &root) return true;
    }
    return false;
}

void Spawn(const char* kind, const D3DXVECTOR3& position, const D3DXVECTOR3& direction)
{
    if (CPShotSpawner* spawner = GetShotSpawner()) spawner->Spawn(kind, position, direction, kShotValue, nullptr, 0);
}

void PlayFromStart(const char* name)
{
    if (CPSoundManager* sounds = GetSoundManager()) sounds->PlayFromStart(name);
}

std::string PositionText(const D3DXVECTOR3& position)
{
    char text[96];
    std::snprintf(text, sizeof(text), "%.2f,%.2f,%.2f", position.x, position.y, position.z);
    return text;
}

} // namespace

CPEnemy::CPEnemy(CPGameObject* gameObject) : body(gameObject), object(gameObject)
{
    gameObject->SetEnemy(this);
}

CPEnemy::~CPEnemy()
{
    object->SetEnemy(nullptr);
}

void CPEnemy::SetAnimation(const std::string& name, bool loop, bool force, int32_t loops)
{
    if (name == animation.name && !force) return;
    animation = EnemyAnimation();
    animation.name = name;
    if (loop) {
        animation.loop = true;
        animation.loops = loops;
    }

    AnimationRequest request;
    request.name = name;
    request.speed = animation.speed;
    request.passLimit = loop ? loops : 1;
    request.notify = object->GetScriptHandler();
    auto reported = reportFrames.find(name);
    if (reported != reportFrames.end()) request.reportFrame = reported->second;
    object->PlayAnimation(request, force);
}

void CPEnemy::OnAnimationEnd()
{
    const std::string ended = animation.name;
    if (ended == kFirstMelee || ended == kSecondMelee) {
        ChooseNextMelee();
    } else if (ended == kFire) {
        if (firing == 1) SetAnimation(kFire, true, true, fireLoops);
    } else if (ended == kFireIn) {
        SetAnimation(kFire, true, true, fireLoops);
        firing = 1;
    } else if (ended == kFireOut) {
        SetState(kStateIdle);
        firing = 0;
    } else if (ended == kFirstDeath || ended == kSecondDeath) {
        object->SetCollision(false);
        rocketCount = 0;
    }
}

void CPEnemy::ChooseNextMelee()
{
    const int count = meleeCount < kMeleeRecords ? meleeCount : kMeleeRecords;
    if (count < 1) return;
    const int number = std::rand() % count + 1;
    char name[16];
    std::snprintf(name, sizeof(name), kMeleeFormat, number);
    nextMelee = name;
    SetAnimation(nextMelee, true, true, melee[number - 1].loops);
}

void CPEnemy::OnAnimationEvent()
{
    CPLevel* level = GetLevel();
    if (!level || !level->player || !IsAnimated()) return;
    CPGameObject& player = *level->player;
    if (animation.name == kFirstMelee) {
        Strike(1, player);
    } else if (animation.name == kSecondMelee) {
        Strike(2, player);
    } else if (animation.name == kFire) {
        Fire(player);
    }
}

bool CPEnemy::IsAnimated() const
{
    return object->GetKind() == CPGameObject::kKindAnimated && object->GetComponent();
}

D3DXVECTOR3 CPEnemy::Bearing::Turn(const D3DXVECTOR3& v) const
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return D3DXVECTOR3(v.x * c - v.y * s, v.x * s + v.y * c, v.z);
}

// The angle runs from the forward axis to the heading, both on the ground;
// a heading or axis that is upright turns nothing. Without a body of its
// own the enemy moves with its object.
CPEnemy::Bearing CPEnemy::TakeBearing() const
{
    const CPGameObject& mover = body ? *body : *object;
    Bearing bearing;
    bearing.position = WorldPositionOf(mover);
    bearing.angle = 0.0f;
    D3DXVECTOR3 heading;
    D3DXVec3TransformNormal(&heading, &forwardAxis, &mover.GetWorldMatrix());
    D3DXVECTOR3 forward;
    const bool turns = Horizontal(forwardAxis, forward) && Horizontal(heading, bearing.heading);
    if (!turns) {
        bearing.heading = forward;
        return bearing;
    }
    bearing.angle = std::atan2(Cross(forward, bearing.heading).z, Dot(forward, bearing.heading));
    return bearing;
}

void CPEnemy::Strike(int number, CPGameObject& player)
{
    const MeleeRecord& record = melee[number - 1];
    const Bearing bearing = TakeBearing();
    const D3DXVECTOR3 strikePoint = bearing.position + bearing.Turn(record.reach);
    if (weaponName == kExplosionWeapon) {
        Spawn(kSelfExplosion, strikePoint, kUp);
        SetState(kStateDead);
        ReportDeath();
        return;
    }
    if (!Touches(bearing, Length(record.reach), player)) return;

    PlayFromStart(number == 1 ? kFirstHit : kSecondHit);
    const D3DXVECTOR3 push = bearing.Turn(record.pushDirection);
    CPPhysicData* physics = player.GetPhysicData();
    if (physics && physics->GetRigidBody()) {
        physics->GetRigidBody()->ApplyImpulse(push * record.pushForce, *player.GetPositionRef());
    }
    player.Damage(&strikePoint, &push, record.damage, nullptr, false);
}

// The first thing a level ray meets along the heading, within the reach, is
// the player car or one of its parts.
bool CPEnemy::Touches(const Bearing& bearing, float reach, CPGameObject& player) const
{
    CPLevel* level = GetLevel();
    if (reach <= 0.0f || LengthSquared(bearing.heading) == 0.0f) return false;
    RayQuery query;
    query.excluded = object;
    query.origin = bearing.position + kUp * kStrikeHeight;
    query.direction = bearing.heading;
    query.distance = reach;
    return level->CrossRay(query) && IsWithin(query.hitObject.Get(), player);
}

void CPEnemy::Fire(CPGameObject& player)
{
    const Bearing bearing = TakeBearing();
    const D3DXVECTOR3 muzzle = bearing.position + bearing.Turn(muzzleOffset);
    const D3DXVECTOR3 target = *player.GetPositionRef() + kUp * kTargetHeight;
    D3DXVECTOR3 aim = Normalised(target - muzzle);
    if (LengthSquared(aim) == 0.0f) aim = bearing.heading;

    if (weaponName == "hmgun") {
        Spawn(kHeavyTracer, muzzle, Scatter(aim, kTracerSpread));
    } else if (weaponName == "rocket") {
        ++rocketCount;
        const char* kind = kPlasma;
        if (rocketCount >= kRocketCycle) {
            if (IsEven(std::rand())) kind = kRocket;
            rocketCount = 0;
        }
        Spawn(kind, muzzle, aim);
    } else if (weaponName == "plasma") {
        Spawn(kPlasma, muzzle, aim);
    } else if (weaponName == "mgun" || weaponName == "lgun") {
        Spawn(kLightTracer, muzzle, aim);
    } else if (weaponName == "shotgun") {
        for (int pellet = 0; pellet < kShotgunPellets; ++pellet) Spawn(kPellet, muzzle, Scatter(aim, kShotgunSpread));
    }
}

void CPEnemy::OnDamage(const D3DXVECTOR3* point, const D3DXVECTOR3* direction, float amount, IPObject* source,
                       bool quiet)
{
    if (dead) return;
    if (CPPhysicData* physics = object->GetPhysicData()) physics->SetApplyStoredMotion(false);
    wasHit = true;

    const bool restricted = quiet;
    if (!restricted || bloodKind == kOil) {
        health -= amount;
        const bool noEffect = source != nullptr;
        if (!noEffect) {
            const D3DXVECTOR3 at = point ? *point : *object->GetPositionRef();
            const D3DXVECTOR3 away = direction ? -*direction * amount : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
            Spawn(bloodKind.c_str(), at, away);
        }
    }
    if (health > 0.0f) return;

    if (!deathHandled) {
        PayReward();
        if (leavesGibs && bloodKind == kBlood) {
            object->SetVisible(false);
            SpawnGibs();
        }
        ReportDeath();
    }
    deathHandled = true;
    SetState(kStateDead);
}

void CPEnemy::PayReward()
{
    CPGameData* data = GetGameData();
    if (!data) return;
    data->money += static_cast<float>(reward);
    data->kills += 1;
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f", data->money);
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByName(kMoneyReceiver, "change_money", text);
}

void CPEnemy::SpawnGibs()
{
    const D3DXVECTOR3 from = *object->GetPositionRef() + kUp * gibHeight;
    const int count = std::rand() % kGibSpread + kFewestGibs;
    for (int gib = 0; gib < count; ++gib) {
        const char* kind = IsEven(std::rand()) ? kEvenGib : kOddGib;
        const float yaw = RandomAngle(kFullTurn);
        const float pitch = RandomAngle(kFullTurn);
        const float roll = RandomAngle(kFullTurn);
        D3DXMATRIX turn;
        D3DXMatrixRotationYawPitchRoll(&turn, yaw, pitch, roll);
        D3DXVECTOR3 direction;
        D3DXVec3TransformNormal(&direction, &kUp, &turn);
        Spawn(kind, from, direction);
    }
}

void CPEnemy::ReportDeath()
{
    if (!deathReportSuppressed && !deathReported) {
        if (CPCommandManager* bus = GetCommandManager()) {
            bus->SendCommandByCategory(kDeathReceivers, "enemy_death", PositionText(*object->GetPositionRef()));
        }
    }
    deathReported = true;
}

void CPEnemy::SetState(int32_t key)
{
    state = stateTable[key];
    stateTime = 0.0f;
}
