#include "Render/PRenderQueue.h"

#include "Render/PLight.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "core/AddressHash.h"
#include "core/PGameObject.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const int kTriangleIndices = 3;

// The kind says which drawable the component is (mesh part, animated
// object, sprite); the queue meets every visible object each frame, so it
// takes the kind's word instead of asking the type system each time.
IPDrawable* DrawableOf(const CPGameObject& object)
{
    switch (object.GetKind()) {
    case CPGameObject::kKindMesh:
    case CPGameObject::kKindAnimated:
    case CPGameObject::kKindSprite: return static_cast<IPDrawable*>(object.GetComponent());
    default: return nullptr;
    }
}

// The material's textures on stages 0, 1, ... in block order. A material
// without textures empties stage 0, so that it does not draw with the
// texture of the block before it.
void SetTextures(IDirect3DDevice9* device, CPMaterial* material)
{
    CPTextureBlock* textures = material ? material->GetTextureBlock() : nullptr;
    if (!textures || textures->GetTextureCount() <= 0) {
        device->SetTexture(0, nullptr);
        return;
    }
    for (int stage = 0; stage < textures->GetTextureCount(); ++stage) {
        CPTexture* texture = textures->GetTexture(stage);
        device->SetTexture(static_cast<DWORD>(stage), texture ? texture->GetBaseTexture() : nullptr);
    }
}

ID3DXEffect* CompiledEffect(CPMaterial* material)
{
    CPEffect* effect = material ? material->GetEffect() : nullptr;
    return effect ? effect->GetEffect() : nullptr;
}

} // namespace

CPRenderQueue::CPRenderQueue(CPIVertexBuffer* sharedBuffer)
    : m_sharedBuffer(sharedBuffer),
      m_recentEntries(),
      m_sorted(false),
      m_sharedGeometryOnly(false),
      m_frame(1),
      m_objectCount(0)
{
}

// The frame's references go before the blocks they name.
CPRenderQueue::~CPRenderQueue()
{
    m_frameBlocks.clear();
}

void CPRenderQueue::AddObject(const RefPtr<CPGameObject>& object)
{
    if (m_sharedGeometryOnly && !object->GetSharedGeometry()) return;
    AddObjectGeometry(object);
    if (!object->IsVisible()) return;
    for (const RefPtr<CPGameObject>& child : object->GetChildren()) AddObject(child);
}

void CPRenderQueue::AddObjectGeometry(const RefPtr<CPGameObject>& object)
{
    if (!object->IsVisible()) return;
    if (IPDrawable* drawable = DrawableOf(*object)) {
        RefPtr<CPMaterial> material;
        drawable->GetMaterial(material);
        BlockFor(material.Get())->AddDrawable(drawable);
    } else if (object->GetKind() == CPGameObject::kKindLight) {
        CPLight* light = dynamic_cast<CPLight*>(object->GetComponent());
        if (light && GetRender()) GetRender()->AddLight(*light->GetLight());
    }
}

CPIVBlock* CPRenderQueue::BlockFor(CPMaterial* material)
{
    const uint64_t bits = SpreadAddress(material);
    BlockEntry*& recent = m_recentEntries[bits >> (64 - kRecentEntryBits)];
    if (!recent || recent->material.Get() != material) recent = &m_allBlocks[material];
    BlockEntry& entry = *recent;
    if (!entry.block) {
        entry.block.reset(new CPIVBlock(m_sharedBuffer.Get()));
        entry.material = material;
    }
    // A block already entered this frame needs no second look-up.
    if (entry.frame != m_frame) {
        m_frameBlocks[material] = entry.block.get();
        entry.frame = m_frame;
        m_sorted = false;
    }
    return entry.block.get();
}

CPIVBlock* CPRenderQueue::GetFrameBlock(CPMaterial* material) const
{
    auto found = m_frameBlocks.find(material);
    return found == m_frameBlocks.end() ? nullptr : found->second.Get();
}

void CPRenderQueue::FillVertexBuffer(RefPtr<CPGameObject> object)
{
    if (!object->IsVisible()) return;
    if (object->GetKind() == CPGameObject::kKindMesh && object->GetSharedGeometry()) {
        if (IPDrawable* mesh = DrawableOf(*object)) m_sharedBuffer->AddDrawable(mesh);
    }
    for (const RefPtr<CPGameObject>& child : object->GetChildren()) FillVertexBuffer(child);
    // The first level of detail is the object itself, already written.
    std::vector<CPGameObject::LevelOfDetail> attached = object->GetLevelsOfDetail();
    for (size_t i = 1; i < attached.size(); ++i) {
        if (attached[i].object) FillVertexBuffer(attached[i].object);
    }
}

void CPRenderQueue::DrawBlocks(IDirect3DDevice9* device)
{
    const TypedMaterials& sorted = SortedFrameMaterials();
    DrawSorted(device, sorted.begin(), sorted.end());
}

void CPRenderQueue::DrawBlocks(IDirect3DDevice9* device, int fromType, int toType)
{
    const TypedMaterials& sorted = SortedFrameMaterials();
    auto first = std::partition_point(sorted.begin(), sorted.end(),
                                      [fromType](const TypedMaterial& typed) { return typed.first < fromType; });
    auto last = std::partition_point(first, sorted.end(),
                                     [toType](const TypedMaterial& typed) { return typed.first < toType; });
    DrawSorted(device, first, last);
}

// Materials of one type keep a fixed order by address, so a frame draws
// like the one before it.
const CPRenderQueue::TypedMaterials& CPRenderQueue::SortedFrameMaterials()
{
    if (m_sorted) return m_sortedMaterials;
    m_sortedMaterials.clear();
    for (const auto& framed : m_frameBlocks) {
        CPMaterial* material = framed.first;
        m_sortedMaterials.emplace_back(material ? material->GetType() : 0, material);
    }
    std::sort(m_sortedMaterials.begin(), m_sortedMaterials.end(),
              [](const TypedMaterial& a, const TypedMaterial& b) {
                  return a.first != b.first ? a.first < b.first : std::less<CPMaterial*>()(a.second, b.second);
              });
    m_sorted = true;
    return m_sortedMaterials;
}

void CPRenderQueue::DrawSorted(IDirect3DDevice9* device, TypedMaterials::const_iterator first,
                               TypedMaterials::const_iterator last)
{
    for (auto typed = first; typed != last; ++typed) DrawBlock(device, typed->second, *m_frameBlocks[typed->second]);
}

// The dynamic drawables go into as many pairs of the ring as they need,
// each drawn once it is written; the static parts are drawn with the first.
void CPRenderQueue::DrawBlock(IDirect3DDevice9* device, CPMaterial* material, CPIVBlock& block)
{
    std::vector<CPRenderObject*> staticParts;
    for (const RefPtr<IPDrawable>& drawable : block.GetDrawables()) {
        CPRenderObject* part = dynamic_cast<CPRenderObject*>(drawable.Get());
        if (part && part->IsStatic() && part->GetStaticBuffers()) staticParts.push_back(part);
    }
    const size_t count = block.GetDrawables().size();
    int verticesLeft = block.GetVertexTotal();
    int indicesLeft = block.GetIndexTotal();
    bool drawn = false;
    size_t next = 0;
    do {
        int pair = 0;
        bool written = WriteDynamicDrawables(block, next, verticesLeft, indicesLeft, pair);
        if (!written && staticParts.empty()) continue;
        if (!drawn) SetTextures(device, material);
        DrawWithMaterial(material, [&]() {
            if (written) DrawDynamic(device, pair);
            for (CPRenderObject* part : staticParts) DrawStatic(device, *part);
        });
        staticParts.clear();
        drawn = true;
    } while (next < count);
    if (drawn) block.SetValid(true);
}

void CPRenderQueue::DrawWithMaterial(CPMaterial* material, const std::function<void()>& draw)
{
    ID3DXEffect* effect = CompiledEffect(material);
    if (!effect) {
        draw();
        return;
    }
    UINT passes = 0;
    effect->Begin(&passes, 0);
    for (UINT pass = 0; pass < passes; ++pass) {
        effect->BeginPass(pass);
        draw();
        effect->EndPass();
    }
    effect->End();
}

// Writes the block's dynamic drawables from next on into the ring's next
// pair, locked for what is left of the totals; next moves past what was
// written, or to the end when nothing more can be. False when there is
// nothing to draw from the pair.
bool CPRenderQueue::WriteDynamicDrawables(CPIVBlock& block, size_t& next, int& verticesLeft, int& indicesLeft,
                                          int& pair)
{
    CPIVertexBuffer& buffer = *m_sharedBuffer;
    const std::vector<RefPtr<IPDrawable>>& drawables = block.GetDrawables();
    if (verticesLeft <= 0) {
        next = drawables.size();
        return false;
    }
    buffer.ClearDrawables();
    pair = buffer.GetCurrent();
    if (!buffer.Lock(verticesLeft, indicesLeft, true, -1)) {
        next = drawables.size();
        return false;
    }
    next = buffer.AddDrawables(drawables, next);
    buffer.Unlock(true);
    verticesLeft -= buffer.GetVerticesWritten();
    indicesLeft -= buffer.GetIndicesWritten();
    return buffer.GetIndicesWritten() >= kTriangleIndices;
}

// Dynamic geometry is already in world space.
void CPRenderQueue::DrawDynamic(IDirect3DDevice9* device, int pair)
{
    CPIVertexBuffer& buffer = *m_sharedBuffer;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetStreamSource(0, buffer.GetVertexBuffer(pair), 0, sizeof(Vertex48));
    device->SetIndices(buffer.GetIndexBuffer(pair));
    device->SetFVF(kVertex48FVF);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0,
                                 static_cast<UINT>(buffer.GetVerticesWritten()), 0,
                                 static_cast<UINT>(buffer.GetIndicesWritten() / kTriangleIndices));
}

void CPRenderQueue::DrawStatic(IDirect3DDevice9* device, CPRenderObject& part)
{
    const StaticMeshBuffers& mesh = *part.GetStaticBuffers();
    if (!mesh.vertexBuffer || !mesh.indexBuffer || mesh.triangleCount <= 0) return;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXMATRIX& world = part.GetOwner() ? part.GetOwner()->GetWorldMatrix() : identity;
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetStreamSource(0, mesh.vertexBuffer, 0, sizeof(Vertex48));
    device->SetIndices(mesh.indexBuffer);
    device->SetFVF(kVertex48FVF);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(mesh.vertexCount), 0,
                                 static_cast<UINT>(mesh.triangleCount));
}

void CPRenderQueue::ClearFrame()
{
    for (auto& framed : m_frameBlocks) framed.second->Clear();
    m_frameBlocks.clear();
    m_sortedMaterials.clear();
    m_sorted = false;
    ++m_frame;
    m_objectCount = 0;
}
