#include "physics/PGeometry.h"

CPGeometry::CPGeometry()
    : m_type(kNone), m_halfExtents(0, 0, 0), m_radius(0), m_radiusSquared(0), m_halfHeight(0),
      m_localRotation(PMatrix3::Identity()), m_localPosition(0, 0, 0), m_materialIndex(0), m_userData(nullptr),
      m_next(nullptr)
{
}

void CPGeometry::SetBoxSize(float x, float y, float z)
{
    if (!IsFinite(D3DXVECTOR3(x, y, z))) return;
    m_type = kBox;
    m_halfExtents = D3DXVECTOR3(x * 0.5f, y * 0.5f, z * 0.5f);
}

void CPGeometry::SetSphere(float radius)
{
    if (!std::isfinite(radius)) return;
    m_type = kSphere;
    m_radius = radius;
    m_radiusSquared = radius * radius;
}

void CPGeometry::SetCylinder(float diameter, float height)
{
    if (!std::isfinite(diameter) || !std::isfinite(height)) return;
    m_type = kCylinder;
    m_radius = diameter * 0.5f;
    m_radiusSquared = m_radius * m_radius;
    m_halfHeight = height * 0.5f;
}

void CPGeometry::SetTransform(const D3DXMATRIX& matrix)
{
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (!std::isfinite(matrix.m[row][column])) return;
        }
    }
    for (int i = 0; i < 3; ++i) m_localRotation.column[i] = D3DXVECTOR3(matrix.m[i][0], matrix.m[i][1], matrix.m[i][2]);
    m_localPosition = D3DXVECTOR3(matrix.m[3][0], matrix.m[3][1], matrix.m[3][2]);
}

float CPGeometry::GetBoundingRadius() const
{
    const float offset = Length(m_localPosition);
    switch (m_type) {
    case kBox: return Length(m_halfExtents) + offset;
    case kSphere: return m_radius + offset;
    case kCylinder: return m_radius + m_halfHeight + offset;
    default: return 0.0f;
    }
}

void CPGeometry::GetBodyBox(D3DXVECTOR3& minimum, D3DXVECTOR3& maximum) const
{
    D3DXVECTOR3 reach(0, 0, 0);
    switch (m_type) {
    case kBox: reach = m_halfExtents; break;
    case kSphere: reach = D3DXVECTOR3(m_radius, m_radius, m_radius); break;
    case kCylinder: reach = D3DXVECTOR3(m_radius, m_radius + m_halfHeight, m_radius); break;
    default: break;
    }
    D3DXVECTOR3 half(0, 0, 0);
    if (m_type == kSphere) {
        half = reach;
    } else {
        // The reach turned by the absolute rotation bounds the turned shape.
        for (int i = 0; i < 3; ++i) half += Abs(m_localRotation.column[i]) * Component(reach, i);
    }
    minimum = m_localPosition - half;
    maximum = m_localPosition + half;
}
