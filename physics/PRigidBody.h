#pragma once

#include <d3dx9.h>

// A physics body that the simulation moves under forces. Its current state
// holds the orientation, the rotation matrix derived from it and the position.
class CPRigidBody {
public:
    CPRigidBody() : m_orientation(0.0f, 0.0f, 0.0f, 1.0f), m_position(0.0f, 0.0f, 0.0f)
    {
        D3DXMatrixIdentity(&m_rotation);
    }

    void SetPosition(float x, float y, float z) { m_position = D3DXVECTOR3(x, y, z); }

    void SetRotation(float x, float y, float z, float w)
    {
        m_orientation = D3DXQUATERNION(x, y, z, w);
        D3DXMatrixRotationQuaternion(&m_rotation, &m_orientation);
    }

    const D3DXVECTOR3& GetPosition() const { return m_position; }
    const D3DXQUATERNION& GetOrientation() const { return m_orientation; }
    const D3DXMATRIX& GetRotation() const { return m_rotation; }

private:
    D3DXQUATERNION m_orientation;
    D3DXMATRIX m_rotation;
    D3DXVECTOR3 m_position;
};
