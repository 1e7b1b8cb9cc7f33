#pragma once

#include <string>
#include <vector>

class CPGameData;

// The player's progress in six save slots, "save0.sav" to "save5.sav" in
// "DATA\Saves": the only code that writes, reads, lists or empties them.
// A save moves the profile's name, the player's car, the races passed, the
// points and the ten best runs between the game data and a slot file.
//
// Names handed in from scripts must be plain file names (not empty, no
// "\", "/", ":" or ".."): any other name touches no file and is logged.
// Failures are logged to the game log; nothing stops on them.

const int kSaveSlotCount = 6;

// "save<slot>.sav".
std::string SaveSlotFileName(int slot);
// The slot a file name stands for: the decimal number after its first four
// characters ("save3.sav" gives 3); -1 for a name too short, without a
// number there or one outside 0 to 5.
int SaveSlotOfName(const std::string& fileName);

// Writes the profile to a file of "DATA\Saves", stamped with the local
// time, making the folder when it is missing. A failed write keeps the
// file that was there.
bool WriteSaveFile(const CPGameData& data, const std::string& fileName);

// Writes the profile to its slot. Without one, it takes the first free
// slot (missing or empty file) or, with all six taken, the one written
// longest ago by the time in its header, also for a save damaged after the
// header (a slot whose header does not read counts as the oldest; on equal
// times the lower slot), and keeps it for the saves that follow.
bool SaveGameToSlot(CPGameData& data);

// Reads a save into the game data: the profile name first (see
// ReadSaveProfile), then the slot from the file name and the rest. A save
// that is missing, empty or damaged anywhere changes nothing; the game log
// tells a missing or empty one from a damaged one.
bool LoadSaveFile(CPGameData& data, const std::string& fileName);

// Empties a file of "DATA\Saves": an empty slot is a free one.
bool DeleteSaveFile(const std::string& fileName);

// The profile name in each slot that LoadSaveFile would load; "" for a slot
// missing, empty or damaged anywhere.
std::vector<std::string> ListSaves();

// Makes profileName the profile. A name other than the one held starts the
// profile's progress again: no slot, race 1, no points, and every best run
// gone (time 0, record value 4, no car model, no samples).
void ReadSaveProfile(CPGameData& data, const std::string& profileName);

// Makes carKey the player's car key. The key is saved and read back as a
// file name, so one that could reach outside the game's folders is refused
// (logged with the operation that set it) and the old key stays.
bool SetPlayerCarKey(CPGameData& data, const std::string& carKey, const char* operation);

// Names the player's car and writes the profile to "save0.sav", unless that
// slot holds another profile's save, whole or damaged after its profile
// name, which is kept (logged); the profile's own slot is not changed. A
// save there whose profile name does not read is first kept beside it
// (KeepDamagedFile), and where it cannot be, nothing is written.
// A car name SetPlayerCarKey refuses writes nothing.
bool WriteNewPlayerSave(CPGameData& data, const std::string& playerName);
