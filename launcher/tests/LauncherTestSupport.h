#pragma once

#include "core/tests/FileTestSupport.h"

#include <windows.h>

#include <string>

// Keeps the settings that the launcher's dialogs change and puts them back,
// and starts without a "config.cfg" in the working directory.
class LauncherSettingsScope {
public:
    LauncherSettingsScope();
    ~LauncherSettingsScope();

private:
    int m_fullScreen;
    int m_bloom;
    int m_blur;
    int m_lensflare;
    int m_dust;
};

// Whether text is a whole settings file, with a line for every key, that
// holds the given line.
bool IsSettingsFileWith(const std::string& text, const std::string& line);

// Expects a control where a template rectangle (x, y, width and height in
// dialog units) puts it in the dialog's client area.
void ExpectPlacement(HWND dialog, HWND control, const RECT& units);

// Expects a window in the middle of the screen, the spare pixel of an odd
// difference to the right and the bottom.
void ExpectCentred(HWND window);
