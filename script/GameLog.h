#pragma once

#include <string>

// The game's own log file: what scripts print, their errors and the lines
// of data files that were skipped, one line each, written at once so that
// nothing is lost when the game stops.
class GameLog {
public:
    static const char* const kDefaultPath;

    explicit GameLog(const std::string& path = kDefaultPath);

    // Empties the file; the game does this once at start.
    void Clear();
    // Appends the line; a NUL byte in it is written as "\0".
    void WriteLine(const std::string& line);

    const std::string& GetPath() const { return m_path; }

private:
    std::string m_path;
};
