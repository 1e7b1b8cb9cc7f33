#include "core/PBoundingBox.h"

#include "core/BoxExtent.h"
#include "core/StringUtils.h"

namespace {

// Half extents are never smaller than this, so a flat or empty part still
// has a box with distinct corners and well-defined planes.
const float kMinimumHalfExtent = 0.001f;

const float kCornerSigns[CPBoundingBox::kCornerCount][3] = {
    {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
    {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1},
};

// Each plane passes through corners p, q, r with normal (r - p) x (q - p).
// The top face lists its corners so that this rule turns its normal outward.
const int kPlaneCorners[CPBoundingBox::kPlaneCount][3] = {
    {0, 1, 2}, {1, 5, 6}, {2, 6, 7}, {3, 7, 4}, {0, 4, 5}, {5, 4, 7},
};

// The two triangles that cover each face, by corner number.
const int kFaceTriangles[CPBoundingBox::kPlaneCount][2][3] = {
    {{0, 1, 2}, {3, 2, 0}}, {{1, 5, 6}, {6, 2, 1}}, {{2, 6, 7}, {3, 7, 2}},
    {{3, 7, 4}, {0, 4, 3}}, {{0, 4, 5}, {1, 5, 0}}, {{4, 5, 6}, {4, 6, 7}},
};

float RaisedHalfExtent(float value)
{
    // Written so that NaN is raised as well.
    return value >= kMinimumHalfExtent ? value : kMinimumHalfExtent;
}

D3DXVECTOR3 RaisedHalfExtents(const D3DXVECTOR3& halfExtents)
{
    return D3DXVECTOR3(RaisedHalfExtent(halfExtents.x), RaisedHalfExtent(halfExtents.y),
                       RaisedHalfExtent(halfExtents.z));
}

} // namespace

CPBoundingBox::CPBoundingBox(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfExtents)
    : m_centre(centre),
      m_halfExtents(halfExtents),
      m_minimum(centre - halfExtents),
      m_maximum(centre + halfExtents),
      m_cornersCurrent(false),
      m_planesCurrent(false),
      m_corners(),
      m_planes(),
      m_baseMatrix()
{
    D3DXMatrixIdentity(&m_baseMatrix);
    D3DXMatrixIdentity(&m_worldMatrix);
    D3DXMatrixIdentity(&m_ownMatrix);
}

CPBoundingBox::~CPBoundingBox() = default;

void CPBoundingBox::PlaceInWorld(const D3DXMATRIX& objectWorld)
{
    D3DXMatrixMultiply(&m_worldMatrix, &m_ownMatrix, &objectWorld);
}

void CPBoundingBox::Update()
{
    m_halfExtents = RaisedHalfExtents(m_halfExtents);
    m_cornersCurrent = false;
    m_planesCurrent = false;
    ComputeExtent();
}

const D3DXVECTOR3& CPBoundingBox::GetCorner(int index) const
{
    ComputeCorners();
    return m_corners[index];
}

const D3DXPLANE& CPBoundingBox::GetPlane(int index) const
{
    ComputePlanes();
    return m_planes[index];
}

void CPBoundingBox::ComputeCorners() const
{
    if (m_cornersCurrent) return;
    m_cornersCurrent = true;
    // Before the first update the half extents are still as constructed;
    // raised here as the update raises them, a flat box read that early has
    // distinct corners and a normal on every face too.
    const D3DXVECTOR3 halfExtents = RaisedHalfExtents(m_halfExtents);
    D3DXVECTOR3 local[kCornerCount];
    for (int i = 0; i < kCornerCount; ++i) {
        local[i] = D3DXVECTOR3(m_centre.x + kCornerSigns[i][0] * halfExtents.x,
                               m_centre.y + kCornerSigns[i][1] * halfExtents.y,
                               m_centre.z + kCornerSigns[i][2] * halfExtents.z);
    }
    // Placed as the extent was, so that the extent is that of these corners.
    if (IsAffine(m_worldMatrix)) {
        for (int i = 0; i < kCornerCount; ++i) m_corners[i] = AffinePoint(local[i], m_worldMatrix);
        return;
    }
    D3DXVec3TransformCoordArray(m_corners, sizeof(D3DXVECTOR3), local, sizeof(D3DXVECTOR3), &m_worldMatrix,
                                kCornerCount);
}

void CPBoundingBox::ComputePlanes() const
{
    if (m_planesCurrent) return;
    m_planesCurrent = true;
    ComputeCorners();
    for (int i = 0; i < kPlaneCount; ++i) {
        const D3DXVECTOR3& p = m_corners[kPlaneCorners[i][0]];
        const D3DXVECTOR3& q = m_corners[kPlaneCorners[i][1]];
        const D3DXVECTOR3& r = m_corners[kPlaneCorners[i][2]];
        D3DXVECTOR3 toR = r - p;
        D3DXVECTOR3 toQ = q - p;
        D3DXVECTOR3 normal;
        D3DXVec3Cross(&normal, &toR, &toQ);
        m_planes[i] = D3DXPLANE(normal.x, normal.y, normal.z, -D3DXVec3Dot(&normal, &p));
    }
}

void CPBoundingBox::ComputeExtent()
{
    if (IsAffine(m_worldMatrix)) {
        AffineBoxExtent(m_centre - m_halfExtents, m_centre + m_halfExtents, m_worldMatrix, m_minimum, m_maximum);
        return;
    }
    ComputeCorners();
    m_minimum = m_corners[0];
    m_maximum = m_corners[0];
    for (int i = 1; i < kCornerCount; ++i) {
        D3DXVec3Minimize(&m_minimum, &m_minimum, &m_corners[i]);
        D3DXVec3Maximize(&m_maximum, &m_maximum, &m_corners[i]);
    }
}

bool CPBoundingBox::FaceContains(int plane, const D3DXVECTOR3& point) const
{
    for (const int* triangle : kFaceTriangles[plane]) {
        if (PointInTriangle(point, m_corners[triangle[0]], m_corners[triangle[1]],
                            m_corners[triangle[2]])) {
            return true;
        }
    }
    return false;
}

bool CPBoundingBox::IntersectRay(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction,
                                 float& distance, D3DXPLANE& hitPlane) const
{
    // Only faces the ray runs against count, so a ray meets a face from
    // outside; a ray starting inside the box meets none. The distance is
    // measured from a corner of the face rather than through the plane's
    // constant: far from the world's origin that constant is a large number
    // whose rounding alone would move the hit by a visible fraction.
    ComputePlanes();
    bool hit = false;
    for (int i = 0; i < kPlaneCount; ++i) {
        const D3DXVECTOR3 normal(m_planes[i].a, m_planes[i].b, m_planes[i].c);
        const float approach = D3DXVec3Dot(&normal, &direction);
        if (!(approach < 0.0f)) continue;
        const D3DXVECTOR3 toFace = m_corners[kPlaneCorners[i][0]] - origin;
        const float s = D3DXVec3Dot(&normal, &toFace) / approach;
        if (!(s < distance && s >= 0.0f)) continue;
        D3DXVECTOR3 point = origin + s * direction;
        if (FaceContains(i, point)) {
            hitPlane = m_planes[i];
            distance = s;
            hit = true;
        }
    }
    return hit;
}
