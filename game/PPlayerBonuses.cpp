#include "game/PPlayer.h"

#include "Render/PParticleManager.h"
#include "Render/PRender.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "game/PlayerEffects.h"
#include "physics/PCar.h"
#include "physics/PPhysicData.h"

#include <algorithm>
#include <cmath>

namespace {

// Hit test: the car touches a bonus when the boxes' centres are, on every
// axis, within the sum of the half extents divided by the bonus's divisor.
const float kDefaultDivisor = 3.3f;
const float kBeeHiveDivisor = 0.8f;
const float kFakeDivisor = 1.0f;
const float kLightDivisor = 2.0f;
const float kHaloDivisor = 1.0f;
const float kHaloSideFactor = 1.0f / 3.0f;
const float kWallHalfExtent = 3.5f;

const float kRepairAmount = 20.0f;
const float kSpeedBonusStart = 2.0f;
const float kTimeBonus = 4.0f;
const float kSoundMinDistance = 0.0f;
const float kSoundMaxDistance = 200.0f;
const float kNoOwnerValue = -1.0f;

const double kWallSeriesGap = 1.0;
const int kWallHitsPerSeries = 10;
const float kWallPushPerSpeedMass = 2.4f * 0.1f;
const float kWallPushLimit = 300.0f;

const float kThrowLift = 1.5f;
const float kThrowSpinAlong = 34.0f;
const float kThrowSpinUp = 20.0f;
const float kThrowSpinFactor = 1.5f;

const double kHaloGap = 0.2;
const float kHaloPushPerUnit = 100.0f;
const float kHaloPushLimit = 400.0f;
const char* const kHaloParticles = "wall";
const float kHaloParticleSize = 30.0f;
const float kHaloParticleSecond = 4.0f;
const float kHaloParticleThirdBase = 0.4f;
const float kHaloParticleThirdSpread = 1.8f;
const float kHaloParticleRise = 0.5f;

const float kGloomBlur = 0.3f;
const uint8_t kGloomBlurBlend = 150;

const char* const kInterface = "game_interface";
const char* const kMain = "main";

enum class BonusKind { Repair, Speed, Slow, AbilityMinus, AbilityPlus, Wall, Gloom, Thrower, Light, Halo, None };

struct TestBox {
    D3DXVECTOR3 centre;
    D3DXVECTOR3 half;
};

TestBox TestBoxOf(const AxisAlignedBox& box)
{
    return {box.centre, box.halfExtents};
}

// The bonus's box and divisor; false for a bonus that has nothing to test
// against (an "empty" without its "v_bii").
bool BonusTestBox(CPGameObject& bonus, TestBox& box, float& divisor)
{
    const std::string& name = bonus.GetName();
    box = TestBoxOf(bonus.GetBounds());
    divisor = kDefaultDivisor;
    if (name == "empty") {
        RefPtr<CPGameObject> hive = bonus.FindChild("v_bii");
        if (!hive) return false;
        box = TestBoxOf(hive->GetBounds());
        divisor = kBeeHiveDivisor;
    }
    if (bonus.FindChild("sphera")) box.half = D3DXVECTOR3(kWallHalfExtent, kWallHalfExtent, box.half.z);
    if (name == "fake") divisor = kFakeDivisor;
    if (name == "light") divisor = kLightDivisor;
    if (name == "halo") {
        divisor = kHaloDivisor;
        box.half.x *= kHaloSideFactor;
        box.half.y *= kHaloSideFactor;
    }
    return true;
}

bool WithinOnAxis(float carCentre, float bonusCentre, float carHalf, float bonusHalf, float divisor)
{
    return std::fabs(carCentre - bonusCentre) <= (carHalf + bonusHalf) / divisor;
}

bool Touches(const TestBox& car, CPGameObject& bonus)
{
    TestBox box;
    float divisor = kDefaultDivisor;
    if (!BonusTestBox(bonus, box, divisor)) return false;
    return WithinOnAxis(car.centre.x, box.centre.x, car.half.x, box.half.x, divisor) &&
           WithinOnAxis(car.centre.y, box.centre.y, car.half.y, box.half.y, divisor) &&
           WithinOnAxis(car.centre.z, box.centre.z, car.half.z, box.half.z, divisor);
}

BonusKind KindOf(CPGameObject& bonus)
{
    const std::string& name = bonus.GetName();
    if (name == "bonus_remont") return BonusKind::Repair;
    if (bonus.FindChild("glow3")) return BonusKind::Speed;
    if (bonus.FindChild("glow2")) return BonusKind::Slow;
    if (bonus.FindChild("glow6")) return BonusKind::AbilityMinus;
    if (bonus.FindChild("glow4")) return BonusKind::AbilityPlus;
    if (bonus.FindChild("sphera")) return BonusKind::Wall;
    if (bonus.FindChild("portal_a")) return BonusKind::Gloom;
    if (bonus.FindChild("v_bii")) return BonusKind::Thrower;
    if (name == "light") return BonusKind::Light;
    if (name == "halo") return BonusKind::Halo;
    return BonusKind::None;
}

// What a pick-up shows, plays, tells the human player and the word it
// leaves the list with.
struct PickupLook {
    BonusKind kind;
    const char* explosion;
    const char* sound;
    const char* message;
    const char* listWord;
};

const PickupLook kPickups[] = {
    {BonusKind::Repair, "sparks4_remont", "chik", "remont!", "repair"},
    {BonusKind::Speed, "sparks4", "bonus_fast", "uskorenie!", "axel"},
    {BonusKind::Slow, "sparks4red", "bonus_slow", "zamedlenie!", "brake"},
    {BonusKind::AbilityMinus, "sparks4red", "bonus_minus", "sposobnost-1!", "minus"},
    {BonusKind::AbilityPlus, "sparks4", "bonus_plus", "sposobnost+1!", "plus"},
    {BonusKind::Gloom, "sparks4_gloom", "enter_sumrak", "uron_x2!", "gloom"},
};

const PickupLook* PickupOf(BonusKind kind)
{
    for (const PickupLook& pickup : kPickups) {
        if (pickup.kind == kind) return &pickup;
    }
    return nullptr;
}

// Obstacles act on the sides in their mask; pick-ups on every car but
// traffic.
uint32_t ObstacleSides(BonusKind kind)
{
    switch (kind) {
    case BonusKind::Wall:
    case BonusKind::Light:
        return CPPlayer::kDarkSide | CPPlayer::kTraffic;
    case BonusKind::Thrower:
    case BonusKind::Halo:
        return CPPlayer::kLightSide | CPPlayer::kTraffic;
    default:
        return 0;
    }
}

void Show(const char* explosion, const D3DXVECTOR3& at)
{
    if (CPShotSpawner* spawner = GetShotSpawner())
        spawner->Spawn(explosion, at, D3DXVECTOR3(0.0f, 0.0f, 1.0f), kNoOwnerValue, nullptr, 0);
}

void PlayAt(const char* name, const D3DXVECTOR3& at)
{
    CPSoundManager* sounds = GetSoundManager();
    if (!sounds) return;
    RefPtr<CNSound> sound;
    sounds->GetSound(sound, name);
    if (!sound) return;
    CPSoundManager::SetSoundPosition(sound, at, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    CPSoundManager::SetSoundDistances(sound, kSoundMinDistance, kSoundMaxDistance);
    if (sound->IsPlaying()) {
        sound->Stop();
        sound->Rewind();
    }
    sound->Play(0, 0);
}

float MassOf(const CPPlayer& player)
{
    CPRigidBody* body = player.RigidBody();
    return body ? body->GetMass() : 0.0f;
}

void Repair(CPPlayer& player)
{
    player.damage = std::max(player.damage - kRepairAmount, 0.0f);
}

void StartSpeedBonus(CPPlayer& player)
{
    player.throttleBlocked = true;
    player.SetCarParams(0.0f, player.steerInput);
    player.speedBonusActive = true;
    player.speedBonusTime = kSpeedBonusStart;
}

// The brake lights come on with the slow-down; a car whose rear flares
// were hidden keeps them hidden.
void StartSlowDown(CPPlayer& player)
{
    const bool flaresShown = AreRearFlaresShown(player);
    SetCarBrake(player, true);
    if (!flaresShown) ShowRearFlares(player, false);
    player.slowActive = true;
    player.slowTime = 0.0f;
}

void ChangeAbilities(CPPlayer& player, int change)
{
    player.abilityCount += change;
    SendToReceiver(kInterface, "redraw_abilities", "");
}

void TakeAbility(CPPlayer& player)
{
    if (player.abilityCount > 0) ChangeAbilities(player, -1);
}

void GiveAbility(CPPlayer& player)
{
    CPGameData* data = GetGameData();
    if (data && player.abilityCount < data->abilityLimit) ChangeAbilities(player, +1);
}

// The camera car sees the gloom through motion blur, and the other cars
// drive themselves while it lasts; another computer car in the gloom
// vanishes from sight.
void EnterGloom(CPPlayer& player)
{
    player.inGloom = true;
    player.gloomTime = 0.0f;
    CPLevel* level = GetLevel();
    if (level && level->cameraCar == &player) {
        if (CPRender* render = GetRender()) {
            render->SetMotionBlur(kGloomBlur);
            render->SetBlurBlend(kGloomBlurBlend);
        }
        player.blurActive = true;
        player.blurTime = 0.0f;
        level->DriveAllCars();
    } else if (!(player.sideFlags & CPPlayer::kHumanPlayer)) {
        player.SetVisible(false);
    }
}

void ApplyPickupEffect(CPPlayer& player, BonusKind kind)
{
    switch (kind) {
    case BonusKind::Repair: Repair(player); break;
    case BonusKind::Speed: StartSpeedBonus(player); break;
    case BonusKind::Slow: StartSlowDown(player); break;
    case BonusKind::AbilityMinus: TakeAbility(player); break;
    case BonusKind::AbilityPlus: GiveAbility(player); break;
    case BonusKind::Gloom: EnterGloom(player); break;
    default: break;
    }
}

// A wall pushes the car back along the direction of its first bounce, at
// most ten times in a series; a second without a bounce ends the series.
void PushFromWall(CPPlayer& player, CPGameObject& wall)
{
    if (FullTime - player.lastWallHit >= kWallSeriesGap) player.wallHits = 0;
    if (player.wallHits >= kWallHitsPerSeries) return;
    const float strength = std::min(CarSpeedOf(player) * kWallPushPerSpeedMass * MassOf(player), kWallPushLimit);
    const D3DXVECTOR3& at = *player.GetPositionRef();
    if (player.wallHits == 0) {
        const D3DXVECTOR3 wallAt = WorldPositionOf(wall);
        player.wallPush = D3DXVECTOR3(at.x - wallAt.x, at.y - wallAt.y, at.z);
    }
    player.ApplyImpulse(*player.GetPositionRef(), player.wallPush * strength);
    player.timeBonus = kTimeBonus;
    ++player.wallHits;
    player.lastWallHit = FullTime;
}

// Lifts the car and sets it spinning about its side axis.
void Throw(CPPlayer& player)
{
    const float mass = MassOf(player);
    player.ApplyImpulse(*player.GetPositionRef(), D3DXVECTOR3(0.0f, 0.0f, kThrowLift * mass));
    if (CPRigidBody* body = player.RigidBody()) {
        D3DXMATRIX turn;
        D3DXMatrixRotationQuaternion(&turn, player.GetRotationRef());
        const D3DXVECTOR3 forward(0.0f, -1.0f, 0.0f);
        D3DXVECTOR3 back;
        D3DXVec3TransformNormal(&back, &forward, &turn);
        D3DXVECTOR3 side(-back.y, back.x, 0.0f);
        if (D3DXVec3LengthSq(&side) >= 1e-6f) D3DXVec3Normalize(&side, &side);
        const D3DXVECTOR3 spin = (side * kThrowSpinAlong + D3DXVECTOR3(0.0f, 0.0f, kThrowSpinUp)) * mass;
        body->SetAngularMomentum(spin * kThrowSpinFactor);
    }
    player.timeBonus = kTimeBonus;
}

// A blast of sparks at the car, which is thrown away from the halo.
void Blast(CPPlayer& player, CPGameObject& halo)
{
    if (FullTime - player.lastHaloHit < kHaloGap) return;
    const D3DXVECTOR3 at = *player.GetPositionRef();
    if (CPParticleManager* particles = g_pParticleManager) {
        ParticleSpawnRecord record;
        record.name = kHaloParticles;
        record.position = at;
        record.velocity = D3DXVECTOR3(0.0f, 0.0f, kHaloParticleRise);
        record.size = kHaloParticleSize;
        record.secondScalar = kHaloParticleSecond;
        record.thirdScalar = kHaloParticleThirdBase + kHaloParticleThirdSpread * RandomUnit();
        particles->SpawnParticle(std::move(record));
    }
    D3DXVECTOR3 push = (at - WorldPositionOf(halo)) * kHaloPushPerUnit;
    if (D3DXVec3LengthSq(&push) > kHaloPushLimit * kHaloPushLimit) {
        D3DXVec3Normalize(&push, &push);
        push *= kHaloPushLimit;
    }
    player.ApplyImpulse(*player.GetPositionRef(), push);
    player.timeBonus = kTimeBonus;
    player.lastHaloHit = FullTime;
}

// A stunned car still standing in the light keeps its release time:
// restarting it at every step of contact would hold the car for good.
void Stun(CPPlayer& player)
{
    if (player.locked && player.speedBonusActive) return;
    player.SetLocked(true);
    player.speedBonusActive = true;
    player.speedBonusTime = 0.0f;
}

void ApplyObstacle(CPPlayer& player, BonusKind kind, CPGameObject& bonus)
{
    switch (kind) {
    case BonusKind::Wall: PushFromWall(player, bonus); break;
    case BonusKind::Thrower: Throw(player); break;
    case BonusKind::Light: Stun(player); break;
    case BonusKind::Halo: Blast(player, bonus); break;
    default: break;
    }
}

// Shows, sounds and applies the pick-up and tells the human player;
// false when the car may not take it.
bool TakePickup(CPPlayer& player, const PickupLook& pickup, CPGameObject& bonus)
{
    if (player.sideFlags & CPPlayer::kTraffic) return false;
    const D3DXVECTOR3 at = WorldPositionOf(bonus);
    Show(pickup.explosion, at);
    PlayAt(pickup.sound, at);
    ApplyPickupEffect(player, pickup.kind);
    if (player.sideFlags & CPPlayer::kHumanPlayer) SendToReceiver(kInterface, "show_message", pickup.message);
    SendToReceiver(kMain, "update_bonus_list", pickup.listWord);
    return true;
}

} // namespace

void CPPlayer::CheckBonuses()
{
    CPLevel* level = GetLevel();
    CPGameData* data = GetGameData();
    if (!level || !level->raceTimerOn || !data) return;
    const TestBox carBox = TestBoxOf(carModel == "uaz" ? GetPartBounds() : GetBounds());
    std::list<BonusEntry>& bonuses = data->bonusList;
    for (auto entry = bonuses.begin(); entry != bonuses.end();) {
        RefPtr<CPGameObject> bonus = entry->object;
        if (!bonus || !Touches(carBox, *bonus)) {
            ++entry;
            continue;
        }
        const BonusKind kind = KindOf(*bonus);
        const PickupLook* pickup = PickupOf(kind);
        if (pickup && TakePickup(*this, *pickup, *bonus)) {
            entry = bonuses.erase(entry);
            continue;
        }
        if (sideFlags & ObstacleSides(kind)) ApplyObstacle(*this, kind, *bonus);
        ++entry;
    }
}
