#include "core/PTextReader.h"

#include "core/StringUtils.h"

#include <algorithm>

namespace {

const char kLineFeed = '\n';
const char kCarriageReturn = '\r';
const char kLineEnd = '\0';
const char kSectionOpen = '[';
const char kSectionClose = ']';

bool Contains(const std::string& line, const char* text)
{
    return line.find(text) != std::string::npos;
}

// Removes the brackets of a section line; answers whether it was one.
bool StripSectionBrackets(std::string& line)
{
    if (line.size() < 2 || line.front() != kSectionOpen || line.back() != kSectionClose) return false;
    line = line.substr(1, line.size() - 2);
    return true;
}

} // namespace

CPTextReader::CPTextReader(const void* data, size_t size)
    : m_data(static_cast<const char*>(data)), m_size(size), m_position(0), m_lineCount(0), m_lineNumber(0),
      m_inBlockComment(false), m_plainLine(false)
{
}

CPTextReader::~CPTextReader()
{
}

// A line left empty (blank, a comment, or a section line without a name)
// is passed over: only the end of the text ends the reading.
bool CPTextReader::ReadLine(std::string& line)
{
    do {
        ReadPhysicalLine(line);
        DropComments(line);
        TrimString(line);
        m_plainLine = !StripSectionBrackets(line);
    } while (line.empty() && m_position < m_size);
    return !line.empty();
}

// A line feed, a carriage return alone, or the pair of them ends a line
// and is counted once; a zero byte ends one uncounted. A carriage return
// alone must end a line: a file saved with such line ends would otherwise
// read as one line, and a bindings file written back from it keeps only
// its first binding.
void CPTextReader::ReadPhysicalLine(std::string& line)
{
    m_lineNumber = m_lineCount + 1;
    const char* start = m_data + m_position;
    const char* end = m_data + m_size;
    const char* stop = std::find_if(
        start, end, [](char c) { return c == kLineFeed || c == kCarriageReturn || c == kLineEnd; });
    line.assign(start, stop);
    m_position = static_cast<size_t>(stop - m_data);
    if (stop == end) return;
    if (*stop == kLineEnd) {
        ++m_position;
        return;
    }
    m_position += LineEndLength(stop, end);
    ++m_lineCount;
}

// Comments drop whole lines: a line holding "//" anywhere, and every line
// from one holding "/*" through the next one holding "*/".
void CPTextReader::DropComments(std::string& line)
{
    if (Contains(line, "//")) line.clear();
    if (Contains(line, "/*")) m_inBlockComment = true;
    if (Contains(line, "*/")) {
        m_inBlockComment = false;
        line.clear();
    }
    if (m_inBlockComment) line.clear();
}
