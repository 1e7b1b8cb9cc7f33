#include "game/PPlayer.h"

#include "Render/PMaterial.h"
#include "Render/PObjectLoader.h"
#include "Render/PRenderObject.h"
#include "Sound/NSound.h"
#include "physics/PCar.h"

#include <vector>

namespace {

const char* const kPlayerName = "PLAYER";
const char* const kShadowDescription = "shadow.rdf";
const char* const kShadowEffect = "shadow.fx";
const int kShadowMaterialType = 0;
const int kShadowLoadFlags = 0;
const float kFullLife = 100000.0f;
const float kSpeedBonusStart = 2.0f;

void SetVolumeOf(CNSound* sound, float volume)
{
    if (sound) sound->SetVolume(volume);
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

CPPlayer::~CPPlayer() = default;

void CPPlayer::SetupShadow()
{
    RefPtr<CPCar> car = GetCar();
    if (!g_pObjectLoader || !car) return;
    shadow = g_pObjectLoader->LoadObject(kShadowDescription, kShadowLoadFlags);
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
