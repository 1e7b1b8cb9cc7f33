#include "game/SaveGames.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/ProblemLog.h"
#include "core/StringUtils.h"
#include "game/GameDataFiles.h"
#include "game/GameLog.h"
#include "game/LocalClock.h"
#include "game/PGameData.h"
#include "game/SaveFile.h"

#include <windows.h>

#include <cstdio>
#include <utility>

namespace {

const char* const kSavesFolder = "DATA\\Saves";
const char* const kSavesPrefix = "DATA\\Saves\\";
const char* const kSlotNameFormat = "save%i.sav";
const size_t kSlotNumberStart = 4;
const int kNoSlot = -1;
const int kFirstRace = 1;
const int32_t kResetRecordValue = 4;

std::string SavePath(const std::string& fileName)
{
    return kSavesPrefix + fileName;
}

// Names come from scripts: one that could reach outside the saves folder is
// refused whole, and only its start goes to the log.
bool CheckFileName(const std::string& name, const char* operation)
{
    if (IsPlainFileName(name)) return true;
    GetGameLog().Report("%s: \"%.64s\" is not a plain save name; no file touched", operation, name.c_str());
    return false;
}

bool IsValidSlot(int slot)
{
    return slot >= 0 && slot < kSaveSlotCount;
}

SaveRecord RecordOf(const CPGameData& data)
{
    SaveRecord record;
    record.header.profileName = data.profileName;
    record.header.carKey = data.carKey;
    record.header.savedAt = LocalClockTime();
    record.racesPassed = data.racesPassed;
    record.points = data.points;
    for (int level = 0; level < SaveRecord::kLevelCount; ++level) record.bestTimes[level] = data.bestTimes[level];
    return record;
}

void ApplyRecord(CPGameData& data, const std::string& fileName, SaveRecord& record)
{
    ReadSaveProfile(data, record.header.profileName);
    data.saveSlot = SaveSlotOfName(fileName);
    data.carKey = record.header.carKey;
    data.racesPassed = record.racesPassed;
    data.points = record.points;
    for (int level = 0; level < SaveRecord::kLevelCount; ++level) {
        data.bestTimes[level] = std::move(record.bestTimes[level]);
    }
}

std::string SlotPath(int slot)
{
    return SavePath(SaveSlotFileName(slot));
}

// Opens a slot's file; false for a free slot (a missing or empty file, as
// DeleteSave leaves it).
bool OpenTakenSlot(CPDataFile& file)
{
    return SUCCEEDED(file.Open()) && file.GetBytesLeft() > 0;
}

// When a taken slot was written: the time in its header, also where the
// save is damaged after it, so a damaged save is not replaced before older
// ones; the zero time, the oldest, when the header itself does not read.
SYSTEMTIME SavedTimeOfTakenSlot(CPDataFile& file)
{
    SaveHeader header;
    return ReadSaveHeader(file, header) ? header.savedAt : SYSTEMTIME{};
}

enum class SlotOwner { Free, Named, Unreadable };

// Whose save a slot holds: free (a missing or empty file), named by the
// profile name the save begins with, also where it is damaged after it, or
// unreadable when a taken slot's name does not read. The file is closed
// again, so the slot can be written.
SlotOwner ReadSlotOwner(int slot, std::string& owner)
{
    CPDataFile file(SlotPath(slot), false);
    if (!OpenTakenSlot(file)) return SlotOwner::Free;
    return ReadSaveProfileName(file, owner) ? SlotOwner::Named : SlotOwner::Unreadable;
}

// Earlier by the full date and time; the day of the week says nothing more.
bool IsEarlier(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    const WORD left[] = {a.wYear, a.wMonth, a.wDay, a.wHour, a.wMinute, a.wSecond, a.wMilliseconds};
    const WORD right[] = {b.wYear, b.wMonth, b.wDay, b.wHour, b.wMinute, b.wSecond, b.wMilliseconds};
    for (size_t i = 0; i < sizeof(left) / sizeof(left[0]); ++i) {
        if (left[i] != right[i]) return left[i] < right[i];
    }
    return false;
}

int ChooseSlot()
{
    int oldest = 0;
    SYSTEMTIME oldestTime = {};
    for (int slot = 0; slot < kSaveSlotCount; ++slot) {
        CPDataFile file(SlotPath(slot), false);
        if (!OpenTakenSlot(file)) return slot;
        const SYSTEMTIME savedAt = SavedTimeOfTakenSlot(file);
        if (slot == 0 || IsEarlier(savedAt, oldestTime)) {
            oldest = slot;
            oldestTime = savedAt;
        }
    }
    return oldest;
}

} // namespace

std::string SaveSlotFileName(int slot)
{
    char name[32];
    std::snprintf(name, sizeof(name), kSlotNameFormat, slot);
    return name;
}

int SaveSlotOfName(const std::string& fileName)
{
    int slot = kNoSlot;
    for (size_t i = kSlotNumberStart; i < fileName.size() && fileName[i] >= '0' && fileName[i] <= '9'; ++i) {
        slot = (slot == kNoSlot ? 0 : slot * 10) + (fileName[i] - '0');
        if (!IsValidSlot(slot)) return kNoSlot;
    }
    return slot;
}

bool WriteSaveFile(const CPGameData& data, const std::string& fileName)
{
    MakeDataFolder();
    CreateDirectoryA(kSavesFolder, nullptr);
    const std::string path = SavePath(fileName);
    CPDataFileWriter writer(path, false);
    WriteSaveRecord(writer, RecordOf(data));
    return SaveOrReport(writer, path);
}

bool SaveGameToSlot(CPGameData& data)
{
    if (!IsValidSlot(data.saveSlot)) data.saveSlot = ChooseSlot();
    return WriteSaveFile(data, SaveSlotFileName(data.saveSlot));
}

bool LoadSaveFile(CPGameData& data, const std::string& fileName)
{
    if (!CheckFileName(fileName, "LoadGame")) return false;
    const std::string path = SavePath(fileName);
    CPDataFile file(path, false);
    if (!OpenTakenSlot(file)) {
        GetGameLog().Report("%s: no save to load", path.c_str());
        return false;
    }
    SaveRecord record;
    if (!ReadSaveRecord(file, record)) {
        GetGameLog().Report("%s: damaged save; nothing loaded", path.c_str());
        return false;
    }
    ApplyRecord(data, fileName, record);
    return true;
}

bool DeleteSaveFile(const std::string& fileName)
{
    if (!CheckFileName(fileName, "DeleteSave")) return false;
    const std::string path = SavePath(fileName);
    CPDataFileWriter writer(path, false);
    return SaveOrReport(writer, path);
}

std::vector<std::string> ListSaves()
{
    std::vector<std::string> names(kSaveSlotCount);
    for (int slot = 0; slot < kSaveSlotCount; ++slot) {
        CPDataFile file(SlotPath(slot), false);
        SaveHeader header;
        if (OpenTakenSlot(file) && ReadWholeSaveHeader(file, header)) {
            names[static_cast<size_t>(slot)] = header.profileName;
        }
    }
    return names;
}

void ReadSaveProfile(CPGameData& data, const std::string& profileName)
{
    if (profileName != data.profileName) {
        data.saveSlot = kNoSlot;
        data.currentRace = kFirstRace;
        data.points = 0;
        for (BestTimeRecord& record : data.bestTimes) {
            record = BestTimeRecord();
            record.recordValue = kResetRecordValue;
        }
    }
    data.profileName = profileName;
}

bool SetPlayerCarKey(CPGameData& data, const std::string& carKey, const char* operation)
{
    if (!IsNameInsideFolder(carKey)) {
        GetGameLog().Report("%s: \"%.64s\" names a car outside the game's folders; car kept", operation,
                            carKey.c_str());
        return false;
    }
    data.carKey = carKey;
    return true;
}

bool WriteNewPlayerSave(CPGameData& data, const std::string& playerName)
{
    if (!SetPlayerCarKey(data, playerName, "NewPlayer")) return false;
    std::string owner;
    const SlotOwner slotOwner = ReadSlotOwner(0, owner);
    if (slotOwner == SlotOwner::Named && owner != data.profileName) {
        GetGameLog().Report("%s: holds the save of \"%.64s\"; kept", SlotPath(0).c_str(), owner.c_str());
        return false;
    }
    // A save whose owner cannot be told may be another profile's.
    if (slotOwner == SlotOwner::Unreadable && !KeepDamagedFile(SlotPath(0))) return false;
    return WriteSaveFile(data, SaveSlotFileName(0));
}
