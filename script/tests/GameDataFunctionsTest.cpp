#include "script/tests/ScriptTest.h"

#include "game/ItemsFile.h"
#include "game/PGameData.h"

namespace {

// Every kind once, with numbers that differ field by field, a weapon the
// difficult setting unlocks (race 15) and one it never does (race 16).
const char kItems[] =
    "[weapons]\n"
    "gun,100,1,2.5,3,4.5,5.5,6,7.5,8.25,gun_desc,41,0,0,1\n"
    "laser,200,1,2,3,4,5,6,7,8,laser_desc,42,0,0,15\n"
    "rail,300,1,2,3,4,5,6,7,8,rail_desc,43,0,0,16\n"
    "cannon,400,1,2,3,4,5,6,7,8,cannon_desc,44,0,0,1\n"
    "[mines]\n"
    "spike,50,9,1.5,2.5,4,5.5,6.5,7.75,spike_desc,45,0,0,1\n"
    "[superweapons]\n"
    "nuke,900,nuke_desc,46,0,0,1\n"
    "[bumpers]\n"
    "ram,60,1.5,ram_desc,47,0,0,1\n"
    "[equipment]\n"
    "radar,70,2.5,radar_desc,48,0,0,1\n"
    "[armor]\n"
    "plate,80,3.5,plate_desc,49,0,0,1\n"
    "[engines]\n"
    "v8,500,1.5,2.5,3.5,4.5,5.5,v8_desc,50,0,0,1\n";

// Each result as its Lua type and text, so a number pushed as a text shows.
const char kDescribe[] =
    "function Described(...)\n"
    "  local parts = {}\n"
    "  for i = 1, select('#', ...) do\n"
    "    local value = select(i, ...)\n"
    "    parts[i] = type(value) .. ' ' .. tostring(value)\n"
    "  end\n"
    "  return table.concat(parts, ', ')\n"
    "end\n"
    "function Listed(count, names) return count .. ':' .. table.concat(names, ',') end\n";

class GameDataFunctions : public ScriptTest {
protected:
    GameDataFunctions()
    {
        std::vector<DataProblem> problems;
        const std::string items = kItems;
        ReadItemsFile(items.data(), items.size(), gameData, problems);
        EXPECT_TRUE(problems.empty());
        gameData.texts["gun"] = "Gun";
        gameData.texts["gun_desc"] = "Shoots";
        gameData.currentRace = 1;
        g_pGameData = &gameData;
        EXPECT_TRUE(scripts.RunText(kDescribe, "test"));
    }
    ~GameDataFunctions() override { g_pGameData = nullptr; }

    std::string Only(const std::string& code)
    {
        std::vector<std::string> results = Results(code);
        EXPECT_EQ(results.size(), 1u) << code;
        return results.empty() ? std::string() : results[0];
    }

    CPGameData gameData;
};

struct InfoCase {
    const char* call;
    const char* results;
};

class ItemInfo : public GameDataFunctions, public testing::WithParamInterface<InfoCase> {};

TEST_P(ItemInfo, AnswersNamePriceNumbersDescriptionAndInfoInRecordOrder)
{
    EXPECT_EQ(Only(std::string("return Described(") + GetParam().call + ")"), GetParam().results);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, ItemInfo,
    testing::Values(
        InfoCase{"GetWeaponInfo('gun')", "string Gun, number 100, number 1, number 2.5, number 3, number 4.5, "
                                         "number 5.5, number 6, number 7.5, number 8.25, string Shoots, number 41"},
        InfoCase{"GetMineInfo('spike')", "string , number 50, number 9, number 1.5, number 2.5, number 4, "
                                         "number 5.5, number 6.5, number 7.75, string , number 45"},
        InfoCase{"GetSuperWeaponInfo('nuke')", "string , number 900, string , number 46"},
        InfoCase{"GetBumperInfo('ram')", "string , number 60, number 1.5, string , number 47"},
        InfoCase{"GetEquipmentInfo('radar')", "string , number 70, number 2.5, string , number 48"},
        InfoCase{"GetArmorInfo('plate')", "string , number 80, number 3.5, string , number 49"},
        InfoCase{"GetEngineInfo('v8')", "string , number 500, number 1.5, number 2.5, number 3.5, number 4.5, "
                                        "number 5.5, string , number 50"},
        // Each kind looks only in its own catalogue.
        InfoCase{"GetArmorInfo('gun')", ""}, InfoCase{"GetWeaponInfo('nothing')", ""},
        InfoCase{"GetWeaponInfo(nil)", ""}, InfoCase{"GetEngineInfo({})", ""}));

TEST_F(GameDataFunctions, InfoEntersTheTextsItReadsButNothingForAnUnknownKey)
{
    Results("GetMineInfo('spike') GetMineInfo('mystery')");
    EXPECT_EQ(gameData.texts.count("spike"), 1u);
    EXPECT_EQ(gameData.texts.count("spike_desc"), 1u);
    EXPECT_EQ(gameData.texts.count("mystery"), 0u);
}

TEST_F(GameDataFunctions, NameListsOfferWhatTheRaceHasReachedAndNothingFitted)
{
    EXPECT_EQ(Only("return Listed(GetWeaponNames())"), "2:gun,cannon");
    gameData.difficultyFlag = true;
    EXPECT_EQ(Only("return Listed(GetWeaponNames())"), "3:gun,laser,cannon") << "race 15, never 16";
    gameData.editedSetup.weapons[0] = "gun";
    gameData.editedSetup.weapons[2] = "gun";
    EXPECT_EQ(Only("return Listed(GetWeaponNames())"), "2:laser,cannon") << "fitted twice, left out once";
    gameData.editedSetup.engine = "v8";
    EXPECT_EQ(Only("return Listed(GetEngineNames())"), "0:");
    EXPECT_EQ(Only("return Listed(GetMineNames())"), "1:spike");
    gameData.editedSetup.equipment[1] = "radar";
    EXPECT_EQ(Only("return Listed(GetEquipmentNames())"), "0:");
}

TEST_F(GameDataFunctions, SuperWeaponsAreOfferedUntilThreeAreCarried)
{
    gameData.editedSetup.superWeapon = "nuke";
    gameData.editedSetup.superWeaponCount = 2;
    EXPECT_EQ(Only("return Listed(GetSuperWeaponNames())"), "1:nuke");
    gameData.editedSetup.superWeaponCount = 3;
    EXPECT_EQ(Only("return Described(GetSuperWeaponNames())").substr(0, 15), "number 0, table");
    EXPECT_EQ(Only("return Listed(GetSuperWeaponNames())"), "0:");
}

TEST_F(GameDataFunctions, ValidNamesAreItemKeysOfAnyKind)
{
    EXPECT_EQ(Only("local valid = '' for _, key in ipairs({'gun', 'spike', 'nuke', 'ram', 'radar', 'plate', 'v8'}) do "
                   "valid = valid .. tostring(IsValidGameDataName(key)) .. ' ' end return valid"),
              "true true true true true true true ");
    EXPECT_EQ(Results("return IsValidGameDataName('Gun'), IsValidGameDataName('gun_desc'), IsValidGameDataName(nil)"),
              std::vector<std::string>({"false", "false", "false"}));
}

} // namespace
