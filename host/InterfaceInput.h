#pragma once

#include <windows.h>

// Hands the game window's mouse messages to the interface screens: a move
// reports the pointer (and keeps the key-binding manager's pointer, which
// activating a screen reads); a left or right button press goes to the
// element under the pointer and its release to that same element. Answers
// whether the message was a mouse message it handled.
bool RouteInterfaceMouseMessage(UINT message, LPARAM lParam);

// Hands a character message's code to the "interface" receivers as
// "key_char" with the code as a signed byte, so that codes above 127 arrive
// negative, as the scripts expect them.
void SendInterfaceCharacter(WPARAM code);
