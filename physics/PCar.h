#pragma once

#include "core/PObject.h"

#include <d3dx9math.h>

// The car of a game object: its wheels, engine and controls. The game
// object holds it counted in its car slot.
class CPCar : public IPObject {
public:
    CPCar()
        : m_steering(0.0f), m_motion(0.0f, 0.0f, 0.0f), m_velocity(0.0f, 0.0f, 0.0f, 0.0f)
    {
    }

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPCar"; }

    // The steering input; the car's controls keep its magnitude within 0.7.
    void SetSteering(float steering) { m_steering = steering; }
    float GetSteering() const { return m_steering; }
    // The motion vector: while its x is positive the steering turns the
    // follow camera.
    void SetMotion(const D3DXVECTOR3& motion) { m_motion = motion; }
    const D3DXVECTOR3& GetMotion() const { return m_motion; }
    // The velocity record: three components and a fourth value.
    void SetVelocity(const D3DXVECTOR4& velocity) { m_velocity = velocity; }
    const D3DXVECTOR4& GetVelocity() const { return m_velocity; }

private:
    float m_steering;
    D3DXVECTOR3 m_motion;
    D3DXVECTOR4 m_velocity;
};
