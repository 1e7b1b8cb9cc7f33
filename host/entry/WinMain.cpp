#include "host/EngineHost.h"

#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // DirectShow's music and video objects are COM objects.
    CoInitialize(nullptr);
    const std::vector<std::string> arguments(__argv + 1, __argv + __argc);
    const int exitCode = RunGameProgram(instance, arguments);
    CoUninitialize();
    return exitCode;
}
