#include "Render/tests/RecordingBuffers.h"

#include "Render/PDrawable.h"

RecordingRing::RecordingRing(int pairs, int vertexCapacity, int indexCapacity)
{
    for (int i = 0; i < pairs; ++i) {
        std::string number = std::to_string(i);
        vertexBuffers.emplace_back(new RecordingVertexBuffer(
            "vb" + number, static_cast<UINT>(vertexCapacity) * sizeof(Vertex48), journal));
        indexBuffers.emplace_back(new RecordingIndexBuffer(
            "ib" + number, static_cast<UINT>(indexCapacity) * sizeof(uint16_t), journal));
    }
}

std::vector<IDirect3DVertexBuffer9*> RecordingRing::VertexBuffers() const
{
    std::vector<IDirect3DVertexBuffer9*> buffers;
    for (const auto& buffer : vertexBuffers) buffers.push_back(buffer.get());
    return buffers;
}

std::vector<IDirect3DIndexBuffer9*> RecordingRing::IndexBuffers() const
{
    std::vector<IDirect3DIndexBuffer9*> buffers;
    for (const auto& buffer : indexBuffers) buffers.push_back(buffer.get());
    return buffers;
}
