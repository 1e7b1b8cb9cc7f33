#pragma once

#include <windows.h>

// The wall clock the level reads, in milliseconds: when it is built, to seed
// the random draws of a load and for the race's real time. The system's
// multimedia clock unless a test puts a fixed one in.
typedef DWORD (*LevelClockFunction)();

DWORD LevelClockMilliseconds();
// Installs the clock (null: the system's again) and answers the one before.
LevelClockFunction SetLevelClock(LevelClockFunction clock);
