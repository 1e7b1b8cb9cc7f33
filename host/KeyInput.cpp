#include "host/KeyInput.h"

#include "game/PActionsManager.h"

#include <algorithm>
#include <iterator>

namespace {

const int kScanCodeShift = 16;
const LPARAM kScanCodeMask = 0xFF;
const LPARAM kExtendedKeyBit = 1 << 24;
const uint8_t kExtendedKeyCodes = 0x80;
const int kLeftButton = 0;
const int kRightButton = 1;
const int kMiddleButton = 2;

void ReleaseEverything(CPActionsManager& actions)
{
    std::fill(std::begin(actions.keysDown), std::end(actions.keysDown), false);
    std::fill(std::begin(actions.buttonsDown), std::end(actions.buttonsDown), false);
}

} // namespace

uint8_t KeyCodeOf(LPARAM lParam)
{
    const uint8_t scanCode = static_cast<uint8_t>((lParam >> kScanCodeShift) & kScanCodeMask);
    return (lParam & kExtendedKeyBit) ? static_cast<uint8_t>(scanCode | kExtendedKeyCodes) : scanCode;
}

void FeedKeyMessage(UINT message, LPARAM lParam)
{
    CPActionsManager* actions = GetActionsManager();
    if (!actions) return;
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: actions->keysDown[KeyCodeOf(lParam)] = true; break;
    case WM_KEYUP:
    case WM_SYSKEYUP: actions->keysDown[KeyCodeOf(lParam)] = false; break;
    case WM_LBUTTONDOWN: actions->buttonsDown[kLeftButton] = true; break;
    case WM_LBUTTONUP: actions->buttonsDown[kLeftButton] = false; break;
    case WM_RBUTTONDOWN: actions->buttonsDown[kRightButton] = true; break;
    case WM_RBUTTONUP: actions->buttonsDown[kRightButton] = false; break;
    case WM_MBUTTONDOWN: actions->buttonsDown[kMiddleButton] = true; break;
    case WM_MBUTTONUP: actions->buttonsDown[kMiddleButton] = false; break;
    case WM_KILLFOCUS: ReleaseEverything(*actions); break;
    default: break;
    }
}
