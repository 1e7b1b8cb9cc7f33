#include "core/ProblemLog.h"

#include <windows.h>

#include <cstdio>

namespace {

const size_t kKeptLines = 64;
const size_t kLineLength = 512;

} // namespace

ProblemLog::ProblemLog(const char* subsystem) : m_subsystem(subsystem)
{
}

void ProblemLog::Report(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    ReportArguments(format, arguments);
    va_end(arguments);
}

void ProblemLog::ReportArguments(const char* format, va_list arguments)
{
    char line[kLineLength];
    std::vsnprintf(line, sizeof(line), format, arguments);
    if (m_lines.size() >= kKeptLines) m_lines.erase(m_lines.begin());
    m_lines.push_back(line);
    const std::string told = m_subsystem + ": " + line;
    OutputDebugStringA((told + "\n").c_str());
    if (m_echo) m_echo(told);
}
