#include "host/FixedStepClocks.h"

#include "game/LevelClock.h"
#include "game/LocalClock.h"

#include <cmath>
#include <cstdint>

namespace {

const double kMillisecondsPerSecond = 1000.0;
const uint64_t kFileTimeUnitsPerMillisecond = 10000;

// The installed clocks' state: the seams take plain functions.
double s_frameSeconds = 0.0;
uint64_t s_frames = 0;

// Frames times the step, not a running sum, so no rounding piles up.
uint64_t ElapsedMilliseconds()
{
    return static_cast<uint64_t>(std::llround(static_cast<double>(s_frames) * s_frameSeconds * kMillisecondsPerSecond));
}

} // namespace

const SYSTEMTIME FixedStepClocks::kStartDate = {2004, 6, 2, 1, 12, 0, 0, 0};

FixedStepClocks::FixedStepClocks(float frameSeconds)
{
    s_frameSeconds = frameSeconds;
    s_frames = 0;
    SetLevelClock(LevelMilliseconds);
    SetLocalClock(LocalDate);
}

FixedStepClocks::~FixedStepClocks()
{
    SetLevelClock(nullptr);
    SetLocalClock(nullptr);
}

void FixedStepClocks::Advance()
{
    ++s_frames;
}

// Like the multimedia clock it stands in for, it wraps after 2^32 ms.
DWORD FixedStepClocks::LevelMilliseconds()
{
    return static_cast<DWORD>(ElapsedMilliseconds());
}

void FixedStepClocks::LocalDate(SYSTEMTIME* time)
{
    FILETIME start;
    SystemTimeToFileTime(&kStartDate, &start);
    ULARGE_INTEGER units;
    units.LowPart = start.dwLowDateTime;
    units.HighPart = start.dwHighDateTime;
    units.QuadPart += ElapsedMilliseconds() * kFileTimeUnitsPerMillisecond;
    FILETIME now;
    now.dwLowDateTime = units.LowPart;
    now.dwHighDateTime = units.HighPart;
    FileTimeToSystemTime(&now, time);
}
