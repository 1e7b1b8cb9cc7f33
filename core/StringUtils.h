#pragma once

#include <cstddef>
#include <string>

// Small string and geometry helpers shared across the engine.

// Tab, line feed, carriage return and space; nothing else (not vertical tab
// or form feed). Only the low 8 bits of the character count.
bool IsWhiteSpaceChar(int character);

// The bytes of the line end that starts at the position: 2 for a carriage
// return followed by a line feed, 1 for either alone, 0 for any other byte
// and at the end. Every text file the engine reads ends its lines so.
size_t LineEndLength(const char* at, const char* end);

// Removes leading, then trailing white space in place; returns the same string.
std::string& TrimString(std::string& text);

// True when every character is a digit, "-" or "."; the empty string passes.
// No syntax is checked beyond that ("1-2" and "1.2.3" pass).
bool IsNumberString(const std::string& text);

// True when every character is a digit or "-"; the empty string passes.
bool IsIntegerString(const std::string& text);

// Whether a file name that a data file or a script hands over stays inside
// the folder it is looked up in: no ".." anywhere, no ":" (a drive such as
// "C:", or a stream of a file), no leading "\" or "/", and no part that
// Windows opens as a device ("con", "nul", "aux", "prn", "com1" to "com9",
// "lpt1" to "lpt9", "com" and "lpt" with a superscript 1, 2 or 3, "conin$",
// "conout$", "clock$", in any case and with any extension, or ended by a
// NUL). Names in sub-folders ("cars\jeep") pass, and so does the empty
// name.
bool IsNameInsideFolder(const std::string& name);

// A name inside its folder that is also one plain file of that folder: not
// empty, no longer than a file system allows, and without "\" or "/".
bool IsPlainFileName(const std::string& name);

// Case conversion of every byte in place, as the C runtime's tolower/toupper
// do in the default locale; returns the same string.
std::string& StringToLower(std::string& text);
std::string& StringToUpper(std::string& text);

// The ray parameter t where the ray meets the plane (a, b, c, d), or -1 when
// the ray does not run against the plane's normal. A negative t (plane behind
// the origin) is returned as it is: callers test the sign.
float IntersectRayPlane(const float origin[3], const float direction[3], const float plane[4]);

// Whether a point taken to lie in the triangle's plane is inside the triangle
// or on its edges, tested in the axis plane that the triangle's normal is
// most aligned with.
bool PointInTriangle(const float point[3], const float a[3], const float b[3], const float c[3]);

// Arc cosine and arc sine in radians of x clamped to [-1, 1]; NaN counts as -1.
float ClampedAcos(float x);
float ClampedAsin(float x);
