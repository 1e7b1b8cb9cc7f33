#include "game/EnemyData.h"

#include "core/StringUtils.h"

EnemyDataMap g_enemyData;

const char* const kEnemiesFile = "Data\\Enemies.txt";

namespace {

const size_t kFieldCount = 6;

} // namespace

void ReadEnemiesFile(const void* data, size_t size, EnemyDataMap& enemies, std::vector<DataProblem>& problems)
{
    for (const DataLine& line : SplitDataLines(data, size)) {
        const std::vector<std::string> fields = SplitCommaFields(line.text);
        EnemyDataEntry entry = {0.0f, 0.0f, std::string(), std::string(), std::string()};
        if (fields.size() != kFieldCount || fields[0].empty() || !ParseFloatField(fields[1], entry.first) ||
            !ParseFloatField(fields[2], entry.second)) {
            problems.push_back(DataProblem{line.number, "an enemy needs a kind, two numbers and three texts"});
            continue;
        }
        if (!IsNameInsideFolder(fields[3])) {
            problems.push_back(DataProblem{line.number, "enemy " + fields[0] + ": \"" + fields[3] +
                                                            "\" lies outside the game's folders"});
            continue;
        }
        entry.firstText = fields[3];
        entry.secondText = fields[4];
        entry.thirdText = fields[5];
        if (!enemies.emplace(fields[0], entry).second) {
            problems.push_back(DataProblem{line.number, "repeated enemy " + fields[0]});
        }
    }
}

std::string WriteEnemiesFile(const std::vector<NamedEnemyData>& enemies)
{
    std::string file;
    for (const NamedEnemyData& enemy : enemies) {
        const EnemyDataEntry& entry = enemy.entry;
        file += enemy.kind + "," + FloatField(entry.first) + "," + FloatField(entry.second) + "," + entry.firstText +
                "," + entry.secondText + "," + entry.thirdText + "\n";
    }
    return file;
}
