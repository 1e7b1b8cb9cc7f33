#include "game/PLevel.h"

#include "DynamicSky/PDynamicSky.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/Settings.h"
#include "core/StringUtils.h"
#include "game/AIManager.h"
#include "game/LevelClock.h"
#include "game/PGameData.h"
#include "game/PPlayer.h"
#include "interface/PLensFlareInterface.h"
#include "physics/PCar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

const float kPi = 3.14159274f;
const float kTwoPi = 6.2831855f;
const float kPlayerStep = 1.0f / 60.0f;
// The start-up clock stands once the race has run this long.
const float kStartupSeconds = 16.0f;
const float kTrafficRefreshSeconds = 0.5f;
const float kDemoDecisionSeconds = 1.5f;
const int kDemoPresets = 3;
const int kDemoModes = 2;
const int kFollowPreset = 0;
const int kOrbitPreset = 1;
const int kHalfTurnPreset = 2;
const float kOrbitRate = 0.3f;
const float kMillisecondsToSeconds = 0.001f;
const float kRouteSearchRadius = 40.0f;
const int kRouteStepsBack = 1;
const float kFullNitro = 100.0f;
const float kNitroSoundCooldown = 2.0f;
const float kGhostSampleSeconds = 0.05f;
const int kFixedViewPreset = 2;
const float kStillSpeedSquared = 0.000001f;
// A path shorter than this (squared) is a car standing still.
const float kStillPathSquared = 0.000001f;

const char* const kInterfaceReceiver = "game_interface";
const char* const kShowMessage = "show_message";
const char* const kFinish = "finish!";
const char* const kLost = "lost!";
const char* const kPlaceNames[CPLevel::kPlaces] = {"1st", "2nd", "3rd"};

void SendToInterface(const char* command, const std::string& params)
{
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByName(kInterfaceReceiver, command, params);
}

// Wraps the angle into [0, 2 pi) a turn at a time.
float WrapAngle(float angle)
{
    while (angle >= kTwoPi) angle -= kTwoPi;
    while (angle < 0.0f) angle += kTwoPi;
    return angle;
}

bool IsOdd(int draw)
{
    return draw % 2 == 1;
}

float SpeedOf(CPGameObject& car)
{
    RefPtr<CPCar> body = car.GetCar();
    return body ? body->GetSpeed() : 0.0f;
}

void FillNitro(CPCar& car)
{
    car.SetNitroStock(std::min(car.GetNitroStock() + kFullNitro, kFullNitro));
}

// A car that stands must be strictly inside the box; the path of one that
// moves counts from the moment it touches it.
bool PathMeetsBox(const AxisAlignedBox& box, const D3DXVECTOR3& from, const D3DXVECTOR3& to)
{
    const D3DXVECTOR3 path = to - from;
    const float length = D3DXVec3Length(&path);
    if (length * length < kStillPathSquared) return box.ContainsPoint(to);
    return box.IntersectSegment(from, path / length, length);
}

// How far along the path, from 0 at its start to 1 at its end, it enters
// the box it meets: where it has come within the box's bounds on every
// axis. A path that starts inside enters at 0.
float PathEntry(const AxisAlignedBox& box, const D3DXVECTOR3& from, const D3DXVECTOR3& to)
{
    const float starts[] = {from.x, from.y, from.z};
    const float ends[] = {to.x, to.y, to.z};
    const float lows[] = {box.minimum.x, box.minimum.y, box.minimum.z};
    const float highs[] = {box.maximum.x, box.maximum.y, box.maximum.z};
    float entry = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float along = ends[axis] - starts[axis];
        if (along == 0.0f) continue;
        const float towardLow = (lows[axis] - starts[axis]) / along;
        const float towardHigh = (highs[axis] - starts[axis]) / along;
        entry = std::max(entry, std::min(towardLow, towardHigh));
    }
    return entry;
}

void PlayFromStart(const char* name)
{
    CPSoundManager* sounds = GetSoundManager();
    if (!sounds) return;
    RefPtr<CNSound> sound;
    sounds->GetSound(sound, name);
    if (!sound) return;
    if (sound->IsPlaying()) {
        sound->Stop();
        sound->Rewind();
    }
    sound->Play(0, 0);
}

} // namespace

// The steps run in a fixed order; each one skips what it needs and the
// level lacks (a level whose load failed has no player, camera or route).
void CPLevel::Update()
{
    const float dt = FrameDeltaTime;
    SettleOutcome();
    if (startupTime < kStartupSeconds) startupTime += dt;
    trafficRefreshTime += dt;
    RunCheckpointTimer(dt);
    if (demoMode) RunDemoCamera(dt);
    AdvanceClocks(dt);
    RunPlayerSteps(dt);
    FeedCamera();
    RunComputerCars(dt);
    FollowRouteHeading();
    RefillNitro(dt);
    if (!singleMode) CountCheckpoints();
    SteerCamera();
    RecordAndReplayGhost();
    QueueScene();
    PlaceLensFlare();
}

void CPLevel::Announce(const char* message)
{
    SendToInterface(kShowMessage, message);
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByName("jeep", "game_over", "");
    raceOver = true;
}

void CPLevel::SettleOutcome()
{
    if (!placesDone) {
        if (places[0] == kCameraCarRacer && timeMode) SettleTimeTrial();
        else if (places[0] == kCameraCarRacer) SettlePlace(0);
        else if (places[1] == kCameraCarRacer) SettlePlace(1);
        else if (places[2] == kCameraCarRacer) SettlePlace(2);
    }
    const bool allTaken = std::find(places, places + kPlaces, -1) == places + kPlaces;
    const int playerRacer = kCameraCarRacer;
    const bool playerPlaced = std::find(places, places + kPlaces, playerRacer) != places + kPlaces;
    if (!placesDone && allTaken && !playerPlaced) {
        placesDone = true;
        Announce(kLost);
    }
}

// No place wins while placeToFinish is negative: first place only ends
// the place checks.
void CPLevel::SettlePlace(int place)
{
    SendToInterface("place", kPlaceNames[place]);
    placesDone = true;
    if (place == 0 && placeToFinish < 0) return;
    Announce(place <= placeToFinish ? kFinish : kLost);
}

// The lap just completed races the level's stored best; a level without a
// stored best (outside levels 1 to 10) finishes and keeps nothing.
void CPLevel::SettleTimeTrial()
{
    CPGameData* data = GetGameData();
    const float lapTime = data ? data->GetRoundTime(data->roundsRecorded - 1) : 0.0f;
    BestTimeRecord* best = data ? data->GetBestTime(levelNumber) : nullptr;
    if (best && best->bestTime != 0.0f && lapTime >= best->bestTime) {
        Announce(kLost);
    } else {
        if (best) {
            best->bestTime = lapTime;
            best->carModel = ghostCarModel;
            best->ghostSamples = ghostSamples;
        }
        Announce(kFinish);
    }
    placesDone = true;
}

void CPLevel::RunCheckpointTimer(float dt)
{
    CPGameData* data = GetGameData();
    if (!data || !data->levelStarted || currentCheckpoint == -1 || raceOver || placesDone || singleMode) return;
    checkpointTimer -= dt;
    if (checkpointTimer > 0.0f) return;
    SendToInterface("checkpoint", "timeout!,1");
    Announce(kLost);
    checkpointTimer = 0.0f;
    placesDone = true;
}

void CPLevel::RunDemoCamera(float dt)
{
    demoCameraTimer += dt;
    if (demoCameraTimer <= kDemoDecisionSeconds) return;
    demoCameraTimer = 0.0f;
    if (IsOdd(rand())) ChooseDemoPreset(rand() % kDemoPresets);
    else ChooseDemoMode(rand() % kDemoModes);
}

void CPLevel::ChooseDemoPreset(int preset)
{
    if (preset == cameraPreset) return;
    cameraPreset = preset;
    demoPresetTime = 0.0f;
    orbitDirection = IsOdd(rand()) ? 1.0f : -1.0f;
    if (!camera) return;
    if (preset == kFollowPreset) camera->SetYaw(heading);
    else if (preset == kHalfTurnPreset) camera->SetYaw(-kPi);
}

// The mode's placing comes with SetCameraMode; the demo shows the first
// view and turns the camera straight to the car.
void CPLevel::ChooseDemoMode(int mode)
{
    SetCameraMode(mode);
    cameraCar = player.Get();
    if (!camera) return;
    camera->SetSecondViewFlag(false);
    if (player) camera->SetYaw(HeadingOf(*player));
}

void CPLevel::AdvanceClocks(float dt)
{
    raceTime += dt;
    levelTime -= dt;
    const float now = static_cast<float>(LevelClockMilliseconds());
    const float realSeconds = (now - lastClock) * kMillisecondsToSeconds;
    lastClock = now;
    UpdateRaceClocks(dt);
    demoPresetTime += realSeconds;
    if (levelTime < 0.0f && !levelFailedSent) {
        levelTime = 0.0f;
        if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByCategory("main", "level_failed", "");
        levelFailedSent = true;
    }
}

// Whatever is left short of a whole step waits for the next frame.
void CPLevel::RunPlayerSteps(float dt)
{
    if (demoMode) return;
    CPPlayer* racer = dynamic_cast<CPPlayer*>(player.Get());
    stepAccumulator += dt;
    while (stepAccumulator >= kPlayerStep) {
        if (racer) racer->Update(kPlayerStep);
        stepAccumulator -= kPlayerStep;
    }
}

// The camera reads the car's direction and motion itself; it is handed
// where to look, how far back to stay and the proportions of its offset.
// While orbiting the distance grows with the speed.
void CPLevel::FeedCamera()
{
    if (!cameraCar || !camera) return;
    cameraSpeed = SpeedOf(*cameraCar);
    const D3DXVECTOR3& position = *cameraCar->GetPositionRef();
    float handedDivisor = 0.0f;
    if (cameraPreset == kOrbitPreset) {
        const float growth = distanceDivisor != 0.0f ? cameraSpeed / distanceDivisor : 0.0f;
        camera->SetTargetDistance(growth + cameraDistance);
        camera->SetFollowPoint(position + D3DXVECTOR3(0.0f, 0.0f, cameraHeight * 2.0f / 3.0f));
    } else if (cameraMode == 0 || cameraMode == 1) {
        camera->SetTargetDistance(cameraDistance);
        camera->SetFollowPoint(position + D3DXVECTOR3(0.0f, 0.0f, cameraHeight));
        handedDivisor = distanceDivisor;
    }
    camera->SetAngle(D3DXToRadian(cameraAngle));
    camera->SetProportions(angleDivisor, 0.0f, cameraSpeed, handedDivisor);
}

// The first five cars, or all of them once every car is computer-driven.
void CPLevel::RunComputerCars(float dt)
{
    for (size_t i = 0; i < opponents.size(); ++i) {
        if (!allCarsDriven && i >= static_cast<size_t>(kRacersOnRoute)) break;
        CPGameObject& car = *opponents[i];
        FeedDriver(i, car);
        if (CPPlayer* racer = dynamic_cast<CPPlayer*>(&car)) racer->Update(dt);
        if (i >= static_cast<size_t>(kRacersOnRoute)) continue;
        if (CPGameData* data = GetGameData()) {
            const D3DXVECTOR3& position = *car.GetPositionRef();
            data->racerPositions[RacerKey(static_cast<int>(i))] = D3DXVECTOR2(position.x, position.y);
        }
    }
}

// The speed counts backwards unless the driver is reversing. A car beyond
// the driver states is not fed.
void CPLevel::FeedDriver(size_t index, CPGameObject& car)
{
    AIManager* drivers = GetAIManager();
    if (!drivers) return;
    const size_t opponentSlots = static_cast<size_t>(AIManager::kOpponentSlots);
    std::vector<RefPtr<AI_Vehicle>>& states = index < opponentSlots ? drivers->opponents : drivers->traffic;
    const size_t slot = index < opponentSlots ? index : index - opponentSlots;
    if (slot >= states.size() || !states[slot]) return;
    const CPPlayer* racer = dynamic_cast<const CPPlayer*>(&car);
    const float speed = SpeedOf(car);
    const float fed = racer && racer->throttleInput < 0.0f ? speed : -speed;
    states[slot]->Setup(&car, ForwardAxisOf(car), fed, &car, static_cast<int>(index), 0);
}

void CPLevel::FollowRouteHeading()
{
    if (!routeSpline || !player) return;
    float radius = kRouteSearchRadius;
    routeHeading = routeSpline->FindNearestLine(*player->GetPositionRef(), radius, kRouteStepsBack, nearestLine);
}

// The "fast" sound marks a refill the player can feel: not a full stock,
// and not again within the cooldown.
void CPLevel::RefillNitro(float dt)
{
    nitroCooldown = std::max(nitroCooldown - dt, 0.0f);
    CPCar* playerCar = GetCarPtr();
    for (const RefPtr<CPGameObject>& zone : nitroZones) {
        const AxisAlignedBox box = LevelBoxOf(*zone);
        if (playerCar && box.ContainsPoint(*player->GetPositionRef())) {
            if (playerCar->GetNitroStock() != kFullNitro && nitroCooldown == 0.0f) {
                PlayFromStart("fast");
                nitroCooldown = kNitroSoundCooldown;
            }
            FillNitro(*playerCar);
        }
        for (const RefPtr<CPGameObject>& opponent : opponents) {
            RefPtr<CPCar> car = opponent->GetCar();
            if (car && box.ContainsPoint(*opponent->GetPositionRef())) FillNitro(*car);
        }
    }
}

// The whole path of the frame is tested: a fast car or a long frame steps
// over a gate between two frames, or runs through two gates in one. Every
// gate the path meets is reached, in the order the path meets them (in
// list order where it enters two at once). Of the gates the car is already
// inside as the frame starts, only the first is reached: a car standing
// where two gates overlap reaches one of them a frame, in turn.
void CPLevel::CountCheckpoints()
{
    if (!player) return;
    const D3DXVECTOR3 from = checkpointTrail.From(*player);
    checkpointTrail.Follow(*player);
    if (raceOver) return;
    const D3DXVECTOR3& position = *player->GetPositionRef();
    std::vector<std::pair<float, int>> met;
    for (size_t k = 0; k < checkpoints.size(); ++k) {
        const RefPtr<CPGameObject>& zone = checkpoints[k].checkpoint;
        if (!zone) continue;
        const AxisAlignedBox box = LevelBoxOf(*zone);
        if (PathMeetsBox(box, from, position)) met.emplace_back(PathEntry(box, from, position), static_cast<int>(k));
    }
    std::sort(met.begin(), met.end());
    // Gates the car is already inside enter at 0 and so come first.
    bool reachedOne = false;
    for (const std::pair<float, int>& gate : met) {
        if (gate.second == currentCheckpoint) continue;
        if (reachedOne && gate.first <= 0.0f) continue;
        reachedOne = true;
        ReachCheckpoint(gate.second);
    }
}

// The time left is shown in tenths. At the end of the third round the
// checkpoint that completes the list is not announced.
void CPLevel::ReachCheckpoint(int index)
{
    ++checkpointsPassed;
    CPGameData* data = GetGameData();
    if (checkpointTimer > 0.0f && data) {
        const float shown = std::trunc(checkpointTimer * 10.0f) * 0.1f;
        char params[256];
        std::snprintf(params, sizeof(params), "time,%s,%f", data->GetText("bonus_time").c_str(), shown);
        SendToInterface("bonus_points", params);
    }
    checkpointTimer = checkpoints[static_cast<size_t>(index)].timeAllowance;
    const int count = static_cast<int>(checkpoints.size());
    const bool silent = data && data->roundsRecorded == 3 && checkpointsPassed == count + 1;
    if (!silent) SendToInterface("checkpoint", currentCheckpoint != -1 ? "checkpoint!,1" : "checkpoint!,0");
    currentCheckpoint = index;
    if (checkpointsPassed > count) checkpointsPassed = 1;
}

void CPLevel::SteerCamera()
{
    if (!cameraCar || !camera) return;
    const D3DXVECTOR3 carForward = ForwardAxisOf(*cameraCar);
    const D3DXVECTOR3 up = UpAxisOf(*cameraCar);
    const float tilt = ClampedAcos(up.z);
    camera->SetTiltTarget(up.z < 0.0f ? -tilt : tilt);
    const float carHeading = HeadingOf(*cameraCar);
    if (cameraMode != 0 && cameraMode != 1) {
        const CameraPreset& fixed = cameraPresets[kFixedViewPreset];
        const D3DXVECTOR3 eye = *cameraCar->GetPositionRef() + fixed.distance * carForward + fixed.height * up;
        camera->SetLookAt(eye, eye + carForward, up);
        camera->SetFixedMode(true);
        camera->SetHeading(carHeading);
    } else {
        camera->SetFixedMode(false);
        if (cameraPreset == kFollowPreset) camera->SetHeading(WrapAngle(carHeading));
        else if (cameraPreset == kOrbitPreset) camera->SetYaw(orbitDirection * demoPresetTime * kOrbitRate);
        else if (cameraPreset == kHalfTurnPreset) camera->SetHeading(WrapAngle(carHeading - kPi));
    }
    forward = carForward;
    heading = carHeading;
    camera->Update();
    if (cameraFollower) {
        const D3DXVECTOR3& eye = camera->GetFirstView()->GetEye();
        cameraFollower->SetPosition(eye.x, eye.y, eye.z);
        cameraFollower->UpdateTransform();
        if (RefPtr<CPRenderQueue> queue = GetRenderQueue()) queue->AddObject(cameraFollower);
    }
}

// The half-turn preset looks at the car from ahead: the camera's heading
// is forced round by half a turn, unless a script forces its own.
bool CPLevel::HalfTurnForced(float& forced) const
{
    if (cameraPreset != kHalfTurnPreset || (cameraMode != 0 && cameraMode != 1)) return false;
    // The camera turns a forced heading by a quarter itself.
    forced = WrapAngle(heading - kPi) - kPi * 0.5f;
    return true;
}

void CPLevel::RecordAndReplayGhost()
{
    if (timeMode && player && ghostSampleTime + kGhostSampleSeconds < raceTime) {
        ghostSampleTime = raceTime;
        const D3DXVECTOR3& p = *player->GetPositionRef();
        const D3DXQUATERNION& q = *player->GetRotationRef();
        ghostSamples.push_back(GhostSample{p.x, p.y, p.z, q.x, q.y, q.z, q.w, ghostSampleTime});
    }
    if (!ghostCar) return;
    CPGameData* data = GetGameData();
    const BestTimeRecord* best = data ? data->GetBestTime(levelNumber) : nullptr;
    if (best) ReplayGhost(best->ghostSamples);
    if (RefPtr<CPRenderQueue> queue = GetRenderQueue()) queue->AddObject(ghostCar);
}

// Between two samples the ghost moves in a line and takes the later
// sample's turn; past the last sample it stands.
void CPLevel::ReplayGhost(const std::vector<GhostSample>& samples)
{
    if (samples.empty()) return;
    const int last = static_cast<int>(samples.size()) - 1;
    ghostIndex = std::min(std::max(ghostIndex, 0), last);
    while (ghostIndex < last && samples[static_cast<size_t>(ghostIndex)].time < raceTime) ++ghostIndex;
    const GhostSample& next = samples[static_cast<size_t>(ghostIndex)];
    if (next.time < raceTime || ghostIndex == 0) return;
    const GhostSample& previous = samples[static_cast<size_t>(ghostIndex - 1)];
    const float span = next.time - previous.time;
    const float t = span > 0.0f ? (raceTime - previous.time) / span : 1.0f;
    const D3DXVECTOR3 at = LerpVector3(D3DXVECTOR3(previous.x, previous.y, previous.z),
                                       D3DXVECTOR3(next.x, next.y, next.z), t);
    ghostCar->SetPosition(at.x, at.y, at.z);
    ghostCar->SetRotation(next.rotationX, next.rotationY, next.rotationZ, next.rotationW);
    ghostCar->UpdateTransform();
}

void CPLevel::QueueScene()
{
    RefPtr<CPRenderQueue> queue = GetRenderQueue();
    if (queue && planeObject && g_plane != 0.0f) queue->AddObjectGeometry(planeObject);
    // The level's own scene (its road) lies under everything placed on it.
    if (queue && levelScene) queue->AddObject(levelScene);
    if (trafficCount > 0 && startupTime >= kStartupSeconds && trafficRefreshTime > kTrafficRefreshSeconds) {
        trafficRefreshTime = 0.0f;
    }
    if (!queue || !camera) return;
    const CPPerspectiveCamera& view = *camera->GetFirstView();
    for (const RefPtr<CPGameObject>& opponent : opponents) {
        if (CPPlayer* racer = dynamic_cast<CPPlayer*>(opponent.Get())) racer->Draw(*queue, view);
    }
    CPPlayer* racer = dynamic_cast<CPPlayer*>(player.Get());
    if (racer && !demoMode) racer->Draw(*queue, view);
    if (g_quadlevels != 0) {
        if (quadTree) quadTree->Render(view);
    } else if (branchTree) {
        branchTree->Render(view);
    }
}

// Shown where the sun is on screen, above the horizon and ahead of the
// camera; the source follows the sun even while hidden.
void CPLevel::PlaceLensFlare()
{
    CPLensFlareInterface* flare = dynamic_cast<CPLensFlareInterface*>(lensFlare.Get());
    CPRender* render = GetRender();
    if (!flare || g_lensflare == 0 || !render || !camera) return;
    D3DXVECTOR3 screen;
    render->WorldToScreen(&screen, SunPosition);
    const bool onScreen = screen.x >= 0.0f && screen.x < static_cast<float>(g_screenWidth) && screen.y >= 0.0f &&
                          screen.y < static_cast<float>(g_screenHeight);
    if (onScreen && SunPosition.z > 0.0f) {
        const CPPerspectiveCamera& view = *camera->GetFirstView();
        const D3DXVECTOR3 toSun = SunPosition - view.GetEye();
        const D3DXVECTOR3 looking = view.GetTarget() - view.GetEye();
        flare->SetShining(D3DXVec3Dot(&toSun, &looking) >= 0.0f);
        flare->SetSourcePosition(static_cast<int>(screen.x), static_cast<int>(screen.y));
    } else {
        flare->SetShining(false);
    }
    flare->Update();
}

RefPtr<CPRenderQueue> CPLevel::GetRenderQueue()
{
    CPRender* render = GetRender();
    return render ? render->GetRenderQueue() : RefPtr<CPRenderQueue>();
}
