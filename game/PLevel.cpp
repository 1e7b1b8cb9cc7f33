#include "game/PLevel.h"

#include "Render/PParticleManager.h"
#include "Render/PRenderQueue.h"
#include "Render/PRender.h"
#include "core/PTaskManager.h"
#include "core/Settings.h"
#include "core/StringUtils.h"
#include "game/AIManager.h"
#include "game/LevelClock.h"
#include "game/PGameData.h"
#include "game/PPlayer.h"
#include "physics/PCar.h"
#include "physics/PCarWorld.h"

#include <algorithm>
#include <unordered_set>

CPLevel* CurrentLevel = nullptr;

CPLevel* GetLevel()
{
    return CurrentLevel;
}

namespace {

const char* const kDefaultCarModel = "zil_130_";
const float kDefaultExtent = 10.0f;
const float kDefaultCameraDistance = 7.0f;
const float kDefaultCameraHeight = 2.0f;
const float kDefaultFieldOfView = 50.0f;
const int kFixedViewMode = 2;
const int kSecondPresetMode = 1;
// The share of the sound volume the player's car plays at in each camera
// mode: the farther the camera, the quieter.
const float kCarVolumeShares[CPLevel::kCameraModes] = {0.3f, 0.35f, 0.4f};
// A route node farther than this (squared, on the ground) is no node's.
const float kNodeReachSquared = 100000.0f;

void StopAndRelease(std::vector<RefPtr<CPGameObject>>& objects)
{
    for (const RefPtr<CPGameObject>& object : objects) object->Stop();
    objects.clear();
}

} // namespace

CPLevel::CPLevel()
    : raceTime(0.0f), ghostSampleTime(0.0f), ghostIndex(0), trafficRefreshTime(0.0f),
      startupTime(0.0f), trafficCount(0), cameraMode(0), camera2Angle(0.0f), camera1Angle(0.0f),
      cameraAngle(0.0f), orbitDirection(1.0f), demoMode(true), carModel(kDefaultCarModel),
      lastClock(static_cast<float>(LevelClockMilliseconds())), levelFailedSent(false),
      sourcePoints(kSourcePointBuckets), light(), width(kDefaultExtent), depth(kDefaultExtent),
      levelTime(0.0f), cameraSpeed(0.0f), ambientColour(0),
      cameraDistance(kDefaultCameraDistance), cameraHeight(kDefaultCameraHeight),
      angleDivisor(0.0f), distanceDivisor(0.0f), gridColumns(0), gridRows(0), levelNumber(0),
      cameraCar(nullptr), playerShotRequest(false), heading(0.0f), forward(0.0f, 0.0f, 0.0f),
      cameraPreset(0), demoCameraTimer(0.0f), nearestLine(nullptr), scriptRouteLine(nullptr),
      allCarsDriven(true),
      racerNodes(kRacerSlots, 0), racerProgress(kRacerSlots, 0), raceTimerOn(false), lastNode(0),
      lapProgress(0), startNode(0), racerTrails(kRacerSlots), startLineDirection(0.0f, 0.0f, 0.0f),
      startPoint(0.0f, 0.0f, 0.0f), places{0, 0, 0}, placesDone(false), nitroCooldown(0.0f),
      timeMode(false), singleMode(false), demoPresetTime(0.0f), raceOver(false),
      routeHeading(0.0f), reversed(false), placeToFinish(0), checkpointTimer(0.0f),
      currentCheckpoint(-1), checkpointsPassed(0), fov1(kDefaultFieldOfView),
      fov2(kDefaultFieldOfView), shotsBlocked(false), stepAccumulator(0.0f), headingForced(false),
      forcedHeading(0.0f), extraYaw(0.0f)
{
    CurrentLevel = this;
    placedCursor = placedObjects.end();
    SetSunLightTarget(this);
}

// Destroying a level that has already been replaced as current must not
// take the newer level out of reach. A camera the level did not make
// outlives it, so it forgets the level. What still points at the level's
// objects lets go of them before they are deleted.
CPLevel::~CPLevel()
{
    StopUpdate();
    DetachFromEngine();
    if (CurrentLevel == this) CurrentLevel = nullptr;
    if (GetSunLightTarget() == this) SetSunLightTarget(nullptr);
    if (camera) camera->SetSubject(nullptr);
    ReleaseReferences();
    m_owned.DeleteAll();
}

// The game data outlives every level, and scripts may have put the level's
// objects on its bonus list. The particles may belong to the level's cars
// (a flame thrower's), the drivers drive its cars, the car world holds
// their bodies, and the frame's render queue holds what the level queued
// before a script deleted it: that frame is drawn without the level.
void CPLevel::DetachFromEngine()
{
    if (CPGameData* data = GetGameData()) {
        std::unordered_set<IPObject*> owned;
        m_owned.CollectAll(owned);
        data->LetGoOf(owned);
    }
    if (CPRender* render = GetRender()) {
        if (RefPtr<CPRenderQueue> queue = render->GetRenderQueue()) queue->ClearFrame();
    }
    CPCarWorld* world = GetCarWorld();
    if (world && world->GetRaceState() == this) {
        world->SetRaceState(nullptr);
        world->Reset();
    }
    if (CurrentLevel != this) return;
    if (AIManager* drivers = GetAIManager()) drivers->Reset();
    if (g_pParticleManager) g_pParticleManager->Clear();
}

void CPLevel::ReleaseReferences()
{
    for (const RefPtr<CPGameObject>& racer : opponents) {
        if (CPPlayer* car = dynamic_cast<CPPlayer*>(racer.Get())) car->hitTargets.clear();
    }
    if (CPPlayer* car = dynamic_cast<CPPlayer*>(player.Get())) car->hitTargets.clear();
    ghostCar = nullptr;
    dynamicObjects.clear();
    lensFlare = nullptr;
    ForgetRoute();
    placedObjects.clear();
    placedCursor = placedObjects.end();
    checkpointMarker = nullptr;
    updateTask = nullptr;
    levelScene = nullptr;
    cameraFollower = nullptr;
    roadPhysics = nullptr;
    planeObject = nullptr;
    branchTree = nullptr;
    quadTree.reset();
    levelObjects.clear();
    gridCells.clear();
    rayObjects.clear();
    camera = nullptr;
    player = nullptr;
    cameraCar = nullptr;
    opponents.clear();
    nitroZones.clear();
    checkpoints.clear();
    m_treeObjects.clear();
}

void CPLevel::StopUpdate()
{
    if (!updateTask) return;
    updateTask->Stop();
    if (g_pTaskManager) g_pTaskManager->RemoveTask(updateTask.Get());
}

const char* CPLevel::GetTypeName()
{
    return "CPLevel";
}

CPCar* CPLevel::GetCarPtr() const
{
    if (!player) return nullptr;
    return player->GetCar().Get();
}

void CPLevel::GetFollowInputs(FollowInputs& inputs)
{
    inputs.playerDirection = forward;
    inputs.headingForced = headingForced;
    inputs.forcedHeading = forcedHeading;
    float halfTurn = 0.0f;
    if (!headingForced && HalfTurnForced(halfTurn)) {
        inputs.headingForced = true;
        inputs.forcedHeading = halfTurn;
    }
    inputs.extraYaw = extraYaw;
    const CPCar* car = GetCarPtr();
    inputs.carSteering = car ? car->GetSteering() : 0.0f;
    inputs.carMotion = car ? car->GetMotion() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    inputs.carVelocity = car ? car->GetVelocity() : D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
}

// The fixed view keeps the first mode's placing and angle and only takes
// its own blur.
void CPLevel::SetCameraMode(int mode)
{
    cameraMode = mode;
    if (mode < 0 || mode >= kCameraModes) return;
    const bool fixedView = mode == kFixedViewMode;
    const bool second = mode == kSecondPresetMode;
    const CameraPreset& placing = cameraPresets[second ? kSecondPresetMode : 0];
    cameraDistance = placing.distance;
    cameraHeight = placing.height;
    angleDivisor = placing.angleDivisor;
    distanceDivisor = placing.distanceDivisor;
    cameraAngle = second ? camera2Angle : camera1Angle;
    // A camera without a field of view has no projection and shows nothing;
    // the fixed view keeps the one it has.
    if (camera && !fixedView) camera->SetFieldOfView(second ? fov2 : fov1);
    if (player && camera) FollowPlayer(cameraPresets[mode], fixedView);
    if (CPPlayer* racer = dynamic_cast<CPPlayer*>(player.Get())) {
        racer->SetCarSoundVolume(g_soundVolume * kCarVolumeShares[mode]);
    }
}

void CPLevel::FollowPlayer(const CameraPreset& preset, bool fixedView)
{
    cameraCar = player.Get();
    camera->SetThirdViewFlag(fixedView);
    if (CPRender* render = GetRender()) render->UpdateBlurDirections(preset.blur);
    if (!fixedView) camera->SetHeading(HeadingOf(*player));
}

void CPLevel::SubmitLight()
{
    if (CPRender* render = GetRender()) render->AddLight(light);
}

void CPLevel::BuildRoute()
{
    lapProgress = 0;
    route.clear();
    CPLine* first = routeSpline ? routeSpline->GetFirstLine() : nullptr;
    for (CPLine* piece = first; piece;) {
        route.push_back(piece);
        piece = reversed ? piece->next : piece->previous;
        if (piece == first) break;
    }
    lastNode = cameraCar ? FindNearestNode(*cameraCar->GetPositionRef()) : -1;
    startNode = FindNearestNode(startPoint);
    racerNodes.resize(std::max(racerNodes.size(), static_cast<size_t>(kRacerSlots)), 0);
    racerProgress.resize(std::max(racerProgress.size(), static_cast<size_t>(kRacerSlots)), 0);
    // Each car's first path of the race starts where it stands.
    cameraCarTrail = CarTrail();
    checkpointTrail = CarTrail();
    racerTrails.assign(std::max(racerTrails.size(), static_cast<size_t>(kRacerSlots)), CarTrail());
    size_t slot = 0;
    for (size_t i = 0; i < opponents.size() && slot < static_cast<size_t>(kRacersOnRoute); ++i) {
        if (HasSideFlag(*opponents[i], CPPlayer::kTraffic)) continue;
        racerNodes[slot++] = FindNearestNode(*opponents[i]->GetPositionRef());
    }
}

int CPLevel::FindNearestNode(const D3DXVECTOR3& point) const
{
    int nearest = -1;
    float best = kNodeReachSquared;
    for (size_t node = 0; node < route.size(); ++node) {
        const float dx = route[node]->centre.x - point.x;
        const float dy = route[node]->centre.y - point.y;
        const float distance = dx * dx + dy * dy;
        if (distance <= best) {
            best = distance;
            nearest = static_cast<int>(node);
        }
    }
    return nearest;
}

// The route's splines and line pieces, as a stop and a deletion drop them.
void CPLevel::ForgetRoute()
{
    routeSpline = nullptr;
    leftSpline = nullptr;
    rightSpline = nullptr;
    nearestLine = nullptr;
    scriptRouteLine = nullptr;
    route.clear();
}

void CPLevel::Stop()
{
    m_stopped = true;
    allCarsDriven = false;
    StopUpdate();
    ForgetRoute();
    racerNodes.clear();
    racerProgress.clear();
    raceTimerOn = false;
    StopAndRelease(dynamicObjects);
    StopAndRelease(opponents);
    if (player) player->Stop();
    if (AIManager* drivers = GetAIManager()) drivers->Reset();
    if (CPCarWorld* world = GetCarWorld()) world->Reset();
    if (branchTree) branchTree->StopObjects();
    branchTree = nullptr;
    ghostCar = nullptr;
    checkpointMarker = nullptr;
    shotsBlocked = true;
    gridCells.clear();
    gridCounts.clear();
    if (CPGameData* data = GetGameData()) data->levelStarted = false;
}

namespace {

D3DXVECTOR3 WorldAxisOf(CPGameObject& object, const D3DXVECTOR3& localAxis)
{
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, object.GetRotationRef());
    D3DXVECTOR3 axis;
    D3DXVec3TransformNormal(&axis, &localAxis, &rotation);
    return axis;
}

} // namespace

D3DXVECTOR3 ForwardAxisOf(CPGameObject& car)
{
    return WorldAxisOf(car, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
}

D3DXVECTOR3 UpAxisOf(CPGameObject& car)
{
    return WorldAxisOf(car, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
}

float HeadingOf(CPGameObject& object)
{
    const D3DXVECTOR3 axis = ForwardAxisOf(object);
    const float angle = ClampedAcos(axis.x);
    return axis.y < 0.0f ? -angle : angle;
}

D3DXVECTOR3 LerpVector3(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float t)
{
    return a + (b - a) * t;
}

void CPLevel::SubmitSunLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& colour)
{
    light.Direction = direction;
    light.Diffuse = colour;
    light.Specular = colour;
    SubmitLight();
}
