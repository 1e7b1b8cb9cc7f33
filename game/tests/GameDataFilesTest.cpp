#include "game/PGameData.h"
#include "game/PLevel.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PackArchiveFile.h"
#include "core/ProblemLog.h"
#include "core/Settings.h"
#include "core/tests/FileTestSupport.h"
#include "game/GameLog.h"
#include "game/tests/GameFileFixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kPlayerData = "DATA\\player.dat";
const char* const kCoefficients = "DATA\\coeff.dat";
const char* const kMissionName = "mission1.txt";
const char* const kMission = "Data\\Levels\\mission1.txt";
const char* const kScores = "Data\\scores.dat";

// A fresh game folder, entered while this lives; on leaving, its "Data"
// folder and the game folder are removed, once the test has deleted the
// files it made there.
class EnteredGameFolder {
public:
    explicit EnteredGameFolder(const char* name) : m_name(name), m_entered(false)
    {
        CreateDirectoryA(name, nullptr);
        m_entered = SetCurrentDirectoryA(name) != FALSE;
    }
    ~EnteredGameFolder()
    {
        if (!m_entered) return;
        RemoveDirectoryA("Data");
        SetCurrentDirectoryA("..");
        RemoveDirectoryA(m_name);
    }
    EnteredGameFolder(const EnteredGameFolder&) = delete;
    EnteredGameFolder& operator=(const EnteredGameFolder&) = delete;

    bool Entered() const { return m_entered; }

private:
    const char* m_name;
    bool m_entered;
};

// A fixture file's bytes; a missing one is not written at all.
struct FileBytes {
    FileBytes(const char* text) : present(true), bytes(text) {}
    FileBytes(std::string text) : present(true), bytes(std::move(text)) {}
    static FileBytes Missing()
    {
        FileBytes file("");
        file.present = false;
        return file;
    }

    bool present;
    std::string bytes;
};

void PlaceFixture(const char* path, const FileBytes& file)
{
    DeleteFileA(path);
    if (file.present) WriteFixture(path, file.bytes);
}

TEST(PlayerDataFile, FillsBothSetupsAndFallsBackToEmptySlots)
{
    CarSettings generated;
    generated.weapons[0] = "gun";
    generated.weapons[2] = "rocket";
    generated.equipment[0] = "shield";
    generated.bumper = "bump";
    generated.engine = "eng";
    generated.armor = "arm";
    generated.superWeapon = "super";
    generated.superWeaponCount = 2;
    const std::string empty = ",,|,||||*0|";
    const std::string longKey(2048, 'k');
    struct Case {
        const char* what;
        FileBytes file;
        std::string setup;
    };
    const Case cases[] = {
        {"generated", PlayerDataText(generated), "gun,,rocket|shield,|bump|eng|arm|super*2|"},
        {"none", "a\nb\nc\nnone\narm\nbump\neng\nsup\nnone\ne1\ne2\n", "a,b,c|e1,e2|bump|eng|arm|sup*0|"},
        {"missing", FileBytes::Missing(), empty},
        {"empty", "", empty},
        {"cut mid-line", "a\nb\nc\nm\nar", "a,b,c|,|||ar|*0|m"},
        {"short", "a\n\nb\n", "a,b,|,||||*0|"},
        {"count not a number", "a\nb\nc\nm\nr\nu\ne\ns\nx7\nq1\nq2\n", "a,b,c|q1,q2|u|e|r|s*0|m"},
        {"NUL bytes", Bytes("a\0b\nc\n"), "a,b,c|,||||*0|"},
        {"2 KB line", longKey + "\nb\n", longKey + ",b,|,||||*0|"},
        {"CR-only ends", "a\rb\rc\r", "a,b,c|,||||*0|"},
    };
    for (const Case& c : cases) {
        PlaceFixture(kPlayerData, c.file);
        CPGameData data;
        data.editedSetup.weapons[0] = "old";
        data.activeSetup.mine = "old";
        data.LoadPlayerData();
        EXPECT_EQ(Describe(data.editedSetup), c.setup) << c.what;
        EXPECT_EQ(Describe(data.activeSetup), c.setup) << c.what;
    }
    DeleteFileA(kPlayerData);
}

std::string Coefficients(const CPGameData& data)
{
    std::ostringstream out;
    out << data.coeffA << "," << data.coeffB << "," << data.coeffC << "," << data.coeffD;
    return out.str();
}

TEST(CoefficientsFile, LoadsInFileOrderOrAllOneOnTheDifficultSetting)
{
    struct Case {
        const char* what;
        FileBytes file;
        int camSpeed;
        bool difficult;
        const char* coefficients;
    };
    const std::string longLine(2048, 'x');
    const Case cases[] = {
        {"stored a, c, b, d", "1\n2\n3\n4\n", 0, false, "1,3,2,4"},
        {"generated", CoefficientsText(0.5f, 1.5f, 2.5f, 3.5f), 0, false, "0.5,1.5,2.5,3.5"},
        {"difficult setting", "1\n2\n3\n4\n", 1, true, "1,1,1,1"},
        {"cam_speed alone", "1\n2\n3\n4\n", 1, false, "1,3,2,4"},
        {"difficulty flag alone", "1\n2\n3\n4\n", 0, true, "1,3,2,4"},
        {"missing", FileBytes::Missing(), 0, false, "9,9,9,9"},
        {"empty", "", 0, false, "9,9,9,9"},
        {"short", "1\n2\n", 0, false, "1,9,2,9"},
        {"not a number", "x\n2\n3\n4\n", 0, false, "0,3,2,4"},
        {"cut mid-line", "1\n2\n3\n4", 0, false, "1,3,2,4"},
        {"NUL bytes", Bytes("1\0002\n3\n4\n"), 0, false, "1,3,2,4"},
        {"2 KB line", longLine + "\n2\n3\n4\n", 0, false, "0,3,2,4"},
        {"CR-only ends", "1\r2\r3\r4\r", 0, false, "1,3,2,4"},
    };
    const int camSpeed = g_cam_speed;
    for (const Case& c : cases) {
        PlaceFixture(kCoefficients, c.file);
        CPGameData data;
        data.coeffA = data.coeffB = data.coeffC = data.coeffD = 9.0f;
        g_cam_speed = c.camSpeed;
        data.difficultyFlag = c.difficult;
        data.LoadCoefficients();
        EXPECT_EQ(Coefficients(data), c.coefficients) << c.what;
    }
    g_cam_speed = camSpeed;
    DeleteFileA(kCoefficients);
}

// The game log's lines, each cut to the file and line it names.
std::vector<std::string> LoggedPlaces()
{
    std::vector<std::string> places;
    for (const std::string& line : GetGameLog().GetLines()) places.push_back(line.substr(0, line.find(':')));
    return places;
}

TEST(CoefficientsFile, RefusesNumbersThatAreNotFiniteWithFileAndLine)
{
    PlaceFixture(kCoefficients, "nan\n2\n\n-inf\n1e39\n");
    GetGameLog().Clear();
    CPGameData data;
    data.coeffA = data.coeffB = data.coeffC = data.coeffD = 9.0f;
    data.LoadCoefficients();
    EXPECT_EQ(Coefficients(data), "9,9,2,9");
    EXPECT_EQ(LoggedPlaces(), std::vector<std::string>({"DATA\\coeff.dat line 1", "DATA\\coeff.dat line 4",
                                                        "DATA\\coeff.dat line 5"}));
    DeleteFileA(kCoefficients);
}

std::vector<WeightedName> Weighted(std::vector<std::pair<const char*, int>> entries)
{
    std::vector<WeightedName> list;
    int sum = 0;
    for (const auto& entry : entries) {
        WeightedName name;
        name.name = entry.first;
        name.low = sum;
        sum += entry.second;
        name.high = sum;
        list.push_back(name);
    }
    return list;
}

EnemySourceRecord Record(float value, int a, int b, int c, std::vector<WeightedName> enemies,
                         int chance, std::vector<WeightedName> bonuses)
{
    EnemySourceRecord record;
    record.value = value;
    record.numbers[0] = a;
    record.numbers[1] = b;
    record.numbers[2] = c;
    record.enemyKinds = enemies;
    record.bonusChance = chance;
    record.bonusKinds = bonuses;
    return record;
}

TEST(MissionFile, ReadsCheckpointRecordsAndSourcesAtTheLevelsPoints)
{
    const std::vector<EnemySourceRecord> records = {
        Record(1.5f, 2, 3, 4, Weighted({{"a", 30}, {"b", 70}}), 25, Weighted({{"h", 100}})),
        Record(0.0f, 0, 0, 0, {}, 10, Weighted({{"x", 5}})),
    };
    const std::vector<MissionSourceLine> sources = {
        {"p1", "s1", "1", 0.5f, Weighted({{"z", 100}})},
        {"p2", "s1", "0", 2.0f, Weighted({{"z", 50}, {"y", 50}})},
        {"p9", "s2", "1", 1.0f, {}},
        {"p2", "s2", "yes", 1.0f, {}},
    };
    const std::string generatedRecords = "1.5|2,3,4|a:0-30;b:30-100|25|h:0-100 / 0|0,0,0||10|x:0-5";
    const std::string generatedSources =
        "s1=1,2,3,on,0.5,z:0-100 / s1=4,5,6,off,2,z:0-50;y:50-100 / s2=4,5,6,on,1,";
    const std::string oldSources = "old=0,0,0,off,0,";
    const std::string longName(2048, 'n');
    struct Case {
        const char* what;
        FileBytes file;
        bool withLevel;
        std::string records;
        std::string sources;
    };
    const Case cases[] = {
        {"generated", MissionText(records, sources, true), true, generatedRecords, generatedSources},
        {"no level", MissionText(records, sources, true), false, generatedRecords, ""},
        {"no sources line", MissionText(records, sources, false), true, generatedRecords, ""},
        {"missing", FileBytes::Missing(), true, "", oldSources},
        {"empty", "", true, "", ""},
        {"short line", "1 2\n", true, "1|2,0,0||0|", ""},
        {"negative and missing weights", "1 2 3 4 a,-5;b,10 50 c\n", true,
         "1|2,3,4|a:0-0;b:0-10|50|c:0-0", ""},
        {"weights beyond 32 bits", "1 2 3 4 a,2000000000;b,2000000000 0 c,1\n", true,
         "1|2,3,4|a:0-2000000000;b:2000000000-2147483647|0|c:0-1", ""},
        {"not numbers", "x y z w a,q 5x b,1\n", true, "0|0,0,0|a:0-0|5|b:0-1", ""},
        {"cut mid-line", "1 2 3 4 a,30;b,7", true, "1|2,3,4|a:0-30;b:30-37|0|", ""},
        {"NUL bytes", Bytes("1 2 3 4 a,10 5 b,1\0sources\np1 s 1 1 z,1\n"), true,
         "1|2,3,4|a:0-10|5|b:0-1", "s=1,2,3,on,1,z:0-1"},
        {"2 KB line", "1 2 3 4 " + longName + ",5 0 b,1\n", true, "1|2,3,4|" + longName + ":0-5|0|b:0-1",
         ""},
        {"CR-only ends", "1 2 3 4 a,10 5 b,1\rsources\rp1 s 1 1 z,1\r", true,
         "1|2,3,4|a:0-10|5|b:0-1", "s=1,2,3,on,1,z:0-1"},
    };
    for (const Case& c : cases) {
        PlaceFixture(kMission, c.file);
        CPGameData data;
        data.missionRecords.push_back(EnemySourceRecord());
        data.enemySources["old"].push_back(EnemySourcePoint());
        CPLevel* level = c.withLevel ? new CPLevel : nullptr;
        if (level) {
            level->sourcePoints["p1"] = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
            level->sourcePoints["p2"] = D3DXVECTOR3(4.0f, 5.0f, 6.0f);
        }
        data.LoadMissionInfo(kMissionName);
        delete level;
        EXPECT_EQ(Describe(data.missionRecords), c.records) << c.what;
        EXPECT_EQ(Describe(data.enemySources), c.sources) << c.what;
    }
    DeleteFileA(kMission);
}

TEST(MissionFile, RefusesNumbersThatAreNotFiniteWithFileAndLine)
{
    PlaceFixture(kMission, "nan 1 2 3 a,1 5 b,1\n// note\nsources\np1 s 1 inf z,1\n");
    GetGameLog().Clear();
    CPLevel level;
    level.sourcePoints["p1"] = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    CPGameData data;
    data.LoadMissionInfo(kMissionName);
    EXPECT_EQ(Describe(data.missionRecords), "0|1,2,3|a:0-1|5|b:0-1");
    EXPECT_EQ(Describe(data.enemySources), "s=1,2,3,on,0,z:0-1");
    EXPECT_EQ(LoggedPlaces(), std::vector<std::string>({"Data\\Levels\\mission1.txt line 1",
                                                        "Data\\Levels\\mission1.txt line 4"}));
    DeleteFileA(kMission);
}

TEST(ScoresFile, HoldsEveryEntryAsTableIndexNameAndTime)
{
    CPGameData data;
    data.CheckPlayerRecords(2, ScoreEntry("Al", 1, 2, 3));
    data.CheckPlayerRecords(1, ScoreEntry("Bea", 0, 59, 7));
    data.CheckPlayerRecords(2, ScoreEntry("", 4, 5, 6));
    CreateDirectoryA("Data", nullptr);
    ASSERT_TRUE(data.SaveScores());

    std::vector<std::vector<ScoreEntry>> tables;
    ASSERT_TRUE(ReadScoresFile(kScores, tables));
    ASSERT_EQ(tables.size(), 2u);
    ASSERT_EQ(tables[0].size(), 1u);
    ASSERT_EQ(tables[1].size(), 2u);
    EXPECT_EQ(tables[0][0].name, "Bea");
    EXPECT_EQ(tables[1][0].name, "Al");
    EXPECT_EQ(tables[1][0].hundredths, 3);
    EXPECT_EQ(tables[1][1].name, "");
    EXPECT_EQ(tables[1][1].minutes, 4);

    CPDataFile file(kScores, true);
    ASSERT_EQ(file.Load(), S_OK);
    const unsigned char first[] = {0, 0, 0, 0, 3, 0, 0, 0, 'B', 'e', 'a', 0, 0, 0, 0,
                                   59, 0, 0, 0, 7, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
    ASSERT_EQ(file.GetDataSize(), 23u + 22u + 20u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.GetData()), sizeof(first)),
              std::string(reinterpret_cast<const char*>(first), sizeof(first)));
    EXPECT_NE(ReadFileBytes(kScores).substr(0, 8), std::string("\0\0\0\0\3\0\0\0", 8))
        << "the file is stored scrambled";
}

// A game whose data is only in a pack archive has no "Data" folder to write
// its scores into: saving them makes it.
TEST(ScoresFile, AreSavedWhereNoDataFolderExists)
{
    const EnteredGameFolder folder("scores-without-data");
    ASSERT_TRUE(folder.Entered());
    CPGameData data;
    data.CheckPlayerRecords(1, ScoreEntry("Al", 1, 2, 3));
    const bool saved = data.SaveScores();
    std::vector<std::vector<ScoreEntry>> tables;
    const bool read = ReadScoresFile(kScores, tables);
    DeleteFileA(kScores);
    EXPECT_TRUE(saved);
    ASSERT_TRUE(read);
    EXPECT_EQ(tables.at(0).at(0).name, "Al");
}

// A number of the score file: 4 bytes, little-endian.
std::string ScoreInt(int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((bits >> shift) & 0xFF);
    return bytes;
}

// One record as the format lays it out: table index, name length, name
// bytes, minutes, seconds, hundredths.
std::string ScoreRecord(int32_t table, const std::string& name, int32_t minutes = 1, int32_t seconds = 2,
                        int32_t hundredths = 3)
{
    return ScoreInt(table) + ScoreInt(static_cast<int32_t>(name.size())) + name + ScoreInt(minutes) +
           ScoreInt(seconds) + ScoreInt(hundredths);
}

std::string Repeated(const std::string& bytes, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i) all += bytes;
    return all;
}

// "table:name m.s.h,..." for every table that holds entries, joined by "|".
std::string DescribeTables(const std::vector<std::vector<ScoreEntry>>& tables)
{
    std::string text;
    for (size_t table = 0; table < tables.size(); ++table) {
        if (tables[table].empty()) continue;
        if (!text.empty()) text += "|";
        text += std::to_string(table) + ":";
        for (const ScoreEntry& entry : tables[table]) {
            if (text.back() != ':') text += ",";
            text += entry.name + " " + std::to_string(entry.minutes) + "." + std::to_string(entry.seconds) + "." +
                    std::to_string(entry.hundredths);
        }
    }
    return text;
}

// The pack tool packs files as they lie on disk, so the score file goes in
// with its own scrambling under the archive's.
TEST(ScoresFile, ReadFromAPackArchiveAsFromTheDataFolder)
{
    const EnteredGameFolder folder("scores-in-pack");
    ASSERT_TRUE(folder.Entered());
    CPGameData written;
    written.CheckPlayerRecords(3, ScoreEntry("Al", 1, 2, 3));
    written.CheckPlayerRecords(1, ScoreEntry("Bea", 0, 59, 7));
    written.CheckPlayerRecords(3, ScoreEntry("Cy", 4, 0, 98));
    const bool saved = written.SaveScores();
    PackArchiveWriter archive;
    std::vector<std::string> unreadable;
    const int packed = archive.AddFolder("Data", unreadable);
    const HRESULT archived = archive.Save("data.pak");
    DeleteFileA(kScores);
    RemoveDirectoryA("Data");
    const bool registered = RegisterPackArchiveFile("data.pak");
    CPGameData read;
    const bool loaded = read.LoadScores();
    GetPackArchiveList().clear();
    DeleteFileA("data.pak");

    ASSERT_TRUE(saved);
    EXPECT_EQ(packed, 1);
    ASSERT_EQ(archived, S_OK);
    ASSERT_TRUE(registered);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(DescribeTables(read.scoreTables), "0:Bea 0.59.7|2:Al 1.2.3,Cy 4.0.98");
}

// A damaged file keeps the whole records before the damage.
TEST(ScoresFile, ReadBackWhatTheFormatHoldsAndOfADamagedFileTheRecordsBeforeTheDamage)
{
    const std::string bea = ScoreRecord(0, "Bea", 0, 59, 7);
    const std::string full = Repeated(ScoreRecord(4, "x"), CPGameData::kScoreTableSize);
    struct Case {
        const char* what;
        FileBytes file;
        bool read;
        std::string tables;
    };
    const Case cases[] = {
        {"missing", FileBytes::Missing(), true, ""},
        {"empty", "", true, ""},
        {"two tables", bea + ScoreRecord(1, "Al") + ScoreRecord(1, "", 4, 5, 6), true,
         "0:Bea 0.59.7|1:Al 1.2.3, 4.5.6"},
        {"the last table", ScoreRecord(CPGameData::kScoredRaces - 1, "Al"), true, "99:Al 1.2.3"},
        {"a full table", full, true, "4:x 1.2.3,x 1.2.3,x 1.2.3,x 1.2.3,x 1.2.3,x 1.2.3,x 1.2.3"},
        {"one past the last table", bea + ScoreRecord(CPGameData::kScoredRaces, "Al"), false, "0:Bea 0.59.7"},
        {"a negative table", "\xFF\xFF\xFF\xFF" + bea.substr(4), false, ""},
        {"tables out of order", ScoreRecord(1, "Al") + bea, false, "1:Al 1.2.3"},
        {"one entry too many", full + ScoreRecord(4, "y"), false,
         "4:x 1.2.3,x 1.2.3,x 1.2.3,x 1.2.3,x 1.2.3,x 1.2.3,x 1.2.3"},
        {"cut by a byte", bea + ScoreRecord(2, "Al") + bea.substr(0, bea.size() - 1), false,
         "0:Bea 0.59.7|2:Al 1.2.3"},
        {"a stray byte after a record", bea + "\x01", false, "0:Bea 0.59.7"},
        {"a name past the end", bea + ScoreInt(0) + ScoreInt(40) + "Bea" + Repeated(ScoreInt(0), 3), false,
         "0:Bea 0.59.7"},
        {"a negative name length", ScoreInt(0) + "\xFE\xFF\xFF\xFF" + Repeated(ScoreInt(0), 3), false, ""},
        // Times and names that WriteScores never leaves.
        {"the last second and hundredth", ScoreRecord(7, "Al", 0, 59, 99), true, "7:Al 0.59.99"},
        {"negative minutes", bea + ScoreRecord(1, "Al", -1, 2, 3), false, "0:Bea 0.59.7"},
        {"negative seconds", bea + ScoreRecord(1, "Al", 1, -1, 3), false, "0:Bea 0.59.7"},
        {"sixty seconds", bea + ScoreRecord(1, "Al", 1, 60, 3), false, "0:Bea 0.59.7"},
        {"negative hundredths", bea + ScoreRecord(1, "Al", 1, 2, -1), false, "0:Bea 0.59.7"},
        {"a hundred hundredths", bea + ScoreRecord(1, "Al", 1, 2, 100), false, "0:Bea 0.59.7"},
        {"a name holding a zero byte", bea + ScoreRecord(1, Bytes("A\0l")), false, "0:Bea 0.59.7"},
    };
    CreateDirectoryA("Data", nullptr);
    for (const Case& c : cases) {
        DeleteFileA(kScores);
        if (c.file.present) {
            CPDataFileWriter scrambled(kScores, true);
            scrambled.Write(c.file.bytes.data(), c.file.bytes.size());
            ASSERT_EQ(scrambled.Save(), S_OK);
        }
        CPGameData data;
        data.CheckPlayerRecords(3, ScoreEntry("held", 9, 9, 9));
        EXPECT_EQ(data.LoadScores(), c.read) << c.what;
        EXPECT_EQ(DescribeTables(data.scoreTables), c.tables) << c.what;
    }
    DeleteFileA(kScores);
}

// Scores read from a file cut inside its fourth record: the three whole
// records are held, and the file is the only copy of the rest.
class DamagedScoresFile : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA("Data", nullptr);
        damaged = ScoreRecord(0, "Al", 2, 3, 4) + ScoreRecord(0, "Bea", 1, 5, 9) + ScoreRecord(5, "Cy", 0, 48, 1);
        damaged += ScoreRecord(5, "Dee", 3, 1, 2).substr(0, 20);
        WriteScrambled(kScores, damaged);
        GetGameLog().Clear();
    }
    void TearDown() override
    {
        for (const char* path : {kScores, kKept, kKeptSecond}) DeleteFileA(path);
    }

    static void WriteScrambled(const char* path, const std::string& bytes)
    {
        CPDataFileWriter writer(path, true);
        writer.Write(bytes.data(), bytes.size());
        ASSERT_EQ(writer.Save(), S_OK);
    }

    // The file as it was stored lies beside the new one, and the game log
    // names both.
    static void ExpectKeptBesideAndLogged(const std::string& stored)
    {
        EXPECT_EQ(ReadFileBytes(kKept), stored);
        ASSERT_EQ(GetGameLog().GetLines().size(), 1u);
        EXPECT_EQ(GetGameLog().GetLines()[0],
                  "Data\\scores.dat: read as damaged; kept as Data\\scores.dat.damaged before it is written over");
    }

    static const char* const kKept;
    static const char* const kKeptSecond;
    std::string damaged;
};

const char* const DamagedScoresFile::kKept = "Data\\scores.dat.damaged";
const char* const DamagedScoresFile::kKeptSecond = "Data\\scores.dat.damaged2";

TEST_F(DamagedScoresFile, IsLeftAsItIsWhenNoNewScoreIsSaved)
{
    const std::string stored = ReadFileBytes(kScores);
    CPGameData data;
    EXPECT_FALSE(data.LoadScores());
    EXPECT_EQ(DescribeTables(data.scoreTables), "0:Al 2.3.4,Bea 1.5.9|5:Cy 0.48.1");
    EXPECT_TRUE(data.SaveScores());
    EXPECT_EQ(ReadFileBytes(kScores), stored);
    EXPECT_EQ(GetFileAttributesA(kKept), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DamagedScoresFile, IsKeptBesideTheNewScoresWithTheGameLogNamingBoth)
{
    const std::string stored = ReadFileBytes(kScores);
    CPGameData data;
    data.LoadScores();
    ASSERT_TRUE(data.CheckPlayerRecords(1, ScoreEntry("Eve", 0, 59, 99)));
    ASSERT_TRUE(data.SaveScores());
    ExpectKeptBesideAndLogged(stored);
    std::vector<std::vector<ScoreEntry>> tables;
    ASSERT_TRUE(ReadScoresFile(kScores, tables));
    EXPECT_EQ(DescribeTables(tables), "0:Al 2.3.4,Bea 1.5.9,Eve 0.59.99|5:Cy 0.48.1");

    ASSERT_TRUE(data.CheckPlayerRecords(1, ScoreEntry("Fay", 0, 58, 0)));
    ASSERT_TRUE(data.SaveScores());
    EXPECT_EQ(GetGameLog().GetLines().size(), 1u) << "the file written is whole";
    EXPECT_EQ(GetFileAttributesA(kKeptSecond), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DamagedScoresFile, TakesTheNextFreeNameBesideAnEarlierKeptOne)
{
    WriteFixture(kKept, "earlier");
    const std::string stored = ReadFileBytes(kScores);
    CPGameData data;
    data.LoadScores();
    ASSERT_TRUE(data.CheckPlayerRecords(1, ScoreEntry("Eve", 0, 59, 99)));
    ASSERT_TRUE(data.SaveScores());
    EXPECT_EQ(ReadFileBytes(kKept), "earlier");
    EXPECT_EQ(ReadFileBytes(kKeptSecond), stored);
    ASSERT_EQ(GetGameLog().GetLines().size(), 1u);
    EXPECT_NE(GetGameLog().GetLines()[0].find("kept as Data\\scores.dat.damaged2 "), std::string::npos);
}

// A result that takes a place in a full table changes the scores as one
// entered into a table with room does; one that enters nowhere does not.
TEST_F(DamagedScoresFile, IsKeptWhenANewResultTakesAPlaceInAFullTable)
{
    damaged = Repeated(ScoreRecord(0, "Al", 2, 3, 4), CPGameData::kScoreTableSize) + ScoreRecord(0, "Bea").substr(0, 9);
    WriteScrambled(kScores, damaged);
    const std::string stored = ReadFileBytes(kScores);
    CPGameData data;
    EXPECT_FALSE(data.LoadScores());
    EXPECT_FALSE(data.CheckPlayerRecords(1, ScoreEntry("Slow", 2, 3, 4)));
    EXPECT_TRUE(data.SaveScores());
    EXPECT_EQ(ReadFileBytes(kScores), stored);
    ASSERT_TRUE(data.CheckPlayerRecords(1, ScoreEntry("Eve", 2, 3, 3)));
    ASSERT_TRUE(data.SaveScores());
    EXPECT_EQ(ReadFileBytes(kKept), stored);
    std::vector<std::vector<ScoreEntry>> tables;
    ASSERT_TRUE(ReadScoresFile(kScores, tables));
    EXPECT_EQ(DescribeTables(tables), "0:Eve 2.3.3,Al 2.3.4,Al 2.3.4,Al 2.3.4,Al 2.3.4,Al 2.3.4,Al 2.3.4");
}

// Where no copy can be made the damaged file is not written over.
TEST_F(DamagedScoresFile, StaysWhenItCannotBeKept)
{
    const std::string stored = ReadFileBytes(kScores);
    CPGameData data;
    data.LoadScores();
    ASSERT_TRUE(data.CheckPlayerRecords(1, ScoreEntry("Eve", 0, 59, 99)));
    {
        FailingFileSystem failing(FailingCall::Write);
        ScopedFileSystem scoped(failing);
        EXPECT_FALSE(data.SaveScores());
    }
    EXPECT_EQ(ReadFileBytes(kScores), stored);
    EXPECT_EQ(GetFileAttributesA(kKept), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(data.SaveScores());
    EXPECT_EQ(ReadFileBytes(kKept), stored);
}

// A file there that cannot be read whole may hold every score: it is
// damaged, not missing, and is kept before new scores go over it.
TEST_F(DamagedScoresFile, ThatCannotBeReadWholeIsKeptBeforeTheNewScoresGoOverIt)
{
    const std::string stored = ReadFileBytes(kScores);
    CPGameData data;
    bool loaded = true;
    {
        FailingFileSystem failing(FailingCall::Read);
        ScopedFileSystem scoped(failing);
        loaded = data.LoadScores();
    }
    EXPECT_FALSE(loaded);
    ASSERT_TRUE(data.CheckPlayerRecords(1, ScoreEntry("Eve", 0, 59, 99)));
    ASSERT_TRUE(data.SaveScores());
    ExpectKeptBesideAndLogged(stored);
}

// A game whose damaged scores lie only in a pack archive: the copy goes
// into the "Data" folder that the new scores make.
TEST_F(DamagedScoresFile, OnlyInAPackArchiveIsKeptInTheDataFolderTheScoresMake)
{
    const std::string stored = ReadFileBytes(kScores);
    const EnteredGameFolder folder("damaged-scores-in-pack");
    ASSERT_TRUE(folder.Entered());
    PackArchiveWriter archive;
    archive.AddEntry(kScores, std::vector<unsigned char>(stored.begin(), stored.end()));
    const HRESULT archived = archive.Save("data.pak");
    const bool registered = RegisterPackArchiveFile("data.pak");
    CPGameData data;
    const bool loaded = data.LoadScores();
    data.CheckPlayerRecords(1, ScoreEntry("Eve", 0, 59, 99));
    const bool saved = data.SaveScores();
    const std::string kept = ReadFileBytes(kKept);
    GetPackArchiveList().clear();
    for (const char* path : {kScores, kKept, "data.pak"}) DeleteFileA(path);

    ASSERT_EQ(archived, S_OK);
    ASSERT_TRUE(registered);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(saved);
    EXPECT_EQ(kept, stored);
}

TEST(ScoresFile, AFailedSaveKeepsTheOldFile)
{
    CreateDirectoryA("Data", nullptr);
    WriteFileBytes(kScores, "old scores");
    CPGameData data;
    data.CheckPlayerRecords(1, ScoreEntry("Al", 1, 2, 3));
    FailingFileSystem failing(FailingCall::Write);
    {
        ScopedFileSystem scoped(failing);
        EXPECT_FALSE(data.SaveScores());
    }
    EXPECT_EQ(ReadFileBytes(kScores), "old scores");
    DeleteFileA(kScores);
}

} // namespace
