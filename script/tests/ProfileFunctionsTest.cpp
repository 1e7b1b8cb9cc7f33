#include "script/tests/ScriptTest.h"

#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "game/PShotSpawner.h"
#include "game/tests/ShotTestSupport.h"

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

namespace {

using shot_test::RecordingShot;

// The commands the receiver was sent, as "command:parameters".
std::vector<std::string> Commands(KeepingReceiver& receiver)
{
    std::vector<std::string> commands;
    while (receiver.SetNextCommand()) {
        std::string text = *receiver.GetCurrentCommand() + ":";
        for (const std::string& parameter : *receiver.GetCurrentParams()) text += parameter;
        commands.push_back(text);
    }
    return commands;
}

TEST_F(ProfileFunctions, SmartBombFiresASuperWeaponAtTheFollowedCarWhileOneIsLeft)
{
    CPShotSpawner spawner;
    spawner.AddTemplate(std::unique_ptr<CPShot>(new RecordingShot("super")));
    g_pShotSpawner = &spawner;
    Register(first, "gamemenu");
    data.activeSetup.superWeaponCount = 0;
    Results("SmartBomb()");
    EXPECT_TRUE(spawner.GetActiveShots().empty());
    EXPECT_TRUE(Commands(first).empty());

    data.activeSetup.superWeaponCount = 2;
    std::unique_ptr<CPLevel> level(new CPLevel());
    CPGameObject followed("followed");
    followed.SetPosition(-3.5f, 8.0f, 1.25f);
    level->cameraCar = &followed;
    Results("SmartBomb()");
    level.reset();
    Results("SmartBomb()");
    EXPECT_EQ(data.activeSetup.superWeaponCount, 0);
    EXPECT_EQ(Commands(first),
              (std::vector<std::string>{"update_game_interface:super", "update_game_interface:super"}));
    ASSERT_EQ(spawner.GetActiveShots().size(), 2u);
    const D3DXVECTOR3 places[] = {D3DXVECTOR3(-3.5f, 8.0f, 1.25f), D3DXVECTOR3(0.0f, 0.0f, 0.0f)};
    for (size_t i = 0; i < 2; ++i) {
        const RecordingShot& shot = static_cast<RecordingShot&>(*spawner.GetActiveShots()[i]);
        ASSERT_EQ(shot.launches.size(), 1u);
        shot_test::ExpectPoint(shot.launches[0].position, places[i]);
        shot_test::ExpectPoint(shot.launches[0].direction, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        EXPECT_EQ(shot.launches[0].value, -1.0f);
        EXPECT_EQ(shot.launches[0].owner, nullptr);
    }
    Results("SmartBomb()");
    EXPECT_EQ(spawner.GetActiveShots().size(), 2u) << "none left";
    g_pShotSpawner = nullptr;
}

// Engines of 300 and 700 and armour of 150 in the shop; four stored
// set-ups worth 300, 450, 700 and nothing, the last one a second race's.
class AutoSetting : public ProfileFunctions {
protected:
    AutoSetting()
    {
        data.engines.Add(Engine("v6", 300));
        data.engines.Add(Engine("v8", 700));
        ArmorDefinition plate;
        plate.key = "plate";
        plate.price = 150;
        data.armor.Add(plate);
        data.storedSetups.resize(4);
        data.storedSetups[0].engine = "v6";
        data.storedSetups[1].engine = "v6";
        data.storedSetups[1].armor = "plate";
        data.storedSetups[2].engine = "v8";
        data.storedSetups[3].mine = "stored fourth";
        Register(first, "gamemenu");
    }

    static EngineDefinition Engine(const char* key, int price)
    {
        EngineDefinition engine;
        engine.key = key;
        engine.price = price;
        return engine;
    }
};

TEST_F(AutoSetting, FitsTheLastStoredSetupOfTheRacesThatTheMoneyAndTheEditedSetupPay)
{
    struct Case {
        int race;
        float money;
        const char* edited;
        const char* fittedEngine;
        const char* fittedMine;
        const char* moneyText;
    };
    const Case cases[] = {
        {1, 200.0f, "v6", "v6", "", "50.00"},     // 500 pays 450, not 700
        {1, 150.0f, "v6", "v6", "", "0.00"},      // exactly 450
        {1, 399.5f, "", "v6", "", "99.50"},       // only 300
        {2, 0.0f, "", "", "stored fourth", "0.00"}, // the second race reaches the free one
        {9, 10.0f, "v8", "", "stored fourth", "710.00"}, // past the stored ones: from the last
    };
    for (const Case& c : cases) {
        data.currentRace = c.race;
        data.money = c.money;
        data.editedSetup = CarSettings();
        data.editedSetup.engine = c.edited;
        data.editedSetup.weapons[0] = "unknown";
        Results("AutoSetting()");
        EXPECT_EQ(data.editedSetup.engine, c.fittedEngine) << c.race << " " << c.money;
        EXPECT_EQ(data.editedSetup.mine, c.fittedMine) << c.race << " " << c.money;
        EXPECT_EQ(data.editedSetup.weapons[0], "") << "copied whole";
        EXPECT_EQ(Commands(first), std::vector<std::string>{std::string("change_money:") + c.moneyText});
    }
}

TEST_F(AutoSetting, ChangesNothingWhenNoStoredSetupOfTheRacesIsPaidFor)
{
    for (int race : {1, 0, -5}) {
        data.currentRace = race;
        data.money = 299.0f;
        data.editedSetup = CarSettings();
        data.editedSetup.weapons[0] = "kept";
        Results("AutoSetting()");
        EXPECT_EQ(data.editedSetup.weapons[0], "kept") << race;
        EXPECT_FLOAT_EQ(data.money, 299.0f) << race;
        EXPECT_TRUE(Commands(first).empty()) << race;
    }
}

TEST_F(ProfileFunctions, AbilitiesAreTheFollowedPlayersCountThenTheLimit)
{
    data.abilityLimit = 4;
    EXPECT_EQ(Results("return ActivateAbilities()").size(), 0u) << "no level";
    std::unique_ptr<CPLevel> level(new CPLevel());
    EXPECT_EQ(Results("return ActivateAbilities()").size(), 0u) << "no followed car";
    CPGameObject plain("plain");
    level->cameraCar = &plain;
    EXPECT_EQ(Results("return ActivateAbilities()").size(), 0u) << "a followed object that is no player";
    CPPlayer player;
    player.abilityCount = 3;
    level->cameraCar = &player;
    EXPECT_EQ(Joined("return ActivateAbilities()"), "3|4");
    level->cameraCar = nullptr;
}

} // namespace
