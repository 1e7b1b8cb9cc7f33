#include "demo/DemoData.h"
#include "host/EngineHost.h"
#include "script/ScriptDemoData.h"
#include "game/PLevel.h"
#include "script/ScriptHost.h"
#include "core/PTaskManager.h"

#include "host/tests/GameProgramRun.h"

#include "DynamicSky/PDynamicSky.h"
#include "Render/PDeviceListener.h"
#include "Render/PRender.h"
#include "core/FrameClock.h"

#include <gtest/gtest.h>

#include <fstream>
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
    const std::vector<char> log = ReadWholeFile(std::string(kFolder) + "\\game.log");
    const std::string logged(log.begin(), log.end());
    EXPECT_NE(logged.find(std::string(kDemoMainScriptLine) + "\n"), std::string::npos) << logged;
    EXPECT_EQ(logged.find("error: "), std::string::npos) << logged;
}

// The rest of the run goes on; the run's exit code tells of the error.
TEST(DemoGame, EndsAFramesRunThatSawAScriptErrorWithThree)
{
    const char* const kFolder = "broken";
    for (const char* folder : {"broken", "broken\\Data", "broken\\Data\\Scripts"}) CreateDirectoryA(folder, nullptr);
    std::ofstream("broken\\Data\\Scripts\\main.lua", std::ios::binary) << "print('before')\nlocal x = nil + 1\n";
    GameProgram game("--frames 3 --fixed-dt 0.02", kFolder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 3u);
    const std::vector<char> log = ReadWholeFile("broken\\game.log");
    EXPECT_EQ(std::string(log.begin(), log.end()),
              "before\nerror: Data\\Scripts\\main.lua:2: attempt to perform arithmetic on a nil value\n");
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

// The demo data brings a main script: its scene stays until a level exists.
TEST(DemoGame, TheOpeningSceneGivesWayOnceAScriptedLevelExists)
{
    const char* const kFolder = "scripted-scene";
    CreateDirectoryA(kFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
    std::string error;
    EXPECT_TRUE(WriteDemoData(error)) << error;
    {
        EngineHost host{HostOptions()};
        ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
        ASSERT_TRUE(host.GetScripts()->HasMainScript());
        host.RunFrame(0.02f);
        EXPECT_EQ(GetRender()->GetRenderList().count(EngineHost::kWorldCameraKey), 1u);
        const size_t tasksBefore = g_pTaskManager->GetTasks().size();
        {
            CPLevel level;
            host.RunFrame(0.02f);
            EXPECT_EQ(GetRender()->GetRenderList().count(EngineHost::kWorldCameraKey), 0u);
            EXPECT_EQ(g_pTaskManager->GetTasks().size(), tasksBefore - 1) << "the scene's updater";
            host.RunFrame(0.02f);
        }
        host.Shutdown();
    }
    SetCurrentDirectoryA("..");
    FrameNumber = 0;
    FullTime = 0.0;
}

} // namespace
