#include "physics/PRigidBody.h"

#include "physics/PSimulator.h"

#include <algorithm>

namespace {

const float kWakingForce = 1e-6f;

bool Wakes(const D3DXVECTOR3& v)
{
    return std::fabs(v.x) >= kWakingForce || std::fabs(v.y) >= kWakingForce || std::fabs(v.z) >= kWakingForce;
}

} // namespace

CPRigidBody::CPRigidBody()
    : m_previous(), m_mass(1), m_inverseMass(1), m_inertia(1, 1, 1), m_inverseInertia(1, 1, 1),
      m_inverseWorldInertia(PSymmetric3::Rotated(PMatrix3::Identity(), D3DXVECTOR3(1, 1, 1))), m_force(0, 0, 0),
      m_torque(0, 0, 0), m_velocity(0, 0, 0), m_angularVelocity(0, 0, 0), m_userFlag(0), m_sensors(), m_controllers(),
      m_awake(true), m_leftFiniteBefore(false), m_restTime(0), m_groupNext(nullptr)
{
}

float CPRigidBody::InverseOf(float value)
{
    return value > 0.0f && std::isfinite(value) ? 1.0f / value : 0.0f;
}

void CPRigidBody::SetMass(float mass)
{
    m_mass = mass;
    m_inverseMass = InverseOf(mass);
}

void CPRigidBody::SetInertiaTensor(const D3DXVECTOR3& inertia)
{
    m_inertia = inertia;
    m_inverseInertia = D3DXVECTOR3(InverseOf(inertia.x), InverseOf(inertia.y), InverseOf(inertia.z));
    UpdateDerived();
}

void CPRigidBody::UpdateDerived()
{
    m_inverseWorldInertia = PSymmetric3::Rotated(m_state.rotation, m_inverseInertia);
    m_angularVelocity = m_inverseWorldInertia.Apply(m_state.angularMomentum);
}

void CPRigidBody::SetPosition(float x, float y, float z)
{
    const D3DXVECTOR3 position(x, y, z);
    if (!IsFinite(position)) return;
    m_state.position = position;
    Wake();
}

void CPRigidBody::SetRotation(float x, float y, float z, float w)
{
    if (StoreRotation(x, y, z, w)) UpdateDerived();
    Wake();
}

void CPRigidBody::SetVelocity(const D3DXVECTOR3& velocity)
{
    if (!IsFinite(velocity)) return;
    m_velocity = velocity;
    Wake();
}

void CPRigidBody::SetAngularMomentum(const D3DXVECTOR3& momentum)
{
    if (!IsFinite(momentum)) return;
    m_state.angularMomentum = momentum;
    UpdateDerived();
    Wake();
}

D3DXVECTOR3 CPRigidBody::GetVelocityAtPoint(const D3DXVECTOR3& r) const
{
    return m_velocity + Cross(m_angularVelocity, r);
}

void CPRigidBody::SetForce(const D3DXVECTOR3& force, const D3DXVECTOR3& point)
{
    m_force = force;
    m_torque = Cross(point - m_state.position, force);
    if (Wakes(force)) Wake();
}

void CPRigidBody::SetTorque(const D3DXVECTOR3& torque)
{
    m_torque = torque;
    if (Wakes(torque)) Wake();
}

void CPRigidBody::ApplyImpulse(const D3DXVECTOR3& impulse, const D3DXVECTOR3& point)
{
    m_velocity += impulse * m_inverseMass;
    m_state.angularMomentum += Cross(point - m_state.position, impulse);
    m_angularVelocity = m_inverseWorldInertia.Apply(m_state.angularMomentum);
    Wake();
}

CPSensor* CPRigidBody::AddSensor()
{
    CPSensor* sensor = m_sensors.Append(m_simulator->TakeSensor());
    if (sensor) Wake();
    return sensor;
}

CPController* CPRigidBody::AddController(IPControllerCallback* callback, int period)
{
    CPController* controller = m_controllers.Append(m_simulator->TakeController());
    if (!controller) return nullptr;
    controller->Set(callback, period, this);
    Wake();
    return controller;
}

void CPRigidBody::AddRayBounds(D3DXVECTOR3& minimum, D3DXVECTOR3& maximum) const
{
    for (const CPSensor* sensor = m_sensors.head; sensor; sensor = sensor->GetNext()) {
        const D3DXVECTOR3 end = sensor->GetStart() + sensor->GetDirection();
        D3DXVec3Minimize(&minimum, &minimum, &end);
        D3DXVec3Maximize(&maximum, &maximum, &end);
    }
}

void CPRigidBody::Wake()
{
    CPRigidBody* member = this;
    do {
        CPRigidBody* next = member->m_groupNext;
        member->WakeAlone();
        member = next;
    } while (member && member != this);
}

void CPRigidBody::WakeAlone()
{
    m_previous = m_state;
    m_restTime = 0.0f;
    m_awake = true;
    m_groupNext = nullptr;
}

void CPRigidBody::Sleep(CPRigidBody* nextInGroup)
{
    m_awake = false;
    m_velocity = D3DXVECTOR3(0, 0, 0);
    m_angularVelocity = D3DXVECTOR3(0, 0, 0);
    m_state.angularMomentum = D3DXVECTOR3(0, 0, 0);
    m_groupNext = nextInGroup;
}

bool CPRigidBody::HasFiniteState() const
{
    const D3DXQUATERNION& q = m_state.orientation;
    return IsFinite(m_state.position) && IsFinite(D3DXVECTOR3(q.x, q.y, q.z)) && std::isfinite(q.w) &&
           IsFinite(m_state.angularMomentum) && IsFinite(m_velocity) && IsFinite(m_angularVelocity);
}

bool CPRigidBody::SleepAtStepStart()
{
    m_state = m_previous;
    Sleep(nullptr);
    UpdateDerived();
    const bool first = !m_leftFiniteBefore;
    m_leftFiniteBefore = true;
    return first;
}

D3DXVECTOR3 ComputeInertia(const D3DXVECTOR3& extents, float mass)
{
    const float e = std::max(extents.x, std::max(extents.y, extents.z));
    const float i = 2.0f / 3.0f * mass * e * e;
    return D3DXVECTOR3(i, i, i);
}

D3DXVECTOR3 ComputeCylinderInertia(float diameter, float height, float mass)
{
    const float r = diameter * 0.5f;
    const float across = mass * height * height / 12.0f + mass * r * r / 4.0f;
    return D3DXVECTOR3(across, mass * r * r / 2.0f, across);
}
