#pragma once

#include <string>

// How the engine names an object in a command parameter and how a script
// turns such a name back into a handle: the object's address in decimal.
// The 32-bit game prints the address as a signed 32-bit number ("%d"); the
// 64-bit test build prints the whole address, so no name is ever cut.

// The decimal text of the address; "0" for null.
std::string ObjectIdentityText(const void* object);

// A signed decimal read as an address: leading white space and a sign are
// allowed, reading stops at the first non-digit, and a text without digits
// gives null. A number beyond the address range saturates at its end.
void* ObjectFromIdentityText(const char* text);
