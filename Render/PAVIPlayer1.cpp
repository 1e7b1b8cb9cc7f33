#include "Render/PAVIPlayer1.h"

CPVideoPlayer1* g_pVideoPlayer1 = nullptr;

namespace {

const VideoPlayerIdentity kIdentity = {"CPVideoPlayer1", "Render/PAVIPlayer1", "video1", "VIDEO1"};

} // namespace

CPVideoPlayer1::CPVideoPlayer1() : VideoStreamPlayer(kIdentity)
{
}

int CPVideoPlayer1::Play(const char* name)
{
    return PlayFile(name, false) ? 1 : 0;
}
