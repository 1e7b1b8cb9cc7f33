#include "physics/PhysicsLog.h"

#include "core/ProblemLog.h"

namespace {

ProblemLog& Log()
{
    static ProblemLog log("physics");
    return log;
}

} // namespace

void LogPhysicsProblem(const char* text)
{
    Log().Report("%s", text);
}

const std::vector<std::string>& GetPhysicsLog()
{
    return Log().GetLines();
}

void ClearPhysicsLog()
{
    Log().Clear();
}
