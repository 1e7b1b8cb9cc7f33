#include "core/PTokenizer.h"

#include "core/StringUtils.h"

namespace {

const char kQuote = '"';
const char* const kSingleSpace = " ";

} // namespace

CPTokenizer::CPTokenizer(const std::string& text, const std::string& separator, bool quotes)
    : m_text(text), m_separator(separator), m_position(0), m_quotes(quotes)
{
    TrimString(m_text);
}

CPTokenizer::~CPTokenizer()
{
}

// Inside quotes, a quote followed by another one stands for one quote
// character; answers whether that was the case (and quoting goes on).
bool CPTokenizer::TakeDoubledQuote(std::string& token)
{
    if (m_position >= m_text.size() || m_text[m_position] != kQuote) return false;
    token += kQuote;
    ++m_position;
    return true;
}

// Characters that match the start of the separator are held back until the
// separator completes (and is dropped) or a character breaks the match (and
// they join the token). The breaking character is not matched against the
// separator's start again.
bool CPTokenizer::NextToken(std::string& token)
{
    token.clear();
    if (m_position >= m_text.size()) return false;

    bool quoting = false;
    size_t matched = 0;
    bool separated = false;
    auto releaseHeldBack = [&]() {
        token.append(m_separator, 0, matched);
        matched = 0;
    };
    while (m_position < m_text.size() && !separated) {
        const char c = m_text[m_position++];
        if (m_quotes && c == kQuote) {
            releaseHeldBack();
            quoting = !quoting || TakeDoubledQuote(token);
        } else if (quoting) {
            token += c;
        } else if (matched < m_separator.size() && c == m_separator[matched]) {
            separated = ++matched == m_separator.size();
        } else {
            releaseHeldBack();
            token += c;
        }
    }
    if (!separated) releaseHeldBack();

    if (token != kSingleSpace) TrimString(token);
    return true;
}
