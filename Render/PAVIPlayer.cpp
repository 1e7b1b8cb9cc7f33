#include "Render/PAVIPlayer.h"

CPVideoPlayer* g_pVideoPlayer = nullptr;

namespace {

const VideoPlayerIdentity kIdentity = {"CPVideoPlayer", "Render/PAVIPlayer", "video", "VIDEO"};

} // namespace

CPVideoPlayer::CPVideoPlayer() : VideoStreamPlayer(kIdentity)
{
}

int CPVideoPlayer::Play(const char* name, bool noSound)
{
    return PlayFile(name, noSound) ? 1 : 0;
}
