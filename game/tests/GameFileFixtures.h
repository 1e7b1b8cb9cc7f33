#pragma once

#include "game/CarSettings.h"
#include "game/GameDataRecords.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// Writers of the game's text files from records, so every test builds its
// own fixture, and a reader of the score file the game writes.

// "DATA\player.dat": empty slots written as "none".
std::string PlayerDataText(const CarSettings& settings);

// "DATA\coeff.dat": the coefficients in the file's order a, c, b, d.
std::string CoefficientsText(float coeffA, float coeffB, float coeffC, float coeffD);

// One source line of a mission file.
struct MissionSourceLine {
    std::string point;
    std::string source;
    std::string active;
    float value;
    std::vector<WeightedName> enemyKinds;
};

// A mission file: the checkpoint lines, then "sources" and the source lines
// when withSources is set.
std::string MissionText(const std::vector<EnemySourceRecord>& records,
                        const std::vector<MissionSourceLine>& sources, bool withSources);

// One line of "Actions.cfg".
struct BindingLine {
    std::string action;
    std::string caption;
    std::string key;
    bool byCode;
};
std::string ActionsText(const std::vector<BindingLine>& lines);

// The tables of a score file in the order they were written, through the
// game's own reader without its table limits; false when the file is
// missing or damaged.
bool ReadScoresFile(const std::string& path, std::vector<std::vector<ScoreEntry>>& tables);

// Records as short texts, so a test compares a whole result at once:
// "w1,w2,w3|e1,e2|bumper|engine|armor|super*count|mine".
std::string Describe(const CarSettings& settings);
// "name:low-high;..."
std::string Describe(const std::vector<WeightedName>& list);
// "value|n1,n2,n3|enemies|chance|bonuses", records joined by " / ".
std::string Describe(const std::vector<EnemySourceRecord>& records);
// "source=x,y,z,active,value,enemies", sources in name order, points in
// file order, joined by " / ".
std::string Describe(const std::unordered_map<std::string, std::vector<EnemySourcePoint>>& sources);

// The whole literal, NUL bytes included.
template <size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

// Writes bytes to a file, making its folder first when the path has one.
void WriteFixture(const std::string& path, const std::string& bytes);
