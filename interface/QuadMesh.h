#pragma once

#include "Render/PDrawable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Interface meshes are rows of quads: windows, buttons and text glyphs. Each
// quad draws its four corners as the triangles (0, 1, 2) and (0, 2, 3), so a
// mesh's index list depends on nothing but its quad count.
const int kQuadVertexCount = 4;
const int kQuadIndexCount = 6;
extern const uint16_t kQuadIndices[kQuadIndexCount];

// Makes the list index that many quads in a row. The list must hold nothing
// but such rows: the quads it already indexes keep their entries and only
// the ones added are written, so rebuilding a mesh of an unchanged quad
// count writes no index at all.
void SetQuadIndexCount(std::vector<uint16_t>& indices, size_t quads);

// Vertices are written as three 16-byte pieces, each one load and one
// store: the first holds the position's x, y and z and the normal's x, and
// takes the arithmetic; the others (normal, colours, texture coordinates)
// move as plain bits, so no colour passes through a floating-point register.
typedef float VertexFloats __attribute__((vector_size(16), aligned(4), may_alias));
typedef uint32_t VertexBits __attribute__((vector_size(16), aligned(4), may_alias));
const int kPiecesPerVertex = sizeof(Vertex48) / sizeof(VertexBits);
static_assert(sizeof(Vertex48) % sizeof(VertexBits) == 0, "a vertex is whole pieces");

// Writes the quad's four corners moved by (x, y) into both lists: a screen
// keeps its finished vertices twice, as drawn and as the source they are
// drawn from. Adding -0 leaves z and the normal bit for bit as they were.
// Inline, as a screen's rebuild places every element with it.
inline void PlaceQuad(Vertex48* target, Vertex48* copy, const Vertex48* quad, float x, float y)
{
    const VertexFloats offset = {x, y, -0.0f, -0.0f};
    const VertexFloats* fromFloats = reinterpret_cast<const VertexFloats*>(quad);
    const VertexBits* fromBits = reinterpret_cast<const VertexBits*>(quad);
    VertexFloats* toFloats = reinterpret_cast<VertexFloats*>(target);
    VertexBits* toBits = reinterpret_cast<VertexBits*>(target);
    VertexFloats* copyFloats = reinterpret_cast<VertexFloats*>(copy);
    VertexBits* copyBits = reinterpret_cast<VertexBits*>(copy);
    for (int piece = 0; piece < kQuadVertexCount * kPiecesPerVertex; piece += kPiecesPerVertex) {
        const VertexFloats first = fromFloats[piece] + offset;
        const VertexBits second = fromBits[piece + 1];
        const VertexBits third = fromBits[piece + 2];
        toFloats[piece] = first;
        toBits[piece + 1] = second;
        toBits[piece + 2] = third;
        copyFloats[piece] = first;
        copyBits[piece + 1] = second;
        copyBits[piece + 2] = third;
    }
}
