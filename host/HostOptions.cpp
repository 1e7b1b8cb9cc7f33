#include "host/HostOptions.h"

#include "core/FrameClock.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace {

bool ReadCount(const std::string& text, int& value)
{
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || number < 0 || number > INT32_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

// A frame's time, no longer than the longest real frame: the rules step
// through each frame in fixed steps, and a longer one would hold up the
// frame for all of them.
bool ReadFrameTime(const std::string& text, float& value)
{
    char* end = nullptr;
    errno = 0;
    const float number = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !(number >= 0.0f && number <= kLongestFrameTime)) return false;
    value = number;
    return true;
}

} // namespace

HostOptions::HostOptions() : frames(-1), fixedDeltaTime(-1.0f), frameTimes(false), resetAt(-1)
{
}

bool ParseHostOptions(const std::vector<std::string>& arguments, HostOptions& options, std::string& error)
{
    for (size_t index = 0; index < arguments.size(); ++index) {
        const std::string& option = arguments[index];
        if (option == "--frame-times") {
            options.frameTimes = true;
            continue;
        }
        const bool takesValue = option == "--frames" || option == "--fixed-dt" || option == "--screenshot" ||
                                option == "--reset-at";
        if (!takesValue) {
            error = "unknown option " + option;
            return false;
        }
        if (index + 1 == arguments.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = arguments[++index];
        bool read = true;
        if (option == "--frames") read = ReadCount(value, options.frames);
        if (option == "--fixed-dt") read = ReadFrameTime(value, options.fixedDeltaTime);
        if (option == "--reset-at") read = ReadCount(value, options.resetAt);
        if (option == "--screenshot") {
            read = !value.empty();
            options.screenshot = value;
        }
        if (!read) {
            error = "bad value " + value + " for " + option;
            return false;
        }
    }
    if (!options.screenshot.empty() && options.frames == 0) {
        error = "--screenshot needs at least one frame";
        return false;
    }
    return true;
}
