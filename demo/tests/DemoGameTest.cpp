#include "demo/DemoData.h"
#include "host/EngineHost.h"

#include "host/tests/GameProgramRun.h"

#include "DynamicSky/PDynamicSky.h"
#include "Render/PDeviceListener.h"
#include "Render/PRender.h"
#include "core/FrameClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kShot = "game-shot.bmp";

// The opening scene from the demo data, through a device reset: the box at
// the centre, the sky's dome above the horizon near the top, its fog colour
// below the box.
TEST(DemoGame, ShowsTheOpeningSceneWithSkyAndBox)
{
    const char* const kFolder = "demo";
    CreateDirectoryA(kFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
    std::string error;
    const bool written = WriteDemoData(error);
    SetCurrentDirectoryA("..");
    ASSERT_TRUE(written) << error;
    const std::string shot = std::string(kFolder) + "\\" + kShot;
    DeleteFileA(shot.c_str());

    GameProgram game(std::string("--frames 30 --fixed-dt 0.02 --reset-at 10 --screenshot ") + kShot, kFolder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 0u);
    const std::vector<char> bytes = ReadWholeFile(shot);
    ASSERT_GT(bytes.size(), 54u);
    ExpectColourNear(BmpPixel(bytes, 320, 240), kDemoBoxColour, "the box at the centre");
    ExpectColourNear(BmpPixel(bytes, 320, 8), kDemoSkyColour, "the sky near the top");
    ExpectColourNear(BmpPixel(bytes, 320, 440), kDemoFogColour, "the fog below the horizon");
}

// With the opening scene's sky and box loaded from the demo data.
TEST(DemoGame, EndsTheOpeningSceneLeavingNoListenerAndTheDeviceUnheld)
{
    const char* const kFolder = "end-scene";
    CreateDirectoryA(kFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
    std::string error;
    EXPECT_TRUE(WriteDemoData(error)) << error;
    const size_t listenersBefore = GetDeviceListeners().size();
    EngineHost host{HostOptions()};
    ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
    ASSERT_NE(GetRender()->GetSky(), nullptr);
    EXPECT_TRUE(GetRender()->GetSky()->IsLoaded());
    host.RunFrame(0.02f);
    EXPECT_EQ(host.ResetDevice(), D3D_OK);
    host.RunFrame(0.02f);
    EXPECT_GT(GetDeviceListeners().size(), listenersBefore) << "the shadow material's effect listens";
    host.Shutdown();
    SetCurrentDirectoryA("..");
    EXPECT_EQ(GetDeviceListeners().size(), listenersBefore);
    EXPECT_EQ(host.GetFinalDeviceReferences(), 0u);
    FrameNumber = 0;
    FullTime = 0.0;
}

} // namespace
