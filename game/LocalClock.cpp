#include "game/LocalClock.h"

namespace {

void SystemLocalTime(SYSTEMTIME* time)
{
    GetLocalTime(time);
}

LocalClockFunction s_clock = SystemLocalTime;

} // namespace

SYSTEMTIME LocalClockTime()
{
    SYSTEMTIME time;
    s_clock(&time);
    return time;
}

LocalClockFunction SetLocalClock(LocalClockFunction clock)
{
    const LocalClockFunction previous = s_clock;
    s_clock = clock ? clock : SystemLocalTime;
    return previous;
}
