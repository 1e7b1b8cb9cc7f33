#pragma once

#include "Render/VideoStreamPlayer.h"

// The first video player: its frames are the texture "video", shown under
// the name "VIDEO"; it can play without sound.
class CPVideoPlayer : public VideoStreamPlayer {
public:
    CPVideoPlayer();

    // Prepares the file of "Data\Video", with or without its sound; 1 when
    // ready to run, 0 when a step failed.
    int Play(const char* name, bool noSound);
};

// The first video player that the host created and published.
extern CPVideoPlayer* g_pVideoPlayer;
