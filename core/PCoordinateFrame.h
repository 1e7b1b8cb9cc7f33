#pragma once

#include <d3dx9.h>

// An orthonormal frame: an origin and three axes, with conversions of points
// and directions between the world and the frame and operations that rebuild
// the axes from a direction. Frame coordinates are ordered (first axis, third
// axis, second axis). Every operation goes through the virtual table, so a
// frame that answers IsRightHanded with false mirrors every rebuild.
class CPCoordinateFrame {
public:
    // The frame as Reset leaves it.
    CPCoordinateFrame();
    virtual ~CPCoordinateFrame();

    virtual D3DXVECTOR3 GetAxis1() const;
    virtual D3DXVECTOR3 SetAxis1(const D3DXVECTOR3& axis);
    virtual D3DXVECTOR3 GetAxis2() const;
    virtual D3DXVECTOR3 SetAxis2(const D3DXVECTOR3& axis);
    virtual D3DXVECTOR3 GetAxis3() const;
    virtual D3DXVECTOR3 SetAxis3(const D3DXVECTOR3& axis);
    virtual D3DXVECTOR3 GetOrigin() const;
    virtual D3DXVECTOR3 SetOrigin(const D3DXVECTOR3& origin);
    virtual bool IsRightHanded() const;
    virtual void Reset();
    virtual D3DXVECTOR3 WorldToFrameDir(const D3DXVECTOR3& direction) const;
    virtual D3DXVECTOR3 WorldToFramePoint(const D3DXVECTOR3& point) const;
    virtual D3DXVECTOR3 FrameToWorldPoint(const D3DXVECTOR3& point) const;
    virtual D3DXVECTOR3 FrameToWorldDir(const D3DXVECTOR3& direction) const;
    // First axis from the other two, normalised unless it has no length.
    virtual void RebuildAxis1();
    virtual void SetAxis3Rebuild(const D3DXVECTOR3& axis);
    virtual void SetDirectionAndAxis2(const D3DXVECTOR3& direction, const D3DXVECTOR3& axis2);
    // A zero direction is kept as it is and the axes are rebuilt from it.
    virtual void SetDirection(const D3DXVECTOR3& direction);
    // The vector turned a quarter about z (mirrored for a left-handed frame).
    virtual D3DXVECTOR3 SideVector(const D3DXVECTOR3& v) const;
    virtual D3DXVECTOR3 WorldSideVector(const D3DXVECTOR3& v) const;

private:
    D3DXVECTOR3 m_axis1;
    D3DXVECTOR3 m_axis2;
    D3DXVECTOR3 m_axis3;
    D3DXVECTOR3 m_origin;
};

// The program's one frame, built at start exactly as Reset leaves it.
extern CPCoordinateFrame g_coordinateFrame;
