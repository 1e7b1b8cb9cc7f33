#pragma once

#include <cstdarg>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Where a subsystem's readers report what they found wrong in a file. Each
// report is one line, kept in memory (the newest few) and handed to the
// debugger's output with the subsystem's name before it; nothing stops on it.
class ProblemLog {
public:
    // Takes each reported line, the subsystem's name before it, as the
    // debugger's output does.
    typedef std::function<void(const std::string& line)> Echo;

    explicit ProblemLog(const char* subsystem);

    // While an echo is set, it gets every line too: the game hands the
    // game's log file one. An empty echo ends that.
    void SetEcho(Echo echo) { m_echo = std::move(echo); }

    void Report(const char* format, ...);
    void ReportArguments(const char* format, va_list arguments);

    // The lines reported so far, oldest first, and a way to forget them.
    const std::vector<std::string>& GetLines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    std::string m_subsystem;
    std::vector<std::string> m_lines;
    Echo m_echo;
};
