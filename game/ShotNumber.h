#pragma once

#include <string>

// Reads a whole text as a finite decimal number; false, leaving value
// alone, for an empty text, trailing characters, infinity or NaN.
bool ReadShotNumber(const std::string& text, float& value);
