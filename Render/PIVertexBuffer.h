#pragma once

#include "Render/PDrawable.h"
#include "core/PObject.h"

#include <d3d9.h>

#include <vector>

// The drawables written into one section, each with the base vertex it was
// written at: an open-addressing table that keeps its slots from section
// to section, so a frame allocates nothing once the table has grown.
class DrawableBaseTable {
public:
    DrawableBaseTable();
    // False, changing nothing, when the drawable is already in the table.
    bool Insert(IPDrawable* drawable, int base);
    void Clear();

private:
    size_t SlotOf(IPDrawable* drawable) const;
    void Grow();

    std::vector<IPDrawable*> m_keys;
    std::vector<int> m_bases;
    std::vector<size_t> m_used;
};

// A ring of dynamic vertex and index buffer pairs into which drawables
// write their geometry straight through the drawable contract. Each lock
// and unlock cycle uses the next pair, so a pair is written again only
// after the other pairs of the ring had their turn.
class CPIVertexBuffer : public IPObject {
public:
    // The host's ring: ringSize pairs of dynamic, write-only buffers of
    // Vertex48 and 16-bit indices with the given capacities. A pair that
    // cannot be made stays null and never locks.
    CPIVertexBuffer(IDirect3DDevice9* device, int ringSize, int vertexCapacity, int indexCapacity,
                    bool keepContents);
    ~CPIVertexBuffer() override;
    CPIVertexBuffer(const CPIVertexBuffer&) = delete;
    CPIVertexBuffer& operator=(const CPIVertexBuffer&) = delete;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPIVertexBuffer"; }

    // Locks the pair at ringPosition (-1: the current one) for the counts
    // (0 locks a whole buffer, and so does a count beyond its capacity) and
    // starts a new section. False while
    // already locked or when a lock fails; a failed lock leaves nothing
    // locked.
    bool Lock(int vertexCount, int indexCount, bool lockVertices, int ringPosition);
    // Unlocks the pair and moves on to the next one of the ring.
    void Unlock(bool unlockVertices);
    // Writes the drawable after what the section holds. False, with nothing
    // written, for a drawable without vertices, one already in the section,
    // and one that would not fit the locked space or would take the section
    // past the 65536 vertices that 16-bit indices reach.
    bool AddDrawable(IPDrawable* drawable);
    // Adds each drawable of the list from first on that is not static, in
    // order, until one would not fit the section; answers that one's place
    // (the list's size when all are in), from which the next section goes
    // on. One too large for an empty section is passed over: no section
    // would hold it. The next one's geometry is fetched while one is
    // written.
    size_t AddDrawables(const std::vector<RefPtr<IPDrawable>>& drawables, size_t first = 0);
    // Forgets which drawables the section holds and restarts its base.
    void ClearDrawables();

    // The host's ring lives in the default pool: its buffers go before a
    // device reset (unlocking first) and are made again on the device after
    // it. A ring over buffers made elsewhere has no device to make them on.
    void ReleaseBuffers();
    void CreateBuffers();

    // A ring over buffers made elsewhere, with those capacities; it takes
    // over one reference to each buffer.
    CPIVertexBuffer(const std::vector<IDirect3DVertexBuffer9*>& vertexBuffers,
                    const std::vector<IDirect3DIndexBuffer9*>& indexBuffers, int vertexCapacity,
                    int indexCapacity, bool keepContents);

    bool IsLocked() const { return m_locked; }
    int GetCurrent() const { return m_current; }
    int GetRingSize() const { return m_ringSize; }
    int GetBaseCounter() const { return m_baseCounter; }
    int GetVerticesWritten() const { return m_verticesWritten; }
    int GetIndicesWritten() const { return m_indicesWritten; }
    IDirect3DVertexBuffer9* GetVertexBuffer(int position) const { return m_vertexBuffers[position]; }
    IDirect3DIndexBuffer9* GetIndexBuffer(int position) const { return m_indexBuffers[position]; }

private:
    bool HasRoomFor(int vertexCount, int indexCount) const;
    bool IsSectionEmpty() const { return m_verticesWritten == 0 && m_indicesWritten == 0; }

    DrawableBaseTable m_drawables;
    IDirect3DDevice9* m_device;
    int m_baseCounter;
    std::vector<IDirect3DVertexBuffer9*> m_vertexBuffers;
    std::vector<IDirect3DIndexBuffer9*> m_indexBuffers;
    int m_current;
    int m_ringSize;
    bool m_keepContents;
    bool m_locked;
    Vertex48* m_vertexWrite;
    uint16_t* m_indexWrite;
    Vertex48* m_vertexStart;
    uint16_t* m_indexStart;
    int m_indicesWritten;
    int m_verticesWritten;
    int m_vertexCapacity;
    int m_indexCapacity;
    // What the current section may hold: the locked counts, or the
    // capacities where a whole buffer was locked.
    int m_vertexRoom;
    int m_indexRoom;
};
