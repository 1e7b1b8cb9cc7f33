#include "game/PPlayer.h"

#include "Render/PParticleManager.h"
#include "Render/PRender.h"
#include "Sound/PSoundManager.h"
#include "core/Settings.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PLine.h"
#include "game/PlayerEffects.h"
#include "physics/PCar.h"
#include "physics/PCarWorld.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

const char* const kInterface = "game_interface";

// A car at this damage is wrecked.
const float kWreckDamage = 100.0f;
// A wreck smokes every half second.
const float kSmokeInterval = 0.5f;
const char* const kWreckSmoke = "smoke3car";
const float kSmokeDrift = 1.7f;
const float kSmokeRise = 3.0f;
const float kSmokeRiseSpread = 0.4f;
const float kSmokeFall = -1.0f;
const float kSmokeSize = 1000.0f;
const float kSmokeSecond = 1.0f;
const float kSmokeThird = 2.5f;

// "defeat" follows the loss once, in the first step from 3 s to 20 s after
// it; the time is then parked far beyond that window.
const float kDefeatFrom = 3.0f;
const float kDefeatUntil = 20.0f;
const float kDefeatSent = 666.0f;

// The arrows look this many route pieces ahead and show a turn sharper
// than 30 degrees.
const int kArrowLookAhead = 4;
const float kArrowTurn = 0.5235988f;
// Drifts longer than this earn points, counted in tenths of a second.
const float kMinDrift = 0.5f;
const float kDriftUnitsPerSecond = 10.0f;
const float kDriftUnit = 0.1f;

// The gloom and its screen effect last this long.
const float kGloomLength = 15.0f;
const uint8_t kNoBlurBlend = 255;
// Gloom sparks: this many a step at the default "psystems" of 25.
const float kSparksAtDefault = 60.0f;
const float kDefaultSystems = 25.0f;
const char* const kGloomSpark = "iskra3blue";
const float kSparkSize = 0.2f;
const float kSparkSecond = 0.5f;
const float kSparkThirdBase = 0.1f;
const float kSparkThirdSpread = 0.5f;

// The slow-down ends after 4 s, or sooner once the car is this slow.
const float kSlowLength = 4.0f;
const float kSlowestSpeed = 10.0f;

// The engine overheats at this temperature, out of 1.
const float kOverheat = 0.8f;
const float kHottest = 1.0f;

// The speed bonus (and the stun of a "light") ends past this time.
const float kSpeedBonusEnd = 4.0f;

// "slam" sounds at most this often.
const float kSlamGap = 0.5f;

bool IsWrecked(const CPPlayer& player)
{
    return player.damage >= kWreckDamage;
}

void StartParticles(ParticleSpawnRecord&& record)
{
    if (CPParticleManager* particles = g_pParticleManager) particles->SpawnParticle(std::move(record));
}

void Smoke(CPPlayer& player)
{
    ParticleSpawnRecord record;
    record.name = kWreckSmoke;
    record.position = *player.GetPositionRef();
    record.velocity = D3DXVECTOR3(kSmokeDrift * RandomUnit(), kSmokeDrift * RandomUnit(),
                                  kSmokeRise + kSmokeRiseSpread * RandomUnit());
    record.acceleration = D3DXVECTOR3(0.0f, 0.0f, kSmokeFall);
    record.size = kSmokeSize;
    record.secondScalar = kSmokeSecond;
    record.thirdScalar = kSmokeThird;
    record.firstFlag = 1;
    StartParticles(std::move(record));
}

// A wrecked car that has been locked shows its brake lights, stays in
// sight and smokes (traffic cars do not); its rules end with this step.
void RunWreck(CPPlayer& player, float dt)
{
    if (!IsWrecked(player) || !player.locked) return;
    SetCarBrake(player, true);
    ShowRearFlares(player, false);
    player.SetVisible(true);
    if (!(player.sideFlags & CPPlayer::kTraffic)) {
        player.smokeTime += dt;
        if (player.smokeTime >= kSmokeInterval) {
            Smoke(player);
            player.smokeTime = 0.0f;
        }
    }
    player.dead = true;
}

void RunLoss(CPPlayer& player, float dt)
{
    if (!IsWrecked(player) || !(player.sideFlags & CPPlayer::kHumanPlayer)) return;
    if (!player.lossShown) {
        SendToReceiver(kInterface, "show_message", "proigrish!");
        SendToReceiver("jeep", "game_over", "");
        player.lossShown = true;
    }
    player.defeatTime += dt;
    if (player.defeatTime >= kDefeatFrom && player.defeatTime <= kDefeatUntil) {
        SendToReceiver("main", "defeat", "");
        player.defeatTime = kDefeatSent;
    }
}

D3DXVECTOR2 HeadingAxis(float heading)
{
    return D3DXVECTOR2(std::cos(heading), std::sin(heading));
}

// +1 or -1 when the route turns more than 30 degrees within the pieces
// ahead of the car, counter-clockwise positive; 0 without a route piece.
int TurnAhead(const CPLevel* level)
{
    if (!level || !level->nearestLine) return 0;
    CPLine* ahead = level->nearestLine;
    for (int i = 0; i < kArrowLookAhead; ++i) {
        CPLine* following = level->reversed ? ahead->next : ahead->previous;
        if (!following) break;
        ahead = following;
    }
    const D3DXVECTOR2 a = HeadingAxis(level->routeHeading);
    const D3DXVECTOR2 b = HeadingAxis(ahead->heading);
    const float cosine = std::max(-1.0f, std::min(1.0f, D3DXVec2Dot(&a, &b)));
    if (std::acos(cosine) <= kArrowTurn) return 0;
    return a.x * b.y - b.x * a.y > 0.0f ? 1 : -1;
}

std::string DriftPoints(float driftTime)
{
    CPGameData* data = GetGameData();
    const std::string label = data ? data->GetText("drift_time") : std::string();
    const float seconds = std::trunc(driftTime * kDriftUnitsPerSecond) * kDriftUnit;
    char text[64];
    std::snprintf(text, sizeof(text), ",%f", seconds);
    return "time," + label + text;
}

// A drift lasts while the car moves with its wheels turned; a long one
// earns points once it ends. Each step adds its own time, so a second of
// drifting counts a second at any frame rate.
void RunDrift(CPPlayer& player, float dt)
{
    RefPtr<CPCar> car = player.GetCar();
    if (car && CarSpeedOf(player) > 0.0f && car->GetSteering() != 0.0f) {
        player.driftTime += dt;
        return;
    }
    if (player.driftTime > kMinDrift) SendToReceiver(kInterface, "bonus_points2", DriftPoints(player.driftTime));
    player.driftTime = 0.0f;
}

void RunRouteHints(CPPlayer& player, float dt)
{
    const int turn = TurnAhead(GetLevel());
    RunDrift(player, dt);
    SendToReceiver(kInterface, "update_arrows", std::to_string(turn));
}

void CountDownTimers(CPPlayer& player, float dt)
{
    if (player.timeBonus > 0.0f) player.timeBonus -= dt;
    if (player.respawnCooldown > 0.0f) player.respawnCooldown -= dt;
    player.CountDownFireCooldown(dt);
}

// The camera car's gloom blur, and with it the computer driving of every
// car, ends after its time.
void RunGloomBlur(CPPlayer& player, float dt)
{
    if (!player.blurActive) return;
    player.blurTime += dt;
    if (player.blurTime < kGloomLength) return;
    player.blurActive = false;
    if (CPRender* render = GetRender()) {
        render->SetMotionBlur(0.0f);
        render->SetBlurBlend(kNoBlurBlend);
    }
    if (CPLevel* level = GetLevel()) level->ClearAllCarsDriven();
}

bool IsCameraCar(const CPPlayer& player, const CPLevel* level)
{
    return level && level->cameraCar == &player;
}

bool CameraCarInGloom(const CPLevel* level)
{
    const CPPlayer* camera = level ? dynamic_cast<const CPPlayer*>(level->cameraCar) : nullptr;
    return camera && camera->inGloom;
}

// A spark at a random point of the car's turned box.
void Spark(CPPlayer& player)
{
    const CPBoundingBox& box = player.GetBoundingBox();
    const D3DXVECTOR3& corner = box.GetCorner(0);
    const D3DXVECTOR3 alongX = box.GetCorner(1) - corner;
    const D3DXVECTOR3 alongY = box.GetCorner(3) - corner;
    const D3DXVECTOR3 alongZ = box.GetCorner(4) - corner;
    ParticleSpawnRecord record;
    record.name = kGloomSpark;
    record.position = corner + alongX * RandomUnit() + alongY * RandomUnit() + alongZ * RandomUnit();
    record.size = kSparkSize;
    record.secondScalar = kSparkSecond;
    record.thirdScalar = kSparkThirdBase + kSparkThirdSpread * RandomUnit();
    record.firstFlag = 1;
    StartParticles(std::move(record));
}

// A car in the gloom is seen, with its sparks, only from inside the gloom;
// the camera car shows none while the demo camera picks its views.
void RunGloom(CPPlayer& player, float dt)
{
    if (!player.inGloom) return;
    const CPLevel* level = GetLevel();
    player.SetVisible(CameraCarInGloom(level));
    const bool demoView = IsCameraCar(player, level) && level->cameraPreset != 0;
    if (player.IsVisible() && g_psystems > 0 && !demoView) {
        const int sparks = static_cast<int>(kSparksAtDefault / (kDefaultSystems / static_cast<float>(g_psystems)));
        player.UpdateTransform();
        for (int i = 0; i < sparks; ++i) Spark(player);
    }
    player.gloomTime += dt;
    if (player.gloomTime >= kGloomLength) {
        player.inGloom = false;
        if (!(player.sideFlags & CPPlayer::kHumanPlayer)) player.SetVisible(true);
    }
}

// The slow-down brakes the car for up to 4 s, or until it is slow; a car
// whose rear flares were hidden keeps them hidden and its lights go out
// at the end.
void RunSlowDown(CPPlayer& player, float dt)
{
    if (!player.slowActive) return;
    SetCarBrake(player, true);
    if (!AreRearFlaresShown(player)) ShowRearFlares(player, false);
    player.slowTime += dt;
    if (player.slowTime < kSlowLength && CarSpeedOf(player) >= kSlowestSpeed) return;
    player.slowActive = false;
    if (!AreRearFlaresShown(player)) SetCarBrake(player, false);
}

void SendEngineTemp(const char* hot)
{
    SendToReceiver("gamemenu", "engine_temp", hot);
}

// The throttle heats the engine, rest cools it; the menu hears of every
// crossing of the overheating mark.
void RunEngineHeat(CPPlayer& player, float dt)
{
    const float before = player.engineTemp;
    if (std::fabs(player.throttleInput) > 0.0f) {
        player.engineTemp = std::min(before + dt * player.engineItem.values[EngineDefinition::kHeatRate], kHottest);
    } else {
        player.engineTemp = std::max(before - dt * player.engineItem.values[EngineDefinition::kCoolRate], 0.0f);
    }
    if (before < kOverheat && player.engineTemp >= kOverheat) SendEngineTemp("1");
    if (before >= kOverheat && player.engineTemp < kOverheat) SendEngineTemp("0");
}

void HandInputsToCar(CPPlayer& player)
{
    if (CPCarWorld* world = GetCarWorld()) world->SetCarControls(&player, player.throttleInput, player.steerInput);
}

// The speed bonus, and the stun of a "light", end by freeing the car
// whatever else had locked it.
void RunSpeedBonus(CPPlayer& player, float dt)
{
    if (!player.speedBonusActive) return;
    player.speedBonusTime += dt;
    if (player.speedBonusTime <= kSpeedBonusEnd) return;
    player.SetLocked(false);
    player.throttleBlocked = false;
    player.speedBonusTime = 0.0f;
    player.speedBonusActive = false;
    SetCarBrake(player, true);
    SetCarBrake(player, false);
}

// The car world plays "slam" on the player's own impacts; a route-aware
// car that touched something also plays it, at most every half second.
void RunSlam(CPPlayer& player, float dt)
{
    player.slamTime += dt;
    CPSoundManager* sounds = GetSoundManager();
    if (player.routeAware && player.touching && player.slamTime > kSlamGap && sounds) {
        RefPtr<CNSound> slam;
        sounds->GetSound(slam, "slam");
        if (slam && !slam->IsPlaying()) {
            slam->Play(0, 0);
            player.slamTime = 0.0f;
        }
    }
    player.touching = false;
}

} // namespace

void CPPlayer::Update(float dt)
{
    RunWreck(*this, dt);
    RunLoss(*this, dt);
    if (dead) return;
    if (routeAware) RunRouteHints(*this, dt);
    Respawn(false);
    CountDownTimers(*this, dt);
    RunGloomBlur(*this, dt);
    RunGloom(*this, dt);
    RunSlowDown(*this, dt);
    RunEngineHeat(*this, dt);
    HandInputsToCar(*this);
    CheckBonuses();
    RunSpeedBonus(*this, dt);
    RunSlam(*this, dt);
}
