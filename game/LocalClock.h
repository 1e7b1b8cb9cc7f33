#pragma once

#include <windows.h>

// The local date and time that saves are stamped with: the system's unless
// a test puts a fixed one in, so a written save can be compared byte for byte.
typedef void (*LocalClockFunction)(SYSTEMTIME* time);

SYSTEMTIME LocalClockTime();
// Installs the clock (null: the system's again) and answers the one before.
LocalClockFunction SetLocalClock(LocalClockFunction clock);
