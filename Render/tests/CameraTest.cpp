#include "Render/PCamera.h"
#include "Render/PRender.h"
#include "core/FrameClock.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

const float kPi = 3.14159265f;
const float kHalfPi = kPi / 2.0f;

bool IsFiniteMatrix(const D3DXMATRIX& matrix)
{
    for (int index = 0; index < 16; ++index) {
        if (!std::isfinite((&matrix._11)[index])) return false;
    }
    return true;
}

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

// A view from the origin along +x with z up: 90 degrees high on a 4:3
// screen, from 1 to 100 units ahead.
class PerspectiveView : public testing::Test {
protected:
    PerspectiveView()
    {
        g_screenWidth = 640;
        g_screenHeight = 480;
        view.SetEye(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        view.SetTarget(D3DXVECTOR3(1.0f, 0.0f, 0.0f));
        view.SetUp(D3DXVECTOR3(0.0f, 0.0f, 1.0f));
        view.SetFieldOfView(kHalfPi);
        view.SetNearPlane(1.0f);
        view.SetFarPlane(100.0f);
        view.UpdateMatrices();
    }

    CPPerspectiveCamera view;
};

struct BoxCase {
    const char* name;
    D3DXVECTOR3 minimum;
    D3DXVECTOR3 maximum;
    bool visible;
};

class BoxVisibility : public PerspectiveView, public testing::WithParamInterface<BoxCase> {};

TEST_P(BoxVisibility, RejectsOnlyBoxesWhollyBehindOnePlane)
{
    EXPECT_EQ(view.IsBoxVisible(GetParam().minimum, GetParam().maximum), GetParam().visible);
}

// 10 units ahead the view reaches 10 units up and down and 13.3 to the sides.
INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxVisibility,
    testing::Values(
        BoxCase{"InFront", D3DXVECTOR3(10, -1, -1), D3DXVECTOR3(12, 1, 1), true},
        BoxCase{"Behind", D3DXVECTOR3(-12, -1, -1), D3DXVECTOR3(-10, 1, 1), false},
        BoxCase{"BeforeTheNearPlane", D3DXVECTOR3(0.2f, -0.1f, -0.1f),
                D3DXVECTOR3(0.5f, 0.1f, 0.1f), false},
        BoxCase{"BeyondTheFarPlane", D3DXVECTOR3(150, -1, -1), D3DXVECTOR3(160, 1, 1), false},
        BoxCase{"EnclosingTheFrustum", D3DXVECTOR3(-500, -500, -500),
                D3DXVECTOR3(500, 500, 500), true},
        BoxCase{"BesideOnTheLeft", D3DXVECTOR3(10, 20, -1), D3DXVECTOR3(12, 22, 1), false},
        BoxCase{"BesideOnTheRight", D3DXVECTOR3(10, -22, -1), D3DXVECTOR3(12, -20, 1), false},
        BoxCase{"Above", D3DXVECTOR3(10, -1, 15), D3DXVECTOR3(12, 1, 17), false},
        BoxCase{"StraddlingTheSideEdge", D3DXVECTOR3(10, 12, -1), D3DXVECTOR3(12, 16, 1), true}),
    [](const testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

// Looking into each octant along its diagonal, a box of three different
// sizes runs from the eye into that octant. Only its farthest corner lies
// past the near plane (1.04 units ahead against 0.75 for the next), so the
// box is seen through that one corner.
TEST_F(PerspectiveView, SeesABoxThatOnlyOneCornerPutsPastTheNearPlane)
{
    const D3DXVECTOR3 size(0.5f, 0.6f, 0.7f);
    for (int octant = 0; octant < 8; ++octant) {
        const D3DXVECTOR3 sign(octant & 1 ? -1.0f : 1.0f, octant & 2 ? -1.0f : 1.0f, octant & 4 ? -1.0f : 1.0f);
        view.SetTarget(sign);
        view.UpdateMatrices();
        const D3DXVECTOR3 corner(sign.x * size.x, sign.y * size.y, sign.z * size.z);
        D3DXVECTOR3 minimum, maximum;
        const D3DXVECTOR3 eye(0.0f, 0.0f, 0.0f);
        D3DXVec3Minimize(&minimum, &eye, &corner);
        D3DXVec3Maximize(&maximum, &eye, &corner);
        EXPECT_TRUE(view.IsBoxVisible(minimum, maximum)) << "octant " << octant;
        EXPECT_FALSE(view.IsBoxVisible(minimum - corner * 0.1f, maximum - corner * 0.1f))
            << "octant " << octant << ", drawn back behind the near plane";
    }
}

TEST_F(PerspectiveView, FrustumPlanesFaceInward)
{
    const D3DXVECTOR3 inside(50.0f, 1.0f, -1.0f);
    for (int index = 0; index < CPPerspectiveCamera::kPlaneCount; ++index) {
        const D3DXPLANE& plane = view.GetFrustumPlane(index);
        float value = plane.a * inside.x + plane.b * inside.y + plane.c * inside.z + plane.d;
        EXPECT_GT(value, 0.0f) << "plane " << index;
    }
}

TEST_F(PerspectiveView, KeepsTheFarLimitedAndRotationOnlyMatrices)
{
    view.SetEye(D3DXVECTOR3(5.0f, 6.0f, 7.0f));
    view.SetTarget(D3DXVECTOR3(6.0f, 6.0f, 7.0f));
    view.SetFarPlane(3000.0f);
    view.UpdateMatrices();

    D3DXMATRIX farLimited;
    D3DXMatrixPerspectiveFovLH(&farLimited, kHalfPi, 640.0f / 480.0f, 1.0f, 1000.0f);
    EXPECT_EQ(view.GetFarLimitedProjection(), farLimited);

    D3DXVECTOR3 ahead;
    const D3DXVECTOR3 unitX(1.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&ahead, &unitX, &view.GetRotationView());
    ExpectNear(ahead, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &view.GetRotationView(), &view.GetInverseRotationView());
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (int index = 0; index < 16; ++index) {
        EXPECT_NEAR((&product._11)[index], (&identity._11)[index], 1e-5f);
    }
}

TEST_F(PerspectiveView, ChangingTheFieldOfViewLeavesTheViewAsItWas)
{
    const D3DXMATRIX view0 = view.GetViewMatrix();
    const D3DXMATRIX projection0 = view.GetProjectionMatrix();
    const D3DXVECTOR3 minimum(10.0f, 12.0f, -1.0f);
    const D3DXVECTOR3 maximum(12.0f, 13.0f, 1.0f);
    view.SetFieldOfView(kPi / 6.0f);
    EXPECT_FALSE(view.IsViewDirty());
    EXPECT_TRUE(view.IsProjectionDirty());
    view.UpdateMatrices();

    EXPECT_EQ(view.GetViewMatrix(), view0);
    EXPECT_NE(view.GetProjectionMatrix(), projection0);
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &view.GetViewMatrix(), &view.GetProjectionMatrix());
    EXPECT_EQ(view.GetViewProjection(), product);
    EXPECT_FALSE(view.IsBoxVisible(minimum, maximum)) << "the planes follow the narrower view";
}

struct DegenerateCase {
    const char* name;
    void (*spoil)(CPPerspectiveCamera& view);
    // The part that was spoiled stays dirty until it is set right.
    bool viewDirty;
    bool projectionDirty;
};

class DegenerateView : public PerspectiveView,
                       public testing::WithParamInterface<DegenerateCase> {};

TEST_P(DegenerateView, KeepsThePreviousMatricesAndPlanes)
{
    const D3DXMATRIX viewMatrix = view.GetViewMatrix();
    const D3DXMATRIX projection = view.GetProjectionMatrix();
    const D3DXMATRIX farLimited = view.GetFarLimitedProjection();
    const D3DXMATRIX viewProjection = view.GetViewProjection();
    const D3DXMATRIX inverse = view.GetInverseViewProjection();
    const D3DXPLANE plane = view.GetFrustumPlane(2);

    GetParam().spoil(view);
    view.UpdateMatrices();

    for (const D3DXMATRIX* matrix :
         {&view.GetViewMatrix(), &view.GetProjectionMatrix(), &view.GetFarLimitedProjection(),
          &view.GetRotationView(), &view.GetInverseRotationView(), &view.GetViewProjection(),
          &view.GetInverseViewProjection(), &view.GetRotationViewFarProjection()}) {
        EXPECT_TRUE(IsFiniteMatrix(*matrix));
    }
    EXPECT_EQ(view.GetViewMatrix(), viewMatrix);
    EXPECT_EQ(view.GetProjectionMatrix(), projection);
    EXPECT_EQ(view.GetFarLimitedProjection(), farLimited);
    EXPECT_EQ(view.GetViewProjection(), viewProjection);
    EXPECT_EQ(view.GetInverseViewProjection(), inverse);
    EXPECT_EQ(view.GetFrustumPlane(2), plane);
    EXPECT_EQ(view.IsViewDirty(), GetParam().viewDirty);
    EXPECT_EQ(view.IsProjectionDirty(), GetParam().projectionDirty);
    g_screenHeight = 480;
}

INSTANTIATE_TEST_SUITE_P(
    Spoilers, DegenerateView,
    testing::Values(
        DegenerateCase{"ZeroFieldOfView", [](CPPerspectiveCamera& v) { v.SetFieldOfView(0.0f); },
                       false, true},
        DegenerateCase{"EyeOnTheTarget",
                       [](CPPerspectiveCamera& v) { v.SetEye(D3DXVECTOR3(1.0f, 0.0f, 0.0f)); },
                       true, false},
        DegenerateCase{"UpAlongTheView",
                       [](CPPerspectiveCamera& v) { v.SetUp(D3DXVECTOR3(-2.0f, 0.0f, 0.0f)); },
                       true, false},
        DegenerateCase{"NearPlaneAtTheEye", [](CPPerspectiveCamera& v) { v.SetNearPlane(0.0f); },
                       false, true},
        DegenerateCase{"NearOnFar", [](CPPerspectiveCamera& v) { v.SetNearPlane(100.0f); },
                       false, true},
        DegenerateCase{"NearBeyondFar", [](CPPerspectiveCamera& v) { v.SetNearPlane(150.0f); },
                       false, true},
        DegenerateCase{"NoScreenHeight",
                       [](CPPerspectiveCamera& v) {
                           g_screenHeight = 0;
                           v.SetFieldOfView(1.0f);
                       },
                       false, true}),
    [](const testing::TestParamInfo<DegenerateCase>& info) {
        return std::string(info.param.name);
    });

// The race as the follow camera reads it, set by each test.
class TestSubject : public IPCameraSubject {
public:
    void GetFollowInputs(FollowInputs& out) override { out = inputs; }
    FollowInputs inputs;
};

// A follow camera on a published renderer, following a car that faces +x
// from the origin, ten units behind it.
class FollowCamera : public testing::Test {
protected:
    FollowCamera()
    {
        g_screenWidth = 640;
        g_screenHeight = 480;
        g_distance = 200;
        g_scriptTuningValue = 1.0f;
        FrameDeltaTime = 0.1f;
        m_previousRender = g_pRender;
        g_pRender = &render;
        camera.reset(new CPCamera());
        subject.inputs.playerDirection = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
        camera->SetSubject(&subject);
        camera->SetFieldOfView(60.0f);
        camera->SetTargetDistance(10.0f);
    }
    ~FollowCamera() override
    {
        camera.reset();
        g_pRender = m_previousRender;
        g_scriptTuningValue = 1.0f;
        FrameDeltaTime = 0.0f;
    }

    CPRender render;
    TestSubject subject;
    std::unique_ptr<CPCamera> camera;

private:
    CPRender* m_previousRender;
};

TEST_F(FollowCamera, StartsFacingDownTheYAxisWithItsFirstViewPublished)
{
    CPCamera fresh;
    EXPECT_STREQ(fresh.GetTypeName(), "CPCamera");
    EXPECT_FLOAT_EQ(fresh.GetHeading(), -kHalfPi);
    EXPECT_TRUE(fresh.IsChanged());
    EXPECT_EQ(GetCurrentView(), fresh.GetFirstView().Get());
    EXPECT_EQ(fresh.GetFirstView()->GetFarPlane(), 200.0f);
    EXPECT_EQ(fresh.GetSecondView()->GetFarPlane(), 2000.0f);
    EXPECT_EQ(fresh.GetSecondView()->GetNearPlane(), 1.0f);
    EXPECT_EQ(fresh.GetFirstView()->GetUp(), D3DXVECTOR3(0.0f, 0.0f, 1.0f));
}

TEST_F(FollowCamera, ActivatedViewsGoIntoTheRenderListUnderTheirKeys)
{
    camera->ActivateFirstView(16);
    camera->ActivateSecondView(120);
    EXPECT_EQ(render.GetRenderList().at(16).view.Get(), camera->GetFirstView().Get());
    EXPECT_EQ(render.GetRenderList().at(120).view.Get(), camera->GetSecondView().Get());
}

TEST_F(FollowCamera, DestroyingItLeavesNothingPointingAtItsViews)
{
    D3DXMATRIX matrix;
    D3DXMatrixScaling(&matrix, 2.0f, 3.0f, 4.0f);
    camera->ActivateFirstView(16);
    camera->ActivateSecondView(120);
    camera->ActivateSecondView(121);
    render.SetRenderListMatrix(matrix, 121);
    render.AddToRenderList(195, nullptr);

    camera.reset();

    EXPECT_EQ(GetCurrentView(), nullptr);
    const std::map<int, RenderListEntry>& list = render.GetRenderList();
    EXPECT_EQ(list.count(16), 0u);
    EXPECT_EQ(list.count(120), 0u);
    ASSERT_EQ(list.count(121), 1u) << "an entry keeps the matrix it also holds";
    EXPECT_EQ(list.at(121).view.Get(), nullptr);
    EXPECT_EQ(list.at(121).matrix, matrix);
    EXPECT_EQ(list.count(195), 1u) << "entries that never held the views stay";

    // A new level's camera takes the keys over, releasing nothing destroyed.
    CPCamera next;
    next.ActivateFirstView(16);
    EXPECT_EQ(GetCurrentView(), next.GetFirstView().Get());
    EXPECT_EQ(list.at(16).view.Get(), next.GetFirstView().Get());
}

TEST_F(FollowCamera, ReportsItsSecondTargetOnlyWhileTheSecondViewFlagIsSet)
{
    const D3DXVECTOR3 follow(1.0f, 2.0f, 3.0f);
    const D3DXVECTOR3 second(-4.0f, 5.0f, -6.0f);
    EXPECT_FALSE(camera->GetSecondViewFlag());
    EXPECT_FALSE(camera->GetThirdViewFlag());
    camera->SetFollowPoint(follow);
    camera->SetSecondTarget(second);
    EXPECT_EQ(camera->GetTargetPoint(), follow);

    camera->SetSecondViewFlag(true);
    EXPECT_EQ(camera->GetTargetPoint(), second);
    camera->SetThirdViewFlag(true);
    camera->SetSecondViewFlag(false);
    EXPECT_EQ(camera->GetTargetPoint(), follow) << "the third-view flag chooses no target";
    EXPECT_TRUE(camera->GetThirdViewFlag());
}

TEST_F(FollowCamera, TargetsTakeEffectAtOnceOnlyWhileTheirValueIsZero)
{
    EXPECT_EQ(camera->GetDistance(), 10.0f);
    EXPECT_EQ(camera->GetFieldOfView(), 60.0f);
    EXPECT_FLOAT_EQ(camera->GetFirstView()->GetFieldOfView(), 60.0f * 0.017453292f);

    camera->SetTargetDistance(20.0f);
    camera->SetFieldOfView(70.0f);
    EXPECT_EQ(camera->GetDistance(), 10.0f);
    EXPECT_EQ(camera->GetTargetDistance(), 20.0f);
    EXPECT_EQ(camera->GetFieldOfView(), 60.0f);
    EXPECT_EQ(camera->GetFieldOfViewTarget(), 70.0f);
}

struct EasingCase {
    float frameTime;
    float step;
};

class FollowEasing : public FollowCamera, public testing::WithParamInterface<EasingCase> {};

TEST_P(FollowEasing, MovesEveryEasedValueByTheStepOfAtMostATenthOfASecond)
{
    const float k = GetParam().step;
    camera->SetTargetDistance(20.0f);
    camera->SetFieldOfView(70.0f);
    camera->SetTiltTarget(1.0f);
    subject.inputs.carSteering = 0.5f;
    subject.inputs.carMotion = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    subject.inputs.carVelocity = D3DXVECTOR4(0.0f, 10.0f, 0.0f, 0.0f);
    FrameDeltaTime = GetParam().frameTime;

    camera->Update();

    EXPECT_FLOAT_EQ(camera->GetDistance(), 10.0f + 10.0f * k * 2.0f);
    EXPECT_FLOAT_EQ(camera->GetFieldOfView(), 60.0f + 10.0f * k * 2.0f);
    EXPECT_FLOAT_EQ(camera->GetFirstView()->GetFieldOfView(),
                    camera->GetFieldOfView() * 0.017453292f);
    EXPECT_FLOAT_EQ(camera->GetTilt(), k * 5.0f);
    const float steering = -1.0f * k * 6.0f;
    EXPECT_FLOAT_EQ(camera->GetSteeringOffset(), steering);
    EXPECT_FLOAT_EQ(camera->GetHeading(), steering + 2.0f * kPi);
    // The car moves along +y while facing +x: a quarter turn of drift, to
    // the negative side since the motion lies left of the facing.
    EXPECT_FLOAT_EQ(camera->GetDrift(), -kHalfPi * k * 10.0f * 0.2f);
    EXPECT_FLOAT_EQ(camera->GetPitch(), 2.5f * kPi * k * 10.0f);
}

INSTANTIATE_TEST_SUITE_P(FrameTimes, FollowEasing,
                         testing::Values(EasingCase{0.5f, 0.1f}, EasingCase{0.1f, 0.1f},
                                         EasingCase{0.05f, 0.05f}));

TEST_F(FollowCamera, YawTurnsTheShortWayThroughZero)
{
    camera->SetYaw(0.1f);
    subject.inputs.playerDirection = D3DXVECTOR3(std::cos(6.2f), std::sin(6.2f), 0.0f);
    camera->Update();

    EXPECT_NEAR(camera->GetHeading(), 6.2f, 1e-5f);
    const float wrapped = 0.1f + 2.0f * kPi;
    EXPECT_NEAR(camera->GetYaw(), wrapped + 0.4f * (6.2f - wrapped), 1e-5f);
    EXPECT_LT(camera->GetYaw(), wrapped) << "moved down through 0, not up through pi";
}

TEST_F(FollowCamera, AForcedHeadingOverridesThePlayersDirection)
{
    subject.inputs.headingForced = true;
    subject.inputs.forcedHeading = 1.0f;
    camera->Update();
    EXPECT_FLOAT_EQ(camera->GetHeading(), 1.0f + kHalfPi);
}

TEST_F(FollowCamera, DriftNeverPassesItsTarget)
{
    subject.inputs.carVelocity = D3DXVECTOR4(0.0f, 100.0f, 0.0f, 0.0f);
    camera->Update();
    EXPECT_FLOAT_EQ(camera->GetDrift(), -kHalfPi);

    subject.inputs.carVelocity = D3DXVECTOR4(0.0f, 1.9f, 0.0f, 0.0f);
    camera->Update();
    EXPECT_GT(camera->GetDrift(), -kHalfPi) << "below a speed of 2 the drift eases back to 0";
    EXPECT_LT(camera->GetDrift(), 0.0f);
}

struct PlacementCase {
    const char* name;
    float tuningValue;
    float extraYaw;
    float p2;
    float p4;
    D3DXVECTOR3 eye;
};

class FollowPlacement : public FollowCamera, public testing::WithParamInterface<PlacementCase> {};

// With the angle at 0 the offset lies flat: ten units along +y, turned about
// z by the yaw and the extra yaw; the view looks back at the follow point's
// height along the offset.
TEST_P(FollowPlacement, PutsTheEyeAtTheOffsetFromTheFollowPoint)
{
    const PlacementCase& placement = GetParam();
    const D3DXVECTOR3 follow(5.0f, 5.0f, 1.0f);
    g_scriptTuningValue = placement.tuningValue;
    subject.inputs.extraYaw = placement.extraYaw;
    camera->SetFollowPoint(follow);
    camera->SetProportions(0.0f, placement.p2, 0.0f, placement.p4);

    camera->Update();

    for (const RefPtr<CPPerspectiveCamera>& view :
         {camera->GetFirstView(), camera->GetSecondView()}) {
        ExpectNear(view->GetEye(), placement.eye);
        D3DXVECTOR3 towardFollow = follow - placement.eye;
        towardFollow.z = 0.0f;
        D3DXVec3Normalize(&towardFollow, &towardFollow);
        ExpectNear(view->GetTarget() - view->GetEye(), towardFollow);
        EXPECT_FALSE(view->IsViewDirty());
        EXPECT_FALSE(view->IsProjectionDirty());
        EXPECT_TRUE(IsFiniteMatrix(view->GetViewProjection()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, FollowPlacement,
    testing::Values(
        PlacementCase{"Behind", 1.0f, 0.0f, 0.0f, 0.0f, D3DXVECTOR3(5.0f, 15.0f, 1.0f)},
        PlacementCase{"ExtraYawWhileTuningIsZero", 0.0f, kHalfPi, 0.0f, 0.0f,
                      D3DXVECTOR3(-5.0f, 5.0f, 1.0f)},
        PlacementCase{"ExtraYawIgnoredOtherwise", 1.0f, kHalfPi, 0.0f, 0.0f,
                      D3DXVECTOR3(5.0f, 15.0f, 1.0f)},
        // A reach of 2 keeps half the distance away and drops by the rest.
        PlacementCase{"DropsInsteadOfComingCloser", 1.0f, 0.0f, 8.0f, 1.0f,
                      D3DXVECTOR3(5.0f, 10.0f, -2.0f)}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

// Whatever the angle, proportions and tilt, both views stand upright: the
// view's sideways axis stays level and its up axis points up; the tilt only
// pitches the view.
TEST_F(FollowCamera, BothViewsStandUprightAtEveryAngle)
{
    const float kAngles[] = {0.0f, 0.21f, -0.5f, 2.0f};
    camera->SetFollowPoint(D3DXVECTOR3(100.0f, -12.0f, 5.0f));
    camera->SetProportions(3.0f, 0.0f, 0.75f, 1.0f);
    camera->SetTiltTarget(0.3f);
    for (float angle : kAngles) {
        subject.inputs.playerDirection = D3DXVECTOR3(0.6f, -0.8f, 0.0f);
        camera->SetAngle(angle);
        camera->Update();
        for (const RefPtr<CPPerspectiveCamera>& view : {camera->GetFirstView(), camera->GetSecondView()}) {
            const D3DXMATRIX& matrix = view->GetViewMatrix();
            EXPECT_NEAR(matrix._31, 0.0f, 1e-5f) << "sideways axis level at angle " << angle;
            EXPECT_GT(matrix._32, 0.5f) << "up axis upward at angle " << angle;
        }
    }
    EXPECT_GT(camera->GetTilt(), 0.0f);
}

// At an angle of 12 degrees, a speed of 15 over an angle divisor of 3 lifts
// the eye by 5 degrees more: 17 degrees above the follow point, whatever
// the speed, never over the car or under it.
TEST_F(FollowCamera, TheSpeedLiftsTheEyeByADegreePerAngleDivisor)
{
    const struct {
        float speed;
        float elevationDegrees;
    } cases[] = {{0.0f, 12.0f}, {15.0f, 17.0f}, {60.0f, 32.0f}};
    const D3DXVECTOR3 follow(100.0f, -12.0f, 5.0f);
    for (const auto& c : cases) {
        camera.reset(new CPCamera());
        camera->SetSubject(&subject);
        camera->SetTargetDistance(10.0f);
        camera->SetFollowPoint(follow);
        camera->SetAngle(D3DXToRadian(12.0f));
        camera->SetProportions(3.0f, 0.0f, c.speed, 0.0f);
        camera->Update();
        const D3DXVECTOR3 offset = camera->GetFirstView()->GetEye() - follow;
        const float elevation = D3DXToDegree(std::atan2(offset.z, std::hypot(offset.x, offset.y)));
        EXPECT_NEAR(elevation, c.elevationDegrees, 1e-3f) << "speed " << c.speed;
    }
}

TEST_F(FollowCamera, FixedModePlacesBothViewsAtTheGivenLookAt)
{
    const D3DXVECTOR3 eye(1.0f, 2.0f, 3.0f);
    const D3DXVECTOR3 target(4.0f, 2.0f, 3.0f);
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    camera->SetFixedMode(true);
    camera->SetLookAt(eye, target, up);
    camera->Update();

    D3DXMATRIX expected;
    D3DXMatrixLookAtLH(&expected, &eye, &target, &up);
    for (const RefPtr<CPPerspectiveCamera>& view :
         {camera->GetFirstView(), camera->GetSecondView()}) {
        EXPECT_EQ(view->GetEye(), eye);
        EXPECT_EQ(view->GetTarget(), target);
        EXPECT_EQ(view->GetViewMatrix(), expected);
    }
    EXPECT_EQ(camera->GetFixedTarget(), target);
}

TEST_F(FollowCamera, WithNothingToFollowTheViewsStayPut)
{
    camera->SetSubject(nullptr);
    camera->Update();
    EXPECT_EQ(camera->GetFirstView()->GetEye(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_TRUE(camera->GetFirstView()->IsViewDirty());
}

TEST_F(FollowCamera, AFreshCameraGivesNoNaNBeforeAnythingIsSet)
{
    CPCamera fresh;
    TestSubject still;
    fresh.SetSubject(&still);
    fresh.Update();
    for (const RefPtr<CPPerspectiveCamera>& view : {fresh.GetFirstView(), fresh.GetSecondView()}) {
        EXPECT_TRUE(IsFiniteMatrix(view->GetViewMatrix()));
        EXPECT_TRUE(IsFiniteMatrix(view->GetProjectionMatrix()));
        EXPECT_TRUE(IsFiniteMatrix(view->GetViewProjection()));
        EXPECT_TRUE(std::isfinite(view->GetEye().x) && std::isfinite(view->GetUp().z));
    }
}

} // namespace
