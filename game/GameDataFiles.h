#pragma once

#include "game/CarSettings.h"
#include "game/GameDataRecords.h"

#include <d3dx9math.h>

#include <string>
#include <unordered_map>
#include <vector>

class CPDataFile;
class CPDataFileWriter;
class CPTextReader;

// Readers of the game's text files and the writer of its score file. Every
// reader takes what a file holds and fills what it lacks with empty keys,
// empty lists and zeros, so a short or damaged file never stops the game.

// A list of "name,weight" items separated by ";", as ranges of the rolls
// 0 to 99 in list order. A negative weight counts as 0.
std::vector<WeightedName> ParseWeightedList(const std::string& text);

// "DATA\player.dat": one item key per line ("none" for an empty slot), the
// super-weapon count on line 9.
CarSettings ReadPlayerData(CPTextReader& reader);

// Numbers that are not finite ("nan", "inf", or beyond a float's range) are
// refused: each is reported to the game log with the file's path and line.

// "DATA\coeff.dat": the four coefficients, stored as a, c, b, d. A line the
// file lacks, or one not finite, keeps its coefficient.
void ReadCoefficients(CPTextReader& reader, const std::string& path, float& coeffA, float& coeffB,
                      float& coeffC, float& coeffD);

// A mission's checkpoint lines, read up to the line "sources" or the end.
// A value that is not finite reads as 0.
std::vector<EnemySourceRecord> ReadMissionRecords(CPTextReader& reader, const std::string& path);

// A mission's source lines after "sources", each placed at the named point.
// A line whose point is not among the points is skipped; a value that is
// not finite reads as 0.
void ReadSourcePoints(CPTextReader& reader, const std::string& path,
                      const std::unordered_map<std::string, D3DXVECTOR3>& points,
                      std::unordered_map<std::string, std::vector<EnemySourcePoint>>& sources);

// "Data\scores.dat": every entry of every table, tables in order, each as
// its table index, name, minutes, seconds and hundredths.
void WriteScores(CPDataFileWriter& writer, const std::vector<std::vector<ScoreEntry>>& tables);

// Makes the "Data" folder that the game writes its scores and saves into,
// when it is missing: a game whose data is only in a pack archive has none.
void MakeDataFolder();

// The score tables back from a loaded "Data\scores.dat", records up to the
// file's end. The file holds what WriteScores can leave and nothing else:
// false, with the tables of the whole records before the damage, when a
// record is cut short, a name's length is negative or beyond the bytes left,
// a name holds a zero byte, minutes are negative, seconds are outside 0 to
// 59 or hundredths outside 0 to 99, a table index is outside the first
// tableCount or below the one before, or a table holds more than tableSize
// entries.
bool ReadScores(CPDataFile& file, size_t tableCount, size_t tableSize, std::vector<std::vector<ScoreEntry>>& tables);
