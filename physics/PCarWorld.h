#pragma once

#include "core/PObject.h"
#include "core/PProcess.h"
#include "physics/PCollisionTypes.h"

#include <d3dx9math.h>

#include <cstdint>
#include <vector>

class CPCar;
class CPGameObject;
class CPKinematicBody;
class CPPhysicData;
class CPRenderObject;
class CPRigidBody;
class CPSimulator;

// What the race tells the physics world without the world knowing the race:
// whether the level has started and which object the player drives.
class IPRaceState {
public:
    virtual ~IPRaceState() = default;
    virtual bool IsLevelStarted() = 0;
    virtual CPGameObject* GetPlayerObject() = 0;
};

// Raised on a car's object when it hits the world or another car; the
// player's car object implements it.
class IPCollisionFlag {
public:
    virtual ~IPCollisionFlag() = default;
    virtual void RaiseCollisionFlag() = 0;
};

// The single physics world of a race: it owns the simulator, puts objects
// with physics data into it, gives cars their CPCar, answers the collision
// and road-triangle callbacks, keeps the road tables with a grid of 4 x 4
// cells over them, answers ground heights and parks removed bodies. As a
// task it advances the simulator by the frame time.
class CPCarWorld : public IPProcess {
public:
    static const int kPriority = 400;
    static constexpr float kCellSize = 4.0f;
    static const int kSparkLimit = 40;

    // One grid cell: the road triangles whose area reaches into it.
    struct RoadCell {
        std::vector<int32_t> triangles;
    };

    // A body taken out of the world, parked below it.
    struct RemovedBody {
        CPRigidBody* rigidBody;
        CPKinematicBody* kinematicBody;
        int value;
    };

    CPCarWorld();
    ~CPCarWorld() override;
    CPCarWorld(const CPCarWorld&) = delete;
    CPCarWorld& operator=(const CPCarWorld&) = delete;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPCarWorld"; }
    // Runs the simulator's fixed steps for the frame time (at most 0.25 s
    // of it; none for a time of no finite number) and writes the poses back.
    void Execute() override;
    int GetTaskValue() override { return 0; }

    // Builds a fresh simulator with the world's fixed sizes; a world that
    // has one is reset first. The arguments change nothing.
    void CreateSimulator(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum, int a, int b, int c);
    // Frees the simulator and the road tables and forgets cars, road meshes
    // and removed bodies; every physics data loses its pointers into the
    // old simulator.
    void Reset();
    CPSimulator* GetSimulator() const { return m_simulator; }

    void AddObject(RefPtr<CPGameObject> object, unsigned char bodyFlag, int material);
    void CreateBodies(CPPhysicData* data, const D3DXVECTOR3& position, const D3DXQUATERNION& rotation,
                      unsigned char bodyFlag, int material);
    void CreateCar(RefPtr<CPGameObject> object, bool withSounds);
    void RegisterCar(CPGameObject* object);
    void AddRoadMesh(RefPtr<IPObject> mesh) { m_roadMeshes.push_back(mesh); }
    void SetCarControls(CPGameObject* object, float throttle, float steering);
    void RemoveCar(CPGameObject* object);
    void RemovePhysicData(CPPhysicData* data);

    // The z of the nearest road vertex among the triangles of the point's
    // cell; the point's own z where the cell lists none.
    float GetGroundHeight(const D3DXVECTOR3& point) const;
    void BuildRoadTables(CPRenderObject* mesh);
    // Fills the tables from vertices already in world space and 16-bit
    // indices; a road whose grid would have more than 4096 cells a side is
    // refused and logged, and the world keeps no road.
    void BuildRoadTables(const std::vector<D3DXVECTOR3>& vertices, const std::vector<uint16_t>& indices);

    // Creates up to count "iskra" particles; sparks and dust share a limit
    // of kSparkLimit particles alive at once.
    void SpawnSparks(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, int count);
    // The sparks and dust puffs still alive, and one more made with its life in seconds.
    int GetLiveParticleCount();
    void AddLiveParticle(float life);

    void SetRaceState(IPRaceState* state) { m_raceState = state; }
    IPRaceState* GetRaceState() const { return m_raceState; }
    void SetParkingHeight(float height) { m_parkingHeight = height; }
    float GetParkingHeight() const { return m_parkingHeight; }

    // The simulator's callbacks, which reach the published world.
    static void CollisionCallback(const CollisionInfo& info);
    static void TriangleQuery(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum, const int** candidates,
                              int* candidateCount, const RoadTriangle** triangles, int* triangleCount,
                              const D3DXVECTOR4** vertices, CPRigidBody* body);

    std::vector<D3DXVECTOR4>& GetRoadVertices() { return m_roadVertices; }
    std::vector<RoadTriangle>& GetRoadTriangles() { return m_roadTriangles; }
    int GetRoadVertexCount() const { return static_cast<int>(m_roadVertices.size()); }
    int GetRoadTriangleCount() const { return static_cast<int>(m_roadTriangles.size()); }
    int GetGridColumnCount() const { return m_gridColumnCount; }
    int GetGridRowCount() const { return m_gridRowCount; }
    const D3DXVECTOR3& GetGridOrigin() const { return m_gridOrigin; }
    const RoadCell& GetCell(int column, int row) const { return m_gridCells[column][row]; }
    // The cell of a point, clamped to the grid.
    void CellOf(const D3DXVECTOR3& point, int& column, int& row) const;
    const std::vector<RemovedBody>& GetRemovedBodies() const { return m_removedBodies; }
    const std::vector<CPGameObject*>& GetCars() const { return m_cars; }

    // The bodies and shapes in the world.
    static int s_bodyCount;
    static int s_shapeCount;

private:
    void HandleCarAgainstWorld(const CollisionInfo& info, CPGameObject* car);
    void HandleCarAgainstCar(const CollisionInfo& info, CPGameObject* first, CPGameObject* second);
    void PlaySlamFor(CPGameObject* object);
    void ClearTables();
    // False, with the refusal logged, when the grid would pass its size limit.
    bool MakeGrid();
    void ListTriangle(int triangle);
    void FillCandidates(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum, CPPhysicData& data) const;

    CPSimulator* m_simulator;
    std::vector<CPGameObject*> m_cars;
    std::vector<RefPtr<IPObject>> m_roadMeshes;
    std::vector<std::vector<RoadCell>> m_gridCells;
    D3DXVECTOR3 m_gridOrigin;
    float m_parkingHeight;
    std::vector<RemovedBody> m_removedBodies;
    int m_gridColumnCount;
    int m_gridRowCount;
    std::vector<D3DXVECTOR4> m_roadVertices;
    std::vector<RoadTriangle> m_roadTriangles;
    IPRaceState* m_raceState;
    float m_collisionTime;
    int m_collisionFrame;
    double m_clock;
    std::vector<double> m_particleEnds;
    std::vector<CPPhysicData*> m_physicData;
};

// The physics world that the host created and published; null before.
inline CPCarWorld* g_pCarWorld = nullptr;
inline CPCarWorld* GetCarWorld()
{
    return g_pCarWorld;
}
