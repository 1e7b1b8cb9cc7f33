#include "core/ShellOpen.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

namespace {

void OpenThroughShell(const char* target)
{
    ShellExecuteA(nullptr, "open", target, "", "", SW_SHOWNORMAL);
}

ShellOpenFunction g_shellOpen = OpenThroughShell;

} // namespace

void ShellOpen(const char* target)
{
    g_shellOpen(target);
}

size_t ShellTargetLength(const char* target)
{
    // The size asked for counts the closing null as well.
    const DWORD expanded = ExpandEnvironmentStringsA(target, nullptr, 0);
    return expanded > 0 ? expanded - 1 : std::strlen(target);
}

ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function)
{
    ShellOpenFunction previous = g_shellOpen;
    g_shellOpen = function ? function : OpenThroughShell;
    return previous;
}
