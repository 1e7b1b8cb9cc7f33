#include "physics/PCar.h"

#include "Render/PParticleManager.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PGameObject.h"
#include "core/Settings.h"
#include "physics/PCarWorld.h"
#include "physics/PPhysicData.h"
#include "physics/PSimulator.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

// A wheel whose ray touches ground this step: the ray's depth in the
// ground, the ground's upward normal and the contact point relative to the
// body's position.
struct CPCar::WheelContact {
    int wheel;
    bool front;
    float depth;
    D3DXVECTOR3 normal;
    D3DXVECTOR3 arm;
};

// What one controller step shares between the wheels.
struct CPCar::StepFrame {
    const CPRigidBody* body;
    PMatrix3 rotation;
    D3DXVECTOR3 position;
    D3DXVECTOR3 velocity;
    D3DXVECTOR3 axisY;
    float timeStep;
};

namespace {

const int kFrontWheels = 2;
const float kSlideDecay = 3.0f;
const float kSteerFade = 0.025f;
const float kMaxSteerFade = 0.9f;
const float kRollingDrag = 0.5f;
const float kNitroScale = 80.0f;
const float kNitroUse = 25.0f;
const float kDustSpeedSquared = 80.0f;
const float kDustLife = 1.0f;
const float kDustRise = 0.25f;
const float kEnginePitchBase = 0.5f;
const float kEnginePitchPerSpeed = 0.05f;
const float kEnginePitchMax = 3.0f;
const float kEnginePitchRate = 5.0f;
const float kSlopeDriveGain = 5.0f;
const float kExhaustNitroBase = 0.455f;
const float kExhaustIdleScale = 0.728f;
const float kExhaustFlicker = 0.364f;
const float kExhaustRest = 0.09f;
const D3DXVECTOR3 kGravity(0.0f, 0.0f, -9.8f);

float Random01() { return static_cast<float>(rand()) / 32767.0f; }

float SignOf(float value) { return value > 0.0f ? 1.0f : (value < 0.0f ? -1.0f : 0.0f); }

void ReadFloat(TiXmlElement* element, const char* name, float& value)
{
    double read;
    if (element && element->QueryDoubleAttribute(name, &read) == TIXML_SUCCESS) value = static_cast<float>(read);
}

TiXmlElement* Find(TiXmlElement* root, const char* first, const char* second = nullptr,
                   const char* third = nullptr)
{
    TiXmlHandle handle(root);
    TiXmlHandle found = handle.FirstChildElement(first);
    if (second) found = found.FirstChildElement(second);
    if (third) found = found.FirstChildElement(third);
    return found.ToElement();
}

bool RestartSound(CNSound* sound, DWORD flags)
{
    if (!sound || sound->IsPlaying()) return false;
    sound->Rewind();
    sound->Play(0, flags);
    return true;
}

}  // namespace

CPCar::CPCar(CPGameObject* owner)
    : m_owner(owner),
      m_wheelCount(4),
      m_wheelX(0.0f),
      m_wheelY(0.0f),
      m_wheelLength(1.5f),
      m_wheelRadius(0.5f),
      m_frontMaxOffset(0.0f),
      m_rearMaxOffset(0.0f),
      m_width(0.0f),
      m_fixedMin(false),
      m_fixedMax(false),
      m_debug(false),
      m_spring1(140.0f),
      m_spring2(150.0f),
      m_damping(150.0f),
      m_maxFrontSpeed(30.0f),
      m_maxRearSpeed(15.0f),
      m_frictionFront(100.0f),
      m_frictionBack(240.0f),
      m_slide(0.9f),
      m_accelFront(100.0f),
      m_accelBack(100.0f),
      m_brakeAccel(100.0f),
      m_inertiaYaw(0.0f),
      m_inertiaPitch(0.1f),
      m_wheelSensors(),
      m_wheelRest(),
      m_wheelOffset(),
      m_wheelAngle(),
      m_wheelSpin(),
      m_contactPoint(),
      m_inContact(),
      m_lastDustPoint(),
      m_dustCount(),
      m_drive(0.0f),
      m_steer(0.0f),
      m_brake(false),
      m_slideFactor(0.0f),
      m_controlsSet(false),
      m_locked(false),
      m_nitro(0.0f),
      m_nitroStock(100.0f),
      m_steerDir(0, 0, 0),
      m_velocity(0, 0, 0, 0),
      m_motion(0, 0, 0),
      m_speed(0.0f),
      m_meanContact(0, 0, 0),
      m_nitroForce(0, 0, 0),
      m_enginePitch(0.0f),
      m_lastFrame(-1),
      m_soundsOn(false)
{
    std::fill(std::begin(m_airborne), std::end(m_airborne), true);
}

CPCar::~CPCar()
{
    // The engine and skid sounds are this car's own copies (loaded with
    // reload); the nitro sound is the cache's.
    for (RefPtr<CNSound>* own : {&m_engineSound, &m_skidSound}) {
        CNSound* sound = own->Get();
        *own = nullptr;
        delete sound;
    }
}

void CPCar::LoadParams(bool sendToScript)
{
    TiXmlElement* root = m_owner ? m_owner->GetDescriptionDocument().RootElement() : nullptr;
    if (!root) return;
    ReadWheelGeometry(Find(root, "physics", "geometry", "wheels"));
    if (TiXmlElement* physics = Find(root, "physics")) {
        const char* debug = physics->Attribute("debug");
        if (debug && std::string(debug) == "true") m_debug = true;
    }
    TiXmlElement* wheels = Find(root, "physics", "params", "wheels");
    ReadFloat(wheels, "spring1", m_spring1);
    ReadFloat(wheels, "spring2", m_spring2);
    ReadFloat(wheels, "damping", m_damping);
    TiXmlElement* speed = Find(root, "physics", "params", "speed");
    ReadFloat(speed, "max_front_speed", m_maxFrontSpeed);
    ReadFloat(speed, "max_rear_speed", m_maxRearSpeed);
    TiXmlElement* acceleration = Find(root, "physics", "params", "acceleration");
    if (speed && speed->Attribute("angle") && sendToScript) SendSpeedParams(root, *speed, acceleration);
    TiXmlElement* friction = Find(root, "physics", "params", "friction");
    ReadFloat(friction, "front", m_frictionFront);
    ReadFloat(friction, "back", m_frictionBack);
    ReadFloat(friction, "slide", m_slide);
    ReadFloat(acceleration, "front", m_accelFront);
    ReadFloat(acceleration, "back", m_accelBack);
    ReadFloat(acceleration, "brake", m_brakeAccel);
    TiXmlElement* inertia = Find(root, "physics", "params", "inertion");
    ReadFloat(inertia, "yaw", m_inertiaYaw);
    ReadFloat(inertia, "pitch", m_inertiaPitch);
    if (TiXmlElement* shadow = Find(root, "render", "shadow")) {
        if (const char* name = shadow->Attribute("name")) m_shadowName = name;
    }
}

float* CPCar::GetTunedValue(int index)
{
    float* const values[kTunedValueCount] = {
        &m_wheelX,        &m_wheelY,        &m_wheelLength,   &m_wheelRadius,   &m_frontMaxOffset,
        &m_rearMaxOffset, &m_spring1,       &m_spring2,       &m_damping,       &m_maxFrontSpeed,
        &m_maxRearSpeed,  &m_frictionFront, &m_frictionBack,  &m_slide,         &m_accelFront,
        &m_accelBack,     &m_brakeAccel,    &m_inertiaYaw,    &m_inertiaPitch};
    if (index < 0 || index >= kTunedValueCount) return nullptr;
    return values[index];
}

void CPCar::ReadWheelGeometry(TiXmlElement* wheels)
{
    if (!wheels) return;
    float count = static_cast<float>(m_wheelCount);
    ReadFloat(wheels, "count", count);
    // More wheels than rays would overrun the tables. Clamped before the
    // conversion: a count beyond the integers has no integer value.
    count = std::max(0.0f, std::min(count, static_cast<float>(kMaxWheels)));
    m_wheelCount = static_cast<int>(count);
    ReadFloat(wheels, "x", m_wheelX);
    ReadFloat(wheels, "y", m_wheelY);
    ReadFloat(wheels, "length", m_wheelLength);
    ReadFloat(wheels, "radius", m_wheelRadius);
    ReadFloat(wheels, "front_min_radius", m_frontMaxOffset);
    ReadFloat(wheels, "back_min_radius", m_rearMaxOffset);
    ReadFloat(wheels, "width", m_width);
    if (const char* fixed = wheels->Attribute("fixed")) {
        std::string text(fixed);
        std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        m_fixedMin = text == "min";
        m_fixedMax = text == "max";
    }
}

// The speed block's steering angle, the camera's divisor and the
// acceleration block's script values go to "jeep"; a missing value goes out
// as 0.00.
void CPCar::SendSpeedParams(TiXmlElement* root, TiXmlElement& speed, TiXmlElement* acceleration)
{
    if (!g_pCommandManager) return;
    float angle = 0, fovDiv = 0, accelFront = 0, accelBack = 0, speedFront = 0, speedBack = 0;
    ReadFloat(&speed, "angle", angle);
    ReadFloat(Find(root, "camera"), "fov_div", fovDiv);
    ReadFloat(acceleration, "accel_front", accelFront);
    ReadFloat(acceleration, "accel_back", accelBack);
    ReadFloat(acceleration, "speed_front", speedFront);
    ReadFloat(acceleration, "speed_back", speedBack);
    char text[128];
    snprintf(text, sizeof(text), "%.2f,%.2f,%.2f,%.2f", angle, fovDiv, accelFront, accelBack);
    g_pCommandManager->SendCommandByName("jeep", "set_car_params", text);
    snprintf(text, sizeof(text), "%.2f,%.2f", speedFront, speedBack);
    g_pCommandManager->SendCommandByName("jeep", "set_car_params2", text);
}

void CPCar::Load(CPSimulator*, bool withSounds)
{
    m_locked = false;
    LoadParams(withSounds);
    if (!m_owner) return;
    for (int i = 0; i < m_wheelCount; ++i) {
        char name[16];
        snprintf(name, sizeof(name), "w%d", i);
        m_wheelParts[i] = m_owner->GetChildByName(name);
    }
    CPPhysicData* data = m_owner->GetPhysicData();
    CPRigidBody* body = data ? data->GetRigidBody() : nullptr;
    if (body) {
        for (int i = 0; i < m_wheelCount; ++i) {
            if (!m_wheelParts[i]) continue;
            const D3DXVECTOR3& part = *m_wheelParts[i]->GetPositionRef();
            const float side = i % 2 == 0 ? 1.0f : -1.0f;
            const D3DXVECTOR3 start(part.x - m_wheelX * side, part.y, m_wheelY);
            m_wheelSensors[i] = body->AddSensor();
            if (m_wheelSensors[i]) m_wheelSensors[i]->Set(start, D3DXVECTOR3(0.0f, 0.0f, -m_wheelLength));
            m_wheelRest[i] = D3DXVECTOR3(part.x, part.y, m_wheelY);
            m_lastDustPoint[i] = D3DXVECTOR3(start.x, start.y, 0.0f);
            m_wheelOffset[i] = m_wheelRadius - m_wheelLength;
        }
        body->AddController(this, 0);
        data->SetupRigidBody();
    }
    m_stoplights = m_owner->GetChildByName("stoplights");
    m_stoplights2 = m_owner->GetChildByName("stoplights2");
    m_backlights = m_owner->GetChildByName("backlights");
    m_backlights2 = m_owner->GetChildByName("backlights2");
    ShowLight(m_stoplights.Get(), true);
    ShowLight(m_stoplights2.Get(), false);
    ShowLight(m_backlights.Get(), true);
    ShowLight(m_backlights2.Get(), false);
}

void CPCar::LoadSounds()
{
    m_soundsOn = true;
    CPSoundManager* sounds = GetSoundManager();
    if (!sounds) return;
    sounds->LoadSound(m_engineSound, "main.wav", CNSound::kPlain, true);
    sounds->LoadSound(m_skidSound, "vizg.wav", CNSound::kPlain, true);
    sounds->LoadSound(m_nitroSound, "nitro.wav", CNSound::kPlain, false);
}

CPRigidBody* CPCar::RigidBody() const
{
    CPPhysicData* data = m_owner ? m_owner->GetPhysicData() : nullptr;
    return data ? data->GetRigidBody() : nullptr;
}

void CPCar::ShowLight(CPGameObject* light, bool visible)
{
    if (light) light->SetVisible(visible);
}

void CPCar::SetControls(float throttle, float steering)
{
    if (throttle >= 0.0f) {
        m_drive = throttle * m_accelFront;
        ShowLight(m_backlights.Get(), true);
        ShowLight(m_backlights2.Get(), false);
    } else {
        m_drive = throttle * m_accelBack;
        const CPRigidBody* body = RigidBody();
        if (body && Dot(body->GetVelocity(), body->GetRotation().column[1]) > 0.0f) {
            ShowLight(m_backlights.Get(), false);
            ShowLight(m_backlights2.Get(), true);
        }
    }
    m_steer = std::fabs(steering) <= kMaxSteer ? steering : std::copysign(kMaxSteer, steering);
    m_controlsSet = true;
}

void CPCar::SetBrake(bool on)
{
    if (on && !m_brake) {
        ShowLight(m_stoplights.Get(), false);
        ShowLight(m_stoplights2.Get(), true);
    } else if (!on && m_brake) {
        ShowLight(m_stoplights.Get(), true);
        ShowLight(m_stoplights2.Get(), false);
    }
    m_brake = on;
}

void CPCar::OnControllerStep(CPController* controller, float timeStep)
{
    const CPRigidBody* body = controller->GetBody();
    if (!body) return;
    m_slideFactor = m_brake ? m_slide : std::max(0.0f, m_slideFactor - kSlideDecay * timeStep);
    StepFrame frame{body, body->GetRotation(), body->GetPosition(), body->GetVelocity(),
                    body->GetRotation().column[1], timeStep};
    std::fill(std::begin(m_inContact), std::end(m_inContact), false);
    m_velocity = D3DXVECTOR4(frame.velocity.x, frame.velocity.y, frame.velocity.z, 0.0f);
    m_speed = Length(frame.velocity);
    m_motion = D3DXVECTOR3(-Dot(frame.velocity, frame.axisY), 0.0f, 0.0f);

    const float fade = m_slideFactor != 0.0f ? 1.0f : 1.0f - std::min(kSteerFade * m_speed, kMaxSteerFade);
    const float angle = m_steer * fade;
    D3DXVECTOR3 steerDir = frame.rotation.Apply(D3DXVECTOR3(std::sin(angle), std::cos(angle), 0.0f));
    steerDir.z = 0.0f;
    m_steerDir = Normalised(steerDir);

    D3DXVECTOR3 force(0, 0, 0), torque(0, 0, 0);
    m_meanContact = D3DXVECTOR3(0, 0, 0);
    for (int i = 0; i < m_wheelCount; ++i) AddWheelForces(i, frame, force, torque);
    m_meanContact *= 0.25f;
    for (int i = 0; i < m_wheelCount; ++i) UpdateWheel(i, timeStep);

    force += frame.axisY * (-Dot(frame.velocity, frame.axisY)) * kRollingDrag;
    m_nitroForce = Normalised(frame.rotation.Apply(D3DXVECTOR3(0, -1, 0))) * kNitroScale * m_accelFront * m_nitro *
                   timeStep;
    if (m_nitro > 0.0f && m_soundsOn) RestartSound(m_nitroSound.Get(), 0);
    controller->SetControllerForce(force + m_nitroForce);
    controller->SetControllerTorque(torque);
    if (FrameNumber != m_lastFrame) UpdateOncePerFrame();
}

void CPCar::AddWheelForces(int wheel, const StepFrame& frame, D3DXVECTOR3& force, D3DXVECTOR3& torque)
{
    CPSensor* sensor = m_wheelSensors[wheel];
    const float depth = sensor ? sensor->GetDetectedDepth() : 0.0f;
    if (depth <= 0.0f) {
        m_airborne[wheel] = true;
        return;
    }
    WheelContact contact{wheel, wheel < kFrontWheels, depth, sensor->GetContactNormal(), D3DXVECTOR3(0, 0, 0)};
    if (contact.normal.z < 0.0f) contact.normal = -contact.normal;
    const D3DXVECTOR3 point = sensor->GetContactPoint();
    contact.arm = point - frame.position;
    m_meanContact += point;
    m_inContact[wheel] = true;
    m_contactPoint[wheel] = point;
    m_airborne[wheel] = false;
    UpdateWheelOffset(contact);
    AddSuspension(*sensor, contact, frame, force, torque);
    const D3DXVECTOR3 rolling = AddSideFriction(contact, frame, force, torque);
    if (m_locked) AddLockHold(contact, rolling, frame, force, torque);
    else if (m_drive != 0.0f) AddDrive(contact, frame, force, torque);
}

void CPCar::UpdateWheelOffset(const WheelContact& contact)
{
    const float limit = contact.front ? m_frontMaxOffset : m_rearMaxOffset;
    float& offset = m_wheelOffset[contact.wheel];
    if (m_fixedMax) {
        offset = m_wheelRadius - m_wheelLength;
    } else {
        const float travel = m_wheelRadius - (m_wheelLength - contact.depth);
        offset = m_fixedMin || travel > limit ? limit : travel;
    }
}

// The spring along the ground's normal and the damper along the ray, both
// at the ray's start.
void CPCar::AddSuspension(const CPSensor& sensor, const WheelContact& contact, const StepFrame& frame,
                          D3DXVECTOR3& force, D3DXVECTOR3& torque)
{
    const D3DXVECTOR3 direction = frame.rotation.Apply(sensor.GetDirection());
    const D3DXVECTOR3 start = frame.rotation.Apply(sensor.GetStart()) + frame.position;
    if (m_debug && g_pRender) g_pRender->AddLine(0xffffffff, start, start + direction);
    const D3DXVECTOR3 arm = start - frame.position;
    const D3DXVECTOR3 spring = contact.normal * contact.depth * (contact.front ? m_spring1 : m_spring2);
    force += spring;
    torque += Cross(arm, spring);
    // The damper grows with the square of the ray's length; on a light car
    // it is held to the force that stops the closing speed in one step, or
    // it would overshoot and throw the car.
    const D3DXVECTOR3 unit = Normalised(direction);
    const float closing = Dot(frame.body->GetVelocityAtPoint(arm), unit);
    const float stopping = StoppingPerSpeed(frame);
    const D3DXVECTOR3 damper = -unit * closing * std::min(LengthSquared(direction) * m_damping, stopping);
    force += damper;
    torque += Cross(arm, damper);
}

// Friction across the rolling direction, on the ground plane; the rolling
// direction is the answer.
D3DXVECTOR3 CPCar::AddSideFriction(const WheelContact& contact, const StepFrame& frame, D3DXVECTOR3& force,
                                   D3DXVECTOR3& torque)
{
    D3DXVECTOR3 slip = frame.body->GetVelocityAtPoint(contact.arm);
    m_wheelSpin[contact.wheel] = -Dot(slip, frame.axisY);
    const D3DXVECTOR3 rolling = contact.front ? m_steerDir : frame.axisY;
    slip -= contact.normal * Dot(slip, contact.normal);
    slip -= rolling * Dot(slip, rolling);
    // Full friction would overshoot a slip smaller than one step's worth
    // and make the wheel chatter sideways; it stops the slip instead.
    const float stopping = Length(slip) * StoppingPerSpeed(frame);
    const float friction = contact.front ? m_frictionFront : m_frictionBack * (1.0f - m_slideFactor);
    const D3DXVECTOR3 side = -Normalised(slip) * std::min(friction, stopping);
    force.x += side.x;
    force.y += side.y;
    torque += Cross(contact.arm, side);
    return rolling;
}

// Cancels the wheel's share of the rolling speed in one step, with the pull
// of gravity along it, no harder than the rear wheels grip sideways.
void CPCar::AddLockHold(const WheelContact& contact, const D3DXVECTOR3& rolling, const StepFrame& frame,
                        D3DXVECTOR3& force, D3DXVECTOR3& torque)
{
    const D3DXVECTOR3 along = Normalised(rolling - contact.normal * Dot(rolling, contact.normal));
    const float rollingSpeed = Dot(frame.body->GetVelocityAtPoint(contact.arm), along);
    const float pull = Dot(kGravity, along);
    float size = -(rollingSpeed / frame.timeStep + pull) * frame.body->GetMass() / WheelShare();
    size = std::max(-m_frictionBack, std::min(size, m_frictionBack));
    const D3DXVECTOR3 hold = along * size;
    force += hold;
    torque += Cross(contact.arm, hold) * m_inertiaPitch;
}

// Drive along the steered nose at the front and along the ground under the
// nose at the rear, stronger on a slope; only the sign of the drive counts.
void CPCar::AddDrive(const WheelContact& contact, const StepFrame& frame, D3DXVECTOR3& force, D3DXVECTOR3& torque)
{
    D3DXVECTOR3 drive = -m_steerDir;
    if (!contact.front) {
        // The contact normal a quarter turn about the car's x axis.
        drive = Normalised(Cross(frame.rotation.column[0], contact.normal));
    }
    const D3DXVECTOR3 flat = Normalised(D3DXVECTOR3(drive.x, drive.y, 0.0f));
    const float slope = std::acos(std::max(-1.0f, std::min(1.0f, Dot(drive, flat))));
    const D3DXVECTOR3 push = drive * (1.0f + kSlopeDriveGain * std::fabs(slope)) * SignOf(m_drive) *
                             (m_drive > 0.0f ? m_accelFront : m_accelBack);
    force += push;
    torque += Cross(contact.arm, push);
}

float CPCar::WheelShare() const { return static_cast<float>(std::max(1, m_wheelCount)); }

float CPCar::StoppingPerSpeed(const StepFrame& frame) const
{
    return frame.body->GetMass() / (frame.timeStep * WheelShare());
}

void CPCar::UpdateWheel(int wheel, float timeStep)
{
    const bool front = wheel < kFrontWheels;
    if (front || !m_brake) {
        // A wheel of radius 0 has no rolling speed to turn by.
        if (m_inContact[wheel] && m_wheelRadius != 0.0f) {
            m_wheelAngle[wheel] += timeStep * m_wheelSpin[wheel] / (m_wheelRadius * 0.5f);
        } else if (!m_inContact[wheel]) {
            m_wheelAngle[wheel] -= timeStep * m_drive;
        }
    }
    if (m_inContact[wheel] && m_speed * m_speed > kDustSpeedSquared && g_dust != 0 && m_slideFactor > 0.0f) {
        RaiseDust(wheel);
    }
    PlaceWheelPart(wheel);
}

void CPCar::RaiseDust(int wheel)
{
    CPCarWorld* world = GetCarWorld();
    const float size = 0.5f + 0.2f * Random01() - 0.1f;
    const D3DXVECTOR3 start = m_contactPoint[wheel] + D3DXVECTOR3(0.0f, 0.0f, kDustRise);
    if (world && world->GetLiveParticleCount() < CPCarWorld::kSparkLimit) {
        const float spacing = m_soundsOn ? 1.0f : 5.0f;
        const D3DXVECTOR3 step = start - m_lastDustPoint[wheel];
        if ((1.0f + Random01()) * 0.5f * spacing * size * size <= LengthSquared(step)) {
            m_dustCount[wheel] += 1.0f;
            ParticleSpawnRecord record;
            record.name = "pil_";
            record.size = size;
            record.position = start;
            record.secondScalar = 0.5f;
            record.thirdScalar = kDustLife;
            if (g_pParticleManager) g_pParticleManager->SpawnParticle(std::move(record));
            m_lastDustPoint[wheel] = start;
            world->AddLiveParticle(kDustLife);
        }
    }
    if (m_soundsOn) RestartSound(m_skidSound.Get(), 0);
}

void CPCar::PlaceWheelPart(int wheel)
{
    CPGameObject* part = m_wheelParts[wheel].Get();
    if (!part) return;
    const D3DXVECTOR3 axle(1, 0, 0), up(0, 0, 1);
    D3DXQUATERNION roll, turn, rotation;
    D3DXQuaternionRotationAxis(&roll, &axle, m_wheelAngle[wheel]);
    D3DXQuaternionRotationAxis(&turn, &up, wheel < kFrontWheels ? -m_steer : 0.0f);
    D3DXQuaternionMultiply(&rotation, &roll, &turn);
    part->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    part->SetPosition(m_wheelRest[wheel].x, m_wheelRest[wheel].y, m_wheelOffset[wheel] + m_wheelY);
}

void CPCar::UpdateOncePerFrame()
{
    CPCarWorld* world = GetCarWorld();
    IPRaceState* race = world ? world->GetRaceState() : nullptr;
    if (!race || !race->IsLevelStarted()) return;
    if (m_nitro > 0.0f) {
        m_nitroStock = std::max(0.0f, m_nitroStock - FrameDeltaTime * kNitroUse);
        if (m_nitroStock == 0.0f) m_nitro = 0.0f;
    }
    UpdateExhaust();
    if (m_soundsOn) UpdateEngineSound();
    m_lastFrame = FrameNumber;
}

// The parts under "glass" are the exhaust flames: their shift vector's last
// value stretches them with the nitro, flickering while the stock lasts.
void CPCar::UpdateExhaust()
{
    RefPtr<CPGameObject> glass = m_owner ? m_owner->GetChildByName("glass") : nullptr;
    if (!glass) return;
    float flame;
    if (m_nitroStock > 0.0f && m_nitro > 0.0f) {
        flame = (m_nitroStock * 0.01f * Random01() + 1.0f) * kExhaustNitroBase;
    } else if (m_nitroStock > 0.0f) {
        flame = m_nitroStock * 0.01f * kExhaustIdleScale;
    } else {
        flame = Random01() * kExhaustFlicker + kExhaustFlicker;
    }
    const D3DXVECTOR4 shift(0.0f, 0.0f, 0.0f, -(flame * m_nitro) - kExhaustRest);
    for (const RefPtr<CPGameObject>& part : glass->GetChildren()) {
        if (CPRenderObject* mesh = part->GetRenderObject()) mesh->SetShiftVector(shift);
    }
}

void CPCar::UpdateEngineSound()
{
    CNSound* engine = m_engineSound.Get();
    if (!engine) return;
    if (!engine->IsPlaying()) engine->Play(0, DSBPLAY_LOOPING);
    const float target = std::min(m_speed * kEnginePitchPerSpeed + kEnginePitchBase, kEnginePitchMax);
    m_enginePitch += (target - m_enginePitch) * FrameDeltaTime * kEnginePitchRate;
    engine->SetPitch(m_enginePitch);
}
