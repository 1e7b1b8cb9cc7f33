#pragma once

#include <windows.h>

// The clocks of a run whose frames last a fixed time: the level's clock
// starts at 0 ms and the local date at a fixed one, and both move on by the
// frame time once a frame. Every seed the game draws from the level's clock
// and every date it stamps on a save then repeat from run to run. The
// clocks are installed while the object lives; one at a time.
class FixedStepClocks {
public:
    // 2004-06-01 12:00:00.000, a Tuesday.
    static const SYSTEMTIME kStartDate;

    explicit FixedStepClocks(float frameSeconds);
    ~FixedStepClocks();
    FixedStepClocks(const FixedStepClocks&) = delete;
    FixedStepClocks& operator=(const FixedStepClocks&) = delete;

    // The next frame begins.
    void Advance();

private:
    static DWORD LevelMilliseconds();
    static void LocalDate(SYSTEMTIME* time);
};
