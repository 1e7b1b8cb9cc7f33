#include "Render/PLight.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "Render/tests/FixedDrawable.h"
#include "Render/tests/RecordingBuffers.h"
#include "Render/tests/RecordingDevice.h"
#include "Render/tests/ResourceTest.h"
#include "core/PGameObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Journal;

const int kCapacity = 64;

// A static part of four vertices and two triangles in shared buffers that
// record into the journal.
struct StaticScenery {
    StaticScenery(Journal& journal, CPMaterial* material)
        : vertices("static vb", 4 * sizeof(Vertex48), journal),
          indices("static ib", 12, journal),
          part(new CPRenderObject(nullptr))
    {
        mesh.vertexBuffer = &vertices;
        mesh.indexBuffer = &indices;
        mesh.vertexCount = 4;
        mesh.triangleCount = 2;
        part->SetStatic(true);
        part->SetStaticBuffers(&mesh);
        part->SetMaterial(material);
    }

    RecordingVertexBuffer vertices;
    RecordingIndexBuffer indices;
    StaticMeshBuffers mesh;
    std::unique_ptr<CPRenderObject> part;
};

// A queue over a recording ring of two pairs, published in the renderer.
// Drawables and lights outlive the objects and blocks that refer to them.
class RenderQueueTest : public ResourceTest {
protected:
    RenderQueueTest()
        : ring(2, kCapacity, kCapacity),
          buffer(new CPIVertexBuffer(ring.VertexBuffers(), ring.IndexBuffers(), kCapacity,
                                     kCapacity, false)),
          queue(new CPRenderQueue(buffer.get()))
    {
        render.SetRenderQueue(queue.get());
    }
    ~RenderQueueTest() override
    {
        objects.clear();
        queue.reset();
    }

    FixedDrawable* Drawable(int vertices, int indices, CPMaterial* material = nullptr)
    {
        drawables.emplace_back(new FixedDrawable(vertices, indices));
        drawables.back()->material = material;
        return drawables.back().get();
    }

    CPGameObject* Object(const std::string& name, int kind, IPObject* component,
                         CPGameObject* parent = nullptr)
    {
        objects.emplace_back(new CPGameObject(name));
        CPGameObject* object = objects.back().get();
        object->SetComponent(kind, component);
        if (parent) parent->AddChild(object);
        return object;
    }

    // The queue's blocks hold references to their materials up to its end,
    // so every material outlives the queue.
    CPMaterial plain{1, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>()};
    CPMaterial other{2, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>()};
    CPMaterial panel{200, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>()};
    std::vector<std::unique_ptr<FixedDrawable>> drawables;
    std::vector<std::unique_ptr<CPLight>> lights;
    RecordingRing ring;
    std::unique_ptr<CPIVertexBuffer> buffer;
    std::unique_ptr<CPRenderQueue> queue;
    std::vector<std::unique_ptr<CPGameObject>> objects;
    RecordingDevice device;
};

TEST_F(RenderQueueTest, MeshesOfOneMaterialShareABlockWhoseTotalsSkipStaticParts)
{
    FixedDrawable* first = Drawable(3, 6, &plain);
    FixedDrawable* second = Drawable(4, 9, &plain);
    FixedDrawable* scenery = Drawable(5, 12, &plain);
    scenery->isStatic = true;
    queue->AddObjectGeometry(Object("a", CPGameObject::kKindMesh, first));
    queue->AddObjectGeometry(Object("b", CPGameObject::kKindSprite, second));
    queue->AddObjectGeometry(Object("c", CPGameObject::kKindMesh, scenery));
    queue->AddObjectGeometry(Object("d", CPGameObject::kKindAnimated, Drawable(1, 3, &other)));

    CPIVBlock* block = queue->GetFrameBlock(&plain);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetDrawables().size(), 3u);
    EXPECT_EQ(block->GetVertexTotal(), 7);
    EXPECT_EQ(block->GetIndexTotal(), 15);
    EXPECT_FALSE(block->IsValid());
    EXPECT_STREQ(block->GetTypeName(), "CPIVBlock");
    EXPECT_EQ(block->GetSharedBuffer(), buffer.get());
    EXPECT_EQ(queue->GetFrameBlockCount(), 2);
}

TEST_F(RenderQueueTest, HiddenObjectsHideTheirSubtreeAndOtherKindsDrawNothing)
{
    CPGameObject* root = Object("root", CPGameObject::kKindGroup, nullptr);
    CPGameObject* hidden = Object("hidden", CPGameObject::kKindMesh, Drawable(3, 3, &plain), root);
    Object("underHidden", CPGameObject::kKindMesh, Drawable(3, 3, &plain), hidden);
    Object("shown", CPGameObject::kKindMesh, Drawable(4, 6, &plain), root);
    Object("particles", CPGameObject::kKindParticleSystem, Drawable(5, 6, &plain), root);
    hidden->SetVisible(false);

    queue->AddObject(root);
    CPIVBlock* block = queue->GetFrameBlock(&plain);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetDrawables().size(), 1u);
    EXPECT_EQ(block->GetVertexTotal(), 4);
}

TEST_F(RenderQueueTest, SharedGeometryOnlySkipsAnUnflaggedSubtree)
{
    CPGameObject* root = Object("root", CPGameObject::kKindMesh, Drawable(1, 3, &plain));
    CPGameObject* unflagged = Object("unflagged", CPGameObject::kKindMesh, Drawable(2, 3, &plain), root);
    Object("flaggedChild", CPGameObject::kKindMesh, Drawable(4, 3, &plain), unflagged);
    unflagged->ClearSharedGeometry();
    queue->SetSharedGeometryOnly(true);

    queue->AddObject(root);
    EXPECT_EQ(queue->GetFrameBlock(&plain)->GetVertexTotal(), 1);
}

// More materials than the queue remembers recent blocks for: at least two
// of them meet in one place of its memory, and each keeps its own block.
TEST_F(RenderQueueTest, EveryMaterialKeepsItsOwnBlockWhenMoreMaterialsThanPlacesAreQueued)
{
    const int kMaterials = 17;
    std::vector<std::unique_ptr<CPMaterial>> materials;
    for (int i = 0; i < kMaterials; ++i) {
        materials.emplace_back(new CPMaterial(i, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>()));
    }
    for (int frame = 0; frame < 2; ++frame) {
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < kMaterials; ++i) {
                queue->AddObject(Object("part", CPGameObject::kKindMesh, Drawable(i + 1, 3, materials[i].get())));
            }
        }
        EXPECT_EQ(queue->GetFrameBlockCount(), kMaterials);
        for (int i = 0; i < kMaterials; ++i) {
            CPIVBlock* block = queue->GetFrameBlock(materials[i].get());
            ASSERT_NE(block, nullptr) << i;
            EXPECT_EQ(block->GetVertexTotal(), 2 * (i + 1)) << i;
        }
        queue->ClearFrame();
    }
    EXPECT_EQ(queue->GetBlockCount(), kMaterials);
    queue.reset();
    objects.clear();
}

TEST_F(RenderQueueTest, LightsFillTheTableAtTheirOwnersPlaceUntilItIsFull)
{
    lights.emplace_back(new CPLight());
    CPGameObject* lamp = Object("lamp", CPGameObject::kKindLight, lights.back().get());
    lights.back()->SetOwner(lamp);
    lamp->SetPosition(10, 0, 2);
    lamp->UpdateTransform();

    queue->AddObjectGeometry(lamp);
    ASSERT_EQ(render.GetLightCount(), 1);
    EXPECT_EQ(D3DXVECTOR3(render.GetLight(0).Position), D3DXVECTOR3(10, 0, 2));

    for (int i = 1; i < CPRender::kMaxLights; ++i) render.AddLight(D3DLIGHT9());
    lamp->SetPosition(20, 0, 0);
    lamp->UpdateTransform();
    queue->AddObjectGeometry(lamp);
    EXPECT_EQ(render.GetLightCount(), 30);
    EXPECT_EQ(render.GetLight(0).Position.x, 10.0f);
    EXPECT_EQ(render.GetLight(29).Position.x, 0.0f);
    render.ApplyLights();
}

TEST_F(RenderQueueTest, BlocksLastAcrossFramesWhileTheFrameForgetsThem)
{
    CPGameObject* mesh = Object("mesh", CPGameObject::kKindMesh, Drawable(3, 3, &plain));
    queue->AddObject(mesh);
    CPIVBlock* block = queue->GetFrameBlock(&plain);
    queue->ClearFrame();
    EXPECT_EQ(queue->GetFrameBlock(&plain), nullptr);
    EXPECT_TRUE(block->GetDrawables().empty());
    EXPECT_EQ(block->GetVertexTotal(), 0);

    queue->AddObject(mesh);
    EXPECT_EQ(queue->GetFrameBlock(&plain), block);
    EXPECT_EQ(queue->GetBlockCount(), 1);
    block->OnLostDevice();
    EXPECT_FALSE(block->IsValid());
}

TEST_F(RenderQueueTest, TheRendererHandsOutTheQueueAndItsBufferAsTheStaticBatch)
{
    EXPECT_EQ(render.GetRenderQueue().Get(), queue.get());
    RefPtr<CPIVertexBuffer> batch = render.GetStaticBatch();
    EXPECT_EQ(batch.Get(), buffer.get());
    render.SetRenderQueue(nullptr);
    EXPECT_EQ(render.GetStaticBatch().Get(), nullptr);
    render.SetRenderQueue(queue.get());
}

TEST_F(RenderQueueTest, FillingWritesVisibleFlaggedMeshesOfTheTreeAndItsAttachments)
{
    CPGameObject* root = Object("root", CPGameObject::kKindMesh, Drawable(1, 3));
    Object("child", CPGameObject::kKindMesh, Drawable(2, 3), root);
    Object("animated", CPGameObject::kKindAnimated, Drawable(100, 3), root);
    CPGameObject* unflagged = Object("unflagged", CPGameObject::kKindMesh, Drawable(100, 3), root);
    unflagged->ClearSharedGeometry();
    Object("underUnflagged", CPGameObject::kKindMesh, Drawable(4, 3), unflagged);
    CPGameObject* hidden = Object("hidden", CPGameObject::kKindMesh, Drawable(100, 3), root);
    hidden->SetVisible(false);
    Object("underHidden", CPGameObject::kKindMesh, Drawable(100, 3), hidden);
    root->AddLevelOfDetail(root, 0);
    root->AddLevelOfDetail(Object("near", CPGameObject::kKindMesh, Drawable(8, 3)), 1);
    root->AddLevelOfDetail(RefPtr<CPGameObject>(), 2);

    RefPtr<CPIVertexBuffer> batch = render.GetStaticBatch();
    ASSERT_TRUE(batch->Lock(0, 0, true, -1));
    queue->FillVertexBuffer(root);
    batch->Unlock(true);
    EXPECT_EQ(batch->GetBaseCounter(), 1 + 2 + 4 + 8);
}

// A part drawn in the frame before is written again into the batch, and
// the batch's indices start from vertex 0.
TEST_F(RenderQueueTest, TheStaticBatchOpensEmptyAfterADrawnFrame)
{
    CPGameObject* drawn = Object("drawn", CPGameObject::kKindMesh, Drawable(5, 3, &plain));
    queue->AddObject(drawn);
    queue->DrawBlocks(device.Get());
    queue->ClearFrame();
    Object("child", CPGameObject::kKindMesh, Drawable(4, 3), drawn);

    RefPtr<CPIVertexBuffer> batch = render.GetStaticBatch();
    const int pair = batch->GetCurrent();
    ASSERT_TRUE(batch->Lock(0, 0, true, -1));
    queue->FillVertexBuffer(drawn);
    batch->Unlock(true);
    EXPECT_EQ(batch->GetVerticesWritten(), 5 + 4);
    const uint16_t* indices = reinterpret_cast<const uint16_t*>(ring.indexBuffers[pair]->bytes.data());
    EXPECT_EQ(indices[0], 0);
    EXPECT_EQ(indices[3], 5) << "the child follows the drawn part";
}

// One block of two dynamic drawables and a static part, drawn with a
// material of two textures and an effect of two passes.
TEST_F(RenderQueueTest, ABlockIsWrittenIntoTheNextPairAndDrawnPerPass)
{
    WriteTga("Data\\Textures\\red.tga", 4, 4);
    WriteTga("Data\\Textures\\blue.tga", 4, 4);
    WriteFile("Data\\Effects\\block.fx", "effect technique main passes 2");
    RefPtr<CPMaterial> material;
    materialManager.CreateMaterial(material, 1, "block.fx", {"red.tga", "blue.tga"});
    RecordingEffect* effect = effects.creations.back().effect;
    ASSERT_NE(effect, nullptr);
    effect->journal.clear();

    StaticScenery rockPart(ring.journal, material.Get());
    CPRenderObject* scenery = rockPart.part.get();
    CPGameObject* rock = Object("rock", CPGameObject::kKindMesh, scenery);
    scenery->SetOwner(rock);
    rock->SetPosition(5, 0, 0);
    rock->UpdateTransform();

    queue->AddObject(Object("a", CPGameObject::kKindMesh, Drawable(3, 3, material.Get())));
    queue->AddObject(Object("b", CPGameObject::kKindMesh, Drawable(4, 6, material.Get())));
    queue->AddObject(rock);
    buffer->Lock(0, 0, true, -1);
    buffer->Unlock(true);
    ring.journal.clear();

    queue->DrawBlocks(device.Get());
    EXPECT_EQ(ring.journal, (Journal{"vb1." + Call("Lock", {0, 336, 0x2800}),
                                     "ib1." + Call("Lock", {0, 18, 0x2800}), "vb1.Unlock",
                                     "ib1.Unlock"}));
    const Journal dynamicDraw = {Call("SetTransform", {D3DTS_WORLD}), Call("SetStreamSource", {0, 0, 48}),
                                 Call("SetIndices"), Call("SetFVF", {0x2D2}),
                                 Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 7, 0, 3})};
    const Journal staticDraw = {Call("SetTransform", {D3DTS_WORLD}), Call("SetStreamSource", {0, 0, 48}),
                                Call("SetIndices"), Call("SetFVF", {0x2D2}),
                                Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2})};
    Journal expected = {Call("SetTexture", {0}), Call("SetTexture", {1})};
    for (int pass = 0; pass < 2; ++pass) {
        expected.insert(expected.end(), dynamicDraw.begin(), dynamicDraw.end());
        expected.insert(expected.end(), staticDraw.begin(), staticDraw.end());
    }
    EXPECT_EQ(device.CallTexts(), expected);
    EXPECT_EQ(effect->journal,
              (Journal{"Begin 0", "BeginPass 0", "EndPass", "BeginPass 1", "EndPass", "End"}));

    const std::vector<DeviceCall>& calls = device.Calls();
    EXPECT_EQ(calls[0].texture, material->GetTextureBlock()->GetTexture(0)->GetBaseTexture());
    EXPECT_EQ(calls[3].resource, ring.vertexBuffers[1].get());
    EXPECT_EQ(calls[4].resource, ring.indexBuffers[1].get());
    EXPECT_EQ(calls[8].resource, &rockPart.vertices);
    EXPECT_EQ(calls[7].matrix._41, 5.0f) << "the static part is drawn at its owner";
    EXPECT_EQ(calls[2].matrix._41, 0.0f) << "dynamic geometry is already in world space";
    EXPECT_TRUE(queue->GetFrameBlock(material.Get())->IsValid());

    queue->ClearFrame();
    device.ForgetCalls();
    queue->DrawBlocks(device.Get());
    EXPECT_TRUE(device.CallTexts().empty());
    scenery->SetMaterial(nullptr);
    objects.clear();
}

// The material has no textures either, so stage 0 is emptied of whatever
// an earlier block left there.
TEST_F(RenderQueueTest, WithoutAnEffectTheBlockIsDrawnOnceByTheFixedPipeline)
{
    queue->AddObject(Object("a", CPGameObject::kKindMesh, Drawable(3, 3, &plain)));
    queue->DrawBlocks(device.Get());
    EXPECT_EQ(device.CallTexts(),
              (Journal{Call("SetTexture", {0}), Call("SetTransform", {D3DTS_WORLD}), Call("SetStreamSource", {0, 0, 48}),
                       Call("SetIndices"), Call("SetFVF", {0x2D2}),
                       Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1})}));
}

// Blocks are told apart by their vertex counts.
TEST_F(RenderQueueTest, BlocksDrawInAscendingMaterialTypeWithinTheAskedRange)
{
    queue->AddObject(Object("panel", CPGameObject::kKindMesh, Drawable(5, 3, &panel)));
    queue->AddObject(Object("b", CPGameObject::kKindMesh, Drawable(4, 3, &other)));
    queue->AddObject(Object("untyped", CPGameObject::kKindMesh, Drawable(6, 3)));
    queue->AddObject(Object("a", CPGameObject::kKindMesh, Drawable(3, 3, &plain)));
    const struct {
        int from;
        int to;
        std::vector<unsigned long> vertexCounts;
    } ranges[] = {{-1000, 1000, {6, 3, 4, 5}}, {1, 200, {3, 4}}, {2, 201, {4, 5}}, {3, 200, {}}, {0, 1, {6}}};
    for (const auto& range : ranges) {
        device.ForgetCalls();
        queue->DrawBlocks(device.Get(), range.from, range.to);
        std::vector<unsigned long> drawn;
        for (const std::string& call : device.CallTexts()) {
            for (unsigned long count : {3ul, 4ul, 5ul, 6ul}) {
                if (call == Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, count, 0, 1})) drawn.push_back(count);
            }
        }
        EXPECT_EQ(drawn, range.vertexCounts) << "[" << range.from << ", " << range.to << ")";
    }
    device.ForgetCalls();
    queue->DrawBlocks(device.Get());
    EXPECT_EQ(device.CallTexts().back(), Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 5, 0, 1}));
    objects.clear();
}

// Three parts of one material, of which two fill a pair: by its room, or
// by the vertices that 16-bit indices reach in a pair with room for all.
TEST_F(RenderQueueTest, ABlockLargerThanAPairGoesOnInTheNextPair)
{
    const struct {
        int vertexCapacity;
        int partVertices;
    } cases[] = {{64, 30}, {100000, 30000}};
    for (const auto& sizes : cases) {
        const int indexCapacity = 3 * sizes.partVertices;
        RecordingRing largeRing(2, sizes.vertexCapacity, indexCapacity);
        CPIVertexBuffer largeBuffer(largeRing.VertexBuffers(), largeRing.IndexBuffers(), sizes.vertexCapacity,
                                    indexCapacity, false);
        CPRenderQueue largeQueue(&largeBuffer);
        for (int part = 0; part < 3; ++part) {
            largeQueue.AddObject(Object("part", CPGameObject::kKindMesh,
                                        Drawable(sizes.partVertices, sizes.partVertices, &plain)));
        }
        device.ForgetCalls();
        largeQueue.DrawBlocks(device.Get());

        const unsigned long two = 2ul * sizes.partVertices;
        const unsigned long one = sizes.partVertices;
        std::vector<std::string> draws;
        std::vector<const void*> streams;
        for (const DeviceCall& call : device.Calls()) {
            if (call.text.find("DrawIndexedPrimitive") == 0) draws.push_back(call.text);
            if (call.text.find("SetStreamSource") == 0) streams.push_back(call.resource);
        }
        EXPECT_EQ(draws, (Journal{Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, two, 0, two / 3}),
                                  Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, one, 0, one / 3})}))
            << sizes.partVertices;
        EXPECT_EQ(streams, (std::vector<const void*>{largeRing.vertexBuffers[0].get(), largeRing.vertexBuffers[1].get()}));
        const uint16_t* secondIndices = reinterpret_cast<const uint16_t*>(largeRing.indexBuffers[1]->bytes.data());
        EXPECT_EQ(secondIndices[0], 0) << "each pair's indices start from its own first vertex";
        const std::string secondLock =
            "vb1." + Call("Lock", {0, static_cast<unsigned long>(sizes.partVertices * sizeof(Vertex48)), 0x2800});
        EXPECT_NE(std::find(largeRing.journal.begin(), largeRing.journal.end(), secondLock), largeRing.journal.end())
            << "the second pair is locked for what is left";
        objects.clear();
    }
}

// The block's static part is drawn once, with the first pair.
TEST_F(RenderQueueTest, APartTooLargeForAnyPairIsPassedOver)
{
    StaticScenery rock(ring.journal, &plain);
    queue->AddObject(Object("rock", CPGameObject::kKindMesh, rock.part.get()));
    for (int vertices : {30, kCapacity + 1, 30}) {
        queue->AddObject(Object("part", CPGameObject::kKindMesh, Drawable(vertices, 30, &plain)));
    }
    queue->DrawBlocks(device.Get());
    std::vector<std::string> draws;
    for (const std::string& call : device.CallTexts()) {
        if (call.find("DrawIndexedPrimitive") == 0) draws.push_back(call);
    }
    const std::string dynamicDraw = Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 30, 0, 10});
    const std::string staticDraw = Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2});
    EXPECT_EQ(draws, (Journal{dynamicDraw, staticDraw, dynamicDraw}));
    queue->ClearFrame();
    rock.part->SetMaterial(nullptr);
    objects.clear();
}

TEST_F(RenderQueueTest, ABlockWhosePairWillNotLockDrawsNothing)
{
    ring.vertexBuffers[0]->failLocks = true;
    queue->AddObject(Object("a", CPGameObject::kKindMesh, Drawable(3, 3, &plain)));
    queue->DrawBlocks(device.Get());
    EXPECT_TRUE(device.CallTexts().empty());
    EXPECT_FALSE(queue->GetFrameBlock(&plain)->IsValid());
}

} // namespace
