#include "script/GameLog.h"

#include <cstdio>

const char* const GameLog::kDefaultPath = "game.log";

namespace {

// A NUL byte is written as "\0": readers of a text file take a NUL for its
// end.
std::string WithNulsWritten(const std::string& line)
{
    std::string text;
    for (char c : line) {
        if (c == '\0') {
            text += "\\0";
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace

GameLog::GameLog(const std::string& path) : m_path(path) {}

void GameLog::Clear()
{
    if (FILE* file = std::fopen(m_path.c_str(), "wb")) std::fclose(file);
}

void GameLog::WriteLine(const std::string& line)
{
    FILE* file = std::fopen(m_path.c_str(), "ab");
    if (!file) return;
    const std::string text = WithNulsWritten(line);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
}
