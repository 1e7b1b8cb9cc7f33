#pragma once

#include "physics/PBody.h"
#include "physics/PController.h"
#include "physics/PSensor.h"

// A body that the simulator moves under gravity, forces and contacts. Its
// current state holds the orientation, the angular momentum, the rotation and
// the position; waking copies it into the previous state, which the stepping
// keeps as the state at the start of each step.
class CPRigidBody : public CPBody {
public:
    CPRigidBody();

    // A mass of 0 or less, or one that is no finite number, makes the body
    // immovable (inverse mass 0); likewise each axis of the inertia.
    void SetMass(float mass);
    void SetInertiaTensor(const D3DXVECTOR3& inertia);
    float GetMass() const { return m_mass; }
    float GetInverseMass() const { return m_inverseMass; }
    // A body of no usable mass stays where it is: contacts treat it as an obstacle.
    bool IsMovable() const { return m_inverseMass > 0.0f; }
    const D3DXVECTOR3& GetInertia() const { return m_inertia; }
    const D3DXVECTOR3& GetInverseInertia() const { return m_inverseInertia; }

    // A value that is no finite number keeps the old one: one body at no
    // place would break the sorted bounds that every body's contacts use.
    void SetPosition(float x, float y, float z);
    // A zero or non-finite quaternion keeps the rotation; others are normalised.
    void SetRotation(float x, float y, float z, float w);
    void SetVelocity(const D3DXVECTOR3& velocity);
    const D3DXVECTOR3& GetVelocity() const { return m_velocity; }
    void SetAngularMomentum(const D3DXVECTOR3& momentum);
    const D3DXVECTOR3& GetAngularMomentum() const { return m_state.angularMomentum; }
    const D3DXVECTOR3& GetAngularVelocity() const { return m_angularVelocity; }
    // r is relative to the body position.
    D3DXVECTOR3 GetVelocityAtPoint(const D3DXVECTOR3& r) const;

    // The force acts at a world point and stays until changed; so does the torque.
    void SetForce(const D3DXVECTOR3& force, const D3DXVECTOR3& point);
    void SetTorque(const D3DXVECTOR3& torque);
    const D3DXVECTOR3& GetForce() const { return m_force; }
    const D3DXVECTOR3& GetTorque() const { return m_torque; }
    void ApplyImpulse(const D3DXVECTOR3& impulse, const D3DXVECTOR3& point);

    void SetUserFlag(int flag) { m_userFlag = flag; }
    int GetUserFlag() const { return m_userFlag; }

    CPSensor* AddSensor();
    CPSensor* GetSensors() const { return m_sensors.head; }
    int GetSensorCount() const { return m_sensors.count; }
    CPController* AddController(IPControllerCallback* callback, int period);
    CPController* GetControllers() const { return m_controllers.head; }
    int GetControllerCount() const { return m_controllers.count; }

    bool IsAwake() const { return m_awake; }
    // Back into the stepping, with the body's whole resting group.
    void Wake();
    float GetRestTime() const { return m_restTime; }
    const PBodyState& GetPreviousState() const { return m_previous; }

    // The stepping's access to the state it advances.
    PBodyState& State() { return m_state; }
    D3DXVECTOR3& Velocity() { return m_velocity; }
    D3DXVECTOR3& AngularVelocity() { return m_angularVelocity; }
    const PSymmetric3& GetInverseWorldInertia() const { return m_inverseWorldInertia; }
    // Rebuilds the world inertia from the rotation and the angular velocity from the momentum.
    void UpdateDerived();
    void BeginStep() { m_previous = m_state; }
    void AddRestTime(float seconds) { m_restTime += seconds; }
    void ClearRestTime() { m_restTime = 0.0f; }
    // Puts the body to sleep as one of a group linked in a ring.
    void Sleep(CPRigidBody* nextInGroup);
    CPRigidBody* GetGroupNext() const { return m_groupNext; }
    // False once a step has left a value of the state or motion at no finite number.
    bool HasFiniteState() const;
    // Back to the state the step began with, asleep on its own; true the
    // first time only, so that the body is reported once.
    bool SleepAtStepStart();
    bool MaySleep() const { return m_sensors.count == 0 && m_controllers.count == 0; }

protected:
    void AddRayBounds(D3DXVECTOR3& minimum, D3DXVECTOR3& maximum) const override;
    bool HasRays() const override { return m_sensors.count > 0; }

private:
    void WakeAlone();
    static float InverseOf(float value);

    PBodyState m_previous;
    float m_mass;
    float m_inverseMass;
    D3DXVECTOR3 m_inertia;
    D3DXVECTOR3 m_inverseInertia;
    PSymmetric3 m_inverseWorldInertia;
    D3DXVECTOR3 m_force;
    D3DXVECTOR3 m_torque;
    D3DXVECTOR3 m_velocity;
    D3DXVECTOR3 m_angularVelocity;
    int m_userFlag;
    PLinkedList<CPSensor> m_sensors;
    PLinkedList<CPController> m_controllers;
    bool m_awake;
    bool m_leftFiniteBefore;
    float m_restTime;
    CPRigidBody* m_groupNext;
};

// Inertia of a box body: (2/3) m e² on every axis, e the largest extent.
D3DXVECTOR3 ComputeInertia(const D3DXVECTOR3& extents, float mass);
// Inertia of a cylinder standing along y: x and z m h²/12 + m r²/4, y m r²/2.
D3DXVECTOR3 ComputeCylinderInertia(float diameter, float height, float mass);
