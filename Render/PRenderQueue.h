#pragma once

#include "Render/PIVBlock.h"
#include "Render/PIVertexBuffer.h"
#include "Render/PMaterial.h"
#include "core/PObject.h"

#include <d3d9.h>

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class CPGameObject;
class CPRenderObject;

// The frame's render queue: visible drawables sorted into one block per
// material, written into the shared ring of dynamic buffers and drawn
// together; light objects go into the renderer's light table instead. The
// host makes the queue with its shared buffer, draws the blocks once a
// frame and then empties them. Blocks live as long as the queue, so a frame
// allocates no block once every material has been seen.
class CPRenderQueue : public IPObject {
public:
    explicit CPRenderQueue(CPIVertexBuffer* sharedBuffer);
    ~CPRenderQueue() override;
    CPRenderQueue(const CPRenderQueue&) = delete;
    CPRenderQueue& operator=(const CPRenderQueue&) = delete;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPRenderQueue"; }

    // Queues the object and, while it is visible, its children. With the
    // shared-geometry-only flag set, an object without the shared-geometry
    // flag is skipped together with its subtree.
    void AddObject(const RefPtr<CPGameObject>& object);
    // Queues one visible object by its kind: meshes, animated objects and
    // sprites into the block of their material, lights into the renderer's
    // light table while it has room.
    void AddObjectGeometry(const RefPtr<CPGameObject>& object);
    // Writes the visible plain meshes of the tree whose shared-geometry flag
    // is set, and those of the attached objects, into the shared buffer.
    void FillVertexBuffer(RefPtr<CPGameObject> object);

    // Draws every block of the frame on the device in ascending material
    // type: each block's dynamic drawables are written into the next pair
    // of the ring and drawn with one call, its static parts from their
    // shared buffers under their owner's world matrix, all with the block's
    // material. A block without a material counts as type 0.
    void DrawBlocks(IDirect3DDevice9* device);
    // The same for the blocks whose material type lies in [fromType, toType).
    void DrawBlocks(IDirect3DDevice9* device, int fromType, int toType);
    // Empties the frame's blocks, forgets which blocks the frame used and
    // zeroes the frame's object total.
    void ClearFrame();

    // The frame's object total: how many objects the scene walks handed to
    // the queue, counted by the walks themselves.
    void AddObjectCount(int count) { m_objectCount += count; }
    int GetObjectCount() const { return m_objectCount; }

    void SetSharedGeometryOnly(bool only) { m_sharedGeometryOnly = only; }
    CPIVertexBuffer* GetSharedBuffer() const { return m_sharedBuffer.Get(); }
    // The block of the material in this frame, or null.
    CPIVBlock* GetFrameBlock(CPMaterial* material) const;
    int GetFrameBlockCount() const { return static_cast<int>(m_frameBlocks.size()); }
    int GetBlockCount() const { return static_cast<int>(m_allBlocks.size()); }

private:
    // Every block ever made, one per material; the entry keeps a reference
    // to its material.
    struct BlockEntry {
        RefPtr<CPMaterial> material;
        std::unique_ptr<CPIVBlock> block;
        // The frame in which the block last entered the frame's blocks.
        unsigned frame = 0;
    };

    typedef std::pair<int, CPMaterial*> TypedMaterial;
    typedef std::vector<TypedMaterial> TypedMaterials;

    CPIVBlock* BlockFor(CPMaterial* material);
    const TypedMaterials& SortedFrameMaterials();
    void DrawSorted(IDirect3DDevice9* device, TypedMaterials::const_iterator first,
                    TypedMaterials::const_iterator last);
    void DrawBlock(IDirect3DDevice9* device, CPMaterial* material, CPIVBlock& block);
    bool WriteDynamicDrawables(CPIVBlock& block, int& pair);
    void DrawDynamic(IDirect3DDevice9* device, int pair);
    void DrawStatic(IDirect3DDevice9* device, CPRenderObject& part);

    RefPtr<CPIVertexBuffer> m_sharedBuffer;
    std::unordered_map<CPMaterial*, RefPtr<CPIVBlock>> m_frameBlocks;
    std::unordered_map<CPMaterial*, BlockEntry> m_allBlocks;
    // The entries of recently queued materials, by a hash of the address:
    // most objects find their block here without a map look-up. Entries
    // never leave the map and keep their place in it, so a remembered one
    // stays right.
    static const int kRecentEntryBits = 4;
    BlockEntry* m_recentEntries[1 << kRecentEntryBits];
    // The frame's materials by ascending type, sorted once per frame.
    TypedMaterials m_sortedMaterials;
    bool m_sorted;
    bool m_sharedGeometryOnly;
    // Counts frames from 1, so that no entry starts out in the frame.
    unsigned m_frame;
    int m_objectCount;
};
