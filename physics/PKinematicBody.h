#pragma once

#include <d3dx9.h>

// A physics body that the program places itself rather than the simulation
// moving it. The simulation reads the moved flag to learn of a new place.
class CPKinematicBody {
public:
    CPKinematicBody() : m_position(0.0f, 0.0f, 0.0f), m_moved(false) {}

    void SetPosition(float x, float y, float z)
    {
        m_position = D3DXVECTOR3(x, y, z);
        m_moved = true;
    }

    const D3DXVECTOR3& GetPosition() const { return m_position; }
    bool IsMoved() const { return m_moved; }

private:
    D3DXVECTOR3 m_position;
    bool m_moved;
};
