#include "game/TextFields.h"

#include "core/PTokenizer.h"
#include "core/StringUtils.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

std::vector<std::string> SplitFields(const std::string& line, const char* separator, size_t count,
                                     bool quotes)
{
    std::vector<std::string> fields;
    CPTokenizer tokenizer(line, separator, quotes);
    std::string field;
    while (fields.size() < count && tokenizer.NextToken(field)) fields.push_back(field);
    fields.resize(count);
    return fields;
}

namespace {

const char kQuote = '"';

bool NeedsQuotes(const std::string& field, const char* separator)
{
    if (field.empty()) return false;
    return field.find(separator) != std::string::npos || field.find(kQuote) != std::string::npos ||
           IsWhiteSpaceChar(static_cast<unsigned char>(field.front())) ||
           IsWhiteSpaceChar(static_cast<unsigned char>(field.back()));
}

} // namespace

std::string QuoteField(const std::string& field, const char* separator)
{
    if (!NeedsQuotes(field, separator)) return field;
    std::string quoted(1, kQuote);
    for (char c : field) {
        if (c == kQuote) quoted += kQuote;
        quoted += c;
    }
    quoted += kQuote;
    return quoted;
}

int ParseDecimalInt(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::max<long>(INT_MIN, std::min<long>(INT_MAX, value)));
}

float ParseDecimalFloat(const std::string& text)
{
    return std::strtof(text.c_str(), nullptr);
}
