#pragma once

#include "core/DataLines.h"

#include <string>
#include <unordered_map>
#include <vector>

// What the scripts look up about an enemy kind: two numbers and three texts.
// A new entry has empty texts and its numbers are whatever it is given.
struct EnemyDataEntry {
    float first;
    float second;
    std::string firstText;
    std::string secondText;
    std::string thirdText;
};

typedef std::unordered_map<std::string, EnemyDataEntry> EnemyDataMap;

// The enemy data of the game, filled by the host at start-up.
extern EnemyDataMap g_enemyData;

// "Data\Enemies.txt": one enemy kind a line, its fields separated by ",":
// kind, first number, second number, first, second and third text; the
// first text names the kind's description in "Data\Meshes". A line of
// another length, with a number that is none, an empty kind, a description
// outside the game's folders (IsNameInsideFolder) or a kind met before is
// skipped and reported; the first entry of a kind stays.
extern const char* const kEnemiesFile;

void ReadEnemiesFile(const void* data, size_t size, EnemyDataMap& enemies, std::vector<DataProblem>& problems);

struct NamedEnemyData {
    std::string kind;
    EnemyDataEntry entry;
};

// The entries in the given order, in the reader's form; texts cannot hold
// a "," or a line feed.
std::string WriteEnemiesFile(const std::vector<NamedEnemyData>& enemies);
