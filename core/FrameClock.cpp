#include "core/FrameClock.h"

float FrameDeltaTime = 0.0f;
int FrameNumber = 0;
double FullTime = 0.0;
