#pragma once

#include <d3dx9.h>

// The box around one part of a scene object: a centre and half extents in the
// part's own space, placed in the world by its world matrix. Update() derives
// the axis-aligned extent of the eight world-space corners; the corners and
// the six face planes (normals out of the box) follow from the box's
// placement when they are first read after an update or after construction,
// since every moving object updates its boxes each frame and few of them are
// ever asked for a corner or a ray. The half extents, minimum and maximum
// read as constructed until the first update raises degenerate half
// extents; corners and planes read before it are already those of the
// raised box, so a flat box has a normal on every face from the start. The
// ray test finds the nearest face that a ray meets from outside.
//
// Corner i takes the half extents with the signs (x, y, z):
//   0 (-,-,-)  1 (+,-,-)  2 (+,+,-)  3 (-,+,-)
//   4 (-,-,+)  5 (+,-,+)  6 (+,+,+)  7 (-,+,+)
// Planes: 0 -z, 1 +x, 2 +y, 3 -x, 4 -y, 5 +z.
class CPBoundingBox {
public:
    static constexpr int kCornerCount = 8;
    static constexpr int kPlaneCount = 6;

    CPBoundingBox(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfExtents);
    virtual ~CPBoundingBox();

    // Places the box by its object: world matrix = own matrix x objectWorld.
    void PlaceInWorld(const D3DXMATRIX& objectWorld);

    // Recomputes corners, planes, minimum and maximum after the world matrix
    // or the size changed. Degenerate half extents are raised first so that
    // the corners always span a box.
    void Update();

    // Tests the ray origin + s * direction against the faces in plane order.
    // A face met at 0 <= s < distance shortens distance to s and copies its
    // plane into hitPlane. True when any face was met.
    bool IntersectRay(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float& distance,
                      D3DXPLANE& hitPlane) const;

    const D3DXVECTOR3& GetCentre() const { return m_centre; }
    const D3DXVECTOR3& GetHalfExtents() const { return m_halfExtents; }
    const D3DXVECTOR3& GetCorner(int index) const;
    const D3DXPLANE& GetPlane(int index) const;
    const D3DXVECTOR3& GetMinimum() const { return m_minimum; }
    const D3DXVECTOR3& GetMaximum() const { return m_maximum; }
    const D3DXMATRIX& GetWorldMatrix() const { return m_worldMatrix; }

    // Where the box sits relative to its game object (mesh parts with a
    // placement of their own); identity as constructed.
    void SetOwnMatrix(const D3DXMATRIX& ownMatrix) { m_ownMatrix = ownMatrix; }
    const D3DXMATRIX& GetOwnMatrix() const { return m_ownMatrix; }

    // A matrix kept and copied with the box for whoever sets it; the box's
    // own operations never read it. Identity as constructed.
    void SetBaseMatrix(const D3DXMATRIX& baseMatrix) { m_baseMatrix = baseMatrix; }
    const D3DXMATRIX& GetBaseMatrix() const { return m_baseMatrix; }

private:
    void ComputeCorners() const;
    void ComputePlanes() const;
    void ComputeExtent();
    bool FaceContains(int plane, const D3DXVECTOR3& point) const;

    // What an update reads and writes comes first, together.
    D3DXVECTOR3 m_centre;
    D3DXVECTOR3 m_halfExtents;
    D3DXVECTOR3 m_minimum;
    D3DXVECTOR3 m_maximum;
    // Whether the corners and the planes belong to the box as it stands;
    // neither is computed before its first reading.
    mutable bool m_cornersCurrent;
    mutable bool m_planesCurrent;
    D3DXMATRIX m_worldMatrix;
    D3DXMATRIX m_ownMatrix;
    mutable D3DXVECTOR3 m_corners[kCornerCount];
    mutable D3DXPLANE m_planes[kPlaneCount];
    D3DXMATRIX m_baseMatrix;
};
