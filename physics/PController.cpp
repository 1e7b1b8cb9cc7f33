#include "physics/PController.h"

CPController::CPController()
    : m_callback(nullptr), m_period(0), m_countdown(0), m_force(0, 0, 0), m_torque(0, 0, 0), m_body(nullptr),
      m_next(nullptr)
{
}

void CPController::Set(IPControllerCallback* callback, int period, CPRigidBody* body)
{
    m_callback = callback;
    m_period = period;
    m_countdown = period;
    m_body = body;
}

bool CPController::CountDown()
{
    if (m_period <= 1) return true;
    if (--m_countdown > 0) return false;
    m_countdown = m_period;
    return true;
}
