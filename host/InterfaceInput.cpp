#include "host/InterfaceInput.h"

#include "core/PCommandManager.h"
#include "game/PActionsManager.h"
#include "interface/PInterface.h"

#include <windowsx.h>

#include <cstdio>

namespace {

const int kLeftButton = 0;
const int kRightButton = 1;
const WPARAM kByteMask = 0xFF;

} // namespace

bool RouteInterfaceMouseMessage(UINT message, LPARAM lParam)
{
    const float x = static_cast<float>(GET_X_LPARAM(lParam));
    const float y = static_cast<float>(GET_Y_LPARAM(lParam));
    switch (message) {
    case WM_MOUSEMOVE:
        if (CPActionsManager* actions = GetActionsManager()) {
            actions->mouseX = x;
            actions->mouseY = y;
        }
        InterfaceMouseMove(x, y);
        return true;
    case WM_LBUTTONDOWN: InterfaceMouseDown(kLeftButton, x, y); return true;
    case WM_LBUTTONUP: InterfaceMouseUp(kLeftButton, x, y); return true;
    case WM_RBUTTONDOWN: InterfaceMouseDown(kRightButton, x, y); return true;
    case WM_RBUTTONUP: InterfaceMouseUp(kRightButton, x, y); return true;
    default: return false;
    }
}

void SendInterfaceCharacter(WPARAM code)
{
    CPCommandManager* bus = GetCommandManager();
    if (!bus) return;
    char params[8];
    std::snprintf(params, sizeof(params), "%d", static_cast<int>(static_cast<signed char>(code & kByteMask)));
    bus->SendCommandByCategory("interface", "key_char", params);
}
