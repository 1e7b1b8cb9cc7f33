#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "Render/tests/AffineYEffect.h"
#include "Render/tests/RecordingDevice.h"
#include "core/PGameObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

Vertex48 MakeVertex(float x, float y, float z)
{
    Vertex48 vertex = {};
    vertex.position = D3DXVECTOR3(x, y, z);
    vertex.normal = D3DXVECTOR3(0.0f, 2.0f, 0.0f);
    vertex.diffuse = 0x11223344;
    vertex.specular = 0x55667788;
    vertex.tex0 = D3DXVECTOR2(0.25f, 0.5f);
    return vertex;
}

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

// A mesh part of three vertices owned by a game object. The part outlives
// the object that holds a reference to it.
class RenderObjectTest : public testing::Test {
protected:
    RenderObjectTest() : mesh(new CPRenderObject(nullptr)), owner("body")
    {
        mesh->SetOwner(&owner);
        owner.SetComponent(CPGameObject::kKindMesh, mesh.get());
        mesh->GetLocalVertices() = {MakeVertex(1, 0, 0), MakeVertex(0, 1, 0), MakeVertex(0, 0, 1)};
        mesh->GetIndices() = {0, 1, 2};
    }

    std::vector<Vertex48> Write(uint16_t base = 0)
    {
        std::vector<Vertex48> vertices(mesh->GetVertexCount());
        indices.assign(mesh->GetIndexCount(), 0);
        mesh->WriteGeometry(vertices.data(), indices.data(), base, true);
        return vertices;
    }

    std::unique_ptr<CPRenderObject> mesh;
    CPGameObject owner;
    std::vector<uint16_t> indices;
};

TEST_F(RenderObjectTest, WritesWorldVerticesWhenItsOwnerHasMoved)
{
    // A quarter turn about z, then a move to (1, 2, 3).
    owner.SetRotation(0.0f, 0.0f, std::sqrt(0.5f), std::sqrt(0.5f));
    owner.SetPosition(1, 2, 3);
    owner.UpdateTransform();
    ASSERT_TRUE(owner.IsTransformChanged());

    std::vector<Vertex48> written = Write();
    ExpectNear(written[0].position, D3DXVECTOR3(1, 3, 3));
    ExpectNear(written[1].position, D3DXVECTOR3(0, 2, 3));
    // Turned, not renormalised.
    ExpectNear(written[0].normal, D3DXVECTOR3(-2, 0, 0));
    EXPECT_EQ(written[0].diffuse, 0x11223344u);
    EXPECT_FALSE(owner.IsTransformChanged()) << "the part has caught up";

    // Without a new move the world copy is not recomputed.
    mesh->GetLocalVertices()[0].position = D3DXVECTOR3(9, 9, 9);
    ExpectNear(Write()[0].position, D3DXVECTOR3(1, 3, 3));
}

// The buffer gets exactly the refreshed world copy: position and normal
// placed, the diffuse colour from the local vertex, the specular colour and
// both texture-coordinate pairs kept from the world vertex.
TEST_F(RenderObjectTest, PlacedVerticesKeepTheWorldCopysOwnColourAndCoordinates)
{
    std::vector<Vertex48>& local = mesh->GetLocalVertices();
    local[1].normal = D3DXVECTOR3(0.3f, -0.5f, 0.7f);
    local[2].diffuse = 0xFF00FF00;
    std::vector<Vertex48> world = local;
    for (size_t i = 0; i < world.size(); ++i) {
        world[i].specular = 0xA0B0C0D0u + static_cast<D3DCOLOR>(i);
        world[i].tex0 = D3DXVECTOR2(5.0f + i, 6.0f);
        world[i].tex1 = D3DXVECTOR2(7.0f, 8.0f + i);
    }
    mesh->GetWorldVertices() = world;
    // Turned about a tilted axis and moved, so that every entry counts.
    D3DXQUATERNION turn;
    D3DXVECTOR3 axis(1.0f, 2.0f, 3.0f);
    D3DXQuaternionRotationAxis(&turn, &axis, 0.7f);
    owner.SetRotation(turn.x, turn.y, turn.z, turn.w);
    owner.SetPosition(1.5f, -2.0f, 3.25f);
    owner.UpdateTransform();

    std::vector<Vertex48> written = Write();
    const D3DXMATRIX& matrix = owner.GetWorldMatrix();
    for (size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(i);
        D3DXVECTOR3 position;
        D3DXVECTOR3 normal;
        D3DXVec3TransformCoord(&position, &local[i].position, &matrix);
        D3DXVec3TransformNormal(&normal, &local[i].normal, &matrix);
        ExpectNear(written[i].position, position);
        ExpectNear(written[i].normal, normal);
        EXPECT_EQ(written[i].diffuse, local[i].diffuse);
        EXPECT_EQ(written[i].specular, world[i].specular);
        EXPECT_EQ(written[i].tex0, world[i].tex0);
        EXPECT_EQ(written[i].tex1, world[i].tex1);
        EXPECT_EQ(std::memcmp(&written[i], &mesh->GetWorldVertices()[i], sizeof(Vertex48)), 0);
    }
}

TEST_F(RenderObjectTest, TheWorldCopyAlwaysHasTheCountThatWasAskedFor)
{
    // Nothing filled the world copy: writing still gives all three vertices.
    ASSERT_TRUE(mesh->GetWorldVertices().empty());
    std::vector<Vertex48> written = Write();
    ExpectNear(written[2].position, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(mesh->GetWorldVertices().size(), 3u);
    EXPECT_EQ(indices, (std::vector<uint16_t>{0, 1, 2}));
}

TEST_F(RenderObjectTest, EffectsRunInOrderFromTheWorldCopyAndLeaveItAlone)
{
    mesh->AddVertexEffect(std::unique_ptr<IPVertexEffect>(new AffineYEffect(1, 1)));
    mesh->AddVertexEffect(std::unique_ptr<IPVertexEffect>(new AffineYEffect(10, 0)));
    std::vector<Vertex48> written = Write();
    EXPECT_FLOAT_EQ(written[1].position.y, 20.0f) << "(1 + 1) x 10, not 1 x 10 + 1";
    EXPECT_FLOAT_EQ(written[0].position.y, 10.0f);
    EXPECT_FLOAT_EQ(mesh->GetWorldVertices()[1].position.y, 1.0f);
}

TEST_F(RenderObjectTest, IndicesAreMovedByTheBaseInSixteenBits)
{
    Write(65535);
    EXPECT_EQ(indices, (std::vector<uint16_t>{65535, 0, 1}));

    uint16_t raw[3] = {};
    uint16_t first = 7;
    uint16_t last = 7;
    mesh->CopyIndices(raw, 3, &first, &last);
    EXPECT_EQ(raw[2], 2);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 2);
}

TEST_F(RenderObjectTest, AStaticPartAnswersItsCountsButWritesNothing)
{
    mesh->SetStatic(true);
    EXPECT_EQ(mesh->GetVertexCount(), 3);
    EXPECT_EQ(mesh->GetIndexCount(), 3);
    std::vector<Vertex48> written(3, MakeVertex(7, 7, 7));
    uint16_t dest[3] = {9, 9, 9};
    mesh->WriteGeometry(written.data(), dest, 0, true);
    ExpectNear(written[0].position, D3DXVECTOR3(7, 7, 7));
    EXPECT_EQ(dest[0], 9);
}

TEST_F(RenderObjectTest, TransformingBakesIntoTheLocalVerticesOnly)
{
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 2, 3, 4);
    Write();
    mesh->TransformVertices(scale);
    ExpectNear(mesh->GetLocalVertices()[1].position, D3DXVECTOR3(0, 3, 0));
    ExpectNear(mesh->GetLocalVertices()[1].normal, D3DXVECTOR3(0, 6, 0));
    ExpectNear(mesh->GetWorldVertices()[1].position, D3DXVECTOR3(0, 1, 0));
}

TEST_F(RenderObjectTest, CopiesTakeTheMeshMaterialAndOwnEffectsButNoZones)
{
    CPMaterial material(1, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>());
    mesh->SetMaterial(&material);
    mesh->AddVertexEffect(std::unique_ptr<IPVertexEffect>(new AffineYEffect(1, 1)));
    mesh->BuildDamageZones();

    CPRenderObject copy(nullptr);
    copy.CopyFrom(mesh.get());
    EXPECT_EQ(copy.GetOwner(), &owner);
    EXPECT_EQ(copy.GetVertexCount(), 3);
    EXPECT_EQ(copy.GetIndices(), mesh->GetIndices());
    RefPtr<CPMaterial> shared;
    copy.GetMaterial(shared);
    EXPECT_EQ(shared.Get(), &material);
    EXPECT_TRUE(copy.HasVertexEffects());
    ASSERT_EQ(copy.GetVertexEffects().size(), 1u);
    EXPECT_NE(copy.GetVertexEffects()[0].get(), mesh->GetVertexEffects()[0].get());
    EXPECT_FALSE(copy.IsDeformable());
    EXPECT_TRUE(copy.GetDamageZones().empty());
    EXPECT_FALSE(copy.IsStatic());
    EXPECT_EQ(copy.GetStaticBuffers(), nullptr);
    shared = nullptr;
    mesh->SetMaterial(nullptr);
    copy.SetMaterial(nullptr);
}

TEST_F(RenderObjectTest, AStaticCopySharesTheRenderersBuffersOfItsMeshName)
{
    RecordingDevice device;
    CPRender render;
    render.SetDevice(device.Get());
    CPRender* previous = g_pRender;
    g_pRender = &render;
    mesh->SetStatic(true);
    mesh->SetMeshName("Rock");

    CPRenderObject copy(nullptr);
    copy.CopyFrom(mesh.get());
    EXPECT_TRUE(copy.IsStatic());
    EXPECT_EQ(copy.GetMeshName(), "Rock");
    ASSERT_NE(copy.GetStaticBuffers(), nullptr);
    EXPECT_EQ(copy.GetStaticBuffers(), render.GetStaticMeshBuffers("rock", nullptr, nullptr, 0, 0));
    EXPECT_EQ(copy.GetStaticBuffers()->vertexCount, 3);
    g_pRender = previous;
}

TEST_F(RenderObjectTest, AStaticCopyWithoutARendererKeepsItsMeshNameAndHasNoBuffers)
{
    CPRender* previous = g_pRender;
    g_pRender = nullptr;
    mesh->SetStatic(true);
    mesh->SetMeshName("Rock");
    CPRenderObject copy(nullptr);
    copy.CopyFrom(mesh.get());
    g_pRender = previous;
    EXPECT_TRUE(copy.IsStatic());
    EXPECT_EQ(copy.GetMeshName(), "Rock");
    EXPECT_EQ(copy.GetStaticBuffers(), nullptr);
}

TEST(RenderBlockMaterial, ReplacesTheDrawablesMaterial)
{
    CPMaterial first(1, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>());
    CPMaterial second(2, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>());
    CPRenderObject part(nullptr);
    RenderBlockSetMaterial(&part, &first);
    RenderBlockSetMaterial(&part, &second);
    RefPtr<CPMaterial> held;
    part.GetMaterial(held);
    EXPECT_EQ(held.Get(), &second);
    held = nullptr;
    part.SetMaterial(nullptr);
}

} // namespace
