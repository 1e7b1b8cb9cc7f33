#include "physics/PKinematicBody.h"

CPKinematicBody::CPKinematicBody()
    : m_moved(false), m_placed(false), m_lastMovePosition(0, 0, 0), m_sinceMove(0), m_moveInterval(0),
      m_velocity(0, 0, 0)
{
}

void CPKinematicBody::SetPosition(float x, float y, float z)
{
    const D3DXVECTOR3 position(x, y, z);
    if (!IsFinite(position)) return;
    m_state.position = position;
    m_moved = true;
}

void CPKinematicBody::SetRotation(float x, float y, float z, float w)
{
    StoreRotation(x, y, z, w);
    m_moved = true;
}

void CPKinematicBody::BeginStep(float timeStep)
{
    m_sinceMove += timeStep;
    if (!m_moved) {
        // The last move's velocity lasts as long as the time it took.
        if (m_sinceMove >= m_moveInterval) m_velocity = D3DXVECTOR3(0, 0, 0);
        return;
    }
    // Its first placement is no push.
    m_velocity = m_placed ? (m_state.position - m_lastMovePosition) / m_sinceMove : D3DXVECTOR3(0, 0, 0);
    if (LengthSquared(m_velocity) > kMaxPushSpeed * kMaxPushSpeed) m_velocity = D3DXVECTOR3(0, 0, 0);
    m_moveInterval = m_sinceMove;
    m_sinceMove = 0.0f;
    m_placed = true;
    m_lastMovePosition = m_state.position;
    m_moved = false;
}
