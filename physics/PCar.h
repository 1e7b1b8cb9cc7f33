#pragma once

#include "core/PObject.h"
#include "physics/PController.h"

#include <d3dx9math.h>

#include <string>

class CNSound;
class TiXmlElement;
class CPGameObject;
class CPSensor;
class CPSimulator;

// A driven car: the rigid body of its game object carried by up to eight
// wheel rays. Each step every ray that touches ground adds a spring, a
// damper, side friction and drive at its wheel; the car turns its wheel
// parts, raises dust, and drives its engine, skid and nitro sounds. The
// nose points along the car's local -y axis; wheels 0 and 1 steer.
class CPCar : public IPObject, public IPControllerCallback {
public:
    static const int kMaxWheels = 8;
    static constexpr float kMaxSteer = 0.7f;
    static const int kTunedValueCount = 19;

    explicit CPCar(CPGameObject* owner = nullptr);
    ~CPCar() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPCar"; }

    // Reads the owner's description; with sendToScript the speed block's
    // values go to "jeep" as "set_car_params" and "set_car_params2".
    void LoadParams(bool sendToScript);
    // Parameters, wheel parts and rays, the controller, the body and lights.
    void Load(CPSimulator* simulator, bool withSounds);
    // "main.wav", "vizg.wav" (private copies) and "nitro.wav" (shared).
    void LoadSounds();
    void SetControls(float throttle, float steering);
    void SetBrake(bool on);
    void OnControllerStep(CPController* controller, float timeStep) override;

    void SetLocked(bool locked) { m_locked = locked; }
    bool IsLocked() const { return m_locked; }
    void SetNitro(float nitro) { m_nitro = nitro; }
    float GetNitro() const { return m_nitro; }
    void SetNitroStock(float stock) { m_nitroStock = stock; }
    float GetNitroStock() const { return m_nitroStock; }

    // The steering input, at most kMaxSteer either way.
    void SetSteering(float steering) { m_steer = steering; }
    float GetSteering() const { return m_steer; }
    // The follow camera's motion vector: the speed along the nose, 0, 0.
    void SetMotion(const D3DXVECTOR3& motion) { m_motion = motion; }
    const D3DXVECTOR3& GetMotion() const { return m_motion; }
    // The body's velocity of the last step and its length.
    void SetVelocity(const D3DXVECTOR4& velocity) { m_velocity = velocity; }
    const D3DXVECTOR4& GetVelocity() const { return m_velocity; }
    float GetSpeed() const { return m_speed; }

    // The values a driver may tune while testing, by the description keys
    // that set them: wheels "x", "y", "length", "radius",
    // "front_min_radius", "back_min_radius", "spring1", "spring2",
    // "damping"; speed "max_front_speed", "max_rear_speed"; friction
    // "front", "back", "slide"; acceleration "front", "back", "brake";
    // inertia "yaw", "pitch". Null for an index outside 0 to 18.
    float* GetTunedValue(int index);

    int GetWheelCount() const { return m_wheelCount; }
    float GetWheelLength() const { return m_wheelLength; }
    float GetWheelY() const { return m_wheelY; }
    float GetSpring1() const { return m_spring1; }
    float GetSpring2() const { return m_spring2; }
    float GetMaxFrontSpeed() const { return m_maxFrontSpeed; }
    float GetMaxRearSpeed() const { return m_maxRearSpeed; }
    float GetAccelFront() const { return m_accelFront; }
    float GetAccelBack() const { return m_accelBack; }
    float GetFrictionBack() const { return m_frictionBack; }
    float GetDrive() const { return m_drive; }
    float GetSlideFactor() const { return m_slideFactor; }
    float GetWheelOffset(int wheel) const { return m_wheelOffset[wheel]; }
    float GetWheelAngle(int wheel) const { return m_wheelAngle[wheel]; }
    float GetEnginePitch() const { return m_enginePitch; }
    bool IsInContact(int wheel) const { return m_inContact[wheel]; }
    float GetDustCount(int wheel) const { return m_dustCount[wheel]; }
    bool HasSounds() const { return m_soundsOn; }
    CNSound* GetEngineSound() const { return m_engineSound.Get(); }
    CNSound* GetSkidSound() const { return m_skidSound.Get(); }
    CNSound* GetNitroSound() const { return m_nitroSound.Get(); }
    const std::string& GetShadowName() const { return m_shadowName; }

private:
    struct StepFrame;
    struct WheelContact;

    void ReadWheelGeometry(TiXmlElement* wheels);
    void SendSpeedParams(TiXmlElement* root, TiXmlElement& speed, TiXmlElement* acceleration);
    // The owner's body while it is in a world; the world's reset takes it
    // away, so the car keeps no pointer of its own.
    CPRigidBody* RigidBody() const;
    void ShowLight(CPGameObject* light, bool visible);
    void AddWheelForces(int wheel, const StepFrame& frame, D3DXVECTOR3& force, D3DXVECTOR3& torque);
    void UpdateWheelOffset(const WheelContact& contact);
    void AddSuspension(const CPSensor& sensor, const WheelContact& contact, const StepFrame& frame,
                       D3DXVECTOR3& force, D3DXVECTOR3& torque);
    D3DXVECTOR3 AddSideFriction(const WheelContact& contact, const StepFrame& frame, D3DXVECTOR3& force,
                                D3DXVECTOR3& torque);
    void AddLockHold(const WheelContact& contact, const D3DXVECTOR3& rolling, const StepFrame& frame,
                     D3DXVECTOR3& force, D3DXVECTOR3& torque);
    void AddDrive(const WheelContact& contact, const StepFrame& frame, D3DXVECTOR3& force, D3DXVECTOR3& torque);
    // The number of wheels sharing the body's mass, at least 1.
    float WheelShare() const;
    // The force per unit of speed that stops one wheel's share of the body
    // in one step: dampers and side friction push no harder.
    float StoppingPerSpeed(const StepFrame& frame) const;
    void UpdateWheel(int wheel, float timeStep);
    void RaiseDust(int wheel);
    void PlaceWheelPart(int wheel);
    void UpdateOncePerFrame();
    void UpdateExhaust();
    void UpdateEngineSound();

    CPGameObject* m_owner;

    int m_wheelCount;
    float m_wheelX, m_wheelY, m_wheelLength, m_wheelRadius;
    float m_frontMaxOffset, m_rearMaxOffset, m_width;
    bool m_fixedMin, m_fixedMax, m_debug;
    float m_spring1, m_spring2, m_damping;
    float m_maxFrontSpeed, m_maxRearSpeed;
    float m_frictionFront, m_frictionBack, m_slide;
    float m_accelFront, m_accelBack, m_brakeAccel;
    float m_inertiaYaw, m_inertiaPitch;
    std::string m_shadowName;

    CPSensor* m_wheelSensors[kMaxWheels];
    RefPtr<CPGameObject> m_wheelParts[kMaxWheels];
    RefPtr<CPGameObject> m_stoplights, m_stoplights2, m_backlights, m_backlights2;
    D3DXVECTOR3 m_wheelRest[kMaxWheels];
    float m_wheelOffset[kMaxWheels];
    float m_wheelAngle[kMaxWheels];
    float m_wheelSpin[kMaxWheels];
    D3DXVECTOR3 m_contactPoint[kMaxWheels];
    bool m_inContact[kMaxWheels];
    bool m_airborne[kMaxWheels];
    D3DXVECTOR3 m_lastDustPoint[kMaxWheels];
    float m_dustCount[kMaxWheels];

    float m_drive, m_steer;
    bool m_brake;
    float m_slideFactor;
    bool m_controlsSet, m_locked;
    float m_nitro, m_nitroStock;
    D3DXVECTOR3 m_steerDir;
    D3DXVECTOR4 m_velocity;
    D3DXVECTOR3 m_motion;
    float m_speed;
    D3DXVECTOR3 m_meanContact;
    D3DXVECTOR3 m_nitroForce;
    float m_enginePitch;
    int m_lastFrame;
    bool m_soundsOn;
    RefPtr<CNSound> m_engineSound, m_skidSound, m_nitroSound;
};
