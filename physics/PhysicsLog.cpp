#include "physics/PhysicsLog.h"

#include <windows.h>

namespace {

const size_t kKeptReports = 64;

std::vector<std::string>& Reports()
{
    static std::vector<std::string> reports;
    return reports;
}

} // namespace

void LogPhysicsProblem(const char* text)
{
    std::vector<std::string>& reports = Reports();
    if (reports.size() >= kKeptReports) reports.erase(reports.begin());
    reports.push_back(text);
    OutputDebugStringA((std::string("physics: ") + text).c_str());
}

const std::vector<std::string>& GetPhysicsLog()
{
    return Reports();
}

void ClearPhysicsLog()
{
    Reports().clear();
}
