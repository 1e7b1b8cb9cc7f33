#include "game/PPlayer.h"

#include "physics/PCar.h"

#include <gtest/gtest.h>

namespace {

TEST(CPPlayer, StartsWithItsStartValues)
{
    CPPlayer player;
    EXPECT_EQ(player.GetName(), "PLAYER");
    EXPECT_STREQ(player.GetTypeName(), "CPGameObject - PLAYER");
    for (float ammunition : player.ammunition) EXPECT_EQ(ammunition, 1.0f);
    EXPECT_EQ(player.life, 100000.0f);
    EXPECT_EQ(player.maxLife, 100000.0f);
    EXPECT_EQ(player.shotFactor, 1.0f);
    EXPECT_EQ(player.fireRateFactor, 1.0f);
    EXPECT_EQ(player.speedBonusTime, 2.0f);
    EXPECT_GE(player.hitTargets.bucket_count(), 100u);
    EXPECT_EQ(player.sideFlags, 0u);
    EXPECT_EQ(player.damage, 0.0f);
    EXPECT_EQ(player.routeLine, nullptr);
    EXPECT_FALSE(player.routeAware);
    EXPECT_FALSE(player.locked);
    EXPECT_FALSE(player.deathReported);
    EXPECT_EQ(player.cameraMin, 0);
    EXPECT_EQ(player.cameraMax, 0);
    EXPECT_FALSE(player.shadow);
}

TEST(CPPlayer, TheCarWorldsCollisionFlagMarksItTouching)
{
    CPPlayer player;
    IPCollisionFlag& flag = player;
    flag.RaiseCollisionFlag();
    EXPECT_TRUE(player.touching);
}

TEST(CPPlayer, CarSoundVolumeNeedsACarWithSound)
{
    CPPlayer player;
    EXPECT_FALSE(player.SetCarSoundVolume(0.5f)) << "no car";
    CPCar car(&player);
    player.SetCar(&car);
    EXPECT_FALSE(player.SetCarSoundVolume(0.5f)) << "a car without sound";
    car.LoadSounds();
    EXPECT_TRUE(player.SetCarSoundVolume(0.5f));
    player.SetCar(nullptr);
}

TEST(CPPlayer, WithoutACarThereIsNoShadow)
{
    CPPlayer player;
    player.SetupShadow();
    EXPECT_FALSE(player.shadow);
}

} // namespace
