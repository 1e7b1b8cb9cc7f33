#include "physics/tests/PhysicsTestSupport.h"

#include "core/PGameObject.h"
#include "core/Settings.h"
#include "physics/PPhysicData.h"

namespace physics_test {
namespace {

class PhysicDataTest : public PhysicsWorld {
protected:
    void SetUp() override
    {
        PhysicsWorld::SetUp();
        m_savedDivisor = g_weight_div;
    }
    void TearDown() override
    {
        g_weight_div = m_savedDivisor;
        PhysicsWorld::TearDown();
    }

    const float m_position[3] = {1, 2, 3};
    const float m_orientation[4] = {0, 0, 0.6f, 0.8f};

private:
    int m_savedDivisor = 0;
};

struct DivisorCase {
    int divisor;
    float massValue;
    float mass;
};

class WeightDivisor : public PhysicDataTest, public ::testing::WithParamInterface<DivisorCase> {};

TEST_P(WeightDivisor, MassesAreFileValuesOverTheDivisor)
{
    g_weight_div = GetParam().divisor;
    CPPhysicData data(nullptr);
    data.SetBodyParams(1, 2, 3, GetParam().massValue);
    data.AddBox(m_position, m_orientation, 1, 1, 1, GetParam().massValue);
    EXPECT_EQ(data.GetMass(), GetParam().mass);
    EXPECT_EQ(data.GetShapes()[0].mass, GetParam().mass);
}

INSTANTIATE_TEST_SUITE_P(Divisors, WeightDivisor,
                         ::testing::Values(DivisorCase{4, 6, 1.5f}, DivisorCase{0, 6, 6},
                                           DivisorCase{-2, 6, -3}, DivisorCase{2, -6, -3}));

TEST_F(PhysicDataTest, ShapeRecordsKeepTheFileValues)
{
    CPPhysicData data(nullptr);
    data.AddBox(m_position, m_orientation, 4, 5, 6, 0);
    data.AddShapeType1(m_position, m_orientation, 0.8f, 0.3f, 0);
    ASSERT_EQ(data.GetShapes().size(), 2u);
    const PhysicShape& box = data.GetShapes()[0];
    EXPECT_EQ(box.type, 0);
    EXPECT_EQ(box.positionZ, 3.0f);
    EXPECT_EQ(box.orientationW, 0.8f);
    EXPECT_EQ(D3DXVECTOR4(box.size1, box.size2, box.size3, box.size4), D3DXVECTOR4(4, 5, 6, 0));
    const PhysicShape& cylinder = data.GetShapes()[1];
    EXPECT_EQ(cylinder.type, 1);
    EXPECT_EQ(D3DXVECTOR4(cylinder.size1, cylinder.size2, cylinder.size3, cylinder.size4),
              D3DXVECTOR4(5, 0.3f, 5, 0.8f));
    EXPECT_EQ(cylinder.geometry, nullptr);
}

TEST_F(PhysicDataTest, SetupCompletesTheRigidBodyFromTheOwner)
{
    g_weight_div = 1;
    World();
    CPGameObject owner("crate");
    owner.SetPosition(4, 5, 6);
    owner.SetRotation(0, 0, 3, 4);
    CPPhysicData* data = new CPPhysicData(&owner);
    owner.SetPhysicData(data);
    data->SetBodyParams(1, 0.5f, 4, 3);
    data->SetWantsController(true);
    data->SetupRigidBody();
    EXPECT_TRUE(data->IsSetupPending()) << "nothing to set up without a body";

    CPRigidBody* body = simulator->CreateRigidBody();
    body->AddGeometry()->SetBoxSize(0.5f, 4, 1);
    data->SetRigidBody(body);
    data->SetupRigidBody();
    data->SetupRigidBody();
    EXPECT_FALSE(data->IsSetupPending());
    // The box rule on (sizeB, sizeC, sizeA): the largest extent is 4.
    EXPECT_EQ(body->GetInertia(), ComputeInertia(D3DXVECTOR3(4, 4, 4), 3));
    EXPECT_EQ(body->GetMass(), 3.0f);
    EXPECT_EQ(body->GetPosition(), D3DXVECTOR3(4, 5, 6));
    EXPECT_NEAR(body->GetOrientation().z, 0.6f, 1e-6f);
    EXPECT_EQ(body->GetControllerCount(), 1);
    EXPECT_EQ(data->GetController()->GetCallback(), data);
    EXPECT_EQ(body->GetBoundsHalfSize(), D3DXVECTOR3(0.25f, 2, 0.5f));
}

TEST_F(PhysicDataTest, StoredMotionIsWrittenIntoTheBodyEveryStep)
{
    World(D3DXVECTOR3(0, 0, 0));
    CPPhysicData data(nullptr);
    CPRigidBody* body = Box(D3DXVECTOR3(1, 1, 1), 1, D3DXVECTOR3(0, 0, 0));
    data.SetRigidBody(body);
    body->AddController(&data, 1);
    body->SetVelocity(D3DXVECTOR3(0, 0, -2));
    data.SetStoredMotion(D3DXVECTOR3(0, 0, 0.5f), D3DXVECTOR3(2, 0, 0), false);
    Run(0.5f);
    EXPECT_NEAR(body->GetPosition().z, -1.0f, 1e-4f) << "keeps its own motion while the stored one is off";
    data.SetStoredMotion(D3DXVECTOR3(0, 0, 0.5f), D3DXVECTOR3(2, 0, 0), true);
    const D3DXVECTOR3 before = body->GetPosition();
    Run(0.5f);
    EXPECT_NEAR(body->GetPosition().x - before.x, 1.0f, 1e-4f);
    EXPECT_NEAR(body->GetPosition().z, before.z, 1e-4f);
    EXPECT_EQ(body->GetAngularMomentum(), D3DXVECTOR3(0, 0, 0.5f));
}

TEST_F(PhysicDataTest, GameObjectsMoveTheirPoolBodies)
{
    World();
    CPGameObject object("gate");
    CPPhysicData* data = new CPPhysicData(&object);
    object.SetPhysicData(data);
    CPKinematicBody* gate = simulator->CreateKinematicBody();
    data->SetKinematicBody(gate);
    object.SetPosition(1, 2, 3);
    EXPECT_EQ(gate->GetPosition(), D3DXVECTOR3(1, 2, 3));
    EXPECT_TRUE(gate->IsMoved());
    simulator->Step();
    EXPECT_FALSE(gate->IsMoved());
}

} // namespace
} // namespace physics_test
