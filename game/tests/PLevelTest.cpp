#include "game/PLevel.h"

#include "core/PGameObject.h"
#include "physics/PCar.h"

#include <gtest/gtest.h>

namespace {

TEST(CPLevel, IsCurrentFromConstructionUntilDestruction)
{
    ASSERT_EQ(GetLevel(), nullptr);
    CPLevel* level = new CPLevel;
    EXPECT_EQ(GetLevel(), level);
    EXPECT_STREQ(level->GetTypeName(), "CPLevel");
    delete level;
    EXPECT_EQ(GetLevel(), nullptr);
}

TEST(CPLevel, DestroyingAReplacedLevelKeepsTheNewerOneCurrent)
{
    CPLevel* older = new CPLevel;
    CPLevel* newer = new CPLevel;
    EXPECT_EQ(GetLevel(), newer);
    delete older;
    EXPECT_EQ(GetLevel(), newer);
    delete newer;
    EXPECT_EQ(GetLevel(), nullptr);
}

TEST(CPLevel, HandsTheFollowCameraThePlayersDirectionAndCar)
{
    CPLevel level;
    level.forward = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    level.headingForced = true;
    level.forcedHeading = 0.5f;
    level.extraYaw = 0.25f;
    FollowInputs inputs;
    inputs.carSteering = 9.0f;
    level.GetFollowInputs(inputs);
    EXPECT_EQ(inputs.playerDirection, D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    EXPECT_TRUE(inputs.headingForced);
    EXPECT_EQ(inputs.forcedHeading, 0.5f);
    EXPECT_EQ(inputs.extraYaw, 0.25f);
    EXPECT_EQ(inputs.carSteering, 0.0f) << "without a car the car values are zero";

    CPGameObject player("player");
    CPCar car;
    car.SetSteering(-0.7f);
    car.SetMotion(D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    car.SetVelocity(D3DXVECTOR4(3.0f, 4.0f, 0.0f, 5.0f));
    player.SetCar(&car);
    level.player = &player;
    level.GetFollowInputs(inputs);
    EXPECT_EQ(level.GetCarPtr(), &car);
    EXPECT_EQ(inputs.carSteering, -0.7f);
    EXPECT_EQ(inputs.carMotion, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(inputs.carVelocity, D3DXVECTOR4(3.0f, 4.0f, 0.0f, 5.0f));
    level.player = nullptr;
    player.SetCar(nullptr);
}

}  // namespace
