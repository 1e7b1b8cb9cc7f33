#include "script/GameLog.h"
#include "script/StartupData.h"

#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "core/PDataFileWriter.h"
#include "game/EnemyData.h"
#include "game/PGameData.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

void Write(const std::string& path, const std::string& text)
{
    CPDataFileWriter writer(path, false);
    writer.Write(text.data(), text.size());
    ASSERT_EQ(writer.Save(), S_OK);
}

// The start-up files as the game finds them, with one bad line each.
TEST(StartupData, FillsTheGameDataTheEnemyDataAndTheNamedSoundsAndLogsWhatItSkips)
{
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Sounds", nullptr);
    Write("Data\\Items.txt", "[engines]\nv8,100,1,2,3,4,5,v8_info,6,7,8,9\nv6,100\n");
    Write("Data\\Texts.txt", "v8\tV8 engine\nno tab\n");
    Write("Data\\Enemies.txt", "imp,1,2,imp.rdf,b,c\nimp,3,4,x,y,z\n");
    Write("Data\\Sounds\\sounds.txt", "fast,missing.wav,0\nslam,..\\..\\slam.wav,0\n");
    CPGameData gameData;
    g_pGameData = &gameData;
    CPSoundCache cache(nullptr);
    CPSoundManager sounds(&cache);
    g_pSoundManager = &sounds;
    g_enemyData.clear();
    GameLog log("startup.log");
    log.Clear();

    LoadStartupData(log);
    EXPECT_NE(gameData.engines.Find("v8"), nullptr);
    EXPECT_EQ(gameData.GetText("v8"), "V8 engine");
    ASSERT_EQ(g_enemyData.count("imp"), 1u);
    EXPECT_EQ(g_enemyData["imp"].firstText, "imp.rdf");
    EXPECT_EQ(sounds.GetNamedSounds().count("fast"), 0u);
    std::ifstream file("startup.log", std::ios::binary);
    const std::string logged((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(logged, "data: Data\\Items.txt:3: not an item of this section\n"
                      "data: Data\\Texts.txt:2: a text needs a key and a tab\n"
                      "data: Data\\Enemies.txt:2: repeated enemy imp\n"
                      "data: Data\\Sounds\\sounds.txt:2: sound slam: \"..\\..\\slam.wav\" lies outside the game's "
                      "folders\n"
                      "data: Data\\Sounds\\sounds.txt:1: sound fast: missing.wav cannot be loaded\n");

    g_enemyData.clear();
    g_pSoundManager = nullptr;
    g_pGameData = nullptr;
    for (const char* path : {"Data\\Items.txt", "Data\\Texts.txt", "Data\\Enemies.txt", "Data\\Sounds\\sounds.txt"}) {
        DeleteFileA(path);
    }
    RemoveDirectoryA("Data\\Sounds");
    RemoveDirectoryA("Data");
}

std::string ReadLog(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// Scores of earlier runs come back; a damaged score file is told of, read
// up to its damage and left as it is.
TEST(StartupData, ReadsTheScoreTablesAndLeavesADamagedScoreFileAsItIs)
{
    CreateDirectoryA("Data", nullptr);
    CPGameData gameData;
    g_pGameData = &gameData;
    GameLog log("startup-scores.log");
    const char* const kScores = "Data\\scores.dat";
    struct Case {
        const char* what;
        std::string bytes;
        size_t tables;
        const char* logged;
    };
    // Table 0: "Al" 1:02:03; then the same record cut short.
    const std::string record("\0\0\0\0\2\0\0\0Al\1\0\0\0\2\0\0\0\3\0\0\0", 22);
    const Case cases[] = {
        {"whole", record, 1u, ""},
        {"cut", record.substr(0, 21), 0u, "data: Data\\scores.dat: damaged; the scores before the damage are read\n"},
    };
    for (const Case& c : cases) {
        CPDataFileWriter writer(kScores, true);
        writer.Write(c.bytes.data(), c.bytes.size());
        ASSERT_EQ(writer.Save(), S_OK);
        const std::string stored = ReadLog(kScores);
        log.Clear();
        LoadStartupData(log);
        ASSERT_EQ(gameData.scoreTables.size(), c.tables) << c.what;
        if (c.tables > 0) {
            EXPECT_EQ(gameData.scoreTables[0][0].name, "Al");
        }
        EXPECT_EQ(ReadLog("startup-scores.log"), c.logged) << c.what;
        EXPECT_EQ(ReadLog(kScores), stored) << c.what;
    }
    g_pGameData = nullptr;
    DeleteFileA(kScores);
    RemoveDirectoryA("Data");
}

} // namespace
