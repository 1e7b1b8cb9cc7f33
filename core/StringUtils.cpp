#include "core/StringUtils.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

const char* const kSeparators = "\\/";
// No file system holds a longer name in one folder.
const size_t kLongestFileName = 255;
// Names that Windows opens as a device in every folder, whatever extension
// follows them; "com" and "lpt" with a digit 1 to 9 are devices too, and
// so are they with a superscript one, two or three (code page 1252 bytes).
const char* const kDeviceNames[] = {"con", "nul", "aux", "prn", "conin$", "conout$", "clock$"};
const char* const kNumberedDevices[] = {"com", "lpt"};
const size_t kNumberedDevicePrefix = 3;
const std::string kSuperscriptDigits = "\xB9\xB2\xB3";
const char kLineFeed = '\n';
const char kCarriageReturn = '\r';

bool IsDigitChar(char character)
{
    return character >= '0' && character <= '9';
}

template <class Predicate>
bool AllCharsAre(const std::string& text, Predicate predicate)
{
    return std::all_of(text.begin(), text.end(), predicate);
}

// The C runtime's case functions take an unsigned char value: a negative
// char (a byte above 127) is outside their domain.
template <class Convert>
std::string& ConvertEachByte(std::string& text, Convert convert)
{
    for (char& character : text) {
        character = static_cast<char>(convert(static_cast<unsigned char>(character)));
    }
    return text;
}

float ClampUnit(float x)
{
    if (x > 1.0f) return 1.0f;
    if (!(x >= -1.0f)) return -1.0f; // below -1, or NaN
    return x;
}

float Dot(const float a[3], const float b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Which side of the edge E-F the point lies on: positive on one side,
// negative on the other, 0 on the edge's line.
float EdgeSide(float pu, float pw, float eu, float ew, float fu, float fw)
{
    return (fu - eu) * (pw - ew) - (fw - ew) * (pu - eu);
}

// Windows reads a path part up to its first dot, with trailing blanks
// dropped, as the device name; the system reads a name only up to its first
// NUL, so "nul\0.wav" opens the null device too.
bool IsDevicePart(std::string part)
{
    part = part.substr(0, part.find_first_of(std::string(".\0", 2)));
    while (!part.empty() && part.back() == ' ') part.pop_back();
    StringToLower(part);
    for (const char* device : kDeviceNames) {
        if (part == device) return true;
    }
    if (part.size() != kNumberedDevicePrefix + 1) return false;
    const char digit = part[kNumberedDevicePrefix];
    const bool isDeviceNumber = (digit >= '1' && digit <= '9') ||
                                kSuperscriptDigits.find(digit) != std::string::npos;
    if (!isDeviceNumber) return false;
    for (const char* device : kNumberedDevices) {
        if (part.compare(0, kNumberedDevicePrefix, device) == 0) return true;
    }
    return false;
}

bool NamesADevice(const std::string& name)
{
    size_t start = 0;
    for (;;) {
        const size_t end = name.find_first_of(kSeparators, start);
        if (IsDevicePart(name.substr(start, end - start))) return true;
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

} // namespace

bool IsWhiteSpaceChar(int character)
{
    switch (character & 0xFF) {
    case 9:
    case 10:
    case 13:
    case 32:
        return true;
    default:
        return false;
    }
}

size_t LineEndLength(const char* at, const char* end)
{
    if (at == end) return 0;
    if (*at == kLineFeed) return 1;
    if (*at != kCarriageReturn) return 0;
    return at + 1 != end && at[1] == kLineFeed ? 2 : 1;
}

std::string& TrimString(std::string& text)
{
    size_t first = 0;
    while (first < text.size() && IsWhiteSpaceChar(text[first])) ++first;
    text.erase(0, first);
    size_t end = text.size();
    while (end > 0 && IsWhiteSpaceChar(text[end - 1])) --end;
    text.erase(end);
    return text;
}

bool IsNameInsideFolder(const std::string& name)
{
    return name.find_first_of(kSeparators) != 0 && name.find(':') == std::string::npos &&
           name.find("..") == std::string::npos && !NamesADevice(name);
}

bool IsPlainFileName(const std::string& name)
{
    return !name.empty() && name.size() <= kLongestFileName && name.find_first_of(kSeparators) == std::string::npos &&
           IsNameInsideFolder(name);
}

bool IsNumberString(const std::string& text)
{
    return AllCharsAre(text, [](char c) { return IsDigitChar(c) || c == '-' || c == '.'; });
}

bool IsIntegerString(const std::string& text)
{
    return AllCharsAre(text, [](char c) { return IsDigitChar(c) || c == '-'; });
}

std::string& StringToLower(std::string& text)
{
    return ConvertEachByte(text, [](int c) { return std::tolower(c); });
}

std::string& StringToUpper(std::string& text)
{
    return ConvertEachByte(text, [](int c) { return std::toupper(c); });
}

float IntersectRayPlane(const float origin[3], const float direction[3], const float plane[4])
{
    float denominator = Dot(plane, direction);
    if (!(denominator < 0.0f)) return -1.0f;
    return -(Dot(plane, origin) + plane[3]) / denominator;
}

bool PointInTriangle(const float point[3], const float a[3], const float b[3], const float c[3])
{
    float ab[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    float cb[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
    float nx = std::fabs(ab[1] * cb[2] - ab[2] * cb[1]);
    float ny = std::fabs(ab[2] * cb[0] - ab[0] * cb[2]);
    float nz = std::fabs(ab[0] * cb[1] - ab[1] * cb[0]);

    // Project onto the plane that drops the normal's largest component;
    // ties drop z first, then y.
    int u = 0;
    int w = 1;
    if (!(nz >= nx && nz >= ny)) {
        if (ny >= nz && ny >= nx) {
            w = 2;
        } else {
            u = 1;
            w = 2;
        }
    }

    // Inside, edges included, when no edge has the point on the other side
    // from the rest: a point on the diagonal that two triangles of a face
    // share belongs to both.
    const float* corners[3] = {a, b, c};
    bool anyPositive = false;
    bool anyNegative = false;
    for (int edge = 0; edge < 3; ++edge) {
        const float* e = corners[edge];
        const float* f = corners[(edge + 1) % 3];
        float side = EdgeSide(point[u], point[w], e[u], e[w], f[u], f[w]);
        if (std::isnan(side)) return false;
        if (side > 0.0f) anyPositive = true;
        if (side < 0.0f) anyNegative = true;
    }
    return !(anyPositive && anyNegative);
}

float ClampedAcos(float x)
{
    return static_cast<float>(std::acos(static_cast<double>(ClampUnit(x))));
}

float ClampedAsin(float x)
{
    return static_cast<float>(std::asin(static_cast<double>(ClampUnit(x))));
}
