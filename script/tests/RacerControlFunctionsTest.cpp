#include "script/tests/ScriptTest.h"

#include "core/FrameClock.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "physics/PRigidBody.h"
#include "physics/tests/CarTestSupport.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::string>;

Commands Taken(KeepingReceiver& receiver)
{
    Commands taken;
    while (receiver.SetNextCommand()) taken.push_back(*receiver.GetCurrentCommand());
    return taken;
}

// One racer "car" and the game data, with "main" and "gamemenu" listening
// by name and "deaths" in the category "main".
class RacerControl : public ScriptTest {
protected:
    RacerControl() : m_previousWorld(g_pCarWorld)
    {
        g_pGameData = &data;
        g_pCarWorld = &world;
        data.coeffC = 1.0f;
        Register(first, "main");
        Register(second, "gamemenu");
        Register(deaths, "nobody", "main");
        SetGlobalHandle("car", static_cast<IPObject*>(&car));
        SetGlobalHandle("first", &first);
    }
    ~RacerControl() override
    {
        world.Reset();
        if (CPCar* vehicle = car.GetCar().Get()) {
            car.SetCar(nullptr);
            delete vehicle;
        }
        g_pCarWorld = m_previousWorld;
        g_pGameData = nullptr;
    }

    // Makes the racer a car of the world, without gravity, turned by the
    // rotation.
    CPRigidBody& Body(const D3DXQUATERNION& rotation)
    {
        FrameDeltaTime = car_test::kFrame;
        world.CreateSimulator(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0, 0, 0);
        RefPtr<CPGameObject> object(&car);
        car_test::MakeCarObject(car_test::CarSetup(), D3DXVECTOR3(3, -2, 1), 0.0f, object);
        car.SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
        world.AddObject(object, 0, 1);
        world.CreateCar(object, false);
        world.RegisterCar(&car);
        return *car.GetPhysicData()->GetRigidBody();
    }

    // Whether the expression gives the null handle: a handle, of no object.
    bool IsNullHandle(const std::string& expression)
    {
        Results("found = " + expression);
        lua_getglobal(state, "found");
        const bool null = lua_islightuserdata(state, -1) && !lua_touserdata(state, -1);
        lua_pop(state, 1);
        return null;
    }

    KeepingReceiver deaths;
    CPGameData data;
    CPCarWorld world;
    // Children outlive their parents, which hold them.
    CPGameObject barrel{"barrel"};
    CPGameObject turret{"turret"};
    CPPlayer car;

private:
    CPCarWorld* m_previousWorld;
};

TEST_F(RacerControl, DamageBelowTwentyWarnsOnceAndTheDisplayHearsOfEveryHit)
{
    car.life = 25.0f;
    EXPECT_EQ(Results("return DamagePlayer(car, 10)"), Commands({"true"}));
    EXPECT_FLOAT_EQ(car.life, 15.0f);
    EXPECT_EQ(Taken(first), Commands({"say_critical"}));
    EXPECT_EQ(Taken(second), Commands({"update_game_interface"}));
    EXPECT_EQ(Results("return DamagePlayer(car, 15)"), Commands({"true"})) << "life 0 still lives";
    EXPECT_EQ(car.life, 0.0f);
    EXPECT_TRUE(Taken(first).empty()) << "no longer above 20";
    EXPECT_TRUE(Taken(deaths).empty());
    Taken(second);
}

TEST_F(RacerControl, DamageBelowZeroClampsAndReportsTheDeathOnce)
{
    car.life = 12.0f;
    EXPECT_EQ(Results("return DamagePlayer(car, 12.5)"), Commands({"false"}));
    EXPECT_EQ(car.life, 0.0f);
    EXPECT_TRUE(car.deathReported);
    EXPECT_EQ(Taken(deaths), Commands({"player_dead"}));
    EXPECT_EQ(Taken(second), Commands({"update_game_interface"}));
    EXPECT_EQ(Results("return DamagePlayer(car, 1)"), Commands({"false"}));
    EXPECT_TRUE(Taken(deaths).empty());
    EXPECT_EQ(Taken(second), Commands({"update_game_interface"}));
    EXPECT_TRUE(Taken(first).empty());
}

TEST_F(RacerControl, DamageIsScaledByTheCoefficientAndANullCarLivesSilently)
{
    data.coeffC = 2.0f;
    car.life = 30.0f;
    EXPECT_EQ(Results("return DamagePlayer(car, 5)"), Commands({"true"}));
    EXPECT_FLOAT_EQ(car.life, 20.0f);
    EXPECT_EQ(Taken(first), Commands({"say_critical"})) << "20 is not above 20";
    Taken(second);
    EXPECT_EQ(Results("return DamagePlayer(nil, 50), DamagePlayer(first, 50)"), Commands({"true", "true"}));
    EXPECT_TRUE(Taken(second).empty());
    EXPECT_FLOAT_EQ(car.life, 20.0f);
}

TEST_F(RacerControl, KillHidesTheCarAndTakesItOutOfTheWorldAndTheCarTable)
{
    CPRigidBody& body = Body(D3DXQUATERNION(0, 0, 0, 1));
    ASSERT_EQ(world.GetCars().size(), 1u);
    Results("KillPlayer(nil) KillPlayer(car)");
    EXPECT_FALSE(car.IsVisible());
    EXPECT_FALSE(car.GetShadowFlag());
    EXPECT_FALSE(car.GetCollision());
    EXPECT_TRUE(world.GetCars().empty());
    EXPECT_NE(body.GetPosition().z, 1.0f) << "parked away from the race";
}

TEST_F(RacerControl, DirectionSpeedAndAbilitiesOfAComputerCar)
{
    // A quarter turn about x, then a third of one about z: the nose,
    // local -y, ends off every axis.
    const D3DXVECTOR3 xAxis(1, 0, 0), zAxis(0, 0, 1), localNose(0, -1, 0);
    D3DXQUATERNION aboutX, aboutZ, turn;
    D3DXQuaternionRotationAxis(&aboutX, &xAxis, 0.5f);
    D3DXQuaternionRotationAxis(&aboutZ, &zAxis, 1.0f);
    D3DXQuaternionMultiply(&turn, &aboutX, &aboutZ);
    car.SetRotation(turn.x, turn.y, turn.z, turn.w);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &turn);
    D3DXVECTOR3 nose;
    D3DXVec3TransformNormal(&nose, &localNose, &rotation);
    const std::vector<std::string> heading = Results("return GetPlayerDirectionAI(car)");
    ASSERT_EQ(heading.size(), 3u);
    EXPECT_NEAR(std::stod(heading[0]), nose.x, 1e-6);
    EXPECT_NEAR(std::stod(heading[1]), nose.y, 1e-6);
    EXPECT_NEAR(std::stod(heading[2]), nose.z, 1e-6);

    Results("SetAbilitiesCountAI(car, 3.8) SetAbilitiesCountAI(nil, 9)");
    EXPECT_EQ(car.abilityCount, 3);
    EXPECT_EQ(Results("return ActivateAbilitiesAI(car), GetPlayerSpeedAI(car)"), Commands({"3", "0"}));
    EXPECT_EQ(Results("return select('#', ActivateAbilitiesAI(nil)) + select('#', GetPlayerSpeedAI(nil))"
                      " + select('#', GetPlayerDirectionAI(nil))"),
              Commands({"0"}));
}

TEST_F(RacerControl, NitroTakesTheAmountWithTwoArgumentsAndBlocksTheThrottleWithThree)
{
    car.throttleInput = 0.7f;
    Results("PlayerNitroAI(car, 0.5)");
    EXPECT_FALSE(car.throttleBlocked);
    Results("PlayerNitroAI(car, 0.5, 2)");
    EXPECT_TRUE(car.throttleBlocked);
    EXPECT_EQ(car.throttleInput, 0.0f);
}

TEST_F(RacerControl, JumpPushesARigidBodyAndObjectsAreFoundAndAnimatedByName)
{
    CPRigidBody& body = Body(D3DXQUATERNION(0, 0, 0, 1));
    const D3DXVECTOR3 before = body.GetVelocity();
    EXPECT_EQ(Results("Jump(car, 0, 0, 4) return IsRigid(car), IsRigid(first), IsRigid(nil)"),
              Commands({"true", "false", "false"}));
    EXPECT_GT(body.GetVelocity().z, before.z);
    EXPECT_EQ(body.GetVelocity().x, before.x);

    turret.AddChild(RefPtr<CPGameObject>(&barrel));
    car.AddChild(RefPtr<CPGameObject>(&turret));
    SetGlobalHandle("barrel", static_cast<IPObject*>(&barrel));
    EXPECT_EQ(Results("return FindObject(car, 'barrel') == barrel"), Commands({"true"}));
    EXPECT_TRUE(IsNullHandle("FindObject(car, 'none')"));
    EXPECT_TRUE(IsNullHandle("FindObject(nil, 'barrel')"));
    Results("SetObjectVisible(barrel, false)");
    EXPECT_FALSE(barrel.IsVisible());

    CPAnimation spin("spin.p3d");
    gameobject_test::AnimatedObject mesh;
    mesh.AddAnimation("spin", &spin);
    barrel.SetComponent(CPGameObject::kKindAnimated, &mesh);
    Results("StartAnimation(barrel, 'spin', 2.9, first)");
    EXPECT_EQ(mesh.GetCurrentName(), "spin");
    EXPECT_EQ(mesh.GetSpeed(), 1.0f);
    EXPECT_EQ(mesh.GetPassLimit(), 2);
    EXPECT_EQ(mesh.GetNotify(), &first);
    barrel.SetComponent(CPGameObject::kKindMesh, RefPtr<IPObject>());
}

} // namespace
