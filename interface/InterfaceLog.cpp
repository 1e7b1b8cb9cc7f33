#include "interface/InterfaceLog.h"

#include "core/ProblemLog.h"

#include <cstdarg>

namespace {

ProblemLog& Log()
{
    static ProblemLog log("interface");
    return log;
}

} // namespace

void LogInterfaceProblem(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Log().ReportArguments(format, arguments);
    va_end(arguments);
}

const std::vector<std::string>& GetInterfaceLog()
{
    return Log().GetLines();
}

void ClearInterfaceLog()
{
    Log().Clear();
}
