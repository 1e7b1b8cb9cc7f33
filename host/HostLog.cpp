#include "host/HostLog.h"

#include "core/ProblemLog.h"

namespace {

ProblemLog& Log()
{
    static ProblemLog log("Hollowmere");
    return log;
}

} // namespace

void LogHostLine(const std::string& line)
{
    Log().Report("%s", line.c_str());
}

const std::vector<std::string>& GetHostLog()
{
    return Log().GetLines();
}

void ClearHostLog()
{
    Log().Clear();
}
