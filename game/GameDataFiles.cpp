#include "game/GameDataFiles.h"

#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"
#include "core/PTokenizer.h"
#include "game/TextFields.h"

#include <algorithm>
#include <climits>

namespace {

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

void ReadCoefficient(CPTextReader& reader, float& coefficient)
{
    std::string line;
    if (reader.ReadLine(line)) coefficient = ParseDecimalFloat(line);
}

EnemySourceRecord ParseMissionRecord(const std::vector<std::string>& fields)
{
    EnemySourceRecord record;
    record.value = ParseDecimalFloat(fields[0]);
    for (int i = 0; i < EnemySourceRecord::kWholeNumbers; ++i) {
        record.numbers[i] = ParseDecimalInt(fields[1 + i]);
    }
    record.enemyKinds = ParseWeightedList(fields[4]);
    record.bonusChance = ParseDecimalInt(fields[5]);
    record.bonusKinds = ParseWeightedList(fields[6]);
    return record;
}

EnemySourcePoint ParseSourcePoint(const std::vector<std::string>& fields, const D3DXVECTOR3& at)
{
    EnemySourcePoint point;
    point.x = at.x;
    point.y = at.y;
    point.z = at.z;
    point.active = fields[2] != kInactive;
    point.value = ParseDecimalFloat(fields[3]);
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

void ReadCoefficients(CPTextReader& reader, float& coeffA, float& coeffB, float& coeffC,
                      float& coeffD)
{
    ReadCoefficient(reader, coeffA);
    ReadCoefficient(reader, coeffC);
    ReadCoefficient(reader, coeffB);
    ReadCoefficient(reader, coeffD);
}

std::vector<EnemySourceRecord> ReadMissionRecords(CPTextReader& reader)
{
    std::vector<EnemySourceRecord> records;
    std::string line;
    while (reader.ReadLine(line) && line != kSourcesLine) {
        records.push_back(ParseMissionRecord(SplitFields(line, kFieldSeparator, kRecordFields, false)));
    }
    return records;
}

void ReadSourcePoints(CPTextReader& reader,
                      const std::unordered_map<std::string, D3DXVECTOR3>& points,
                      std::unordered_map<std::string, std::vector<EnemySourcePoint>>& sources)
{
    std::string line;
    while (reader.ReadLine(line)) {
        const std::vector<std::string> fields = SplitFields(line, kFieldSeparator, kSourceFields, false);
        auto point = points.find(fields[0]);
        if (point == points.end()) continue;
        sources[fields[1]].push_back(ParseSourcePoint(fields, point->second));
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
