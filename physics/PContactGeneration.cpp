#include "physics/PContactGeneration.h"

#include <algorithm>
#include <cfloat>

namespace {

// Cylinders collide as prisms of this many sides; their rays hit the true cylinder.
const int kCylinderSides = 12;
const int kHalfSides = kCylinderSides / 2;
const int kMaxHullVertices = 2 * kCylinderSides;
const int kMaxHullFaces = kCylinderSides + 2;
const int kMaxHullAxes = 1 + kHalfSides;
const int kMaxHullEdges = 3 * kCylinderSides;
const int kMaxFaceIndices = 4 * kCylinderSides + 2 * kCylinderSides;
const int kMaxClipPoints = 2 * kCylinderSides + 8;
const int kMaxRawContacts = kMaxClipPoints;
// A separating axis across two edges must beat the best face axis by this
// much, and a triangle's own face is kept unless another axis is better by
// this much: face contacts are steadier, and a body sliding over the seam of
// two road triangles must not catch on the seam's edge.
const float kEdgePreference = 0.005f;
const float kTriangleFacePreference = 0.02f;
const float kParallelSquared = 1e-6f;
const float kSeamCosine = 0.95f;
const float kTwoPi = 6.2831853f;

struct HullFace {
    D3DXVECTOR3 normal;
    int first;
    int count;
};

struct HullEdge {
    int from;
    int to;
    int direction;
};

// A convex shape as corners, faces, distinct face normals and distinct edge directions.
struct ConvexHull {
    int vertexCount = 0;
    D3DXVECTOR3 vertices[kMaxHullVertices];
    int faceCount = 0;
    HullFace faces[kMaxHullFaces];
    int indexCount = 0;
    int indices[kMaxFaceIndices];
    int axisCount = 0;
    D3DXVECTOR3 axes[kMaxHullAxes];
    int directionCount = 0;
    D3DXVECTOR3 directions[kMaxHullAxes];
    int edgeCount = 0;
    HullEdge edges[kMaxHullEdges];

    void AddFace(const D3DXVECTOR3& normal, std::initializer_list<int> corners)
    {
        faces[faceCount++] = HullFace{normal, indexCount, static_cast<int>(corners.size())};
        for (int corner : corners) indices[indexCount++] = corner;
    }

    void AddEdge(int from, int to, int direction) { edges[edgeCount++] = HullEdge{from, to, direction}; }
};

void BuildBox(const PWorldShape& shape, ConvexHull& hull)
{
    const D3DXVECTOR3& half = shape.geometry->GetHalfExtents();
    const D3DXVECTOR3 x = shape.axes.column[0] * half.x;
    const D3DXVECTOR3 y = shape.axes.column[1] * half.y;
    const D3DXVECTOR3 z = shape.axes.column[2] * half.z;
    hull.vertexCount = 8;
    for (int i = 0; i < 8; ++i) {
        hull.vertices[i] = shape.centre + ((i & 1) ? x : -x) + ((i & 2) ? y : -y) + ((i & 4) ? z : -z);
    }
    const D3DXVECTOR3* a = shape.axes.column;
    hull.AddFace(a[0], {1, 3, 7, 5});
    hull.AddFace(-a[0], {0, 4, 6, 2});
    hull.AddFace(a[1], {2, 6, 7, 3});
    hull.AddFace(-a[1], {0, 1, 5, 4});
    hull.AddFace(a[2], {4, 5, 7, 6});
    hull.AddFace(-a[2], {0, 2, 3, 1});
    hull.axisCount = hull.directionCount = 3;
    for (int i = 0; i < 3; ++i) hull.axes[i] = hull.directions[i] = a[i];
    for (int i = 0; i < 8; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            if (!(i & (1 << axis))) hull.AddEdge(i, i | (1 << axis), axis);
        }
    }
}

void BuildCylinder(const PWorldShape& shape, ConvexHull& hull)
{
    const CPGeometry& geometry = *shape.geometry;
    const D3DXVECTOR3* a = shape.axes.column;
    const D3DXVECTOR3 up = a[1] * geometry.GetHalfHeight();
    const float radius = geometry.GetRadius();
    const int n = kCylinderSides;
    hull.vertexCount = 2 * n;
    for (int k = 0; k < n; ++k) {
        const float angle = kTwoPi * k / n;
        const D3DXVECTOR3 rim = (a[0] * std::cos(angle) + a[2] * std::sin(angle)) * radius;
        hull.vertices[k] = shape.centre + up + rim;
        hull.vertices[n + k] = shape.centre - up + rim;
    }
    hull.axisCount = 1 + kHalfSides;
    hull.axes[0] = a[1];
    for (int k = 0; k < n; ++k) {
        const float angle = kTwoPi * (k + 0.5f) / n;
        const D3DXVECTOR3 normal = a[0] * std::cos(angle) + a[2] * std::sin(angle);
        const int next = (k + 1) % n;
        hull.AddFace(normal, {k, next, n + next, n + k});
        if (k < kHalfSides) hull.axes[1 + k] = normal;
    }
    hull.faces[hull.faceCount] = HullFace{a[1], hull.indexCount, n};
    for (int k = 0; k < n; ++k) hull.indices[hull.indexCount++] = k;
    ++hull.faceCount;
    hull.faces[hull.faceCount] = HullFace{-a[1], hull.indexCount, n};
    for (int k = 0; k < n; ++k) hull.indices[hull.indexCount++] = n + k;
    ++hull.faceCount;
    hull.directionCount = 1 + kHalfSides;
    hull.directions[0] = a[1];
    for (int k = 0; k < kHalfSides; ++k) hull.directions[1 + k] = Normalised(hull.vertices[k + 1] - hull.vertices[k]);
    for (int k = 0; k < n; ++k) {
        const int next = (k + 1) % n;
        const int direction = 1 + k % kHalfSides;
        hull.AddEdge(k, n + k, 0);
        hull.AddEdge(k, next, direction);
        hull.AddEdge(n + k, n + next, direction);
    }
}

void BuildTriangle(const D3DXVECTOR3 triangle[3], const D3DXVECTOR3& normal, ConvexHull& hull)
{
    hull.vertexCount = 3;
    for (int i = 0; i < 3; ++i) hull.vertices[i] = triangle[i];
    hull.AddFace(normal, {0, 1, 2});
    hull.axisCount = 1;
    hull.axes[0] = normal;
    hull.directionCount = 3;
    for (int i = 0; i < 3; ++i) {
        hull.directions[i] = Normalised(triangle[(i + 1) % 3] - triangle[i]);
        hull.AddEdge(i, (i + 1) % 3, i);
    }
}

bool BuildHull(const PWorldShape& shape, ConvexHull& hull)
{
    switch (shape.geometry->GetType()) {
    case CPGeometry::kBox: BuildBox(shape, hull); return true;
    case CPGeometry::kCylinder: BuildCylinder(shape, hull); return true;
    default: return false;
    }
}

void Project(const ConvexHull& hull, const D3DXVECTOR3& axis, float& low, float& high)
{
    low = FLT_MAX;
    high = -FLT_MAX;
    for (int i = 0; i < hull.vertexCount; ++i) {
        const float d = Dot(hull.vertices[i], axis);
        low = std::min(low, d);
        high = std::max(high, d);
    }
}

// How far two hulls overlap along an axis, with the normal (from B to A) of
// the shorter way apart.
struct Separation {
    float overlap = FLT_MAX;
    D3DXVECTOR3 normal = D3DXVECTOR3(0, 0, 0);
    int first = -1;
    int second = -1;
};

Separation OverlapAlong(const ConvexHull& a, const ConvexHull& b, const D3DXVECTOR3& axis)
{
    float lowA, highA, lowB, highB;
    Project(a, axis, lowA, highA);
    Project(b, axis, lowB, highB);
    Separation result;
    const float aAbove = highB - lowA;
    const float aBelow = highA - lowB;
    if (aAbove < aBelow) {
        result.overlap = aAbove;
        result.normal = axis;
    } else {
        result.overlap = aBelow;
        result.normal = -axis;
    }
    return result;
}

int FindFace(const ConvexHull& hull, const D3DXVECTOR3& direction)
{
    int best = 0;
    float bestDot = -FLT_MAX;
    for (int i = 0; i < hull.faceCount; ++i) {
        const float d = Dot(hull.faces[i].normal, direction);
        if (d > bestDot) {
            bestDot = d;
            best = i;
        }
    }
    return best;
}

// Keeps the part of the polygon on the inner side of the plane (normal, point).
int ClipPolygon(const D3DXVECTOR3* in, int count, const D3DXVECTOR3& normal, const D3DXVECTOR3& point,
                D3DXVECTOR3* out)
{
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const D3DXVECTOR3& current = in[i];
        const D3DXVECTOR3& next = in[(i + 1) % count];
        const float dc = Dot(normal, current - point);
        const float dn = Dot(normal, next - point);
        if (dc <= 0.0f) out[written++] = current;
        if ((dc < 0.0f && dn > 0.0f) || (dc > 0.0f && dn < 0.0f)) {
            out[written++] = current + (next - current) * (dc / (dc - dn));
        }
        if (written >= kMaxClipPoints - 1) break;
    }
    return written;
}

// Keeps up to kMaxShapeContacts points: the deepest, then each time the one
// farthest from those kept, so the kept points span the contact patch.
int ReduceContacts(PContact* contacts, int count)
{
    if (count <= kMaxShapeContacts) return count;
    PContact kept[kMaxShapeContacts];
    bool used[kMaxRawContacts] = {};
    int deepest = 0;
    for (int i = 1; i < count; ++i) {
        if (contacts[i].depth > contacts[deepest].depth) deepest = i;
    }
    kept[0] = contacts[deepest];
    used[deepest] = true;
    for (int k = 1; k < kMaxShapeContacts; ++k) {
        int farthest = -1;
        float farthestDistance = -1.0f;
        for (int i = 0; i < count; ++i) {
            if (used[i]) continue;
            float nearest = FLT_MAX;
            for (int j = 0; j < k; ++j) nearest = std::min(nearest, LengthSquared(contacts[i].point - kept[j].point));
            if (nearest > farthestDistance) {
                farthestDistance = nearest;
                farthest = i;
            }
        }
        kept[k] = contacts[farthest];
        used[farthest] = true;
    }
    std::copy(kept, kept + kMaxShapeContacts, contacts);
    return kMaxShapeContacts;
}

// Clips the incident face against the sides of the reference face. The
// reference normal points from the reference hull toward the incident one;
// the contact normal points from B to A.
int FaceContacts(const ConvexHull& reference, int referenceFace, const ConvexHull& incident,
                 const D3DXVECTOR3& contactNormal, bool referenceIsB, float margin, bool triangleFace,
                 PContact* contacts)
{
    const HullFace& face = reference.faces[referenceFace];
    const D3DXVECTOR3 referenceNormal = referenceIsB ? contactNormal : -contactNormal;
    const HullFace& incidentFace = incident.faces[FindFace(incident, -referenceNormal)];

    D3DXVECTOR3 bufferA[kMaxClipPoints];
    D3DXVECTOR3 bufferB[kMaxClipPoints];
    int count = incidentFace.count;
    for (int i = 0; i < count; ++i) bufferA[i] = incident.vertices[incident.indices[incidentFace.first + i]];
    D3DXVECTOR3 centroid(0, 0, 0);
    for (int i = 0; i < face.count; ++i) centroid += reference.vertices[reference.indices[face.first + i]];
    centroid /= static_cast<float>(face.count);

    D3DXVECTOR3* in = bufferA;
    D3DXVECTOR3* out = bufferB;
    for (int i = 0; i < face.count && count > 0; ++i) {
        const D3DXVECTOR3& p = reference.vertices[reference.indices[face.first + i]];
        const D3DXVECTOR3& q = reference.vertices[reference.indices[face.first + (i + 1) % face.count]];
        D3DXVECTOR3 side = Cross(q - p, referenceNormal);
        if (Dot(side, centroid - p) > 0.0f) side = -side;
        count = ClipPolygon(in, count, side, p, out);
        std::swap(in, out);
    }

    const D3DXVECTOR3& facePoint = reference.vertices[reference.indices[face.first]];
    PContact raw[kMaxRawContacts];
    int found = 0;
    for (int i = 0; i < count; ++i) {
        const float gap = Dot(referenceNormal, in[i] - facePoint);
        if (-gap < -margin) continue;
        raw[found++] = PContact{in[i] - referenceNormal * (gap * 0.5f), contactNormal, -gap, triangleFace};
    }
    found = ReduceContacts(raw, found);
    std::copy(raw, raw + found, contacts);
    return found;
}

void ClosestPointsOfSegments(const D3DXVECTOR3& p1, const D3DXVECTOR3& q1, const D3DXVECTOR3& p2,
                             const D3DXVECTOR3& q2, D3DXVECTOR3& c1, D3DXVECTOR3& c2)
{
    const D3DXVECTOR3 d1 = q1 - p1;
    const D3DXVECTOR3 d2 = q2 - p2;
    const D3DXVECTOR3 r = p1 - p2;
    const float a = Dot(d1, d1);
    const float e = Dot(d2, d2);
    const float f = Dot(d2, r);
    const float c = Dot(d1, r);
    const float b = Dot(d1, d2);
    const float denominator = a * e - b * b;
    float s = denominator > 1e-12f ? std::min(std::max((b * f - c * e) / denominator, 0.0f), 1.0f) : 0.0f;
    float t = e > 1e-12f ? (b * s + f) / e : 0.0f;
    if (t < 0.0f) {
        t = 0.0f;
        s = a > 1e-12f ? std::min(std::max(-c / a, 0.0f), 1.0f) : 0.0f;
    } else if (t > 1.0f) {
        t = 1.0f;
        s = a > 1e-12f ? std::min(std::max((b - c) / a, 0.0f), 1.0f) : 0.0f;
    }
    c1 = p1 + d1 * s;
    c2 = p2 + d2 * t;
}

// The edge of the hull along the given direction that lies farthest along `toward`.
const HullEdge& ExtremeEdge(const ConvexHull& hull, int direction, const D3DXVECTOR3& toward)
{
    int best = 0;
    float bestDot = -FLT_MAX;
    for (int i = 0; i < hull.edgeCount; ++i) {
        const HullEdge& edge = hull.edges[i];
        if (edge.direction != direction) continue;
        const float d = Dot(toward, hull.vertices[edge.from] + hull.vertices[edge.to]);
        if (d > bestDot) {
            bestDot = d;
            best = i;
        }
    }
    return hull.edges[best];
}

int EdgeContact(const ConvexHull& a, const ConvexHull& b, const Separation& axis, float margin, PContact* contacts)
{
    const HullEdge& edgeA = ExtremeEdge(a, axis.first, -axis.normal);
    const HullEdge& edgeB = ExtremeEdge(b, axis.second, axis.normal);
    D3DXVECTOR3 onA, onB;
    ClosestPointsOfSegments(a.vertices[edgeA.from], a.vertices[edgeA.to], b.vertices[edgeB.from],
                            b.vertices[edgeB.to], onA, onB);
    const float depth = Dot(axis.normal, onB - onA);
    if (depth < -margin) return 0;
    contacts[0] = PContact{(onA + onB) * 0.5f, axis.normal, depth, false};
    return 1;
}

// Separating axes between two hulls. With a triangle as B, its face is only
// tried with the normal it was given (the side A is on).
int CollideHulls(const ConvexHull& a, const ConvexHull& b, bool bIsTriangle, float margin, PContact* contacts)
{
    Separation bestFace;
    bool faceOnB = false;
    for (int i = 0; i < a.axisCount; ++i) {
        Separation s = OverlapAlong(a, b, a.axes[i]);
        if (s.overlap < -margin) return 0;
        if (s.overlap < bestFace.overlap) bestFace = s;
    }
    Separation triangleFace;
    if (bIsTriangle) {
        float lowA, highA;
        Project(a, b.axes[0], lowA, highA);
        triangleFace.overlap = Dot(b.axes[0], b.vertices[0]) - lowA;
        triangleFace.normal = b.axes[0];
        if (triangleFace.overlap < -margin) return 0;
    } else {
        for (int i = 0; i < b.axisCount; ++i) {
            Separation s = OverlapAlong(a, b, b.axes[i]);
            if (s.overlap < -margin) return 0;
            if (s.overlap < bestFace.overlap) {
                bestFace = s;
                faceOnB = true;
            }
        }
    }
    Separation bestEdge;
    for (int i = 0; i < a.directionCount; ++i) {
        for (int j = 0; j < b.directionCount; ++j) {
            const D3DXVECTOR3 axis = Cross(a.directions[i], b.directions[j]);
            const float squared = LengthSquared(axis);
            if (squared < kParallelSquared) continue;
            Separation s = OverlapAlong(a, b, axis / std::sqrt(squared));
            if (s.overlap < -margin) return 0;
            if (s.overlap < bestEdge.overlap) {
                bestEdge = s;
                bestEdge.first = i;
                bestEdge.second = j;
            }
        }
    }

    if (bIsTriangle &&
        triangleFace.overlap <= std::min(bestFace.overlap, bestEdge.overlap) + kTriangleFacePreference) {
        return FaceContacts(b, 0, a, triangleFace.normal, true, margin, true, contacts);
    }
    if (bestEdge.first >= 0 && bestEdge.overlap + kEdgePreference < bestFace.overlap) {
        return EdgeContact(a, b, bestEdge, margin, contacts);
    }
    if (faceOnB) return FaceContacts(b, FindFace(b, bestFace.normal), a, bestFace.normal, true, margin, false, contacts);
    return FaceContacts(a, FindFace(a, -bestFace.normal), b, bestFace.normal, false, margin, false, contacts);
}

// The closest point of a solid shape to p. When p lies inside, answers true
// with the way out (unit normal) and how far it is.
bool ClosestPoint(const PWorldShape& shape, const D3DXVECTOR3& p, D3DXVECTOR3& closest, D3DXVECTOR3& outward,
                  float& insideDepth)
{
    const CPGeometry& geometry = *shape.geometry;
    const D3DXVECTOR3 local = shape.axes.ApplyTransposed(p - shape.centre);
    switch (geometry.GetType()) {
    case CPGeometry::kSphere: {
        const float distance = Length(local);
        const D3DXVECTOR3 direction = distance > 0.0f ? local / distance : D3DXVECTOR3(0, 0, 1);
        if (distance < geometry.GetRadius()) {
            outward = shape.axes.Apply(direction);
            insideDepth = geometry.GetRadius() - distance;
            closest = shape.centre + outward * geometry.GetRadius();
            return true;
        }
        closest = shape.centre + shape.axes.Apply(direction * geometry.GetRadius());
        return false;
    }
    case CPGeometry::kBox: {
        const D3DXVECTOR3& half = geometry.GetHalfExtents();
        D3DXVECTOR3 clamped;
        bool inside = true;
        for (int i = 0; i < 3; ++i) {
            const float h = Component(half, i);
            const float v = Component(local, i);
            (&clamped.x)[i] = std::min(std::max(v, -h), h);
            inside = inside && std::fabs(v) <= h;
        }
        if (!inside) {
            closest = shape.centre + shape.axes.Apply(clamped);
            return false;
        }
        int axis = 0;
        float least = FLT_MAX;
        for (int i = 0; i < 3; ++i) {
            const float room = Component(half, i) - std::fabs(Component(local, i));
            if (room < least) {
                least = room;
                axis = i;
            }
        }
        const float sign = Component(local, axis) < 0.0f ? -1.0f : 1.0f;
        outward = shape.axes.column[axis] * sign;
        insideDepth = least;
        closest = p + outward * least;
        return true;
    }
    case CPGeometry::kCylinder: {
        const float radius = geometry.GetRadius();
        const float halfHeight = geometry.GetHalfHeight();
        D3DXVECTOR3 radial(local.x, 0, local.z);
        const float radialLength = Length(radial);
        const D3DXVECTOR3 radialDirection = radialLength > 0.0f ? radial / radialLength : D3DXVECTOR3(1, 0, 0);
        const float axial = std::min(std::max(local.y, -halfHeight), halfHeight);
        if (radialLength <= radius && std::fabs(local.y) <= halfHeight) {
            const float sideRoom = radius - radialLength;
            const float capRoom = halfHeight - std::fabs(local.y);
            if (sideRoom < capRoom) {
                outward = shape.axes.Apply(radialDirection);
                insideDepth = sideRoom;
            } else {
                outward = shape.axes.column[1] * (local.y < 0.0f ? -1.0f : 1.0f);
                insideDepth = capRoom;
            }
            closest = p + outward * insideDepth;
            return true;
        }
        const D3DXVECTOR3 clampedRadial = radialDirection * std::min(radialLength, radius);
        closest = shape.centre + shape.axes.Apply(D3DXVECTOR3(clampedRadial.x, axial, clampedRadial.z));
        return false;
    }
    default:
        closest = shape.centre;
        return false;
    }
}

// A sphere (as A) against any solid shape (as B).
int SphereContacts(const PWorldShape& sphere, const PWorldShape& other, float margin, PContact* contacts)
{
    const float radius = sphere.geometry->GetRadius();
    D3DXVECTOR3 closest, outward;
    float insideDepth = 0.0f;
    D3DXVECTOR3 normal;
    float depth;
    if (ClosestPoint(other, sphere.centre, closest, outward, insideDepth)) {
        normal = outward;
        depth = radius + insideDepth;
    } else {
        const D3DXVECTOR3 away = sphere.centre - closest;
        const float distance = Length(away);
        normal = distance > 0.0f ? away / distance : D3DXVECTOR3(0, 0, 1);
        depth = radius - distance;
    }
    if (depth < -margin) return 0;
    contacts[0] = PContact{sphere.centre - normal * (radius - depth * 0.5f), normal, depth, false};
    return 1;
}

// The closest point of a triangle to p; inFace tells whether it lies inside
// the face rather than on an edge or a corner.
D3DXVECTOR3 ClosestPointOnTriangle(const D3DXVECTOR3& p, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                                   const D3DXVECTOR3& c, bool& inFace)
{
    inFace = false;
    const D3DXVECTOR3 ab = b - a, ac = c - a, ap = p - a;
    const float d1 = Dot(ab, ap), d2 = Dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return a;
    const D3DXVECTOR3 bp = p - b;
    const float d3 = Dot(ab, bp), d4 = Dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return b;
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
    const D3DXVECTOR3 cp = p - c;
    const float d5 = Dot(ab, cp), d6 = Dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return c;
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const float denominator = 1.0f / (va + vb + vc);
    inFace = true;
    return a + ab * (vb * denominator) + ac * (vc * denominator);
}

int SphereTriangleContacts(const PWorldShape& sphere, const D3DXVECTOR3 triangle[3], const D3DXVECTOR3& faceNormal,
                           float margin, PContact* contacts)
{
    const float radius = sphere.geometry->GetRadius();
    bool inFace;
    const D3DXVECTOR3 closest = ClosestPointOnTriangle(sphere.centre, triangle[0], triangle[1], triangle[2], inFace);
    D3DXVECTOR3 normal = faceNormal;
    float depth;
    if (inFace) {
        depth = radius - Dot(faceNormal, sphere.centre - triangle[0]);
    } else {
        const D3DXVECTOR3 away = sphere.centre - closest;
        const float distance = Length(away);
        if (distance > 0.0f) normal = away / distance;
        depth = radius - distance;
        // Nearly above the face, an edge takes the face's normal: the edge
        // may be the seam of two road triangles, and a tilted normal there
        // would roll a resting ball off it.
        if (Dot(normal, faceNormal) > kSeamCosine) {
            normal = faceNormal;
            depth = radius - Dot(faceNormal, sphere.centre - closest);
        }
    }
    if (depth < -margin) return 0;
    contacts[0] = PContact{sphere.centre - normal * (radius - depth * 0.5f), normal, depth, inFace};
    return 1;
}

} // namespace

PWorldShape PlaceShape(const CPGeometry& geometry, const PMatrix3& rotation, const D3DXVECTOR3& position)
{
    PWorldShape shape;
    shape.geometry = &geometry;
    shape.centre = position + rotation.Apply(geometry.GetLocalPosition());
    shape.axes = rotation * geometry.GetLocalRotation();
    return shape;
}

int CollideShapes(const PWorldShape& a, const PWorldShape& b, float margin, PContact* contacts)
{
    if (a.geometry->GetType() == CPGeometry::kSphere) return SphereContacts(a, b, margin, contacts);
    if (b.geometry->GetType() == CPGeometry::kSphere) {
        const int count = SphereContacts(b, a, margin, contacts);
        for (int i = 0; i < count; ++i) contacts[i].normal = -contacts[i].normal;
        return count;
    }
    ConvexHull hullA, hullB;
    if (!BuildHull(a, hullA) || !BuildHull(b, hullB)) return 0;
    return CollideHulls(hullA, hullB, false, margin, contacts);
}

int CollideShapeWithTriangle(const PWorldShape& a, const D3DXVECTOR3 triangle[3], const D3DXVECTOR3& sideProbe,
                             float margin, PContact* contacts)
{
    D3DXVECTOR3 normal = Normalised(Cross(triangle[1] - triangle[0], triangle[2] - triangle[0]));
    if (LengthSquared(normal) == 0.0f) return 0;
    if (Dot(normal, sideProbe - triangle[0]) < 0.0f) normal = -normal;
    if (a.geometry->GetType() == CPGeometry::kSphere) {
        return SphereTriangleContacts(a, triangle, normal, margin, contacts);
    }
    ConvexHull hullA, hullB;
    if (!BuildHull(a, hullA)) return 0;
    BuildTriangle(triangle, normal, hullB);
    return CollideHulls(hullA, hullB, true, margin, contacts);
}

bool RayCastTriangle(const D3DXVECTOR3 triangle[3], const D3DXVECTOR3& start, const D3DXVECTOR3& direction,
                     float length, float& distance, D3DXVECTOR3& normal)
{
    const D3DXVECTOR3 e1 = triangle[1] - triangle[0];
    const D3DXVECTOR3 e2 = triangle[2] - triangle[0];
    const D3DXVECTOR3 p = Cross(direction, e2);
    const float determinant = Dot(e1, p);
    if (std::fabs(determinant) < 1e-12f) return false;
    const float inverse = 1.0f / determinant;
    const D3DXVECTOR3 s = start - triangle[0];
    const float u = Dot(s, p) * inverse;
    if (u < 0.0f || u > 1.0f) return false;
    const D3DXVECTOR3 q = Cross(s, e1);
    const float v = Dot(direction, q) * inverse;
    if (v < 0.0f || u + v > 1.0f) return false;
    const float t = Dot(e2, q) * inverse;
    if (t < 0.0f || t > length) return false;
    distance = t;
    normal = Normalised(Cross(e1, e2));
    if (Dot(normal, direction) > 0.0f) normal = -normal;
    return true;
}

namespace {

// Narrows the ray's interval [enter, leave] by the slab |coordinate| ≤ half
// along one local axis; answers false when the ray misses the slab.
bool ClipToSlab(float start, float direction, float half, float& enter, float& leave, bool& entered)
{
    if (std::fabs(direction) < 1e-12f) return std::fabs(start) <= half;
    float t0 = (-half - start) / direction;
    float t1 = (half - start) / direction;
    if (t0 > t1) std::swap(t0, t1);
    entered = t0 > enter;
    if (entered) enter = t0;
    leave = std::min(leave, t1);
    return enter <= leave;
}

} // namespace

bool RayCastShape(const PWorldShape& shape, const D3DXVECTOR3& start, const D3DXVECTOR3& direction, float length,
                  float& distance, D3DXVECTOR3& normal)
{
    const CPGeometry& geometry = *shape.geometry;
    const D3DXVECTOR3 s = shape.axes.ApplyTransposed(start - shape.centre);
    const D3DXVECTOR3 d = shape.axes.ApplyTransposed(direction);
    float enter = 0.0f;
    float leave = length;
    D3DXVECTOR3 localNormal = -d;
    switch (geometry.GetType()) {
    case CPGeometry::kBox:
        for (int i = 0; i < 3; ++i) {
            bool entered = false;
            if (!ClipToSlab(Component(s, i), Component(d, i), Component(geometry.GetHalfExtents(), i), enter, leave,
                            entered)) {
                return false;
            }
            if (entered) {
                localNormal = D3DXVECTOR3(0, 0, 0);
                (&localNormal.x)[i] = Component(d, i) > 0.0f ? -1.0f : 1.0f;
            }
        }
        break;
    case CPGeometry::kSphere: {
        const float b = Dot(s, d);
        const float c = Dot(s, s) - geometry.GetRadiusSquared();
        const float discriminant = b * b - c;
        if (discriminant < 0.0f) return false;
        const float t = -b - std::sqrt(discriminant);
        if (t > length || -b + std::sqrt(discriminant) < 0.0f) return false;
        enter = std::max(t, 0.0f);
        if (t > 0.0f) localNormal = Normalised(s + d * t);
        break;
    }
    case CPGeometry::kCylinder: {
        bool entered = false;
        if (!ClipToSlab(s.y, d.y, geometry.GetHalfHeight(), enter, leave, entered)) return false;
        if (entered) localNormal = D3DXVECTOR3(0, d.y > 0.0f ? -1.0f : 1.0f, 0);
        const float a = d.x * d.x + d.z * d.z;
        const float b = s.x * d.x + s.z * d.z;
        const float c = s.x * s.x + s.z * s.z - geometry.GetRadiusSquared();
        if (a < 1e-12f) {
            if (c > 0.0f) return false;
        } else {
            const float discriminant = b * b - a * c;
            if (discriminant < 0.0f) return false;
            const float root = std::sqrt(discriminant);
            const float t0 = (-b - root) / a;
            const float t1 = (-b + root) / a;
            if (t0 > enter) {
                enter = t0;
                localNormal = Normalised(D3DXVECTOR3(s.x + d.x * t0, 0, s.z + d.z * t0));
            }
            leave = std::min(leave, t1);
            if (enter > leave) return false;
        }
        break;
    }
    default:
        return false;
    }
    distance = enter;
    normal = shape.axes.Apply(localNormal);
    return true;
}
