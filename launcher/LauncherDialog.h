#pragma once

#include <windows.h>

// The start dialog (template IDD_LAUNCHER): the web page above a row of
// buttons. It ends with the identifier of the button that ended it, or with
// IDC_EXIT on a close request.
INT_PTR CALLBACK LauncherDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
