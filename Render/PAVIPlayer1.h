#pragma once

#include "Render/VideoStreamPlayer.h"

// The second video player: its frames are the texture "video1", shown under
// the name "VIDEO1"; it always plays the sound.
class CPVideoPlayer1 : public VideoStreamPlayer {
public:
    CPVideoPlayer1();

    // Prepares the file of "Data\Video" with its sound; 1 when ready to
    // run, 0 when a step failed.
    int Play(const char* name);
};

// The second video player that the host created and published.
extern CPVideoPlayer1* g_pVideoPlayer1;
