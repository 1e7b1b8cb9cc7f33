#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Plays a list of steps against the modal dialogs of this thread, one step
// per tick of a thread timer, which the dialogs' own message loops dispatch.
// Steps post their commands, so each takes effect before the next tick.
// Once the steps are used up, a dialog that is still open is ended and the
// test fails, so a dialog that ignores its commands cannot hang the tests.
class DialogDriver {
public:
    typedef std::function<void()> Step;

    explicit DialogDriver(std::vector<Step> steps);
    ~DialogDriver();

    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    bool AllStepsRan() const { return m_next == m_steps.size(); }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> m_steps;
    size_t m_next;
    int m_idleTicks;
    UINT_PTR m_timer;
};

// The dialog of this thread with the given window text, or null.
HWND FindThreadDialog(const char* title);

// Posts a control's command to a dialog, as a click on the control does.
void PostCommand(HWND dialog, int id);

// Sends a dialog a close request and expects it to end through its own loop:
// the dialog still exists when its handler returns.
void SendCloseRequest(HWND dialog);

// Sets a check box and tells the dialog, as a click on the box does.
void ClickCheckBox(HWND dialog, int id, bool checked);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
