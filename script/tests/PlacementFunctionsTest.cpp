#include "script/tests/ScriptTest.h"
#include "script/tests/ScriptBodies.h"

#include "game/PLevel.h"
#include "physics/PSimulator.h"

#include <memory>
#include <string>
#include <vector>

namespace {

const float kTolerance = 1e-5f;

class PlacementFunctions : public ScriptTest {
protected:
    PlacementFunctions() : simulator(SimulatorSizeInfo(), nullptr, D3DXVECTOR3(0.0f, 0.0f, 0.0f)) {}

    static D3DXVECTOR3 WorldPosition(const CPGameObject& object)
    {
        const D3DXMATRIX& world = object.GetWorldMatrix();
        return D3DXVECTOR3(world._41, world._42, world._43);
    }

    static void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, const char* what)
    {
        EXPECT_NEAR(actual.x, expected.x, kTolerance) << what;
        EXPECT_NEAR(actual.y, expected.y, kTolerance) << what;
        EXPECT_NEAR(actual.z, expected.z, kTolerance) << what;
    }

    static void ExpectSameRotation(const D3DXQUATERNION& actual, const D3DXQUATERNION& expected, const char* what)
    {
        EXPECT_NEAR(actual.x, expected.x, kTolerance) << what;
        EXPECT_NEAR(actual.y, expected.y, kTolerance) << what;
        EXPECT_NEAR(actual.z, expected.z, kTolerance) << what;
        EXPECT_NEAR(actual.w, expected.w, kTolerance) << what;
    }

    CPSimulator simulator;
};

// About x first, then z: the child's offset (0, 1, 0) turns to (0, 0, 1);
// the other order would give (-1, 0, 0).
TEST_F(PlacementFunctions, RotationTurnsAboutXThenYThenZAndReachesChildrenAndBodies)
{
    ObjectWithPhysics<CPGameObject> placed("placed");
    ObjectWithPhysics<CPGameObject> simulated("simulated");
    ObjectWithPhysics<CPGameObject> both("both");
    RefPtr<CPGameObject> child(new CPGameObject("child"));
    child->SetPosition(0.0f, 1.0f, 0.0f);
    placed.object.AddChild(child);
    CPKinematicBody* kinematic = simulator.CreateKinematicBody();
    CPRigidBody* rigid = simulator.CreateRigidBody();
    placed.physics.SetKinematicBody(kinematic);
    simulated.physics.SetRigidBody(rigid);
    CPKinematicBody* bothPlaced = simulator.CreateKinematicBody();
    both.physics.SetKinematicBody(bothPlaced);
    both.physics.SetRigidBody(simulator.CreateRigidBody());
    SetGlobalHandle("placed", &placed.object);
    SetGlobalHandle("simulated", &simulated.object);
    SetGlobalHandle("both", &both.object);

    Results("SetRotation(placed, math.pi / 2, 0, math.pi / 2) SetRotation(simulated, 0.3, -1.1, 2.0) "
            "SetRotation(both, 0.3, -1.1, 2.0)");

    ExpectNear(WorldPosition(*child), D3DXVECTOR3(0.0f, 0.0f, 1.0f), "the child, without a separate update");
    EXPECT_FALSE(placed.object.IsDirty());
    ExpectSameRotation(kinematic->GetOrientation(), *placed.object.GetRotationRef(), "a placed-only body");
    D3DXMATRIX x, y, z, expected;
    D3DXMatrixMultiply(&expected, D3DXMatrixRotationX(&x, 0.3f), D3DXMatrixRotationY(&y, -1.1f));
    D3DXMatrixMultiply(&expected, &expected, D3DXMatrixRotationZ(&z, 2.0f));
    D3DXQUATERNION turn;
    D3DXQuaternionRotationMatrix(&turn, &expected);
    ExpectSameRotation(*simulated.object.GetRotationRef(), turn, "three turns");
    ExpectSameRotation(rigid->GetOrientation(), turn, "a simulated body");
    ExpectSameRotation(both.physics.GetRigidBody()->GetOrientation(), turn, "both: the simulated body");
    ExpectSameRotation(bothPlaced->GetOrientation(), D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f),
                       "both: the placed body keeps its turn");
}

TEST_F(PlacementFunctions, PositionMovesTheObjectItsAttachedObjectsItsChildrenAndItsPlacedBody)
{
    CPGameObject farAway("moved_far");
    ObjectWithPhysics<CPGameObject> moved("moved");
    moved.object.AddLevelOfDetail(&moved.object, 0);
    moved.object.AddLevelOfDetail(&farAway, 100);
    RefPtr<CPGameObject> child(new CPGameObject("child"));
    child->SetPosition(1.0f, 0.0f, 0.0f);
    moved.object.AddChild(child);
    CPKinematicBody* kinematic = simulator.CreateKinematicBody();
    CPRigidBody* rigid = simulator.CreateRigidBody();
    moved.physics.SetKinematicBody(kinematic);
    moved.physics.SetRigidBody(rigid);
    SetGlobalHandle("moved", &moved.object);

    Results("SetPosition(moved, 4, -5, 6)");

    EXPECT_EQ(*moved.object.GetPositionRef(), D3DXVECTOR3(4.0f, -5.0f, 6.0f));
    EXPECT_EQ(*farAway.GetPositionRef(), D3DXVECTOR3(4.0f, -5.0f, 6.0f));
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(5.0f, -5.0f, 6.0f), "the child");
    EXPECT_EQ(kinematic->GetPosition(), D3DXVECTOR3(4.0f, -5.0f, 6.0f));
    EXPECT_EQ(rigid->GetPosition(), D3DXVECTOR3(0.0f, 0.0f, 0.0f)) << "the placed body takes the move";
    EXPECT_EQ(Numbers("return GetPosition(moved)"), (std::vector<float>{4.0f, -5.0f, 6.0f}));
}

TEST_F(PlacementFunctions, TheCheckpointMarkerMovesOntoTheGroundPlaneOfALevel)
{
    RefPtr<CPGameObject> marker(new CPGameObject("marker"));
    marker->SetPosition(1.0f, 2.0f, 3.0f);
    Results("ChangeCheckpointPosition(7, 8)");
    std::unique_ptr<CPLevel> level(new CPLevel());
    Results("ChangeCheckpointPosition(7, 8)");
    level->checkpointMarker = marker;
    Results("ChangeCheckpointPosition(-7.5, 8.25)");
    EXPECT_EQ(*marker->GetPositionRef(), D3DXVECTOR3(-7.5f, 8.25f, 0.0f));
    EXPECT_FALSE(marker->IsDirty());
    level.reset();
}

// The box is the world box round the parts: turned a quarter about z, the
// part's x and y extents swap.
TEST_F(PlacementFunctions, BoxInfoGivesHalfExtentsMinimumAndMaximumOfThePartsBox)
{
    CPGameObject boxed("boxed");
    boxed.GetParts().push_back(CPBoundingBox(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(1.0f, 2.5f, 0.5f)));
    SetGlobalHandle("boxed", &boxed);
    Results("SetPosition(boxed, 10, 20, 5) SetRotation(boxed, 0, 0, math.pi / 2)");
    const std::vector<float> box = Numbers("return GetBBoxInfo(boxed)");
    const float expected[] = {2.5f, 1.0f, 0.5f, 7.5f, 19.0f, 4.5f, 12.5f, 21.0f, 5.5f};
    ASSERT_EQ(box.size(), 9u);
    for (size_t i = 0; i < box.size(); ++i) EXPECT_NEAR(box[i], expected[i], 1e-4f) << i;
}

TEST_F(PlacementFunctions, ANullHandleMovesNothingAndReadsAsZeros)
{
    EXPECT_EQ(Numbers("SetPosition(nil, 1, 2, 3) SetRotation(nil, 1, 2, 3) return GetPosition(nil)"),
              std::vector<float>(3, 0.0f));
    EXPECT_EQ(Numbers("return GetBBoxInfo(nil)"), std::vector<float>(9, 0.0f));
    EXPECT_EQ(Numbers("return GetObjectSpeed(nil)"), std::vector<float>(1, 0.0f));
}

TEST_F(PlacementFunctions, ObjectSpeedIsTheBodysSpeedAndZeroBelowAThousandthOrWithoutABody)
{
    ObjectWithPhysics<CPGameObject> moving("moving");
    CPGameObject bodiless("bodiless");
    SetGlobalHandle("moving", &moving.object);
    SetGlobalHandle("bodiless", &bodiless);
    EXPECT_EQ(Numbers("return GetObjectSpeed(moving), GetObjectSpeed(bodiless)"),
              (std::vector<float>{0.0f, 0.0f}));
    CPRigidBody* body = simulator.CreateRigidBody();
    moving.physics.SetRigidBody(body);
    struct Case {
        D3DXVECTOR3 velocity;
        float speed;
    };
    const Case cases[] = {{D3DXVECTOR3(3.0f, 0.0f, -4.0f), 5.0f},
                          {D3DXVECTOR3(0.0f, 0.001f, 0.0f), 0.001f},
                          {D3DXVECTOR3(0.0f, 0.0009f, 0.0f), 0.0f},
                          // A squared length of exactly 1e-6 in float arithmetic moves.
                          {D3DXVECTOR3(0.0005999883869662881f, 0.0008000087109394372f, 0.0f), 0.001f}};
    for (const Case& c : cases) {
        body->SetVelocity(c.velocity);
        const std::vector<float> speed = Numbers("return GetObjectSpeed(moving)");
        ASSERT_EQ(speed.size(), 1u);
        EXPECT_NEAR(speed[0], c.speed, 1e-6f) << c.velocity.x << ", " << c.velocity.y;
    }
}

} // namespace
