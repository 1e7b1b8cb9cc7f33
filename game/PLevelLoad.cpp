#include "game/PLevel.h"

#include "Render/PIVertexBuffer.h"
#include "Render/PMaterial.h"
#include "Render/PObjectLoader.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "core/AnimationRequest.h"
#include "core/PDataFile.h"
#include "core/Settings.h"
#include "core/ShadowMatrix.h"
#include "core/StringUtils.h"
#include "core/ProblemLog.h"
#include "game/AIManager.h"
#include "game/GameLog.h"
#include "game/LevelClock.h"
#include "game/LevelFile.h"
#include "game/PGameData.h"
#include "game/PLevelBranch.h"
#include "game/PPlayer.h"
#include "physics/PPhysicData.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kLevelFolder = "Data\\Levels\\";
const char* const kLevelExtension = ".lvl";
const char* const kDescriptionExtension = ".rdf";
const char* const kOpponentSuffix = "_enemy.rdf";
const char* const kGhostSuffix = "_.rdf";
const int kLevelCount = 10;
const float kLevelExtent = 3000.0f;
const float kGridCellsPerUnit = 0.1f;
const int kObjectFlags = 20;
const int kSceneFlags = 0;
const int kTerrainFlags = 17;
const int kRoadFlags = 19;
const int kStartPriority = 200;
const int kMaxTrafficStates = 100;
const float kRacerLift = 2.0f;
const float kCameraTargetDistance = 7.0f;
const float kDegreesToRadians = 0.017453292f;
const float kUnturnedCameraAngle = -1.5707964f;
const float kLightRange = 10000.0f;
// 255 of 256: the light's colour as the sky's byte colours give it.
const float kLightLevel = 0.99609375f;
const D3DCOLOR kAmbientColour = 0xFF7F7F7F;
const float kAmbientLevel = 0.5f;
const float kShadowPlaneHeight = 0.5f;
const float kRandomMax = 32767.0f;
const float kIdleSpeedLow = 0.8f;
const float kIdleSpeedRange = 0.4f;
const uint8_t kFullBlurBlend = 255;
const int kSimulatorPoolSize = 500;
const float kSimulatorExtent = 100.0f;
const float kTreeHalfHeight = 100.0f;

// The ground: one quad over the whole level, just below the road.
const float kGroundHeight = -0.6f;
const float kDetailRepeat = 0.2f;
const int kTerrainMaterialType = 17;
const char* const kTerrainEffect = "terrain2.fx";
const uint16_t kGroundIndices[] = {0, 1, 2, 0, 2, 3};

const char* const kStartLeft = "stolb_start_left.rdf";
const char* const kStartRight = "stolb_start_right.rdf";
const char* const kNitroZones[] = {"arrow_blue.rdf", "arrow_blue_b.rdf"};
const char* const kCheckpoints[] = {"checkpoint.rdf", "checkpoint_a.rdf"};

struct OpponentModel {
    const char* levels[2];
    const char* model;
};
const OpponentModel kOpponentModels[] = {
    {{"level1", "level10"}, "tvr"},   {{"level2", "level9"}, "viper"},  {{"level3", "level5"}, "subaru"},
    {{"level4", "level6"}, "celica"}, {{"level7", "level8"}, "lister"},
};

// Descriptions whose lights or halos the player's car shows only when asked.
struct HiddenChild {
    const char* model;
    const char* child;
};
const HiddenChild kHiddenChildren[] = {{"uaz", "light"}, {"volswagen_toureg", "halo"},
                                       {"volswagen_toureg", "halo_blend"}};

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string WithoutTrailingDigits(const std::string& name)
{
    size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9') --end;
    return name.substr(0, end);
}

template <size_t N>
bool IsOneOf(const std::string& name, const char* const (&names)[N])
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

int LevelNumberOf(const std::string& name)
{
    for (int number = 1; number <= kLevelCount; ++number) {
        if (name == "level" + std::to_string(number)) return number;
    }
    return 0;
}

std::string OpponentModelOf(const std::string& levelName)
{
    for (const OpponentModel& entry : kOpponentModels) {
        if (levelName == entry.levels[0] || levelName == entry.levels[1]) return entry.model;
    }
    return std::string();
}

void ReportProblem(const std::string& line)
{
    GetGameLog().Report("%s", line.c_str());
}

std::string LevelPath(const std::string& name)
{
    return kLevelFolder + name + kLevelExtension;
}

// A record whose file could lie outside the game's folders is left out.
bool IsRecordFileInsideFolder(const std::string& levelPath, const LevelObjectRecord& record,
                              const std::string& fileName)
{
    if (IsNameInsideFolder(fileName)) return true;
    ReportProblem(levelPath + ": object record \"" + record.name +
                  "\" names a file outside the game's folders; left out");
    return false;
}

// A checkpoint's seconds as read, before they become a float: an infinite
// allowance would never run out, a negative one would lose the race on
// reaching the checkpoint, and one beyond the float range has no float.
bool IsAllowance(double seconds)
{
    return std::isfinite(seconds) && seconds >= 0.0 && seconds <= FLT_MAX;
}

float RandomFraction()
{
    return static_cast<float>(rand()) / kRandomMax;
}

// A car's body dents: it leaves the shared static geometry and gets its
// damage zones.
void MakeDeformable(CPGameObject& car)
{
    if (CPRenderObject* body = car.GetRenderObject()) {
        body->SetStatic(false);
        body->BuildDamageZones();
    }
}

void ReadAttribute(TiXmlElement* element, const char* name, float& value)
{
    double read;
    if (element && element->QueryDoubleAttribute(name, &read) == TIXML_SUCCESS) value = static_cast<float>(read);
}

TiXmlElement* RootOf(CPGameObject& object)
{
    return object.GetDescriptionDocument().RootElement();
}

TiXmlElement* ChildElement(TiXmlElement* root, const char* name)
{
    return root ? root->FirstChildElement(name) : nullptr;
}

Vertex48 GroundVertex(float x, float y, const D3DXVECTOR2& tex0, const D3DXVECTOR2& tex1)
{
    Vertex48 vertex = {};
    vertex.position = D3DXVECTOR3(x, y, kGroundHeight);
    vertex.normal = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    vertex.diffuse = 0xFFFFFFFF;
    vertex.specular = 0;
    vertex.tex0 = tex0;
    vertex.tex1 = tex1;
    return vertex;
}

void ReplaceWithGroundQuad(CPRenderObject& mesh, float width, float depth)
{
    const float w = width * 0.5f, d = depth * 0.5f;
    const float u = kDetailRepeat * width, v = kDetailRepeat * depth;
    const std::vector<Vertex48> quad = {
        GroundVertex(-w, -d, D3DXVECTOR2(0, 0), D3DXVECTOR2(0, 0)),
        GroundVertex(w, -d, D3DXVECTOR2(1, 0), D3DXVECTOR2(u, 0)),
        GroundVertex(w, d, D3DXVECTOR2(1, 1), D3DXVECTOR2(u, v)),
        GroundVertex(-w, d, D3DXVECTOR2(0, 1), D3DXVECTOR2(0, v)),
    };
    mesh.GetLocalVertices() = quad;
    mesh.GetWorldVertices() = quad;
    mesh.GetIndices().assign(std::begin(kGroundIndices), std::end(kGroundIndices));
    // The device buffers the loader shared under the mesh file's name hold
    // the file's small patch; the quad is drawn from its own vertices.
    mesh.SetStaticBuffers(nullptr);
    mesh.SetStatic(false);
}

} // namespace

bool CPLevel::IsLevelStarted()
{
    CPGameData* data = GetGameData();
    return data && data->levelStarted;
}

// Names come from level files, saves and scripts: a description that could
// lie outside the game's folders is not loaded.
RefPtr<CPGameObject> CPLevel::LoadOwned(const std::string& name, int flags)
{
    if (!IsNameInsideFolder(name)) {
        ReportProblem(name + ": names a file outside the game's folders; not loaded");
        return nullptr;
    }
    RefPtr<CPGameObject> object = g_pObjectLoader ? g_pObjectLoader->LoadObject(name, flags) : nullptr;
    Own(object.Get());
    return object;
}

bool CPLevel::Load(const std::string& name, bool single, bool time)
{
    ResetForLoad(single, time);
    PrepareDrivers();
    srand(LevelClockMilliseconds());
    levelNumber = LevelNumberOf(name);
    LoadGhostCar();
    if (CPRender* render = GetRender()) render->SetSky(levelNumber);
    demoMode = g_rolling != 0;
    srand(LevelClockMilliseconds());
    levelFailedSent = false;

    LevelDescription description;
    const bool read = ReadDescription(name, description);
    for (const RefPtr<CPSpline>& spline : description.splines) Own(spline.Get());
    if (!read) {
        FinishLoad();
        return false;
    }
    sourcePoints.clear();
    camera = new CPCamera;
    Own(camera.Get());
    camera->SetTargetDistance(kCameraTargetDistance);
    camera->SetSubject(this);
    if (CPCarWorld* world = GetCarWorld()) world->SetRaceState(this);
    SetUpLight();
    MakeGrid();
    playerStartPosition = D3DXVECTOR3(100.0f, 100.0f, 1.0f);
    playerStartRotation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    for (const LevelObjectRecord& record : description.objects) HandleRecord(record, LevelPath(name));
    TakeSplines(description);

    BuildScene(name);
    BuildOpponents(name);
    BuildPlayer();
    FinishLoad();
    if (!player) return false;
    FinishBuild();
    return true;
}

void CPLevel::ResetForLoad(bool single, bool time)
{
    raceTime = 0.0f;
    ghostSampleTime = 0.0f;
    ghostIndex = 0;
    timeMode = time;
    singleMode = single;
    if (CPGameData* data = GetGameData()) trafficCount = data->trafficCount;
    if (trafficCount > kMaxTrafficStates) {
        ReportProblem("traffic count " + std::to_string(trafficCount) + " is more than " +
                      std::to_string(kMaxTrafficStates) + "; " + std::to_string(kMaxTrafficStates) + " cars are made");
        trafficCount = kMaxTrafficStates;
    }
}

// Five opponent states, then one per traffic car; a negative count makes no
// traffic states.
void CPLevel::PrepareDrivers()
{
    AIManager* drivers = GetAIManager();
    if (!drivers) return;
    const int trafficStates = std::max(trafficCount, 0);
    drivers->vehicleCount = trafficStates;
    if (trafficStates == 0) drivers->enabled = false;
    drivers->Reset();
    for (int i = 0; i < AIManager::kOpponentSlots; ++i) drivers->opponents.push_back(new AI_Vehicle);
    for (int i = 0; i < trafficStates; ++i) drivers->traffic.push_back(new AI_Vehicle);
}

void CPLevel::LoadGhostCar()
{
    if (!timeMode) return;
    CPGameData* data = GetGameData();
    BestTimeRecord* best = data ? data->GetBestTime(levelNumber) : nullptr;
    if (best && !best->carModel.empty()) ghostCar = LoadOwned(best->carModel + kGhostSuffix, kObjectFlags);
}

bool CPLevel::ReadDescription(const std::string& name, LevelDescription& description)
{
    const std::string path = LevelPath(name);
    CPDataFile file(path, false);
    if (FAILED(file.Load())) {
        ReportProblem(path + ": the file does not open");
        return false;
    }
    std::string error;
    if (ReadLevelFile(file, path, description, error)) return true;
    ReportProblem(error);
    return false;
}

void CPLevel::SetUpLight()
{
    light = D3DLIGHT9();
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Range = kLightRange;
    light.Direction = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
    const D3DCOLORVALUE colour = {kLightLevel, kLightLevel, kLightLevel, 0.0f};
    light.Diffuse = colour;
    light.Specular = colour;
    ambientColour = kAmbientColour;
    CPRender* render = GetRender();
    if (render && render->GetDevice()) {
        render->SetAmbient(kAmbientColour, kAmbientLevel, kAmbientLevel, kAmbientLevel);
        render->SetDefaultStates();
    }
    const D3DXVECTOR4 towardsLight(light.Direction.x, light.Direction.y, light.Direction.z, 0.0f);
    const D3DXPLANE ground(0.0f, 0.0f, -1.0f, kShadowPlaneHeight);
    D3DXMatrixShadow(&g_shadowMatrix, &towardsLight, &ground);
}

void CPLevel::MakeGrid()
{
    width = kLevelExtent;
    depth = kLevelExtent;
    gridColumns = static_cast<int>(width * kGridCellsPerUnit);
    gridRows = static_cast<int>(depth * kGridCellsPerUnit);
    gridCells.assign(static_cast<size_t>(gridColumns) * gridRows, std::list<RefPtr<CPGameObject>>());
    gridCounts.assign(static_cast<size_t>(gridColumns) * gridRows, 0);
}

// The record's name without its trailing digits says what it is; the first
// test that applies decides.
void CPLevel::HandleRecord(const LevelObjectRecord& record, const std::string& levelPath)
{
    std::string baseName = WithoutTrailingDigits(record.name);
    if (baseName == "player") {
        playerStartPosition = record.position;
        playerStartRotation = record.rotation;
        return;
    }
    if (StartsWith(baseName, "enemy")) {
        if (!timeMode) opponentStarts.push_back(OpponentStart{record.position, record.rotation});
        return;
    }
    float allowance = 0.0f;
    if (StartsWith(baseName, "che")) {
        if (singleMode) return;
        const size_t comma = record.name.find(',');
        baseName = WithoutTrailingDigits(record.name.substr(0, comma));
        const double seconds = comma == std::string::npos ? 0.0 : std::atof(record.name.c_str() + comma + 1);
        if (!IsAllowance(seconds)) {
            ReportProblem(levelPath + ": object record \"" + record.name +
                          "\" gives an allowance that is not a finite number of 0 or more; left out");
            return;
        }
        allowance = static_cast<float>(seconds);
    }
    if (StartsWith(baseName, "chk")) {
        if (IsRecordFileInsideFolder(levelPath, record, PlacedFileBase(baseName))) {
            PlaceObject(baseName, record.position, record.rotation);
        }
        return;
    }
    if (StartsWith(baseName, "src")) {
        sourcePoints[baseName.size() > 4 ? baseName.substr(4) : std::string()] = record.position;
        return;
    }
    const std::string fileName = baseName + kDescriptionExtension;
    if (IsRecordFileInsideFolder(levelPath, record, fileName)) HandleSceneRecord(fileName, record, allowance);
}

void CPLevel::HandleSceneRecord(const std::string& fileName, const LevelObjectRecord& record, float allowance)
{
    if (fileName == kStartLeft) {
        leftPost = record.position;
        return;
    }
    if (fileName == kStartRight) {
        rightPost = record.position;
        return;
    }
    RefPtr<CPGameObject> object = LoadOwned(fileName, kObjectFlags);
    if (object) PlaceSceneObject(object, fileName, record, allowance);
}

void CPLevel::PlaceSceneObject(RefPtr<CPGameObject> object, const std::string& fileName,
                               const LevelObjectRecord& record, float allowance)
{
    SetObjectShadowFlag(object.Get(), false);
    if (!object->GetPhysicData()) {
        D3DXMATRIX scale;
        D3DXMatrixScaling(&scale, record.scale.x, record.scale.y, record.scale.z);
        TransformObjectTree(*object, scale);
    }
    object->SetPosition(record.position.x, record.position.y, record.position.z);
    object->SetRotation(-record.rotation.x, -record.rotation.y, -record.rotation.z, record.rotation.w);
    object->UpdateTransform();
    SetObjectTreeFlag(object.Get(), true);
    if (object->GetKind() == CPGameObject::kKindAnimated) {
        AnimationRequest idle;
        idle.name = "idle";
        idle.timeOffset = RandomFraction();
        idle.speed = kIdleSpeedLow + kIdleSpeedRange * RandomFraction();
        object->PlayAnimation(idle, false);
    }
    object->Start(kStartPriority);
    object->SetCollision(true);
    levelObjects.push_back(object);
    m_treeObjects.push_back(object);
    if (IsOneOf(fileName, kNitroZones)) nitroZones.push_back(object);
    if (IsOneOf(fileName, kCheckpoints)) {
        CheckpointEntry entry;
        entry.checkpoint = object;
        entry.timeAllowance = allowance;
        checkpoints.push_back(entry);
    }
    checkpointTimer = 0.0f;
    currentCheckpoint = -1;
    checkpointsPassed = 0;
}

void CPLevel::TakeSplines(const LevelDescription& description)
{
    for (const RefPtr<CPSpline>& spline : description.splines) {
        const std::string& splineName = spline->GetSplineName();
        if (splineName == "c_path") routeSpline = spline;
        if (splineName == "left") leftSpline = spline;
        if (splineName == "right") rightSpline = spline;
    }
}

void CPLevel::BuildScene(const std::string& name)
{
    levelScene = LoadOwned(name + kDescriptionExtension, kSceneFlags);
    if (g_quadlevels != 0) {
        quadTree.reset(new CPQuadTreeNode);
    } else {
        branchTree = new CPLevelBranch;
        Own(branchTree.Get());
    }
    // Making the simulator resets a world that still has one, which would
    // throw away the ground and road tables built just before it.
    CPCarWorld* world = GetCarWorld();
    if (world && world->GetSimulator()) world->Reset();
    if (g_plane != 0.0f) BuildGround(name);
    BuildRoadPhysics();
    if (world) {
        const D3DXVECTOR3 extent(kSimulatorExtent, kSimulatorExtent, kSimulatorExtent);
        world->CreateSimulator(D3DXVECTOR3(0.0f, 0.0f, 0.0f), extent, kSimulatorPoolSize, kSimulatorPoolSize,
                               kSimulatorPoolSize);
    }
    CPRender* render = GetRender();
    RefPtr<CPIVertexBuffer> batch = (g_static != 0 && render) ? render->GetStaticBatch() : nullptr;
    const bool batchOpen = batch && batch->Lock(0, 0, true, -1);
    BuildSpatialTree();
    if (batchOpen) batch->Unlock(true);
    CPGameData* data = GetGameData();
    if (data && !data->carKey.empty()) SetCarModel(data->carKey);
}

void CPLevel::BuildGround(const std::string& name)
{
    planeObject = LoadOwned("land.rdf", kTerrainFlags);
    CPRenderObject* mesh = planeObject ? planeObject->GetRenderObject() : nullptr;
    if (!mesh) return;
    if (CPMaterialManager* materials = GetMaterialManager()) {
        RefPtr<CPMaterial> material;
        materials->CreateMaterial(material, kTerrainMaterialType, kTerrainEffect,
                                  {name + "\\color.dds", name + "\\detail1.dds"});
        mesh->SetMaterial(material);
    }
    planeObject->SetPhysicData(nullptr);
    planeObject->SetVisible(true);
    SetObjectTreeFlag(planeObject.Get(), true);
    ReplaceWithGroundQuad(*mesh, width, depth);
    if (CPCarWorld* world = GetCarWorld()) world->AddRoadMesh(mesh);
}

void CPLevel::BuildRoadPhysics()
{
    char fileName[32];
    std::snprintf(fileName, sizeof(fileName), "road_phys%d.rdf", levelNumber);
    roadPhysics = LoadOwned(fileName, kRoadFlags);
    if (!roadPhysics) return;
    SetObjectShadowFlag(roadPhysics.Get(), false);
    if (!roadPhysics->GetPhysicData()) {
        roadPhysics->SetPosition(0.0f, 0.0f, 0.0f);
        roadPhysics->SetRotation(0.0f, 0.0f, 0.0f, 1.0f);
        roadPhysics->UpdateTransform();
        roadPhysics->SetVisible(true);
        SetObjectTreeFlag(roadPhysics.Get(), true);
    }
    if (CPCarWorld* world = GetCarWorld()) world->BuildRoadTables(roadPhysics->GetRenderObject());
}

void CPLevel::BuildSpatialTree()
{
    if (quadTree) {
        const float half = 0.5f * std::max(width, depth);
        quadTree->SetBounds(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(half, half, kTreeHalfHeight));
        quadTree->Build(m_treeObjects, 0);
        return;
    }
    branchTree->SetObjects(m_treeObjects);
    branchTree->Build();
    camera->SetTrackedTree(branchTree.Get());
}

RefPtr<CPGameObject> CPLevel::MakeRacer(RefPtr<CPGameObject> description, const std::string& model,
                                       const D3DXVECTOR3& position, const D3DXQUATERNION& rotation)
{
    RefPtr<CPPlayer> racer(new CPPlayer);
    Own(racer.Get());
    racer->CopyFrom(description);
    racer->carModel = model;
    racer->SetPosition(position.x, position.y, position.z + kRacerLift);
    racer->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    racer->UpdateTransform();
    return racer.Get();
}

void CPLevel::BuildOpponents(const std::string& name)
{
    const std::string model = OpponentModelOf(name);
    CPCarWorld* world = GetCarWorld();
    for (size_t slot = 0; slot < opponentStarts.size(); ++slot) {
        const std::string racerName = model + std::to_string(slot + 1);
        RefPtr<CPGameObject> description = LoadOwned(racerName + kOpponentSuffix, kObjectFlags);
        if (!description) {
            ReportProblem(racerName + kOpponentSuffix + ": no object; the opponent is left out");
            continue;
        }
        opponentModels.push_back(racerName);
        const OpponentStart& start = opponentStarts[slot];
        RefPtr<CPGameObject> racer = MakeRacer(description, racerName, start.position, start.rotation);
        racer->Start(kStartPriority);
        if (world) {
            world->RegisterCar(racer.Get());
            world->AddObject(racer, 1, 1);
            world->CreateCar(racer, false);
        }
        MakeDeformable(*racer);
        CPPlayer& player = static_cast<CPPlayer&>(*racer);
        player.SetupShadow();
        opponents.push_back(racer);
        TiXmlElement* camera = ChildElement(RootOf(*racer), "camera");
        ReadAttribute(camera, "distance", cameraPresets[1].distance);
        ReadAttribute(camera, "height", cameraPresets[1].height);
        ReadAttribute(camera, "angle", camera2Angle);
        float limit = static_cast<float>(player.cameraMin);
        ReadAttribute(camera, "min", limit);
        player.cameraMin = static_cast<int32_t>(limit);
        limit = static_cast<float>(player.cameraMax);
        ReadAttribute(camera, "max", limit);
        player.cameraMax = static_cast<int32_t>(limit);
        GiveDriverPaths(opponents.size() - 1);
    }
}

// The computer driver of the car at this index of opponents follows the
// route and keeps between the side lines.
void CPLevel::GiveDriverPaths(size_t index)
{
    AIManager* drivers = GetAIManager();
    if (!drivers) return;
    const int driver = static_cast<int>(index);
    if (routeSpline) drivers->SetVehiclePath(driver, 0, routeSpline);
    if (leftSpline) drivers->SetVehiclePath(driver, 2, leftSpline);
    if (rightSpline) drivers->SetVehiclePath(driver, 1, rightSpline);
}

void CPLevel::BuildPlayer()
{
    ghostCarModel = carModel;
    const std::string fileName = carModel + (demoMode ? kOpponentSuffix : kDescriptionExtension);
    RefPtr<CPGameObject> description = LoadOwned(fileName, kObjectFlags);
    if (!description) {
        ReportProblem(fileName + ": the player's car gives no object");
        return;
    }
    for (const HiddenChild& hidden : kHiddenChildren) {
        if (carModel != hidden.model) continue;
        if (RefPtr<CPGameObject> child = description->FindChild(hidden.child)) child->SetVisible(false);
    }
    player = MakeRacer(description, carModel, playerStartPosition, playerStartRotation);
    player->Start(kStartPriority);
    MakeDeformable(*player);
    // The demo drives the player's car like the others.
    if (demoMode) {
        opponentModels.push_back(carModel);
        opponents.push_back(player);
        GiveDriverPaths(opponents.size() - 1);
    }
    camera->SetAngle(kUnturnedCameraAngle);
    ApplyPlayerCamera(RootOf(*player));
    camera->SetHeading(HeadingOf(*player));
    if (CPCarWorld* world = GetCarWorld()) {
        world->RegisterCar(player.Get());
        world->AddObject(player, 1, 1);
        world->CreateCar(player, true);
    }
    SetCameraMode(0);
    camera->SetTargetDistance(cameraDistance);
    static_cast<CPPlayer&>(*player).SetupShadow();
}

// Each present attribute of the player car's camera elements sets its
// value; the angles also turn the camera.
void CPLevel::ApplyPlayerCamera(TiXmlElement* root)
{
    struct Value {
        const char* element;
        const char* attribute;
        float* target;
    };
    const Value values[] = {
        {"camera", "distance", &cameraPresets[0].distance},
        {"camera", "height", &cameraPresets[0].height},
        {"camera", "angle_div", &cameraPresets[0].angleDivisor},
        {"camera", "distance_div", &cameraPresets[0].distanceDivisor},
        {"camera", "blur", &cameraPresets[0].blur},
        {"camera", "fov", &fov1},
        {"camera2", "distance", &cameraPresets[1].distance},
        {"camera2", "height", &cameraPresets[1].height},
        {"camera2", "angle_div", &cameraPresets[1].angleDivisor},
        {"camera2", "distance_div", &cameraPresets[1].distanceDivisor},
        {"camera2", "blur", &cameraPresets[1].blur},
        {"camera2", "fov", &fov2},
        {"camera3", "distance", &cameraPresets[2].distance},
        {"camera3", "height", &cameraPresets[2].height},
        {"camera3", "blur", &cameraPresets[2].blur},
    };
    for (const Value& value : values) ReadAttribute(ChildElement(root, value.element), value.attribute, *value.target);
    struct Angle {
        const char* element;
        float* degrees;
    };
    for (const Angle& angle : {Angle{"camera", &camera1Angle}, Angle{"camera2", &camera2Angle}}) {
        TiXmlElement* element = ChildElement(root, angle.element);
        if (!element || !element->Attribute("angle")) continue;
        ReadAttribute(element, "angle", *angle.degrees);
        camera->SetAngle(*angle.degrees * kDegreesToRadians);
    }
}

// What every load ends with, whether the file was read or not.
void CPLevel::FinishLoad()
{
    if (CPGameData* data = GetGameData()) data->ResetRoundTimes();
    if (CPRender* render = GetRender()) {
        render->SetMotionBlur(0.0f);
        render->SetBlurBlend(kFullBlurBlend);
    }
}

// The rest needs the player, the splines and the road tables.
void CPLevel::FinishBuild()
{
    cameraCar = player.Get();
    CPPlayer& racer = static_cast<CPPlayer&>(*player);
    if (CPGameData* data = GetGameData()) racer.sideFlags = static_cast<uint32_t>(data->playerType);
    nearestLine = routeSpline ? routeSpline->GetFirstLine() : nullptr;
    startLineDirection = leftPost - rightPost;
    startPoint = (leftPost + rightPost) * 0.5f;
    for (CPSpline* spline : {routeSpline.Get(), leftSpline.Get(), rightSpline.Get()}) {
        if (spline) spline->DropToGround();
    }
    if (routeSpline) {
        racer.routeLine = routeSpline->GetFirstLine();
        racer.routeAware = true;
    }
}
