#include "Render/PGroundDecal.h"

#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "core/PGameObject.h"
#include "physics/PCarWorld.h"
#include "physics/PPhysicData.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// The quad reaches 0.1 beyond the object's box on every side.
const float kQuadMargin = 0.1f;
const float kDegenerateLengthSquared = 1e-30f;
// Lifts the decal off the road so that it wins the depth test.
const float kLift = 0.03f;
const D3DCOLOR kDecalColour = 0xFFFFFFFF;

// Rows u, v, z and origin: frame coordinates to the ground plane.
D3DXMATRIX FrameMatrix(const D3DXVECTOR2& origin, const D3DXVECTOR2& u, const D3DXVECTOR2& v)
{
    return D3DXMATRIX(u.x, u.y, 0, 0, v.x, v.y, 0, 0, 0, 0, 1, 0, origin.x, origin.y, 0, 1);
}

D3DXVECTOR2 Transform(const D3DXVECTOR2& point, const D3DXMATRIX& matrix)
{
    D3DXVECTOR3 placed(point.x, point.y, 0.0f);
    D3DXVec3TransformCoord(&placed, &placed, &matrix);
    return D3DXVECTOR2(placed.x, placed.y);
}

void RebuildDegenerateFrame(D3DXVECTOR2& origin, D3DXVECTOR2& u, D3DXVECTOR2& v,
                            D3DXVECTOR2& reference)
{
    if (D3DXVec2LengthSq(&u) <= kDegenerateLengthSquared) {
        u = reference - origin;
        return;
    }
    if (D3DXVec2LengthSq(&v) <= kDegenerateLengthSquared) {
        v = reference - origin;
        return;
    }
    // u and v are parallel: span u over both and point v at the reference.
    float along = D3DXVec2Dot(&u, &v) / D3DXVec2LengthSq(&u);
    if (along < 0.0f) {
        origin += along * u;
        reference += along * u;
        u = (1.0f - along) * u;
    }
    if (along > 1.0f) u = v;
    v = reference - origin;
}

typedef std::array<int32_t, 3> TriangleKey;

// The triangle's vertex indices, sorted, when it and its vertices lie in
// the road tables.
bool ReadTriangle(CPCarWorld& world, int32_t index, TriangleKey& key)
{
    if (index < 0 || index >= world.GetRoadTriangleCount()) return false;
    const RoadTriangle& triangle = world.GetRoadTriangles()[index];
    for (int corner = 0; corner < 3; ++corner) {
        int32_t vertex = triangle.vertex[corner];
        if (vertex < 0 || vertex >= world.GetRoadVertexCount()) return false;
        key[corner] = vertex;
    }
    return true;
}

Vertex48 DecalVertex(const D3DXVECTOR4& ground, const D3DXMATRIX& toFrame)
{
    Vertex48 vertex = {};
    vertex.position = D3DXVECTOR3(ground.x, ground.y, ground.z + kLift);
    vertex.normal = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    vertex.diffuse = kDecalColour;
    D3DXVECTOR2 frame = Transform(D3DXVECTOR2(ground.x, ground.y), toFrame);
    vertex.tex0 = D3DXVECTOR2(frame.x - 1.0f, frame.y);
    return vertex;
}

} // namespace

void FitDecalFrame(D3DXVECTOR2& origin, D3DXVECTOR2& u, D3DXVECTOR2& v, D3DXVECTOR2& reference)
{
    D3DXMATRIX frame = FrameMatrix(origin, u, v);
    D3DXMATRIX toFrame;
    if (!D3DXMatrixInverse(&toFrame, nullptr, &frame)) {
        RebuildDegenerateFrame(origin, u, v, reference);
        return;
    }
    D3DXVECTOR2 low(0.0f, 0.0f);
    D3DXVECTOR2 high(1.0f, 1.0f);
    const D3DXVECTOR2 points[] = {reference, reference + u, reference + v};
    for (const D3DXVECTOR2& point : points) {
        D3DXVECTOR2 inFrame = Transform(point, toFrame);
        D3DXVec2Minimize(&low, &low, &inFrame);
        D3DXVec2Maximize(&high, &high, &inFrame);
    }
    D3DXVECTOR2 first = Transform(low, frame);
    D3DXVECTOR2 second = Transform(D3DXVECTOR2(high.x, low.y), frame);
    D3DXVECTOR2 third = Transform(D3DXVECTOR2(low.x, high.y), frame);
    origin = first;
    u = second - first;
    v = third - first;
}

void ProjectDecalOnGround(RefPtr<CPGameObject> decal, D3DXVECTOR2 origin, D3DXVECTOR2 reference,
                          D3DXVECTOR2 u, D3DXVECTOR2 v, RefPtr<CPPhysicData> candidates)
{
    FitDecalFrame(origin, u, v, reference);
    D3DXMATRIX frame = FrameMatrix(origin, u, v);
    D3DXMATRIX toFrame;
    if (!D3DXMatrixInverse(&toFrame, nullptr, &frame)) return;
    CPRenderObject* mesh = dynamic_cast<CPRenderObject*>(decal->GetComponent());
    if (!mesh) return;

    std::vector<Vertex48>& vertices = mesh->GetLocalVertices();
    std::vector<uint16_t>& indices = mesh->GetIndices();
    vertices.clear();
    indices.clear();
    mesh->GetWorldVertices().clear();
    CPCarWorld* world = GetCarWorld();
    if (world && candidates) {
        int count = std::max(0, std::min<int>(candidates->GetCandidateCount(),
                                              CPPhysicData::kCandidateCapacity));
        std::vector<TriangleKey> handled;
        for (int i = 0; i < count; ++i) {
            TriangleKey key;
            if (!ReadTriangle(*world, candidates->GetCandidates()[i], key)) continue;
            TriangleKey sorted = key;
            std::sort(sorted.begin(), sorted.end());
            if (std::find(handled.begin(), handled.end(), sorted) != handled.end()) continue;
            handled.push_back(sorted);
            for (int32_t vertex : key) {
                indices.push_back(static_cast<uint16_t>(vertices.size()));
                vertices.push_back(DecalVertex(world->GetRoadVertices()[vertex], toFrame));
            }
        }
    }
    mesh->GetWorldVertices() = vertices;
}

void CPRender::AddQuadAtPoint(RefPtr<CPGameObject> object, const D3DXMATRIX& world,
                              RefPtr<CPPhysicData> candidates)
{
    const D3DXVECTOR3& half = object->GetBoundingBox().GetHalfExtents();
    const D3DXVECTOR3 corners[] = {
        D3DXVECTOR3(-half.x - kQuadMargin, -half.y - kQuadMargin, -half.z),
        D3DXVECTOR3(half.x + kQuadMargin, -half.y - kQuadMargin, -half.z),
        D3DXVECTOR3(-half.x - kQuadMargin, kQuadMargin - half.y, -half.z),
        D3DXVECTOR3(-half.x - kQuadMargin, half.y - kQuadMargin, -half.z),
    };
    D3DXVECTOR2 placed[4];
    for (int i = 0; i < 4; ++i) {
        D3DXVECTOR3 point;
        D3DXVec3TransformCoord(&point, &corners[i], &world);
        placed[i] = D3DXVECTOR2(point.x, point.y);
    }
    // A strip 0.2 deep along the object's second axis; fitting it to the
    // reference point widens it to the whole footprint.
    ProjectDecalOnGround(object, placed[0], placed[3], placed[1] - placed[0], placed[2] - placed[0],
                         candidates);
}
