#pragma once

#include "core/ShuttingDown.h"

#include <windows.h>

// The launcher's run: it reads the settings, shows the start dialog and then
// opens the game or the publisher's statistics page. One exists while the
// program runs; it publishes itself through GetLauncherApp.
class CPLauncherApp {
public:
    CPLauncherApp();
    virtual ~CPLauncherApp();

    // The whole run, from reading "config.cfg" to opening what the start
    // dialog chose. The settings store it creates lives until the process ends.
    void Run(HINSTANCE instance, int showCommand);
};

// The application of the run, or null before and after it.
CPLauncherApp* GetLauncherApp();

// The program from its entry to its end: COM for the whole run, the launcher's
// run, then the shutdown flag. Answers the program's exit code, always 0.
int RunLauncherProgram(HINSTANCE instance, int showCommand);
