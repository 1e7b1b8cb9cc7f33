#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Render/PRender.h"
#include "Render/PTexture.h"
#include "Render/tests/RecordingVideoStreams.h"
#include "Render/tests/TestDevice.h"
#include "core/PTaskManager.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using videodouble::RecordingVideoStreams;

class VideoPlayer : public testing::Test {
protected:
    VideoPlayer() : m_previousFactory(SetVideoStreamFactory(&streams))
    {
        render.SetDevice(GetTestDevice());
        g_pRender = &render;
        g_pTextureCache = &cache;
        g_screenBPP = 32;
        g_soundVolume = 0.5f;
        Size(320, 240);
    }
    ~VideoPlayer() override
    {
        SetVideoStreamFactory(m_previousFactory);
        g_pRender = nullptr;
        g_pTextureCache = nullptr;
        g_screenBPP = 16;
        g_soundVolume = 0.5f;
    }

    void Size(DWORD width, DWORD height)
    {
        streams.drawStream.width = width;
        streams.drawStream.height = height;
    }

    // The log from the first call that starts with the given text.
    std::vector<std::string> CallsFrom(const std::string& first) const
    {
        const std::vector<std::string>& calls = streams.log.calls;
        auto start = std::find_if(calls.begin(), calls.end(),
                                  [&](const std::string& call) { return call.compare(0, first.size(), first) == 0; });
        return std::vector<std::string>(start, calls.end());
    }

    std::vector<std::string> ReleaseCalls() const
    {
        std::vector<std::string> releases;
        for (const std::string& call : streams.log.calls) {
            if (call.compare(0, 8, "Release ") == 0) releases.push_back(call);
        }
        return releases;
    }

    static D3DSURFACE_DESC LevelOf(IDirect3DTexture9* texture)
    {
        D3DSURFACE_DESC description = {};
        texture->GetLevelDesc(0, &description);
        return description;
    }

    RecordingVideoStreams streams;
    CPRender render;
    CPTextureCache cache;

private:
    VideoStreamFactory* m_previousFactory;
};

TEST_F(VideoPlayer, PlayOpensTheStreamsInOrderWithSoundAtTheSoundVolume)
{
    CPVideoPlayer player;
    ASSERT_EQ(player.Play("intro.avi", false), 1);

    const std::vector<std::string> expected = {
        "CreateDirectDraw",
        "SetCooperativeLevel no window 8",
        "CreateMultiMediaStream",
        "Initialize 0 0",
        "AddMediaStream audio 1",
        "AddMediaStream video from DirectDraw 0",
        "OpenFile Data\\Video\\intro.avi 0",
        "GetMediaStream video",
        "QueryInterface IDirectDrawMediaStream",
        "GetFormat size " + std::to_string(sizeof(DDSURFACEDESC)),
        "CreateSurface 320x240 in system memory",
        "CreateSample on the surface 0",
        "GetFilterGraph",
        "SetState 0",
    };
    EXPECT_EQ(streams.log.calls, expected);
    EXPECT_EQ(streams.graph.calls, std::vector<std::string>{"put_Volume -437"});
    EXPECT_EQ(player.GetTextureWidth(), 512);
    EXPECT_EQ(player.GetTextureHeight(), 256);
    EXPECT_EQ(player.GetFrameRect().right, 320);
    EXPECT_EQ(player.GetFrameRect().bottom, 240);
    EXPECT_FALSE(player.HasEnded());
}

TEST_F(VideoPlayer, WithoutSoundNoAudioStreamAndNoVolume)
{
    CPVideoPlayer player;
    ASSERT_EQ(player.Play("intro.avi", true), 1);
    EXPECT_EQ(CallsFrom("AddMediaStream").front(), "AddMediaStream video from DirectDraw 0");
    EXPECT_TRUE(streams.graph.calls.empty());
    EXPECT_EQ(streams.graph.references, 3) << "the player holds the control and the position, no audio";
}

TEST_F(VideoPlayer, TheSecondPlayerAlwaysPlaysTheSound)
{
    CPVideoPlayer1 player;
    ASSERT_EQ(player.Play("intro.avi"), 1);
    EXPECT_EQ(CallsFrom("AddMediaStream").front(), "AddMediaStream audio 1");
    EXPECT_EQ(streams.graph.calls, std::vector<std::string>{"put_Volume -437"});
}

TEST_F(VideoPlayer, ReleaseLetsGoOfEverythingButTheTextureInOrder)
{
    CPVideoPlayer player;
    ASSERT_EQ(player.Play("intro.avi", false), 1);
    const LONG graphReferences = streams.graph.references;
    streams.log.calls.clear();
    player.ReleaseStreams();

    const std::vector<std::string> expected = {
        "Release sample", "Release DirectDraw stream", "Release video stream",
        "Release multimedia stream", "Release surface", "Release DirectDraw",
    };
    EXPECT_EQ(ReleaseCalls(), expected);
    EXPECT_EQ(graphReferences - streams.graph.references, 3) << "audio, control and position";
    for (LONG references : {streams.surface.references, streams.directDraw.references, streams.sample.references,
                            streams.drawStream.references, streams.videoStream.references, streams.stream.references}) {
        EXPECT_EQ(references, 1);
    }
    EXPECT_NE(player.GetTexture(), nullptr);
}

TEST_F(VideoPlayer, ARunningStreamIsStoppedBeforeItIsLetGo)
{
    CPVideoPlayer player;
    ASSERT_EQ(player.Play("intro.avi", false), 1);
    player.Start();
    streams.log.calls.clear();
    player.ReleaseStreams();
    EXPECT_EQ(streams.log.calls.front(), "SetState 0");
    EXPECT_EQ(streams.log.calls[1], "Release sample");
}

TEST(VideoTextureSize, IsTheNextPowerOfTwoAboveTheVideo)
{
    const int cases[][2] = {{320, 512}, {240, 256}, {256, 512}, {1, 2}, {0, 2}, {640, 1024}, {480, 512}};
    for (const auto& row : cases) {
        EXPECT_EQ(VideoStreamPlayer::TextureDimension(row[0]), row[1]) << row[0];
    }
}

TEST_F(VideoPlayer, KeepsItsTextureWhileSizeAndDepthFit)
{
    CPVideoPlayer player;
    Size(640, 480);
    ASSERT_EQ(player.Play("a.avi", false), 1);
    IDirect3DTexture9* first = player.GetTexture();
    EXPECT_EQ(LevelOf(first).Width, 1024u);
    EXPECT_EQ(LevelOf(first).Height, 512u);
    EXPECT_EQ(LevelOf(first).Format, D3DFMT_X8R8G8B8);

    Size(600, 400);
    ASSERT_EQ(player.Play("b.avi", false), 1);
    EXPECT_EQ(player.GetTexture(), first);

    g_screenBPP = 16;
    ASSERT_EQ(player.Play("b.avi", false), 1);
    EXPECT_EQ(LevelOf(player.GetTexture()).Format, D3DFMT_R5G6B5);
}

TEST_F(VideoPlayer, PublishesItsTextureInTheCacheEntryMakingItWhenMissing)
{
    CPVideoPlayer player;
    CPVideoPlayer1 second;
    ASSERT_EQ(player.Play("a.avi", false), 1);
    ASSERT_EQ(second.Play("b.avi"), 1);

    RefPtr<CPTexture> video, video1;
    cache.GetTexture(video, "video");
    cache.GetTexture(video1, "video1");
    EXPECT_EQ(video->GetTexture2D(), player.GetTexture());
    EXPECT_EQ(video->GetName(), "VIDEO");
    EXPECT_EQ(video1->GetTexture2D(), second.GetTexture());
    EXPECT_EQ(video1->GetName(), "VIDEO1");

    ASSERT_EQ(player.Play("a.avi", false), 1);
    RefPtr<CPTexture> again;
    cache.GetTexture(again, "video");
    EXPECT_EQ(again.Get(), video.Get()) << "the entry is reused";
    again = nullptr;
    for (RefPtr<CPTexture>* shown : {&video, &video1}) {
        CPTexture* texture = shown->Get();
        *shown = nullptr;
        delete texture;
    }
}

// A Play that fails after the texture changed, or while making it, leaves
// the entry showing the player's texture of the moment, not a freed one.
TEST_F(VideoPlayer, TheCacheEntryFollowsTheTextureAlsoWhenPlayFails)
{
    const struct {
        const char* what;
        const char* failing;
        DWORD width, height;
    } cases[] = {
        {"graph after a new texture", "GetFilterGraph", 640, 480},
        {"stream state after a new texture", "SetState", 640, 480},
        {"no texture of that size", "", 40000, 240},
    };
    for (const auto& row : cases) {
        CPVideoPlayer player;
        Size(320, 240);
        streams.log.failing.clear();
        ASSERT_EQ(player.Play("a.avi", false), 1) << row.what;
        // Held here, the first texture keeps its address from the next one.
        IDirect3DTexture9* first = player.GetTexture();
        first->AddRef();
        Size(row.width, row.height);
        streams.log.failing = row.failing;
        EXPECT_EQ(player.Play("b.avi", false), 0) << row.what;
        RefPtr<CPTexture> shown;
        cache.GetTexture(shown, "video");
        EXPECT_EQ(shown->GetTexture2D(), player.GetTexture()) << row.what;
        EXPECT_EQ(player.GetTexture() == nullptr, row.width > 16384) << row.what;
        first->Release();
    }
    streams.log.failing.clear();
    RefPtr<CPTexture> entry;
    cache.GetTexture(entry, "video");
    CPTexture* texture = entry.Get();
    entry = nullptr;
    delete texture;
}

// The script functions add the player to the task manager after Play, which
// does nothing to a task that runs already.
TEST_F(VideoPlayer, PlayWhileAVideoRunsStartsTheNewOne)
{
    for (bool listed : {true, false}) {
        CPVideoPlayer player;
        CPTaskManager manager;
        g_pTaskManager = listed ? &manager : nullptr;
        ASSERT_EQ(player.Play("a.avi", false), 1);
        if (listed) {
            manager.AddTask(&player);
        } else {
            player.Start();
        }
        ASSERT_EQ(player.Play("b.avi", false), 1);
        g_pTaskManager = &manager;
        manager.AddTask(&player);
        EXPECT_TRUE(player.IsRunning()) << listed;
        EXPECT_EQ(streams.log.calls.back(), "SetState 1") << listed;
        EXPECT_EQ(manager.GetTasks().size(), 1u) << listed;
        g_pTaskManager = nullptr;
    }
}

class FailingVideoStep : public VideoPlayer, public testing::WithParamInterface<const char*> {};

TEST_P(FailingVideoStep, EndsPlayWithZero)
{
    streams.log.failing = GetParam();
    CPVideoPlayer player;
    EXPECT_EQ(player.Play("intro.avi", false), 0);
    EXPECT_EQ(std::count(streams.log.calls.begin(), streams.log.calls.end(), std::string("SetState 0")),
              streams.log.failing == "SetState" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingVideoStep,
                         testing::Values("CreateDirectDraw", "SetCooperativeLevel", "CreateMultiMediaStream",
                                         "Initialize", "AddMediaStream audio", "AddMediaStream video", "OpenFile",
                                         "GetMediaStream", "QueryInterface IDirectDrawMediaStream", "GetFormat",
                                         "CreateSurface", "CreateSample", "GetFilterGraph", "SetState"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

TEST_F(VideoPlayer, FailingGraphInterfacesAndVolumeEndPlayWithZero)
{
    const IID* refused[] = {&IID_IMediaControl, &IID_IMediaPosition, &IID_IBasicAudio};
    for (const IID* iid : refused) {
        streams.graph.refusedInterface = iid;
        CPVideoPlayer player;
        EXPECT_EQ(player.Play("intro.avi", false), 0);
    }
    streams.graph.refusedInterface = nullptr;
    streams.graph.volumeAnswer = E_FAIL;
    CPVideoPlayer player;
    EXPECT_EQ(player.Play("intro.avi", false), 0);
}

TEST_F(VideoPlayer, APathTooLongForTheWideBufferFailsBeforeOpening)
{
    CPVideoPlayer player;
    const std::string longName(MAX_PATH, 'v');
    EXPECT_EQ(player.Play(longName.c_str(), false), 0);
    EXPECT_TRUE(CallsFrom("OpenFile").empty());
}

// A 2 x 2 frame of four known colours in a 32-bit frame with a padded pitch.
void FillFrame(videodouble::RecordingSurface& surface)
{
    surface.format.dwSize = sizeof(DDPIXELFORMAT);
    surface.format.dwFlags = DDPF_RGB;
    surface.format.dwRGBBitCount = 32;
    surface.format.dwRBitMask = 0x00FF0000;
    surface.format.dwGBitMask = 0x0000FF00;
    surface.format.dwBBitMask = 0x000000FF;
    surface.pitch = 12;
    const uint32_t pixels[] = {0x00FF0000, 0x0000FF00, 0xDEADBEEF, 0x000000FF, 0x00123456, 0xDEADBEEF};
    surface.pixels.resize(sizeof(pixels));
    std::memcpy(surface.pixels.data(), pixels, sizeof(pixels));
}

TEST_F(VideoPlayer, EachStepCopiesTheNextFrameIntoTheTopLeftOfTheTexture)
{
    CPVideoPlayer player;
    Size(2, 2);
    FillFrame(streams.surface);
    ASSERT_EQ(player.Play("intro.avi", false), 1);
    player.Start();
    player.Execute();

    D3DLOCKED_RECT locked;
    ASSERT_EQ(player.GetTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const unsigned char* rows = static_cast<const unsigned char*>(locked.pBits);
    uint32_t texels[4];
    std::memcpy(&texels[0], rows, 8);
    std::memcpy(&texels[2], rows + locked.Pitch, 8);
    player.GetTexture()->UnlockRect(0);
    EXPECT_EQ(texels[0], 0xFFFF0000u);
    EXPECT_EQ(texels[1], 0xFF00FF00u);
    EXPECT_EQ(texels[2], 0xFF0000FFu);
    EXPECT_EQ(texels[3], 0xFF123456u);
    EXPECT_EQ(CallsFrom("SetState 1").front(), "SetState 1");
}

TEST_F(VideoPlayer, TheEndOfTheStreamStopsOrLoops)
{
    for (bool loop : {false, true}) {
        CPVideoPlayer player;
        ASSERT_EQ(player.Play("intro.avi", false), 1);
        player.SetLoop(loop);
        player.Start();
        streams.log.calls.clear();
        streams.sample.updates = {MS_S_ENDOFSTREAM};
        player.Execute();

        EXPECT_TRUE(player.HasEnded());
        EXPECT_EQ(player.IsRunning(), loop);
        const std::vector<std::string> stops = {"Update 0", "SetState 0"};
        const std::vector<std::string> loops = {"Update 0", "SetState 0", "Seek 0", "SetState 1"};
        EXPECT_EQ(streams.log.calls, loop ? loops : stops);
    }
}

} // namespace
