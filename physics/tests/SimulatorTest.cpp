#include "physics/tests/PhysicsTestSupport.h"

#include "core/PGameObject.h"
#include "physics/PPhysicData.h"

#include <algorithm>
#include <functional>
#include <string>

namespace physics_test {
namespace {

// --- pools, messages and construction ---------------------------------------

struct PoolCase {
    const char* name;
    // Takes one object from the pool the case is about; false when none came.
    std::function<bool(CPSimulator&, CPRigidBody&)> take;
    const char* message;
};

class SimulatorPools : public ::testing::TestWithParam<PoolCase> {};

TEST_P(SimulatorPools, AnEmptyPoolGivesNullAndItsMessage)
{
    SimulatorSizeInfo sizes;
    sizes.rigidBodiesCount = 3;
    sizes.kinematicBodiesCount = 2;
    sizes.rigidParticleCount = 2;
    sizes.geometriesCount = 2;
    sizes.sensorsCount = 2;
    sizes.constraintSetsCount = 2;
    const float gravity[3] = {0, 0, 0};
    SimulatorPtr simulator(CreateSimulator(sizes, nullptr, gravity));
    CPRigidBody& owner = *simulator->CreateRigidBody();
    EXPECT_TRUE(GetParam().take(*simulator, owner));
    EXPECT_TRUE(GetParam().take(*simulator, owner));
    EXPECT_STREQ(simulator->GetErrorText(), "");
    EXPECT_FALSE(GetParam().take(*simulator, owner));
    EXPECT_STREQ(simulator->GetErrorText(), GetParam().message);
    // The owner lists only what it really got.
    EXPECT_LE(owner.GetGeometryCount(), 2);
    EXPECT_LE(owner.GetSensorCount(), 2);
    EXPECT_LE(owner.GetControllerCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Pools, SimulatorPools,
    ::testing::Values(
        PoolCase{"RigidBodies", [](CPSimulator& s, CPRigidBody&) { return s.CreateRigidBody() != nullptr; },
                 "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n"},
        PoolCase{"RigidParticles", [](CPSimulator& s, CPRigidBody&) { return s.CreateRigidParticle() != nullptr; },
                 "Run out of RigidBodies. Increase 'rigidParticleCount'.\n"},
        PoolCase{"KinematicBodies", [](CPSimulator& s, CPRigidBody&) { return s.CreateKinematicBody() != nullptr; },
                 "Run out of KinematicBodies. Increase 'kinematicBodiesCount'.\n"},
        PoolCase{"Geometries", [](CPSimulator&, CPRigidBody& b) { return b.AddGeometry() != nullptr; },
                 "Run out of Geometries. Increase 'geometriesCount'.\n"},
        PoolCase{"Sensors", [](CPSimulator&, CPRigidBody& b) { return b.AddSensor() != nullptr; },
                 "Run out of Sensors. Increase 'sensorsCount'.\n"},
        PoolCase{"Controllers", [](CPSimulator&, CPRigidBody& b) { return b.AddController(nullptr, 1) != nullptr; },
                 "Run out of Controllers. Increase 'constraintSetsCount'.\n"}),
    [](const ::testing::TestParamInfo<PoolCase>& info) { return std::string(info.param.name); });

TEST(Simulator, DefaultSizesHoldFiftyRigidBodies)
{
    const float gravity[3] = {0, 0, -9.8f};
    SimulatorPtr simulator(CreateSimulator(SimulatorSizeInfo(), nullptr, gravity));
    for (int i = 0; i < 50; ++i) ASSERT_NE(simulator->CreateRigidBody(), nullptr) << i;
    EXPECT_EQ(simulator->CreateRigidBody(), nullptr);
    EXPECT_STREQ(simulator->GetErrorText(), "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n");
}

TEST(Simulator, BodiesAreNumberedRigidThenKinematicThenParticles)
{
    SimulatorSizeInfo sizes;
    sizes.rigidBodiesCount = 4;
    sizes.kinematicBodiesCount = 3;
    const float gravity[3] = {0, 0, 0};
    SimulatorPtr simulator(CreateSimulator(sizes, nullptr, gravity));
    EXPECT_EQ(simulator->CreateRigidParticle()->GetNumber(), 7);
    EXPECT_EQ(simulator->CreateKinematicBody()->GetNumber(), 4);
    EXPECT_EQ(simulator->CreateRigidBody()->GetNumber(), 0);
    EXPECT_EQ(simulator->CreateRigidBody()->GetNumber(), 1);
}

struct LogCase {
    bool callback;
    int level;
    bool logged;
};

std::string& LoggedText()
{
    static std::string text;
    return text;
}

class SimulatorLog : public ::testing::TestWithParam<LogCase> {};

TEST_P(SimulatorLog, MessagesReachTheCallbackFromLevelOne)
{
    const float gravity[3] = {0, 0, 0};
    SimulatorSizeInfo sizes;
    sizes.rigidBodiesCount = 0;
    SimulatorPtr simulator(CreateSimulator(sizes, nullptr, gravity));
    LoggedText().clear();
    if (GetParam().callback) simulator->SetLogCallback([](const char* text) { LoggedText() += text; });
    simulator->SetLogLevel(GetParam().level);
    EXPECT_EQ(simulator->CreateRigidBody(), nullptr);
    EXPECT_STREQ(simulator->GetErrorText(), "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n");
    EXPECT_EQ(LoggedText(), GetParam().logged ? simulator->GetErrorText() : "");
}

INSTANTIATE_TEST_SUITE_P(Rules, SimulatorLog,
                         ::testing::Values(LogCase{false, 0, false}, LogCase{false, 1, false},
                                           LogCase{true, 0, false}, LogCase{true, 1, true}, LogCase{true, 2, true}));

// Counts what is live and refuses the allocation numbered failAt.
class FailingAllocator : public IPAllocator {
public:
    explicit FailingAllocator(int failAt) : m_failAt(failAt) {}
    void* Allocate(size_t bytes) override
    {
        if (++m_count == m_failAt) return nullptr;
        ++m_live;
        return GetHeapAllocator()->Allocate(bytes);
    }
    void Free(void* memory) override
    {
        if (!memory) return;
        --m_live;
        GetHeapAllocator()->Free(memory);
    }
    int Live() const { return m_live; }
    int Count() const { return m_count; }

private:
    int m_failAt;
    int m_count = 0;
    int m_live = 0;
};

TEST(Simulator, EveryFailedAllocationGivesNullLogsItAndLeavesNothingAllocated)
{
    const float gravity[3] = {0, 0, -9.8f};
    const SimulatorLogCallback log = [](const char* text) { LoggedText() += text; };
    const int kMostAllocations = 100;
    int failAt = 1;
    for (; failAt <= kMostAllocations; ++failAt) {
        FailingAllocator allocator(failAt);
        LoggedText().clear();
        CPSimulator* simulator = CreateSimulator(SimulatorSizeInfo(), &allocator, gravity, log);
        if (simulator) {
            EXPECT_GT(allocator.Live(), 0);
            EXPECT_EQ(LoggedText(), "");
            DestroySimulator(simulator);
            EXPECT_EQ(allocator.Live(), 0);
            break;
        }
        EXPECT_EQ(allocator.Live(), 0) << "failing allocation " << failAt;
        EXPECT_EQ(LoggedText(), "Failed to allocate memory.\n") << "failing allocation " << failAt;
    }
    EXPECT_GT(failAt, 6) << "the pools and tables all come from the allocator";
    EXPECT_LE(failAt, kMostAllocations) << "the simulator was never built";
}

// --- tables and gravity ------------------------------------------------------

TEST(Simulator, CollisionTableEntriesStartAtOneAndSetSymmetrically)
{
    CPCollisionTable table;
    table.Set(0, -1, 3);
    EXPECT_EQ(table.GetRoad(0), 3);
    EXPECT_EQ(table.GetRoad(1), 1);
    EXPECT_EQ(table.Get(0, 0), 1);
    table.Set(0, 0, 3);
    EXPECT_EQ(table.Get(0, 0), 3);
    EXPECT_EQ(table.Get(0, 1), 1);
    table.Set(-1, 5, 0);
    EXPECT_EQ(table.GetRoad(5), 0);
    table.Set(2, 7, 0);
    EXPECT_EQ(table.Get(2, 7), 0);
    EXPECT_EQ(table.Get(7, 2), 0);
    table.Set(-1, -1, 2);
    for (int i = 0; i < CPCollisionTable::kClassCount; ++i) EXPECT_NE(table.GetRoad(i), 2);
}

TEST(Simulator, MaterialsTakeIndicesZeroTo255)
{
    const float gravity[3] = {0, 0, 0};
    SimulatorPtr simulator(CreateSimulator(SimulatorSizeInfo(), nullptr, gravity));
    EXPECT_TRUE(simulator->SetMaterial(255, 0.3f, 0.1f));
    EXPECT_EQ(simulator->GetMaterial(255).friction, 0.3f);
    EXPECT_FALSE(simulator->SetMaterial(256, 0.5f, 0.5f));
    EXPECT_FALSE(simulator->SetMaterial(-1, 0.5f, 0.5f));
}

TEST(Simulator, GravityKeepsItsDirectionAndMagnitude)
{
    const float gravity[3] = {0, 3, -4};
    SimulatorPtr simulator(CreateSimulator(SimulatorSizeInfo(), nullptr, gravity));
    EXPECT_EQ(simulator->GetGravityMagnitude(), 5.0f);
    EXPECT_EQ(simulator->GetGravityDirection(), D3DXVECTOR3(0, 0.6f, -0.8f));
    simulator->SetGravity(D3DXVECTOR3(0, 0, 1e-4f));
    EXPECT_EQ(simulator->GetGravityDirection(), D3DXVECTOR3(0, 0, 0));
    simulator->SetGravity(D3DXVECTOR3(0, 0, -INFINITY));
    EXPECT_EQ(simulator->GetGravityMagnitude(), 0.0f);
}

TEST(Simulator, TimerRecordMeasuresTheCounter)
{
    const float gravity[3] = {0, 0, 0};
    SimulatorPtr simulator(CreateSimulator(SimulatorSizeInfo(), nullptr, gravity));
    const CPPerformanceTimer& timer = simulator->GetTimer();
    ASSERT_TRUE(timer.IsUsable());
    EXPECT_GE(timer.GetOverhead(), 0);
    EXPECT_LE(timer.GetOverhead(), int64_t(CPPerformanceTimer::kStartOverhead));
    const uint32_t low = static_cast<uint32_t>(timer.GetFrequency());
    EXPECT_TRUE(low >> (timer.GetFrequencyBits() - 1) == 1u);
}

// --- body operations ---------------------------------------------------------

class RigidBodyTest : public PhysicsWorld {
protected:
    // A unit cube that has fallen asleep on a floor at height 0.
    CPRigidBody* SleepingCube()
    {
        World();
        road.AddSquare(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(0, 10, 0));
        CPRigidBody* cube = Box(D3DXVECTOR3(1, 1, 1), 1, D3DXVECTOR3(0, 0, 0.5f));
        Run(1.0f);
        EXPECT_FALSE(cube->IsAwake());
        return cube;
    }
};

TEST_F(RigidBodyTest, MassAndInertiaWithoutAUsableValueMakeNoInfiniteInverse)
{
    World();
    CPRigidBody* body = simulator->CreateRigidBody();
    for (float mass : {0.0f, -2.0f, NAN, INFINITY}) {
        body->SetMass(mass);
        EXPECT_EQ(body->GetInverseMass(), 0.0f) << mass;
    }
    body->SetMass(4);
    EXPECT_EQ(body->GetInverseMass(), 0.25f);
    body->SetInertiaTensor(D3DXVECTOR3(2, 0, NAN));
    EXPECT_EQ(body->GetInverseInertia(), D3DXVECTOR3(0.5f, 0, 0));
}

TEST_F(RigidBodyTest, InertiaRulesForBoxesAndCylinders)
{
    EXPECT_EQ(ComputeInertia(D3DXVECTOR3(1, 4, 2), 3), D3DXVECTOR3(32, 32, 32));
    const D3DXVECTOR3 cylinder = ComputeCylinderInertia(2, 3, 4);
    EXPECT_FLOAT_EQ(cylinder.x, 4 * 9 / 12.0f + 4 * 1 / 4.0f);
    EXPECT_FLOAT_EQ(cylinder.y, 2.0f);
    EXPECT_FLOAT_EQ(cylinder.z, cylinder.x);
}

TEST_F(RigidBodyTest, RotationIsNormalisedAndAZeroQuaternionKeepsIt)
{
    World();
    CPRigidBody* body = simulator->CreateRigidBody();
    body->SetRotation(0, 0, 2, 2);
    const float half = std::sqrt(0.5f);
    EXPECT_NEAR(body->GetOrientation().z, half, 1e-6f);
    EXPECT_NEAR(body->GetRotation().column[0].y, 1.0f, 1e-6f);
    for (float bad : {0.0f, NAN}) {
        body->SetRotation(bad, 0, 0, bad);
        EXPECT_NEAR(body->GetOrientation().w, half, 1e-6f);
    }
    body->SetPosition(1, 2, 3);
    const D3DXMATRIX m = body->GetTransform();
    EXPECT_NEAR(m._12, 1.0f, 1e-6f);
    EXPECT_EQ(m._14, 0.0f);
    EXPECT_EQ(D3DXVECTOR4(m._41, m._42, m._43, m._44), D3DXVECTOR4(1, 2, 3, 1));
}

TEST_F(RigidBodyTest, ImpulsesAndMomentumSetVelocities)
{
    World(D3DXVECTOR3(0, 0, 0));
    CPRigidBody* body = simulator->CreateRigidBody();
    body->SetMass(2);
    body->SetInertiaTensor(D3DXVECTOR3(1, 2, 4));
    body->SetPosition(1, 0, 0);
    body->ApplyImpulse(D3DXVECTOR3(0, 4, 0), D3DXVECTOR3(2, 0, 0));
    EXPECT_EQ(body->GetVelocity(), D3DXVECTOR3(0, 2, 0));
    EXPECT_EQ(body->GetAngularMomentum(), D3DXVECTOR3(0, 0, 4));
    EXPECT_EQ(body->GetAngularVelocity(), D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(body->GetVelocityAtPoint(D3DXVECTOR3(0, 1, 0)), D3DXVECTOR3(-1, 2, 0));
    body->SetForce(D3DXVECTOR3(0, 0, 3), D3DXVECTOR3(1, 2, 0));
    EXPECT_EQ(body->GetTorque(), D3DXVECTOR3(6, 0, 0));
}

TEST_F(RigidBodyTest, TinyForcesAndTorquesDoNotWakeASleepingBody)
{
    CPRigidBody* body = SleepingCube();
    body->SetForce(D3DXVECTOR3(1e-7f, 0, 0), body->GetPosition());
    EXPECT_EQ(body->GetForce(), D3DXVECTOR3(1e-7f, 0, 0));
    body->SetTorque(D3DXVECTOR3(0, -1e-7f, 0));
    EXPECT_FALSE(body->IsAwake());
    body->SetTorque(D3DXVECTOR3(0, 0, 1e-6f));
    EXPECT_TRUE(body->IsAwake());
}

TEST_F(RigidBodyTest, SwitchedOffBodiesLeaveTheBroadPhaseAndComeBack)
{
    World(D3DXVECTOR3(0, 0, 0));
    CPRigidBody* a = Box(D3DXVECTOR3(1, 1, 1), 1, D3DXVECTOR3(0, 0, 0));
    CPRigidBody* b = Box(D3DXVECTOR3(1, 1, 1), 1, D3DXVECTOR3(0.5f, 0, 0));
    CPRigidBody* bare = simulator->CreateRigidBody();
    simulator->Step();
    EXPECT_TRUE(simulator->GetBroadPhase().AreOverlapping(a->GetNumber(), b->GetNumber()));
    EXPECT_FALSE(bare->IsInBroadPhase());
    bare->UpdateBoundingInfo();
    EXPECT_LT(bare->GetBoundsHalfSize().x, 0.0f) << "a body without shapes keeps the empty box";
    b->SetActive(false);
    EXPECT_FALSE(b->IsActive());
    EXPECT_TRUE(simulator->GetBroadPhase().GetPairs().empty());
    b->SetActive(false);
    b->SetActive(true);
    simulator->Step();
    EXPECT_EQ(simulator->GetBroadPhase().GetPairs().size(), 1u);
}

// --- rays --------------------------------------------------------------------

struct SensorCase {
    const char* name;
    // Builds what the ray may meet; the ray starts at (0, 0, 1) and points 1.5 down.
    std::function<void(TestRoad&, PhysicsWorld&)> scene;
    float depth;
    D3DXVECTOR3 normal;
};

class SensorTest : public PhysicsWorld, public ::testing::WithParamInterface<SensorCase> {
public:
    CPRigidBody* MakeBox(const D3DXVECTOR3& extents, const D3DXVECTOR3& position)
    {
        return Box(extents, 1, position);
    }
};

TEST_P(SensorTest, DepthIsTheRayLengthBeyondTheFirstHit)
{
    World(D3DXVECTOR3(0, 0, 0));
    CPRigidBody* car = simulator->CreateRigidBody();
    car->AddGeometry()->SetBoxSize(2, 2, 1);
    CPSensor* sensor = car->AddSensor();
    sensor->Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, -1.5f));
    Place(car, D3DXVECTOR3(0, 0, 1), D3DXQUATERNION(0, 0, 0, 1));
    GetParam().scene(road, *this);
    simulator->Step();
    EXPECT_NEAR(sensor->GetDetectedDepth(), GetParam().depth, 1e-4f);
    if (GetParam().depth > 0) {
        EXPECT_NEAR(Length(sensor->GetContactNormal() - GetParam().normal), 0.0f, 1e-4f);
        EXPECT_NEAR(sensor->GetContactPoint().z, 1.0f - (1.5f - GetParam().depth), 1e-4f);
    }
}

const float kRamp = 0.5f;

INSTANTIATE_TEST_SUITE_P(
    Rays, SensorTest,
    ::testing::Values(
        SensorCase{"Plane",
                   [](TestRoad& road, PhysicsWorld&) {
                       road.AddSquare(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(5, 0, 0), D3DXVECTOR3(0, 5, 0));
                   },
                   0.5f, D3DXVECTOR3(0, 0, 1)},
        // z = 0.5 x + 0.2: the ray meets it at 0.2.
        SensorCase{"Ramp",
                   [](TestRoad& road, PhysicsWorld&) {
                       road.AddSquare(D3DXVECTOR3(0, 0, 0.2f), D3DXVECTOR3(4, 0, 4 * kRamp), D3DXVECTOR3(0, 4, 0));
                   },
                   0.7f, Normalised(D3DXVECTOR3(-kRamp, 0, 1))},
        SensorCase{"Miss",
                   [](TestRoad& road, PhysicsWorld&) {
                       road.AddSquare(D3DXVECTOR3(0, 0, -1), D3DXVECTOR3(5, 0, 0), D3DXVECTOR3(0, 5, 0));
                   },
                   0.0f, D3DXVECTOR3(0, 0, 0)},
        SensorCase{"OwnBoxIsNoGround", [](TestRoad&, PhysicsWorld&) {}, 0.0f, D3DXVECTOR3(0, 0, 0)},
        SensorCase{"AnotherBody",
                   [](TestRoad&, PhysicsWorld& world) {
                       static_cast<SensorTest&>(world).MakeBox(D3DXVECTOR3(1, 1, 0.4f), D3DXVECTOR3(0.2f, 0, -0.1f));
                   },
                   0.6f, D3DXVECTOR3(0, 0, 1)}),
    [](const ::testing::TestParamInfo<SensorCase>& info) { return std::string(info.param.name); });

// --- controllers ---------------------------------------------------------------

class HoldingController : public IPControllerCallback {
public:
    explicit HoldingController(float weight) : m_weight(weight) {}
    void OnControllerStep(CPController* controller, float timeStep) override
    {
        ++calls;
        EXPECT_EQ(timeStep, CPSimulator::kTimeStep);
        controller->SetControllerForce(D3DXVECTOR3(0, 0, m_weight));
    }
    int calls = 0;

private:
    float m_weight;
};

TEST_F(RigidBodyTest, ControllerForceAgainstTheWeightHoldsABody)
{
    World();
    const float mass = 3;
    CPRigidBody* body = Box(D3DXVECTOR3(1, 1, 1), mass, D3DXVECTOR3(0, 0, 5));
    HoldingController holder(mass * kGravity);
    body->AddController(&holder, 1);
    HoldingController slow(0);
    body->AddController(&slow, 3);
    Run(1.0f);
    EXPECT_EQ(holder.calls, 120);
    EXPECT_EQ(slow.calls, 40);
    EXPECT_NEAR(body->GetPosition().z, 5.0f, 1e-5f);
    EXPECT_TRUE(body->IsAwake());
}

// --- collision responses and the callback ------------------------------------

std::vector<CollisionInfo>& Collisions()
{
    static std::vector<CollisionInfo> collisions;
    return collisions;
}

struct ResponseCase {
    int response;
    bool rests;
    bool reported;
};

class CollisionResponse : public PhysicsWorld, public ::testing::WithParamInterface<ResponseCase> {};

TEST_P(CollisionResponse, ResponseDecidesContactAndCallback)
{
    World();
    road.AddSquare(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(5, 0, 0), D3DXVECTOR3(0, 5, 0));
    Collisions().clear();
    simulator->SetCollisionCallback([](const CollisionInfo& info) { Collisions().push_back(info); });
    simulator->GetCollisionTable().Set(4, -1, GetParam().response);
    CPRigidBody* body = Box(D3DXVECTOR3(1, 1, 1), 1, D3DXVECTOR3(0, 0, 1));
    body->SetCollisionClass(4);
    Run(1.0f);
    EXPECT_EQ(body->GetPosition().z > 0.49f, GetParam().rests);
    ASSERT_EQ(!Collisions().empty(), GetParam().reported);
    if (!GetParam().reported) return;
    const CollisionInfo& info = Collisions().front();
    EXPECT_EQ(info.bodyA, body);
    EXPECT_EQ(info.bodyB, nullptr);
    EXPECT_EQ(info.typeB, CollisionInfo::kRoad);
    EXPECT_EQ(info.normal, D3DXVECTOR4(0, 0, 1, 0));
    EXPECT_NEAR(info.worldContactA.z, 0.0f, 0.01f);
}

INSTANTIATE_TEST_SUITE_P(Responses, CollisionResponse,
                         ::testing::Values(ResponseCase{3, true, true}, ResponseCase{1, true, false},
                                           ResponseCase{2, true, false}, ResponseCase{0, false, false}));

TEST_F(RigidBodyTest, TheRigidBodyOfHigherMaterialIsBodyA)
{
    World(D3DXVECTOR3(0, 0, 0));
    Collisions().clear();
    simulator->SetCollisionCallback([](const CollisionInfo& info) { Collisions().push_back(info); });
    simulator->GetCollisionTable().Set(0, 0, 3);
    CPRigidBody* first = Box(D3DXVECTOR3(1, 1, 1), 1, D3DXVECTOR3(0, 0, 0));
    CPRigidBody* second = Box(D3DXVECTOR3(1, 1, 1), 1, D3DXVECTOR3(1.2f, 0, 0));
    second->GetGeometries()->SetMaterialIndex(1);
    first->SetVelocity(D3DXVECTOR3(2, 0, 0));
    Run(0.2f);
    ASSERT_FALSE(Collisions().empty());
    const CollisionInfo& info = Collisions().front();
    EXPECT_EQ(info.bodyA, second);
    EXPECT_EQ(info.materialA, 1);
    EXPECT_EQ(info.bodyB, first);
    EXPECT_NEAR(info.normal.x, 1.0f, 1e-4f);
    EXPECT_LT(info.relativeVelocity.x, -1.0f) << "A's velocity minus B's";
}

// --- values of no finite number ------------------------------------------------

// Pushes its body with a force of no finite size.
class NaNController : public IPControllerCallback {
public:
    void OnControllerStep(CPController* controller, float) override
    {
        controller->SetControllerForce(D3DXVECTOR3(NAN, 0, 0));
    }
};

struct SpoilCase {
    const char* name;
    // Tries to put the body (one box shape) at no finite place or size.
    std::function<void(CPRigidBody&)> spoil;
    // The value carried it there inside a step: it sleeps where the step began.
    bool sleeps;
};

class NonFiniteBody : public PhysicsWorld, public ::testing::WithParamInterface<SpoilCase> {};

TEST_P(NonFiniteBody, KeepsItsLastFiniteStateAndOtherBodiesTheirContacts)
{
    World();
    LoggedText().clear();
    simulator->SetLogCallback([](const char* text) { LoggedText() += text; });
    simulator->SetLogLevel(1);
    CPKinematicBody* platform = simulator->CreateKinematicBody();
    platform->AddGeometry()->SetBoxSize(4, 3, 0.5f);
    platform->UpdateBoundingInfo();
    platform->SetPosition(0, 0, -0.25f);
    const float radius = 0.3f;
    CPRigidBody* ball = Ball(radius, 1, D3DXVECTOR3(0.2f, -0.1f, 1.0f));
    const D3DXVECTOR3 start(50, 3, 2);
    CPRigidBody* bad = Box(D3DXVECTOR3(1, 2, 3), 2, start);
    simulator->SetGravity(D3DXVECTOR3(0, 0, 0));
    simulator->Step();
    simulator->SetGravity(D3DXVECTOR3(0, 0, -kGravity));
    GetParam().spoil(*bad);
    Run(1.5f);
    EXPECT_NEAR(ball->GetPosition().z, radius, 0.01f) << "the ball rests on the platform";
    EXPECT_TRUE(IsFinite(bad->GetPosition()) && IsFinite(bad->GetVelocity()));
    EXPECT_TRUE(IsFinite(bad->GetBoundsHalfSize()));
    if (!GetParam().sleeps) {
        EXPECT_EQ(LoggedText(), "");
        return;
    }
    EXPECT_FALSE(bad->IsAwake());
    EXPECT_EQ(bad->GetPosition(), start);
    // Woken again, it leaves the finite numbers again, and is not reported again.
    bad->SetPosition(start.x, start.y, start.z + 1);
    Run(0.1f);
    EXPECT_FALSE(bad->IsAwake());
    EXPECT_EQ(bad->GetPosition(), start + D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(LoggedText(), "Body 1 left the finite numbers and sleeps where its step began.\n") << "once";
}

NaNController g_nanController;

INSTANTIATE_TEST_SUITE_P(
    Values, NonFiniteBody,
    ::testing::Values(
        SpoilCase{"Position", [](CPRigidBody& b) { b.SetPosition(NAN, 0, 0); }, false},
        SpoilCase{"Velocity", [](CPRigidBody& b) { b.SetVelocity(D3DXVECTOR3(0, INFINITY, 0)); }, false},
        SpoilCase{"AngularMomentum", [](CPRigidBody& b) { b.SetAngularMomentum(D3DXVECTOR3(NAN, 0, 1)); }, false},
        SpoilCase{"Rotation", [](CPRigidBody& b) { b.SetRotation(0, NAN, 0, 1); }, false},
        SpoilCase{"BoxSize",
                  [](CPRigidBody& b) {
                      b.GetGeometries()->SetBoxSize(1, NAN, 1);
                      b.UpdateBoundingInfo();
                  },
                  false},
        SpoilCase{"SphereRadius",
                  [](CPRigidBody& b) {
                      b.GetGeometries()->SetSphere(INFINITY);
                      b.UpdateBoundingInfo();
                  },
                  false},
        SpoilCase{"ForceInAStep", [](CPRigidBody& b) { b.AddController(&g_nanController, 1); }, true}),
    [](const ::testing::TestParamInfo<SpoilCase>& info) { return std::string(info.param.name); });

// --- kinematic bodies and write-back -------------------------------------------

TEST_F(RigidBodyTest, KinematicBoxPushesARestingOne)
{
    CPRigidBody* box = SleepingCube();
    Collisions().clear();
    simulator->SetCollisionCallback([](const CollisionInfo& info) { Collisions().push_back(info); });
    simulator->GetCollisionTable().Set(0, 0, 3);
    CPKinematicBody* pusher = simulator->CreateKinematicBody();
    pusher->AddGeometry()->SetBoxSize(1, 2, 1);
    pusher->UpdateBoundingInfo();
    float x = -1.5f;
    pusher->SetPosition(x, 0, 0.5f);
    for (int step = 0; step < 240; ++step) {
        x += 1.0f * CPSimulator::kTimeStep;
        pusher->SetPosition(x, 0, 0.5f);
        simulator->Step();
    }
    // The pusher's face ends at x − 0.5 + 0.5 = x; the box is ahead of it.
    EXPECT_GT(box->GetPosition().x, 0.9f);
    EXPECT_GE(box->GetPosition().x - 0.5f, x - 0.01f);
    EXPECT_NEAR(box->GetPosition().z, 0.5f, 0.01f);
    // Against a kinematic body the rigid one is A.
    ASSERT_FALSE(Collisions().empty());
    EXPECT_EQ(Collisions().front().bodyA, box);
    EXPECT_EQ(Collisions().front().bodyB, pusher);
    EXPECT_EQ(Collisions().front().typeB, CollisionInfo::kKinematicBody);
    EXPECT_NEAR(Collisions().front().normal.x, 1.0f, 1e-4f);
}

// A pusher box beside the sleeping cube, its face 0.5 behind the cube's.
CPKinematicBody* Pusher(CPSimulator& simulator, float x)
{
    CPKinematicBody* pusher = simulator.CreateKinematicBody();
    pusher->AddGeometry()->SetBoxSize(1, 2, 1);
    pusher->UpdateBoundingInfo();
    pusher->SetPosition(x, 0, 0.5f);
    return pusher;
}

TEST_F(RigidBodyTest, APusherMovedOnceAFramePushesAtItsOwnSpeed)
{
    CPRigidBody* cube = SleepingCube();
    const float frame = 1.0f / 60.0f;
    const float speed = 1.0f;
    float x = -1.5f;
    CPKinematicBody* pusher = Pusher(*simulator, x);
    float cubeAtOneSecond = 0.0f;
    for (int i = 1; i <= 120; ++i) {
        x += speed * frame;
        pusher->SetPosition(x, 0, 0.5f);
        simulator->Advance(frame);
        if (i == 60) cubeAtOneSecond = cube->GetPosition().x;
    }
    EXPECT_NEAR(cube->GetPosition().x - cubeAtOneSecond, speed * 1.0f, 0.05f) << "over the second second";
    EXPECT_NEAR(cube->GetPosition().x - 0.5f, x + 0.5f, 0.02f) << "just ahead of the pusher's face";
    // Through both steps of the frame; a frame without a move ends it.
    EXPECT_NEAR(pusher->GetVelocity().x, speed, 1e-3f);
    simulator->Advance(frame);
    EXPECT_EQ(pusher->GetVelocity(), D3DXVECTOR3(0, 0, 0));
}

TEST_F(RigidBodyTest, AMoveFasterThanAHundredMetresASecondIsAPlacementAndPushesNothing)
{
    CPRigidBody* cube = SleepingCube();
    const float frame = 1.0f / 60.0f;
    CPKinematicBody* pusher = Pusher(*simulator, -10.0f);
    simulator->Advance(frame);
    // 9 m in a frame: far beyond 100 m/s. It lands 1 cm into the cube.
    pusher->SetPosition(-0.99f, 0, 0.5f);
    float fastest = 0.0f;
    for (int i = 0; i < 30; ++i) {
        simulator->Advance(frame);
        fastest = std::max(fastest, Length(cube->GetVelocity()));
    }
    EXPECT_LT(fastest, 2.5f) << "only the overlap is pushed out";
    EXPECT_LT(cube->GetPosition().x, 0.2f);
}

// A move made over some steps pushes at its speed through exactly those
// steps; one faster than 100 m/s pushes nothing.
TEST_F(RigidBodyTest, AMovePushesAtItsSpeedForTheStepsItTookUpToAHundredMetresASecond)
{
    World();
    struct Case {
        float speed;
        int stepsPerMove;
        float pushing;
    };
    const Case cases[] = {{3, 1, 3}, {3, 3, 3}, {99, 2, 99}, {101, 2, 0}, {-101, 1, 0}};
    float x = -50.0f;
    for (const Case& c : cases) {
        x -= 10.0f;
        CPKinematicBody* pusher = Pusher(*simulator, x);
        for (int i = 0; i < c.stepsPerMove; ++i) simulator->Step();
        pusher->SetPosition(x + c.speed * c.stepsPerMove * CPSimulator::kTimeStep, 0, 0.5f);
        for (int i = 0; i < c.stepsPerMove; ++i) {
            simulator->Step();
            EXPECT_NEAR(pusher->GetVelocity().x, c.pushing, 0.01f) << c.speed << " m/s, step " << i;
        }
        simulator->Step();
        EXPECT_EQ(pusher->GetVelocity(), D3DXVECTOR3(0, 0, 0)) << c.speed << " m/s, after its steps";
    }
}

TEST_F(RigidBodyTest, AFrameTimeOfNoFiniteNumberAdvancesNothingAndStopsNothing)
{
    World();
    CPRigidBody* ball = Ball(0.5f, 1, D3DXVECTOR3(0, 0, 10));
    simulator->Advance(NAN);
    EXPECT_EQ(ball->GetPosition().z, 10.0f);
    simulator->Advance(1.0f / 60.0f);
    EXPECT_LT(ball->GetPosition().z, 10.0f);
}

// Falling freely, a ball gains g x step of speed in each step it takes.
TEST_F(RigidBodyTest, AFrameOfExactlyOneStepTakesOneStepAndAShorterOneNone)
{
    World();
    CPRigidBody* ball = Ball(0.5f, 1, D3DXVECTOR3(0, 0, 10));
    simulator->Advance(CPSimulator::kTimeStep);
    EXPECT_NEAR(ball->GetVelocity().z, -kGravity * CPSimulator::kTimeStep, 1e-5f);
    simulator->Advance(0.999f * CPSimulator::kTimeStep);
    EXPECT_NEAR(ball->GetVelocity().z, -kGravity * CPSimulator::kTimeStep, 1e-5f) << "short of a step";
}

TEST_F(RigidBodyTest, WriteBackPlacesGameObjectsAndWakesNothing)
{
    World();
    road.AddSquare(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(0, 10, 0));
    CPGameObject object("crate");
    CPPhysicData* data = new CPPhysicData(&object);
    object.SetPhysicData(data);
    CPRigidBody* body = Box(D3DXVECTOR3(1, 1, 1), 1, D3DXVECTOR3(0, 0, 3), AxisAngle(D3DXVECTOR3(0, 0, 1), 0.5f));
    body->SetUserData(&object);
    data->SetRigidBody(body);

    const float frame = 1.0f / 60.0f;
    // Frames until done answers true, at most a minute of them; false when it never did.
    auto advanceUntil = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 3600 && !done(); ++i) simulator->Advance(frame);
        return done();
    };
    simulator->Advance(frame);
    EXPECT_EQ(*object.GetPositionRef(), body->GetPosition());
    EXPECT_EQ(*object.GetRotationRef(), body->GetOrientation());
    ASSERT_TRUE(advanceUntil([body] { return body->GetRestTime() > 0.0f; })) << "never came to rest";
    // Resting but awake: writing back again restarts no rest.
    const float restTime = body->GetRestTime();
    simulator->WriteBack();
    EXPECT_EQ(body->GetRestTime(), restTime);
    ASSERT_TRUE(advanceUntil([body] { return !body->IsAwake(); })) << "never fell asleep";
    simulator->WriteBack();
    EXPECT_FALSE(body->IsAwake());
    EXPECT_NEAR(object.GetPositionRef()->z, 0.5f, 0.005f);
    // The object's own move still reaches its body.
    object.SetPosition(0, 0, 4);
    EXPECT_TRUE(body->IsAwake());
    EXPECT_EQ(body->GetPosition().z, 4.0f);
}

} // namespace
} // namespace physics_test
