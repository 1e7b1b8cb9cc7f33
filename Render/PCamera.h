#pragma once

#include "Render/PPerspectiveCamera.h"
#include "core/PObject.h"

#include <d3dx9math.h>

#include <memory>

// What the follow camera reads of the race each frame.
struct FollowInputs {
    FollowInputs();

    // The player's direction: its x and y give the heading and the pitch.
    D3DXVECTOR3 playerDirection;
    // While set, the heading is the forced heading (radians) turned by pi/2.
    bool headingForced;
    float forcedHeading;
    // Radians added to the yaw while the script tuning value is 0.
    float extraYaw;
    // The player car's steering (magnitude at most 0.7) and motion vector:
    // the steering turns the camera only while the motion's x is positive.
    float carSteering;
    D3DXVECTOR3 carMotion;
    // The player car's velocity; zero without a car.
    D3DXVECTOR4 carVelocity;
};

// The race that a follow camera follows; the level answers it. The level is
// built after the renderer, so the camera reaches it only through this.
class IPCameraSubject {
public:
    virtual ~IPCameraSubject() {}
    virtual void GetFollowInputs(FollowInputs& inputs) = 0;
};

// The level's follow camera. It owns two perspective views, the first with
// the draw distance as its far plane and the second reaching 2000 units,
// and each frame eases both behind the player's car; in fixed mode (the
// race's view fixed to the car) it places them at a given eye, target and
// up instead. Values it eases toward, and the proportions that shape its
// offset, are handed in by the race rules. The camera owns its views.
class CPCamera : public IPObject {
public:
    // Publishes the first view as the current camera view.
    CPCamera();
    // Takes both views out of the renderer's render list and out of the
    // current camera view before destroying them, so nothing is left
    // pointing at a destroyed view.
    ~CPCamera() override;
    CPCamera(const CPCamera&) = delete;
    CPCamera& operator=(const CPCamera&) = delete;

    int GetObjectSize() override;
    const char* GetTypeName() override;

    // The per-frame move with the frame time, which counts at most 0.1 s.
    // Without a subject there is nothing to follow and only fixed mode moves.
    void Update();

    void SetSubject(IPCameraSubject* subject) { m_subject = subject; }
    IPCameraSubject* GetSubject() const { return m_subject; }

    // Hand a view to the renderer's render list under the key.
    void ActivateFirstView(int key);
    void ActivateSecondView(int key);
    RefPtr<CPPerspectiveCamera> GetFirstView() const { return m_firstView.get(); }
    RefPtr<CPPerspectiveCamera> GetSecondView() const { return m_secondView.get(); }

    // The eye, target and up that fixed mode gives both views; marks the
    // camera changed.
    void SetLookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up);
    void SetFixedMode(bool fixed) { m_fixedMode = fixed; }
    bool IsFixedMode() const { return m_fixedMode; }
    const D3DXVECTOR3& GetFixedTarget() const { return m_fixedTarget; }

    // The distance eases toward the target; a distance still at 0 takes the
    // target at once. Marks the camera changed.
    void SetTargetDistance(float distance);
    // The heading that the yaw eases toward, in radians; marks the camera changed.
    void SetHeading(float heading);
    // The pitch angle of the offset above the car, in radians; marks the
    // camera changed.
    void SetAngle(float angle);
    // Degrees. The field of view eases toward the value; one still at 0
    // takes it at once, and so do both views.
    void SetFieldOfView(float degrees);
    void SetYaw(float yaw) { m_yaw = yaw; }
    void SetTiltTarget(float tilt) { m_tiltTarget = tilt; }
    void SetFollowPoint(const D3DXVECTOR3& point) { m_followPoint = point; }
    const D3DXVECTOR3& GetFollowPoint() const { return m_followPoint; }
    void SetTargetOffset(const D3DXVECTOR3& offset) { m_targetOffset = offset; }
    // The offset's proportions: p3 / p1 raises its angle, and the reach is
    // the distance less p2 / p4 plus p3 / p4.
    void SetProportions(float p1, float p2, float p3, float p4);

    // The level's branch tree that the camera keeps a reference to.
    void SetTrackedTree(IPObject* tree) { m_trackedTree = tree; }
    IPObject* GetTrackedTree() const { return m_trackedTree.Get(); }

    // Script-placed camera: a position and an angle about z, each of which
    // switches manual mode on.
    void SetManualPosition(const D3DXVECTOR3& position);
    void SetManualZAngle(float angle);
    bool IsManualMode() const { return m_manualMode; }
    const D3DXVECTOR3& GetManualPosition() const { return m_manualPosition; }
    float GetManualZAngle() const { return m_manualZAngle; }

    float GetHeading() const { return m_heading; }
    float GetAngle() const { return m_pitchBase; }
    float GetYaw() const { return m_yaw; }
    float GetPitch() const { return m_pitch; }
    float GetDrift() const { return m_drift; }
    float GetTilt() const { return m_tilt; }
    float GetSteeringOffset() const { return m_steeringOffset; }
    float GetDistance() const { return m_distance; }
    float GetTargetDistance() const { return m_distanceTarget; }
    float GetFieldOfView() const { return m_fieldOfView; }
    float GetFieldOfViewTarget() const { return m_fieldOfViewTarget; }
    bool IsChanged() const { return m_update; }

    // The race's camera modes keep these for the scripts: which view the
    // mode shows, and a second point to look at.
    void SetSecondViewFlag(bool set) { m_secondViewFlag = set; }
    bool GetSecondViewFlag() const { return m_secondViewFlag; }
    void SetThirdViewFlag(bool set) { m_thirdViewFlag = set; }
    bool GetThirdViewFlag() const { return m_thirdViewFlag; }
    void SetSecondTarget(const D3DXVECTOR3& target) { m_secondTarget = target; }
    const D3DXVECTOR3& GetSecondTarget() const { return m_secondTarget; }
    // The point the camera reports looking at: the second target while the
    // second-view flag is set, else the follow point.
    const D3DXVECTOR3& GetTargetPoint() const;

private:
    void UpdateFixed();
    void UpdateFollow(float step);
    void EaseScalars(float step);
    void FollowHeading(const FollowInputs& inputs, float step);
    void FollowPitchAndDrift(const FollowInputs& inputs, float step);
    void PlaceViews(const D3DXVECTOR3& offset);
    void LookFromBothViews(const D3DXVECTOR3& eye, const D3DXVECTOR3& target,
                           const D3DXVECTOR3& up);
    void SetViewFieldOfView(float degrees);
    D3DXMATRIX OffsetRotation(const FollowInputs& inputs) const;
    D3DXVECTOR3 OffsetFrom(const D3DXMATRIX& rotation) const;

    IPCameraSubject* m_subject;
    float m_steeringOffset;
    float m_distance;
    float m_distanceTarget;
    float m_heading;
    float m_referenceAngle;
    float m_pitchBase;
    bool m_update;
    float m_fieldOfView;
    float m_fieldOfViewTarget;
    D3DXVECTOR3 m_followPoint;
    std::unique_ptr<CPPerspectiveCamera> m_firstView;
    RefPtr<IPObject> m_trackedTree;
    bool m_fixedMode;
    D3DXVECTOR3 m_targetOffset;
    float m_drift;
    float m_pitch;
    std::unique_ptr<CPPerspectiveCamera> m_secondView;
    float m_p1;
    float m_p2;
    float m_p3;
    float m_p4;
    D3DXVECTOR3 m_fixedTarget;
    D3DXVECTOR3 m_fixedEye;
    D3DXVECTOR3 m_fixedUp;
    float m_tiltTarget;
    float m_tilt;
    float m_yaw;
    bool m_manualMode;
    D3DXVECTOR3 m_manualPosition;
    float m_manualZAngle;
    bool m_secondViewFlag;
    bool m_thirdViewFlag;
    D3DXVECTOR3 m_secondTarget;
};

// The first view of the newest follow camera: the view that sprites face
// and the race rules project with. Null before any follow camera exists
// and after the camera that published it is destroyed.
extern CPPerspectiveCamera* g_pCurrentView;
CPPerspectiveCamera* GetCurrentView();

// The script tuning value, 1 at program start; scripts set it with "SetTemp".
// The follow camera adds the level's extra yaw only while it is 0.
extern float g_scriptTuningValue;
