#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Field splitting and number reading shared by the game's text files.

// The fields of a line split at the separator, exactly count of them:
// fields the line lacks are empty, fields beyond the count are dropped.
std::vector<std::string> SplitFields(const std::string& line, const char* separator, size_t count,
                                     bool quotes);

// A field as it must be written between separators for SplitFields with
// quotes to read it back: in quotes, its own quotes doubled, when it holds
// the separator, a quote or white space at either end; as it is otherwise.
std::string QuoteField(const std::string& field, const char* separator);

// The leading decimal number of a text; 0 when it starts with none.
// Integers beyond 32 bits saturate.
int ParseDecimalInt(const std::string& text);
float ParseDecimalFloat(const std::string& text);
