#include "interface/InterfaceLog.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace {

const size_t kKeptLines = 64;
const size_t kLineLength = 512;

std::vector<std::string>& Lines()
{
    static std::vector<std::string> lines;
    return lines;
}

} // namespace

void LogInterfaceProblem(const char* format, ...)
{
    char line[kLineLength];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof(line), format, arguments);
    va_end(arguments);

    std::vector<std::string>& lines = Lines();
    if (lines.size() >= kKeptLines) lines.erase(lines.begin());
    lines.push_back(line);
    OutputDebugStringA((std::string("interface: ") + line + "\n").c_str());
}

const std::vector<std::string>& GetInterfaceLog()
{
    return Lines();
}

void ClearInterfaceLog()
{
    Lines().clear();
}
