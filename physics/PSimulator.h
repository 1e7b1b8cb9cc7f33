#pragma once

#include "physics/PAllocator.h"
#include "physics/PBroadPhase.h"
#include "physics/PCollisionTypes.h"
#include "physics/PContactGeneration.h"
#include "physics/PContactSolver.h"
#include "physics/PKinematicBody.h"
#include "physics/PPerformanceTimer.h"
#include "physics/PPool.h"
#include "physics/PRigidBody.h"

#include <vector>

// The sizes of the simulator's pools, in this order; the fields without a
// pool of their own here are kept as given.
struct SimulatorSizeInfo {
    int rigidBodiesCount = 50;
    int kinematicBodiesCount = 50;
    int rigidParticleCount = 50;
    int poolSize4 = 50;
    int poolSize5 = 1225;
    int geometriesCount = 50;
    int poolSize7 = 100;
    int constraintSetsCount = 100;
    int poolSize9 = 2000;
    int sensorsCount = 100;
    int poolSize11 = 200;
    int poolGrowth12 = -1;
};

typedef void (*CollisionCallback)(const CollisionInfo& info);
// Hands the simulator the road triangles that may touch a body's box: a list
// of indices into the triangle table, the table and the vertex table.
typedef void (*TriangleQueryCallback)(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum,
                                      const int** candidates, int* candidateCount, const RoadTriangle** triangles,
                                      int* triangleCount, const D3DXVECTOR4** vertices, CPRigidBody* body);
typedef void (*SimulatorLogCallback)(const char* text);

// The rigid-body world: fixed pools of bodies, shapes, rays and controllers,
// the material and collision tables, gravity, and the stepping at a fixed
// 1/120 s: road triangles and the sweep, rays, controllers, forces, contacts,
// motion and sleep.
class CPSimulator {
public:
    static constexpr float kTimeStep = 1.0f / 120.0f;
    static const int kMaterialCount = 256;
    static const int kErrorTextSize = 256;

    CPSimulator(const SimulatorSizeInfo& sizes, IPAllocator* allocator, const D3DXVECTOR3& gravity);
    ~CPSimulator();
    CPSimulator(const CPSimulator&) = delete;
    CPSimulator& operator=(const CPSimulator&) = delete;

    // False when a pool could not be allocated.
    bool IsBuilt() const { return m_built; }
    IPAllocator* GetAllocator() const { return m_allocator; }
    const SimulatorSizeInfo& GetSizeInfo() const { return m_sizes; }

    CPRigidBody* CreateRigidBody();
    CPRigidBody* CreateRigidParticle();
    CPKinematicBody* CreateKinematicBody();

    bool SetMaterial(int index, float friction, float restitution);
    const PhysicMaterial& GetMaterial(int index) const { return m_materials[index]; }
    CPCollisionTable& GetCollisionTable() { return m_collisionTable; }
    void SetCollisionCallback(CollisionCallback callback) { m_collisionCallback = callback; }
    void SetTriangleQueryCallback(TriangleQueryCallback callback) { m_triangleQuery = callback; }

    void SetGravity(const D3DXVECTOR3& gravity);
    const D3DXVECTOR3& GetGravity() const { return m_gravity; }
    const D3DXVECTOR3& GetGravityDirection() const { return m_gravityDirection; }
    float GetGravityMagnitude() const { return m_gravityMagnitude; }

    // Messages stay in the error text; the callback sees them from log level 1.
    void SetLogCallback(SimulatorLogCallback callback) { m_logCallback = callback; }
    void SetLogLevel(int level) { m_logLevel = level; }
    const char* GetErrorText() const { return m_errorText; }

    const CPPerformanceTimer& GetTimer() const { return m_timer; }
    const CPBroadPhase& GetBroadPhase() const { return m_broadPhase; }

    // One step of kTimeStep.
    void Step();
    // The whole steps that the frame time adds up to, then every awake body
    // that belongs to a game object hands it its pose. A frame time of no
    // finite number counts as none.
    void Advance(float frameTime);
    void WriteBack();

    // For the bodies: pool objects and the simulator's lists.
    CPGeometry* TakeGeometry();
    CPSensor* TakeSensor();
    CPController* TakeController();
    void EnterBroadPhase(CPBody* body);
    void MoveBetweenLists(CPBody* body, bool active, int hint);

private:
    struct BodyList {
        CPBody* head = nullptr;
        CPBody* tail = nullptr;
        int count = 0;
    };

    // One body's road triangles for the step.
    struct RoadQuery {
        CPRigidBody* body;
        const int* candidates;
        int candidateCount;
        const RoadTriangle* triangles;
        int triangleCount;
        const D3DXVECTOR4* vertices;
    };

    bool BuildPools();
    void Report(const char* message);
    template <class T>
    T* TakeFrom(CPPool<T>& pool, const char* message);
    CPRigidBody* TakeRigid(CPPool<CPRigidBody>& pool, CPBody::Kind kind, int numberBase, const char* message);
    BodyList& ListOf(CPBody::Kind kind, bool active) { return m_lists[kind][active ? 1 : 0]; }
    static void Link(BodyList& list, CPBody* body);
    static void Unlink(BodyList& list, CPBody* body);
    CPBody* BodyByNumber(int number);
    void WorldBox(const CPBody& body, float margin, float minimum[3], float maximum[3]) const;

    void WakeTouchedSleepers();
    void QueryRoad();
    void UpdateBroadPhase();
    void CastSensors();
    void CastSensor(CPRigidBody& body, CPSensor& sensor, const RoadQuery* road);
    void RunControllers();
    void ApplyForces();
    void FindContacts();
    void AddRoadContacts(const RoadQuery& road);
    void AddPairContacts(CPBody& first, CPBody& second);
    void AddConstraints(CPRigidBody* a, CPBody* b, const CPGeometry& geometryA, const CPGeometry* geometryB,
                        int materialB, uint64_t key, const PContact* contacts, int count, int response);
    void Report(const PContactConstraint& deepest, CPBody* b, const CPGeometry& geometryA,
                const CPGeometry* geometryB, int materialB);
    void Integrate();
    void UpdateSleep();
    void SleepBodiesLeftFinite();
    float MarginOf(const CPBody* body) const;
    bool IsMovingObstacle(const CPBody* body) const;
    int FindIsland(int number);

    bool m_built;
    SimulatorSizeInfo m_sizes;
    IPAllocator* m_allocator;
    CPPool<CPRigidBody> m_rigidBodies;
    CPPool<CPRigidBody> m_rigidParticles;
    CPPool<CPKinematicBody> m_kinematicBodies;
    CPPool<CPGeometry> m_geometries;
    CPPool<CPSensor> m_sensors;
    CPPool<CPController> m_controllers;
    BodyList m_lists[3][2];
    CPBroadPhase m_broadPhase;

    PhysicMaterial m_materials[kMaterialCount];
    CPCollisionTable m_collisionTable;
    CollisionCallback m_collisionCallback;
    TriangleQueryCallback m_triangleQuery;

    D3DXVECTOR3 m_gravity;
    D3DXVECTOR3 m_gravityDirection;
    float m_gravityMagnitude;

    char m_errorText[kErrorTextSize];
    SimulatorLogCallback m_logCallback;
    int m_logLevel;
    CPPerformanceTimer m_timer;

    float m_accumulatedTime;
    std::vector<RoadQuery> m_roadQueries;
    std::vector<int> m_uniqueCandidates;
    CPContactSolver m_solver;
    std::vector<int> m_islandParent;
    std::vector<unsigned char> m_islandRestless;
    std::vector<CPRigidBody*> m_awakeBodies;
};

// A simulator built through the allocator (null: the runtime heap); null
// when memory runs out, with nothing left allocated and the message handed
// to the log callback (when one is given) before the simulator goes.
CPSimulator* CreateSimulator(const SimulatorSizeInfo& sizes, IPAllocator* allocator, const float gravity[3],
                             SimulatorLogCallback log = nullptr);
// Destroys a simulator made by CreateSimulator and gives its memory back.
void DestroySimulator(CPSimulator* simulator);
