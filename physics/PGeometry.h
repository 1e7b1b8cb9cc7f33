#pragma once

#include "physics/PVectorMath.h"

// One collision shape of a body, placed in the body's space. Boxes keep
// their half-extents; cylinders stand along their local y axis.
class CPGeometry {
public:
    enum Type { kNone = 0, kBox = 3, kSphere = 4, kCylinder = 5, kPointSet = 7 };

    CPGeometry();

    // Sizes and placements that are no finite numbers keep the old shape.
    // Full extents; the box keeps half of each.
    void SetBoxSize(float x, float y, float z);
    void SetSphere(float radius);
    void SetCylinder(float diameter, float height);
    // The place of the shape in its body, as a row-vector matrix.
    void SetTransform(const D3DXMATRIX& matrix);
    void SetMaterialIndex(int index) { m_materialIndex = index; }
    void SetUserData(void* data) { m_userData = data; }

    int GetType() const { return m_type; }
    const D3DXVECTOR3& GetHalfExtents() const { return m_halfExtents; }
    float GetRadius() const { return m_radius; }
    float GetRadiusSquared() const { return m_radiusSquared; }
    float GetHalfHeight() const { return m_halfHeight; }
    const PMatrix3& GetLocalRotation() const { return m_localRotation; }
    const D3DXVECTOR3& GetLocalPosition() const { return m_localPosition; }
    int GetMaterialIndex() const { return m_materialIndex; }
    void* GetUserData() const { return m_userData; }

    // How far from the body origin the shape reaches.
    float GetBoundingRadius() const;
    // The shape's box in body space.
    void GetBodyBox(D3DXVECTOR3& minimum, D3DXVECTOR3& maximum) const;

    CPGeometry* GetNext() const { return m_next; }
    void SetNext(CPGeometry* next) { m_next = next; }

private:
    int m_type;
    D3DXVECTOR3 m_halfExtents;
    float m_radius;
    float m_radiusSquared;
    float m_halfHeight;
    PMatrix3 m_localRotation;
    D3DXVECTOR3 m_localPosition;
    int m_materialIndex;
    void* m_userData;
    CPGeometry* m_next;
};
