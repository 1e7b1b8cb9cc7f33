#pragma once

#include <windows.h>

#include <cstdint>

// The key code of a key message as the key-binding manager numbers keys:
// the keyboard's scan code, with 128 added for the extended keys (the
// right-hand Ctrl and Alt, the arrows and the block above them, the
// keypad's Enter and "/").
uint8_t KeyCodeOf(LPARAM lParam);

// Tells the key-binding manager of a key or mouse button pressed or
// released; when the window loses the keyboard every key and button counts
// as released, since the releases will go elsewhere.
void FeedKeyMessage(UINT message, LPARAM lParam);
