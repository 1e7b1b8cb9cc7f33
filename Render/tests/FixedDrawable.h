#pragma once

#include "Render/PDrawable.h"
#include "Render/PMaterial.h"

// A drawable of fixed counts: its vertices carry its marker in position.x
// and its indices run 0, 1, 2, ... through its own vertices. It counts how
// often it was written.
class FixedDrawable : public IPDrawable {
public:
    FixedDrawable(int vertexCount, int indexCount, float marker = 0.0f)
        : vertexCount(vertexCount), indexCount(indexCount), marker(marker)
    {
    }

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "FixedDrawable"; }
    bool IsStatic() override { return isStatic; }
    void SetStatic(bool value) override { isStatic = value; }
    int GetVertexCount() override { return vertexCount; }
    int GetIndexCount() override { return indexCount; }
    void WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                       bool) override
    {
        ++writes;
        if (isStatic) return;
        for (int i = 0; i < vertexCount; ++i) {
            destVertices[i] = Vertex48{};
            destVertices[i].position.x = marker;
        }
        for (int k = 0; k < indexCount; ++k) {
            destIndices[k] = static_cast<uint16_t>(baseVertex + k % vertexCount);
        }
    }
    void GetMaterial(RefPtr<CPMaterial>& out) override { out = material; }

    int vertexCount;
    int indexCount;
    float marker;
    bool isStatic = false;
    int writes = 0;
    CPMaterial* material = nullptr;
};
