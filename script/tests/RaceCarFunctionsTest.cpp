#include "script/tests/ScriptTest.h"

#include "Render/PCamera.h"
#include "Render/PRender.h"
#include "core/Settings.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "physics/tests/CarTestSupport.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

namespace {

const uint32_t kLight = CPPlayer::kLightSide;
const uint32_t kDark = CPPlayer::kDarkSide;
const uint32_t kTraffic = CPPlayer::kTraffic;

std::string Text(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

// A race of racers in a level of the test's own: the followed car and the
// other cars in order. Racers stand where they are put; those made with a
// body are cars of a car world, without gravity, that no step moves.
class RaceCars : public ScriptTest {
protected:
    RaceCars() : m_previousWorld(g_pCarWorld)
    {
        g_pCarWorld = &world;
        FrameDeltaTime = car_test::kFrame;
        world.CreateSimulator(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0, 0, 0);
        level.reset(new CPLevel());
    }
    ~RaceCars() override
    {
        level.reset();
        world.Reset();
        for (const std::unique_ptr<CPPlayer>& racer : m_racers) {
            CPCar* car = racer->GetCar().Get();
            racer->SetCar(nullptr);
            delete car;
        }
        g_pCarWorld = m_previousWorld;
    }

    CPPlayer& Racer(uint32_t sides, const D3DXVECTOR3& position, float damage = 0.0f)
    {
        m_racers.emplace_back(new CPPlayer());
        CPPlayer& racer = *m_racers.back();
        racer.sideFlags = sides;
        racer.damage = damage;
        racer.SetPosition(position.x, position.y, position.z);
        return racer;
    }
    CPPlayer& Other(uint32_t sides, const D3DXVECTOR3& position, float damage = 0.0f)
    {
        CPPlayer& racer = Racer(sides, position, damage);
        level->opponents.push_back(RefPtr<CPGameObject>(&racer));
        return racer;
    }
    CPPlayer& Followed(uint32_t sides, const D3DXVECTOR3& position, float damage = 0.0f)
    {
        CPPlayer& racer = Racer(sides, position, damage);
        level->cameraCar = &racer;
        return racer;
    }
    // Gives the racer a car and a body in the world, turned by the rotation.
    CPRigidBody& Body(CPPlayer& racer, const D3DXQUATERNION& rotation = D3DXQUATERNION(0, 0, 0, 1))
    {
        const D3DXVECTOR3 position = *racer.GetPositionRef();
        RefPtr<CPGameObject> car(&racer);
        car_test::MakeCarObject(car_test::CarSetup(), position, 0.0f, car);
        racer.SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
        world.AddObject(car, 0, 1);
        world.CreateCar(car, false);
        world.RegisterCar(&racer);
        return *racer.GetPhysicData()->GetRigidBody();
    }

    CPCarWorld world;
    std::vector<std::unique_ptr<CPPlayer>> m_racers;
    std::unique_ptr<CPLevel> level;

private:
    CPCarWorld* m_previousWorld;
};

// The query point and offsets whose ground and 3D distances differ.
const D3DXVECTOR3 kPoint(10.0f, -20.0f, 3.0f);

TEST_F(RaceCars, NearestBrightwardSkipsWreckedCarsAndCarsAfterTheFifthAndTheLaterOfEqualOnesWins)
{
    Other(kLight, kPoint + D3DXVECTOR3(0, 0, 30));                 // 30
    Other(kLight, kPoint + D3DXVECTOR3(2, 3, 0), 100.0f);          // wrecked
    CPPlayer& later = Other(kLight, kPoint + D3DXVECTOR3(18, 0, 24)); // 30 too
    Other(kDark, kPoint + D3DXVECTOR3(1, 0, 0));
    Other(kLight | kTraffic, kPoint + D3DXVECTOR3(0, 40, 0));
    Other(kLight, kPoint + D3DXVECTOR3(0, 1, 0));                  // the sixth
    Followed(kLight, kPoint + D3DXVECTOR3(0, 30, 0));               // not strictly nearer
    SetGlobalHandle("later", &later);
    const D3DXVECTOR3 at = *later.GetPositionRef();
    EXPECT_EQ(Results("local x, y, z, car, d = GetNearestBrightwardPlayer(10, -20, 3)\n"
                      "return x, y, z, car == later, d"),
              (std::vector<std::string>{Text(at.x), Text(at.y), Text(at.z), "true", "30"}));
}

TEST_F(RaceCars, NearestBrightwardTakesTheFollowedCarWhenStrictlyNearerWithoutAnAliveTest)
{
    Other(kLight, kPoint + D3DXVECTOR3(0, 0, 30));
    CPPlayer& followed = Followed(kLight, kPoint + D3DXVECTOR3(0, 29.5f, 0), 100.0f);
    SetGlobalHandle("followed", &followed);
    EXPECT_EQ(Results("local x, y, z, car, d = GetNearestBrightwardPlayer(10, -20, 3) return car == followed, d"),
              (std::vector<std::string>{"true", "29.5"}));
}

TEST_F(RaceCars, WideLooksAtTwentyCarsAndTakesWreckedTrafficCars)
{
    Other(kLight, kPoint + D3DXVECTOR3(0, 0, 50));
    CPPlayer& traffic = Other(kTraffic, kPoint + D3DXVECTOR3(0, 0, 40), 100.0f);
    for (int i = 0; i < 4; ++i) Other(kDark, kPoint + D3DXVECTOR3(1, 0, 0));
    CPPlayer& sixth = Other(kLight, kPoint + D3DXVECTOR3(0, -8, 0));
    SetGlobalHandle("traffic", &traffic);
    SetGlobalHandle("sixth", &sixth);
    EXPECT_EQ(Results("local a, b, c, narrow = GetNearestBrightwardPlayer(10, -20, 3, false)\n"
                      "local d, e, f, wide, distance = GetNearestBrightwardPlayer(10, -20, 3, true)\n"
                      "return narrow ~= traffic and narrow ~= sixth, wide == sixth, distance"),
              (std::vector<std::string>{"true", "true", "8"}));
    sixth.sideFlags = kDark;
    EXPECT_EQ(Results("local a, b, c, wide = GetNearestBrightwardPlayer(10, -20, 3, 1) return wide == traffic"),
              (std::vector<std::string>{"false"}))
        << "only the boolean true widens the search";
    EXPECT_EQ(Results("local a, b, c, wide = GetNearestBrightwardPlayer(10, -20, 3, true) return wide == traffic"),
              (std::vector<std::string>{"true"}));
}

TEST_F(RaceCars, NearestDuskwardTakesWreckedCars)
{
    Other(kDark, kPoint + D3DXVECTOR3(0, 0, 12));
    CPPlayer& wrecked = Other(kDark, kPoint + D3DXVECTOR3(3, 4, 0), 100.0f);
    Other(kLight, kPoint + D3DXVECTOR3(1, 0, 0));
    Followed(kDark, kPoint + D3DXVECTOR3(0, 0, 5));
    SetGlobalHandle("wrecked", &wrecked);
    EXPECT_EQ(Results("local x, y, z, car, d = GetNearestDuskwardPlayer(10, -20, 3) return car == wrecked, d"),
              (std::vector<std::string>{"true", "5"}));
}

TEST_F(RaceCars, NearestCarsBeyondTenThousandUnitsOrWithoutALevelAreNone)
{
    Other(kLight, kPoint + D3DXVECTOR3(10000.5f, 0, 0));
    Other(kDark, kPoint + D3DXVECTOR3(0, -10001, 0));
    EXPECT_EQ(Results("return select('#', GetNearestBrightwardPlayer(10, -20, 3, true)),"
                      " select('#', GetNearestDuskwardPlayer(10, -20, 3))"),
              (std::vector<std::string>{"0", "0"}));
    level.reset();
    EXPECT_EQ(Results("return select('#', GetNearestBrightwardPlayer(0, 0, 0)), IsDarkLeft(), IsLightLeft()"),
              (std::vector<std::string>{"0", "0", "0"}));
}

TEST_F(RaceCars, ASideIsLeftWhileOneOfTheFirstFiveOtherCarsOfItIsAlive)
{
    Other(kDark, kPoint, 100.0f);
    Other(kLight, kPoint);
    for (int i = 0; i < 3; ++i) Other(0, kPoint);
    Other(kDark, kPoint);
    EXPECT_EQ(Results("return IsDarkLeft(), IsLightLeft()"), (std::vector<std::string>{"0", "1"}));
    static_cast<CPPlayer*>(level->opponents[0].Get())->damage = 99.5f;
    EXPECT_EQ(Results("return IsDarkLeft()"), (std::vector<std::string>{"1"}));
}

TEST_F(RaceCars, ModelQueriesLookAtTheOtherCarsFirstThenTheFollowedCar)
{
    Other(kDark, kPoint, 40.0f).carModel = "bmw";
    Other(kLight, kPoint, 100.0f).carModel = "uaz";
    Other(kLight, kPoint, 10.0f).carModel = "uaz";
    Followed(kLight, kPoint, 100.0f).carModel = "zil_130_";
    EXPECT_EQ(Results("return GetAIDamage('bmw_i745'), GetAIDamage('uaz_469'), GetAIDamage('zil_130'),"
                      " IsPlayerDead('uaz_469'), IsPlayerDead('zil_130'), IsPlayerDead('bmw_i745'),"
                      " IsPlayerDead('audi_tt'), IsPlayerDead()"),
              (std::vector<std::string>{"40", "100", "0", "true", "true", "false", "false", "true"}));
}

TEST_F(RaceCars, FollowedCarQueriesReadTheCameraCarAndTheLossMessageThePlayer)
{
    CPPlayer& player = Racer(kLight, kPoint);
    level->player = &player;
    CPPlayer& followed = Followed(kDark, kPoint, 62.5f);
    followed.dead = true;
    EXPECT_EQ(Results("SetAbilitiesCount(3.9) return GetPlayerDamage(), IsDead(), IsDamageMsg()"),
              (std::vector<std::string>{"62.5", "true", "false"}));
    EXPECT_EQ(followed.abilityCount, 3);
    player.lossShown = true;
    EXPECT_EQ(Results("return IsDamageMsg()"), (std::vector<std::string>{"true"}));
    player.lossShown = false;
    level->raceOver = true;
    EXPECT_EQ(Results("return IsDamageMsg()"), (std::vector<std::string>{"true"}));
}

TEST_F(RaceCars, WithoutAFollowedCarOrALevelTheQueriesGiveTheirDefaults)
{
    EXPECT_EQ(Results("StopPlayerCar() LockPlayer(true) SetAbilitiesCount(2)\n"
                      "return GetPlayerDamage(), IsDead(), IsPlayerDead(), GetPlayerMass(), GetPlayerDirection()"),
              (std::vector<std::string>{"0", "true", "false", "0", "0", "0", "0"}));
    level.reset();
    EXPECT_EQ(Results("return IsDead(), IsDamageMsg(), select('#', GetPlayerDamage()),"
                      " select('#', GetPlayerDirection())"),
              (std::vector<std::string>{"true", "false", "0", "0"}));
}

TEST_F(RaceCars, CarHandleFunctionsSetAndReadThatCar)
{
    CPPlayer& car = Racer(kLight, kPoint);
    car.inGloom = true;
    SetGlobalHandle("car", &car);
    EXPECT_EQ(Results("SetTimeBonus(car) SetTimeBonus(nil) return IsInGloom(car), IsInGloom(nil)"),
              (std::vector<std::string>{"true", "false"}));
    EXPECT_EQ(car.timeBonus, 4.0f);
}

TEST_F(RaceCars, LockPlayersLocksEveryCarAndLockPlayerTheFollowedCarOnly)
{
    CPPlayer& followed = Followed(kLight, kPoint);
    for (int i = 0; i < 7; ++i) Other(kDark, kPoint);
    Results("LockPlayers(true)");
    EXPECT_TRUE(followed.locked);
    for (const RefPtr<CPGameObject>& other : level->opponents) EXPECT_TRUE(static_cast<CPPlayer*>(other.Get())->locked);
    Results("LockPlayer(false)");
    EXPECT_FALSE(followed.locked);
    for (const RefPtr<CPGameObject>& other : level->opponents) EXPECT_TRUE(static_cast<CPPlayer*>(other.Get())->locked);
}

// Equal within 1e-5 of the expected length, or 1e-5 for short vectors.
void ExpectVector(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, const char* what)
{
    const float tolerance = 1e-5f * std::max(1.0f, D3DXVec3Length(&expected));
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

TEST_F(RaceCars, StopPlayerCarPushesAgainstFourTimesTheVelocityAtTheCarsPosition)
{
    CPPlayer& followed = Followed(kLight, D3DXVECTOR3(5, -7, 2));
    CPRigidBody& body = Body(followed);
    followed.GetCar()->SetVelocity(D3DXVECTOR4(3.0f, -4.0f, 1.5f, 0.0f));
    Results("StopPlayerCar()");
    ExpectVector(body.GetVelocity(), D3DXVECTOR3(3.0f, -4.0f, 1.5f) * (-4.0f / body.GetMass()), "velocity");
    ExpectVector(body.GetAngularMomentum(), D3DXVECTOR3(0, 0, 0), "no turn");
}

TEST_F(RaceCars, CheckIntersectionPushesDarkCarsWithinTheRadiusOnTheGroundAgainstTheirMotion)
{
    // Radius 5 round (10, -20): (13, -24) lies on the edge, 100 units up.
    CPPlayer& edge = Followed(kDark, D3DXVECTOR3(13, -24, 100));
    CPPlayer& outside = Other(kDark, D3DXVECTOR3(13.01f, -24, 0));
    CPPlayer& light = Other(kLight, D3DXVECTOR3(10, -20, 0));
    CPPlayer& resting = Other(kDark, D3DXVECTOR3(11, -21, 0));
    std::vector<CPRigidBody*> bodies;
    for (CPPlayer* car : {&edge, &outside, &light, &resting}) {
        bodies.push_back(&Body(*car));
        car->GetCar()->SetVelocity(D3DXVECTOR4(0.0f, 6.0f, 8.0f, 10.0f));
    }
    resting.GetCar()->SetVelocity(D3DXVECTOR4(0.0f, 0.0005f, 0.0f, 0.0f));
    Results("CheckIntersection(10, -20, 999, 5)");
    ExpectVector(bodies[0]->GetVelocity(), D3DXVECTOR3(0.0f, 0.6f, 0.8f) * (-72.0f / bodies[0]->GetMass()), "edge");
    ExpectVector(bodies[0]->GetAngularMomentum(), D3DXVECTOR3(0, 0, 0), "at its position");
    for (size_t i = 1; i < bodies.size(); ++i) ExpectVector(bodies[i]->GetVelocity(), D3DXVECTOR3(0, 0, 0), "untouched");
}

TEST_F(RaceCars, CheckIntersectionWithANaNRadiusOrPointPushesNoCar)
{
    CPPlayer& car = Followed(kDark, D3DXVECTOR3(10, -20, 0));
    CPRigidBody& body = Body(car);
    car.GetCar()->SetVelocity(D3DXVECTOR4(0.0f, 6.0f, 8.0f, 10.0f));
    Results("local nan = 0 / 0\n"
            "CheckIntersection(10, -20, 0, nan) CheckIntersection(nan, -20, 0, 5) CheckIntersection(10, nan, 0, 5)");
    ExpectVector(body.GetVelocity(), D3DXVECTOR3(0, 0, 0), "untouched");
}

TEST_F(RaceCars, ThrowPlayerLiftsALightCarFromBehindTheHeavyTruckHalfAsHighFromTwiceAsFar)
{
    D3DXQUATERNION turn;
    const D3DXVECTOR3 axis(0.3f, -0.5f, 0.8f);
    D3DXQuaternionRotationAxis(&turn, &axis, 0.9f);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &turn);
    const D3DXVECTOR3 localForward(0, -1, 0);
    D3DXVECTOR3 heading;
    D3DXVec3TransformNormal(&heading, &localForward, &rotation);
    struct Case {
        const char* model;
        float lift;
        float lever;
    };
    for (const Case& c : {Case{"uaz", 62.5f, 1.0f}, Case{"zil_130_", 31.25f, 2.0f}}) {
        CPPlayer& car = Racer(kLight, D3DXVECTOR3(4, 5, 6));
        car.carModel = c.model;
        CPRigidBody& body = Body(car, turn);
        SetGlobalHandle("car", &car);
        Results("ThrowPlayer(car)");
        ExpectVector(body.GetVelocity(), D3DXVECTOR3(0, 0, c.lift), c.model);
        D3DXVECTOR3 torque;
        const D3DXVECTOR3 lever = -heading * c.lever;
        const D3DXVECTOR3 impulse(0, 0, c.lift * body.GetMass());
        D3DXVec3Cross(&torque, &lever, &impulse);
        ExpectVector(body.GetAngularMomentum(), torque, c.model);
    }
    CPPlayer& dark = Racer(kDark, D3DXVECTOR3(4, 5, 6));
    CPRigidBody& body = Body(dark, turn);
    SetGlobalHandle("car", &dark);
    Results("ThrowPlayer(car) ThrowPlayer(nil)");
    ExpectVector(body.GetVelocity(), D3DXVECTOR3(0, 0, 0), "a dark car stays");
}

TEST_F(RaceCars, ApplyImpulseActsOnTheObjectsBodyAtItsPositionAndMassIsTheBodys)
{
    CPPlayer& car = Followed(kDark, D3DXVECTOR3(-3, 8, 1));
    CPRigidBody& body = Body(car);
    SetGlobalHandle("car", &car);
    EXPECT_EQ(Results("ApplyImpulse(car, 20, -40, 60) ApplyImpulse(nil, 1, 1, 1)\n"
                      "return GetPlayerMass() == GetPlayerMass(car), GetPlayerMass(nil)"),
              (std::vector<std::string>{"true", "0"}));
    ExpectVector(body.GetVelocity(), D3DXVECTOR3(20, -40, 60) / body.GetMass(), "velocity");
    ExpectVector(body.GetAngularMomentum(), D3DXVECTOR3(0, 0, 0), "no turn");
    EXPECT_EQ(Results("return GetPlayerMass()"), (std::vector<std::string>{Text(body.GetMass())}));
    EXPECT_GT(body.GetMass(), 0.0f);
}

TEST_F(RaceCars, PlayerDirectionIsTheFollowedCarsNoseInTheWorld)
{
    CPPlayer& car = Followed(kLight, kPoint);
    const D3DXVECTOR3 axis(1, 0, 0);
    D3DXQUATERNION pitch;
    D3DXQuaternionRotationAxis(&pitch, &axis, 3.14159265f / 2.0f);
    D3DXQUATERNION yaw;
    const D3DXVECTOR3 up(0, 0, 1);
    D3DXQuaternionRotationAxis(&yaw, &up, 3.14159265f / 2.0f);
    // Nose (0, -1, 0) pitched down to (0, 0, -1); the yaw about z leaves it.
    const D3DXQUATERNION turn = pitch * yaw;
    car.SetRotation(turn.x, turn.y, turn.z, turn.w);
    const std::vector<std::string> direction = Results("return GetPlayerDirection()");
    ASSERT_EQ(direction.size(), 3u);
    EXPECT_NEAR(std::stof(direction[0]), 0.0f, 1e-5f);
    EXPECT_NEAR(std::stof(direction[1]), 0.0f, 1e-5f);
    EXPECT_NEAR(std::stof(direction[2]), -1.0f, 1e-5f);
}

// A camera on a 1000 x 500 screen looking from off the axes at a racer
// whose box has three different half extents and is turned off the axes.
class HealthBars : public RaceCars {
protected:
    HealthBars() : m_previousRender(g_pRender), m_width(g_screenWidth), m_height(g_screenHeight)
    {
        g_pRender = &render;
        g_screenWidth = 1000;
        g_screenHeight = 500;
        camera.reset(new CPCamera());
        view = camera->GetFirstView().Get();
        view->SetEye(D3DXVECTOR3(-12, -15, 6));
        view->SetTarget(D3DXVECTOR3(2, 3, 1));
        view->SetUp(D3DXVECTOR3(0, 0, 1));
        view->SetFieldOfView(0.8f);
        view->UpdateMatrices();
        render.SetViewProjection(view->GetViewProjection());
    }
    ~HealthBars() override
    {
        camera.reset();
        g_pRender = m_previousRender;
        g_screenWidth = m_width;
        g_screenHeight = m_height;
    }

    CPPlayer& BoxedCar(const D3DXVECTOR3& position, float damage)
    {
        CPPlayer& car = Racer(kLight, position, damage);
        car.SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0.2f, -0.1f, 0.3f), D3DXVECTOR3(1.0f, 2.2f, 0.7f)));
        D3DXQUATERNION turn;
        const D3DXVECTOR3 axis(0.2f, 0.4f, 0.9f);
        D3DXQuaternionRotationAxis(&turn, &axis, 0.7f);
        car.SetRotation(turn.x, turn.y, turn.z, turn.w);
        car.UpdateTransform();
        SetGlobalHandle("car", &car);
        return car;
    }

    CPRender render;
    std::unique_ptr<CPCamera> camera;
    CPPerspectiveCamera* view;

private:
    CPRender* m_previousRender;
    int m_width;
    int m_height;
};

TEST_F(HealthBars, ABarInViewSitsAtTheTopLeftOfTheCarsBoxOnTheScreen)
{
    CPPlayer& car = BoxedCar(D3DXVECTOR3(3, 2, 1.5f), 37.5f);
    float left = 1e30f;
    float top = 1e30f;
    const AxisAlignedBox& box = car.GetBounds();
    for (int corner = 0; corner < 8; ++corner) {
        const D3DXVECTOR3 point((corner & 1) ? box.maximum.x : box.minimum.x,
                                (corner & 2) ? box.maximum.y : box.minimum.y,
                                (corner & 4) ? box.maximum.z : box.minimum.z);
        D3DXVECTOR3 screen;
        render.WorldToScreen(&screen, point);
        left = std::min(left, screen.x);
        top = std::min(top, screen.y);
    }
    const std::vector<std::string> bar = Results("return GetHelthBarCoord(car)");
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_NEAR(std::stof(bar[0]), left, 0.01f);
    EXPECT_NEAR(std::stof(bar[1]), top, 0.01f);
    EXPECT_NEAR(std::stof(bar[2]), 62.5f * 0.47001317f, 1e-4f);
    EXPECT_GT(left, 0.0f) << "the box is on the screen";
}

TEST_F(HealthBars, ACarOutsideTheFieldOfViewOrANullHandleHasNoBar)
{
    // 0.85 radians off the line of sight: outside a field of view of 0.8.
    const D3DXVECTOR3 eye(-12, -15, 6);
    D3DXVECTOR3 sight = D3DXVECTOR3(2, 3, 1) - eye;
    D3DXVec3Normalize(&sight, &sight);
    D3DXVECTOR3 side;
    const D3DXVECTOR3 up(0, 0, 1);
    D3DXVec3Cross(&side, &up, &sight);
    D3DXVec3Normalize(&side, &side);
    const float angle = 0.85f;
    BoxedCar(eye + (sight * std::cos(angle) + side * std::sin(angle)) * 20.0f, 10.0f);
    EXPECT_EQ(Results("return GetHelthBarCoord(car)"), (std::vector<std::string>{"-100", "-100", "0"}));
    EXPECT_EQ(Results("return GetHelthBarCoord(nil)"), (std::vector<std::string>{"-100", "-100", "0"}));
    view->SetFieldOfView(0.9f);
    EXPECT_NE(Results("return GetHelthBarCoord(car)")[0], "-100") << "inside a field of view of 0.9";
}

TEST_F(RaceCars, CloneMakesANewObjectOfTheSameNameHoldingACopy)
{
    CPGameObject source("crate");
    source.SetPosition(1.5f, -2.0f, 3.25f);
    source.AddChild(RefPtr<CPGameObject>(new CPGameObject("lid")));
    SetGlobalHandle("source", &source);
    const int top = lua_gettop(state);
    ASSERT_EQ(luaL_dostring(state, "return Clone(source), Clone(nil)"), 0);
    CPGameObject* copy = ReadHandle<CPGameObject>(state, top + 1);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, &source);
    EXPECT_EQ(copy->GetName(), "crate");
    EXPECT_EQ(*copy->GetPositionRef(), D3DXVECTOR3(1.5f, -2.0f, 3.25f));
    ASSERT_EQ(copy->GetChildren().size(), 1u);
    EXPECT_EQ(copy->GetChildren().front()->GetName(), "lid");
    EXPECT_EQ(lua_type(state, top + 2), LUA_TLIGHTUSERDATA);
    EXPECT_EQ(lua_touserdata(state, top + 2), nullptr);
    lua_settop(state, top);
    delete copy;
}

} // namespace
