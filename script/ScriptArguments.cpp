#include "script/ScriptArguments.h"

#include <climits>
#include <cmath>

namespace {

const char* const kTooManyResults = "too many results";
const int kSecondsPerMinute = 60;
// The minute factor as a float, multiplied in double precision.
const float kMinutesPerSecond = 0.016666668f;
const double kHundredths = 100.0;

} // namespace

int NarrowToInt(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

void PushTexts(lua_State* state, const std::vector<std::string>& texts)
{
    if (texts.size() > static_cast<size_t>(INT_MAX)) luaL_error(state, kTooManyResults);
    luaL_checkstack(state, static_cast<int>(texts.size()), kTooManyResults);
    for (const std::string& text : texts) lua_pushlstring(state, text.data(), text.size());
}

TimeParts SplitTimeParts(float seconds)
{
    const int whole = NarrowToInt(seconds);
    TimeParts parts = {0, whole, 0};
    if (whole >= kSecondsPerMinute) {
        parts.minutes = NarrowToInt(static_cast<double>(whole) * static_cast<double>(kMinutesPerSecond));
        parts.seconds = whole - kSecondsPerMinute * parts.minutes;
    }
    parts.hundredths = NarrowToInt((static_cast<double>(seconds) - whole) * kHundredths);
    return parts;
}

void SplitTime(lua_State* state, float seconds)
{
    const TimeParts parts = SplitTimeParts(seconds);
    lua_pushnumber(state, parts.minutes);
    lua_pushnumber(state, parts.seconds);
    lua_pushnumber(state, parts.hundredths);
}

void PushTextTable(lua_State* state, const std::vector<std::string>& texts)
{
    lua_newtable(state);
    int key = 0;
    for (const std::string& text : texts) {
        lua_pushnumber(state, ++key);
        lua_pushlstring(state, text.data(), text.size());
        lua_settable(state, -3);
    }
}
