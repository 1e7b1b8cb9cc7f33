#include "core/PCoordinateFrame.h"

namespace {

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    D3DXVECTOR3 result;
    D3DXVec3Cross(&result, &a, &b);
    return result;
}

D3DXVECTOR3 NormalisedUnlessZero(const D3DXVECTOR3& v)
{
    if (!(D3DXVec3Length(&v) > 0.0f)) return v;
    D3DXVECTOR3 result;
    D3DXVec3Normalize(&result, &v);
    return result;
}

} // namespace

CPCoordinateFrame::CPCoordinateFrame()
    : m_axis1(-1.0f, 0.0f, 0.0f),
      m_axis2(0.0f, 0.0f, 1.0f),
      m_axis3(0.0f, 1.0f, 0.0f),
      m_origin(0.0f, 0.0f, 0.0f)
{
}

CPCoordinateFrame::~CPCoordinateFrame() = default;

CPCoordinateFrame g_coordinateFrame;

D3DXVECTOR3 CPCoordinateFrame::GetAxis1() const
{
    return m_axis1;
}

D3DXVECTOR3 CPCoordinateFrame::SetAxis1(const D3DXVECTOR3& axis)
{
    m_axis1 = axis;
    return m_axis1;
}

D3DXVECTOR3 CPCoordinateFrame::GetAxis2() const
{
    return m_axis2;
}

D3DXVECTOR3 CPCoordinateFrame::SetAxis2(const D3DXVECTOR3& axis)
{
    m_axis2 = axis;
    return m_axis2;
}

D3DXVECTOR3 CPCoordinateFrame::GetAxis3() const
{
    return m_axis3;
}

D3DXVECTOR3 CPCoordinateFrame::SetAxis3(const D3DXVECTOR3& axis)
{
    m_axis3 = axis;
    return m_axis3;
}

D3DXVECTOR3 CPCoordinateFrame::GetOrigin() const
{
    return m_origin;
}

D3DXVECTOR3 CPCoordinateFrame::SetOrigin(const D3DXVECTOR3& origin)
{
    m_origin = origin;
    return m_origin;
}

bool CPCoordinateFrame::IsRightHanded() const
{
    return true;
}

void CPCoordinateFrame::Reset()
{
    SetAxis3(D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    SetAxis1(SideVector(GetAxis3()));
    SetAxis2(D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    SetOrigin(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
}

D3DXVECTOR3 CPCoordinateFrame::WorldToFrameDir(const D3DXVECTOR3& direction) const
{
    const D3DXVECTOR3 axis1 = GetAxis1();
    const D3DXVECTOR3 axis2 = GetAxis2();
    const D3DXVECTOR3 axis3 = GetAxis3();
    return D3DXVECTOR3(D3DXVec3Dot(&axis1, &direction), D3DXVec3Dot(&axis3, &direction),
                       D3DXVec3Dot(&axis2, &direction));
}

D3DXVECTOR3 CPCoordinateFrame::WorldToFramePoint(const D3DXVECTOR3& point) const
{
    return WorldToFrameDir(point - GetOrigin());
}

D3DXVECTOR3 CPCoordinateFrame::FrameToWorldPoint(const D3DXVECTOR3& point) const
{
    return FrameToWorldDir(point) + GetOrigin();
}

D3DXVECTOR3 CPCoordinateFrame::FrameToWorldDir(const D3DXVECTOR3& direction) const
{
    return direction.x * GetAxis1() + direction.y * GetAxis3() + direction.z * GetAxis2();
}

void CPCoordinateFrame::RebuildAxis1()
{
    const D3DXVECTOR3 axis1 = IsRightHanded() ? Cross(GetAxis3(), GetAxis2())
                                              : Cross(GetAxis2(), GetAxis3());
    SetAxis1(NormalisedUnlessZero(axis1));
}

void CPCoordinateFrame::SetAxis3Rebuild(const D3DXVECTOR3& axis)
{
    SetAxis3(axis);
    RebuildAxis1();
    SetAxis2(IsRightHanded() ? Cross(GetAxis1(), GetAxis3()) : Cross(GetAxis3(), GetAxis1()));
}

void CPCoordinateFrame::SetDirectionAndAxis2(const D3DXVECTOR3& direction, const D3DXVECTOR3& axis2)
{
    SetAxis2(axis2);
    SetDirection(direction);
}

void CPCoordinateFrame::SetDirection(const D3DXVECTOR3& direction)
{
    SetAxis3Rebuild(NormalisedUnlessZero(direction));
}

D3DXVECTOR3 CPCoordinateFrame::SideVector(const D3DXVECTOR3& v) const
{
    return IsRightHanded() ? D3DXVECTOR3(-v.y, v.x, v.z) : D3DXVECTOR3(v.y, v.x, v.z);
}

D3DXVECTOR3 CPCoordinateFrame::WorldSideVector(const D3DXVECTOR3& v) const
{
    return FrameToWorldDir(SideVector(WorldToFrameDir(v)));
}
