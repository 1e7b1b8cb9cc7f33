#include "launcher/tests/DialogDriver.h"

#include <gtest/gtest.h>

namespace {

const UINT kTickMilliseconds = 30;
// How long dialogs may stay open after the last step: long enough for a step
// that ends a dialog to take effect, short enough to fail fast.
const int kIdleTicksAllowed = 100;
// What a dialog the driver has to end returns: no identifier of the launcher.
const INT_PTR kAbandoned = -2;

DialogDriver* g_driver = nullptr;

struct TitleSearch {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM parameter)
{
    TitleSearch* search = reinterpret_cast<TitleSearch*>(parameter);
    if (WindowText(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK EndOpenDialog(HWND window, LPARAM)
{
    if (ClassName(window) == "#32770") EndDialog(window, kAbandoned);
    return TRUE;
}

struct DialogCount {
    int shown;
    int hidden;
};

BOOL CALLBACK CountDialog(HWND window, LPARAM parameter)
{
    DialogCount* count = reinterpret_cast<DialogCount*>(parameter);
    if (ClassName(window) == "#32770") ++(IsWindowVisible(window) ? count->shown : count->hidden);
    return TRUE;
}

DialogCount CountThreadDialogs()
{
    DialogCount count = {0, 0};
    EnumThreadWindows(GetCurrentThreadId(), CountDialog, reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace

DialogDriver::DialogDriver(std::vector<Step> steps)
    : m_steps(std::move(steps)), m_next(0), m_idleTicks(0), m_timer(0)
{
    g_driver = this;
    m_timer = SetTimer(nullptr, 0, kTickMilliseconds, OnTick);
}

DialogDriver::~DialogDriver()
{
    KillTimer(nullptr, m_timer);
    g_driver = nullptr;
}

void CALLBACK DialogDriver::OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_driver) g_driver->Tick();
}

void DialogDriver::Tick()
{
    DialogCount dialogs = CountThreadDialogs();
    // A modal dialog shows itself only once its loop has run dry; steps wait
    // until every dialog is on screen.
    if (dialogs.hidden > 0) return;
    if (m_next < m_steps.size()) {
        // The step may start a nested dialog loop that ticks again.
        Step step = m_steps[m_next++];
        step();
        return;
    }
    if (dialogs.shown == 0 || ++m_idleTicks < kIdleTicksAllowed) return;
    ADD_FAILURE() << "a dialog stayed open after the last step";
    EnumThreadWindows(GetCurrentThreadId(), EndOpenDialog, 0);
}

HWND FindThreadDialog(const char* title)
{
    TitleSearch search = {title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PostCommand(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SendCloseRequest(HWND dialog)
{
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(dialog)) << "the close handler destroyed the dialog";
}

void ClickCheckBox(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
    PostCommand(dialog, id);
}

std::string WindowText(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ClassName(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}
