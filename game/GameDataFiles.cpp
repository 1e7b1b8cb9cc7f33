#include "game/GameDataFiles.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"
#include "core/PTokenizer.h"
#include "core/ProblemLog.h"
#include "game/GameLog.h"
#include "game/TextFields.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

const char* const kDataFolder = "Data";
const char* const kEmptySlot = "none";
const char* const kSourcesLine = "sources";
const char* const kFieldSeparator = " ";
const char* const kListSeparator = ";";
const char* const kWeightSeparator = ",";
const char* const kInactive = "0";

// Lines of a checkpoint record: value, three numbers, enemies, bonus chance, bonuses.
const size_t kRecordFields = 7;
// Lines of a source: point, source, active, value, enemies.
const size_t kSourceFields = 5;

std::string ReadLineOrEmpty(CPTextReader& reader)
{
    std::string line;
    reader.ReadLine(line);
    return line;
}

std::string ReadItemKey(CPTextReader& reader)
{
    const std::string line = ReadLineOrEmpty(reader);
    return line == kEmptySlot ? std::string() : line;
}

// The number of a field, or the fallback when it is not finite.
float ReadFiniteNumber(const std::string& text, const std::string& path, const CPTextReader& reader,
                       float fallback)
{
    const float value = ParseDecimalFloat(text);
    if (std::isfinite(value)) return value;
    GetGameLog().Report("%s line %d: \"%s\" is not a finite number; %g is used", path.c_str(),
                        reader.GetLineNumber(), text.c_str(), fallback);
    return fallback;
}

void ReadCoefficient(CPTextReader& reader, const std::string& path, float& coefficient)
{
    std::string line;
    if (reader.ReadLine(line)) coefficient = ReadFiniteNumber(line, path, reader, coefficient);
}

EnemySourceRecord ParseMissionRecord(const std::vector<std::string>& fields, const std::string& path,
                                     const CPTextReader& reader)
{
    EnemySourceRecord record;
    record.value = ReadFiniteNumber(fields[0], path, reader, 0.0f);
    for (int i = 0; i < EnemySourceRecord::kWholeNumbers; ++i) {
        record.numbers[i] = ParseDecimalInt(fields[1 + i]);
    }
    record.enemyKinds = ParseWeightedList(fields[4]);
    record.bonusChance = ParseDecimalInt(fields[5]);
    record.bonusKinds = ParseWeightedList(fields[6]);
    return record;
}

const int32_t kSecondsPerMinute = 60;
const int32_t kHundredthsPerSecond = 100;

// The name as stored, all its bytes: ReadString would end it at a zero
// byte and so hide one.
bool ReadScoreName(CPDataFile& file, std::string& name)
{
    const int32_t length = file.ReadInt();
    if (length < 0) return false;
    const unsigned char* bytes = file.Take(static_cast<size_t>(length));
    if (!bytes) return false;
    name.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    return name.find('\0') == std::string::npos;
}

// A time and name as WriteScores leaves them: a name without a zero byte
// (the scripts hand over C strings) and a time split into minutes of 0 or
// more, seconds below a minute and hundredths below a second.
bool ReadScoreEntry(CPDataFile& file, ScoreEntry& entry)
{
    if (!ReadScoreName(file, entry.name)) return false;
    entry.minutes = file.ReadInt();
    entry.seconds = file.ReadInt();
    entry.hundredths = file.ReadInt();
    return !file.HasReadError() && entry.minutes >= 0 && entry.seconds >= 0 &&
           entry.seconds < kSecondsPerMinute && entry.hundredths >= 0 && entry.hundredths < kHundredthsPerSecond;
}

bool ReadScoreRecords(CPDataFile& file, size_t tableCount, size_t tableSize,
                      std::vector<std::vector<ScoreEntry>>& tables)
{
    int32_t lastIndex = 0;
    while (file.GetBytesLeft() > 0) {
        const int32_t index = file.ReadInt();
        ScoreEntry entry;
        if (!ReadScoreEntry(file, entry) || index < lastIndex || static_cast<size_t>(index) >= tableCount) return false;
        const size_t table = static_cast<size_t>(index);
        if (tables.size() <= table) tables.resize(table + 1);
        if (tables[table].size() >= tableSize) return false;
        tables[table].push_back(entry);
        lastIndex = index;
    }
    return true;
}

EnemySourcePoint ParseSourcePoint(const std::vector<std::string>& fields, const D3DXVECTOR3& at,
                                  const std::string& path, const CPTextReader& reader)
{
    EnemySourcePoint point;
    point.x = at.x;
    point.y = at.y;
    point.z = at.z;
    point.active = fields[2] != kInactive;
    point.value = ReadFiniteNumber(fields[3], path, reader, 0.0f);
    point.enemyKinds = ParseWeightedList(fields[4]);
    return point;
}

} // namespace

std::vector<WeightedName> ParseWeightedList(const std::string& text)
{
    std::vector<WeightedName> list;
    CPTokenizer items(text, kListSeparator, false);
    std::string item;
    int32_t sum = 0;
    while (items.NextToken(item)) {
        const std::vector<std::string> parts = SplitFields(item, kWeightSeparator, 2, false);
        WeightedName entry;
        entry.name = parts[0];
        entry.low = sum;
        const int weight = std::max(ParseDecimalInt(parts[1]), 0);
        sum = static_cast<int32_t>(std::min<long long>(INT_MAX, static_cast<long long>(sum) + weight));
        entry.high = sum;
        list.push_back(entry);
    }
    return list;
}

CarSettings ReadPlayerData(CPTextReader& reader)
{
    CarSettings settings;
    for (std::string& weapon : settings.weapons) weapon = ReadItemKey(reader);
    settings.mine = ReadItemKey(reader);
    settings.armor = ReadItemKey(reader);
    settings.bumper = ReadItemKey(reader);
    settings.engine = ReadItemKey(reader);
    settings.superWeapon = ReadItemKey(reader);
    settings.superWeaponCount = ParseDecimalInt(ReadLineOrEmpty(reader));
    for (std::string& item : settings.equipment) item = ReadItemKey(reader);
    return settings;
}

void ReadCoefficients(CPTextReader& reader, const std::string& path, float& coeffA, float& coeffB,
                      float& coeffC, float& coeffD)
{
    ReadCoefficient(reader, path, coeffA);
    ReadCoefficient(reader, path, coeffC);
    ReadCoefficient(reader, path, coeffB);
    ReadCoefficient(reader, path, coeffD);
}

std::vector<EnemySourceRecord> ReadMissionRecords(CPTextReader& reader, const std::string& path)
{
    std::vector<EnemySourceRecord> records;
    std::string line;
    while (reader.ReadLine(line) && line != kSourcesLine) {
        records.push_back(
            ParseMissionRecord(SplitFields(line, kFieldSeparator, kRecordFields, false), path, reader));
    }
    return records;
}

void ReadSourcePoints(CPTextReader& reader, const std::string& path,
                      const std::unordered_map<std::string, D3DXVECTOR3>& points,
                      std::unordered_map<std::string, std::vector<EnemySourcePoint>>& sources)
{
    std::string line;
    while (reader.ReadLine(line)) {
        const std::vector<std::string> fields = SplitFields(line, kFieldSeparator, kSourceFields, false);
        auto point = points.find(fields[0]);
        if (point == points.end()) continue;
        sources[fields[1]].push_back(ParseSourcePoint(fields, point->second, path, reader));
    }
}

void WriteScores(CPDataFileWriter& writer, const std::vector<std::vector<ScoreEntry>>& tables)
{
    for (size_t index = 0; index < tables.size(); ++index) {
        for (const ScoreEntry& entry : tables[index]) {
            writer.WriteInt(static_cast<int32_t>(index));
            writer.WriteString(entry.name);
            writer.WriteInt(entry.minutes);
            writer.WriteInt(entry.seconds);
            writer.WriteInt(entry.hundredths);
        }
    }
}

void MakeDataFolder()
{
    CreateDirectoryA(kDataFolder, nullptr);
}

bool ReadScores(CPDataFile& file, size_t tableCount, size_t tableSize, std::vector<std::vector<ScoreEntry>>& tables)
{
    tables.clear();
    return ReadScoreRecords(file, tableCount, tableSize, tables);
}
