#include "game/PGameData.h"

#include "game/tests/GameFileFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <class Definition>
Definition Item(const std::string& key, int price, int requiredRace = 0)
{
    Definition definition;
    definition.key = key;
    definition.price = price;
    definition.requiredRace = requiredRace;
    return definition;
}

std::string Joined(const std::vector<std::string>& keys)
{
    std::string text;
    for (const std::string& key : keys) text += (text.empty() ? "" : ",") + key;
    return text;
}

CarSettings MakeSetup(std::vector<std::string> weapons, std::vector<std::string> equipment,
                  std::string bumper, std::string engine, std::string armor, std::string superWeapon,
                  int superWeaponCount, std::string mine)
{
    CarSettings settings;
    for (size_t i = 0; i < weapons.size(); ++i) settings.weapons[i] = weapons[i];
    for (size_t i = 0; i < equipment.size(); ++i) settings.equipment[i] = equipment[i];
    settings.bumper = bumper;
    settings.engine = engine;
    settings.armor = armor;
    settings.superWeapon = superWeapon;
    settings.superWeaponCount = superWeaponCount;
    settings.mine = mine;
    return settings;
}

// Every price differs, so a slot priced from the wrong catalogue shows.
class PriceCatalogues : public ::testing::Test {
protected:
    PriceCatalogues()
    {
        data.weapons.Add(Item<WeaponDefinition>("gun", 100));
        data.weapons.Add(Item<WeaponDefinition>("gun2", 50));
        data.equipment.Add(Item<EquipmentDefinition>("eq", 7));
        data.bumpers.Add(Item<BumperDefinition>("bump", 3));
        data.engines.Add(Item<EngineDefinition>("eng", 11));
        data.armor.Add(Item<ArmorDefinition>("arm", 13));
        data.mines.Add(Item<MineDefinition>("mine", 17));
        data.superWeapons.Add(Item<SuperWeaponDefinition>("super", 1000));
    }

    CPGameData data;
};

TEST_F(PriceCatalogues, SumsTheItemPricesOfEverySlot)
{
    struct Case {
        const char* what;
        CarSettings settings;
        float value;
    };
    const Case cases[] = {
        {"empty", CarSettings(), 0.0f},
        {"every slot, two super weapons",
         MakeSetup({"gun", "gun2", "gun"}, {"eq", "eq"}, "bump", "eng", "arm", "super", 2, "mine"), 2308.0f},
        {"unknown keys add nothing", MakeSetup({"nope"}, {}, "bump", "nope", "", "", 0, ""), 3.0f},
        {"keys of another kind add nothing", MakeSetup({}, {"gun"}, "", "", "gun", "", 0, "eq"), 0.0f},
        {"no super weapons carried", MakeSetup({}, {}, "", "", "", "super", 0, ""), 0.0f},
        {"unknown super weapon", MakeSetup({}, {}, "", "", "", "nope", 2, ""), 0.0f},
    };
    for (const Case& c : cases) EXPECT_EQ(data.SumCarValue(c.settings), c.value) << c.what;
}

TEST(CPGameData, ShopOffersReachedItemsThatAreNotFitted)
{
    CPGameData data;
    data.weapons.Add(Item<WeaponDefinition>("w1", 0, 1));
    data.weapons.Add(Item<WeaponDefinition>("fitted0", 0, 1));
    data.weapons.Add(Item<WeaponDefinition>("fitted", 0, 1));
    data.weapons.Add(Item<WeaponDefinition>("fitted2", 0, 1));
    data.weapons.Add(Item<WeaponDefinition>("w15", 0, 15));
    data.weapons.Add(Item<WeaponDefinition>("w16", 0, 16));
    data.superWeapons.Add(Item<SuperWeaponDefinition>("s1", 0, 1));
    data.superWeapons.Add(Item<SuperWeaponDefinition>("sfitted", 0, 1));
    data.equipment.Add(Item<EquipmentDefinition>("e1", 0, 1));
    data.equipment.Add(Item<EquipmentDefinition>("efitted0", 0, 1));
    data.equipment.Add(Item<EquipmentDefinition>("efitted", 0, 1));
    data.engines.Add(Item<EngineDefinition>("n1", 0, 1));
    data.engines.Add(Item<EngineDefinition>("nfitted", 0, 1));
    data.mines.Add(Item<MineDefinition>("mfitted", 0, 1));
    data.mines.Add(Item<MineDefinition>("m1", 0, 1));
    data.bumpers.Add(Item<BumperDefinition>("bfitted", 0, 1));
    data.bumpers.Add(Item<BumperDefinition>("b1", 0, 1));
    data.armor.Add(Item<ArmorDefinition>("afitted", 0, 1));
    data.armor.Add(Item<ArmorDefinition>("a1", 0, 1));
    data.editedSetup = MakeSetup({"fitted0", "fitted", "fitted2"}, {"efitted0", "efitted"}, "bfitted", "nfitted",
                                 "afitted", "sfitted", 1, "mfitted");

    struct Case {
        ItemKind kind;
        bool difficult;
        int race;
        const char* offered;
    };
    const Case cases[] = {
        {ItemKind::Weapon, true, 1, "w1,w15"},
        {ItemKind::Weapon, false, 1, "w1"},
        {ItemKind::Weapon, false, 16, "w1,w15,w16"},
        {ItemKind::Weapon, true, 16, "w1,w15"},
        {ItemKind::SuperWeapon, false, 1, "s1,sfitted"},
        {ItemKind::Equipment, false, 1, "e1"},
        {ItemKind::Engine, false, 1, "n1"},
        {ItemKind::Armor, false, 1, "a1"},
        {ItemKind::Armor, false, 0, ""},
        {ItemKind::Mine, false, 1, "m1"},
        {ItemKind::Bumper, false, 1, "b1"},
    };
    for (const Case& c : cases) {
        data.difficultyFlag = c.difficult;
        data.currentRace = c.race;
        EXPECT_EQ(Joined(data.GetShopNames(c.kind)), c.offered)
            << static_cast<int>(c.kind) << " difficult " << c.difficult << " race " << c.race;
    }
}

TEST(CPGameData, SetupsAreEditedThenCommitted)
{
    CPGameData data;
    const CarSettings settings = MakeSetup({"a", "b", "c"}, {"d", "e"}, "f", "g", "h", "i", 2, "j");
    data.SetCarSettings(settings);
    EXPECT_EQ(Describe(data.editedSetup), Describe(settings));
    EXPECT_EQ(Describe(data.activeSetup), Describe(CarSettings()));
    data.CommitCarSettings();
    EXPECT_EQ(Describe(data.activeSetup), Describe(settings));
    data.SetCarSettings(data.editedSetup);
    EXPECT_EQ(Describe(data.editedSetup), Describe(settings));
}

TEST(CPGameData, ClearReleasesBonusesAndResetsTheRace)
{
    CPGameData data;
    CPGameObject bonus("bonus");
    data.bonusList.emplace_back();
    data.bonusList.back().object = &bonus;
    data.bonusList.back().number = 3;
    ASSERT_EQ(bonus.GetRefCount(), 1);
    data.money = 250.0f;
    data.roundsRecorded = 4;
    data.roundTimes.assign(3, 9.0f);
    data.routeProgress = 12;
    data.bonusCount = 2;
    data.racerRecords["0"].laps = 3;
    data.racerPositions["0"] = D3DXVECTOR2(1.0f, 2.0f);

    data.Clear();
    EXPECT_EQ(bonus.GetRefCount(), 0);
    EXPECT_TRUE(data.bonusList.empty());
    EXPECT_EQ(data.roundsRecorded, 1);
    EXPECT_EQ(data.roundTimes, std::vector<float>(20, 0.0f));
    EXPECT_EQ(data.GetRoundTime(data.roundsRecorded), 0.0f);
    EXPECT_EQ(data.routeProgress, -1);
    EXPECT_EQ(data.bonusCount, 0);
    EXPECT_TRUE(data.racerRecords.empty());
    EXPECT_TRUE(data.racerPositions.empty());
    EXPECT_EQ(data.money, 250.0f);
    EXPECT_EQ(data.racerRecords["4"].timeSlots, std::vector<float>(20, 0.0f)) << "a new record";
    EXPECT_EQ(data.racerRecords["4"].laps, 1);
    EXPECT_EQ(data.racerRecords["4"].totalProgress, -1);
}

TEST(CPGameData, ResetRoundTimesZeroesTheRunningRound)
{
    struct Case {
        int roundsRecorded;
        size_t sizeBefore;
        size_t sizeAfter;
        size_t zeroed;
    };
    const Case cases[] = {
        {3, 20, 20, 2},
        {25, 20, 25, 24},
        {0, 20, 20, 0},
        {-4, 0, 1, 0},
    };
    for (const Case& c : cases) {
        CPGameData data;
        data.roundsRecorded = c.roundsRecorded;
        data.roundTimes.assign(c.sizeBefore, 5.0f);
        data.ResetRoundTimes();
        std::vector<float> expected(c.sizeBefore, 5.0f);
        expected.resize(c.sizeAfter, 0.0f);
        expected[c.zeroed] = 0.0f;
        EXPECT_EQ(data.roundTimes, expected) << c.roundsRecorded;
        EXPECT_EQ(data.roundsRecorded, 1);
    }
}

TEST(CPGameData, RoundsOutsideTheListReadZero)
{
    CPGameData data;
    data.roundTimes = {4.0f, 6.0f};
    EXPECT_EQ(data.GetRoundTime(1), 4.0f);
    EXPECT_EQ(data.GetRoundTime(2), 6.0f);
    EXPECT_EQ(data.GetRoundTime(0), 0.0f);
    EXPECT_EQ(data.GetRoundTime(3), 0.0f);
}

TEST(CPGameData, AnAbsentTextIsEnteredEmpty)
{
    CPGameData data;
    data.texts["gun"] = "Machine gun";
    EXPECT_EQ(data.GetText("gun"), "Machine gun");
    EXPECT_EQ(data.GetText("gun_desc"), "");
    EXPECT_EQ(data.texts.count("gun_desc"), 1u);
}

TEST(CPGameData, BestTimesBelongToLevelsOneToTen)
{
    CPGameData data;
    EXPECT_EQ(data.GetBestTime(0), nullptr);
    EXPECT_EQ(data.GetBestTime(1), &data.bestTimes[0]);
    EXPECT_EQ(data.GetBestTime(10), &data.bestTimes[9]);
    EXPECT_EQ(data.GetBestTime(11), nullptr);
    EXPECT_EQ(data.GetBestTime(-1), nullptr);
}

std::string Names(const std::vector<ScoreEntry>& table)
{
    std::string text;
    for (const ScoreEntry& entry : table) text += (text.empty() ? "" : ",") + entry.name;
    return text;
}

// Seven results in no order of time; the slowest is "g".
class SevenResults : public ::testing::Test {
protected:
    SevenResults()
    {
        const ScoreEntry results[] = {
            {"a", 1, 30, 0}, {"b", 1, 10, 0}, {"c", 2, 0, 0},  {"d", 1, 10, 50},
            {"e", 0, 59, 99}, {"f", 1, 20, 0}, {"g", 3, 0, 0},
        };
        for (const ScoreEntry& result : results) {
            EXPECT_TRUE(data.CheckPlayerRecords(kRace, result));
        }
    }

    static const int kRace = 3;
    CPGameData data;
};

TEST_F(SevenResults, AreKeptInTheOrderEntered)
{
    ASSERT_EQ(data.scoreTables.size(), 3u) << "the race's table is made on first use";
    EXPECT_EQ(Names(data.scoreTables[kRace - 1]), "a,b,c,d,e,f,g");
}

TEST_F(SevenResults, AnEighthEntersOnlyByBeatingOne)
{
    struct Case {
        ScoreEntry result;
        bool entered;
        const char* table;
    };
    const Case cases[] = {
        {{"slow", 3, 0, 1}, false, "e,b,d,f,a,c,g"},
        {{"hundredth", 1, 10, 49}, true, "e,b,hundredth,d,f,a,c"},
        {{"equal to the slowest", 3, 0, 0}, false, "e,b,d,f,a,c,g"},
        {{"best", 0, 0, 1}, true, "best,e,b,d,f,a,c"},
    };
    for (const Case& c : cases) {
        CPGameData copy = data;
        EXPECT_EQ(copy.CheckPlayerRecords(kRace, c.result), c.entered) << c.result.name;
        EXPECT_EQ(Names(copy.scoreTables[kRace - 1]), c.table) << c.result.name;
    }
}

TEST(CPGameData, ResultsOutsideRacesOneToHundredAreRefused)
{
    CPGameData data;
    const ScoreEntry result("x", 1, 2, 3);
    EXPECT_FALSE(data.CheckPlayerRecords(0, result));
    EXPECT_FALSE(data.CheckPlayerRecords(101, result));
    EXPECT_TRUE(data.scoreTables.empty());
    EXPECT_TRUE(data.CheckPlayerRecords(100, result));
    EXPECT_EQ(data.scoreTables.size(), 100u);
}

} // namespace
