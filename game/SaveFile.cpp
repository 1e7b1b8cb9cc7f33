#include "game/SaveFile.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/StringUtils.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

const size_t kSampleBytes = 32;
const size_t kTimeFields = 8;
const size_t kFieldBytes = 4;
// Best time, record value and sample count.
const size_t kBestTimeFieldBytes = 3 * kFieldBytes;

// Samples move to and from the file as whole blocks: the file's layout is
// the record's own on a little-endian machine.
static_assert(sizeof(GhostSample) == kSampleBytes, "a ghost sample is eight packed floats");
static_assert(sizeof(SYSTEMTIME) == kTimeFields * sizeof(WORD), "the time is eight 16-bit fields");

void WriteFloat(CPDataFileWriter& writer, float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    writer.WriteInt(bits);
}

void WriteTime(CPDataFileWriter& writer, const SYSTEMTIME& time)
{
    const WORD fields[kTimeFields] = {time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                                      time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
    for (WORD field : fields) {
        const unsigned char bytes[2] = {static_cast<unsigned char>(field), static_cast<unsigned char>(field >> 8)};
        writer.Write(bytes, sizeof(bytes));
    }
}

size_t StringBytes(const std::string& text)
{
    return kFieldBytes + text.size();
}

// The bytes WriteSaveRecord writes for the record, so the writer can take
// them in one block.
size_t StoredSize(const SaveRecord& record)
{
    size_t size = StringBytes(record.header.profileName) + StringBytes(record.header.carKey) + sizeof(SYSTEMTIME) +
                  2 * kFieldBytes;
    for (const BestTimeRecord& bestTime : record.bestTimes) {
        size += kBestTimeFieldBytes;
        if (bestTime.ghostSamples.empty()) continue;
        size += StringBytes(bestTime.carModel) + bestTime.ghostSamples.size() * kSampleBytes;
    }
    return size;
}

void WriteBestTime(CPDataFileWriter& writer, const BestTimeRecord& record)
{
    WriteFloat(writer, record.bestTime);
    writer.WriteInt(record.recordValue);
    const size_t count = record.ghostSamples.size();
    writer.WriteInt(static_cast<int32_t>(count));
    if (count == 0) return;
    writer.WriteString(record.carModel);
    writer.Write(record.ghostSamples.data(), count * kSampleBytes);
}

void ReadTime(CPDataFile& file, SYSTEMTIME& time)
{
    unsigned char bytes[kTimeFields * 2];
    file.Read(bytes, sizeof(bytes));
    WORD fields[kTimeFields];
    for (size_t i = 0; i < kTimeFields; ++i) fields[i] = static_cast<WORD>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    time.wYear = fields[0];
    time.wMonth = fields[1];
    time.wDayOfWeek = fields[2];
    time.wDay = fields[3];
    time.wHour = fields[4];
    time.wMinute = fields[5];
    time.wSecond = fields[6];
    time.wMilliseconds = fields[7];
}

// A time the race rules keep: a finite number of seconds, 0 or more.
bool IsRaceTime(float seconds)
{
    return std::isfinite(seconds) && seconds >= 0.0f;
}

// A sample the race rules take of a car: a finite place and rotation at a
// race time.
bool IsSoundSample(const GhostSample& sample)
{
    const float places[] = {sample.x,         sample.y,         sample.z,         sample.rotationX,
                            sample.rotationY, sample.rotationZ, sample.rotationW};
    return std::all_of(std::begin(places), std::end(places), [](float value) { return std::isfinite(value); }) &&
           IsRaceTime(sample.time);
}

// Samples where they lie in the file's bytes, which need not be aligned.
bool AreSoundSampleBytes(const unsigned char* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        GhostSample sample;
        std::memcpy(&sample, bytes + i * kSampleBytes, kSampleBytes);
        if (!IsSoundSample(sample)) return false;
    }
    return true;
}

// Whether a read keeps the samples it passes (checked once they are in the
// record), checks them where they lie, or only steps over them.
enum class Samples { Copy, Check, Skip };

// The count is checked against the bytes left before anything is sized by
// it, by division, so no count can overflow the product.
bool ReadBestTime(CPDataFile& file, BestTimeRecord& record, Samples samples)
{
    record.bestTime = file.ReadFloat();
    record.recordValue = file.ReadInt();
    const int32_t count = file.ReadInt();
    record.carModel.clear();
    if (file.HasReadError() || count < 0 || !IsRaceTime(record.bestTime)) return false;
    if (count == 0) {
        record.ghostSamples.clear();
        return true;
    }
    file.ReadString(record.carModel);
    if (file.HasReadError() || !IsNameInsideFolder(record.carModel)) return false;
    if (static_cast<size_t>(count) > file.GetBytesLeft() / kSampleBytes) return false;
    const size_t bytes = static_cast<size_t>(count) * kSampleBytes;
    if (samples == Samples::Skip) return file.Skip(bytes);
    if (samples == Samples::Check) {
        const unsigned char* taken = file.Take(bytes);
        return taken && AreSoundSampleBytes(taken, static_cast<size_t>(count));
    }
    // The samples already there are overwritten in place, so only those
    // beyond them are zeroed first, and memory is taken only when the
    // vector's own is too small.
    record.ghostSamples.resize(static_cast<size_t>(count));
    return SUCCEEDED(file.Read(record.ghostSamples.data(), bytes)) &&
           std::all_of(record.ghostSamples.begin(), record.ghostSamples.end(), IsSoundSample);
}

bool ReadHeaderFields(CPDataFile& file, SaveHeader& header)
{
    file.ReadString(header.profileName);
    file.ReadString(header.carKey);
    ReadTime(file, header.savedAt);
    return !file.HasReadError();
}

// The car key and the best runs' models name the descriptions that the
// player's car and the ghost are built from.
bool ReadSave(CPDataFile& file, SaveRecord& record, Samples samples)
{
    if (!ReadHeaderFields(file, record.header) || !IsNameInsideFolder(record.header.carKey)) return false;
    record.racesPassed = file.ReadInt();
    record.points = file.ReadInt();
    if (file.HasReadError()) return false;
    for (BestTimeRecord& bestTime : record.bestTimes) {
        if (!ReadBestTime(file, bestTime, samples)) return false;
    }
    return true;
}

} // namespace

void WriteSaveRecord(CPDataFileWriter& writer, const SaveRecord& record)
{
    writer.Reserve(StoredSize(record));
    writer.WriteString(record.header.profileName);
    writer.WriteString(record.header.carKey);
    WriteTime(writer, record.header.savedAt);
    writer.WriteInt(record.racesPassed);
    writer.WriteInt(record.points);
    for (const BestTimeRecord& bestTime : record.bestTimes) WriteBestTime(writer, bestTime);
}

// The samples are read once, into the record, and checked there.
bool ReadSaveRecord(CPDataFile& file, SaveRecord& record)
{
    SaveRecord checked;
    file.Rewind();
    if (!ReadSave(file, checked, Samples::Skip)) return false;
    file.Rewind();
    return ReadSave(file, record, Samples::Copy);
}

bool ReadWholeSaveHeader(CPDataFile& file, SaveHeader& header)
{
    SaveRecord record;
    file.Rewind();
    if (!ReadSave(file, record, Samples::Check)) return false;
    header = std::move(record.header);
    return true;
}

bool ReadSaveHeader(CPDataFile& file, SaveHeader& header)
{
    file.Rewind();
    return ReadHeaderFields(file, header);
}

bool ReadSaveProfileName(CPDataFile& file, std::string& profileName)
{
    file.Rewind();
    file.ReadString(profileName);
    return !file.HasReadError();
}
