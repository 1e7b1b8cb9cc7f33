#pragma once

#include "physics/PBody.h"

// A body that the program places itself; the simulator only reads where it
// is. Between two steps its move gives the velocity with which it pushes.
class CPKinematicBody : public CPBody {
public:
    CPKinematicBody();

    // A position that is no finite number keeps the old one.
    void SetPosition(float x, float y, float z);
    // A zero or non-finite quaternion keeps the rotation; others are normalised.
    void SetRotation(float x, float y, float z, float w);

    bool IsMoved() const { return m_moved; }
    const D3DXVECTOR3& GetVelocity() const { return m_velocity; }
    // Called by the stepping: the velocity of the move since the last step.
    void BeginStep(float timeStep);

private:
    bool m_moved;
    bool m_stepped;
    D3DXVECTOR3 m_lastStepPosition;
    D3DXVECTOR3 m_velocity;
};
