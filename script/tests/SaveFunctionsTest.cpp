#include "script/tests/ScriptTest.h"

#include "core/ProblemLog.h"
#include "game/GameLog.h"
#include "game/LocalClock.h"
#include "game/PGameData.h"
#include "game/SaveGames.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

const char* const kSaves = "DATA\\Saves";
const char* const kSentinel = "DATA\\sentinel.cfg";
const char* const kSentinelText = "keep me";

void FixedClock(SYSTEMTIME* time)
{
    *time = SYSTEMTIME();
    time->wYear = 2026;
    time->wMonth = 12;
    time->wDay = 11;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    if (!file) return "(missing)";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string SlotPath(int slot)
{
    return std::string(kSaves) + "\\" + SaveSlotFileName(slot);
}

void RemoveSaves()
{
    for (int slot = 0; slot < kSaveSlotCount; ++slot) DeleteFileA(SlotPath(slot).c_str());
    RemoveDirectoryA(kSaves);
}

class SaveFunctions : public ScriptTest {
protected:
    SaveFunctions() : m_previousClock(SetLocalClock(FixedClock))
    {
        RemoveSaves();
        CreateDirectoryA("DATA", nullptr);
        std::ofstream(kSentinel, std::ios::binary) << kSentinelText;
        data.profileName = "Ann";
        data.carKey = "Bob";
        data.points = 300;
        data.bestTimes[1].bestTime = 75.5f;
        data.bestTimes[1].carModel = "Rex";
        data.bestTimes[1].ghostSamples = {GhostSample{1.0f, 2.0f, 3.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.25f}};
        g_pGameData = &data;
    }
    ~SaveFunctions() override
    {
        g_pGameData = nullptr;
        SetLocalClock(m_previousClock);
        RemoveSaves();
        DeleteFileA(kSentinel);
    }

    // The slot count and the six names GetSaves answers, as one text.
    std::string Saves()
    {
        const std::vector<std::string> results =
            Results("local count, names = GetSaves() "
                    "return count .. ':' .. table.concat(names, ',', 1, 6)");
        return results.empty() ? std::string() : results[0];
    }

    CPGameData data;

private:
    LocalClockFunction m_previousClock;
};

TEST_F(SaveFunctions, ListSixEmptySlotsWithoutASavesFolder)
{
    EXPECT_EQ(Saves(), "6:,,,,,");
}

TEST_F(SaveFunctions, SaveIntoTheFirstFreeSlotAndListItsProfile)
{
    data.saveSlot = -1;
    Results("SaveGame()");
    EXPECT_EQ(data.saveSlot, 0);
    data.profileName = "Cy";
    data.saveSlot = -1;
    Results("SaveGame()");
    EXPECT_EQ(data.saveSlot, 1);
    EXPECT_EQ(Saves(), "6:Ann,Cy,,,,");
    Results("DeleteSave('save0.sav')");
    EXPECT_EQ(Saves(), "6:,Cy,,,,");
}

TEST_F(SaveFunctions, LoadAnotherProfilesSaveIntoTheGameData)
{
    data.saveSlot = 4;
    Results("SaveGame()");
    CPGameData loaded;
    loaded.profileName = "Other";
    loaded.points = 5;
    g_pGameData = &loaded;
    Results("LoadGame('save4.sav')");
    EXPECT_EQ(loaded.profileName, "Ann");
    EXPECT_EQ(loaded.carKey, "Bob");
    EXPECT_EQ(loaded.saveSlot, 4);
    EXPECT_EQ(loaded.points, 300);
    EXPECT_EQ(loaded.bestTimes[1].carModel, "Rex");
    ASSERT_EQ(loaded.bestTimes[1].ghostSamples.size(), 1u);
}

TEST_F(SaveFunctions, NewPlayerNamesTheCarAndWritesTheFirstSlotKeepingTheProfilesSlot)
{
    data.saveSlot = 3;
    Results("NewPlayer('Dot')");
    EXPECT_EQ(data.carKey, "Dot");
    EXPECT_EQ(data.saveSlot, 3);
    EXPECT_EQ(Saves(), "6:Ann,,,,,");
}

// The car key is saved and read back as a file name: one that could reach
// outside the game's folders is refused where it is set, with its line in
// the game log, so the profile saved afterwards still loads.
TEST_F(SaveFunctions, PlayerNamesOutsideTheGameFoldersKeepTheCarKeyAndTheSavedProfileLoads)
{
    data.saveSlot = 2;
    GetGameLog().Clear();
    const char* const refused[] = {"SetPlayerName('..\\\\..\\\\outside')", "SetPlayerName('C:jeep')",
                                   "NewPlayer('cars\\\\..\\\\..\\\\x')", "NewPlayer('con.txt')"};
    for (const char* call : refused) {
        EXPECT_EQ(Joined("return " + std::string(call)), call[0] == 'N' ? "false" : "") << call;
        EXPECT_EQ(data.carKey, "Bob") << call;
    }
    EXPECT_EQ(GetGameLog().GetLines().size(), 4u);
    EXPECT_EQ(ReadFile(SlotPath(0)), "(missing)");
    Results("SetPlayerName('cars\\\\jeep') SaveGame()");
    CPGameData loaded;
    g_pGameData = &loaded;
    Results("LoadGame('save2.sav')");
    EXPECT_EQ(loaded.profileName + "|" + loaded.carKey, "Ann|cars\\jeep");
}

TEST_F(SaveFunctions, RefuseNamesThatAreNotPlainSaveNames)
{
    data.saveSlot = 0;
    Results("SaveGame()");
    const std::string saved = ReadFile(SlotPath(0));
    const CPGameData before = data;
    data.profileName = "Zed";
    for (const char* call : {"DeleteSave", "LoadGame"}) {
        for (const char* name : {"'..\\\\sentinel.cfg'", "'a\\\\b.sav'", "'C:x'", "''", "nil", "string.rep('x', 1048576)"}) {
            Results(std::string(call) + "(" + name + ")");
            EXPECT_EQ(ReadFile(kSentinel), kSentinelText) << call << " " << name;
            EXPECT_EQ(ReadFile(SlotPath(0)), saved) << call << " " << name;
            EXPECT_EQ(data.profileName, "Zed") << call << " " << name;
        }
    }
    EXPECT_EQ(data.saveSlot, before.saveSlot);
}

TEST_F(SaveFunctions, DoNothingWithoutGameData)
{
    g_pGameData = nullptr;
    Results("SaveGame() NewPlayer('Dot') LoadGame('save0.sav')");
    EXPECT_EQ(Saves(), "6:,,,,,");
}

} // namespace
