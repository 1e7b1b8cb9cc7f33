#include "game/tests/GameFileFixtures.h"

#include "core/PDataFile.h"
#include "game/GameDataFiles.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// Files written by the tests may hold more tables, and longer ones, than
// the game keeps: the reader takes whatever the format can hold.
const size_t kAnyTableCount = 1000;
const size_t kAnyTableSize = 1000000;

std::string SlotText(const std::string& key)
{
    return key.empty() ? "none" : key;
}

std::string Number(float value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string ListText(const std::vector<WeightedName>& list)
{
    std::string text;
    for (const WeightedName& entry : list) {
        if (!text.empty()) text += ";";
        text += entry.name + "," + std::to_string(entry.high - entry.low);
    }
    return text;
}

template <class Item, class Describer>
std::string Joined(const std::vector<Item>& items, Describer describe)
{
    std::string text;
    for (const Item& item : items) {
        if (!text.empty()) text += " / ";
        text += describe(item);
    }
    return text;
}

} // namespace

std::string PlayerDataText(const CarSettings& settings)
{
    std::string text;
    for (const std::string& weapon : settings.weapons) text += SlotText(weapon) + "\r\n";
    text += SlotText(settings.mine) + "\r\n";
    text += SlotText(settings.armor) + "\r\n";
    text += SlotText(settings.bumper) + "\r\n";
    text += SlotText(settings.engine) + "\r\n";
    text += SlotText(settings.superWeapon) + "\r\n";
    text += std::to_string(settings.superWeaponCount) + "\r\n";
    for (const std::string& item : settings.equipment) text += SlotText(item) + "\r\n";
    return text;
}

std::string CoefficientsText(float coeffA, float coeffB, float coeffC, float coeffD)
{
    return Number(coeffA) + "\r\n" + Number(coeffC) + "\r\n" + Number(coeffB) + "\r\n" +
           Number(coeffD) + "\r\n";
}

std::string MissionText(const std::vector<EnemySourceRecord>& records,
                        const std::vector<MissionSourceLine>& sources, bool withSources)
{
    std::string text;
    for (const EnemySourceRecord& record : records) {
        text += Number(record.value) + " " + std::to_string(record.numbers[0]) + " " +
                std::to_string(record.numbers[1]) + " " + std::to_string(record.numbers[2]) + " " +
                ListText(record.enemyKinds) + " " + std::to_string(record.bonusChance) + " " +
                ListText(record.bonusKinds) + "\r\n";
    }
    if (!withSources) return text;
    text += "sources\r\n";
    for (const MissionSourceLine& line : sources) {
        text += line.point + " " + line.source + " " + line.active + " " + Number(line.value) + " " +
                ListText(line.enemyKinds) + "\r\n";
    }
    return text;
}

std::string ActionsText(const std::vector<BindingLine>& lines)
{
    std::string text;
    for (const BindingLine& line : lines) {
        text += line.action + ";" + line.caption + ";" + line.key + ";" +
                (line.byCode ? "true" : "false") + "\r\n";
    }
    return text;
}

bool ReadScoresFile(const std::string& path, std::vector<std::vector<ScoreEntry>>& tables)
{
    tables.clear();
    CPDataFile file(path, true);
    if (FAILED(file.Load())) return false;
    return ReadScores(file, kAnyTableCount, kAnyTableSize, tables);
}

std::string Describe(const CarSettings& settings)
{
    return settings.weapons[0] + "," + settings.weapons[1] + "," + settings.weapons[2] + "|" +
           settings.equipment[0] + "," + settings.equipment[1] + "|" + settings.bumper + "|" +
           settings.engine + "|" + settings.armor + "|" + settings.superWeapon + "*" +
           std::to_string(settings.superWeaponCount) + "|" + settings.mine;
}

std::string Describe(const std::vector<WeightedName>& list)
{
    std::string text;
    for (const WeightedName& entry : list) {
        if (!text.empty()) text += ";";
        text += entry.name + ":" + std::to_string(entry.low) + "-" + std::to_string(entry.high);
    }
    return text;
}

std::string Describe(const std::vector<EnemySourceRecord>& records)
{
    return Joined(records, [](const EnemySourceRecord& record) {
        return Number(record.value) + "|" + std::to_string(record.numbers[0]) + "," +
               std::to_string(record.numbers[1]) + "," + std::to_string(record.numbers[2]) + "|" +
               Describe(record.enemyKinds) + "|" + std::to_string(record.bonusChance) + "|" +
               Describe(record.bonusKinds);
    });
}

std::string Describe(const std::unordered_map<std::string, std::vector<EnemySourcePoint>>& sources)
{
    const std::map<std::string, std::vector<EnemySourcePoint>> ordered(sources.begin(), sources.end());
    std::string text;
    for (const auto& source : ordered) {
        for (const EnemySourcePoint& point : source.second) {
            if (!text.empty()) text += " / ";
            text += source.first + "=" + Number(point.x) + "," + Number(point.y) + "," +
                    Number(point.z) + "," + (point.active ? "on" : "off") + "," +
                    Number(point.value) + "," + Describe(point.enemyKinds);
        }
    }
    return text;
}

void WriteFixture(const std::string& path, const std::string& bytes)
{
    for (size_t slash = path.find('\\'); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
