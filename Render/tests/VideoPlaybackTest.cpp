#include "Render/PAVIPlayer.h"
#include "Render/PRender.h"
#include "Render/PTexture.h"
#include "Render/tests/TinyAvi.h"
#include "Render/tests/VideoPlaybackSetup.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Enough steps to pass every frame of a short video and see its end.
const int kMostSteps = 20;

// Four known colours on a 4 x 2 frame; the second frame differs.
const std::vector<uint32_t> kFirstFrame = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,
                                           0x123456, 0x000000, 0x808080, 0xFEDCBA};

class VideoPlayback : public testing::Test {
protected:
    // The first two rows of the texture's top-left 4 x 2 corner.
    std::vector<uint32_t> Corner(IDirect3DTexture9* texture)
    {
        std::vector<uint32_t> texels(8, 0);
        D3DLOCKED_RECT locked;
        if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return texels;
        for (int row = 0; row < 2; ++row) {
            std::memcpy(&texels[static_cast<size_t>(row * 4)], static_cast<const char*>(locked.pBits) + row * locked.Pitch, 16);
        }
        texture->UnlockRect(0);
        for (uint32_t& texel : texels) texel &= 0x00FFFFFF;
        return texels;
    }

    VideoPlaybackSetup setup;
};

TEST_F(VideoPlayback, AnUncompressedVideoPlaysIntoTheTextureWithExactColours)
{
    TinyAvi avi(4, 2, 10);
    avi.AddFrame(kFirstFrame);
    avi.AddFrame(std::vector<uint32_t>(8, 0x336699));
    ASSERT_TRUE(avi.Write("Data\\Video\\tiny.avi"));

    CPVideoPlayer player;
    ASSERT_EQ(player.Play("tiny.avi", false), 1);
    EXPECT_EQ(player.GetTextureWidth(), 8);
    EXPECT_EQ(player.GetTextureHeight(), 4);
    ASSERT_TRUE(player.Start());
    player.Execute();
    EXPECT_EQ(Corner(player.GetTexture()), kFirstFrame);

    for (int step = 0; step < kMostSteps && !player.HasEnded(); ++step) player.Execute();
    EXPECT_TRUE(player.HasEnded());
    EXPECT_FALSE(player.IsRunning());
    EXPECT_EQ(Corner(player.GetTexture()), std::vector<uint32_t>(8, 0x336699));
}

TEST_F(VideoPlayback, AtSixteenBitsTheColoursKeepTheirHighBits)
{
    TinyAvi avi(4, 2, 10);
    avi.AddFrame(kFirstFrame);
    ASSERT_TRUE(avi.Write("Data\\Video\\tiny16.avi"));
    g_screenBPP = 16;

    CPVideoPlayer player;
    ASSERT_EQ(player.Play("tiny16.avi", true), 1);
    ASSERT_TRUE(player.Start());
    player.Execute();

    D3DLOCKED_RECT locked;
    ASSERT_EQ(player.GetTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (size_t index = 0; index < kFirstFrame.size(); ++index) {
        const uint32_t colour = kFirstFrame[index];
        const uint16_t expected = static_cast<uint16_t>(((colour >> 19) & 0x1F) << 11 | ((colour >> 10) & 0x3F) << 5 |
                                                        ((colour >> 3) & 0x1F));
        uint16_t texel;
        std::memcpy(&texel, static_cast<const char*>(locked.pBits) + (index / 4) * locked.Pitch + (index % 4) * 2, 2);
        EXPECT_EQ(texel, expected) << index;
    }
    player.GetTexture()->UnlockRect(0);
}

} // namespace
