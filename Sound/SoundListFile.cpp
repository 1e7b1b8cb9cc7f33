#include "Sound/SoundListFile.h"

#include "core/StringUtils.h"

#include <unordered_set>

const char* const kSoundListFile = "Data\\Sounds\\sounds.txt";

namespace {

const size_t kFieldCount = 3;
const int kPlainMode = 0;
const int kPositionedMode = 1;

bool IsMode(const std::string& field, int& mode)
{
    return ParseIntField(field, mode) && (mode == kPlainMode || mode == kPositionedMode);
}

} // namespace

std::vector<SoundListEntry> ReadSoundListFile(const void* data, size_t size, std::vector<DataProblem>& problems)
{
    std::vector<SoundListEntry> sounds;
    std::unordered_set<std::string> names;
    for (const DataLine& line : SplitDataLines(data, size)) {
        const std::vector<std::string> fields = SplitCommaFields(line.text);
        SoundListEntry entry = {std::string(), std::string(), kPlainMode, line.number};
        if (fields.size() != kFieldCount || fields[0].empty() || fields[1].empty() || !IsMode(fields[2], entry.mode)) {
            problems.push_back(DataProblem{line.number, "a sound needs a name, a wave file and a mode of 0 or 1"});
            continue;
        }
        if (!IsNameInsideFolder(fields[1])) {
            problems.push_back(DataProblem{line.number, "sound " + fields[0] + ": \"" + fields[1] +
                                                            "\" lies outside the game's folders"});
            continue;
        }
        if (!names.insert(fields[0]).second) {
            problems.push_back(DataProblem{line.number, "repeated sound " + fields[0]});
            continue;
        }
        entry.name = fields[0];
        entry.file = fields[1];
        sounds.push_back(entry);
    }
    return sounds;
}

std::string WriteSoundListFile(const std::vector<SoundListEntry>& sounds)
{
    std::string file;
    for (const SoundListEntry& sound : sounds) {
        file += sound.name + "," + sound.file + "," + std::to_string(sound.mode) + "\n";
    }
    return file;
}
