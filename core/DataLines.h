#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The plain text lists the game reads at start-up (items, texts, enemies,
// sounds, script receivers) share their line handling: lines end as the
// text reader ends them, at a line feed, a carriage return alone or the pair
// of them, and every other byte, NULs included, belongs to the line. Readers report the lines they skip
// instead of stopping.

struct DataLine {
    int number; // from 1
    std::string text;
};

// One line a reader could not use and why.
struct DataProblem {
    int line;
    std::string what;
};

// The file's lines that hold more than blanks, with their numbers.
std::vector<DataLine> SplitDataLines(const void* data, size_t size);

// The line's fields at every ",", each trimmed of blanks.
std::vector<std::string> SplitCommaFields(const std::string& line);

// A whole field as a number: false for an empty field, trailing text, a
// value out of range or one that is not finite.
bool ParseIntField(const std::string& field, int& value);
bool ParseFloatField(const std::string& field, float& value);

// A float as a field that reads back to the same value.
std::string FloatField(float value);
