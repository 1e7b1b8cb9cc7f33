#pragma once

#include <string>

// The names of the keyboard's key codes 0 to 211, as the key bindings file
// and the options screen spell them; codes without a key are "undefined key".
const int kKeyNameCount = 212;
extern const char* const* const KeyNames;

// The first code whose name is exactly the given one (case matters), or -1
// when no code has it. "undefined key" gives 0.
int FindKeyCode(const std::string& name);
