// Stands in for a program that the launcher starts (the game, or the web
// browser that a web address opens). Each start appends one line to
// "starts.log" beside the program: its own file name, its working directory
// and its arguments, separated by tabs.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char kLogName[] = "starts.log";

// The command line after the program's own name.
const char* SkipProgramName(const char* commandLine)
{
    const char* at = commandLine;
    if (*at == '"') {
        at = std::strchr(at + 1, '"');
        at = at ? at + 1 : commandLine + std::strlen(commandLine);
    } else {
        while (*at && *at != ' ' && *at != '\t') ++at;
    }
    while (*at == ' ' || *at == '\t') ++at;
    return at;
}

} // namespace

int main()
{
    char program[MAX_PATH];
    char directory[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof(program));
    if (length == 0 || length >= sizeof(program) || !GetCurrentDirectoryA(sizeof(directory), directory)) return 1;

    char* name = std::strrchr(program, '\\');
    name = name ? name + 1 : program;
    char logPath[MAX_PATH];
    std::snprintf(logPath, sizeof(logPath), "%.*s%s", static_cast<int>(name - program), program, kLogName);

    FILE* log = std::fopen(logPath, "ab");
    if (!log) return 1;
    std::fprintf(log, "%s\t%s\t%s\n", name, directory, SkipProgramName(GetCommandLineA()));
    std::fclose(log);
    return 0;
}
