#pragma once

#include <windows.h>

// The game's main window, its client area exactly the size asked for. A
// close request or the Escape key ends the game: the window is destroyed
// and the message loop gets WM_QUIT.
class GameWindow {
public:
    GameWindow();
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    // A bordered window, or a borderless one covering the screen's corner
    // for full screen; shown at once. False when it cannot be made.
    bool Create(HINSTANCE instance, int width, int height, bool fullScreen);
    void Destroy();

    HWND GetHandle() const { return m_window; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window;
};
