#pragma once

#include <cstdarg>
#include <string>
#include <vector>

// A subsystem's report of what it found wrong and went on without: each
// report is one line, kept in memory (the newest few) and handed to the
// debugger's output under the subsystem's prefix.
class ProblemLog {
public:
    explicit ProblemLog(const char* prefix) : m_prefix(prefix) {}

    // printf-style.
    void Report(const char* format, ...);
    void ReportList(const char* format, va_list arguments);
    // The lines reported so far, oldest first.
    const std::vector<std::string>& GetLines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    std::string m_prefix;
    std::vector<std::string> m_lines;
};
