#pragma once

#include "core/PObject.h"

#include <d3d9.h>
#include <d3dx9math.h>

#include <cstddef>
#include <cstdint>

class CPMaterial;

// The engine's one vertex format: meshes, animations, the sky, interface
// texts and the vertex effects all write it, and every vertex buffer is
// drawn with this layout and a stride of 48 bytes.
//
// Every member starts at zero. The D3DX vectors' own default constructors
// leave them unset, and value-initialising the struct, Vertex48(), cannot be
// relied on to zero them: GCC treats the zeroing as a dead store in front of
// those constructors and drops it.
struct Vertex48 {
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 normal{0.0f, 0.0f, 0.0f};
    D3DCOLOR diffuse = 0;   // 0xAARRGGBB: bytes B, G, R, A in memory
    D3DCOLOR specular = 0;
    D3DXVECTOR2 tex0{0.0f, 0.0f};   // x = u, y = v
    D3DXVECTOR2 tex1{0.0f, 0.0f};
};

const DWORD kVertex48FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2;

static_assert(kVertex48FVF == 0x2D2, "vertex format flags");
static_assert(sizeof(Vertex48) == 48, "Vertex48 is 48 bytes");
static_assert(offsetof(Vertex48, position) == 0, "Vertex48 layout");
static_assert(offsetof(Vertex48, normal) == 12, "Vertex48 layout");
static_assert(offsetof(Vertex48, diffuse) == 24, "Vertex48 layout");
static_assert(offsetof(Vertex48, specular) == 28, "Vertex48 layout");
static_assert(offsetof(Vertex48, tex0) == 32, "Vertex48 layout");
static_assert(offsetof(Vertex48, tex1) == 40, "Vertex48 layout");

// The component of a game object that puts triangles into the per-frame
// dynamic buffers (mesh part, sprite, animated object). The caller asks for
// the counts right before WriteGeometry and owns the memory written to.
class IPDrawable : public IPObject {
public:
    // Geometry kept in shared static buffers is not written per frame. Only
    // mesh parts have such geometry; the others answer false and ignore the
    // setter.
    virtual bool IsStatic() { return false; }
    virtual void SetStatic(bool isStatic) { (void)isStatic; }

    virtual int GetVertexCount() = 0;
    virtual int GetIndexCount() = 0;

    // Writes exactly GetVertexCount() vertices and GetIndexCount() indices;
    // each index is baseVertex plus the drawable's own vertex number, in 16
    // bits. The flag is passed by the dynamic vertex buffer and read by none.
    virtual void WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                               bool flag) = 0;

    // Copies the drawable's own indices unchanged and reports the first and
    // the last; only mesh parts have indices of their own to copy.
    virtual void CopyIndices(uint16_t* dest, int count, uint16_t* firstIndex, uint16_t* lastIndex);

    // Hands back the material with a reference added, or an empty reference.
    virtual void GetMaterial(RefPtr<CPMaterial>& material) = 0;

    // Only a hint: asks the memory system for what WriteGeometry will read.
    // Writers call it a few drawables ahead, so that fetching the next
    // drawable's geometry overlaps writing this one's.
    virtual void PrefetchGeometry() {}

protected:
    // dest[k] = baseVertex + indices[k], wrapping in 16 bits as the buffers do.
    static void WriteIndices(uint16_t* dest, const uint16_t* indices, int count, uint16_t baseVertex);
};

// Requests every cache line of the bytes; only a hint.
void PrefetchMemory(const void* memory, size_t bytes);
