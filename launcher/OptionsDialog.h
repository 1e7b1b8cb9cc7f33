#pragma once

#include <windows.h>

// The options dialog (template IDD_OPTIONS): check boxes for the video
// effects. OK stores the "Bloom" and "Motion Blur" choices and writes
// "config.cfg"; Cancel and a close request leave everything as it was.
INT_PTR CALLBACK OptionsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the settings in the check boxes and takes the Bloom and Motion Blur
// choices from them.
void InitOptionsDialog(HWND window);
