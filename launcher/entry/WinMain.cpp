#include "launcher/PLauncherApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return RunLauncherProgram(instance, showCommand);
}
