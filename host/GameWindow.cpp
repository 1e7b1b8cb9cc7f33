#include "host/GameWindow.h"

#include "host/InterfaceInput.h"
#include "host/KeyInput.h"

namespace {

const char* const kWindowClass = "HollowmereGame";
const char* const kWindowTitle = "Hollowmere";
const DWORD kWindowedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const DWORD kFullScreenStyle = WS_POPUP;

bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSA existing;
    if (GetClassInfoA(instance, kWindowClass, &existing)) return true;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassA(&windowClass) != 0;
}

} // namespace

GameWindow::GameWindow() : m_window(nullptr)
{
}

GameWindow::~GameWindow()
{
    Destroy();
}

bool GameWindow::Create(HINSTANCE instance, int width, int height, bool fullScreen)
{
    if (!RegisterWindowClass(instance, WindowProcedure)) return false;
    const DWORD style = fullScreen ? kFullScreenStyle : kWindowedStyle;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    m_window = CreateWindowA(kWindowClass, kWindowTitle, style, fullScreen ? 0 : CW_USEDEFAULT,
                             fullScreen ? 0 : CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                             nullptr, nullptr, instance, nullptr);
    if (!m_window) return false;
    ShowWindow(m_window, SW_SHOW);
    UpdateWindow(m_window);
    return true;
}

void GameWindow::Destroy()
{
    if (m_window && IsWindow(m_window)) DestroyWindow(m_window);
    m_window = nullptr;
}

// Keys and mouse buttons go to the key-binding manager, mouse messages
// also to the interface screens and typed characters to the interface's
// receivers; the window itself only ends the game.
LRESULT CALLBACK GameWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    FeedKeyMessage(message, lParam);
    if (RouteInterfaceMouseMessage(message, lParam)) return 0;
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CHAR:
        SendInterfaceCharacter(wParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
