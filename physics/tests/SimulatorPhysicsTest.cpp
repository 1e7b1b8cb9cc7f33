#include "physics/tests/PhysicsTestSupport.h"

#include <algorithm>

namespace physics_test {
namespace {

class SimulatorPhysics : public PhysicsWorld {
protected:
    // A level floor at height 0, far larger than anything dropped on it.
    void Floor() { road.AddSquare(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(20, 0, 0), D3DXVECTOR3(0, 20, 0)); }

    // The highest the ball's bottom rises after its first bounce within two seconds.
    float ReboundHeight(const CPRigidBody& ball, float radius)
    {
        float highest = 0.0f;
        bool bounced = false;
        for (int step = 0; step < 240; ++step) {
            simulator->Step();
            bounced = bounced || ball.GetVelocity().z > 0.0f;
            if (bounced) highest = std::max(highest, ball.GetPosition().z - radius);
        }
        return highest;
    }
};

TEST_F(SimulatorPhysics, FreeFallCoversHalfGTSquared)
{
    World();
    CPRigidBody* body = Box(D3DXVECTOR3(1, 2, 3), 2, D3DXVECTOR3(0, 0, 0));
    Run(1.0f);
    EXPECT_NEAR(body->GetPosition().z, -4.9f, 0.05f);
    EXPECT_NEAR(body->GetPosition().x, 0.0f, 1e-6f);
}

TEST_F(SimulatorPhysics, TiltedBoxRestsFaceDownAtItsHalfHeight)
{
    World();
    Floor();
    const D3DXQUATERNION tilt = AxisAngle(D3DXVECTOR3(1, 0.4f, 0), 0.3f);
    CPRigidBody* body = Box(D3DXVECTOR3(1.0f, 0.7f, 0.4f), 3, D3DXVECTOR3(0.3f, -0.2f, 1.0f), tilt);
    Run(4.0f);
    EXPECT_NEAR(body->GetPosition().z, 0.2f, 0.005f);
    EXPECT_GT(std::fabs(body->GetRotation().column[2].z), 0.9995f);
    EXPECT_FALSE(body->IsAwake());
}

TEST_F(SimulatorPhysics, SphereReboundsToRestitutionSquaredTimesHeight)
{
    const float restitution = 0.8f;
    const float height = 1.5f;
    const float radius = 0.25f;
    World(D3DXVECTOR3(0, 0, -kGravity), 0.5f, restitution);
    Floor();
    CPRigidBody* ball = Ball(radius, 1, D3DXVECTOR3(0, 0, height + radius));
    const float highest = ReboundHeight(*ball, radius);
    EXPECT_NEAR(highest, restitution * restitution * height, 0.05f * restitution * restitution * height);
}

struct PairedMaterials {
    // Material 0 is the road's, material 1 the body's.
    float roadValue, bodyValue;
};

class MaterialPair : public SimulatorPhysics, public ::testing::WithParamInterface<PairedMaterials> {};

TEST_P(MaterialPair, ReboundTakesTheLargerRestitution)
{
    const float height = 1.5f;
    const float radius = 0.25f;
    World(D3DXVECTOR3(0, 0, -kGravity), 0.5f, 0.0f);
    simulator->SetMaterial(0, 0.5f, GetParam().roadValue);
    simulator->SetMaterial(1, 0.5f, GetParam().bodyValue);
    Floor();
    CPRigidBody* ball = Ball(radius, 1, D3DXVECTOR3(0, 0, height + radius));
    ball->GetGeometries()->SetMaterialIndex(1);
    const float highest = ReboundHeight(*ball, radius);
    // The larger of 0.8 and 0.2: 0.64 of the height.
    EXPECT_NEAR(highest, 0.64f * height, 0.05f * 0.64f * height);
}

TEST_P(MaterialPair, SlidingFrictionIsTheGeometricMeanOfTheTwo)
{
    World();
    simulator->SetMaterial(0, GetParam().roadValue, 0.0f);
    simulator->SetMaterial(1, GetParam().bodyValue, 0.0f);
    const float angle = 30.0f * kPi / 180.0f;
    const D3DXVECTOR3 along(0, std::cos(angle), std::sin(angle));
    const D3DXVECTOR3 normal(0, -std::sin(angle), std::cos(angle));
    road.AddSquare(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0), along * 30.0f);
    const D3DXVECTOR3 start = normal * 0.1f;
    CPRigidBody* body = Box(D3DXVECTOR3(1.2f, 1.0f, 0.2f), 4, start, AxisAngle(D3DXVECTOR3(1, 0, 0), angle));
    body->GetGeometries()->SetMaterialIndex(1);
    const float seconds = 1.5f;
    Run(seconds);
    const float travelled = -Dot(body->GetPosition() - start, along);
    // sqrt(0.8 x 0.2) = 0.4: g (sin 30° - 0.4 cos 30°) = 9.8 x 0.153590 = 1.505.
    EXPECT_NEAR(2.0f * travelled / (seconds * seconds), 1.505f, 0.05f * 1.505f);
}

INSTANTIATE_TEST_SUITE_P(Materials, MaterialPair,
                         ::testing::Values(PairedMaterials{0.8f, 0.2f}, PairedMaterials{0.2f, 0.8f}));

struct SlopeCase {
    float degrees;
    bool slides;
};

class BoxOnSlope : public SimulatorPhysics, public ::testing::WithParamInterface<SlopeCase> {};

TEST_P(BoxOnSlope, HoldsBelowTheFrictionAngleAndSlidesAboveIt)
{
    const float friction = 0.5f;
    World(D3DXVECTOR3(0, 0, -kGravity), friction);
    const float angle = GetParam().degrees * kPi / 180.0f;
    // The slope rises along +y; down the slope is −y.
    const D3DXVECTOR3 along(0, std::cos(angle), std::sin(angle));
    const D3DXVECTOR3 normal(0, -std::sin(angle), std::cos(angle));
    road.AddSquare(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0), along * 30.0f);
    const float halfHeight = 0.1f;
    const D3DXVECTOR3 start = normal * halfHeight;
    CPRigidBody* body = Box(D3DXVECTOR3(1.2f, 1.0f, 2 * halfHeight), 4, start, AxisAngle(D3DXVECTOR3(1, 0, 0), angle));
    const float seconds = 1.5f;
    Run(seconds);
    const float travelled = -Dot(body->GetPosition() - start, along);
    if (!GetParam().slides) {
        EXPECT_LT(std::fabs(travelled), 0.005f);
        return;
    }
    const float expected = kGravity * (std::sin(angle) - friction * std::cos(angle));
    EXPECT_NEAR(2.0f * travelled / (seconds * seconds), expected, 0.05f * expected);
}

INSTANTIATE_TEST_SUITE_P(Angles, BoxOnSlope,
                         ::testing::Values(SlopeCase{10, false}, SlopeCase{25, false}, SlopeCase{30, true},
                                           SlopeCase{45, true}));

TEST_F(SimulatorPhysics, ElasticCollisionKeepsMomentumAngularMomentumAndEnergy)
{
    World(D3DXVECTOR3(0, 0, 0), 0.0f, 1.0f);
    CPRigidBody* ball = Ball(0.3f, 2, D3DXVECTOR3(-2, 0.25f, 0.1f));
    CPRigidBody* box = Box(D3DXVECTOR3(1.0f, 0.8f, 0.6f), 5, D3DXVECTOR3(0, 0, 0), AxisAngle(D3DXVECTOR3(0.2f, 0.1f, 1), 0.35f));
    ball->SetVelocity(D3DXVECTOR3(3, 0.2f, 0));
    box->SetAngularMomentum(D3DXVECTOR3(0.02f, -0.03f, 0.05f));
    auto momentum = [&] { return ball->GetVelocity() * ball->GetMass() + box->GetVelocity() * box->GetMass(); };
    auto angularMomentum = [&] {
        D3DXVECTOR3 total(0, 0, 0);
        for (CPRigidBody* body : {ball, box}) {
            total += Cross(body->GetPosition(), body->GetVelocity() * body->GetMass()) + body->GetAngularMomentum();
        }
        return total;
    };
    const D3DXVECTOR3 p0 = momentum();
    const D3DXVECTOR3 l0 = angularMomentum();
    const float e0 = KineticEnergy(*ball) + KineticEnergy(*box);
    Run(1.5f);
    ASSERT_LT(ball->GetVelocity().x, 2.0f) << "the bodies never met";
    const D3DXVECTOR3 p1 = momentum();
    const D3DXVECTOR3 l1 = angularMomentum();
    EXPECT_LT(Length(p1 - p0), 1e-4f * Length(p0));
    EXPECT_LT(Length(l1 - l0), 1e-4f * Length(l0));
    EXPECT_NEAR(KineticEnergy(*ball) + KineticEnergy(*box), e0, 0.02f * e0);
}

// Does nothing, but a body with a controller never sleeps.
class IdleController : public IPControllerCallback {
public:
    void OnControllerStep(CPController*, float) override {}
};

class StackOfFive : public SimulatorPhysics, public ::testing::WithParamInterface<bool> {};

TEST_P(StackOfFive, StandsStillAwakeOrAsleep)
{
    World();
    Floor();
    IdleController idle;
    const D3DXVECTOR3 extents(0.8f, 0.6f, 0.5f);
    std::vector<CPRigidBody*> boxes;
    // Each box starts 3 mm above the one below: the stack has to settle.
    const float gap = 0.003f;
    for (int i = 0; i < 5; ++i) {
        boxes.push_back(Box(extents, 2, D3DXVECTOR3(0, 0, extents.z * (i + 0.5f) + gap * (i + 1))));
        if (GetParam()) boxes.back()->AddController(&idle, 1);
    }
    Run(0.5f);
    std::vector<D3DXVECTOR3> settled;
    for (int i = 0; i < 5; ++i) {
        settled.push_back(boxes[i]->GetPosition());
        EXPECT_NEAR(settled[i].z, extents.z * (i + 0.5f), 0.01f) << "box " << i;
    }
    const float oneDegree = std::cos(kPi / 180.0f);
    for (int step = 0; step < 1200; ++step) {
        simulator->Step();
        for (int i = 0; i < 5; ++i) {
            ASSERT_LT(Length(boxes[i]->GetPosition() - settled[i]), 0.01f) << "box " << i << " at step " << step;
            ASSERT_GT(boxes[i]->GetRotation().column[2].z, oneDegree) << "box " << i << " at step " << step;
        }
    }
    EXPECT_EQ(boxes[4]->IsAwake(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(KeptAwake, StackOfFive, ::testing::Bool());

TEST_F(SimulatorPhysics, BoxesTumblingInABowlNeverRegainLostEnergy)
{
    World(D3DXVECTOR3(0, 0, -kGravity), 0.4f, 0.3f);
    // A bowl z = 0.15 (x² + y²) out of a grid of triangles.
    const int cells = 12;
    const float size = 8.0f;
    auto bowl = [&](int i, int j) {
        const float x = -size / 2 + size * i / cells;
        const float y = -size / 2 + size * j / cells;
        return D3DXVECTOR3(x, y, 0.15f * (x * x + y * y));
    };
    for (int i = 0; i < cells; ++i) {
        for (int j = 0; j < cells; ++j) {
            road.AddTriangle(bowl(i, j), bowl(i + 1, j), bowl(i + 1, j + 1));
            road.AddTriangle(bowl(i, j), bowl(i + 1, j + 1), bowl(i, j + 1));
        }
    }
    std::vector<CPRigidBody*> boxes;
    for (int i = 0; i < 4; ++i) {
        const D3DXVECTOR3 place(-2.0f + 1.3f * i, 0.9f * (i % 2) - 0.4f, 3.0f + 0.5f * i);
        boxes.push_back(Box(D3DXVECTOR3(0.6f, 0.5f, 0.4f), 1 + i, place, AxisAngle(D3DXVECTOR3(1, i, 2), 0.7f * i)));
    }
    auto energy = [&] {
        float total = 0.0f;
        for (CPRigidBody* body : boxes) total += KineticEnergy(*body) + body->GetMass() * kGravity * body->GetPosition().z;
        return total;
    };
    const float start = energy();
    float lowest = start;
    float largestRise = 0.0f;
    for (int step = 0; step < 3600; ++step) {
        simulator->Step();
        const float now = energy();
        largestRise = std::max(largestRise, now - lowest);
        lowest = std::min(lowest, now);
    }
    // Energy lost in an impact never comes back.
    EXPECT_LE(largestRise, start * 0.005f);
    EXPECT_LT(energy(), start * 0.5f) << "the boxes should have come to rest near the bottom";
}

struct CrossingCase {
    const char* name;
    float startHeight;
    float speed;
    bool ball;
};

class RoadCrossing : public SimulatorPhysics, public ::testing::WithParamInterface<CrossingCase> {};

TEST_P(RoadCrossing, NothingPassesThroughARoadTriangleInOneStep)
{
    World(D3DXVECTOR3(0, 0, 0));
    Floor();
    const CrossingCase& c = GetParam();
    CPRigidBody* body = c.ball ? Ball(0.2f, 1, D3DXVECTOR3(0.3f, 0.1f, c.startHeight))
                               : Box(D3DXVECTOR3(0.5f, 0.3f, 0.2f), 1, D3DXVECTOR3(0.3f, 0.1f, c.startHeight),
                                     AxisAngle(D3DXVECTOR3(1, 2, 0), 0.3f));
    body->SetVelocity(D3DXVECTOR3(0, 0, c.speed));
    Run(1.0f);
    // Each stays on the side it came from.
    EXPECT_EQ(body->GetPosition().z > 0.0f, c.startHeight > 0.0f) << body->GetPosition().z;
}

// At 60 m/s a body covers half a metre a step, more than its own size.
INSTANTIATE_TEST_SUITE_P(Speeds, RoadCrossing,
                         ::testing::Values(CrossingCase{"BallFromAbove", 1.0f, -60.0f, true},
                                           CrossingCase{"BoxFromAbove", 1.0f, -60.0f, false},
                                           CrossingCase{"BallFromBelow", -1.0f, 60.0f, true},
                                           CrossingCase{"BoxFromBelow", -1.0f, 60.0f, false}),
                         [](const ::testing::TestParamInfo<CrossingCase>& info) {
                             return std::string(info.param.name);
                         });

struct RestingCase {
    const char* name;
    // Gives the body its shape; the body is then turned by the case's rotation.
    void (*shape)(CPGeometry& geometry);
    D3DXVECTOR3 axis;
    float angle;
    float height;
    float tolerance;
    // Dropped onto a 0.4 m slab resting on the floor instead of onto the floor.
    bool onSlab;
};

class ShapesAtRest : public SimulatorPhysics, public ::testing::WithParamInterface<RestingCase> {};

TEST_P(ShapesAtRest, ComeToRestOnWhatIsBelowThem)
{
    World();
    Floor();
    const float slab = 0.4f;
    if (GetParam().onSlab) Box(D3DXVECTOR3(3, 3, slab), 20, D3DXVECTOR3(0.1f, 0, slab / 2));
    const float base = GetParam().onSlab ? slab : 0.0f;
    CPRigidBody* body = simulator->CreateRigidBody();
    GetParam().shape(*body->AddGeometry());
    body->SetMass(2);
    body->SetInertiaTensor(D3DXVECTOR3(0.2f, 0.2f, 0.2f));
    Place(body, D3DXVECTOR3(0, 0.05f, base + 1.2f), AxisAngle(GetParam().axis, GetParam().angle));
    Run(3.0f);
    EXPECT_NEAR(body->GetPosition().z, base + GetParam().height, GetParam().tolerance);
    EXPECT_LT(Length(body->GetVelocity()), 1e-3f);
}

// A lying cylinder rests on its twelve-sided prism: its axis lies between
// the radius times cos 15° and the radius above the ground.
INSTANTIATE_TEST_SUITE_P(
    Shapes, ShapesAtRest,
    ::testing::Values(
        RestingCase{"Sphere", [](CPGeometry& g) { g.SetSphere(0.3f); }, D3DXVECTOR3(1, 0, 0), 0, 0.3f, 0.005f, false},
        RestingCase{"StandingCylinder", [](CPGeometry& g) { g.SetCylinder(0.6f, 1.0f); }, D3DXVECTOR3(1, 0, 0),
                    kPi / 2, 0.5f, 0.005f, false},
        RestingCase{"LyingCylinder", [](CPGeometry& g) { g.SetCylinder(0.6f, 1.0f); }, D3DXVECTOR3(0, 0, 1), 0.3f,
                    0.3f * 0.983f, 0.3f * 0.018f, false},
        RestingCase{"SphereOnSlab", [](CPGeometry& g) { g.SetSphere(0.3f); }, D3DXVECTOR3(1, 0, 0), 0, 0.3f, 0.005f,
                    true},
        RestingCase{"CylinderOnSlab", [](CPGeometry& g) { g.SetCylinder(0.6f, 1.0f); }, D3DXVECTOR3(1, 0, 0),
                    kPi / 2, 0.5f, 0.005f, true},
        RestingCase{"BoxOnSlab", [](CPGeometry& g) { g.SetBoxSize(0.5f, 0.7f, 0.9f); }, D3DXVECTOR3(0, 0, 1), 0.2f,
                    0.45f, 0.005f, true}),
    [](const ::testing::TestParamInfo<RestingCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace physics_test
