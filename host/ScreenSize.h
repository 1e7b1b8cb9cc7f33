#pragma once

// The smallest and largest screen width or height the game opens a window
// and a device of; a damaged "config.cfg" may hold any number.
const int kSmallestScreenSide = 320;
const int kLargestScreenSide = 16384;
const int kFallbackScreenWidth = 640;
const int kFallbackScreenHeight = 480;

// Puts 640 x 480 in place of a size whose width or height lies outside
// 320..16384, and logs one line naming the size refused. Answers whether it
// did.
bool KeepScreenSizeInRange(int& width, int& height);
