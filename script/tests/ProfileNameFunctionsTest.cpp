#include "script/tests/ScriptTest.h"

#include "game/PGameData.h"
#include "game/PPlayer.h"

#include <string>
#include <vector>

namespace {

class ProfileNameFunctions : public ScriptTest {
protected:
    ProfileNameFunctions() { g_pGameData = &data; }
    ~ProfileNameFunctions() override { g_pGameData = nullptr; }

    // A profile well on its way: a slot, race 7, points and a best run.
    void Progress()
    {
        data.saveSlot = 3;
        data.currentRace = 7;
        data.points = 120;
        data.bestTimes[4].bestTime = 61.5f;
        data.bestTimes[4].recordValue = 2;
        data.bestTimes[4].carModel = "bmw";
    }

    CPGameData data;
};

TEST_F(ProfileNameFunctions, AnotherProfileNameStartsTheProgressAgainAndTheSameKeepsIt)
{
    data.profileName = "Ann";
    Progress();
    Results("SetProfileName('Ann')");
    EXPECT_EQ(data.saveSlot, 3);
    EXPECT_EQ(data.currentRace, 7);
    EXPECT_EQ(data.bestTimes[4].bestTime, 61.5f);

    Results("SetProfileName('Bea')");
    EXPECT_EQ(Joined("return GetProfileName()"), "Bea");
    EXPECT_EQ(data.saveSlot, -1);
    EXPECT_EQ(data.currentRace, 1);
    EXPECT_EQ(data.points, 0);
    for (const BestTimeRecord& record : data.bestTimes) {
        EXPECT_EQ(record.bestTime, 0.0f);
        EXPECT_EQ(record.recordValue, 4);
        EXPECT_EQ(record.carModel, "");
    }
}

TEST_F(ProfileNameFunctions, PlayerNameIsThePlayersCarKeyOrThatOfTheRacerGiven)
{
    CPPlayer racer;
    racer.carModel = "gaz_3110_main";
    CPGameObject scenery("scenery");
    SetGlobalHandle("racer", &racer);
    SetGlobalHandle("scenery", &scenery);
    Results("SetPlayerName('volswagen_toureg')");
    EXPECT_EQ(data.carKey, "volswagen_toureg");
    EXPECT_EQ(Joined("return GetPlayerName(), GetPlayerName(racer), GetPlayerName(scenery), GetPlayerName(nil)"),
              "volswagen_toureg|gaz_3110_main||");
    g_pGameData = nullptr;
    EXPECT_EQ(Results("SetPlayerName('uaz') SetProfileName('Cid') return GetPlayerName(), GetProfileName()"),
              (std::vector<std::string>{"", ""}));
}

} // namespace
