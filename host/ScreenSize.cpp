#include "host/ScreenSize.h"

#include "host/HostLog.h"

#include <string>

namespace {

bool InRange(int side)
{
    return side >= kSmallestScreenSide && side <= kLargestScreenSide;
}

} // namespace

bool KeepScreenSizeInRange(int& width, int& height)
{
    if (InRange(width) && InRange(height)) return false;
    LogHostLine("screen size " + std::to_string(width) + " x " + std::to_string(height) + " is outside " +
                std::to_string(kSmallestScreenSide) + ".." + std::to_string(kLargestScreenSide) + ", using " +
                std::to_string(kFallbackScreenWidth) + " x " + std::to_string(kFallbackScreenHeight));
    width = kFallbackScreenWidth;
    height = kFallbackScreenHeight;
    return true;
}
