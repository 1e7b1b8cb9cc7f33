#pragma once

#include <string>
#include <vector>

// Every field of a screen, lens-flare or font file line, split at the
// separator (with double quotes keeping a field whole when quotes is set).
std::vector<std::string> SplitTokens(const std::string& text, const char* separator, bool quotes = true);
