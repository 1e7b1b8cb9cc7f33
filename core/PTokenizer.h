#pragma once

#include <cstddef>
#include <string>

// Splits one string into fields at a separator of any length. With quoting
// on, text in double quotes stays together and a doubled quote inside
// stands for one quote character.
class CPTokenizer {
public:
    CPTokenizer(const std::string& text, const std::string& separator, bool quotes);
    virtual ~CPTokenizer();

    // The next field, trimmed (a field of exactly one space is kept as it
    // is); fields may be empty. False when the text is used up: a separator
    // at the very end gives no empty last field.
    bool NextToken(std::string& token);

private:
    bool TakeDoubledQuote(std::string& token);

    std::string m_text;
    std::string m_separator;
    size_t m_position;
    bool m_quotes;
};
