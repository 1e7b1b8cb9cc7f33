#pragma once

#include "core/CommandReceiver.h"

#include <string>

// What to play on an animated object: the animation by name, how fast, how
// many passes before it stops (0 or less plays on), who hears
// "animation_stopped" and "animation_report", the frame whose reaching is
// reported (-1 none) and an offset in seconds added to the start time.
struct AnimationRequest {
    std::string name;
    float speed = 1.0f;
    int passLimit = 0;
    RefPtr<CommandReceiver> notify;
    int reportFrame = -1;
    float timeOffset = 0.0f;
};
