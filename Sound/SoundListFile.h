#pragma once

#include "core/DataLines.h"

#include <string>
#include <vector>

// "Data\Sounds\sounds.txt": the named sounds that the game and its scripts
// play, one a line, fields separated by ",": the name, the wave file in
// "Data\Sounds" and the mode, 0 for a plain sound and 1 for a positioned
// one. A line of another length, with another mode, an empty name or file,
// a file that could lie outside the game's folders (".." in it, a drive, a
// leading "\" or "/") or a name met before is skipped and reported.
extern const char* const kSoundListFile;

struct SoundListEntry {
    std::string name;
    std::string file;
    int mode;
    int line; // where the reader found it
};

std::vector<SoundListEntry> ReadSoundListFile(const void* data, size_t size, std::vector<DataProblem>& problems);

std::string WriteSoundListFile(const std::vector<SoundListEntry>& sounds);
