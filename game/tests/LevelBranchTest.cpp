#include "game/PLevelBranch.h"

#include "Render/PPerspectiveCamera.h"
#include "Render/PIVertexBuffer.h"
#include "Render/PRenderQueue.h"
#include "Render/tests/FixedDrawable.h"
#include "Render/tests/RecordingBuffers.h"
#include "core/RayQuery.h"
#include "core/Settings.h"
#include "game/tests/LevelObjectFixtures.h"
#include "game/tests/ViewFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace level_test;

namespace {

std::set<std::string> NamesOf(const CPGameObject::ObjectList& objects)
{
    std::set<std::string> names;
    for (const RefPtr<CPGameObject>& object : objects) names.insert(object->GetName());
    return names;
}

// Box objects of eight material types ("type1" to "type8"), a render queue
// for the drawing walk and a camera view.
class LevelBranchTest : public LevelObjectTest {
protected:
    LevelBranchTest() : queue(nullptr), m_previousDistance(g_distance)
    {
        for (int type = 1; type <= 8; ++type) WriteBoxObject("type" + std::to_string(type), type);
        render.SetRenderQueue(&queue);
        g_distance = 200;
    }
    ~LevelBranchTest() override
    {
        render.SetRenderQueue(nullptr);
        g_distance = m_previousDistance;
    }

    RefPtr<CPGameObject> Box(int type, const std::string& name, const D3DXVECTOR3& position)
    {
        return Place("type" + std::to_string(type), name, position);
    }

    RefPtr<CPLevelBranch> Tree(const CPGameObject::ObjectList& objects)
    {
        RefPtr<CPLevelBranch> root(new CPLevelBranch());
        root->SetObjects(objects);
        root->Build();
        return root;
    }

    void Look(const D3DXVECTOR3& eye, const D3DXVECTOR3& target) { view_test::Look(view, eye, target); }

    // The material types of those objects whose blocks hold drawables this
    // frame.
    std::set<int> DrawnTypes(const std::vector<CPGameObject*>& objects)
    {
        std::set<int> types;
        for (CPGameObject* object : objects) {
            RefPtr<CPMaterial> material;
            object->GetRenderObject()->GetMaterial(material);
            CPIVBlock* block = queue.GetFrameBlock(material.Get());
            if (block && !block->GetDrawables().empty()) types.insert(material->GetType());
        }
        return types;
    }

    CPRenderQueue queue;
    CPPerspectiveCamera view;

private:
    int m_previousDistance;
};

TEST_F(LevelBranchTest, OneObjectIsASingleLeafAroundItsBox)
{
    RefPtr<CPGameObject> object = Box(1, "crate", D3DXVECTOR3(5.0f, -7.0f, 2.0f));
    RefPtr<CPLevelBranch> root = Tree({object});
    EXPECT_TRUE(root->IsLeaf());
    EXPECT_EQ(root->GetObjects().size(), 1u);
    EXPECT_EQ(root->GetBox().minimum, D3DXVECTOR3(4.0f, -9.0f, -0.5f));
    EXPECT_EQ(root->GetBox().maximum, D3DXVECTOR3(6.0f, -5.0f, 5.5f));
    EXPECT_EQ(root->GetMaterialCount(), 1);
    EXPECT_EQ(root->GetDistanceObjects().size(), 1u) << "loaded objects carry the tree flag";
    EXPECT_TRUE(root->GetStaticObjects().empty());
}

TEST_F(LevelBranchTest, ObjectsAtOnePointShareALeafAndAnEmptyListChangesNothing)
{
    const D3DXVECTOR3 point(3.0f, 4.0f, 0.0f);
    RefPtr<CPGameObject> first = Box(1, "first", point);
    RefPtr<CPGameObject> second = Box(2, "second", point);
    SetObjectTreeFlag(second.Get(), false);
    RefPtr<CPLevelBranch> root = Tree({first, second});
    EXPECT_TRUE(root->IsLeaf());
    EXPECT_EQ(root->GetObjects().size(), 2u);
    EXPECT_EQ(root->GetMaterialCount(), 1) << "parts without the tree flag bring no material";
    EXPECT_EQ(NamesOf(root->GetStaticObjects()), std::set<std::string>{"second"});
    EXPECT_EQ(NamesOf(root->GetDistanceObjects()), std::set<std::string>{"first"});

    root->SetObjects({});
    EXPECT_EQ(root->GetObjects().size(), 2u);
}

struct SplitCase {
    const char* name;
    struct Placed {
        const char* name;
        int type;
        D3DXVECTOR3 position;
    } objects[4];
    int objectCount;
    std::set<std::string> lowHalf;
};

class Splits : public LevelBranchTest, public testing::WithParamInterface<SplitCase> {};

// The halves are compared by the sum of their material counts.
TEST_P(Splits, TakeTheAxisWhoseHalvesUseFewestMaterials)
{
    const SplitCase& row = GetParam();
    CPGameObject::ObjectList objects;
    for (int i = 0; i < row.objectCount; ++i) {
        objects.push_back(Box(row.objects[i].type, row.objects[i].name, row.objects[i].position));
    }
    RefPtr<CPLevelBranch> root = Tree(objects);
    ASSERT_FALSE(root->IsLeaf());
    EXPECT_EQ(NamesOf(root->GetChild(0)->GetObjects()), row.lowHalf);
    EXPECT_EQ(root->GetChild(0)->GetObjects().size() + root->GetChild(1)->GetObjects().size(),
              static_cast<size_t>(row.objectCount));
}

const D3DXVECTOR3 kOrigin(0, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Rows, Splits,
    testing::Values(
        // x gives halves of 2 + 2 materials, y of 1 + 1.
        SplitCase{"YHalvesWithFewerMaterialsReplaceX",
                  {{"a", 1, D3DXVECTOR3(0, 0, 0)}, {"b", 2, D3DXVECTOR3(0, 10, 0)},
                   {"c", 1, D3DXVECTOR3(10, 0, 0)}, {"d", 2, D3DXVECTOR3(10, 10, 0)}},
                  4, {"a", "c"}},
        // Both axes give 2 + 2.
        SplitCase{"ATieKeepsX",
                  {{"a", 1, D3DXVECTOR3(0, 0, 0)}, {"b", 2, D3DXVECTOR3(0, 10, 0)},
                   {"c", 2, D3DXVECTOR3(10, 0, 0)}, {"d", 1, D3DXVECTOR3(10, 10, 0)}},
                  4, {"a", "b"}},
        // x gives 2 + 2, y does not separate, z gives 1 + 1.
        SplitCase{"ZHalvesWithFewerMaterialsReplaceX",
                  {{"a", 3, D3DXVECTOR3(0, 5, 0)}, {"b", 4, D3DXVECTOR3(0, 5, 20)},
                   {"c", 3, D3DXVECTOR3(8, 5, 0)}, {"d", 4, D3DXVECTOR3(8, 5, 20)}},
                  4, {"a", "c"}},
        SplitCase{"YSplitsWhenXDoesNot",
                  {{"a", 1, D3DXVECTOR3(4, -3, 0)}, {"b", 1, D3DXVECTOR3(4, 9, 0)}}, 2, {"a"}},
        // The middle of 0 and 10 is 5: the object on it stays low.
        SplitCase{"AnObjectOnTheMiddleStaysLow",
                  {{"a", 1, D3DXVECTOR3(0, 0, 0)}, {"b", 1, D3DXVECTOR3(5, 0, 0)},
                   {"c", 1, D3DXVECTOR3(10, 0, 0)}},
                  3, {"a", "b"}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST_F(LevelBranchTest, SplitsDownToLeavesOfOneObjectWhoseBoxesEncloseThem)
{
    CPGameObject::ObjectList objects;
    for (int i = 0; i < 6; ++i) objects.push_back(Box(1 + i % 3, "o" + std::to_string(i), D3DXVECTOR3(7.0f * i, -3.0f * i, i)));
    RefPtr<CPLevelBranch> root = Tree(objects);
    std::vector<CPLevelBranch*> open = {root.Get()};
    size_t leaves = 0;
    while (!open.empty()) {
        CPLevelBranch* branch = open.back();
        open.pop_back();
        if (branch->IsLeaf()) {
            ASSERT_EQ(branch->GetObjects().size(), 1u);
            const AxisAlignedBox box = LevelBoxOf(*branch->GetObjects()[0]);
            EXPECT_EQ(branch->GetBox().minimum, box.minimum);
            EXPECT_EQ(branch->GetBox().maximum, box.maximum);
            ++leaves;
            continue;
        }
        open.push_back(branch->GetChild(0));
        open.push_back(branch->GetChild(1));
    }
    EXPECT_EQ(leaves, objects.size());
    EXPECT_EQ(root->GetMaterialCount(), 3);
}

TEST(CPLevelBranch, BonusNamesAreBonusAloneOrBonusAndAnUnderscore)
{
    const struct {
        const char* name;
        bool bonus;
    } cases[] = {{"bonus", true},     {"bonus_a", true}, {"bonus_", true}, {"bonus1", false},
                 {"my_bonus", false}, {"Bonus", false},  {"bonu", false},  {"", false}};
    for (const auto& c : cases) EXPECT_EQ(IsBonusName(c.name), c.bonus) << c.name;
}

TEST_F(LevelBranchTest, LeavesListTheirBonusesWithTheirWorldPositions)
{
    const D3DXVECTOR3 point(3.0f, -7.0f, 2.0f);
    RefPtr<CPLevelBranch> root = Tree({Box(1, "bonus1", point), Box(1, "bonus_a", point), Box(1, "my_bonus", point),
                                       Box(1, "bonus", point)});
    ASSERT_TRUE(root->IsLeaf());
    EXPECT_EQ(NamesOf(root->GetBonusObjects()), (std::set<std::string>{"bonus_a", "bonus"}));
    ASSERT_EQ(root->GetBonusPositions().size(), 2u);
    EXPECT_EQ(root->GetBonusPositions()[1], point) << "the object's origin, not its box centre";

    RefPtr<CPLevelBranch> split = Tree({Box(1, "bonus", kOrigin), Box(1, "bonus_b", D3DXVECTOR3(20, 0, 0))});
    EXPECT_TRUE(split->GetBonusObjects().empty()) << "only leaves list bonuses";
    EXPECT_EQ(split->GetChild(1)->GetBonusPositions(), std::vector<D3DXVECTOR3>{D3DXVECTOR3(20, 0, 0)});
}

struct DetailCase {
    float distance;
    int drawnType;  // 0: nothing drawn
};

class LevelsOfDetail : public LevelBranchTest, public testing::WithParamInterface<DetailCase> {};

// "tower" (type 1) is drawn as itself up to 20, as "mid" (type 2) above
// 20 up to 50, as nothing ("null") above 50 up to 100 and as "far"
// (type 3) above 100 up to the draw distance of 200.
TEST_P(LevelsOfDetail, PickTheEntryWhoseRangeHoldsTheViewersDistance)
{
    WriteBoxObject("mid", 2);
    WriteBoxObject("far", 3);
    WriteBoxObject("tower", 1, {"lod", "mid.rdf,20", "lod", "null,50", "lod", "far.rdf,100"});
    const D3DXVECTOR3 position(40.0f, -30.0f, 1.0f);
    RefPtr<CPGameObject> tower = Place("tower", "tower", position);
    const std::vector<CPGameObject::LevelOfDetail>& levels = tower->GetLevelsOfDetail();
    ASSERT_EQ(levels.size(), 4u);
    ASSERT_FALSE(levels[2].object);
    RefPtr<CPLevelBranch> root = Tree({tower});

    const float d = GetParam().distance;
    Look(position + D3DXVECTOR3(0.6f * d, -0.8f * d, 0.0f), position);
    root->Render(view);
    const std::set<int> expected =
        GetParam().drawnType ? std::set<int>{GetParam().drawnType} : std::set<int>{};
    EXPECT_EQ(DrawnTypes({tower.Get(), levels[1].object.Get(), levels[3].object.Get()}), expected) << d;
    EXPECT_EQ(queue.GetObjectCount(), 1);
    queue.ClearFrame();
    EXPECT_EQ(queue.GetObjectCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, LevelsOfDetail,
                         testing::Values(DetailCase{10.0f, 1}, DetailCase{20.0f, 1}, DetailCase{20.5f, 2},
                                         DetailCase{50.0f, 2}, DetailCase{51.0f, 0}, DetailCase{100.0f, 0},
                                         DetailCase{101.0f, 3}, DetailCase{200.0f, 3}, DetailCase{201.0f, 0}));

TEST_F(LevelBranchTest, ObjectsWithoutFurtherLevelsOfDetailDrawBeyondTheDrawDistance)
{
    RefPtr<CPGameObject> detailed = Box(4, "detailed", D3DXVECTOR3(500, 0, 0));
    RefPtr<CPGameObject> plain = Box(5, "plain", D3DXVECTOR3(500, 10, 0));
    SetObjectTreeFlag(plain.Get(), false);
    RefPtr<CPLevelBranch> root = Tree({detailed, plain});
    Look(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0));
    root->Render(view);
    EXPECT_EQ(DrawnTypes({detailed.Get(), plain.Get()}), (std::set<int>{4, 5}));
}

// Both objects lie within the draw distance; the view sees only the first,
// though it sees the root that holds both.
TEST_F(LevelBranchTest, LeavesOutsideTheViewAreNotDrawnOrCounted)
{
    RefPtr<CPGameObject> seen = Box(5, "seen", D3DXVECTOR3(0, 0, 0));
    RefPtr<CPGameObject> hidden = Box(6, "hidden", D3DXVECTOR3(60, 0, 0));
    RefPtr<CPGameObject> alsoSeen = Box(7, "also seen", D3DXVECTOR3(0, 10, 0));
    SetObjectTreeFlag(alsoSeen.Get(), false);
    RefPtr<CPLevelBranch> root = Tree({seen, hidden, alsoSeen});
    Look(D3DXVECTOR3(-3, -40, 5), D3DXVECTOR3(-3, 0, 0));
    ASSERT_TRUE(view.IsBoxVisible(root->GetBox().minimum, root->GetBox().maximum));
    root->Render(view);
    EXPECT_EQ(DrawnTypes({seen.Get(), hidden.Get(), alsoSeen.Get()}), (std::set<int>{5, 7}));
    EXPECT_EQ(queue.GetObjectCount(), 2);
}

TEST_F(LevelBranchTest, RaysKeepTheNearestHitAcrossLeaves)
{
    RefPtr<CPGameObject> nearer = Box(1, "nearer", D3DXVECTOR3(20, 0, 0));
    RefPtr<CPGameObject> farther = Box(1, "farther", D3DXVECTOR3(40, 15, 0));
    RefPtr<CPGameObject> aside = Box(1, "aside", D3DXVECTOR3(30, 50, 0));
    RefPtr<CPLevelBranch> root = Tree({farther, aside, nearer});
    RayQuery query = MakeRay(D3DXVECTOR3(0.0f, -15.0f, 1.0f), D3DXVECTOR3(0.8f, 0.6f, 0.0f), 100.0f);
    EXPECT_TRUE(root->IntersectRay(query));
    EXPECT_EQ(query.hitObject.Get(), nearer.Get());
    // The ray enters the nearer box's -x face at x = 19: 19 / 0.8 along it.
    EXPECT_NEAR(query.distance, 23.75f, 1e-4f);

    // Backwards the nearer box lies in the tree's upper half, searched after
    // the lower one that the ray also crosses.
    query = MakeRay(D3DXVECTOR3(100.0f, 15.0f, 1.0f), D3DXVECTOR3(-1.0f, 0.0f, 0.0f), 100.0f);
    RefPtr<CPLevelBranch> line = Tree({Box(1, "low", D3DXVECTOR3(20, 15, 0)), farther});
    EXPECT_TRUE(line->IntersectRay(query));
    EXPECT_EQ(query.hitObject.Get(), farther.Get());
    EXPECT_NEAR(query.distance, 59.0f, 1e-4f);

    query = MakeRay(D3DXVECTOR3(0.0f, -15.0f, 1.0f), D3DXVECTOR3(0.8f, 0.6f, 0.0f), 20.0f);
    EXPECT_FALSE(root->IntersectRay(query)) << "too short to reach";
    EXPECT_FALSE(query.hitObject);
}

TEST_F(LevelBranchTest, SpheresCollectTheObjectsTheyReach)
{
    RefPtr<CPLevelBranch> root = Tree({Box(1, "a", D3DXVECTOR3(0, 0, 0)), Box(2, "b", D3DXVECTOR3(30, 0, 0)),
                                       Box(3, "c", D3DXVECTOR3(0, 40, 0))});
    // b's corner (31, 2, 3.5) lies 13 from this centre.
    const D3DXVECTOR3 centre(34.0f, 6.0f, 15.5f);
    CPGameObject::ObjectList found;
    root->CollectInSphere(centre, 13.0f, found);
    EXPECT_EQ(NamesOf(found), std::set<std::string>{"b"});
    found.clear();
    root->CollectInSphere(centre, 12.99f, found);
    EXPECT_TRUE(found.empty());
    root->CollectInSphere(D3DXVECTOR3(0, 20, 0), 20.0f, found);
    EXPECT_EQ(NamesOf(found), (std::set<std::string>{"a", "c"}));
    EXPECT_EQ(found.size(), 2u);
}

// The halves of each split hold the root's objects again; only the root
// writes them.
TEST_F(LevelBranchTest, WithTheStaticSettingTheRootWritesItsDistanceObjectsIntoTheSharedBuffer)
{
    const int kCapacity = 64;
    RecordingRing ring(1, kCapacity, kCapacity);
    std::unique_ptr<CPIVertexBuffer> shared(
        new CPIVertexBuffer(ring.VertexBuffers(), ring.IndexBuffers(), kCapacity, kCapacity, false));
    CPRenderQueue fillingQueue(shared.get());
    render.SetRenderQueue(&fillingQueue);
    const int previousStatic = g_static;
    g_static = 1;
    std::vector<std::unique_ptr<FixedDrawable>> drawables;
    CPGameObject::ObjectList objects;
    for (int i = 0; i < 3; ++i) {
        drawables.emplace_back(new FixedDrawable(1 << i, 3));
        RefPtr<CPGameObject> object(new CPGameObject("part" + std::to_string(i)));
        object->SetComponent(CPGameObject::kKindMesh, drawables.back().get());
        object->GetParts().push_back(CPBoundingBox(kOrigin, BoxHalf()));
        object->SetPosition(30.0f * i, 0.0f, 0.0f);
        object->UpdateTransform();
        objects.push_back(object);
    }
    objects[1]->ClearSharedGeometry();

    ASSERT_TRUE(shared->Lock(0, 0, true, -1));
    RefPtr<CPLevelBranch> root = Tree(objects);
    shared->Unlock(true);
    EXPECT_FALSE(root->IsLeaf());
    EXPECT_EQ(shared->GetBaseCounter(), 1 + 4);
    EXPECT_EQ(drawables[0]->writes, 1);
    EXPECT_EQ(drawables[1]->writes, 0);
    g_static = previousStatic;
    render.SetRenderQueue(&queue);
}

TEST_F(LevelBranchTest, StopObjectsStopsTheObjectsDrawnAsTheyAre)
{
    RefPtr<CPGameObject> plain = Box(1, "plain", D3DXVECTOR3(0, 0, 0));
    RefPtr<CPGameObject> detailed = Box(1, "detailed", D3DXVECTOR3(30, 0, 0));
    SetObjectTreeFlag(plain.Get(), false);
    RefPtr<CPLevelBranch> root = Tree({plain, detailed});
    plain->Start(200);
    detailed->Start(200);
    root->StopObjects();
    EXPECT_FALSE(plain->IsStarted());
    EXPECT_TRUE(detailed->IsStarted());
    detailed->Stop();
}

} // namespace
