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

namespace {

TEST_F(ProfileFunctions, RoundTimesSplitTheFirstRunningAndBestFinishedRounds)
{
    data.roundsRecorded = 1;
    data.roundTimes.assign(CPGameData::kRecordedRounds, 0.0f);
    data.roundTimes[0] = 75.5f;
    EXPECT_EQ(Joined("return GetTimeBest()"), "0|0|0") << "only the running round";
    data.roundsRecorded = 4;
    data.roundTimes[1] = 0.0f;
    data.roundTimes[2] = 61.25f;
    data.roundTimes[3] = 30.5f;
    EXPECT_EQ(Joined("return GetTimeAttack()"), "1|15|50");
    EXPECT_EQ(Joined("return GetTime()"), "0|30|50");
    EXPECT_EQ(Joined("return GetTimeBest()"), "1|1|25") << "the running round and untimed ones do not count";
    data.roundsRecorded = 40;
    EXPECT_EQ(Joined("return GetTime()"), "0|0|0") << "a round count past the list";
    data.roundTimes.clear();
    EXPECT_EQ(Joined("return GetTimeAttack()"), "0|0|0");
    EXPECT_EQ(Joined("return GetTimeBest()"), "0|0|0");
}

TEST_F(ProfileFunctions, UpdateRoundsTimeListsTenRoundsFourKeysEach)
{
    data.roundsRecorded = 2;
    data.roundTimes.assign(CPGameData::kRecordedRounds, 0.0f);
    data.roundTimes[0] = 75.5f;
    data.roundTimes[1] = 61.25f;
    data.roundTimes[9] = 5.75f;
    EXPECT_EQ(Joined("local count, t = UpdateRoundsTime() "
                     "return count, table.getn(t), t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], "
                     "t[12], t[37], t[38], t[39], t[40]"),
              "40|40|1|15|50|true|1|1|25|true|false|0|5|75|false");
    data.roundTimes.resize(3);
    EXPECT_EQ(Joined("local count, t = UpdateRoundsTime() return t[37], t[38], t[39]"), "0|0|0");
}

TEST_F(ProfileFunctions, ProfileValuesAreReadAndSet)
{
    data.carKey = "bmw";
    data.difficultyFlag = true;
    Results("SetKills(12.9) SetNumRounds(3)");
    EXPECT_EQ(data.kills, 12);
    EXPECT_EQ(Joined("return GetActiveCar(), GetDifficult(), GetRoundsNumber(), GetCurrentRound()"),
              "bmw_i745|1|3|1");
    data.carKey = "bmw_i745";
    EXPECT_EQ(Joined("return GetActiveCar()"), "bmw_i745") << "a key outside the table is itself";
}

TEST_F(ProfileFunctions, GetAICountGivesBackItsArgumentAndNilWithoutOne)
{
    EXPECT_EQ(Joined("return GetAICount(7)"), "7");
    EXPECT_EQ(Joined("return GetAICount()"), "nil");
}

} // namespace
