#include "game/PLevel.h"

#include "DynamicSky/SkyLighting.h"
#include "Render/PRender.h"
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
    level.SetPlayerDirection(D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    level.SetForcedHeading(true, 0.5f);
    level.SetExtraYaw(0.25f);
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
    level.SetPlayer(&player);
    level.GetFollowInputs(inputs);
    EXPECT_EQ(level.GetCarPtr(), &car);
    EXPECT_EQ(inputs.carSteering, -0.7f);
    EXPECT_EQ(inputs.carMotion, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(inputs.carVelocity, D3DXVECTOR4(3.0f, 4.0f, 0.0f, 5.0f));
    level.SetPlayer(nullptr);
    player.SetCar(nullptr);
}

TEST(CPLevel, TakesTheSunAsItsLightWhileCurrent)
{
    CPRender render;
    CPRender* previous = g_pRender;
    g_pRender = &render;
    {
        CPLevel level;
        EXPECT_EQ(GetSunLightTarget(), &level);
        level.light.Type = D3DLIGHT_DIRECTIONAL;
        level.light.Range = 10000.0f;
        const D3DCOLORVALUE colour = {0.5f, 0.25f, 0.0f, 0.0f};
        level.SubmitSunLight(D3DXVECTOR3(0.0f, 0.0f, -1.0f), colour);
        ASSERT_EQ(render.GetLightCount(), 1);
        const D3DLIGHT9& light = render.GetLight(0);
        EXPECT_EQ(D3DXVECTOR3(light.Direction), D3DXVECTOR3(0.0f, 0.0f, -1.0f));
        EXPECT_EQ(light.Diffuse.g, 0.25f);
        EXPECT_EQ(light.Specular.r, 0.5f);
        EXPECT_EQ(light.Range, 10000.0f) << "the rest of the record stays";
        for (int submitted = 1; submitted < 31; ++submitted) level.SubmitLight();
        EXPECT_EQ(render.GetLightCount(), 30) << "a full table drops the light";
    }
    EXPECT_EQ(GetSunLightTarget(), nullptr);
    g_pRender = previous;
}

}  // namespace
