#pragma once

#include <cstddef>
#include <string>

// Walks a text data file held in memory line by line, skipping comments and
// blank lines, and tells section lines ("[name]") from ordinary ones. The
// bytes are not copied: whoever holds them must outlive the reader.
class CPTextReader {
public:
    CPTextReader(const void* data, size_t size);
    virtual ~CPTextReader();

    // The next non-empty line, trimmed, with a section's brackets removed.
    // False, with an empty line, at the end of the text.
    bool ReadLine(std::string& line);
    // False when the last line read was a section line.
    bool IsPlainLine() const { return m_plainLine; }
    // Line ends passed so far (LF, CR LF or CR alone).
    int GetLineCount() const { return m_lineCount; }
    // The number, from 1, of the line in the text that the last line read
    // came from, for reports about it.
    int GetLineNumber() const { return m_lineNumber; }

private:
    void ReadPhysicalLine(std::string& line);
    void DropComments(std::string& line);

    const char* m_data;
    size_t m_size;
    size_t m_position;
    int m_lineCount;
    int m_lineNumber;
    bool m_inBlockComment;
    bool m_plainLine;
};
