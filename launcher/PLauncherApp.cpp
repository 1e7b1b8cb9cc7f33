#include "launcher/PLauncherApp.h"

#include "core/PSettings.h"
#include "core/ShellOpen.h"
#include "launcher/LauncherDialog.h"
#include "launcher/LauncherResources.h"
#include "launcher/PWebViewSite.h"

#include <ole2.h>

namespace {

const char kGameExecutable[] = "_Hollowmere.exe";
const char kStatisticsPage[] = "https://www.example.com/hollowmere/statistics.html";

CPLauncherApp* g_launcherApp = nullptr;

bool StartsTheGame(INT_PTR dialogResult)
{
    return dialogResult == IDC_START_GAME || dialogResult == IDC_START_WINDOWED ||
           dialogResult == IDC_START_FULLSCREEN;
}

// The start dialog made the web view and initialised OLE for it when it
// opened; both end here, after the dialog has closed.
void CloseWebView()
{
    CPWebViewSite* site = GetWebViewSite();
    if (!site) return;
    site->CloseBrowser();
    SetWebViewSite(nullptr);
    site->Release();
    OleUninitialize();
}

} // namespace

CPLauncherApp* GetLauncherApp()
{
    return g_launcherApp;
}

CPLauncherApp::CPLauncherApp()
{
    g_launcherApp = this;
}

CPLauncherApp::~CPLauncherApp()
{
    g_launcherApp = nullptr;
}

void CPLauncherApp::Run(HINSTANCE, int)
{
    CPSettings* settings = new CPSettings;
    settings->Load(kSettingsFile);
    INT_PTR choice = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LAUNCHER), nullptr,
                                     LauncherDialogProc, 0);
    CloseWebView();
    // The game gets no command line: the window mode reaches it through
    // "config.cfg", which the dialog has already written.
    ShellOpen(StartsTheGame(choice) ? kGameExecutable : kStatisticsPage);
}

int RunLauncherProgram(HINSTANCE instance, int showCommand)
{
    CoInitialize(nullptr);
    CPLauncherApp* app = new CPLauncherApp;
    GetLauncherApp()->Run(instance, showCommand);
    ShuttingDown = true;
    delete app;
    CoUninitialize();
    return 0;
}
