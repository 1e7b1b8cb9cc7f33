#include "game/PLevel.h"

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

}  // namespace
