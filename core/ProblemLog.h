#pragma once

#include <cstdarg>
#include <string>
#include <vector>

// Where a subsystem's readers report what they found wrong in a file. Each
// report is one line, kept in memory (the newest few) and handed to the
// debugger's output with the subsystem's name before it; nothing stops on it.
class ProblemLog {
public:
    explicit ProblemLog(const char* subsystem);

    void Report(const char* format, ...);
    void ReportArguments(const char* format, va_list arguments);

    // The lines reported so far, oldest first, and a way to forget them.
    const std::vector<std::string>& GetLines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    std::string m_subsystem;
    std::vector<std::string> m_lines;
};
