#pragma once

#include <string>
#include <vector>

// What the game's command line can ask for. The launcher starts the game
// with none; the options serve runs without a player:
//   --frames N        end after N frames
//   --fixed-dt S      every frame lasts S seconds instead of the clock's
//                     time, S from 0 to the longest frame, 0.25 s
//   --screenshot FILE save the last frame as a BMP file
//   --frame-times     print each frame's time in milliseconds
//   --reset-at K      reset the device before frame K, as after a loss
struct HostOptions {
    HostOptions();

    int frames;
    float fixedDeltaTime;
    std::string screenshot;
    bool frameTimes;
    int resetAt;

    bool HasFrameLimit() const { return frames >= 0; }
    bool HasFixedDeltaTime() const { return fixedDeltaTime >= 0.0f; }
};

// Reads the options; false with a message for an unknown option, a missing
// value, a value that is no number in range, or a screenshot of no frame.
bool ParseHostOptions(const std::vector<std::string>& arguments, HostOptions& options, std::string& error);
