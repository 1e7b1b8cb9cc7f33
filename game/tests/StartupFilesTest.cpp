#include "game/EnemyData.h"
#include "game/ItemsFile.h"
#include "game/PGameData.h"
#include "game/TextsFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> LinesOf(const std::vector<DataProblem>& problems)
{
    std::vector<int> lines;
    for (const DataProblem& problem : problems) lines.push_back(problem.line);
    return lines;
}

const std::string kLongText(2048, 'q');

// A literal with the NULs inside it.
template <size_t size>
std::string Bytes(const char (&text)[size])
{
    return std::string(text, size - 1);
}

TEST(ItemsFile, ReadsEveryFieldOfEachKindInRecordOrder)
{
    const std::string file =
        "[weapons]\n"
        "gun, 500, 3, 1.5, -7, 0.25, 8, 9, 10.5, 11, gun_info, 12, 13, 14, 2\n"
        "[mines]\n"
        "mine,60,1,2.5,3.5,4,5.5,6.5,7.5,mine_info,8,9,10,3\n"
        "[superweapons]\n"
        "bolt,900,bolt_info,4,5,6,7\n"
        "[bumpers]\nram,70,0.75,ram_info,1,2,3,4\n"
        "[equipment]\nradar,80,1.25,radar_info,5,6,7,8\n"
        "[armor]\nplate,90,2.5,plate_info,9,10,11,12\n"
        "[engines]\nv8,100,1,2,3,4,5.5,v8_info,6,7,8,9\n";
    CPGameData data;
    std::vector<DataProblem> problems;
    ReadItemsFile(file.data(), file.size(), data, problems);
    EXPECT_TRUE(problems.empty());
    const WeaponDefinition* gun = data.weapons.Find("gun");
    ASSERT_NE(gun, nullptr);
    EXPECT_EQ(gun->price, 500);
    EXPECT_EQ(gun->number1, 3);
    EXPECT_FLOAT_EQ(gun->number2, 1.5f);
    EXPECT_EQ(gun->number3, -7);
    EXPECT_FLOAT_EQ(gun->number4, 0.25f);
    EXPECT_FLOAT_EQ(gun->number5, 8.0f);
    EXPECT_EQ(gun->number6, 9);
    EXPECT_FLOAT_EQ(gun->number7, 10.5f);
    EXPECT_FLOAT_EQ(gun->number8, 11.0f);
    EXPECT_EQ(gun->descriptionKey, "gun_info");
    EXPECT_EQ(gun->info, 12);
    EXPECT_EQ(gun->reserved[0], 13);
    EXPECT_EQ(gun->reserved[1], 14);
    EXPECT_EQ(gun->requiredRace, 2);
    const MineDefinition* mine = data.mines.Find("mine");
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->number4, 4);
    EXPECT_FLOAT_EQ(mine->number7, 7.5f);
    EXPECT_EQ(mine->requiredRace, 3);
    ASSERT_NE(data.superWeapons.Find("bolt"), nullptr);
    EXPECT_EQ(data.superWeapons.Find("bolt")->info, 4);
    EXPECT_FLOAT_EQ(data.bumpers.Find("ram")->value, 0.75f);
    EXPECT_FLOAT_EQ(data.equipment.Find("radar")->value, 1.25f);
    EXPECT_EQ(data.armor.Find("plate")->requiredRace, 12);
    const EngineDefinition* engine = data.engines.Find("v8");
    ASSERT_NE(engine, nullptr);
    EXPECT_FLOAT_EQ(engine->values[0], 1.0f);
    EXPECT_FLOAT_EQ(engine->values[4], 5.5f);
    EXPECT_EQ(engine->descriptionKey, "v8_info");

    CPGameData again;
    const std::string written = WriteItemsFile(data);
    ReadItemsFile(written.data(), written.size(), again, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(WriteItemsFile(again), written);
    EXPECT_FLOAT_EQ(again.weapons.Find("gun")->number4, 0.25f);
}

struct FileCase {
    const char* name;
    std::string text;
    std::vector<int> skipped;
    size_t kept;
};

class ItemsFileFixture : public testing::TestWithParam<FileCase> {};

TEST_P(ItemsFileFixture, KeepsTheGoodLinesAndReportsTheRest)
{
    CPGameData data;
    std::vector<DataProblem> problems;
    ReadItemsFile(GetParam().text.data(), GetParam().text.size(), data, problems);
    EXPECT_EQ(LinesOf(problems), GetParam().skipped);
    EXPECT_EQ(data.bumpers.GetList().size(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ItemsFileFixture,
    testing::Values(
        FileCase{"Empty", "", {}, 0},
        FileCase{"CrLf", "[bumpers]\r\nram,70,0.5,d,1,2,3,4\r\n", {}, 1},
        FileCase{"ShortAndLongLines", "[bumpers]\nram,70,0.5,d,1,2,3\nram,70,0.5,d,1,2,3,4,5\nok,1,1,d,1,2,3,4\n",
                 {2, 3}, 1},
        FileCase{"NonNumbers", "[bumpers]\nram,seventy,0.5,d,1,2,3,4\nram,70,0.5x,d,1,2,3,4\nram,70,nan,d,1,2,3,4\n"
                 "ram,70,0.5,d,1,2,3,99999999999\nram,70,1e39,d,1,2,3,4\n",
                 {2, 3, 4, 5, 6}, 0},
        FileCase{"Nuls", Bytes("[bumpers]\nram,7\0,0.5,d,1,2,3,4\nok,1,1,d,1,2,3,4\n"), {2}, 1},
        FileCase{"LongLine", "[bumpers]\n" + kLongText + ",1,1,d,1,2,3,4\n" + kLongText + "\n", {3}, 1},
        FileCase{"Repeats", "[bumpers]\nram,70,0.5,d,1,2,3,4\nram,80,0.5,d,1,2,3,4\n", {3}, 1},
        FileCase{"OutsideASection", "ram,70,0.5,d,1,2,3,4\n[wheels]\nram,70,0.5,d,1,2,3,4\n[bumpers]\n,1,1,d,1,2,3,4\n",
                 {1, 2, 3, 5}, 0}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

TEST(ItemsFile, ARepeatedKeyKeepsTheFirstItemListedOnce)
{
    const std::string file = "[bumpers]\nram,70,0.5,d,1,2,3,4\nram,80,0.5,d,1,2,3,4\n";
    CPGameData data;
    std::vector<DataProblem> problems;
    ReadItemsFile(file.data(), file.size(), data, problems);
    ASSERT_EQ(data.bumpers.GetList().size(), 1u);
    EXPECT_EQ(data.bumpers.Find("ram")->price, 70);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].what, "repeated item ram");
}

class TextsFileFixture : public testing::TestWithParam<FileCase> {};

TEST_P(TextsFileFixture, KeepsTheGoodLinesAndReportsTheRest)
{
    std::unordered_map<std::string, std::string> texts;
    std::vector<DataProblem> problems;
    ReadTextsFile(GetParam().text.data(), GetParam().text.size(), texts, problems);
    EXPECT_EQ(LinesOf(problems), GetParam().skipped);
    EXPECT_EQ(texts.size(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextsFileFixture,
    testing::Values(FileCase{"Empty", "", {}, 0}, FileCase{"CrLf", "a\tA\r\nb\tB\r\n", {}, 2},
                    FileCase{"CrOnly", "a\tA\rb\tB\r\tc\r", {3}, 2},
                    FileCase{"ShortLines", "a\nb\t\n\tc\n", {1, 3}, 1},
                    FileCase{"Nuls", Bytes("a\tx\0y\n"), {}, 1},
                    FileCase{"LongLine", "a\t" + kLongText + "\n", {}, 1},
                    FileCase{"Repeats", "a\tfirst\na\tsecond\n", {2}, 1}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

TEST(TextsFile, KeepsEachTextByteForByte)
{
    const std::string text = Bytes("  Start // now, \"quoted\"\tand\0more  ");
    const std::string file = "menu\t" + text + "\r\nempty\t\n";
    std::unordered_map<std::string, std::string> texts;
    std::vector<DataProblem> problems;
    ReadTextsFile(file.data(), file.size(), texts, problems);
    EXPECT_EQ(texts["menu"], text);
    EXPECT_EQ(texts["empty"], "");
    EXPECT_EQ(WriteTextsFile({{"menu", text}, {"empty", ""}}), "menu\t" + text + "\nempty\t\n");
}

class EnemiesFileFixture : public testing::TestWithParam<FileCase> {};

TEST_P(EnemiesFileFixture, KeepsTheGoodLinesAndReportsTheRest)
{
    EnemyDataMap enemies;
    std::vector<DataProblem> problems;
    ReadEnemiesFile(GetParam().text.data(), GetParam().text.size(), enemies, problems);
    EXPECT_EQ(LinesOf(problems), GetParam().skipped);
    EXPECT_EQ(enemies.size(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Files, EnemiesFileFixture,
    testing::Values(FileCase{"Empty", "", {}, 0}, FileCase{"CrLf", "imp,1,2,a,b,c\r\n", {}, 1},
                    FileCase{"ShortAndLongLines", "imp,1,2,a,b\nimp,1,2,a,b,c,d\n,1,2,a,b,c\n", {1, 2, 3}, 0},
                    FileCase{"NonNumbers", "imp,one,2,a,b,c\nimp,1,inf,a,b,c\n", {1, 2}, 0},
                    FileCase{"Nuls", Bytes("imp,1\0,2,a,b,c\nelf,1,2,a\0,b,c\n"), {1}, 1},
                    FileCase{"LongLine", "imp,1,2," + kLongText + ",b,c\n", {}, 1},
                    FileCase{"Repeats", "imp,1,2,a,b,c\nimp,3,4,d,e,f\n", {2}, 1},
                    FileCase{"DescriptionsOutsideTheDataFolders",
                             "imp,1,2,..\\..\\imp.rdf,b,c\nelf,1,2,Con.rdf,b,c\norc,1,2,C:orc.rdf,b,c\n"
                             "ogre,1,2,\\ogre.rdf,b,c\ntroll,1,2,caves\\troll.rdf,..,:\n",
                             {1, 2, 3, 4}, 1}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

// The first text names the kind's description in "Data\Meshes".
TEST(EnemiesFile, TellsWhichDescriptionLiesOutsideTheGamesFolders)
{
    const std::string file = "ghost,1,2,..\\ghost.rdf,wail,\n";
    EnemyDataMap enemies;
    std::vector<DataProblem> problems;
    ReadEnemiesFile(file.data(), file.size(), enemies, problems);
    EXPECT_TRUE(enemies.empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 1);
    EXPECT_EQ(problems[0].what, "enemy ghost: \"..\\ghost.rdf\" lies outside the game's folders");
}

TEST(EnemiesFile, ReadsTheNumbersAndTextsInFieldOrder)
{
    const std::string file = "ghost, 1.5, -20, ghost.rdf, wail , \n";
    EnemyDataMap enemies;
    std::vector<DataProblem> problems;
    ReadEnemiesFile(file.data(), file.size(), enemies, problems);
    ASSERT_EQ(enemies.count("ghost"), 1u);
    const EnemyDataEntry& ghost = enemies["ghost"];
    EXPECT_FLOAT_EQ(ghost.first, 1.5f);
    EXPECT_FLOAT_EQ(ghost.second, -20.0f);
    EXPECT_EQ(ghost.firstText, "ghost.rdf");
    EXPECT_EQ(ghost.secondText, "wail");
    EXPECT_EQ(ghost.thirdText, "");
    EXPECT_EQ(WriteEnemiesFile({{"ghost", ghost}}), "ghost,1.5,-20,ghost.rdf,wail,\n");
}

} // namespace
