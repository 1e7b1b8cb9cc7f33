#include "script/tests/ScriptTest.h"

#include "game/PGameData.h"
#include "game/PLevel.h"

#include <memory>
#include <string>

namespace {

class MissionFunctions : public ScriptTest {
protected:
    MissionFunctions()
    {
        EnemySourceRecord first;
        first.value = 2.5f;
        first.numbers[0] = 7;
        first.numbers[1] = -3;
        first.numbers[2] = 11;
        EnemySourceRecord second;
        second.value = 0.75f;
        second.numbers[2] = 4;
        data.missionRecords = {first, second};
        data.coeffD = 1.5f;
        g_pGameData = &data;
    }
    ~MissionFunctions() override { g_pGameData = nullptr; }

    std::string Joined(const std::string& code)
    {
        std::string text;
        for (const std::string& result : Results(code)) text += (text.empty() ? "" : "|") + result;
        return text;
    }

    CPGameData data;
};

TEST_F(MissionFunctions, CheckPointInfoGivesTheWholeNumbersThenTheValueAndZerosOutsideTheRecords)
{
    EXPECT_EQ(Joined("return GetCheckPointsCount()"), "2");
    struct Case {
        const char* index;
        const char* info;
    };
    const Case cases[] = {{"0", "7|-3|11|2.5"}, {"1.9", "0|0|4|0.75"}, {"2", "0|0|0|0"}, {"-1", "0|0|0|0"},
                          {"2^31", "0|0|0|0"}};
    for (const Case& c : cases) {
        EXPECT_EQ(Joined(std::string("return GetCheckPointInfo(") + c.index + ")"), c.info) << c.index;
    }
}

TEST_F(MissionFunctions, LevelTimeAndPlaceNeedALevel)
{
    Results("SetLevelTime(40) SetPlaceToFinish(3)");
    std::unique_ptr<CPLevel> level(new CPLevel());
    level->levelTime = 9.0f;
    level->placeToFinish = 1;
    Results("SetLevelTime(40) SetPlaceToFinish(3)");
    EXPECT_FLOAT_EQ(level->levelTime, 60.0f);
    EXPECT_EQ(level->placeToFinish, 3);
}

} // namespace

namespace {

TEST_F(MissionFunctions, PlayersPanelRanksByScoreAndBreaksTiesTowardsTheLaterRacer)
{
    const std::string panel = "return table.concat(SetPlayersPanel(), ',')";
    EXPECT_EQ(Results("return SetPlayersPanel()").size(), 0u) << "no level";
    std::unique_ptr<CPLevel> level(new CPLevel());
    data.routeProgress = -1;
    data.roundsRecorded = 1;
    EXPECT_EQ(Joined(panel), "10,4,3,2,1,0") << "all at -1, missing records entered";
    data.racerRecords["0"].laps = 2;
    data.racerRecords["0"].totalProgress = 50;
    data.racerRecords["3"].laps = 1;
    data.racerRecords["3"].totalProgress = 100;
    data.racerRecords["1"].laps = 65536;
    data.racerRecords["1"].totalProgress = 65536;
    data.routeProgress = 40;
    data.roundsRecorded = 2;
    EXPECT_EQ(Joined(panel), "1,3,0,10,4,2") << "a score past 32 bits still leads";
}

} // namespace
