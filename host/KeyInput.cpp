#include "host/KeyInput.h"

#include "game/PActionsManager.h"

#include <algorithm>
#include <iterator>

namespace {

const int kScanCodeShift = 16;
const LPARAM kScanCodeMask = 0xFF;
const LPARAM kExtendedKeyBit = 1 << 24;
const uint8_t kExtendedKeyCodes = 0x80;

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
    case WM_KILLFOCUS: std::fill(std::begin(actions->keysDown), std::end(actions->keysDown), false); break;
    default: break;
    }
}
