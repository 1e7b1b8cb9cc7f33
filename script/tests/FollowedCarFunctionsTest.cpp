#include "script/tests/ScriptTest.h"
#include "script/tests/ScriptBodies.h"

#include "core/Settings.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "physics/PCar.h"
#include "physics/PSimulator.h"

#include <memory>
#include <string>
#include <vector>

namespace {

const float kHalfPi = 1.5707964f;

// A level following a racer of the light side with a car, on the test's
// own game data and simulator.
class FollowedCarFunctions : public ScriptTest {
protected:
    FollowedCarFunctions()
        : simulator(SimulatorSizeInfo(), nullptr, D3DXVECTOR3(0.0f, 0.0f, 0.0f)), car(new CPCar(&followed.object)),
          camera(new CPCamera()), level(new CPLevel())
    {
        g_pGameData = &data;
        followed.object.carModel = "uaz";
        followed.object.SetCar(car.get());
        level->cameraCar = &followed.object;
        level->camera = camera.get();
    }
    ~FollowedCarFunctions() override
    {
        level.reset();
        followed.object.SetCar(nullptr);
        g_pGameData = nullptr;
    }

    // A computer racer driving the car of the key.
    void AddOpponent(const char* carModel)
    {
        opponents.emplace_back(new CPPlayer());
        opponents.back()->carModel = carModel;
        level->opponents.push_back(RefPtr<CPGameObject>(opponents.back().get()));
    }

    CPGameData data;
    CPSimulator simulator;
    ObjectWithPhysics<CPPlayer> followed;
    std::unique_ptr<CPCar> car;
    std::vector<std::unique_ptr<CPPlayer>> opponents;
    std::unique_ptr<CPCamera> camera;
    std::unique_ptr<CPLevel> level;
};

// A push at the car's own position moves it without turning it; one at a
// point beside it also turns it: (1, 0, 0) x (0, 4, 0) = (0, 0, 4).
TEST_F(FollowedCarFunctions, ImpulsesPushTheBodyAtTheCarOrAtTheGivenPoint)
{
    CPRigidBody* body = simulator.CreateRigidBody();
    body->SetMass(2.0f);
    followed.physics.SetRigidBody(body);
    followed.object.SetPosition(5.0f, -3.0f, 2.0f);

    Results("PlayerApplyImpulse(0, 0, 10)");
    EXPECT_EQ(body->GetVelocity(), D3DXVECTOR3(0.0f, 0.0f, 5.0f));
    EXPECT_EQ(body->GetAngularMomentum(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    Results("PlayerApplyImpulse(6, -3, 2, 0, 4, 0)");
    EXPECT_EQ(body->GetVelocity(), D3DXVECTOR3(0.0f, 2.0f, 5.0f));
    EXPECT_EQ(body->GetAngularMomentum(), D3DXVECTOR3(0.0f, 0.0f, 4.0f));

    level->cameraCar = nullptr;
    Results("PlayerApplyImpulse(0, 0, 10)");
    EXPECT_EQ(body->GetVelocity(), D3DXVECTOR3(0.0f, 2.0f, 5.0f)) << "no followed car";
}

TEST_F(FollowedCarFunctions, NitroIsTheStockLeftAndBurnsOnlyWithStockAndInput)
{
    car->SetNitroStock(60.0f);
    EXPECT_EQ(Joined("return GetNitro(), IsNitro()"), "60|false");
    Results("PlayerNitro(0.5)");
    EXPECT_EQ(car->GetNitro(), 0.5f);
    EXPECT_EQ(Joined("return IsNitro()"), "true");
    level->raceOver = true;
    Results("PlayerNitro(0)");
    EXPECT_EQ(car->GetNitro(), 0.5f) << "the race is over";
    car->SetNitroStock(0.0f);
    EXPECT_EQ(Joined("return GetNitro(), IsNitro()"), "0|false");
}

TEST_F(FollowedCarFunctions, WithoutALevelTheFollowedCarReadsAsStandingStill)
{
    level->cameraSpeed = 12.5f;
    car->SetNitroStock(60.0f);
    EXPECT_EQ(Joined("return GetPlayerSpeed(), GetNitro(), GetPlayerSlide()"), "12.5|60|1");
    level.reset();
    EXPECT_EQ(Joined("return GetPlayerSpeed(), GetNitro(), IsNitro(), GetPlayerSlide(), IsPlayerMovingBackwards()"),
              "0|0|false|1|false");
    EXPECT_EQ(Joined("return IsPlayerMoveForward()"), "") << "needs a level";
    EXPECT_EQ(Joined("return GetAIPositions()"), "") << "needs a level";
}

// The camera looks along (1, 1, 0); a car at rest, or slower than a
// thousandth, moves forward.
TEST_F(FollowedCarFunctions, MovingForwardIsWithinAQuarterTurnOfTheViewDirection)
{
    RefPtr<CPPerspectiveCamera> view = camera->GetFirstView();
    view->SetEye(D3DXVECTOR3(3.0f, -2.0f, 4.0f));
    view->SetTarget(D3DXVECTOR3(5.0f, 0.0f, 4.0f));
    struct Case {
        D3DXVECTOR4 velocity;
        const char* forward;
    };
    const Case cases[] = {
        {D3DXVECTOR4(2.0f, 1.0f, 0.0f, 0.0f), "true"},    {D3DXVECTOR4(-1.0f, 0.5f, 3.0f, 0.0f), "false"},
        {D3DXVECTOR4(1.0f, -1.0f, 0.0f, 0.0f), "true"},   {D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f), "true"},
        {D3DXVECTOR4(-0.0009f, 0.0f, 0.0f, 0.0f), "true"}, {D3DXVECTOR4(-0.0011f, 0.0f, 0.0f, 0.0f), "false"},
    };
    for (const Case& c : cases) {
        car->SetVelocity(c.velocity);
        EXPECT_EQ(Joined("return IsPlayerMoveForward()"), c.forward) << c.velocity.x << ", " << c.velocity.y;
    }
}

// The map is 500 pixels across the level's larger extent (3000), centred
// 109 pixels left of the right edge at 100 down, turned with the camera:
// heading pi turns the offset (dx, -dy) a quarter to (dy, dx).
TEST_F(FollowedCarFunctions, AIPositionsPlaceTheCarsOnTheMinimapAndFlagThoseOfTheFollowedCarsSide)
{
    const int screenWidth = g_screenWidth;
    g_screenWidth = 1280;
    level->width = 2000.0f;
    level->depth = 3000.0f;
    camera->SetHeading(2.0f * kHalfPi);
    followed.object.SetPosition(100.0f, 200.0f, 0.0f);
    AddOpponent("gaz_3110_main");
    AddOpponent("bmw");
    AddOpponent("zil_130_");
    data.racerPositions["2"] = D3DXVECTOR2(100.0f, -1000.0f);
    data.racerPositions["0"] = D3DXVECTOR2(100.0f, 200.0f);
    data.racerPositions["3"] = D3DXVECTOR2(800.0f, 200.0f);
    data.racerPositions["1"] = D3DXVECTOR2(130.0f, 260.0f);

    const std::vector<std::string> results = Results("local n, t = GetAIPositions() return n, unpack(t)");
    g_screenWidth = screenWidth;
    struct Mark {
        float x;
        float y;
        const char* sameSide;
    };
    const Mark marks[] = {
        {1171.0f, 100.0f, "true"},      // at the followed car
        {1181.0f, 105.0f, "false"},     // 60 right, 30 down; of the dark side
        {1330.0f, 100.0f, "true"},      // left of the map
        {1330.0f, 216.66667f, "false"}, // below the map; no opponent 3
    };
    ASSERT_EQ(results.size(), 13u);
    EXPECT_EQ(results[0], "12");
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(std::stof(results[1 + 3 * i]), marks[i].x, 1e-3f) << "racer " << i;
        EXPECT_NEAR(std::stof(results[2 + 3 * i]), marks[i].y, 1e-3f) << "racer " << i;
        EXPECT_EQ(results[3 + 3 * i], marks[i].sameSide) << "racer " << i;
    }
}

} // namespace
