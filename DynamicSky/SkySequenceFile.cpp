#include "DynamicSky/SkySequenceFile.h"

#include "DynamicSky/SkyTextFile.h"

namespace {

const size_t kLinesPerEntry = 15;
// The sky draws the next phase with rand(), whose values run from 0 to
// 32767: a phase past those could never be drawn.
const int kMaxEntries = 32768;

SkySequenceEntry ReadEntry(SkyTextFile& file)
{
    SkySequenceEntry entry;
    entry.fadeTime = file.ReadReal();
    entry.meanLength = file.ReadReal();
    entry.variation = file.ReadReal();
    entry.cloudGroup = file.ReadName();
    entry.value1 = file.ReadInt();
    entry.value2 = file.ReadInt();
    entry.value3 = file.ReadReal();
    entry.value4 = file.ReadReal();
    entry.value5 = file.ReadInt();
    entry.value6 = file.ReadReal();
    entry.value7 = file.ReadInt();
    entry.value8 = file.ReadInt();
    entry.value9 = file.ReadInt();
    entry.probability = file.ReadReal();
    entry.value10 = file.ReadInt();
    return entry;
}

} // namespace

bool ReadSkySequenceFile(const std::string& path, std::vector<SkySequenceEntry>& entries)
{
    entries.clear();
    SkyTextFile file;
    if (!file.Open(path)) return false;
    const int count = file.ReadInt();
    if (count > kMaxEntries) {
        file.Refuse(std::to_string(count) + " phases, more than " + std::to_string(kMaxEntries));
        return false;
    }
    if (!file.CheckCount(count, kLinesPerEntry, "entry")) return false;
    for (int index = 0; index < count; ++index) entries.push_back(ReadEntry(file));
    return !file.Failed();
}

HRESULT WriteSkySequenceFile(const std::string& path, const std::vector<SkySequenceEntry>& entries)
{
    using Out = SkyTextFile;
    std::string text;
    Out::AppendLine(text, "entries", {std::to_string(entries.size())});
    for (const SkySequenceEntry& entry : entries) {
        Out::AppendLine(text, "fade_time", {Out::Real(entry.fadeTime)});
        Out::AppendLine(text, "mean_length", {Out::Real(entry.meanLength)});
        Out::AppendLine(text, "variation", {Out::Real(entry.variation)});
        Out::AppendLine(text, "cloud_group", {Out::Name(entry.cloudGroup)});
        Out::AppendLine(text, "value1", {std::to_string(entry.value1)});
        Out::AppendLine(text, "value2", {std::to_string(entry.value2)});
        Out::AppendLine(text, "value3", {Out::Real(entry.value3)});
        Out::AppendLine(text, "value4", {Out::Real(entry.value4)});
        Out::AppendLine(text, "value5", {std::to_string(entry.value5)});
        Out::AppendLine(text, "value6", {Out::Real(entry.value6)});
        Out::AppendLine(text, "value7", {std::to_string(entry.value7)});
        Out::AppendLine(text, "value8", {std::to_string(entry.value8)});
        Out::AppendLine(text, "grey", {std::to_string(entry.value9)});
        Out::AppendLine(text, "probability", {Out::Real(entry.probability)});
        Out::AppendLine(text, "value10", {std::to_string(entry.value10)});
    }
    return Out::Save(path, text);
}
