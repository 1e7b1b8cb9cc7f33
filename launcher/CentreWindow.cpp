#include "launcher/CentreWindow.h"

void CentreWindowOnScreen(HWND window)
{
    RECT frame;
    GetWindowRect(window, &frame);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    MoveWindow(window, x, y, width, height, TRUE);
}
