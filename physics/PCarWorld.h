#pragma once

#include <d3dx9math.h>

#include <cstdint>
#include <vector>

// One road triangle as the physics world's triangle query hands it out:
// three indices into the road vertices, a material, a flag and a user word.
struct RoadTriangle {
    int32_t vertices[3];
    int32_t material;
    int32_t flag;
    int32_t user;
};

static_assert(sizeof(RoadTriangle) == 24, "road triangles are 24 bytes");

// The single physics world of a race. What it holds so far are its road
// tables: the road's vertices in world space (x, y, z and a fourth value)
// and its triangles, which the ground decal and the triangle query read.
class CPCarWorld {
public:
    std::vector<D3DXVECTOR4>& GetRoadVertices() { return m_roadVertices; }
    std::vector<RoadTriangle>& GetRoadTriangles() { return m_roadTriangles; }
    int GetRoadVertexCount() const { return static_cast<int>(m_roadVertices.size()); }
    int GetRoadTriangleCount() const { return static_cast<int>(m_roadTriangles.size()); }

private:
    std::vector<D3DXVECTOR4> m_roadVertices;
    std::vector<RoadTriangle> m_roadTriangles;
};

// The physics world that the host created and published; null before.
inline CPCarWorld* g_pCarWorld = nullptr;
inline CPCarWorld* GetCarWorld()
{
    return g_pCarWorld;
}
