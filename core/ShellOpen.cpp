#include "core/ShellOpen.h"

#include <windows.h>

#include <shellapi.h>

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

ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function)
{
    ShellOpenFunction previous = g_shellOpen;
    g_shellOpen = function ? function : OpenThroughShell;
    return previous;
}
