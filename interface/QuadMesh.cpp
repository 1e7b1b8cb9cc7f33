#include "interface/QuadMesh.h"

#include <algorithm>

const uint16_t kQuadIndices[kQuadIndexCount] = {0, 1, 2, 0, 2, 3};

void SetQuadIndexCount(std::vector<uint16_t>& indices, size_t quads)
{
    const size_t kept = std::min(indices.size() / kQuadIndexCount, quads);
    indices.resize(quads * kQuadIndexCount);
    uint16_t* index = indices.data() + kept * kQuadIndexCount;
    for (size_t quad = kept; quad < quads; ++quad) {
        const uint16_t base = static_cast<uint16_t>(quad * kQuadVertexCount);
        for (uint16_t corner : kQuadIndices) *index++ = static_cast<uint16_t>(base + corner);
    }
}
