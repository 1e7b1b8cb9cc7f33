#pragma once

#include <windows.h>

// Moves a window to the middle of the screen, keeping its size. With an odd
// difference of sizes the spare pixel goes to the right and the bottom.
void CentreWindowOnScreen(HWND window);
