#pragma once

#include "core/DataLines.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// "Data\Texts.txt": the localised texts, one a line: the key, a tab, then
// the text byte for byte to the end of the line. A line without a tab or
// with an empty key is skipped and reported, and so is a key met again:
// the first text of a key stays.
extern const char* const kTextsFile;

void ReadTextsFile(const void* data, size_t size, std::unordered_map<std::string, std::string>& texts,
                   std::vector<DataProblem>& problems);

// The texts in the given order, in the reader's form. A text cannot hold a
// line feed or a carriage return: either ends its line.
std::string WriteTextsFile(const std::vector<std::pair<std::string, std::string>>& texts);
