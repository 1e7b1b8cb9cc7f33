#include "Render/PIVertexBuffer.h"

#include "core/AddressHash.h"
#include "core/PDXErrorLog.h"

#include <cstdint>

namespace {

const char* const kSourceFile = "Render/PIVertexBuffer";
const int kVertexLockErrorLine = 167;
const int kIndexLockErrorLine = 190;
const int kCurrentPosition = -1;
// 16-bit indices reach this many vertices of one section.
const int kAddressableVertices = 65536;
const DWORD kKeepLockFlags = D3DLOCK_NOSYSLOCK;
const DWORD kDiscardLockFlags = D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK;
const DWORD kDynamicUsage = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;

template <class T>
void ReleaseAll(std::vector<T*>& buffers)
{
    for (T*& buffer : buffers) {
        if (buffer) buffer->Release();
        buffer = nullptr;
    }
}

const size_t kFirstTableSize = 1024;
// Writing fetches each drawable's geometry this many drawables ahead, and
// the drawable itself (whose first bytes hold what its queries read) twice
// as far, so that asking it for its geometry finds it at hand.
const size_t kPrefetchAhead = 2;
const size_t kObjectPrefetchAhead = 2 * kPrefetchAhead;
const size_t kDrawableHeadBytes = 128;

// A count beyond the capacity locks, and lets the section hold, no more
// than the buffer has: the drawables write straight into the locked memory.
int LockedCount(int count, int capacity)
{
    return count > capacity ? capacity : count;
}

} // namespace

DrawableBaseTable::DrawableBaseTable()
    : m_keys(kFirstTableSize, nullptr), m_bases(kFirstTableSize, 0)
{
}

// Addresses are spread by a multiplicative hash; the table size is a power
// of two and at most half full, so probing always ends at a free slot.
size_t DrawableBaseTable::SlotOf(IPDrawable* drawable) const
{
    const uint64_t bits = SpreadAddress(drawable);
    size_t mask = m_keys.size() - 1;
    size_t slot = static_cast<size_t>(bits >> 32) & mask;
    while (m_keys[slot] && m_keys[slot] != drawable) slot = (slot + 1) & mask;
    return slot;
}

bool DrawableBaseTable::Insert(IPDrawable* drawable, int base)
{
    size_t slot = SlotOf(drawable);
    if (m_keys[slot] == drawable) return false;
    m_keys[slot] = drawable;
    m_bases[slot] = base;
    m_used.push_back(slot);
    if (m_used.size() * 2 > m_keys.size()) Grow();
    return true;
}

void DrawableBaseTable::Grow()
{
    std::vector<IPDrawable*> keys;
    std::vector<int> bases;
    for (size_t slot : m_used) {
        keys.push_back(m_keys[slot]);
        bases.push_back(m_bases[slot]);
    }
    m_keys.assign(m_keys.size() * 2, nullptr);
    m_bases.assign(m_keys.size(), 0);
    m_used.clear();
    for (size_t i = 0; i < keys.size(); ++i) Insert(keys[i], bases[i]);
}

void DrawableBaseTable::Clear()
{
    for (size_t slot : m_used) m_keys[slot] = nullptr;
    m_used.clear();
}

CPIVertexBuffer::CPIVertexBuffer(IDirect3DDevice9* device, int ringSize, int vertexCapacity,
                                 int indexCapacity, bool keepContents)
    : CPIVertexBuffer(std::vector<IDirect3DVertexBuffer9*>(ringSize, nullptr),
                      std::vector<IDirect3DIndexBuffer9*>(ringSize, nullptr), vertexCapacity,
                      indexCapacity, keepContents)
{
    m_device = device;
    CreateBuffers();
}

void CPIVertexBuffer::CreateBuffers()
{
    if (!m_device) return;
    // Only the buffers still missing are made: a pair of which one buffer
    // failed before is completed, not made twice.
    for (int i = 0; i < m_ringSize; ++i) {
        if (!m_vertexBuffers[i]) {
            HRESULT result = m_device->CreateVertexBuffer(
                static_cast<UINT>(m_vertexCapacity) * sizeof(Vertex48), kDynamicUsage, kVertex48FVF,
                D3DPOOL_DEFAULT, &m_vertexBuffers[i], nullptr);
            if (ReportDXError(result, kSourceFile, __LINE__)) m_vertexBuffers[i] = nullptr;
        }
        if (!m_indexBuffers[i]) {
            HRESULT result = m_device->CreateIndexBuffer(static_cast<UINT>(m_indexCapacity) * sizeof(uint16_t),
                                                         kDynamicUsage, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                                         &m_indexBuffers[i], nullptr);
            if (ReportDXError(result, kSourceFile, __LINE__)) m_indexBuffers[i] = nullptr;
        }
    }
}

void CPIVertexBuffer::ReleaseBuffers()
{
    Unlock(true);
    ReleaseAll(m_vertexBuffers);
    ReleaseAll(m_indexBuffers);
}

CPIVertexBuffer::CPIVertexBuffer(const std::vector<IDirect3DVertexBuffer9*>& vertexBuffers,
                                 const std::vector<IDirect3DIndexBuffer9*>& indexBuffers,
                                 int vertexCapacity, int indexCapacity, bool keepContents)
    : m_device(nullptr),
      m_baseCounter(0),
      m_vertexBuffers(vertexBuffers),
      m_indexBuffers(indexBuffers),
      m_current(0),
      m_ringSize(static_cast<int>(vertexBuffers.size())),
      m_keepContents(keepContents),
      m_locked(false),
      m_vertexWrite(nullptr),
      m_indexWrite(nullptr),
      m_vertexStart(nullptr),
      m_indexStart(nullptr),
      m_indicesWritten(0),
      m_verticesWritten(0),
      m_vertexCapacity(vertexCapacity),
      m_indexCapacity(indexCapacity),
      m_vertexRoom(0),
      m_indexRoom(0)
{
    m_indexBuffers.resize(m_vertexBuffers.size(), nullptr);
}

CPIVertexBuffer::~CPIVertexBuffer()
{
    ReleaseBuffers();
}

bool CPIVertexBuffer::Lock(int vertexCount, int indexCount, bool lockVertices, int ringPosition)
{
    if (m_locked || m_ringSize == 0) return false;
    // A position outside the ring is refused before it is kept, so the
    // ring goes on from the pair it stood at.
    if (ringPosition != kCurrentPosition) {
        if (ringPosition < 0 || ringPosition >= m_ringSize) {
            ReportDXError(D3DERR_INVALIDCALL, kSourceFile, __LINE__);
            return false;
        }
        m_current = ringPosition;
    }
    vertexCount = LockedCount(vertexCount, m_vertexCapacity);
    indexCount = LockedCount(indexCount, m_indexCapacity);
    DWORD flags = m_keepContents ? kKeepLockFlags : kDiscardLockFlags;
    m_indicesWritten = 0;
    m_verticesWritten = 0;

    IDirect3DVertexBuffer9* vertices = m_vertexBuffers[m_current];
    IDirect3DIndexBuffer9* indices = m_indexBuffers[m_current];
    m_vertexStart = nullptr;
    m_vertexRoom = 0;
    if (lockVertices) {
        void* memory = nullptr;
        HRESULT result = vertices ? vertices->Lock(0, static_cast<UINT>(vertexCount) * sizeof(Vertex48),
                                                   &memory, flags)
                                  : D3DERR_INVALIDCALL;
        if (ReportDXError(result, kSourceFile, kVertexLockErrorLine)) return false;
        m_vertexStart = static_cast<Vertex48*>(memory);
        m_vertexRoom = vertexCount > 0 ? vertexCount : m_vertexCapacity;
    }
    void* memory = nullptr;
    HRESULT result = indices ? indices->Lock(0, static_cast<UINT>(indexCount) * sizeof(uint16_t),
                                             &memory, flags)
                             : D3DERR_INVALIDCALL;
    if (ReportDXError(result, kSourceFile, kIndexLockErrorLine)) {
        if (lockVertices) vertices->Unlock();
        m_vertexStart = nullptr;
        return false;
    }
    m_indexStart = static_cast<uint16_t*>(memory);
    m_indexRoom = indexCount > 0 ? indexCount : m_indexCapacity;
    m_vertexWrite = m_vertexStart;
    m_indexWrite = m_indexStart;
    m_locked = true;
    return true;
}

void CPIVertexBuffer::Unlock(bool unlockVertices)
{
    if (!m_locked) return;
    if (unlockVertices && m_vertexStart) m_vertexBuffers[m_current]->Unlock();
    m_indexBuffers[m_current]->Unlock();
    m_current = (m_current + 1) % m_ringSize;
    m_locked = false;
}

bool CPIVertexBuffer::AddDrawable(IPDrawable* drawable)
{
    if (!m_locked) return false;
    int vertexCount = drawable->GetVertexCount();
    if (vertexCount <= 0) return false;
    int indexCount = drawable->GetIndexCount();
    // A drawable already in the section is refused by the insertion.
    if (!HasRoomFor(vertexCount, indexCount) || !m_drawables.Insert(drawable, m_baseCounter)) return false;
    drawable->WriteGeometry(m_vertexWrite, m_indexWrite, static_cast<uint16_t>(m_baseCounter), true);
    m_vertexWrite += vertexCount;
    m_indexWrite += indexCount;
    m_indicesWritten += indexCount;
    m_verticesWritten += vertexCount;
    // The counts asked before writing are the ones written: a drawable whose
    // count changes while it writes must not shift the next one's base.
    m_baseCounter += vertexCount;
    return true;
}

bool CPIVertexBuffer::HasRoomFor(int vertexCount, int indexCount) const
{
    return m_verticesWritten + vertexCount <= m_vertexRoom && m_indicesWritten + indexCount <= m_indexRoom &&
           m_baseCounter + vertexCount <= kAddressableVertices;
}

// Fetching ahead keeps several parts' memory on its way while one is
// written.
size_t CPIVertexBuffer::AddDrawables(const std::vector<RefPtr<IPDrawable>>& drawables, size_t first)
{
    const size_t count = drawables.size();
    for (size_t i = first; i < count && i < first + kPrefetchAhead; ++i) drawables[i]->PrefetchGeometry();
    for (size_t i = first; i < count; ++i) {
        if (i + kObjectPrefetchAhead < count) {
            PrefetchMemory(drawables[i + kObjectPrefetchAhead].Get(), kDrawableHeadBytes);
        }
        if (i + kPrefetchAhead < count) drawables[i + kPrefetchAhead]->PrefetchGeometry();
        IPDrawable* drawable = drawables[i].Get();
        if (drawable->IsStatic()) continue;
        if (!HasRoomFor(drawable->GetVertexCount(), drawable->GetIndexCount()) && !IsSectionEmpty()) return i;
        AddDrawable(drawable);
    }
    return count;
}

void CPIVertexBuffer::ClearDrawables()
{
    m_drawables.Clear();
    m_baseCounter = 0;
}
