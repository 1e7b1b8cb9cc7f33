#include "launcher/LauncherDialog.h"

#include "core/PSettings.h"
#include "core/Settings.h"
#include "core/ShellOpen.h"
#include "launcher/CentreWindow.h"
#include "launcher/LauncherResources.h"
#include "launcher/OptionsDialog.h"
#include "launcher/PWebViewSite.h"

#include <ole2.h>

namespace {

const char kWindowTitle[] = "Hollowmere";
const char kReadmeFile[] = "Hollowmere.txt";

// OLE stays initialised until the launcher has released the web view after
// the dialog has closed.
void InitLauncherDialog(HWND window)
{
    SetWindowTextA(window, kWindowTitle);
    CentreWindowOnScreen(window);
    OleInitialize(nullptr);
    CPWebViewSite* site = new CPWebViewSite;
    SetWebViewSite(site);
    site->CreateBrowser(GetDlgItem(window, IDC_WEB_VIEW_AREA));
}

// The game reads the window mode from "config.cfg", so it is written before
// the game starts.
void StartInWindowMode(HWND window, int fullScreen, int command)
{
    g_fullScreen = fullScreen;
    if (GetSettings()) GetSettings()->Save(kSettingsFile);
    EndDialog(window, command);
}

void HandleLauncherCommand(HWND window, int id)
{
    switch (id) {
    case IDC_START_GAME:
    case IDC_EXIT:
        EndDialog(window, id);
        break;
    case IDC_GAME_SETTINGS:
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPTIONS), window, OptionsDialogProc, 0);
        break;
    case IDC_START_WINDOWED:
        StartInWindowMode(window, 0, id);
        break;
    case IDC_START_FULLSCREEN:
        StartInWindowMode(window, 1, id);
        break;
    case IDC_README:
        ShellOpen(kReadmeFile);
        break;
    }
}

} // namespace

INT_PTR CALLBACK LauncherDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitLauncherDialog(window);
        return TRUE;
    case WM_COMMAND:
        HandleLauncherCommand(window, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(window, IDC_EXIT);
        return TRUE;
    }
    return FALSE;
}
