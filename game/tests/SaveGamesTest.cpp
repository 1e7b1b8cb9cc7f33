#include "game/SaveGames.h"

#include "core/PDataFile.h"
#include "core/ProblemLog.h"
#include "core/tests/FileTestSupport.h"
#include "game/GameLog.h"
#include "game/LocalClock.h"
#include "game/PGameData.h"
#include "game/SaveFile.h"
#include "game/tests/GameFileFixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

const char* const kSaves = "DATA\\Saves";

SYSTEMTIME s_now;

void FixedClock(SYSTEMTIME* time)
{
    *time = s_now;
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD milliseconds,
                WORD dayOfWeek = 0)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDayOfWeek = dayOfWeek;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = milliseconds;
    return time;
}

std::string SlotPath(int slot)
{
    return std::string(kSaves) + "\\" + SaveSlotFileName(slot);
}

void RemoveSaves()
{
    for (int slot = 0; slot < kSaveSlotCount; ++slot) DeleteFileA(SlotPath(slot).c_str());
    DeleteFileA("DATA\\Saves\\mine.sav");
    DeleteFileA("DATA\\Saves\\save0.sav.damaged");
    RemoveDirectoryA(kSaves);
}

GhostSample Sample(float x, float y, float z, float time)
{
    return GhostSample{x, y, z, 0.5f, 0.5f, 0.5f, 0.5f, time};
}

// Every field of the game data that a save reads or writes, as one text.
std::string Describe(const CPGameData& data)
{
    std::string text = data.profileName + "|" + data.carKey + "|slot " + std::to_string(data.saveSlot) + "|race " +
                       std::to_string(data.currentRace) + "|passed " + std::to_string(data.racesPassed) +
                       "|points " + std::to_string(data.points);
    for (const BestTimeRecord& record : data.bestTimes) {
        text += "|" + std::to_string(record.bestTime) + "," + std::to_string(record.recordValue) + "," +
                record.carModel;
        for (const GhostSample& sample : record.ghostSamples) {
            text += "," + std::to_string(sample.x) + ":" + std::to_string(sample.time);
        }
    }
    return text;
}

// The fields of a read record, as Describe gives them for the game data.
std::string DescribeRecord(const SaveRecord& record)
{
    CPGameData data;
    data.profileName = record.header.profileName;
    data.carKey = record.header.carKey;
    data.racesPassed = record.racesPassed;
    data.points = record.points;
    for (int level = 0; level < SaveRecord::kLevelCount; ++level) data.bestTimes[level] = record.bestTimes[level];
    return Describe(data);
}

class SaveGames : public ::testing::Test {
protected:
    SaveGames() : m_previousClock(SetLocalClock(FixedClock))
    {
        s_now = Time(2026, 12, 11, 3, 4, 5, 678, 5);
        RemoveSaves();
        GetGameLog().Clear();
    }
    ~SaveGames() override
    {
        SetLocalClock(m_previousClock);
        RemoveSaves();
    }

    // A profile with one run in level 2 and another in level 10.
    static void FillProfile(CPGameData& data, const std::string& profile)
    {
        data.profileName = profile;
        data.carKey = "Bob";
        data.racesPassed = 7;
        data.points = 300;
        data.currentRace = 5;
        for (BestTimeRecord& record : data.bestTimes) record.recordValue = 4;
        data.bestTimes[1].bestTime = 75.5f;
        data.bestTimes[1].recordValue = 9;
        data.bestTimes[1].carModel = "Rex";
        data.bestTimes[1].ghostSamples = {Sample(1.0f, 2.0f, -0.5f, 0.25f)};
        data.bestTimes[9].bestTime = 61.0f;
        data.bestTimes[9].carModel = "Zed";
        data.bestTimes[9].ghostSamples = {Sample(3.0f, 4.0f, 5.0f, 0.0f), Sample(6.0f, 7.0f, 8.0f, 0.5f)};
    }

    // Writes a save of the profile into a slot, stamped with a time.
    static void WriteSlot(int slot, const std::string& profile, const SYSTEMTIME& time)
    {
        CPGameData data;
        FillProfile(data, profile);
        s_now = time;
        ASSERT_TRUE(WriteSaveFile(data, SaveSlotFileName(slot)));
    }

    CPGameData data;

private:
    LocalClockFunction m_previousClock;
};

TEST_F(SaveGames, AreWrittenInTheLayoutWorkedOutByHandAndReadBackToTheSameBytes)
{
    data.profileName = "Ann";
    data.carKey = "Bob";
    data.racesPassed = 7;
    data.points = 300;
    for (BestTimeRecord& record : data.bestTimes) record.recordValue = 4;
    data.bestTimes[1] = BestTimeRecord();
    data.bestTimes[1].bestTime = 75.5f;
    data.bestTimes[1].recordValue = 9;
    data.bestTimes[1].carModel = "Rex";
    data.bestTimes[1].ghostSamples = {Sample(1.0f, 2.0f, -0.5f, 0.25f)};
    // A model without samples is not stored.
    data.bestTimes[4].carModel = "Old";
    const std::string noRun = Bytes("\0\0\0\0" "\x04\0\0\0" "\0\0\0\0");
    std::string expected = Bytes("\x03\0\0\0" "Ann" "\x03\0\0\0" "Bob"
                                 "\xEA\x07" "\x0C\0" "\x05\0" "\x0B\0" "\x03\0" "\x04\0" "\x05\0" "\xA6\x02"
                                 "\x07\0\0\0" "\x2C\x01\0\0") + noRun;
    expected += Bytes("\0\0\x97\x42" "\x09\0\0\0" "\x01\0\0\0" "\x03\0\0\0" "Rex"
                      "\0\0\x80\x3F" "\0\0\0\x40" "\0\0\0\xBF"
                      "\0\0\0\x3F" "\0\0\0\x3F" "\0\0\0\x3F" "\0\0\0\x3F" "\0\0\x80\x3E");
    for (int level = 2; level < 10; ++level) expected += noRun;
    ASSERT_EQ(expected.size(), 197u);

    ASSERT_TRUE(WriteSaveFile(data, "save2.sav"));
    EXPECT_EQ(ReadFileBytes(SlotPath(2)), expected);

    CPGameData loaded;
    loaded.profileName = "Ann";
    ASSERT_TRUE(LoadSaveFile(loaded, "save2.sav"));
    data.bestTimes[4].carModel.clear();
    data.saveSlot = 2;
    EXPECT_EQ(Describe(loaded), Describe(data));
    s_now = Time(2027, 1, 1, 0, 0, 0, 0);
    ASSERT_TRUE(SaveGameToSlot(loaded));
    const std::string resaved = ReadFileBytes(SlotPath(2));
    EXPECT_EQ(resaved.substr(0, 14) + resaved.substr(30), expected.substr(0, 14) + expected.substr(30))
        << "only the time differs";
}

// Slots by what they hold: the time a save was written, or a free slot.
struct SlotCase {
    const char* what;
    std::vector<SYSTEMTIME> times; // wYear 0: free; wYear 1: damaged
    int chosen;
};

const SYSTEMTIME kFree = {};
const SYSTEMTIME kDamaged = {1, 0, 0, 0, 0, 0, 0, 0};
const SYSTEMTIME kNew = {2026, 6, 0, 15, 12, 0, 0, 0};

TEST_F(SaveGames, TakeTheFirstFreeSlotOrElseTheOneWrittenLongestAgo)
{
    const SlotCase cases[] = {
        {"all free", {kFree, kFree, kFree, kFree, kFree, kFree}, 0},
        {"first free after taken ones", {kNew, kNew, kNew, kFree, kNew, kFree}, 3},
        {"an earlier year with a later month, day and second",
         {Time(2026, 3, 10, 10, 0, 30, 0), Time(2025, 12, 20, 23, 59, 31, 0), kNew, kNew, kNew, kNew}, 1},
        {"equal times: the lower slot", {kNew, kNew, Time(2020, 1, 1, 0, 0, 0, 0), kNew, Time(2020, 1, 1, 0, 0, 0, 0), kNew}, 2},
        {"milliseconds decide",
         {kNew, kNew, Time(2020, 1, 1, 0, 0, 0, 2), kNew, Time(2020, 1, 1, 0, 0, 0, 1, 6), kNew}, 4},
        {"the day of the week says nothing",
         {kNew, kNew, kNew, Time(2020, 1, 1, 0, 0, 0, 0, 6), kNew, Time(2020, 1, 1, 0, 0, 0, 0, 1)}, 3},
        {"a damaged slot is the oldest", {Time(2000, 1, 1, 0, 0, 0, 0), kNew, kNew, kNew, kNew, kDamaged}, 5},
    };
    for (const SlotCase& c : cases) {
        RemoveSaves();
        for (int slot = 0; slot < kSaveSlotCount; ++slot) {
            const SYSTEMTIME& time = c.times[static_cast<size_t>(slot)];
            if (time.wYear == kDamaged.wYear) WriteFixture(SlotPath(slot), Bytes("\x05\0\0\0" "Ce"));
            else if (time.wYear != 0) WriteSlot(slot, "Cid" + std::to_string(slot), time);
        }
        CPGameData game;
        game.profileName = "New";
        ASSERT_TRUE(SaveGameToSlot(game)) << c.what;
        EXPECT_EQ(game.saveSlot, c.chosen) << c.what;
        const std::vector<std::string> saves = ListSaves();
        for (int slot = 0; slot < kSaveSlotCount; ++slot) {
            const SYSTEMTIME& time = c.times[static_cast<size_t>(slot)];
            const std::string before = time.wYear > 1 ? "Cid" + std::to_string(slot) : "";
            EXPECT_EQ(saves[static_cast<size_t>(slot)], slot == c.chosen ? "New" : before) << c.what << " " << slot;
        }
    }
}

// A game whose data is only in a pack archive has no "DATA" folder to save
// into: the save makes it and its "Saves" folder.
TEST_F(SaveGames, MakeTheSavesFolderAndItsDataFolderWhenMissing)
{
    const char* const kFreshGame = "game-without-data";
    CreateDirectoryA(kFreshGame, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(kFreshGame));
    FillProfile(data, "Packed");
    const bool saved = SaveGameToSlot(data);
    const std::vector<std::string> saves = ListSaves();
    RemoveSaves();
    RemoveDirectoryA("DATA");
    SetCurrentDirectoryA("..");
    RemoveDirectoryA(kFreshGame);
    EXPECT_TRUE(saved);
    EXPECT_EQ(saves.front(), "Packed");
}

TEST_F(SaveGames, KeepTheChosenSlotAndFreeADeletedOne)
{
    EXPECT_EQ(ListSaves(), std::vector<std::string>(kSaveSlotCount)) << "no saves folder";
    data.profileName = "Ann";
    ASSERT_TRUE(SaveGameToSlot(data));
    EXPECT_EQ(data.saveSlot, 0);
    data.profileName = "Ann2";
    ASSERT_TRUE(SaveGameToSlot(data));
    EXPECT_EQ(data.saveSlot, 0);
    EXPECT_EQ(ListSaves()[0], "Ann2");
    for (int slot = 1; slot < 4; ++slot) WriteSlot(slot, "Cid", kNew);
    ASSERT_TRUE(DeleteSaveFile("save3.sav"));
    EXPECT_EQ(ReadFileBytes(SlotPath(3)), "");
    CPGameData other;
    ASSERT_TRUE(SaveGameToSlot(other));
    EXPECT_EQ(other.saveSlot, 3);
}

// An emptied slot is a free one: loading it is told of as a missing save.
TEST_F(SaveGames, LoadNothingFromADeletedSlotAndLogItAsAMissingSave)
{
    WriteSlot(3, "Cid", kNew);
    ASSERT_TRUE(DeleteSaveFile("save3.sav"));
    FillProfile(data, "Ann");
    const std::string before = Describe(data);
    GetGameLog().Clear();
    EXPECT_FALSE(LoadSaveFile(data, "save3.sav"));
    EXPECT_FALSE(LoadSaveFile(data, "save5.sav"));
    EXPECT_EQ(Describe(data), before);
    EXPECT_EQ(GetGameLog().GetLines(), (std::vector<std::string>{"DATA\\Saves\\save3.sav: no save to load",
                                                                 "DATA\\Saves\\save5.sav: no save to load"}));
}

TEST_F(SaveGames, OfAnotherProfileStartItsProgressAgainAndTakeTheSlotFromTheName)
{
    WriteSlot(4, "Cid", kNew);
    FillProfile(data, "Ann");
    data.saveSlot = 2;
    data.bestTimes[3].carModel = "Own";
    data.bestTimes[3].ghostSamples = {Sample(9.0f, 9.0f, 9.0f, 9.0f)};
    data.bestTimes[3].bestTime = 12.0f;
    data.bestTimes[3].recordValue = 11;
    ASSERT_TRUE(LoadSaveFile(data, "save4.sav"));

    CPGameData expected;
    FillProfile(expected, "Cid");
    expected.currentRace = 1;
    expected.saveSlot = 4;
    EXPECT_EQ(Describe(data), Describe(expected)) << "a level stored without samples keeps none";

    data.currentRace = 6;
    ASSERT_TRUE(LoadSaveFile(data, "save4.sav"));
    EXPECT_EQ(data.currentRace, 6) << "the same profile goes on";
    WriteFixture("DATA\\Saves\\mine.sav", ReadFileBytes(SlotPath(4)));
    ASSERT_TRUE(LoadSaveFile(data, "mine.sav"));
    EXPECT_EQ(data.saveSlot, -1);
}

TEST_F(SaveGames, ReadIntoAUsedRecordKeepNoModelOrSamplesForALevelWithoutARun)
{
    FillProfile(data, "Ann");
    data.bestTimes[1].ghostSamples.clear();
    ASSERT_TRUE(WriteSaveFile(data, "save0.sav"));
    SaveRecord record;
    record.bestTimes[1].carModel = "Old";
    record.bestTimes[1].ghostSamples = {Sample(1.0f, 1.0f, 1.0f, 1.0f)};
    CPDataFile file(SlotPath(0), false);
    ASSERT_TRUE(SUCCEEDED(file.Load()));
    ASSERT_TRUE(ReadSaveRecord(file, record));
    EXPECT_EQ(record.bestTimes[1].carModel, "");
    EXPECT_TRUE(record.bestTimes[1].ghostSamples.empty());
    EXPECT_EQ(record.bestTimes[9].carModel, "Zed");
}

// A record read again holds the stored samples whatever its vectors held:
// more samples than stored, fewer, or the same number with other values.
TEST_F(SaveGames, ReadIntoAUsedRecordHoldExactlyTheStoredSamples)
{
    FillProfile(data, "Ann");
    ASSERT_TRUE(WriteSaveFile(data, "save0.sav"));
    CPDataFile file(SlotPath(0), false);
    ASSERT_TRUE(SUCCEEDED(file.Load()));
    SaveRecord fresh;
    ASSERT_TRUE(ReadSaveRecord(file, fresh));
    SaveRecord used;
    used.bestTimes[1].ghostSamples.assign(5, Sample(9.0f, 9.0f, 9.0f, 9.0f));
    used.bestTimes[9].ghostSamples = {Sample(7.0f, 7.0f, 7.0f, 7.0f)};
    used.bestTimes[4].ghostSamples = {Sample(8.0f, 8.0f, 8.0f, 8.0f)};
    ASSERT_TRUE(ReadSaveRecord(file, used));
    EXPECT_EQ(DescribeRecord(used), DescribeRecord(fresh));
    EXPECT_EQ(used.bestTimes[1].ghostSamples.size(), 1u);
    EXPECT_EQ(used.bestTimes[9].ghostSamples.size(), 2u);
    EXPECT_EQ(used.bestTimes[9].ghostSamples[1].x, 6.0f);
}

TEST_F(SaveGames, ResettingAProfileEmptiesItsBestRuns)
{
    FillProfile(data, "Ann");
    data.saveSlot = 3;
    ReadSaveProfile(data, "Ann");
    EXPECT_EQ(data.saveSlot, 3);
    EXPECT_EQ(data.bestTimes[9].ghostSamples.size(), 2u);
    ReadSaveProfile(data, "Bea");
    EXPECT_EQ(data.profileName, "Bea");
    EXPECT_EQ(data.saveSlot, -1);
    EXPECT_EQ(data.currentRace, 1);
    EXPECT_EQ(data.points, 0);
    EXPECT_EQ(data.racesPassed, 7) << "kept";
    for (const BestTimeRecord& record : data.bestTimes) {
        EXPECT_EQ(record.bestTime, 0.0f);
        EXPECT_EQ(record.recordValue, 4);
        EXPECT_EQ(record.carModel, "");
        EXPECT_TRUE(record.ghostSamples.empty());
    }
}

TEST(SaveSlotNames, GiveTheSlotOnlyForANumberFrom0To5AfterTheFourthCharacter)
{
    const struct {
        const char* name;
        int slot;
    } names[] = {{"save0.sav", 0}, {"save5.sav", 5}, {"save6.sav", -1}, {"save12.sav", -1},
                 {"save3", 3},     {"save", -1},      {"sav3", -1},      {"saveX.sav", -1},
                 {"save-1.sav", -1}, {"game4.sav", 4}, {"save99999999999.sav", -1}};
    for (const auto& name : names) EXPECT_EQ(SaveSlotOfName(name.name), name.slot) << name.name;
    EXPECT_EQ(SaveSlotFileName(4), "save4.sav");
}

TEST_F(SaveGames, ANewPlayerKeepsAnotherProfilesSaveInSlot0)
{
    WriteSlot(0, "Cid", kNew);
    const std::string kept = ReadFileBytes(SlotPath(0));
    data.profileName = "Ann";
    EXPECT_FALSE(WriteNewPlayerSave(data, "Dan"));
    EXPECT_EQ(data.carKey, "Dan");
    EXPECT_EQ(ReadFileBytes(SlotPath(0)), kept);
    EXPECT_EQ(GetGameLog().GetLines().size(), 1u);
    ASSERT_TRUE(SaveGameToSlot(data));
    EXPECT_EQ(data.saveSlot, 1);

    data.saveSlot = 4;
    WriteSlot(0, "Ann", kNew);
    EXPECT_TRUE(WriteNewPlayerSave(data, "Eve"));
    EXPECT_EQ(data.saveSlot, 4);
    CPGameData loaded;
    ASSERT_TRUE(LoadSaveFile(loaded, "save0.sav"));
    EXPECT_EQ(loaded.profileName + loaded.carKey, "AnnEve");
}

// A save damaged past its profile name is still that profile's: a new
// player leaves it, as a whole one, and the game log tells of it.
TEST_F(SaveGames, ANewPlayerKeepsAnotherProfilesDamagedSaveInSlot0)
{
    WriteSlot(0, "Cid", kNew);
    const std::string whole = ReadFileBytes(SlotPath(0));
    // Cut by a byte, cut after the name, and a negative car key length.
    const std::string damaged[] = {whole.substr(0, whole.size() - 1), whole.substr(0, 7),
                                   whole.substr(0, 7) + "\xFF\xFF\xFF\xFF" + whole.substr(11)};
    data.profileName = "Ann";
    for (const std::string& bytes : damaged) {
        WriteFixture(SlotPath(0), bytes);
        GetGameLog().Clear();
        EXPECT_FALSE(WriteNewPlayerSave(data, "Dan")) << bytes.size();
        EXPECT_EQ(ReadFileBytes(SlotPath(0)), bytes);
        ASSERT_EQ(GetGameLog().GetLines().size(), 1u) << bytes.size();
        EXPECT_NE(GetGameLog().GetLines()[0].find("\"Cid\"; kept"), std::string::npos) << GetGameLog().GetLines()[0];
    }
    WriteFixture(SlotPath(0), Bytes("\x03\0\0\0" "Ci"));
    EXPECT_TRUE(WriteNewPlayerSave(data, "Dan")) << "no profile name reads from it";
    EXPECT_EQ(ListSaves()[0], "Ann");
}

// A taken slot 0 whose profile name does not read could be anyone's: it
// is kept beside before the new player's save goes there, or, where no copy
// can be made, left as it is. A free slot leaves nothing to keep.
TEST_F(SaveGames, ANewPlayerKeepsASlot0SaveWhoseNameDoesNotReadBesideItsOwn)
{
    const std::string kKept = SlotPath(0) + ".damaged";
    const std::string unreadable = Bytes("\x05\0\0\0" "Cid");
    WriteFixture(SlotPath(0), unreadable);
    data.profileName = "Ann";
    // A folder where the copy would go: no copy can be written there.
    ASSERT_TRUE(CreateDirectoryA(kKept.c_str(), nullptr));
    const bool writtenWithoutCopy = WriteNewPlayerSave(data, "Dan");
    RemoveDirectoryA(kKept.c_str());
    EXPECT_FALSE(writtenWithoutCopy);
    EXPECT_EQ(ReadFileBytes(SlotPath(0)), unreadable);

    GetGameLog().Clear();
    ASSERT_TRUE(WriteNewPlayerSave(data, "Dan"));
    EXPECT_EQ(ReadFileBytes(kKept), unreadable);
    ASSERT_EQ(GetGameLog().GetLines().size(), 1u);
    EXPECT_EQ(GetGameLog().GetLines()[0],
              "DATA\\Saves\\save0.sav: read as damaged; kept as DATA\\Saves\\save0.sav.damaged before it is written over");
    EXPECT_EQ(ListSaves()[0], "Ann");

    DeleteFileA(kKept.c_str());
    ASSERT_TRUE(DeleteSaveFile("save0.sav"));
    ASSERT_TRUE(WriteNewPlayerSave(data, "Eve"));
    EXPECT_FALSE(FileExists(kKept)) << "an emptied slot is free";
}

// Slots are chosen by the time a save's header holds, also where the save
// is damaged after it: a save cut at its end, written lately, stays.
TEST_F(SaveGames, TakeTheSlotWrittenLongestAgoByTheTimeOfASaveDamagedAfterItsHeader)
{
    for (int slot = 0; slot < kSaveSlotCount; ++slot) WriteSlot(slot, "Cid" + std::to_string(slot), kNew);
    WriteSlot(2, "Old", Time(2020, 5, 4, 3, 2, 1, 0));
    const std::string late = ReadFileBytes(SlotPath(4));
    WriteFixture(SlotPath(4), late.substr(0, late.size() - 1));
    CPGameData game;
    game.profileName = "New";
    ASSERT_TRUE(SaveGameToSlot(game));
    EXPECT_EQ(game.saveSlot, 2);
    EXPECT_EQ(ReadFileBytes(SlotPath(4)).size(), late.size() - 1);
}

// Writer output with runs in levels 2 and 10: the file ends with level 10's
// count, its model "Zed" and two samples.
class DamagedSaves : public SaveGames {
protected:
    void SetUp() override
    {
        CPGameData source;
        FillProfile(source, "Ann");
        ASSERT_TRUE(WriteSaveFile(source, "good.sav"));
        good = ReadFileBytes("DATA\\Saves\\good.sav");
        DeleteFileA("DATA\\Saves\\good.sav");
        FillProfile(data, "Bea");
        data.saveSlot = 2;
        before = Describe(data);
    }

    void ExpectNothingChangedBy(const std::string& bytes, const std::string& what)
    {
        WriteFixture(SlotPath(1), bytes);
        EXPECT_FALSE(LoadSaveFile(data, "save1.sav")) << what;
        EXPECT_EQ(Describe(data), before) << what;
    }

    static std::string Patched(std::string bytes, size_t offset, int32_t value)
    {
        std::memcpy(&bytes[offset], &value, sizeof(value));
        return bytes;
    }
    static std::string PatchedFloat(const std::string& bytes, size_t offset, float value)
    {
        int32_t bits;
        std::memcpy(&bits, &value, sizeof(bits));
        return Patched(bytes, offset, bits);
    }

    std::string good;
    std::string before;
};

TEST_F(DamagedSaves, ChangeNothingWhereverTheyAreCut)
{
    ASSERT_EQ(good.size(), 38u + 51u + 8u * 12u + 12u + 7u + 64u);
    for (size_t size = 0; size < good.size(); ++size) {
        ExpectNothingChangedBy(good.substr(0, size), "cut to " + std::to_string(size));
    }
    WriteFixture(SlotPath(1), good);
    EXPECT_TRUE(LoadSaveFile(data, "save1.sav")) << "the whole file loads";
}

TEST_F(DamagedSaves, LeaveTheRecordReadIntoAsItWasWhereverTheyAreCut)
{
    WriteFixture(SlotPath(1), good);
    CPDataFile whole(SlotPath(1), false);
    ASSERT_TRUE(SUCCEEDED(whole.Load()));
    SaveRecord record;
    ASSERT_TRUE(ReadSaveRecord(whole, record));
    const std::string read = DescribeRecord(record);
    for (size_t size = 0; size < good.size(); ++size) {
        WriteFixture(SlotPath(1), good.substr(0, size));
        CPDataFile cut(SlotPath(1), false);
        ASSERT_TRUE(SUCCEEDED(cut.Load()));
        EXPECT_FALSE(ReadSaveRecord(cut, record)) << "cut to " << size;
        EXPECT_EQ(DescribeRecord(record), read) << "cut to " << size;
    }
}

TEST_F(DamagedSaves, ChangeNothingWhenTheDiskFailsARead)
{
    WriteFixture(SlotPath(1), good);
    FailingFileSystem failing(FailingCall::Read);
    ScopedFileSystem substitute(failing);
    EXPECT_FALSE(LoadSaveFile(data, "save1.sav"));
    EXPECT_EQ(Describe(data), before);
    EXPECT_EQ(failing.GetOpenFiles(), 0);
}

// A menu offers only what LoadGame takes: a save whose header reads but
// whose body is cut is not listed, nor taken for a slot that holds a save.
TEST_F(DamagedSaves, AreListedOnlyWhenTheyWouldLoad)
{
    for (size_t size = 1; size < good.size(); ++size) {
        WriteFixture(SlotPath(1), good.substr(0, size));
        ASSERT_EQ(ListSaves()[1], "") << "cut to " << size;
    }
    WriteFixture(SlotPath(1), good);
    EXPECT_EQ(ListSaves()[1], "Ann");
}

TEST_F(DamagedSaves, ChangeNothingWithLengthsOrCountsBeyondTheFile)
{
    const size_t lastCount = good.size() - 64 - 7 - 4;
    const size_t lastModel = lastCount + 4;
    const struct {
        const char* what;
        size_t offset;
        int32_t value;
    } patches[] = {
        {"negative profile length", 0, -1},
        {"car length past the end", 7, 0x7FFFFFFF},
        {"negative count", 38 + 8, -5},
        {"count one past the samples", lastCount, 3},
        {"count whose bytes overflow 32 bits", lastCount, 0x08000000},
        {"negative model length", lastModel, -1},
        {"model length past the end", lastModel, 100},
    };
    for (const auto& patch : patches) ExpectNothingChangedBy(Patched(good, patch.offset, patch.value), patch.what);
}

// The car key and a best run's model name description files the level
// loads: one that could lie outside the game's folders makes the save
// damaged. A model in a sub-folder stays inside.
TEST_F(DamagedSaves, ChangeNothingWhenACarNameReachesOutsideTheGamesFolders)
{
    const struct {
        const char* what;
        const char* carKey;
        const char* lastModel;
        bool loads;
    } cases[] = {
        {"a car key up the folders", "..\\..\\..\\outside", "Zed", false},
        {"a car key on a drive", "C:outside", "Zed", false},
        {"a best run's model up the folders", "Bob", "..\\..\\outside", false},
        {"a best run's model from the root", "Bob", "\\outside", false},
        {"a best run's model in a sub-folder", "Bob", "cars\\Zed", true},
    };
    for (const auto& c : cases) {
        CPGameData source;
        FillProfile(source, "Ann");
        source.carKey = c.carKey;
        source.bestTimes[9].carModel = c.lastModel;
        ASSERT_TRUE(WriteSaveFile(source, "save1.sav"));
        if (c.loads) {
            EXPECT_EQ(ListSaves()[1], "Ann") << c.what;
            EXPECT_TRUE(LoadSaveFile(data, "save1.sav")) << c.what;
            EXPECT_EQ(data.bestTimes[9].carModel, c.lastModel) << c.what;
            continue;
        }
        EXPECT_EQ(ListSaves()[1], "") << c.what;
        ExpectNothingChangedBy(ReadFileBytes(SlotPath(1)), c.what);
    }
}

// Times the race rules never keep: a best time or a ghost sample that is not
// finite, and a negative best time or sample time. The stored run has a
// negative z, which a ghost may have.
TEST_F(DamagedSaves, ChangeNothingWithTimesOrSamplesTheRaceNeverKeeps)
{
    const float kInfinity = std::numeric_limits<float>::infinity();
    const float kNaN = std::numeric_limits<float>::quiet_NaN();
    const size_t kFirstBest = 38;
    const size_t kSecondBest = kFirstBest + 12;
    // Level 2's one sample, after its best time, value, count and "Rex".
    const size_t kSample = kSecondBest + 12 + 7;
    const size_t kLastSampleTime = good.size() - 4;
    const struct {
        const char* what;
        size_t offset;
        float value;
    } patches[] = {
        {"a best time that is not a number", kFirstBest, kNaN},
        {"an infinite best time", kSecondBest, kInfinity},
        {"a best time of minus infinity", kSecondBest, -kInfinity},
        {"a negative best time", kSecondBest, -0.5f},
        {"a sample place that is not a number", kSample, kNaN},
        {"an infinite sample height", kSample + 8, -kInfinity},
        {"an infinite sample rotation", kSample + 24, kInfinity},
        {"a negative sample time", kSample + 28, -0.25f},
        {"a last sample time that is not a number", kLastSampleTime, kNaN},
    };
    for (const auto& patch : patches) {
        const std::string bytes = PatchedFloat(good, patch.offset, patch.value);
        ExpectNothingChangedBy(bytes, patch.what);
        EXPECT_EQ(ListSaves()[1], "") << patch.what;
    }
    WriteFixture(SlotPath(1), PatchedFloat(good, kSample + 28, 0.0f));
    EXPECT_EQ(ListSaves()[1], "Ann") << "a run sampled from the start";
    EXPECT_TRUE(LoadSaveFile(data, "save1.sav"));
}

TEST_F(SaveGames, RefuseNamesThatAreNotPlainAndTouchNoOtherFile)
{
    ASSERT_TRUE(CreateDirectoryA("DATA", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryA(kSaves, nullptr));
    WriteFixture("DATA\\config.cfg", "keep");
    WriteFixture("DATA\\Saves\\b.sav", "keep");
    FillProfile(data, "Ann");
    const std::string before = Describe(data);
    const std::string names[] = {"..\\config.cfg", "../config.cfg", "..", "a\\b.sav", "a/b.sav", "C:x", "",
                                 std::string(1 << 20, 'a')};
    for (const std::string& name : names) {
        GetGameLog().Clear();
        EXPECT_FALSE(DeleteSaveFile(name)) << name.substr(0, 16);
        EXPECT_FALSE(LoadSaveFile(data, name)) << name.substr(0, 16);
        ASSERT_EQ(GetGameLog().GetLines().size(), 2u) << name.substr(0, 16);
        for (const std::string& line : GetGameLog().GetLines()) {
            EXPECT_NE(line.find("is not a plain save name"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(ReadFileBytes("DATA\\config.cfg"), "keep");
    EXPECT_EQ(ReadFileBytes("DATA\\Saves\\b.sav"), "keep");
    EXPECT_EQ(Describe(data), before);
    DeleteFileA("DATA\\Saves\\b.sav");
}

TEST_F(SaveGames, AFailedWriteKeepsTheOldSaveWhole)
{
    WriteSlot(0, "Cid", kNew);
    const std::string old = ReadFileBytes(SlotPath(0));
    FillProfile(data, "Ann");
    data.saveSlot = 0;
    {
        FailingFileSystem failing(FailingCall::Write);
        ScopedFileSystem scoped(failing);
        EXPECT_FALSE(SaveGameToSlot(data));
    }
    EXPECT_EQ(ReadFileBytes(SlotPath(0)), old);
    EXPECT_EQ(GetGameLog().GetLines().size(), 1u);
}

} // namespace
