#include "script/GameLog.h"

#include <cstdio>

const char* const GameLog::kDefaultPath = "game.log";

GameLog::GameLog(const std::string& path) : m_path(path) {}

void GameLog::Clear()
{
    if (FILE* file = std::fopen(m_path.c_str(), "wb")) std::fclose(file);
}

void GameLog::WriteLine(const std::string& line)
{
    FILE* file = std::fopen(m_path.c_str(), "ab");
    if (!file) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
}
