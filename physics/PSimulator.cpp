#include "physics/PSimulator.h"

#include "core/PGameObject.h"
#include "physics/PPhysicData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char* const kRigidBodiesMessage = "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n";
const char* const kRigidParticlesMessage = "Run out of RigidBodies. Increase 'rigidParticleCount'.\n";
const char* const kKinematicBodiesMessage = "Run out of KinematicBodies. Increase 'kinematicBodiesCount'.\n";
const char* const kGeometriesMessage = "Run out of Geometries. Increase 'geometriesCount'.\n";
const char* const kSensorsMessage = "Run out of Sensors. Increase 'sensorsCount'.\n";
const char* const kControllersMessage = "Run out of Controllers. Increase 'constraintSetsCount'.\n";
const char* const kMemoryMessage = "Failed to allocate memory.\n";
const char* const kNonFiniteFormat = "Body %d left the finite numbers and sleeps where its step began.\n";

// Shapes closer than this (plus what they travel in a step) already get a
// contact, so nothing passes through a surface within one step.
const float kContactMargin = 0.01f;
// A contact at most this far open still counts as touching for the callback.
const float kTouchingGap = 0.001f;
// A body slower than these is resting; a group of bodies resting this long sleeps.
const float kRestSpeedSquared = 0.05f * 0.05f;
const float kRestSpinSquared = 0.05f * 0.05f;
const float kSleepDelay = 0.5f;
// A frame that stalls for longer than this many steps drops the rest of its time.
const int kMaxStepsPerFrame = 30;

// Manifold keys: body number, road or body flag, other body or triangle,
// and the two shapes' places in their bodies' lists.
uint64_t ManifoldKey(int bodyA, bool road, int other, int geometryA, int geometryB)
{
    return (static_cast<uint64_t>(bodyA) & 0xFFFFF) << 44 | (road ? 1ull : 0ull) << 43 |
           (static_cast<uint64_t>(other) & 0x7FFFFF) << 20 | (static_cast<uint64_t>(geometryA) & 0x3FF) << 10 |
           (static_cast<uint64_t>(geometryB) & 0x3FF);
}

D3DXVECTOR4 Point4(const D3DXVECTOR3& v, float w) { return D3DXVECTOR4(v.x, v.y, v.z, w); }

bool IsDynamic(const CPBody* body)
{
    if (!body->IsActive() || body->GetKind() == CPBody::kKinematic) return false;
    const CPRigidBody* rigid = static_cast<const CPRigidBody*>(body);
    return rigid->IsAwake() && rigid->IsMovable();
}

} // namespace

CPSimulator::CPSimulator(const SimulatorSizeInfo& sizes, IPAllocator* allocator, const D3DXVECTOR3& gravity)
    : m_built(false), m_sizes(), m_allocator(allocator ? allocator : GetHeapAllocator()), m_materials(),
      m_collisionTable(), m_collisionCallback(nullptr), m_triangleQuery(nullptr), m_gravity(0, 0, 0),
      m_gravityDirection(0, 0, 0), m_gravityMagnitude(0), m_errorText(), m_logCallback(nullptr), m_logLevel(0),
      m_timer(), m_accumulatedTime(0)
{
    m_sizes = sizes;
    SetGravity(gravity);
    m_timer.Calibrate();
    m_built = BuildPools();
    if (!m_built) Report(kMemoryMessage);
}

CPSimulator::~CPSimulator() = default;

bool CPSimulator::BuildPools()
{
    const SimulatorSizeInfo& s = m_sizes;
    if (!m_rigidBodies.Create(m_allocator, s.rigidBodiesCount)) return false;
    if (!m_kinematicBodies.Create(m_allocator, s.kinematicBodiesCount)) return false;
    if (!m_rigidParticles.Create(m_allocator, s.rigidParticleCount)) return false;
    if (!m_geometries.Create(m_allocator, s.geometriesCount)) return false;
    if (!m_sensors.Create(m_allocator, s.sensorsCount)) return false;
    if (!m_controllers.Create(m_allocator, s.constraintSetsCount)) return false;
    const int bodies = m_rigidBodies.GetCapacity() + m_kinematicBodies.GetCapacity() + m_rigidParticles.GetCapacity();
    if (!m_broadPhase.Create(m_allocator, bodies)) return false;
    m_islandParent.assign(bodies, 0);
    m_islandRestless.assign(bodies, 0);
    return true;
}

CPSimulator* CreateSimulator(const SimulatorSizeInfo& sizes, IPAllocator* allocator, const float gravity[3],
                             SimulatorLogCallback log)
{
    if (!allocator) allocator = GetHeapAllocator();
    void* memory = allocator->Allocate(sizeof(CPSimulator));
    CPSimulator* simulator = nullptr;
    if (memory) simulator = new (memory) CPSimulator(sizes, allocator, D3DXVECTOR3(gravity[0], gravity[1], gravity[2]));
    if (simulator && simulator->IsBuilt()) return simulator;
    if (log) log(kMemoryMessage);
    DestroySimulator(simulator);
    return nullptr;
}

void DestroySimulator(CPSimulator* simulator)
{
    if (!simulator) return;
    IPAllocator* allocator = simulator->GetAllocator();
    simulator->~CPSimulator();
    allocator->Free(simulator);
}

void CPSimulator::Report(const char* message)
{
    std::strncpy(m_errorText, message, kErrorTextSize - 1);
    m_errorText[kErrorTextSize - 1] = '\0';
    if (m_logCallback && m_logLevel >= 1) m_logCallback(m_errorText);
}

template <class T>
T* CPSimulator::TakeFrom(CPPool<T>& pool, const char* message)
{
    T* object = pool.Take();
    if (!object) Report(message);
    return object;
}

CPGeometry* CPSimulator::TakeGeometry() { return TakeFrom(m_geometries, kGeometriesMessage); }
CPSensor* CPSimulator::TakeSensor() { return TakeFrom(m_sensors, kSensorsMessage); }
CPController* CPSimulator::TakeController() { return TakeFrom(m_controllers, kControllersMessage); }

CPRigidBody* CPSimulator::TakeRigid(CPPool<CPRigidBody>& pool, CPBody::Kind kind, int numberBase,
                                    const char* message)
{
    CPRigidBody* body = TakeFrom(pool, message);
    if (!body) return nullptr;
    body->Attach(this, kind, numberBase + pool.IndexOf(body));
    body->UpdateDerived();
    Link(ListOf(kind, true), body);
    return body;
}

CPRigidBody* CPSimulator::CreateRigidBody()
{
    return TakeRigid(m_rigidBodies, CPBody::kRigid, 0, kRigidBodiesMessage);
}

CPRigidBody* CPSimulator::CreateRigidParticle()
{
    const int base = m_rigidBodies.GetCapacity() + m_kinematicBodies.GetCapacity();
    return TakeRigid(m_rigidParticles, CPBody::kParticle, base, kRigidParticlesMessage);
}

CPKinematicBody* CPSimulator::CreateKinematicBody()
{
    CPKinematicBody* body = TakeFrom(m_kinematicBodies, kKinematicBodiesMessage);
    if (!body) return nullptr;
    body->Attach(this, CPBody::kKinematic, m_rigidBodies.GetCapacity() + m_kinematicBodies.IndexOf(body));
    Link(ListOf(CPBody::kKinematic, true), body);
    return body;
}

CPBody* CPSimulator::BodyByNumber(int number)
{
    const int rigid = m_rigidBodies.GetCapacity();
    const int kinematic = m_kinematicBodies.GetCapacity();
    if (number < rigid) return &m_rigidBodies.At(number);
    if (number < rigid + kinematic) return &m_kinematicBodies.At(number - rigid);
    return &m_rigidParticles.At(number - rigid - kinematic);
}

bool CPSimulator::SetMaterial(int index, float friction, float restitution)
{
    if (index < 0 || index >= kMaterialCount) return false;
    m_materials[index] = PhysicMaterial{friction, restitution, 0.0f};
    return true;
}

void CPSimulator::SetGravity(const D3DXVECTOR3& gravity)
{
    m_gravity = gravity;
    m_gravityDirection = Normalised(gravity);
    const float magnitude = std::sqrt(LengthSquared(gravity));
    m_gravityMagnitude = std::isfinite(magnitude) ? magnitude : 0.0f;
}

void CPSimulator::Link(BodyList& list, CPBody* body)
{
    body->m_listPrevious = list.tail;
    body->m_listNext = nullptr;
    if (list.tail) list.tail->m_listNext = body;
    else list.head = body;
    list.tail = body;
    ++list.count;
}

void CPSimulator::Unlink(BodyList& list, CPBody* body)
{
    if (body->m_listPrevious) body->m_listPrevious->m_listNext = body->m_listNext;
    else list.head = body->m_listNext;
    if (body->m_listNext) body->m_listNext->m_listPrevious = body->m_listPrevious;
    else list.tail = body->m_listPrevious;
    body->m_listPrevious = body->m_listNext = nullptr;
    --list.count;
}

// The hint names no entry data here: the sweep keeps nothing per entry.
void CPSimulator::MoveBetweenLists(CPBody* body, bool active, int)
{
    Unlink(ListOf(body->GetKind(), !active), body);
    Link(ListOf(body->GetKind(), active), body);
    body->SetActiveFlag(active);
    if (!active) {
        if (body->IsInBroadPhase()) m_broadPhase.Remove(body->GetNumber());
        body->SetInBroadPhase(false);
        return;
    }
    bool hasRays = false;
    if (body->GetKind() != CPBody::kKinematic) hasRays = static_cast<CPRigidBody*>(body)->GetSensorCount() > 0;
    if (body->GetGeometryCount() > 0 || hasRays) EnterBroadPhase(body);
    if (body->GetKind() != CPBody::kKinematic) static_cast<CPRigidBody*>(body)->Wake();
}

float CPSimulator::MarginOf(const CPBody* body) const
{
    if (body->GetKind() == CPBody::kKinematic) {
        return kContactMargin + Length(static_cast<const CPKinematicBody*>(body)->GetVelocity()) * kTimeStep;
    }
    const CPRigidBody* rigid = static_cast<const CPRigidBody*>(body);
    return kContactMargin + (Length(rigid->GetVelocity()) + m_gravityMagnitude * kTimeStep) * kTimeStep;
}

void CPSimulator::WorldBox(const CPBody& body, float margin, float minimum[3], float maximum[3]) const
{
    D3DXVECTOR3 low, high;
    body.GetWorldBounds(low, high);
    for (int axis = 0; axis < 3; ++axis) {
        minimum[axis] = Component(low, axis) - margin;
        maximum[axis] = Component(high, axis) + margin;
    }
}

void CPSimulator::EnterBroadPhase(CPBody* body)
{
    float minimum[3], maximum[3];
    WorldBox(*body, MarginOf(body), minimum, maximum);
    m_broadPhase.Add(body->GetNumber(), minimum, maximum);
    body->SetInBroadPhase(true);
}

void CPSimulator::Advance(float frameTime)
{
    if (std::isfinite(frameTime)) m_accumulatedTime += frameTime;
    int steps = 0;
    while (m_accumulatedTime >= kTimeStep && steps < kMaxStepsPerFrame) {
        Step();
        m_accumulatedTime -= kTimeStep;
        ++steps;
    }
    if (steps == kMaxStepsPerFrame) m_accumulatedTime = 0.0f;
    WriteBack();
}

void CPSimulator::WriteBack()
{
    for (int kind : {CPBody::kRigid, CPBody::kParticle}) {
        for (CPBody* body = ListOf(static_cast<CPBody::Kind>(kind), true).head; body; body = body->m_listNext) {
            CPRigidBody* rigid = static_cast<CPRigidBody*>(body);
            CPGameObject* object = rigid->GetUserData();
            if (!rigid->IsAwake() || !object) continue;
            // The object's own moves go to its body; this one comes from it.
            CPPhysicData* data = object->GetPhysicData();
            if (data) data->SetWritingBack(true);
            const D3DXVECTOR3& p = rigid->GetPosition();
            const D3DXQUATERNION& q = rigid->GetOrientation();
            object->SetPosition(p.x, p.y, p.z);
            object->SetRotation(q.x, q.y, q.z, q.w);
            if (data) data->SetWritingBack(false);
        }
    }
}

void CPSimulator::Step()
{
    for (CPBody* body = ListOf(CPBody::kKinematic, true).head; body; body = body->m_listNext) {
        static_cast<CPKinematicBody*>(body)->BeginStep(kTimeStep);
    }
    m_awakeBodies.clear();
    for (int kind : {CPBody::kRigid, CPBody::kParticle}) {
        for (CPBody* body = ListOf(static_cast<CPBody::Kind>(kind), true).head; body; body = body->m_listNext) {
            CPRigidBody* rigid = static_cast<CPRigidBody*>(body);
            if (!rigid->IsAwake()) continue;
            rigid->BeginStep();
            m_awakeBodies.push_back(rigid);
        }
    }
    UpdateBroadPhase();
    WakeTouchedSleepers();
    QueryRoad();
    CastSensors();
    RunControllers();
    ApplyForces();
    FindContacts();
    m_solver.Solve(kTimeStep);
    Integrate();
    SleepBodiesLeftFinite();
    UpdateSleep();
}

void CPSimulator::UpdateBroadPhase()
{
    float minimum[3], maximum[3];
    for (CPRigidBody* body : m_awakeBodies) {
        if (!body->IsInBroadPhase()) continue;
        WorldBox(*body, MarginOf(body), minimum, maximum);
        m_broadPhase.SetBounds(body->GetNumber(), minimum, maximum);
    }
    for (CPBody* body = ListOf(CPBody::kKinematic, true).head; body; body = body->m_listNext) {
        if (!body->IsInBroadPhase()) continue;
        WorldBox(*body, MarginOf(body), minimum, maximum);
        m_broadPhase.SetBounds(body->GetNumber(), minimum, maximum);
    }
    m_broadPhase.Sweep();
}

bool CPSimulator::IsMovingObstacle(const CPBody* body) const
{
    return body->GetKind() == CPBody::kKinematic &&
           LengthSquared(static_cast<const CPKinematicBody*>(body)->GetVelocity()) > 0.0f;
}

// A sleeping body near one that moves (a rigid body that has not rested
// since its last step, or a kinematic body moved since the last step)
// wakes with its group and takes part in this step.
void CPSimulator::WakeTouchedSleepers()
{
    for (const PBroadPhasePair& pair : m_broadPhase.GetPairs()) {
        CPBody* bodies[2] = {BodyByNumber(pair.first), BodyByNumber(pair.second)};
        for (int i = 0; i < 2; ++i) {
            CPBody* sleeper = bodies[i];
            CPBody* other = bodies[1 - i];
            if (sleeper->GetKind() == CPBody::kKinematic) continue;
            CPRigidBody* rigid = static_cast<CPRigidBody*>(sleeper);
            if (rigid->IsAwake()) continue;
            bool restless = IsMovingObstacle(other);
            if (other->GetKind() != CPBody::kKinematic) {
                const CPRigidBody* mover = static_cast<const CPRigidBody*>(other);
                restless = mover->IsAwake() && mover->IsMovable() && mover->GetRestTime() == 0.0f;
            }
            if (!restless) continue;
            // The whole group wakes and takes part in this step.
            CPRigidBody* member = rigid;
            do {
                m_awakeBodies.push_back(member);
                member = member->GetGroupNext();
            } while (member && member != rigid);
            rigid->Wake();
        }
    }
}

void CPSimulator::QueryRoad()
{
    m_roadQueries.clear();
    if (!m_triangleQuery) return;
    for (CPRigidBody* body : m_awakeBodies) {
        if (body->GetGeometryCount() == 0 && body->GetSensorCount() == 0) continue;
        float minimum[3], maximum[3];
        WorldBox(*body, MarginOf(body), minimum, maximum);
        RoadQuery query{body, nullptr, 0, nullptr, 0, nullptr};
        m_triangleQuery(D3DXVECTOR3(minimum), D3DXVECTOR3(maximum), &query.candidates, &query.candidateCount,
                        &query.triangles, &query.triangleCount, &query.vertices, body);
        if (query.candidates && query.candidateCount > 0 && query.triangles && query.vertices) {
            m_roadQueries.push_back(query);
        }
    }
}

namespace {

// The three corners of a listed triangle; false for an index outside the table.
bool TriangleCorners(const RoadTriangle* triangles, int triangleCount, const D3DXVECTOR4* vertices, int index,
                     D3DXVECTOR3 corners[3])
{
    if (index < 0 || index >= triangleCount) return false;
    for (int i = 0; i < 3; ++i) {
        const int vertex = triangles[index].vertex[i];
        if (vertex < 0) return false;
        corners[i] = D3DXVECTOR3(vertices[vertex].x, vertices[vertex].y, vertices[vertex].z);
    }
    return true;
}

} // namespace

void CPSimulator::CastSensors()
{
    for (CPRigidBody* body : m_awakeBodies) {
        if (body->GetSensorCount() == 0) continue;
        const RoadQuery* road = nullptr;
        for (const RoadQuery& query : m_roadQueries) {
            if (query.body == body) road = &query;
        }
        for (CPSensor* sensor = body->GetSensors(); sensor; sensor = sensor->GetNext()) CastSensor(*body, *sensor, road);
    }
}

void CPSimulator::CastSensor(CPRigidBody& body, CPSensor& sensor, const RoadQuery* road)
{
    const PBodyState& state = body.State();
    const D3DXVECTOR3 start = state.position + state.rotation.Apply(sensor.GetStart());
    const D3DXVECTOR3 direction = state.rotation.Apply(sensor.GetUnitDirection());
    float nearest = sensor.GetLength();
    bool hit = false;
    D3DXVECTOR3 hitNormal(0, 0, 0);
    float distance;
    D3DXVECTOR3 normal;
    if (road) {
        for (int i = 0; i < road->candidateCount; ++i) {
            D3DXVECTOR3 corners[3];
            if (!TriangleCorners(road->triangles, road->triangleCount, road->vertices, road->candidates[i], corners)) {
                continue;
            }
            if (RayCastTriangle(corners, start, direction, nearest, distance, normal)) {
                nearest = distance;
                hitNormal = normal;
                hit = true;
            }
        }
    }
    for (const PBroadPhasePair& pair : m_broadPhase.GetPairs()) {
        if (pair.first != body.GetNumber() && pair.second != body.GetNumber()) continue;
        CPBody* other = BodyByNumber(pair.first == body.GetNumber() ? pair.second : pair.first);
        for (const CPGeometry* geometry = other->GetGeometries(); geometry; geometry = geometry->GetNext()) {
            const PWorldShape shape = PlaceShape(*geometry, other->GetRotation(), other->GetPosition());
            if (RayCastShape(shape, start, direction, nearest, distance, normal)) {
                nearest = distance;
                hitNormal = normal;
                hit = true;
            }
        }
    }
    if (hit) sensor.SetResult(sensor.GetLength() - nearest, start + direction * nearest, hitNormal);
    else sensor.SetResult(0.0f, start + direction * sensor.GetLength(), D3DXVECTOR3(0, 0, 0));
}

void CPSimulator::RunControllers()
{
    for (CPRigidBody* body : m_awakeBodies) {
        for (CPController* controller = body->GetControllers(); controller; controller = controller->GetNext()) {
            if (controller->CountDown() && controller->GetCallback()) {
                controller->GetCallback()->OnControllerStep(controller, kTimeStep);
            }
        }
    }
}

// Semi-implicit Euler: this step's forces change the velocity and the
// angular momentum first; the motion then uses the new values.
void CPSimulator::ApplyForces()
{
    for (CPRigidBody* body : m_awakeBodies) {
        if (!body->IsMovable()) continue;
        D3DXVECTOR3 force = body->GetForce();
        D3DXVECTOR3 torque = body->GetTorque();
        for (const CPController* controller = body->GetControllers(); controller; controller = controller->GetNext()) {
            force += controller->GetForce();
            torque += controller->GetTorque();
        }
        body->Velocity() += (m_gravity + force * body->GetInverseMass()) * kTimeStep;
        body->State().angularMomentum += torque * kTimeStep;
        body->UpdateDerived();
    }
}

void CPSimulator::FindContacts()
{
    m_solver.Constraints().clear();
    for (const RoadQuery& road : m_roadQueries) AddRoadContacts(road);
    for (const PBroadPhasePair& pair : m_broadPhase.GetPairs()) {
        CPBody* first = BodyByNumber(pair.first);
        CPBody* second = BodyByNumber(pair.second);
        if (first->GetKind() == CPBody::kParticle && second->GetKind() == CPBody::kParticle) continue;
        if (IsDynamic(first)) AddPairContacts(*first, *second);
        else if (IsDynamic(second)) AddPairContacts(*second, *first);
    }
}

void CPSimulator::AddRoadContacts(const RoadQuery& road)
{
    CPRigidBody* body = road.body;
    if (!body->IsMovable()) return;
    const int response = m_collisionTable.GetRoad(body->GetCollisionClass());
    if (response == CPCollisionTable::kNoContact) return;
    m_uniqueCandidates.assign(road.candidates, road.candidates + road.candidateCount);
    std::sort(m_uniqueCandidates.begin(), m_uniqueCandidates.end());
    m_uniqueCandidates.erase(std::unique(m_uniqueCandidates.begin(), m_uniqueCandidates.end()),
                             m_uniqueCandidates.end());
    const float margin = MarginOf(body);
    const PBodyState& before = body->GetPreviousState();
    PContact contacts[kMaxShapeContacts];
    for (int index : m_uniqueCandidates) {
        D3DXVECTOR3 corners[3];
        if (!TriangleCorners(road.triangles, road.triangleCount, road.vertices, index, corners)) continue;
        int geometryIndex = 0;
        for (const CPGeometry* geometry = body->GetGeometries(); geometry; geometry = geometry->GetNext()) {
            const PWorldShape shape = PlaceShape(*geometry, body->GetRotation(), body->GetPosition());
            const D3DXVECTOR3 cameFrom = PlaceShape(*geometry, before.rotation, before.position).centre;
            const int count = CollideShapeWithTriangle(shape, corners, cameFrom, margin, contacts);
            const uint64_t key = ManifoldKey(body->GetNumber(), true, index, geometryIndex++, 0);
            AddConstraints(body, nullptr, *geometry, nullptr, road.triangles[index].material, key, contacts, count,
                           response);
        }
    }
}

void CPSimulator::AddPairContacts(CPBody& first, CPBody& second)
{
    CPRigidBody* a = static_cast<CPRigidBody*>(&first);
    const int response = m_collisionTable.Get(first.GetCollisionClass(), second.GetCollisionClass());
    if (response == CPCollisionTable::kNoContact) return;
    const float margin = MarginOf(&first) + MarginOf(&second) - kContactMargin;
    PContact contacts[kMaxShapeContacts];
    int indexA = 0;
    for (const CPGeometry* geometryA = first.GetGeometries(); geometryA; geometryA = geometryA->GetNext(), ++indexA) {
        const PWorldShape shapeA = PlaceShape(*geometryA, first.GetRotation(), first.GetPosition());
        int indexB = 0;
        for (const CPGeometry* geometryB = second.GetGeometries(); geometryB;
             geometryB = geometryB->GetNext(), ++indexB) {
            const PWorldShape shapeB = PlaceShape(*geometryB, second.GetRotation(), second.GetPosition());
            const int count = CollideShapes(shapeA, shapeB, margin, contacts);
            const uint64_t key = ManifoldKey(first.GetNumber(), false, second.GetNumber(), indexA, indexB);
            AddConstraints(a, &second, *geometryA, geometryB, geometryB->GetMaterialIndex(), key, contacts, count,
                           response);
        }
    }
}

void CPSimulator::AddConstraints(CPRigidBody* a, CPBody* b, const CPGeometry& geometryA, const CPGeometry* geometryB,
                                 int materialB, uint64_t key, const PContact* contacts, int count, int response)
{
    if (count == 0) return;
    const PhysicMaterial& surfaceA = m_materials[geometryA.GetMaterialIndex() & (kMaterialCount - 1)];
    const PhysicMaterial& surfaceB = m_materials[materialB & (kMaterialCount - 1)];
    const float friction = std::sqrt(std::max(surfaceA.friction * surfaceB.friction, 0.0f));
    const float restitution = std::max(surfaceA.restitution, surfaceB.restitution);
    CPRigidBody* dynamicB = b && IsDynamic(b) ? static_cast<CPRigidBody*>(b) : nullptr;
    D3DXVECTOR3 obstacleVelocity(0, 0, 0);
    if (b && b->GetKind() == CPBody::kKinematic) obstacleVelocity = static_cast<CPKinematicBody*>(b)->GetVelocity();

    std::vector<PContactConstraint>& constraints = m_solver.Constraints();
    int deepest = -1;
    for (int i = 0; i < count; ++i) {
        PContactConstraint c = {};
        c.a = a;
        c.b = dynamicB;
        c.obstacleVelocity = obstacleVelocity;
        c.point = contacts[i].point;
        c.normal = contacts[i].normal;
        c.depth = contacts[i].depth;
        c.friction = friction;
        c.restitution = restitution;
        c.key = key;
        constraints.push_back(c);
        if (deepest < 0 || contacts[i].depth > contacts[deepest].depth) deepest = i;
    }
    if (response == CPCollisionTable::kRespondAndReport && m_collisionCallback &&
        contacts[deepest].depth > -kTouchingGap) {
        Report(constraints[constraints.size() - count + deepest], b, geometryA, geometryB, materialB);
    }
}

void CPSimulator::Report(const PContactConstraint& contact, CPBody* b, const CPGeometry& geometryA,
                         const CPGeometry* geometryB, int materialB)
{
    CPBody* bodyA = contact.a;
    CPBody* bodyB = b;
    const CPGeometry* shapeA = &geometryA;
    const CPGeometry* shapeB = geometryB;
    int materialA = geometryA.GetMaterialIndex();
    D3DXVECTOR3 normal = contact.normal;
    const D3DXVECTOR3 half = normal * (contact.depth * 0.5f);
    D3DXVECTOR3 pointA = contact.point - half;
    D3DXVECTOR3 pointB = contact.point + half;
    // Of two rigid bodies the one of the higher material is A.
    if (b && b->GetKind() != CPBody::kKinematic && materialB > materialA) {
        std::swap(bodyA, bodyB);
        std::swap(shapeA, shapeB);
        std::swap(materialA, materialB);
        std::swap(pointA, pointB);
        normal = -normal;
    }
    auto velocityOf = [](const CPBody* body, const D3DXVECTOR3& point) {
        if (!body) return D3DXVECTOR3(0, 0, 0);
        if (body->GetKind() == CPBody::kKinematic) return static_cast<const CPKinematicBody*>(body)->GetVelocity();
        const CPRigidBody* rigid = static_cast<const CPRigidBody*>(body);
        return rigid->GetVelocityAtPoint(point - rigid->GetPosition());
    };
    auto typeOf = [](const CPBody* body) {
        if (!body) return static_cast<int>(CollisionInfo::kRoad);
        return static_cast<int>(body->GetKind() == CPBody::kKinematic ? CollisionInfo::kKinematicBody
                                                                        : CollisionInfo::kRigidBody);
    };
    auto inBody = [](const CPBody* body, const D3DXVECTOR3& point) {
        return body ? body->GetRotation().ApplyTransposed(point - body->GetPosition()) : point;
    };
    CollisionInfo info;
    info.bodyA = bodyA;
    info.bodyB = bodyB;
    info.typeA = typeOf(bodyA);
    info.typeB = typeOf(bodyB);
    info.geometryA = const_cast<CPGeometry*>(shapeA);
    info.geometryB = const_cast<CPGeometry*>(shapeB);
    info.materialA = materialA;
    info.materialB = materialB;
    info.bodyContactA = Point4(inBody(bodyA, pointA), 1.0f);
    info.bodyContactB = Point4(inBody(bodyB, pointB), 1.0f);
    info.worldContactA = Point4(pointA, 1.0f);
    info.worldContactB = Point4(pointB, 1.0f);
    info.relativeVelocity = Point4(velocityOf(bodyA, contact.point) - velocityOf(bodyB, contact.point), 0.0f);
    info.normal = Point4(normal, 0.0f);
    m_collisionCallback(info);
}

void CPSimulator::Integrate()
{
    for (CPRigidBody* body : m_awakeBodies) {
        if (!body->IsMovable()) continue;
        PBodyState& state = body->State();
        state.position += body->GetVelocity() * kTimeStep;
        const D3DXVECTOR3& w = body->GetAngularVelocity();
        const D3DXQUATERNION spin = QuaternionProduct(D3DXQUATERNION(w.x, w.y, w.z, 0.0f), state.orientation);
        D3DXQUATERNION turned(state.orientation.x + spin.x * 0.5f * kTimeStep,
                              state.orientation.y + spin.y * 0.5f * kTimeStep,
                              state.orientation.z + spin.z * 0.5f * kTimeStep,
                              state.orientation.w + spin.w * 0.5f * kTimeStep);
        if (NormaliseQuaternion(turned)) {
            state.orientation = turned;
            state.rotation = RotationOf(turned);
        }
        body->UpdateDerived();
    }
}

int CPSimulator::FindIsland(int number)
{
    while (m_islandParent[number] != number) {
        m_islandParent[number] = m_islandParent[m_islandParent[number]];
        number = m_islandParent[number];
    }
    return number;
}

// Bodies joined by contacts form a group that sleeps only as a whole, once
// every member has rested long enough; bodies with rays or controllers
// never sleep.
void CPSimulator::UpdateSleep()
{
    for (CPRigidBody* body : m_awakeBodies) {
        const int number = body->GetNumber();
        m_islandParent[number] = number;
        m_islandRestless[number] = 0;
        const bool resting = LengthSquared(body->GetVelocity()) < kRestSpeedSquared &&
                             LengthSquared(body->GetAngularVelocity()) < kRestSpinSquared;
        if (resting) body->AddRestTime(kTimeStep);
        else body->ClearRestTime();
    }
    for (const PContactConstraint& c : m_solver.Constraints()) {
        if (c.b) {
            const int first = FindIsland(c.a->GetNumber());
            const int second = FindIsland(c.b->GetNumber());
            if (first != second) m_islandParent[first] = second;
        } else if (LengthSquared(c.obstacleVelocity) > 0.0f) {
            c.a->ClearRestTime();
        }
    }
    for (CPRigidBody* body : m_awakeBodies) {
        if (body->GetRestTime() < kSleepDelay || !body->MaySleep()) m_islandRestless[FindIsland(body->GetNumber())] = 1;
    }
    // Each sleeping group is linked in a ring so waking one member wakes all.
    std::vector<CPRigidBody*>& sleepers = m_awakeBodies;
    sleepers.erase(std::remove_if(sleepers.begin(), sleepers.end(),
                                  [this](CPRigidBody* body) {
                                      return m_islandRestless[FindIsland(body->GetNumber())] != 0;
                                  }),
                   sleepers.end());
    std::sort(sleepers.begin(), sleepers.end(), [this](CPRigidBody* x, CPRigidBody* y) {
        return FindIsland(x->GetNumber()) < FindIsland(y->GetNumber());
    });
    for (size_t i = 0; i < sleepers.size();) {
        const int island = FindIsland(sleepers[i]->GetNumber());
        size_t end = i;
        while (end < sleepers.size() && FindIsland(sleepers[end]->GetNumber()) == island) ++end;
        for (size_t k = i; k < end; ++k) sleepers[k]->Sleep(sleepers[k + 1 < end ? k + 1 : i]);
        i = end;
    }
}

// A body that a step carried to no finite number (a force or a mass of no
// finite size) goes back to where the step began and sleeps there: its
// bounds would otherwise stop every other body's overlaps in the sweep.
void CPSimulator::SleepBodiesLeftFinite()
{
    for (CPRigidBody* body : m_awakeBodies) {
        if (body->HasFiniteState()) continue;
        if (!body->SleepAtStepStart()) continue;
        char text[kErrorTextSize];
        std::snprintf(text, sizeof(text), kNonFiniteFormat, body->GetNumber());
        Report(text);
    }
}
