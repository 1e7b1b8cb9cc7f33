#include "host/HostLog.h"

#include <windows.h>

namespace {

const size_t kKeptLines = 64;
const char* const kPrefix = "Hollowmere: ";

std::vector<std::string>& Lines()
{
    static std::vector<std::string> lines;
    return lines;
}

} // namespace

void LogHostLine(const std::string& line)
{
    std::vector<std::string>& lines = Lines();
    if (lines.size() >= kKeptLines) lines.erase(lines.begin());
    lines.push_back(line);
    OutputDebugStringA((kPrefix + line + "\n").c_str());
}

const std::vector<std::string>& GetHostLog()
{
    return Lines();
}

void ClearHostLog()
{
    Lines().clear();
}
