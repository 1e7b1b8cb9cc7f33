#include "physics/PKinematicBody.h"

CPKinematicBody::CPKinematicBody() : m_moved(false), m_stepped(false), m_lastStepPosition(0, 0, 0), m_velocity(0, 0, 0) {}

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
    // Its first placement is no push.
    const bool pushes = m_moved && m_stepped;
    m_velocity = pushes ? (m_state.position - m_lastStepPosition) / timeStep : D3DXVECTOR3(0, 0, 0);
    m_stepped = true;
    m_lastStepPosition = m_state.position;
    m_moved = false;
}
