#pragma once

#include "Render/PRender.h"
#include "Render/PTexture.h"
#include "Render/tests/TestDevice.h"
#include "core/Settings.h"

#include <windows.h>

// What playing a real video file needs, for as long as it lives: COM, the
// renderer on the test device with a texture cache, both published, a
// 32-bit screen and the folder "Data\Video".
class VideoPlaybackSetup {
public:
    VideoPlaybackSetup() : m_savedDepth(g_screenBPP)
    {
        CoInitialize(nullptr);
        render.SetDevice(GetTestDevice());
        g_pRender = &render;
        g_pTextureCache = &cache;
        g_screenBPP = 32;
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Video", nullptr);
    }
    ~VideoPlaybackSetup()
    {
        g_pRender = nullptr;
        g_pTextureCache = nullptr;
        g_screenBPP = m_savedDepth;
        CoUninitialize();
    }
    VideoPlaybackSetup(const VideoPlaybackSetup&) = delete;
    VideoPlaybackSetup& operator=(const VideoPlaybackSetup&) = delete;

    CPRender render;
    CPTextureCache cache;

private:
    int m_savedDepth;
};
