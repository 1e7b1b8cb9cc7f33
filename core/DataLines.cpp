#include "core/DataLines.h"

#include "core/StringUtils.h"

#include <cerrno>
#include <cstdio>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

const char kFieldSeparator = ',';

bool IsBlank(const std::string& text)
{
    for (char c : text) {
        if (!IsWhiteSpaceChar(c)) return false;
    }
    return true;
}

} // namespace

std::vector<DataLine> SplitDataLines(const void* data, size_t size)
{
    std::vector<DataLine> lines;
    const char* bytes = static_cast<const char*>(data);
    int number = 1;
    const char* const last = bytes + size;
    const char* start = bytes;
    while (start != last) {
        const char* end = start;
        while (end != last && LineEndLength(end, last) == 0) ++end;
        std::string text(start, end);
        if (!IsBlank(text)) lines.push_back(DataLine{number, text});
        ++number;
        start = end + LineEndLength(end, last);
    }
    return lines;
}

std::vector<std::string> SplitCommaFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(kFieldSeparator, start);
        std::string field = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        fields.push_back(TrimString(field));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

bool ParseIntField(const std::string& field, int& value)
{
    if (field.empty() || field.find('\0') != std::string::npos) return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(field.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseFloatField(const std::string& field, float& value)
{
    if (field.empty() || field.find('\0') != std::string::npos) return false;
    char* end = nullptr;
    const double parsed = std::strtod(field.c_str(), &end);
    if (*end != '\0' || !std::isfinite(parsed) || std::fabs(parsed) > std::numeric_limits<float>::max()) {
        return false;
    }
    value = static_cast<float>(parsed);
    return true;
}

std::string FloatField(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
    return text;
}
