#pragma once

#include "physics/PVectorMath.h"

class CPController;
class CPRigidBody;

// What a body's controller calls once per simulator step (a car's wheel
// physics, a physics description's stored motion).
class IPControllerCallback {
public:
    virtual ~IPControllerCallback() = default;
    virtual void OnControllerStep(CPController* controller, float timeStep) = 0;
};

// A per-step callback of a rigid body together with the force and torque it
// leaves for the simulator to apply in the same step.
class CPController {
public:
    CPController();

    void Set(IPControllerCallback* callback, int period, CPRigidBody* body);
    void SetControllerForce(const D3DXVECTOR3& force) { m_force = force; }
    void SetControllerTorque(const D3DXVECTOR3& torque) { m_torque = torque; }

    IPControllerCallback* GetCallback() const { return m_callback; }
    int GetPeriod() const { return m_period; }
    const D3DXVECTOR3& GetForce() const { return m_force; }
    const D3DXVECTOR3& GetTorque() const { return m_torque; }
    CPRigidBody* GetBody() const { return m_body; }

    // Counts one step down; true when the callback is due in this step.
    // Periods 0 and 1 both call every step.
    bool CountDown();

    CPController* GetNext() const { return m_next; }
    void SetNext(CPController* next) { m_next = next; }

private:
    IPControllerCallback* m_callback;
    int m_period;
    int m_countdown;
    D3DXVECTOR3 m_force;
    D3DXVECTOR3 m_torque;
    CPRigidBody* m_body;
    CPController* m_next;
};
