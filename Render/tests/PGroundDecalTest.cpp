#include "Render/PGroundDecal.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "core/PGameObject.h"
#include "physics/PCarWorld.h"
#include "physics/PPhysicData.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

void ExpectNear(const D3DXVECTOR2& actual, float x, float y)
{
    EXPECT_NEAR(actual.x, x, 1e-5f);
    EXPECT_NEAR(actual.y, y, 1e-5f);
}

TEST(DecalFrame, TheQuadUnderABoxWidensToItsWholeFootprint)
{
    // The quad of a box with half extents (1, 2, 0.5) unrotated at the origin.
    D3DXVECTOR2 origin(-1.1f, -2.1f);
    D3DXVECTOR2 u(2.2f, 0.0f);
    D3DXVECTOR2 v(0.0f, 0.2f);
    D3DXVECTOR2 reference(-1.1f, 1.9f);
    FitDecalFrame(origin, u, v, reference);
    ExpectNear(origin, -1.1f, -2.1f);
    ExpectNear(u, 2.2f, 0.0f);
    ExpectNear(v, 0.0f, 4.2f);
}

struct DegenerateCase {
    const char* name;
    D3DXVECTOR2 u;
    D3DXVECTOR2 v;
    D3DXVECTOR2 origin;
    D3DXVECTOR2 fittedU;
    D3DXVECTOR2 fittedV;
};

class DegenerateFrame : public testing::TestWithParam<DegenerateCase> {};

// The reference point lies at (0, 3) and the frame starts at the origin.
TEST_P(DegenerateFrame, IsRebuiltTowardsTheReferencePoint)
{
    const DegenerateCase& row = GetParam();
    D3DXVECTOR2 origin(0, 0);
    D3DXVECTOR2 u = row.u;
    D3DXVECTOR2 v = row.v;
    D3DXVECTOR2 reference(0, 3);
    FitDecalFrame(origin, u, v, reference);
    ExpectNear(origin, row.origin.x, row.origin.y);
    ExpectNear(u, row.fittedU.x, row.fittedU.y);
    ExpectNear(v, row.fittedV.x, row.fittedV.y);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DegenerateFrame,
    testing::Values(DegenerateCase{"NoU", {0, 0}, {1, 0}, {0, 0}, {0, 3}, {1, 0}},
                    DegenerateCase{"NoV", {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 3}},
                    DegenerateCase{"VWithinU", {2, 0}, {1, 0}, {0, 0}, {2, 0}, {0, 3}},
                    DegenerateCase{"VBeyondU", {1, 0}, {2, 0}, {0, 0}, {2, 0}, {0, 3}},
                    DegenerateCase{"VBehindU", {1, 0}, {-2, 0}, {-2, 0}, {3, 0}, {0, 3}}),
    [](const testing::TestParamInfo<DegenerateCase>& info) { return info.param.name; });

// A decal object with a mesh part over a small road: vertex 0 at the
// origin and triangles 0 (0, 1, 2) and 1 (2, 3, 1), with the physics data
// that lists the candidates. Parts outlive the objects that hold them.
class GroundDecal : public testing::Test {
protected:
    GroundDecal()
        : mesh(new CPRenderObject(nullptr)),
          candidates(new CPPhysicData(nullptr)),
          decal(new CPGameObject("shadow")),
          m_previousWorld(g_pCarWorld)
    {
        decal->SetComponent(CPGameObject::kKindMesh, mesh.get());
        mesh->SetOwner(decal.get());
        world.GetRoadVertices() = {D3DXVECTOR4(0, 0, 1, 0), D3DXVECTOR4(2, 0, 1, 0),
                                   D3DXVECTOR4(0, 4, 2, 0), D3DXVECTOR4(2, 4, 3, 0)};
        world.GetRoadTriangles() = {RoadTriangle{{0, 1, 2}, 0, 0, 0}, RoadTriangle{{2, 3, 1}, 0, 0, 0},
                                    RoadTriangle{{0, 1, 7}, 0, 0, 0}};
        g_pCarWorld = &world;
    }
    ~GroundDecal() override
    {
        decal.reset();
        g_pCarWorld = m_previousWorld;
    }

    void SetCandidates(const std::vector<int32_t>& list)
    {
        for (size_t i = 0; i < list.size(); ++i) candidates->GetCandidates()[i] = list[i];
        candidates->SetCandidateCount(static_cast<int32_t>(list.size()));
    }

    // Projects a frame of 2 x 4 units from the origin, whose reference point
    // leaves it as it is.
    void Project()
    {
        ProjectDecalOnGround(decal.get(), D3DXVECTOR2(0, 0), D3DXVECTOR2(0, 0), D3DXVECTOR2(2, 0),
                             D3DXVECTOR2(0, 4), candidates.get());
    }

    std::unique_ptr<CPRenderObject> mesh;
    std::unique_ptr<CPPhysicData> candidates;
    std::unique_ptr<CPGameObject> decal;
    CPCarWorld world;

private:
    CPCarWorld* m_previousWorld;
};

TEST_F(GroundDecal, CopiesEachTriangleOnceJustAboveTheGround)
{
    // Triangle 1 twice, and once more as 0 is listed after it.
    SetCandidates({1, 1, 0});
    Project();
    std::vector<Vertex48>& vertices = mesh->GetLocalVertices();
    ASSERT_EQ(vertices.size(), 6u);
    EXPECT_EQ(mesh->GetIndices(), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(vertices[0].position, D3DXVECTOR3(0, 4, 2.03f)) << "triangle 1 in its own order";
    EXPECT_EQ(vertices[1].position, D3DXVECTOR3(2, 4, 3.03f));
    EXPECT_EQ(vertices[3].position, D3DXVECTOR3(0, 0, 1.03f));
    EXPECT_EQ(vertices[3].normal, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(vertices[3].diffuse, 0xFFFFFFFFu);
    // Frame coordinates (s - 1, t): the origin gives (-1, 0), the far
    // corner (0, 1).
    ExpectNear(vertices[3].tex0, -1, 0);
    ExpectNear(vertices[1].tex0, 0, 1);
    EXPECT_EQ(mesh->GetWorldVertices().size(), 6u);
}

// A turned, slanted frame from (1, -1) along u (2, 1) and v (-1, 3): the
// ground vertices (0, 0), (2, 0) and (0, 4) lie at the frame coordinates
// (-2/7, 3/7), (4/7, 1/7) and (2/7, 11/7).
TEST_F(GroundDecal, TextureCoordinatesFollowATurnedFrame)
{
    SetCandidates({0});
    ProjectDecalOnGround(decal.get(), D3DXVECTOR2(1, -1), D3DXVECTOR2(1, -1), D3DXVECTOR2(2, 1),
                         D3DXVECTOR2(-1, 3), candidates.get());
    std::vector<Vertex48>& vertices = mesh->GetLocalVertices();
    ASSERT_EQ(vertices.size(), 3u);
    ExpectNear(vertices[0].tex0, -2 / 7.0f - 1, 3 / 7.0f);
    ExpectNear(vertices[1].tex0, 4 / 7.0f - 1, 1 / 7.0f);
    ExpectNear(vertices[2].tex0, 2 / 7.0f - 1, 11 / 7.0f);
}

TEST_F(GroundDecal, TheSameCornersInAnotherOrderCountAsTheSameTriangle)
{
    world.GetRoadTriangles().push_back(RoadTriangle{{2, 0, 1}, 0, 0, 0});
    SetCandidates({0, 3});
    Project();
    EXPECT_EQ(mesh->GetLocalVertices().size(), 3u);
}

TEST_F(GroundDecal, SkipsCandidatesOutsideTheRoadTablesAndClampsTheCount)
{
    SetCandidates({-1, 3, 2, 0});
    Project();
    EXPECT_EQ(mesh->GetLocalVertices().size(), 3u) << "only triangle 0 names real vertices";

    SetCandidates({0});
    candidates->SetCandidateCount(5000);
    Project();
    EXPECT_EQ(mesh->GetLocalVertices().size(), 3u);
}

TEST_F(GroundDecal, NoCandidatesEmptyTheMeshAndADegenerateFrameKeepsIt)
{
    SetCandidates({0});
    Project();
    ASSERT_EQ(mesh->GetLocalVertices().size(), 3u);
    ProjectDecalOnGround(decal.get(), D3DXVECTOR2(1, 1), D3DXVECTOR2(1, 1), D3DXVECTOR2(0, 0),
                         D3DXVECTOR2(0, 0), candidates.get());
    EXPECT_EQ(mesh->GetLocalVertices().size(), 3u);

    SetCandidates({});
    Project();
    EXPECT_TRUE(mesh->GetLocalVertices().empty());
    EXPECT_TRUE(mesh->GetIndices().empty());
}

TEST_F(GroundDecal, TheQuadAtAPointCoversTheObjectsBoxUnderItsMatrix)
{
    decal->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 2, 0.5f)));
    SetCandidates({0});
    D3DXMATRIX placement;
    D3DXMatrixTranslation(&placement, 1.1f, 2.1f, 0.0f);
    CPRender render;
    render.AddQuadAtPoint(decal.get(), placement, candidates.get());
    std::vector<Vertex48>& vertices = mesh->GetLocalVertices();
    ASSERT_EQ(vertices.size(), 3u);
    // The footprint runs from (0, 0) over 2.2 x 4.2.
    ExpectNear(vertices[0].tex0, -1, 0);
    ExpectNear(vertices[1].tex0, 2 / 2.2f - 1, 0);
    ExpectNear(vertices[2].tex0, -1, 4 / 4.2f);
}

} // namespace
