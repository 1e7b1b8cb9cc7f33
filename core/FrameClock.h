#pragma once

// The frame clocks. The host sets them before each frame; everything else
// only reads them, except that starting a level and the script timer
// functions reset the delta time to zero.

// Seconds taken by the current frame.
extern float FrameDeltaTime;

// Advanced by one each frame, so per-frame work can tell a new frame apart.
extern int FrameNumber;

// Seconds since the host's clock began; animation start times are taken from it.
extern double FullTime;

// The longest frame the clocks accept: a frame held up by a moved window or
// a debugger does not throw the game a second ahead.
const float kLongestFrameTime = 0.25f;
