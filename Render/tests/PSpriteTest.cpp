#include "Render/PCamera.h"
#include "Render/PSprite.h"
#include "core/PGameObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const float kHalfPi = 1.5707964f;

// A sprite on an object at (0, 0, 1) under a parent at the origin, seen by
// a view from (0, -10, 1) that looks along +y. The sprite outlives the
// objects that hold it.
class SpriteTest : public testing::Test {
protected:
    SpriteTest() : sprite(new CPSprite(0.5f)), parent("lamp post"), lamp("lamp")
    {
        view.SetEye(D3DXVECTOR3(0, -10, 1));
        view.SetTarget(D3DXVECTOR3(0, 0, 1));
        view.SetUp(D3DXVECTOR3(0, 0, 1));
        view.UpdateMatrices();
        m_previousView = g_pCurrentView;
        g_pCurrentView = &view;

        parent.AddChild(&lamp);
        lamp.SetComponent(CPGameObject::kKindSprite, sprite.get());
        lamp.SetPosition(0, 0, 1);
        parent.UpdateTransform();
        sprite->SetOwner(&lamp);
    }
    ~SpriteTest() override { g_pCurrentView = m_previousView; }

    CPPerspectiveCamera view;
    std::unique_ptr<CPSprite> sprite;
    CPGameObject parent;
    CPGameObject lamp;

private:
    CPPerspectiveCamera* m_previousView;
};

struct VisibilityCase {
    const char* name;
    float limit;
    D3DXVECTOR3 facing;
    float parentTurn; // radians about z
    bool visible;
    D3DCOLOR colour;
};

class SpriteVisibility : public SpriteTest, public testing::WithParamInterface<VisibilityCase> {};

TEST_P(SpriteVisibility, FollowsTheAngleLimit)
{
    const VisibilityCase& row = GetParam();
    const D3DXVECTOR3 zAxis(0, 0, 1);
    D3DXQUATERNION turn;
    D3DXQuaternionRotationAxis(&turn, &zAxis, row.parentTurn);
    parent.SetRotation(turn.x, turn.y, turn.z, turn.w);
    parent.UpdateTransform();
    sprite->SetFacing(row.facing, row.limit);

    EXPECT_EQ(sprite->GetVertexCount(), row.visible ? 4 : 0);
    EXPECT_EQ(sprite->GetIndexCount(), row.visible ? 6 : 0);
    EXPECT_EQ(sprite->IsVisible(), row.visible);
    if (row.visible) {
        EXPECT_EQ(sprite->GetColour(), row.colour);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpriteVisibility,
    testing::Values(
        VisibilityCase{"FixedFull", -1.0f, {0, 0, 0}, 0, true, 0xFFFFFFFF},
        VisibilityCase{"FixedHalf", -0.5f, {0, 0, 0}, 0, true, 0x7F7F7F7F},
        VisibilityCase{"FixedAtTheTenth", -0.1f, {0, 0, 0}, 0, true, 0x19191919},
        VisibilityCase{"HiddenNearZero", -0.05f, {0, 0, 0}, 0, false, 0},
        VisibilityCase{"NoLimitKeepsTheColour", 0.0f, {0, 0, 0}, 0, true, 0xFFFFFFFF},
        VisibilityCase{"FacingTheCamera", kHalfPi, {0, -1, 0}, 0, true, 0xFFFFFFFF},
        VisibilityCase{"AtTheLimit", kHalfPi, {1, 0, 0}, 0, true, 0x4C4C4C4C},
        VisibilityCase{"BeyondTheLimit", kHalfPi, {0, 1, 0}, 0, false, 0},
        VisibilityCase{"TurnedByTheTopmostAncestor", kHalfPi, {1, 0, 0}, -kHalfPi, true,
                       0xFFFFFFFF}),
    [](const testing::TestParamInfo<VisibilityCase>& info) { return info.param.name; });

// The facing is judged on the level: a camera high above the sprite that
// lies straight ahead in plan sees it in full.
TEST_F(SpriteTest, FacingIsJudgedOnTheLevelDirectionToACameraAbove)
{
    view.SetEye(D3DXVECTOR3(0, -10, 9));
    view.UpdateMatrices();
    sprite->SetFacing(D3DXVECTOR3(0, -1, 0), kHalfPi);
    EXPECT_EQ(sprite->GetVertexCount(), 4);
    EXPECT_EQ(sprite->GetColour(), 0xFFFFFFFFu);
}

// Seen level, and from above off the axes, where the camera's upright
// axis leans away from the world's.
TEST_F(SpriteTest, WritesACameraFacingQuadAroundItsOwner)
{
    sprite->SetRoll(kHalfPi);
    Vertex48 vertices[4];
    uint16_t indices[6];
    for (const D3DXVECTOR3& eye : {D3DXVECTOR3(0, -10, 1), D3DXVECTOR3(3, -4, 9)}) {
        view.SetEye(eye);
        view.UpdateMatrices();
        ASSERT_EQ(sprite->GetVertexCount(), 4);
        sprite->WriteGeometry(vertices, indices, 10, true);

        // The camera's right and up axes, in world space.
        const D3DXMATRIX& cameraToWorld = view.GetInverseView();
        D3DXVECTOR3 right(cameraToWorld._11, cameraToWorld._12, cameraToWorld._13);
        D3DXVECTOR3 up(cameraToWorld._21, cameraToWorld._22, cameraToWorld._23);
        // With a quarter roll the first corner sits at (size, -size) in the
        // camera plane.
        D3DXVECTOR3 expected = D3DXVECTOR3(0, 0, 1) + 0.5f * right - 0.5f * up;
        EXPECT_NEAR(vertices[0].position.x, expected.x, 1e-5f) << eye.z;
        EXPECT_NEAR(vertices[0].position.y, expected.y, 1e-5f) << eye.z;
        EXPECT_NEAR(vertices[0].position.z, expected.z, 1e-5f) << eye.z;
    }
    EXPECT_EQ(vertices[2].tex0, D3DXVECTOR2(1, 1));
    EXPECT_EQ(vertices[3].tex0, D3DXVECTOR2(0, 1));
    EXPECT_EQ(vertices[1].diffuse, 0xFFFFFFFFu);
    const uint16_t expectedIndices[6] = {10, 12, 11, 10, 13, 12};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(indices[k], expectedIndices[k]);
}

TEST_F(SpriteTest, WithoutAnOwnerOrAViewNothingIsDrawn)
{
    Vertex48 vertices[4] = {};
    uint16_t indices[6] = {};
    sprite->SetOwner(nullptr);
    EXPECT_EQ(sprite->GetVertexCount(), 0);
    sprite->WriteGeometry(vertices, indices, 0, true);
    EXPECT_EQ(indices[1], 0);

    sprite->SetOwner(&lamp);
    g_pCurrentView = nullptr;
    EXPECT_EQ(sprite->GetVertexCount(), 0);
    EXPECT_EQ(sprite->GetIndexCount(), 0);
}

} // namespace
