#include "Render/PCamera.h"

#include "Render/PRender.h"
#include "core/FrameClock.h"
#include "core/Settings.h"
#include "core/StringUtils.h"

#include <algorithm>
#include <cmath>

CPPerspectiveCamera* g_pCurrentView = nullptr;
float g_scriptTuningValue = 1.0f;

CPPerspectiveCamera* GetCurrentView()
{
    return g_pCurrentView;
}

namespace {

const float kPi = 3.14159265f;
const float kTwoPi = 6.2831853f;
const float kHalfPi = 1.5707964f;
const float kDegreesToRadians = 0.017453292f;

// Frame times above this move the camera as if the frame had taken this long.
const float kLongestStep = 0.1f;
const float kNearPlane = 1.0f;
const float kSecondViewFarPlane = 2000.0f;

// Easing speeds per second.
const float kFieldOfViewRate = 2.0f;
const float kDistanceRate = 2.0f;
const float kTiltRate = 5.0f;
const float kSteeringRate = 6.0f;
const float kYawRate = 4.0f;
const float kPitchRate = 10.0f;
const float kDriftRate = 0.2f;

// The steering turns the camera by this many radians per unit of steering.
const float kSteeringTurn = -2.0f;
// Below this speed the camera does not drift toward the car's motion.
const float kDriftSpeed = 2.0f;
const float kStillSpeedSquared = 1e-6f;

const D3DXVECTOR3 kUnitZ(0.0f, 0.0f, 1.0f);

// Moves value toward target by the fraction rate of the gap, never past it.
float EaseToward(float value, float target, float rate)
{
    return value + (target - value) * std::min(rate, 1.0f);
}

// The race rules hand in divisors that are 0 until a level sets them; a
// zero divisor adds nothing instead of an infinity or a NaN.
float Quotient(float numerator, float denominator)
{
    return denominator == 0.0f ? 0.0f : numerator / denominator;
}

// The unit vector of (x, y); (0, 0) stays (0, 0).
D3DXVECTOR2 FlatDirection(float x, float y)
{
    float length = std::sqrt(x * x + y * y);
    if (length == 0.0f) return D3DXVECTOR2(0.0f, 0.0f);
    return D3DXVECTOR2(x / length, y / length);
}

D3DXVECTOR3 Normalised(const D3DXVECTOR3& vector)
{
    D3DXVECTOR3 result(0.0f, 0.0f, 0.0f);
    if (D3DXVec3LengthSq(&vector) > 0.0f) D3DXVec3Normalize(&result, &vector);
    return result;
}

// An angle from acos, in [-pi, pi], moved into [2 pi, 4 pi).
float RaiseIntoSecondTurn(float angle)
{
    while (angle < kTwoPi) angle += kTwoPi;
    return angle;
}

} // namespace

FollowInputs::FollowInputs()
    : playerDirection(0.0f, 0.0f, 0.0f),
      headingForced(false),
      forcedHeading(0.0f),
      extraYaw(0.0f),
      carSteering(0.0f),
      carMotion(0.0f, 0.0f, 0.0f),
      carVelocity(0.0f, 0.0f, 0.0f, 0.0f)
{
}

CPCamera::CPCamera()
    : m_subject(nullptr),
      m_steeringOffset(0.0f),
      m_distance(0.0f),
      m_distanceTarget(0.0f),
      m_heading(-kHalfPi),
      m_referenceAngle(0.0f),
      m_pitchBase(0.0f),
      m_update(true),
      m_fieldOfView(0.0f),
      m_fieldOfViewTarget(0.0f),
      m_followPoint(0.0f, 0.0f, 0.0f),
      m_fixedMode(false),
      m_targetOffset(0.0f, 0.0f, 0.0f),
      m_drift(0.0f),
      m_pitch(0.0f),
      m_p1(0.0f),
      m_p2(0.0f),
      m_p3(0.0f),
      m_p4(0.0f),
      m_fixedTarget(0.0f, 0.0f, 0.0f),
      m_fixedEye(0.0f, 0.0f, 0.0f),
      m_fixedUp(0.0f, 0.0f, 0.0f),
      m_tiltTarget(0.0f),
      m_tilt(0.0f),
      m_yaw(0.0f),
      m_manualMode(false),
      m_manualPosition(0.0f, 0.0f, 0.0f),
      m_manualZAngle(0.0f),
      m_secondViewFlag(false),
      m_thirdViewFlag(false),
      m_secondTarget(0.0f, 0.0f, 0.0f)
{
    m_firstView.reset(new CPPerspectiveCamera());
    m_secondView.reset(new CPPerspectiveCamera());
    g_pCurrentView = m_firstView.get();
    for (CPPerspectiveCamera* view : {m_firstView.get(), m_secondView.get()}) {
        view->SetFieldOfView(m_fieldOfView * kDegreesToRadians);
        view->SetNearPlane(kNearPlane);
        view->SetUp(kUnitZ);
    }
    m_firstView->SetFarPlane(static_cast<float>(g_distance));
    m_secondView->SetFarPlane(kSecondViewFarPlane);
}

CPCamera::~CPCamera()
{
    if (g_pCurrentView == m_firstView.get()) g_pCurrentView = nullptr;
    if (CPRender* render = GetRender()) {
        render->RemoveFromRenderList(m_firstView.get());
        render->RemoveFromRenderList(m_secondView.get());
    }
}

int CPCamera::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPCamera::GetTypeName()
{
    return "CPCamera";
}

void CPCamera::ActivateFirstView(int key)
{
    if (CPRender* render = GetRender()) render->AddToRenderList(key, m_firstView.get());
}

void CPCamera::ActivateSecondView(int key)
{
    if (CPRender* render = GetRender()) render->AddToRenderList(key, m_secondView.get());
}

const D3DXVECTOR3& CPCamera::GetTargetPoint() const
{
    return m_secondViewFlag ? m_secondTarget : m_followPoint;
}

void CPCamera::SetLookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up)
{
    m_fixedEye = eye;
    m_fixedTarget = target;
    m_fixedUp = up;
    m_update = true;
}

void CPCamera::SetTargetDistance(float distance)
{
    m_distanceTarget = distance;
    if (m_distance == 0.0f) m_distance = distance;
    m_update = true;
}

void CPCamera::SetHeading(float heading)
{
    m_heading = heading;
    m_update = true;
}

void CPCamera::SetAngle(float angle)
{
    m_pitchBase = angle;
    m_update = true;
}

void CPCamera::SetFieldOfView(float degrees)
{
    m_fieldOfViewTarget = degrees;
    m_update = true;
    if (m_fieldOfView != 0.0f) return;
    m_fieldOfView = degrees;
    SetViewFieldOfView(degrees);
}

void CPCamera::SetProportions(float p1, float p2, float p3, float p4)
{
    m_p1 = p1;
    m_p2 = p2;
    m_p3 = p3;
    m_p4 = p4;
}

void CPCamera::SetManualPosition(const D3DXVECTOR3& position)
{
    m_manualPosition = position;
    m_manualMode = true;
}

void CPCamera::SetManualZAngle(float angle)
{
    m_manualZAngle = angle;
    m_manualMode = true;
}

void CPCamera::SetViewFieldOfView(float degrees)
{
    m_firstView->SetFieldOfView(degrees * kDegreesToRadians);
    m_secondView->SetFieldOfView(degrees * kDegreesToRadians);
}

void CPCamera::Update()
{
    if (m_fixedMode) {
        UpdateFixed();
        return;
    }
    if (!m_update && m_heading == m_referenceAngle) return;
    if (!m_subject) return;
    UpdateFollow(std::min(FrameDeltaTime, kLongestStep));
}

void CPCamera::UpdateFixed()
{
    if (!m_update) return;
    LookFromBothViews(m_fixedEye, m_fixedTarget, m_fixedUp);
}

void CPCamera::LookFromBothViews(const D3DXVECTOR3& eye, const D3DXVECTOR3& target,
                                 const D3DXVECTOR3& up)
{
    for (CPPerspectiveCamera* view : {m_firstView.get(), m_secondView.get()}) {
        view->SetEye(eye);
        view->SetTarget(target);
        view->SetUp(up);
        view->UpdateMatrices();
    }
}

void CPCamera::UpdateFollow(float step)
{
    FollowInputs inputs;
    m_subject->GetFollowInputs(inputs);
    EaseScalars(step);
    FollowHeading(inputs, step);
    FollowPitchAndDrift(inputs, step);
    D3DXMATRIX rotation = OffsetRotation(inputs);
    PlaceViews(OffsetFrom(rotation));
}

void CPCamera::EaseScalars(float step)
{
    m_fieldOfView += (m_fieldOfViewTarget - m_fieldOfView) * step * kFieldOfViewRate;
    SetViewFieldOfView(m_fieldOfView);
    m_distance += (m_distanceTarget - m_distance) * step * kDistanceRate;
    m_tilt += (m_tiltTarget - m_tilt) * step * kTiltRate;
}

// The heading follows the player's direction, turned by the eased steering
// and kept in [0, 2 pi) unless the level forces it; the yaw then eases
// toward it the short way round.
void CPCamera::FollowHeading(const FollowInputs& inputs, float step)
{
    D3DXVECTOR2 direction = FlatDirection(inputs.playerDirection.x, inputs.playerDirection.y);
    m_heading = std::fabs(ClampedAcos(direction.x));
    if (direction.y < 0.0f) m_heading = -m_heading;

    float steeringTarget = inputs.carMotion.x > 0.0f ? kSteeringTurn * inputs.carSteering : 0.0f;
    m_steeringOffset += (steeringTarget - m_steeringOffset) * step * kSteeringRate;
    m_heading += m_steeringOffset;
    if (m_heading < 0.0f) m_heading += kTwoPi;
    if (inputs.headingForced) m_heading = inputs.forcedHeading + kHalfPi;

    if (m_heading - m_yaw > kPi) {
        m_yaw += kTwoPi;
    } else if (m_heading - m_yaw < -kPi) {
        m_yaw -= kTwoPi;
    }
    m_yaw += std::min(kYawRate * step, 1.0f) * (m_heading - m_yaw);
}

void CPCamera::FollowPitchAndDrift(const FollowInputs& inputs, float step)
{
    const D3DXVECTOR3& direction = inputs.playerDirection;
    float pitchTarget = ClampedAcos(-direction.y);
    if (direction.x < 0.0f) pitchTarget = -pitchTarget;
    m_pitch = EaseToward(m_pitch, RaiseIntoSecondTurn(pitchTarget), step * kPitchRate);

    const D3DXVECTOR4& velocity = inputs.carVelocity;
    D3DXVECTOR3 velocity3(velocity.x, velocity.y, velocity.z);
    float speedSquared = D3DXVec3LengthSq(&velocity3);
    float speed = std::sqrt(speedSquared);
    D3DXVECTOR2 motion = FlatDirection(velocity.x, velocity.y);
    float driftTarget = 0.0f;
    if (speed >= kDriftSpeed) {
        driftTarget = ClampedAcos(motion.x * direction.x + motion.y * direction.y);
        if (motion.x * direction.y - motion.y * direction.x < 0.0f) driftTarget = -driftTarget;
    }
    float driftSpeed = speedSquared < kStillSpeedSquared ? 0.0f : speed;
    m_drift = EaseToward(m_drift, driftTarget, step * driftSpeed * kDriftRate);
}

D3DXMATRIX CPCamera::OffsetRotation(const FollowInputs& inputs) const
{
    float extraYaw = g_scriptTuningValue != 0.0f ? 0.0f : inputs.extraYaw;
    D3DXMATRIX pitch;
    D3DXMATRIX turn;
    D3DXMATRIX rotation;
    // The speed raises the camera by a degree per angle divisor of speed; a
    // radian each would swing it over the car and under the road.
    const float speedRise = D3DXToRadian(Quotient(m_p3, m_p1));
    D3DXMatrixRotationX(&pitch, speedRise + (m_pitchBase - kHalfPi) + m_tilt);
    D3DXMatrixRotationZ(&turn, extraYaw + m_yaw);
    D3DXMatrixMultiply(&rotation, &pitch, &turn);
    return rotation;
}

// The eye's offset from the follow point. When the reach falls below half
// the distance the camera keeps half the distance away but drops lower.
D3DXVECTOR3 CPCamera::OffsetFrom(const D3DXMATRIX& rotation) const
{
    D3DXVECTOR3 offset;
    D3DXVec3TransformNormal(&offset, &kUnitZ, &rotation);
    float reach = m_distance - Quotient(m_p2, m_p4) + Quotient(m_p3, m_p4);
    float length = std::max(m_distance * 0.5f, reach);
    offset *= length;
    if (reach != length) offset.z += reach - length;
    return offset;
}

void CPCamera::PlaceViews(const D3DXVECTOR3& offset)
{
    D3DXVECTOR3 target = m_followPoint + m_targetOffset;
    target.z += offset.z;
    D3DXVECTOR3 eye = m_followPoint + offset;
    // The view looks level (the target rises with the offset), so the
    // world's up is always across it and the picture stands upright.
    D3DXVECTOR3 up = kUnitZ;

    // Tilting turns the view and its up vector about the axis across both.
    D3DXVECTOR3 direction = Normalised(target - eye);
    D3DXVECTOR3 axis;
    D3DXVec3Cross(&axis, &direction, &up);
    if (D3DXVec3LengthSq(&axis) > 0.0f) {
        D3DXMATRIX tilt;
        D3DXMatrixRotationAxis(&tilt, &axis, -m_tilt);
        D3DXVec3TransformNormal(&direction, &direction, &tilt);
        D3DXVec3TransformNormal(&up, &up, &tilt);
    }
    LookFromBothViews(eye, eye + direction, up);
}
