#include "CarTestSupport.h"

#include "core/tests/GameObjectTestSupport.h"
#include "core/Settings.h"

using namespace car_test;

TEST(Car, ControlsClampSteeringAndScaleDriveByDirection)
{
    struct Case {
        float throttle, steering, drive, steer;
    };
    const Case cases[] = {{0.5f, 1.2f, 50.0f, 0.7f}, {0.5f, -0.3f, 50.0f, -0.3f}, {-0.5f, -2.0f, -30.0f, -0.7f}};
    CarSetup setup;
    setup.accelFront = 100.0f;
    setup.accelBack = 60.0f;
    RefPtr<CPGameObject> owner = MakeCarObject(setup, D3DXVECTOR3(0, 0, 0));
    for (const Case& c : cases) {
        CPCar car(owner.Get());
        car.LoadParams(false);
        car.SetControls(c.throttle, c.steering);
        EXPECT_EQ(car.GetSteering(), c.steer) << c.steering;
        EXPECT_EQ(car.GetDrive(), c.drive) << c.throttle;
    }
}

TEST(Car, WheelCountIsClampedAndMissingWheelsAreSkipped)
{
    struct Case {
        const char* count;
        int expected;
    };
    for (const Case& c : {Case{"12", 8}, Case{"-3", 0}, Case{"2", 2}, Case{"1e10", 8}}) {
        RefPtr<CPGameObject> owner(new CPGameObject("car"));
        owner->GetDescriptionDocument().Parse(
            (std::string("<car><physics><geometry><wheels count=\"") + c.count + "\"/></geometry></physics></car>")
                .c_str());
        CPCar car(owner.Get());
        car.Load(nullptr, false);
        EXPECT_EQ(car.GetWheelCount(), c.expected) << c.count;
    }
}

TEST(Car, ASpeedBlockWithAnAngleSendsTheScriptValuesToJeep)
{
    struct Case {
        const char* name;
        const char* description;
        bool sendToScript;
        std::vector<std::string> commands;
    };
    const Case cases[] = {
        {"all values",
         "<car><camera fov_div=\"2\"/><physics><params><speed angle=\"0.5\"/>"
         "<acceleration accel_front=\"3\" accel_back=\"4\" speed_front=\"5\" speed_back=\"6.25\"/>"
         "</params></physics></car>",
         true,
         {"set_car_params:0.50,2.00,3.00,4.00", "set_car_params2:5.00,6.25"}},
        {"missing values", "<car><physics><params><speed angle=\"1\"/></params></physics></car>", true,
         {"set_car_params:1.00,0.00,0.00,0.00", "set_car_params2:0.00,0.00"}},
        {"no angle", "<car><physics><params><speed max_front_speed=\"9\"/></params></physics></car>", true, {}},
        {"not for the script", "<car><physics><params><speed angle=\"1\"/></params></physics></car>", false, {}},
    };
    CPCommandManager bus;
    gameobject_test::Receiver jeep;
    jeep.Start();
    bus.RegisterReceiver("jeep", &jeep);
    CPCommandManager* previous = g_pCommandManager;
    g_pCommandManager = &bus;
    for (const Case& c : cases) {
        RefPtr<CPGameObject> owner(new CPGameObject("car"));
        owner->GetDescriptionDocument().Parse(c.description);
        CPCar car(owner.Get());
        car.LoadParams(c.sendToScript);
        EXPECT_EQ(jeep.TakeCommands(), c.commands) << c.name;
    }
    g_pCommandManager = previous;
}

class CarDriving : public CarWorldFixture {};

TEST_F(CarDriving, SettlesOnItsSpringsAndStays)
{
    CarSetup setup;
    RefPtr<CPGameObject> car = SettledCar(setup);
    const float rest = setup.wheelLength - setup.wheelY - setup.mass * kGravity / (4 * setup.spring);
    for (int second = 0; second < 10; ++second) {
        RunFrames(60);
        EXPECT_NEAR(BodyOf(*car).GetPosition().z, rest, 0.002f) << second;
    }
    EXPECT_NEAR(car->GetPositionRef()->z, rest, 0.002f) << "the object follows its body";
    EXPECT_NEAR(car->GetPositionRef()->x, 0.0f, 0.01f);
}

TEST_F(CarDriving, CarsLightOrHeavySettleOnStiffDampersAndLongRays)
{
    BuildRoad(RoadMesh::Plane(300.0f, 20.0f));
    std::vector<RefPtr<CPGameObject>> cars;
    std::vector<float> rests;
    float x = -150.0f;
    for (float mass : {2.0f, 4.0f, 8.0f, 40.0f}) {
        CarSetup setup;
        setup.mass = mass;
        setup.damping = 150.0f;
        setup.wheelLength = 1.5f;
        rests.push_back(setup.wheelLength - setup.wheelY - mass * kGravity / (4 * setup.spring));
        cars.push_back(AddCar(setup, D3DXVECTOR3(x, 0, rests.back() + 0.1f)));
        x += 100.0f;
    }
    RunFrames(180);
    for (int frame = 0; frame < 60; ++frame) {
        RunFrames(1);
        for (size_t i = 0; i < cars.size(); ++i) {
            CPRigidBody& body = BodyOf(*cars[i]);
            ASSERT_NEAR(body.GetPosition().z, rests[i], 0.01f) << "car " << i << " frame " << frame;
            ASSERT_LT(Length(body.GetVelocity()), 0.05f) << "car " << i << " frame " << frame;
        }
    }
}

TEST_F(CarDriving, FullThrottleAcceleratesAtTheDriveOverTheMass)
{
    CarSetup setup;
    RefPtr<CPGameObject> car = SettledCar(setup);
    const float start = ForwardSpeed(*car);
    for (int i = 0; i < 60; ++i) {
        world.SetCarControls(car.Get(), 1.0f, 0.0f);
        RunFrames(1);
    }
    EXPECT_NEAR(ForwardSpeed(*car) - start, 4 * setup.accelFront / setup.mass, 0.05f * 4 * setup.accelFront / setup.mass);
}

TEST_F(CarDriving, ReverseThrottleStopsWithinTheBrakingDistance)
{
    CarSetup setup;
    RefPtr<CPGameObject> car = SettledCar(setup);
    ASSERT_TRUE(AccelerateTo(*car, 15.0f));
    const float speed = ForwardSpeed(*car);
    const D3DXVECTOR3 from = BodyOf(*car).GetPosition();
    int frames = 0;
    while (ForwardSpeed(*car) > 0.0f && frames++ < 600) {
        world.SetCarControls(car.Get(), -1.0f, 0.0f);
        RunFrames(1);
    }
    const float expected = speed * speed / (2 * 4 * setup.accelBack / setup.mass);
    EXPECT_NEAR(Length(BodyOf(*car).GetPosition() - from), expected, 0.1f * expected);
}

TEST_F(CarDriving, FullSteeringAtWalkingPaceCircles)
{
    // Both front wheels steer along one direction, so in a bend the outer
    // one scrubs sideways. With ordinary tyre friction it slides at its full
    // side force and the car turns about the inner front wheel's path, half
    // a track (about a fifth here) wider than the centre line's circle;
    // tyres this grippy keep the scrub small.
    CarSetup setup;
    setup.frictionFront = 1000.0f;
    setup.frictionBack = 1000.0f;
    RefPtr<CPGameObject> car = SettledCar(setup);
    const float target = 5.0f;
    float radiusSum = 0.0f;
    int samples = 0;
    for (int frame = 0; frame < 600; ++frame) {
        world.SetCarControls(car.Get(), ForwardSpeed(*car) < target ? 1.0f : 0.0f, 1.0f);
        RunFrames(1);
        if (frame < 300) continue;
        // The rear axle's middle moves along the circle: its speed over the yaw rate.
        CPRigidBody& body = BodyOf(*car);
        const D3DXVECTOR3 arm = body.GetRotation().column[1] * setup.halfBase;
        const D3DXVECTOR3 rear = body.GetVelocityAtPoint(arm);
        radiusSum += Length(D3DXVECTOR3(rear.x, rear.y, 0)) / std::fabs(body.GetAngularVelocity().z);
        ++samples;
    }
    const float expected = 2 * setup.halfBase / std::tan(0.7f * (1.0f - 0.025f * target));
    EXPECT_NEAR(radiusSum / samples, expected, 0.15f * expected);
}

TEST_F(CarDriving, LockedCarHoldsOnASlope)
{
    BuildRoad(RoadMesh::Plane(60.0f, 10.0f, 10.0f * D3DX_PI / 180.0f));
    RefPtr<CPGameObject> car = AddCar(CarSetup(), D3DXVECTOR3(0, 0, 1.0f));
    car->GetCar()->SetLocked(true);
    RunFrames(300);
    const D3DXVECTOR3 from = BodyOf(*car).GetPosition();
    RunFrames(600);
    EXPECT_LT(Length(BodyOf(*car).GetPosition() - from), 0.05f);
}

TEST_F(CarDriving, BrakingAtSpeedSlidesAndRaisesDustUntilTheSlideDecays)
{
    const int previousDust = g_dust;
    g_dust = 1;
    for (int braking = 0; braking < 2; ++braking) {
        world.Reset();
        world.CreateSimulator(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0, 0, 0);
        RefPtr<CPGameObject> car = SettledCar(CarSetup());
        ASSERT_TRUE(AccelerateTo(*car, 15.0f));
        CPCar& control = *car->GetCar();
        control.SetBrake(braking == 1);
        for (int frame = 0; frame < 30; ++frame) {
            world.SetCarControls(car.Get(), 0.0f, 1.0f);
            RunFrames(1);
        }
        EXPECT_FLOAT_EQ(control.GetSlideFactor(), braking == 1 ? 0.9f : 0.0f);
        float dust = 0.0f;
        for (int wheel = 0; wheel < 4; ++wheel) dust += control.GetDustCount(wheel);
        EXPECT_EQ(dust > 0.0f, braking == 1) << "braking " << braking;
        control.SetBrake(false);
        RunFrames(18);
        EXPECT_NEAR(control.GetSlideFactor(), 0.0f, 1e-5f) << "the slide is gone 0.3 s after the brake";
    }
    g_dust = previousDust;
}

namespace {

struct ForceCase {
    const char* name;
    float slopeDegrees;
    D3DXVECTOR3 velocity;
    float throttle, nitro;
    // The controller's force less that of the car standing still with no
    // throttle, in the same place.
    D3DXVECTOR3 added;
};

class CarForces : public CarWorldFixture, public ::testing::WithParamInterface<ForceCase> {
protected:
    // One step with the body level at (0, 0, 1), every wheel's 1.5 m ray in
    // the road; the force the car's controller gave.
    D3DXVECTOR3 StepForce(CPGameObject& car, const D3DXVECTOR3& velocity, float throttle, float nitro)
    {
        CPRigidBody& body = BodyOf(car);
        body.SetPosition(0, 0, 1);
        body.SetRotation(0, 0, 0, 1);
        body.SetAngularMomentum(D3DXVECTOR3(0, 0, 0));
        body.SetVelocity(velocity);
        car.GetCar()->SetControls(throttle, 0.0f);
        car.GetCar()->SetNitro(nitro);
        world.GetSimulator()->Step();
        return body.GetControllers()->GetForce();
    }
};

TEST_P(CarForces, EachInputAddsItsOwnForce)
{
    const ForceCase& c = GetParam();
    CarSetup setup;
    setup.accelFront = 100.0f;
    setup.accelBack = 60.0f;
    setup.damping = 40.0f;
    setup.wheelLength = 1.5f;
    BuildRoad(RoadMesh::Plane(40.0f, 10.0f, c.slopeDegrees * D3DX_PI / 180.0f));
    RefPtr<CPGameObject> car = AddCar(setup, D3DXVECTOR3(0, 0, 1));
    const D3DXVECTOR3 still = StepForce(*car, D3DXVECTOR3(0, 0, 0), 0.0f, 0.0f);
    for (int wheel = 0; wheel < 4; ++wheel) ASSERT_TRUE(car->GetCar()->IsInContact(wheel)) << wheel;
    const D3DXVECTOR3 added = StepForce(*car, c.velocity, c.throttle, c.nitro) - still;
    EXPECT_NEAR(added.x, c.added.x, 0.05f);
    EXPECT_NEAR(added.y, c.added.y, 0.05f);
    EXPECT_NEAR(added.z, c.added.z, 0.05f);
}

// The nose points along -y. Drive: 100 forwards, 60 backwards per wheel,
// whatever the throttle's size. Damper: 40 x 1.5² per unit of closing
// speed and wheel. Rolling drag: half the speed along the car's y axis,
// against it. Nitro: 80 x 100 x 1/120 along the nose. On a slope of 10°
// (0.174533 rad) the rear wheels push along the ground, cos 10° = 0.984808
// forwards and sin 10° = 0.173648 down, by 1 + 5 x 0.174533 = 1.872665.
INSTANTIATE_TEST_SUITE_P(
    Inputs, CarForces,
    ::testing::Values(ForceCase{"FullThrottle", 0, D3DXVECTOR3(0, 0, 0), 1.0f, 0.0f, D3DXVECTOR3(0, -400, 0)},
                      ForceCase{"HalfThrottle", 0, D3DXVECTOR3(0, 0, 0), 0.5f, 0.0f, D3DXVECTOR3(0, -400, 0)},
                      ForceCase{"Reverse", 0, D3DXVECTOR3(0, 0, 0), -1.0f, 0.0f, D3DXVECTOR3(0, 240, 0)},
                      ForceCase{"RollingBackwards", 0, D3DXVECTOR3(0, 2, 0), 0.0f, 0.0f, D3DXVECTOR3(0, -1, 0)},
                      ForceCase{"Sinking", 0, D3DXVECTOR3(0, 0, -0.2f), 0.0f, 0.0f, D3DXVECTOR3(0, 0, 72)},
                      ForceCase{"Nitro", 0, D3DXVECTOR3(0, 0, 0), 0.0f, 1.0f, D3DXVECTOR3(0, -66.667f, 0)},
                      ForceCase{"ThrottleOnASlope", 10, D3DXVECTOR3(0, 0, 0), 1.0f, 0.0f,
                                D3DXVECTOR3(0, -200 - 2 * 187.2665f * 0.984808f, -2 * 187.2665f * 0.173648f)}),
    [](const ::testing::TestParamInfo<ForceCase>& info) { return std::string(info.param.name); });

}  // namespace
