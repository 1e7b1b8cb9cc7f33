#pragma once

#include "core/DataLines.h"

#include <string>
#include <vector>

class CPGameData;

// "Data\Items.txt": the shop's seven catalogues. A section line names the
// catalogue ("[weapons]", "[mines]", "[superweapons]", "[bumpers]",
// "[equipment]", "[armor]", "[engines]"); each line under it is one item,
// its fields in the record's order separated by ",": key, price, the
// kind's numbers, description key, info number, the two spare words and
// the required race. A line of the wrong length, with a field that is no
// number where one belongs, outside a known section, or with a key the
// catalogue already has, is skipped and reported; the first item of a key
// stays.
extern const char* const kItemsFile;

void ReadItemsFile(const void* data, size_t size, CPGameData& gameData, std::vector<DataProblem>& problems);

// Every catalogue of the game data, in the reader's form.
std::string WriteItemsFile(const CPGameData& gameData);
