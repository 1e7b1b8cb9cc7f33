// The racer's weapons: choosing the current one, aiming it, firing shots,
// flames and casings at its rate, and the flame-thrower's burns.

#include "game/PPlayer.h"
#include "game/PlayerEffects.h"

#include "Render/PParticleManager.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "physics/PVectorMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Firing types, from the weapon's item name.
enum WeaponType {
    kGun = 0,
    kDoubleGun = 1,
    kHeavyGun = 2,
    kSmallRocket = 3,
    kRocket = 4,
    kPlasma = 5,
    kShotgun = 6,
    kGauss = 7,
    kFlameThrower = 8,
    kNoFiring = 9,
};

struct WeaponName {
    const char* name;
    WeaponType type;
};

const WeaponName kWeaponNames[] = {
    {"lgun", kGun},
    {"mgun", kGun},
    {"mgun2x", kGun},
    {"lgun2x", kDoubleGun},
    {"hmgun", kHeavyGun},
    {"ssrlauncher", kSmallRocket},
    {"rlauncher", kRocket},
    {"plasma", kPlasma},
    {"shotgun", kShotgun},
    {"autoshotgun", kShotgun},
    {"gauss", kGauss},
    {"firethrower", kFlameThrower},
};

// The shot kind of each firing type that fires shots, by type.
const char* const kShotKinds[] = {"trasser11", "trasser11", "trasser12", "srocket1",
                                  "rocket1",   "plazma",    "trasser13", "gauss1"};

const char* const kFlarePrefix = "flare_";
const char* const kFlareSuffixes[] = {"", "_01", "_02", "_03"};
const char* const kBarrelName = "stvol";
const char* const kInterfaceReceiver = "gamemenu";
const char* const kInterfaceUpdate = "update_game_interface";

const float kTwoPi = 6.28318531f;
// Weapon models face along their -y, as the car does.
const D3DXVECTOR3 kForwardAxis(0.0f, -1.0f, 0.0f);
const D3DXVECTOR3 kUpAxis(0.0f, 0.0f, 1.0f);

// A weapon owes at most the shots of the longest frame: a cooldown run out
// further while nothing could fire gives no burst later.
const float kLowestFireCooldown = -kLongestFrameTime;
// No data make a weapon fire more shots than this in one frame.
const int kMostShotsAFrame = 100;
// The heavy gun's barrel turns this many radians a second while firing.
const float kBarrelSpinRate = 10.5f;
const D3DXVECTOR3 kBarrelAxis(0.0f, 1.0f, 0.0f);
// A rocket leaves at 17 units a second and falls at 9.8.
const float kGravity = 9.8f;
const float kRocketSpeedSq = 289.0f;
// Largest tilts of single shots away from the barrel, in radians.
const float kHeavyGunSpread = 0.1f;
const float kShotgunSpread = 0.4f;

// Flames leave at 14 units a second, turned up to 0.1 radians about each
// axis, and live 0.8 to 1.1 s; they glow, widening as they go.
const char* const kFlameParticle = "firethrower";
const float kFlameSpeed = 14.0f;
const float kFlameTurn = 0.1f;
const float kFlameLife = 0.8f;
const float kFlameLifeSpread = 0.3f;
const float kFlameSize = 0.5f;
const float kFlameGrowth = 1.5f;
// A flame takes the first object within this reach of it, and what it took
// burns every 0.2 s.
const float kFlameReach = 1.0f;
const float kFlameTick = 0.2f;
const float kBurnFlag = 1.0f;

// Casings fly out to the weapon's left and up at 4 to 5 units a second,
// fall hard and lie 1 to 2 s.
const char* const kCasingParticle = "gilze";
const D3DXVECTOR3 kCasingDirection(-1.0f, 0.0f, 2.0f);
const float kCasingSpeed = 4.0f;
const D3DXVECTOR3 kCasingPull(0.0f, 0.0f, -24.8f);
const float kCasingSize = 0.2f;
const float kCasingLife = 1.0f;

// The weapon definition keeps its numbers by position; these are the ones
// firing reads.
int32_t ShotCount(const WeaponDefinition& weapon) { return weapon.number1; }
float ShotValue(const WeaponDefinition& weapon) { return weapon.number2; }
int32_t AmmunitionDivisor(const WeaponDefinition& weapon) { return weapon.number3; }
float RateOfFire(const WeaponDefinition& weapon) { return weapon.number4; }

WeaponType TypeOf(const std::string& name)
{
    for (const WeaponName& weapon : kWeaponNames) {
        if (name == weapon.name) return weapon.type;
    }
    return kNoFiring;
}

bool IsValidSlot(int slot)
{
    return slot >= 0 && slot < CPPlayer::kWeaponSlots;
}

// A weapon whose cost or cooldown would not be a finite number is no
// weapon at all: it is empty rather than firing for free or at no rate.
bool CanFire(const CPPlayer& player)
{
    const WeaponDefinition& weapon = player.weaponDef;
    return IsValidSlot(player.weaponSlot) && AmmunitionDivisor(weapon) > 0 && player.shotFactor > 0.0f &&
           RateOfFire(weapon) > 0.0f && player.fireRateFactor > 0.0f;
}

// The guns throw a casing for every shot; the other weapons none.
int32_t CasingsPerPull(const CPPlayer& player)
{
    switch (player.weaponType) {
    case kGun:
    case kDoubleGun:
    case kHeavyGun:
        return 1;
    case kShotgun:
        return ShotCount(player.weaponDef);
    default:
        return 0;
    }
}

D3DXVECTOR3 Translation(const D3DXMATRIX& matrix)
{
    return D3DXVECTOR3(matrix._41, matrix._42, matrix._43);
}

D3DXVECTOR3 TurnedBy(const D3DXVECTOR3& vector, const D3DXMATRIX& matrix)
{
    D3DXVECTOR3 turned;
    D3DXVec3TransformNormal(&turned, &vector, &matrix);
    return turned;
}

void SendInterfaceUpdate()
{
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByName(kInterfaceReceiver, kInterfaceUpdate, "");
}

void FindMuzzleFlares(CPPlayer& player)
{
    const std::string base = kFlarePrefix + player.weaponName;
    for (int i = 0; i < CPPlayer::kMuzzleFlares; ++i) {
        player.muzzleFlares[i] = player.FindChild(base + kFlareSuffixes[i]);
        if (player.muzzleFlares[i]) player.muzzleFlares[i]->SetVisible(false);
    }
}

// The held trigger, or the player's one-shot request from the scripts,
// which is taken here.
bool IsTriggerPulled(CPPlayer& player)
{
    CPLevel* level = GetLevel();
    if (level && level->player.Get() == &player && level->playerShotRequest) {
        level->playerShotRequest = false;
        return true;
    }
    return player.triggerHeld;
}

bool IsInTreeOf(CPGameObject& object, const CPGameObject& root)
{
    for (RefPtr<CPGameObject> node(&object); node; node = node->GetParent()) {
        if (node.Get() == &root) return true;
    }
    return false;
}

// Damage from the car towards the object and its flames.
void Burn(CPPlayer& player, CPGameObject& object)
{
    const D3DXVECTOR3 position = *object.GetPositionRef();
    const D3DXVECTOR3 direction = Normalised(position - *player.GetPositionRef());
    object.Damage(&position, &direction, ShotValue(player.weaponDef), nullptr, false);
    object.AttachFlame(kBurnFlag);
}

// Every 0.2 s of frames, whatever the flames touched since the last frame
// burns; the list starts again each frame.
void BurnHitTargets(CPPlayer& player)
{
    player.flameTime -= FrameDeltaTime;
    if (!std::isfinite(player.flameTime)) player.flameTime = 0.0f;
    while (player.flameTime <= 0.0f) {
        for (auto& hit : player.hitTargets) Burn(player, *hit.second);
        player.flameTime += kFlameTick;
    }
    player.hitTargets.clear();
}

void SpinBarrel(CPPlayer& player)
{
    player.barrelAngle += kBarrelSpinRate * FrameDeltaTime;
    RefPtr<CPGameObject> barrel = player.weaponModel->FindChild(kBarrelName);
    if (!barrel) return;
    D3DXQUATERNION spin;
    D3DXQuaternionRotationAxis(&spin, &kBarrelAxis, player.barrelAngle);
    barrel->SetRotation(spin.x, spin.y, spin.z, spin.w);
}

// The turn about z, in the ground plane, from one direction onto another;
// 0 when either has no length there.
float SignedGroundAngle(const D3DXVECTOR3& from, const D3DXVECTOR3& to)
{
    const D3DXVECTOR3 a(from.x, from.y, 0.0f), b(to.x, to.y, 0.0f);
    const float lengths = Length(a) * Length(b);
    if (lengths == 0.0f) return 0.0f;
    const float cosine = std::max(-1.0f, std::min(1.0f, Dot(a, b) / lengths));
    const float angle = std::acos(cosine);
    return a.x * b.y - a.y * b.x < 0.0f ? -angle : angle;
}

// The elevation that carries a rocket launched at 17 units a second as far
// as the distance, or as far as it can.
float BallisticPitch(float distance)
{
    return 0.5f * std::asin(std::min(1.0f, kGravity * distance / kRocketSpeedSq));
}

// Turns the weapon model towards the aim point in the ground plane, a
// rocket launcher also up by the launch angle of the ground distance, so
// nothing reads the aim's height; answers the weapon's place in the world.
D3DXVECTOR3 Aim(CPPlayer& player)
{
    CPGameObject& model = *player.weaponModel;
    D3DXVECTOR3 weaponPosition;
    D3DXVec3TransformCoord(&weaponPosition, model.GetPositionRef(), &player.GetWorldMatrix());
    const D3DXVECTOR3 aim = player.aimPoint - weaponPosition;

    const D3DXVECTOR3 carForward = TurnedBy(kForwardAxis, player.GetWorldMatrix());
    D3DXQUATERNION turn;
    D3DXQuaternionRotationAxis(&turn, &kUpAxis, SignedGroundAngle(carForward, aim));
    if (player.weaponType == kRocket) {
        // Raising the barrel turns its -y towards +z: a negative turn about x.
        const D3DXVECTOR3 side(1.0f, 0.0f, 0.0f);
        D3DXQUATERNION raise;
        D3DXQuaternionRotationAxis(&raise, &side, -BallisticPitch(std::hypot(aim.x, aim.y)));
        D3DXQuaternionMultiply(&turn, &raise, &turn);
    }
    model.SetRotation(turn.x, turn.y, turn.z, turn.w);
    model.UpdateTransform();
    return weaponPosition;
}

// Hides the flare shown last and shows the next; the muzzle is where it
// is, or the weapon's place when the weapon has no such flare.
D3DXVECTOR3 ShowNextFlare(CPPlayer& player, const D3DXVECTOR3& weaponPosition)
{
    const int count = CPPlayer::kMuzzleFlares;
    int& cycle = player.flareCycle;
    cycle = (cycle % count + count) % count;
    if (player.muzzleFlares[cycle]) player.muzzleFlares[cycle]->SetVisible(false);
    cycle = (cycle + 1) % count;
    CPGameObject* flare = player.muzzleFlares[cycle].Get();
    if (!flare) return weaponPosition;
    flare->SetVisible(true);
    return Translation(flare->GetWorldMatrix());
}

// The unit direction turned by the angle about an axis across it, at a
// random angle round it.
D3DXVECTOR3 Tilted(const D3DXVECTOR3& direction, float angle)
{
    D3DXMATRIX around, tilt;
    D3DXMatrixRotationAxis(&around, &direction, kTwoPi * RandomUnit());
    const D3DXVECTOR3 axis = Normalised(TurnedBy(Perpendicular(direction), around));
    D3DXMatrixRotationAxis(&tilt, &axis, angle);
    return TurnedBy(direction, tilt);
}

void SpawnShot(CPPlayer& player, int type, const D3DXVECTOR3& muzzle, const D3DXVECTOR3& direction)
{
    if (CPShotSpawner* spawner = GetShotSpawner()) {
        spawner->Spawn(kShotKinds[type], muzzle, direction, ShotValue(player.weaponDef), player.weaponModel, 0);
    }
}

float RandomTurn()
{
    return (2.0f * RandomUnit() - 1.0f) * kFlameTurn;
}

void StartFlame(CPPlayer& player, const D3DXVECTOR3& muzzle, const D3DXVECTOR3& direction)
{
    if (!g_pParticleManager) return;
    D3DXMATRIX turn;
    D3DXMatrixRotationYawPitchRoll(&turn, RandomTurn(), RandomTurn(), RandomTurn());
    ParticleSpawnRecord flame;
    flame.name = kFlameParticle;
    flame.position = muzzle;
    flame.velocity = TurnedBy(direction, turn) * kFlameSpeed;
    flame.size = kFlameSize;
    flame.secondScalar = kFlameGrowth;
    flame.thirdScalar = kFlameLife + kFlameLifeSpread * RandomUnit();
    flame.firstFlag = 1;
    // The particle reports back to the car, which finds what it touched.
    flame.object = static_cast<CPGameObject*>(&player);
    g_pParticleManager->SpawnParticle(std::move(flame));
}

void ThrowCasing(CPPlayer& player, const D3DXVECTOR3& weaponPosition)
{
    if (!g_pParticleManager) return;
    const D3DXVECTOR3 out = Normalised(TurnedBy(kCasingDirection, player.weaponModel->GetWorldMatrix()));
    ParticleSpawnRecord casing;
    casing.name = kCasingParticle;
    casing.position = weaponPosition;
    casing.velocity = out * (kCasingSpeed + RandomUnit());
    casing.acceleration = kCasingPull;
    casing.size = kCasingSize;
    casing.thirdScalar = kCasingLife + RandomUnit();
    g_pParticleManager->SpawnParticle(std::move(casing));
}

void Discharge(CPPlayer& player, const D3DXVECTOR3& muzzle)
{
    const D3DXVECTOR3 direction = Normalised(TurnedBy(kForwardAxis, player.weaponModel->GetWorldMatrix()));
    const int type = player.weaponType;
    switch (type) {
    case kHeavyGun:
        SpawnShot(player, type, muzzle, Tilted(direction, kHeavyGunSpread * RandomUnit()));
        break;
    case kShotgun:
        for (int32_t i = 0; i < ShotCount(player.weaponDef); ++i) {
            SpawnShot(player, type, muzzle, Tilted(direction, kShotgunSpread * RandomUnit()));
        }
        break;
    case kFlameThrower:
        StartFlame(player, muzzle, direction);
        break;
    case kNoFiring:
        break;
    default:
        SpawnShot(player, type, muzzle, direction);
        break;
    }
}

// One trigger pull: a discharge when the slot holds the pull's cost, which
// it pays; the weapon is empty once the rest cannot pay another.
void Fire(CPPlayer& player, const D3DXVECTOR3& weaponPosition)
{
    if (!CanFire(player)) {
        player.weaponEmpty = true;
        return;
    }
    const WeaponDefinition& weapon = player.weaponDef;
    float& ammunition = player.ammunition[player.weaponSlot];
    const float cost = static_cast<float>(ShotCount(weapon)) /
                       (static_cast<float>(AmmunitionDivisor(weapon)) * player.shotFactor);
    const float rest = ammunition - cost;
    if (ammunition >= cost) {
        Discharge(player, ShowNextFlare(player, weaponPosition));
        player.fireCooldown += 1.0f / (player.fireRateFactor * RateOfFire(weapon));
        ammunition = rest;
        for (int32_t i = 0; i < CasingsPerPull(player); ++i) ThrowCasing(player, weaponPosition);
    }
    if (rest < cost) player.weaponEmpty = true;
    SendInterfaceUpdate();
}

} // namespace

void CPPlayer::SelectWeapon()
{
    if (dead) return;
    if (weaponModel) weaponModel->SetVisible(false);
    CPGameData* data = GetGameData();
    if (!IsValidSlot(weaponSlot) || !data) {
        weaponModel = nullptr;
        return;
    }
    weaponName = data->activeSetup.weapons[weaponSlot];
    weaponModel = FindChild(weaponName);
    if (weaponModel) weaponModel->SetVisible(true);
    const WeaponDefinition* definition = data->weapons.Find(weaponName);
    weaponDef = definition ? *definition : WeaponDefinition();
    FindMuzzleFlares(*this);
    flareCycle = kMuzzleFlares - 1;
    weaponType = TypeOf(weaponName);
    // A newly chosen weapon is empty only by its own state.
    weaponEmpty = (weaponModel && ammunition[weaponSlot] < 0.0f) || !CanFire(*this);
    UpdateWeapon(aimPoint, nullptr);
}

void CPPlayer::UpdateWeapon(const D3DXVECTOR3& point, CPGameObject*)
{
    if (dead) return;
    aimPoint = point;
    const bool pulled = IsTriggerPulled(*this);
    if (!weaponModel) return;
    if (weaponType == kFlameThrower) BurnHitTargets(*this);
    if (weaponType == kHeavyGun && pulled) SpinBarrel(*this);
    const D3DXVECTOR3 weaponPosition = Aim(*this);
    // The time past a shot's cooldown carries over while the trigger stays
    // pulled, so a long frame fires every shot it held; a released trigger
    // owes none.
    if (!pulled) fireCooldown = std::max(fireCooldown, 0.0f);
    for (int shots = 0; !weaponEmpty && pulled && fireCooldown < 0.0f && shots < kMostShotsAFrame; ++shots) {
        Fire(*this, weaponPosition);
    }
}

void CPPlayer::CountDownFireCooldown(float seconds)
{
    fireCooldown = std::max(fireCooldown - seconds, kLowestFireCooldown);
}

bool CPPlayer::FlameHit(const D3DXVECTOR3& position)
{
    CPLevel* level = GetLevel();
    if (!level) return false;
    CPGameObject::ObjectList touched;
    level->CollectInSphere(position, kFlameReach, touched);
    for (const RefPtr<CPGameObject>& object : touched) {
        if (IsInTreeOf(*object, *this)) continue;
        if (!dead) hitTargets.emplace(object.Get(), object);
        return true;
    }
    return false;
}
