#include "physics/PBody.h"

#include "physics/PSimulator.h"

#include <algorithm>

namespace {

const float kEmptyBox = 1e6f;

} // namespace

CPBody::CPBody()
    : m_listPrevious(nullptr), m_listNext(nullptr), m_simulator(nullptr), m_state(), m_kind(kRigid), m_number(-1),
      m_userData(nullptr), m_collisionClass(0), m_geometries(), m_boundsCentre(0, 0, 0), m_boundsHalfSize(0, 0, 0), m_boundingRadius(0), m_active(true),
      m_inBroadPhase(false)
{
}

void CPBody::Attach(CPSimulator* simulator, Kind kind, int number)
{
    m_simulator = simulator;
    m_kind = kind;
    m_number = number;
}

CPGeometry* CPBody::AddGeometry()
{
    CPGeometry* geometry = m_geometries.Append(m_simulator->TakeGeometry());
    if (geometry) EnterBroadPhaseIfActive();
    return geometry;
}

void CPBody::EnterBroadPhaseIfActive()
{
    if (m_active && !m_inBroadPhase) m_simulator->EnterBroadPhase(this);
}

void CPBody::SetActive(bool active, int hint)
{
    if (active == m_active) return;
    m_simulator->MoveBetweenLists(this, active, hint);
}

void CPBody::AddRayBounds(D3DXVECTOR3&, D3DXVECTOR3&) const {}

bool CPBody::HasRays() const { return false; }

void CPBody::UpdateBoundingInfo()
{
    // A lone box is its own bounds, unless rays reach beyond it.
    if (m_geometries.count == 1 && m_geometries.head->GetType() == CPGeometry::kBox && !HasRays()) {
        D3DXVECTOR3 minimum, maximum;
        m_geometries.head->GetBodyBox(minimum, maximum);
        m_boundsCentre = (minimum + maximum) * 0.5f;
        m_boundsHalfSize = (maximum - minimum) * 0.5f;
        m_boundingRadius = m_geometries.head->GetBoundingRadius();
        return;
    }
    D3DXVECTOR3 minimum(kEmptyBox, kEmptyBox, kEmptyBox);
    D3DXVECTOR3 maximum(-kEmptyBox, -kEmptyBox, -kEmptyBox);
    m_boundingRadius = 0.0f;
    for (const CPGeometry* geometry = m_geometries.head; geometry; geometry = geometry->GetNext()) {
        D3DXVECTOR3 low, high;
        geometry->GetBodyBox(low, high);
        D3DXVec3Minimize(&minimum, &minimum, &low);
        D3DXVec3Maximize(&maximum, &maximum, &high);
        m_boundingRadius = std::max(m_boundingRadius, geometry->GetBoundingRadius());
    }
    AddRayBounds(minimum, maximum);
    m_boundsCentre = (minimum + maximum) * 0.5f;
    m_boundsHalfSize = (maximum - minimum) * 0.5f;
}

void CPBody::GetWorldBounds(D3DXVECTOR3& minimum, D3DXVECTOR3& maximum) const
{
    const PMatrix3& rotation = m_state.rotation;
    const D3DXVECTOR3 centre = m_state.position + rotation.Apply(m_boundsCentre);
    D3DXVECTOR3 half(0, 0, 0);
    for (int i = 0; i < 3; ++i) half += Abs(rotation.column[i]) * Component(m_boundsHalfSize, i);
    minimum = centre - half;
    maximum = centre + half;
}

D3DXMATRIX CPBody::GetTransform() const
{
    const PMatrix3& r = m_state.rotation;
    const D3DXVECTOR3& p = m_state.position;
    return D3DXMATRIX(r.column[0].x, r.column[0].y, r.column[0].z, 0, r.column[1].x, r.column[1].y, r.column[1].z, 0,
                      r.column[2].x, r.column[2].y, r.column[2].z, 0, p.x, p.y, p.z, 1);
}

bool CPBody::StoreRotation(float x, float y, float z, float w)
{
    D3DXQUATERNION q(x, y, z, w);
    if (!NormaliseQuaternion(q)) return false;
    m_state.orientation = q;
    m_state.rotation = RotationOf(q);
    return true;
}
