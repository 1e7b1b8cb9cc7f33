#include "Render/PPerspectiveCamera.h"
#include "Render/PQuadTreeNode.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "Render/RenderLog.h"
#include "Render/tests/FixedDrawable.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

// Objects with boxes of half extents (1, 1, 1), each drawn by a drawable
// of its own, and a renderer whose queue the walk fills. Drawables outlive
// the objects and the queue.
class QuadTreeTest : public testing::Test {
protected:
    QuadTreeTest() : queue(nullptr), m_previousRender(g_pRender)
    {
        render.SetRenderQueue(&queue);
        g_pRender = &render;
        g_distance = 200;
    }
    ~QuadTreeTest() override
    {
        g_pRender = m_previousRender;
        g_quadlevels = 0;
        g_distance = 200;
    }

    RefPtr<CPGameObject> Object(float x, float y)
    {
        drawables.emplace_back(new FixedDrawable(3, 3));
        objects.emplace_back(new CPGameObject("static"));
        CPGameObject* object = objects.back().get();
        object->SetComponent(CPGameObject::kKindMesh, drawables.back().get());
        object->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1)));
        SetObjectShadowFlag(object, false);
        object->SetPosition(x, y, 0);
        object->UpdateTransform();
        return object;
    }

    int QueuedCount()
    {
        CPIVBlock* block = queue.GetFrameBlock(nullptr);
        return block ? static_cast<int>(block->GetDrawables().size()) : 0;
    }

    // The root spans 200 x 200 around the origin and 20 in height.
    void BuildRoot(CPQuadTreeNode& root, const CPGameObject::ObjectList& list)
    {
        root.SetBounds(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(100, 100, 10));
        root.Build(list, 0);
    }

    std::vector<std::unique_ptr<FixedDrawable>> drawables;
    CPRender render;
    CPRenderQueue queue;
    std::vector<std::unique_ptr<CPGameObject>> objects;

private:
    CPRender* m_previousRender;
};

TEST(QuadTreeDepth, ASettingOutsideWhatCanBeBuiltIsChangedAndLogged)
{
    const struct {
        int setting;
        int depth;
        const char* line;
    } rows[] = {{0, 0, nullptr},
                {11, 11, nullptr},
                {-1, 0, "\"quadlevels\" -1 taken as 0"},
                {12, 11, "\"quadlevels\" 12 taken as 11"},
                {INT_MAX, 11, "\"quadlevels\" 2147483647 taken as 11"}};
    for (const auto& row : rows) {
        GetRenderLog().Clear();
        EXPECT_EQ(CPQuadTreeNode::LeafDepthFor(row.setting), row.depth) << row.setting;
        const std::vector<std::string> expected = row.line ? std::vector<std::string>{row.line}
                                                           : std::vector<std::string>{};
        EXPECT_EQ(GetRenderLog().GetLines(), expected);
    }
    GetRenderLog().Clear();
}

TEST_F(QuadTreeTest, ASettingBelowZeroMakesTheRootALeaf)
{
    g_quadlevels = -1;
    CPQuadTreeNode root;
    BuildRoot(root, {Object(10, 20)});
    EXPECT_FALSE(root.GetChild(0));
    EXPECT_EQ(root.GetObjects().size(), 1u);
    GetRenderLog().Clear();
}

struct QuadrantCase {
    const char* name;
    float x;
    float y;
    int quadrant;
};

class Quadrants : public QuadTreeTest, public testing::WithParamInterface<QuadrantCase> {};

TEST_P(Quadrants, EachObjectLiesInTheLeafOfItsQuadrant)
{
    const QuadrantCase& row = GetParam();
    g_quadlevels = 1;
    CPQuadTreeNode root;
    BuildRoot(root, {Object(row.x, row.y)});
    for (int i = 0; i < CPQuadTreeNode::kChildCount; ++i) {
        ASSERT_NE(root.GetChild(i), nullptr);
        EXPECT_EQ(root.GetChild(i)->GetObjects().size(), i == row.quadrant ? 1u : 0u) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Quadrants,
    testing::Values(QuadrantCase{"MinusMinus", -50, -50, 0}, QuadrantCase{"PlusPlus", 50, 50, 1},
                    QuadrantCase{"PlusMinus", 50, -50, 2}, QuadrantCase{"MinusPlus", -50, 50, 3},
                    QuadrantCase{"OnTheSplitOfZeroAndOne", 0, 0, 0},
                    QuadrantCase{"OnTheXSplitAbove", 0, 10, 1},
                    QuadrantCase{"OnTheRootsEdge", 100, -100, 2},
                    QuadrantCase{"OutsideTheRootJoinsTheNearest", -150, 160, 3}),
    [](const testing::TestParamInfo<QuadrantCase>& info) { return info.param.name; });

TEST_F(QuadTreeTest, LeavesTakeTheirObjectsBoundsAndEmptyLeavesKeepTheirQuadrant)
{
    g_quadlevels = 1;
    CPQuadTreeNode root;
    BuildRoot(root, {Object(50, 50), Object(60, 70)});
    const AxisAlignedBox* leaf = root.GetChild(1)->GetBounds();
    EXPECT_EQ(leaf->minimum, D3DXVECTOR3(49, 49, -1));
    EXPECT_EQ(leaf->maximum, D3DXVECTOR3(61, 71, 1));
    EXPECT_EQ(leaf->centre, D3DXVECTOR3(55, 60, 0));
    const AxisAlignedBox* empty = root.GetChild(0)->GetBounds();
    EXPECT_EQ(empty->centre, D3DXVECTOR3(-50, -50, 0));
    EXPECT_EQ(empty->halfExtents, D3DXVECTOR3(50, 50, 10));
    // The root encloses its children.
    EXPECT_EQ(root.GetBounds()->minimum, D3DXVECTOR3(-100, -100, -10));
    EXPECT_EQ(root.GetBounds()->maximum, D3DXVECTOR3(100, 100, 10));
}

struct DistanceCase {
    float eyeX;
    int queued;
};

class LeafDistance : public QuadTreeTest, public testing::WithParamInterface<DistanceCase> {};

TEST_P(LeafDistance, OnlyLeavesNearerThanTheViewDistanceAreQueued)
{
    CPQuadTreeNode root;
    BuildRoot(root, {Object(0, 0)});
    CPPerspectiveCamera camera;
    camera.SetEye(D3DXVECTOR3(GetParam().eyeX, 0, 0));
    camera.SetTarget(D3DXVECTOR3(0, 0, 0));
    camera.SetUp(D3DXVECTOR3(0, 0, 1));
    camera.UpdateMatrices();
    root.Render(camera);
    EXPECT_EQ(QueuedCount(), GetParam().queued);
    EXPECT_EQ(render.GetObjectCount(), GetParam().queued);
}

INSTANTIATE_TEST_SUITE_P(Rows, LeafDistance,
                         testing::Values(DistanceCase{200.0f, 0}, DistanceCase{199.9f, 1}));

TEST_F(QuadTreeTest, TheWalkQueuesOnlyTheLeavesTheCameraSees)
{
    g_quadlevels = 1;
    CPQuadTreeNode root;
    BuildRoot(root, {Object(-50, -50), Object(50, 50), Object(50, -50), Object(-50, 50)});
    root.GetChild(1)->GetSingleObjects().push_back(Object(40, 40));
    CPPerspectiveCamera camera;
    g_screenWidth = 640;
    g_screenHeight = 480;
    camera.SetFieldOfView(1.0f);
    camera.SetNearPlane(0.1f);
    camera.SetFarPlane(1000.0f);
    camera.SetEye(D3DXVECTOR3(0, 0, 5));
    camera.SetTarget(D3DXVECTOR3(50, 50, 0));
    camera.SetUp(D3DXVECTOR3(0, 0, 1));
    camera.UpdateMatrices();
    root.Render(camera);
    EXPECT_EQ(QueuedCount(), 2) << "the leaf's object and its single object";
    EXPECT_EQ(render.GetObjectCount(), 2);
}

} // namespace
