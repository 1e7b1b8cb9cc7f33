#include "script/tests/ScriptTest.h"

#include "game/PGameData.h"
#include "game/PLevel.h"

#include <memory>
#include <string>

namespace {

class ProfileFunctions : public ScriptTest {
protected:
    ProfileFunctions() { g_pGameData = &data; }
    ~ProfileFunctions() override { g_pGameData = nullptr; }

    std::string Joined(const std::string& code)
    {
        std::string text;
        for (const std::string& result : Results(code)) text += (text.empty() ? "" : "|") + result;
        return text;
    }

    CPGameData data;
};

TEST_F(ProfileFunctions, SetMoneyTellsTheGameMenuTheAmountWithTwoDecimals)
{
    Register(first, "gamemenu");
    Results("SetMoney(12.5)");
    EXPECT_FLOAT_EQ(data.money, 12.5f);
    ASSERT_TRUE(first.SetNextCommand());
    EXPECT_EQ(*first.GetCurrentCommand(), "change_money");
    ASSERT_EQ(first.GetCurrentParams()->size(), 1u);
    EXPECT_EQ(first.GetCurrentParams()->at(0), "12.50");
    EXPECT_EQ(Joined("return GetMoney()"), "12.5");
}

TEST_F(ProfileFunctions, CarInfoRoundTripsThroughTheEditedSetupInRecordOrder)
{
    Results("SetCarInfo('w1', 'w2', 'w3', 'e1', 'e2', 'bump', 'eng', 'arm', 'sup', 2.9, 'mine')");
    EXPECT_EQ(data.editedSetup.weapons[2], "w3");
    EXPECT_EQ(data.editedSetup.equipment[0], "e1");
    EXPECT_EQ(data.editedSetup.engine, "eng");
    EXPECT_EQ(data.editedSetup.superWeaponCount, 2);
    EXPECT_EQ(Joined("return GetCarInfo()"), "w1|w2|w3|e1|e2|bump|eng|arm|sup|2|mine");
    EXPECT_EQ(data.activeSetup.weapons[0], "") << "only committing drives with it";
    Results("CommitCarSettings()");
    EXPECT_EQ(data.activeSetup.mine, "mine");
    Results("SetCarInfo('w1', nil, {}, 'e1')");
    EXPECT_EQ(Joined("return GetCarInfo()"), "w1|||e1||||||0|") << "absent keys are empty slots";
}

TEST_F(ProfileFunctions, BestTimeAttackSplitsTheCurrentLevelsBestRun)
{
    EXPECT_EQ(Joined("return GetBestTimeAttack()"), "0|0|0") << "no level";
    std::unique_ptr<CPLevel> level(new CPLevel());
    data.bestTimes[0].bestTime = 75.5f;
    data.bestTimes[9].bestTime = 61.25f;
    struct Case {
        int levelNumber;
        const char* split;
    };
    const Case cases[] = {{1, "1|15|50"}, {10, "1|1|25"}, {0, "0|0|0"}, {11, "0|0|0"}};
    for (const Case& c : cases) {
        level->levelNumber = c.levelNumber;
        EXPECT_EQ(Joined("return GetBestTimeAttack()"), c.split) << c.levelNumber;
    }
}

TEST_F(ProfileFunctions, CurrentMissionAndRaceAnswerTheRaceNumber)
{
    data.currentRace = 7;
    EXPECT_EQ(Joined("return GetCurrentMission(), GetCurrentRace()"), "7|7");
}

TEST_F(ProfileFunctions, DoNothingWithoutGameData)
{
    g_pGameData = nullptr;
    Register(first, "gamemenu");
    Results("SetMoney(3) SetCarInfo('w') CommitCarSettings()");
    EXPECT_FALSE(first.SetNextCommand());
    EXPECT_EQ(Joined("return GetMoney(), GetCurrentMission(), GetBestTimeAttack()"), "0|0|0|0|0");
}

} // namespace
