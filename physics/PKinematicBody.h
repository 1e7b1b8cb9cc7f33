#pragma once

#include "physics/PBody.h"

// A body that the program places itself; the simulator only reads where it
// is. A move gives the velocity with which it pushes, spread over the time
// since its previous move: an object moved once a frame pushes evenly
// through the frame's steps, until its next move is due.
class CPKinematicBody : public CPBody {
public:
    // A faster move is a placement, not a motion: it pushes nothing.
    static constexpr float kMaxPushSpeed = 100.0f;

    CPKinematicBody();

    // A position that is no finite number keeps the old one.
    void SetPosition(float x, float y, float z);
    // A zero or non-finite quaternion keeps the rotation; others are normalised.
    void SetRotation(float x, float y, float z, float w);

    bool IsMoved() const { return m_moved; }
    const D3DXVECTOR3& GetVelocity() const { return m_velocity; }
    // Called by the stepping before each step of timeStep.
    void BeginStep(float timeStep);

private:
    bool m_moved;
    bool m_placed;
    D3DXVECTOR3 m_lastMovePosition;
    float m_sinceMove;
    float m_moveInterval;
    D3DXVECTOR3 m_velocity;
};
