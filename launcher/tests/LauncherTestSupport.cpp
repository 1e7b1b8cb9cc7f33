#include "launcher/tests/LauncherTestSupport.h"

#include "core/PSettings.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

const long kSettingsKeyCount = 32;

} // namespace

LauncherSettingsScope::LauncherSettingsScope()
    : m_fullScreen(g_fullScreen), m_bloom(g_bloom), m_blur(g_blur), m_lensflare(g_lensflare), m_dust(g_dust)
{
    std::remove(kSettingsFile);
}

LauncherSettingsScope::~LauncherSettingsScope()
{
    g_fullScreen = m_fullScreen;
    g_bloom = m_bloom;
    g_blur = m_blur;
    g_lensflare = m_lensflare;
    g_dust = m_dust;
    std::remove(kSettingsFile);
}

bool IsSettingsFileWith(const std::string& text, const std::string& line)
{
    long lines = std::count(text.begin(), text.end(), '\n');
    return lines == kSettingsKeyCount && ("\n" + text).find("\n" + line + "\r\n") != std::string::npos;
}

void ExpectPlacement(HWND dialog, HWND control, const RECT& units)
{
    // The dialog manager converts position and size separately.
    RECT mapped = units;
    MapDialogRect(dialog, &mapped);
    RECT expected = {mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
    RECT actual;
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_TRUE(EqualRect(&actual, &expected))
        << "(" << actual.left << ", " << actual.top << ", " << actual.right << ", " << actual.bottom
        << ") instead of (" << expected.left << ", " << expected.top << ", " << expected.right << ", "
        << expected.bottom << ")";
}

void ExpectCentred(HWND window)
{
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);
}
