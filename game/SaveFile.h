#pragma once

#include "game/GameDataRecords.h"

#include <windows.h>

#include <cstdint>
#include <string>

class CPDataFile;
class CPDataFileWriter;

// The start of a save: whose profile it is, the player's car and when it
// was written.
struct SaveHeader {
    SaveHeader() : savedAt() {}

    std::string profileName;
    std::string carKey;
    SYSTEMTIME savedAt;
};

// Everything a save slot holds, apart from the game data it is copied
// from and into.
struct SaveRecord {
    static const int kLevelCount = 10;

    SaveRecord() : racesPassed(0), points(0) {}

    SaveHeader header;
    int32_t racesPassed;
    int32_t points;
    // The best run of level k + 1 at index k.
    BestTimeRecord bestTimes[kLevelCount];
};

// A save file: little-endian, without header or padding; strings as a
// 32-bit length and their bytes. The header's two strings and its time as
// the eight 16-bit fields of SYSTEMTIME, races passed, points, then per
// level its best time, record value and sample count, and only when the
// count is above 0 the car model and the samples, 32 bytes each.
void WriteSaveRecord(CPDataFileWriter& writer, const SaveRecord& record);

// Reads a whole save from the start of a loaded or opened file into
// record; false, with record left as it was, when any field is cut, a
// length is negative, a count promises more samples than the bytes left,
// the car key or a best run's car model could name a file outside the
// game's folders, or a best time is not a finite number of 0 or more: all
// that is checked before record is touched. The ghost samples are checked
// as they are read into record, each a finite place and rotation at a
// finite race time of 0 or more: a save refused for them, like a read that
// fails after the check (the disk failing), leaves record no use. A level
// stored with no samples reads with no car model either. The samples go into
// the record's own vectors, which keep their memory when it is large enough.
bool ReadSaveRecord(CPDataFile& file, SaveRecord& record);

// Reads the header of a save alone from the start of a loaded or opened
// file: true when the profile name, the car key and the time read, whatever
// follows them.
bool ReadSaveHeader(CPDataFile& file, SaveHeader& header);

// Reads the first field of a save alone, its profile name, from the start
// of a loaded or opened file: true when it reads, whatever follows it.
bool ReadSaveProfileName(CPDataFile& file, std::string& profileName);

// Reads only the header of a save from the start of a loaded or opened
// file, but only when the whole save would read with ReadSaveRecord: every
// field after it is checked the same way, the samples where they lie,
// without being kept.
bool ReadWholeSaveHeader(CPDataFile& file, SaveHeader& header);
