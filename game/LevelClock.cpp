#include "game/LevelClock.h"

#include <mmsystem.h>

namespace {

DWORD SystemClock()
{
    return timeGetTime();
}

LevelClockFunction s_clock = SystemClock;

} // namespace

DWORD LevelClockMilliseconds()
{
    return s_clock();
}

LevelClockFunction SetLevelClock(LevelClockFunction clock)
{
    const LevelClockFunction previous = s_clock;
    s_clock = clock ? clock : SystemClock;
    return previous;
}
