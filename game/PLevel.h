#pragma once

#include "DynamicSky/SkyLighting.h"
#include "Render/PCamera.h"
#include "Render/PQuadTreeNode.h"
#include "core/PGameObject.h"
#include "core/OwnedObjects.h"
#include "core/PObject.h"
#include "core/PProcess.h"
#include "game/GameDataRecords.h"
#include "game/PLevelBranch.h"
#include "game/PSpline.h"
#include "physics/PCarWorld.h"

#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CPCar;
class CPGameData;
class CPRenderQueue;
struct LevelDescription;
struct LevelObjectRecord;
struct RayQuery;

// A checkpoint of the level and the seconds it gives to reach it.
struct CheckpointEntry {
    CheckpointEntry() : timeAllowance(0.0f) {}

    RefPtr<CPGameObject> checkpoint;
    float timeAllowance;
};

// Where a car stood when the race last looked at it: the path it drove in
// a frame runs from there to where it stands. A car the trail has not seen
// yet, or one that took another's place, starts where it stands.
struct CarTrail {
    CarTrail() : car(nullptr), position(0.0f, 0.0f, 0.0f) {}

    D3DXVECTOR3 From(CPGameObject& racer) const;
    void Follow(CPGameObject& racer);

    const CPGameObject* car;
    D3DXVECTOR3 position;
};

// How the follow camera sits behind the car in one camera mode. The third
// mode uses the distance, height and blur only.
struct CameraPreset {
    CameraPreset() : distance(0.0f), height(0.0f), blur(0.0f), angleDivisor(0.0f), distanceDivisor(0.0f) {}

    float distance;
    float height;
    // Where the screen blur centres (see CPRender::UpdateBlurDirections).
    float blur;
    float angleDivisor;
    float distanceDivisor;
};

// The race level: everything one race needs. There is one current level at
// a time; a level makes itself current when it is built and stops being
// current when it is destroyed. It is not a counted engine object: whoever
// holds the current level deletes it. The level owns what its load and its
// start built (cars and their parts, the scene, ground, road, camera,
// splines, spatial tree, placed objects, checkpoints, zones, its update)
// and deletes all of it when it is deleted. The race rules and the scripts read
// and write its fields directly. It is what its follow camera follows, and
// while current it takes the sky's sun as its directional light. From its
// load until it is destroyed it tells the car world whether the race runs
// and which car the player drives.
//
// Objects of kinds that are built on the engine's base classes elsewhere
// (players, the lens flare) are held through those bases.
class CPLevel : public IPCameraSubject, public IPSunLightTarget, public IPRaceState {
public:
    static const int kCameraModes = 3;
    static const int kRacerSlots = 20;
    static const int kPlaces = 3;
    // The computer cars whose laps the race follows: the first ones of the
    // opponents.
    static const int kRacersOnRoute = 5;
    // The racer id of the followed car in places.
    static const int kCameraCarRacer = 10;
    static const size_t kSourcePointBuckets = 100;

    CPLevel();
    virtual ~CPLevel();
    CPLevel(const CPLevel&) = delete;
    CPLevel& operator=(const CPLevel&) = delete;

    virtual const char* GetTypeName();

    // The player's direction and car, and the level's heading overrides;
    // without a car its values are zero.
    void GetFollowInputs(FollowInputs& inputs) override;
    // The player object's car, or null.
    CPCar* GetCarPtr() const;

    // Modes 0 to 2 put the camera behind the player with the mode's preset:
    // distance, height, divisors, angle, blur centre and heading; mode 2 is
    // the view fixed to the car. Without a player or a camera only the mode
    // and the preset's values are stored; any other mode only stores itself.
    void SetCameraMode(int mode);
    void SetCarModel(const std::string& model) { carModel = model; }

    // Counted references for the caller: null when the level has none.
    RefPtr<CPCamera> GetCamera() const { return camera; }
    RefPtr<CPSpline> GetRoadLine() const { return routeSpline; }
    RefPtr<CPSpline> GetLeftSpline() const { return leftSpline; }
    RefPtr<CPSpline> GetRightSpline() const { return rightSpline; }

    // The route: the route spline's ring from its first piece along the
    // previous links (the next links when reversed), the route nodes
    // nearest to the followed car and to the start point, and the nearest
    // node of each of the first opponents that are not traffic cars.
    void BuildRoute();
    // The index of the route node whose centre is nearest to the point on
    // the ground, the highest of equally near ones; -1 when the route is
    // empty or no node is within reach.
    int FindNearestNode(const D3DXVECTOR3& point) const;

    // Laps and race clocks, every frame.
    //
    // Follows the followed car and the first computer cars along the route,
    // counts their laps, sends the lap messages and hands out the places
    // first come, first served: the followed car before the computer cars,
    // these in opponents order. A racer found at no route node is left as
    // it was for the frame.
    void UpdateLaps();
    // UpdateLaps, then, while the race timer runs, adds the seconds to the
    // running lap's time and the race clock and takes them off every
    // computer racer's time slot of its lap.
    void UpdateRaceClocks(float seconds);

private:
    static bool HasSideFlag(const CPGameObject& car, uint32_t flag);
    void FollowCameraCarLap(CPGameData& data);
    void CompleteCameraCarLap(CPGameData& data);
    void FollowRacerLap(CPGameData& data, int racer, size_t slot);
    void CompleteRacerLap(CPGameData& data, int racer);
    // The signed count of route nodes from one node to another: a step of
    // more than half the route runs round the end of the numbering instead
    // (where a lap counts the route's nodes less one), one of exactly half
    // counts none.
    int RouteStep(int from, int to) const;
    // More than half a lap's progress, or the route's nodes less the margin
    // where that asks for more.
    int LapMinimum(int margin) const;
    // The distance of the point from the start line.
    float DistanceFromStartLine(const D3DXVECTOR3& point) const;
    // Whether the path passes the start: its point nearest to the start
    // line is at the start node and within reach of the line.
    bool PathReachesStart(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float reach) const;
    // Gives the racer the first free place unless it holds one already.
    void TakePlace(int racer);

public:
    // The level's start: resets places, steps and the frame time, lists the
    // car world, the level's update and the computer drivers as tasks,
    // hands the camera's views and the shadow matrices to the renderer,
    // starts the player and the scene, tells the menu the money, resets the
    // running round's clocks and builds the route. A second start stops the
    // update it replaces and takes it out of the task list. A stopped level
    // has let its route, opponents and simulator go: it is not started
    // again (a new load races again), and the game log says so.
    void StartLevel();
    // Clears the particles, then Stop.
    void StopLevel();
    // The race rules of one frame, run by the level's update task.
    void Update();

private:
    // The steps of Update, in their order.
    void Announce(const char* message);
    void SettleOutcome();
    void SettlePlace(int place);
    void SettleTimeTrial();
    void RunCheckpointTimer(float dt);
    void RunDemoCamera(float dt);
    void ChooseDemoPreset(int preset);
    void ChooseDemoMode(int mode);
    void AdvanceClocks(float dt);
    void RunPlayerSteps(float dt);
    void FeedCamera();
    void RunComputerCars(float dt);
    void FeedDriver(size_t index, CPGameObject& car);
    void FollowRouteHeading();
    void RefillNitro(float dt);
    void CountCheckpoints();
    void ReachCheckpoint(int index);
    void SteerCamera();
    bool HalfTurnForced(float& forced) const;
    void RecordAndReplayGhost();
    void ReplayGhost(const std::vector<GhostSample>& samples);
    void QueueScene();
    void PlaceLensFlare();
    static RefPtr<CPRenderQueue> GetRenderQueue();

    void ResetRaceForStart();
    void StartTasks();
    void HandViewsToRenderer();
    void ResetRoundClocks(CPGameData& data);

public:

    // Ends the race: stops the level's task and takes it out of the task
    // list, stops its objects, lets the splines, cars, route, branch tree,
    // checkpoint marker and grid go, resets the computer drivers and the car
    // world, blocks shots and clears the game data's level-started flag.
    // Stopping again changes nothing more.
    void Stop();
    bool IsStopped() const { return m_stopped; }

    // Hands the level's light to the renderer for this frame; the renderer
    // drops it when it already holds as many lights as it can.
    void SubmitLight();

    // Queries of the weapons, the camera and the scripts, and the small
    // operations of the loader and the race rules. Whatever the level lacks
    // (player, followed car, branch tree, grid) is skipped.
    //
    // True when the ray hits the level: the branch tree while the
    // "quadlevels" setting is 0, then, only when the ray passes within
    // reach of the player, the player's car and the dynamic and ray
    // objects. The hit point is set where the query's length ends.
    bool CrossRay(RayQuery& query);
    // CrossRay without the player's car, from which these rays start.
    bool CrossPlayerRay(RayQuery& query);
    // The opponents in order, then the followed car: true at the first car
    // hit, with the hit point set there.
    bool CrossRacers(RayQuery& query);
    // Appends every object whose box reaches the sphere: from the branch
    // tree, the player's car, the dynamic objects (only near the player),
    // the grid cells around the player and the ray objects.
    void CollectInSphere(const D3DXVECTOR3& centre, float radius, CPGameObject::ObjectList& result);
    // Appends the mesh parts of the root branch's marked objects.
    void CollectFlaggedObjects(CPGameObject::ObjectList& result);
    // Enters the object in the grid cell under its position; a position
    // outside the grid goes to the nearest edge cell.
    void AddToGrid(RefPtr<CPGameObject> object);
    // Loads a numbered object of the level file: in "chk12_barrel" the
    // digits from the fourth character on are its number, one separator
    // follows, and "barrel.rdf" is loaded. It stands at the position,
    // turned by the conjugate of the rotation, and joins placedObjects. A
    // name of four characters or fewer, or one without a file name, loads
    // nothing.
    void PlaceObject(const std::string& name, const D3DXVECTOR3& position, const D3DXQUATERNION& rotation);
    // The description's name without its extension that PlaceObject reads
    // out of a numbered object's name: "barrel" for "chk12_barrel".
    static std::string PlacedFileBase(const std::string& name);
    // Bakes the matrix into the meshes of the object, its levels of detail
    // and its children; an animated object's own vertices stay.
    static void TransformObjectTree(CPGameObject& object, const D3DXMATRIX& matrix);
    // Hands the aim point and the target (or none) to the player's
    // weapon; nothing without a player.
    void SetWeaponPos(float x, float y, float z, CPGameObject* target);
    // Whether the followed car's heading points against the route at the
    // player (more than a quarter turn either way).
    bool IsPlayerMovingBackwards() const;
    // Hands every car to computer driving: the opponents from the sixth on
    // are marked, get their tree flag and have their driver state placed at
    // them.
    void DriveAllCars();
    void ClearAllCarsDriven() { allCarsDriven = false; }

    RefPtr<CPGameObject> ghostCar;
    float raceTime;
    float ghostSampleTime;
    int ghostIndex;
    float trafficRefreshTime;
    float startupTime;
    std::vector<RefPtr<CPGameObject>> dynamicObjects;
    int trafficCount;
    int cameraMode;
    RefPtr<CPGameObject> lensFlare;
    float camera2Angle;
    float camera1Angle;
    float cameraAngle;
    float orbitDirection;
    bool demoMode;
    std::string carModel;
    std::vector<std::string> opponentModels;
    float lastClock;
    RefPtr<CPSpline> routeSpline;
    RefPtr<CPSpline> leftSpline;
    RefPtr<CPSpline> rightSpline;
    bool levelFailedSent;
    std::unordered_map<std::string, D3DXVECTOR3> sourcePoints;
    std::list<RefPtr<CPGameObject>> placedObjects;
    std::list<RefPtr<CPGameObject>>::iterator placedCursor;
    RefPtr<CPGameObject> checkpointMarker;
    RefPtr<IPProcess> updateTask;
    RefPtr<CPGameObject> levelScene;
    RefPtr<CPGameObject> cameraFollower;
    RefPtr<CPGameObject> roadPhysics;
    RefPtr<CPGameObject> planeObject;
    RefPtr<CPLevelBranch> branchTree;
    // The static-scene quadtree's root, owned by the level.
    std::unique_ptr<CPQuadTreeNode> quadTree;
    std::list<RefPtr<CPGameObject>> levelObjects;
    // One object list and one counter per grid cell, gridColumns x gridRows
    // of them once the level is loaded.
    std::vector<std::list<RefPtr<CPGameObject>>> gridCells;
    std::list<RefPtr<CPGameObject>> rayObjects;
    std::vector<int> gridCounts;
    RefPtr<CPCamera> camera;
    // The level's directional light, which the sky relights every frame.
    D3DLIGHT9 light;
    float width;
    float depth;
    float levelTime;
    float cameraSpeed;
    D3DCOLOR ambientColour;
    float cameraDistance;
    float cameraHeight;
    CameraPreset cameraPresets[kCameraModes];
    float angleDivisor;
    float distanceDivisor;
    int gridColumns;
    int gridRows;
    int levelNumber;
    RefPtr<CPGameObject> player;
    CPGameObject* cameraCar;
    std::vector<RefPtr<CPGameObject>> opponents;
    bool playerShotRequest;
    float heading;
    // The followed car's forward axis: its x and y give the camera's
    // heading and pitch.
    D3DXVECTOR3 forward;
    int cameraPreset;
    float demoCameraTimer;
    CPLine* nearestLine;
    // The route piece the scripts' route-angle query starts from: null
    // until their first query and whenever the route goes.
    CPLine* scriptRouteLine;
    bool allCarsDriven;
    std::vector<CPLine*> route;
    std::vector<int> racerNodes;
    std::vector<int> racerProgress;
    bool raceTimerOn;
    int lastNode;
    int lapProgress;
    int startNode;
    // Where the followed car, each computer car slot and the player (for
    // the checkpoints) stood at the previous frame.
    CarTrail cameraCarTrail;
    std::vector<CarTrail> racerTrails;
    CarTrail checkpointTrail;
    D3DXVECTOR3 startLineDirection;
    D3DXVECTOR3 startPoint;
    int places[kPlaces];
    bool placesDone;
    float nitroCooldown;
    bool timeMode;
    std::string ghostCarModel;
    std::vector<GhostSample> ghostSamples;
    bool singleMode;
    float demoPresetTime;
    bool raceOver;
    float routeHeading;
    bool reversed;
    std::list<RefPtr<CPGameObject>> nitroZones;
    int placeToFinish;
    std::vector<CheckpointEntry> checkpoints;
    float checkpointTimer;
    int currentCheckpoint;
    int checkpointsPassed;
    float fov1;
    float fov2;
    bool shotsBlocked;
    float stepAccumulator;

    // While set, the camera's heading is forcedHeading (radians) turned by
    // a quarter.
    bool headingForced;
    float forcedHeading;
    // Radians the camera turns by while the script tuning value is 0.
    float extraYaw;

    // The sky's sun: its direction and colour become the light's, which
    // is then submitted.
    void SubmitSunLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& colour) override;

private:
    void FollowPlayer(const CameraPreset& preset, bool fixedView);

    bool CrossLevel(RayQuery& query, bool withPlayer);
    bool PassesNearPlayer(const RayQuery& query) const;
    // The grid column or row of a coordinate, clamped to the grid.
    static int GridIndexOf(float coordinate, float extent, int count);

public:
    // Loading. Reads "Data\Levels\<name>.lvl" whole, then places its
    // objects, checkpoints, nitro zones, start posts and splines and builds
    // the scene, ground, road physics, simulator, cars, driver paths and
    // camera presets. A file that does not open, or is cut short or
    // damaged, builds nothing of it: false, with a line in the game log
    // naming the file and the field.
    bool Load(const std::string& name, bool singleMode, bool timeMode);
    // The places a load read from its start records.
    struct OpponentStart {
        D3DXVECTOR3 position;
        D3DXQUATERNION rotation;
    };
    D3DXVECTOR3 leftPost = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 rightPost = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 playerStartPosition = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXQUATERNION playerStartRotation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    std::vector<OpponentStart> opponentStarts;

    // What the car world asks of the race.
    bool IsLevelStarted() override;
    CPGameObject* GetPlayerObject() override { return player.Get(); }

private:
    // The object loader's object of the description, owned by the level;
    // none for a name that could lie outside the game's folders.
    RefPtr<CPGameObject> LoadOwned(const std::string& name, int flags);
    void ResetForLoad(bool single, bool time);
    void PrepareDrivers();
    void LoadGhostCar();
    bool ReadDescription(const std::string& name, LevelDescription& description);
    void SetUpLight();
    void MakeGrid();
    void HandleRecord(const LevelObjectRecord& record, const std::string& levelPath);
    void HandleSceneRecord(const std::string& baseName, const LevelObjectRecord& record, float allowance);
    void PlaceSceneObject(RefPtr<CPGameObject> object, const std::string& fileName, const LevelObjectRecord& record,
                          float allowance);
    void TakeSplines(const LevelDescription& description);
    void BuildScene(const std::string& name);
    void BuildGround(const std::string& name);
    void BuildRoadPhysics();
    void BuildSpatialTree();
    void BuildOpponents(const std::string& name);
    void BuildPlayer();
    void GiveDriverPaths(size_t index);
    RefPtr<CPGameObject> MakeRacer(RefPtr<CPGameObject> description, const std::string& model,
                                   const D3DXVECTOR3& position, const D3DXQUATERNION& rotation);
    void ApplyPlayerCamera(TiXmlElement* root);
    void FinishLoad();
    void FinishBuild();

    // The placed scene objects the spatial tree is built over.
    CPGameObject::ObjectList m_treeObjects;

    // Ownership: everything the level built is entered here as it is made.
    void Own(IPObject* object) { m_owned.Add(object); }
    void StopUpdate();
    void ForgetRoute();
    // Lets the engine's single objects forget the level's objects while
    // they still live: the car world, the drivers and the particles, when
    // no newer level has taken them over.
    void DetachFromEngine();
    // Lets go of every reference the level holds, so that nothing is
    // released after it was deleted.
    void ReleaseReferences();
    OwnedObjects m_owned;
    bool m_stopped = false;
};

// The car's forward axis in the world: cars face their local -y.
D3DXVECTOR3 ForwardAxisOf(CPGameObject& car);
// The car's up axis in the world: its local z.
D3DXVECTOR3 UpAxisOf(CPGameObject& car);
// A computer car's key in the game data's racer tables: its index among
// the opponents in decimal.
std::string RacerKey(int racer);
// The angle of the object's forward axis from the x axis, negative on the
// negative y side.
float HeadingOf(CPGameObject& object);

// a + (b - a) * t.
D3DXVECTOR3 LerpVector3(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float t);

// The current level, or null.
extern CPLevel* CurrentLevel;
CPLevel* GetLevel();
