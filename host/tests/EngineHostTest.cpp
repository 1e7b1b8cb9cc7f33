#include "host/EngineHost.h"

#include "host/tests/BackBufferPixel.h"

#include "DynamicSky/PDynamicSky.h"
#include "DynamicSky/VertexObject.h"
#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Render/PDeviceListener.h"
#include "Render/PEffect.h"
#include "Render/PAnimationCache.h"
#include "Render/PMaterial.h"
#include "Render/PObjectLoader.h"
#include "Render/PParticleManager.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "Render/PTexture.h"
#include "Sound/PMusic.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PTaskManager.h"
#include "core/tests/LoggingTask.h"
#include "game/AIManager.h"
#include "game/PActionsManager.h"
#include "game/PGameData.h"
#include "game/PShotSpawner.h"
#include "interface/PFontManager.h"
#include "physics/PCarWorld.h"
#include "core/GlobalTimerTask.h"
#include "game/PLevel.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RunningHost : public testing::Test {
protected:
    void SetUp() override
    {
        FrameNumber = 0;
        FullTime = 0.0;
        std::string error;
        ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
    }
    void TearDown() override
    {
        host.Shutdown();
        FrameDeltaTime = 0.0f;
        FrameNumber = 0;
        FullTime = 0.0;
    }

    D3DCOLOR PixelAt(int x, int y) { return BackBufferPixel(host.GetDevice(), x, y); }

    EngineHost host{HostOptions()};
};

TEST_F(RunningHost, PublishesEverySingleObjectBeforeTheFirstFrame)
{
    EXPECT_EQ(FrameNumber, 0);
    ASSERT_NE(GetRender(), nullptr);
    EXPECT_EQ(GetRender()->GetDevice(), host.GetDevice());
    EXPECT_EQ(GetRender()->GetMaxFade(), 255);
    EXPECT_NE(GetRender()->GetShadowMaterial().Get(), nullptr);
    EXPECT_EQ(GetRender()->GetShadowMaterial()->GetType(), 16);
    ASSERT_NE(g_pTaskManager, nullptr);
    EXPECT_EQ(g_pTaskManager->GetMainWindow(), host.GetWindow());
    const void* singles[] = {g_pTextureCache, g_pEffectCache, g_pMaterialManager, g_pCommandManager,
                             g_pSoundCache,   g_pSoundManager, g_pMusic,         g_pVideoPlayer,
                             g_pVideoPlayer1, g_pParticleManager, g_pFontManager, g_pGameData,
                             g_pShotSpawner,  g_pAnimationCache, g_pObjectLoader, g_pActionsManager,
                             g_pCarWorld};
    for (const void* single : singles) EXPECT_NE(single, nullptr);
    EXPECT_NE(GetAIManager(), nullptr);
    ASSERT_NE(GetRender()->GetRenderQueue().Get(), nullptr);
    EXPECT_EQ(GetRender()->GetStaticBatch().Get(), GetRender()->GetRenderQueue()->GetSharedBuffer());
    EXPECT_EQ(g_VertexDrawer.GetDevice(), host.GetDevice());
    EXPECT_NE(GetRender()->GetSky(), nullptr) << "the opening sky, made by the installed maker";
    bool carWorldRuns = false;
    for (const RefPtr<IPProcess>& task : g_pTaskManager->GetTasks()) carWorldRuns |= task.Get() == g_pCarWorld;
    EXPECT_TRUE(carWorldRuns);
    for (const char* name : {"main", "game_interface", "gamemenu", "jeep"}) {
        EXPECT_TRUE(g_pCommandManager->FindReceiver(name)) << name;
    }
    const auto& list = GetRender()->GetRenderList();
    EXPECT_EQ(list.count(16), 1u) << "the opening camera";
    EXPECT_EQ(list.count(195), 1u) << "the screen camera of the default states";

    host.Shutdown();
    EXPECT_EQ(GetRender(), nullptr);
    EXPECT_EQ(g_pTaskManager, nullptr);
    EXPECT_EQ(g_pVideoPlayer, nullptr);
    EXPECT_EQ(g_pCarWorld, nullptr);
    EXPECT_EQ(g_VertexDrawer.GetDevice(), nullptr);
}

TEST_F(RunningHost, RunsTheTasksInOrderAfterSettingTheClocks)
{
    std::vector<std::string> log;
    LoggingTask late("late", 600, log), early("early", 100, log), middle("middle", 300, log);
    g_pTaskManager->AddTask(&late);
    g_pTaskManager->AddTask(&early);
    host.RunFrame(0.25f);
    EXPECT_FLOAT_EQ(early.seenDeltaTime, 0.25f);
    g_pTaskManager->AddTask(&middle);
    host.RunFrame(0.5f);
    const std::vector<std::string> expected = {"early@1", "late@1", "early@2", "middle@2", "late@2"};
    EXPECT_EQ(log, expected);
    EXPECT_FLOAT_EQ(early.seenDeltaTime, 0.5f);
    EXPECT_DOUBLE_EQ(early.seenFullTime, 0.75);
    g_pTaskManager->GetTasks().remove_if([&](const RefPtr<IPProcess>& task) {
        return task.Get() == &late || task.Get() == &early || task.Get() == &middle;
    });
    log.clear();
    host.RunFrame(0.5f);
    EXPECT_TRUE(log.empty()) << "tasks taken off the list no longer run";
}

// Only a main script brings levels that replace the opening scene; a level
// that exists without one leaves the scene turning under its camera.
TEST_F(RunningHost, WithoutAMainScriptTheOpeningSceneStaysWhenALevelExists)
{
    ASSERT_FALSE(host.GetScripts()->HasMainScript());
    const size_t tasksBefore = g_pTaskManager->GetTasks().size();
    CPLevel level;
    host.RunFrame(0.02f);
    EXPECT_EQ(GetRender()->GetRenderList().count(EngineHost::kWorldCameraKey), 1u);
    EXPECT_EQ(g_pTaskManager->GetTasks().size(), tasksBefore) << "the scene's updater stays";
}

TEST_F(RunningHost, ReceiversTakeTheirCommandsEveryFrame)
{
    g_pCommandManager->SendCommandByName("gamemenu", "set_money", "100");
    g_pCommandManager->SendCommandByCategory("level", "start", "");
    EXPECT_EQ(g_pCommandManager->FindReceiver("gamemenu")->GetQueuedCount(), 1u);
    host.RunFrame(0.02f);
    EXPECT_EQ(g_pCommandManager->FindReceiver("gamemenu")->GetQueuedCount(), 0u);
    EXPECT_EQ(g_pCommandManager->FindReceiver("jeep")->GetQueuedCount(), 0u);
}

TEST_F(RunningHost, TheWindowsKeyMessagesReachTheKeyBindingManager)
{
    const LPARAM keyA = static_cast<LPARAM>(1 | (0x1E << 16));
    SendMessageA(host.GetWindow(), WM_KEYDOWN, 'A', keyA);
    EXPECT_TRUE(g_pActionsManager->keysDown[30]);
    SendMessageA(host.GetWindow(), WM_KEYUP, 'A', keyA);
    EXPECT_FALSE(g_pActionsManager->keysDown[30]);
}

// A task marked stopped, by a script's StopScript or KillAllTasks, no
// longer runs though it still counts as running; one stopped and added
// again is listed twice and still runs once a frame.
TEST_F(RunningHost, TheWalkSkipsStoppedTasksAndRunsATaskListedTwiceOnce)
{
    std::vector<std::string> log;
    LoggingTask kept("kept", 100, log), marked("marked", 200, log);
    g_pTaskManager->AddTask(&kept);
    g_pTaskManager->AddTask(&marked);
    lua_State* state = host.GetScripts()->GetState();
    lua_pushlightuserdata(state, static_cast<IPObject*>(&marked));
    lua_setglobal(state, "marked");
    ASSERT_TRUE(host.GetScripts()->RunText("StopScript(marked)", "test"));
    host.RunFrame(0.02f);
    EXPECT_EQ(log, std::vector<std::string>{"kept@1"});

    marked.Stop();
    g_pTaskManager->AddTask(&marked);
    log.clear();
    host.RunFrame(0.02f);
    EXPECT_EQ(log, (std::vector<std::string>{"kept@2", "marked@2"}));

    ASSERT_TRUE(host.GetScripts()->RunText("KillAllTasks()", "test"));
    log.clear();
    host.RunFrame(0.02f);
    EXPECT_TRUE(log.empty());
    g_pTaskManager->GetTasks().remove_if(
        [&](const RefPtr<IPProcess>& task) { return task.Get() == &kept || task.Get() == &marked; });
}

// A task that takes another out of the list when it runs, as a script
// deleting the level takes the level's update away.
class RemovingTask : public LoggingTask {
public:
    RemovingTask(IPProcess& removed, std::vector<std::string>& log) : LoggingTask("remover", 100, log), m_removed(removed)
    {
    }
    void Execute() override
    {
        LoggingTask::Execute();
        g_pTaskManager->RemoveTask(&m_removed);
    }

private:
    IPProcess& m_removed;
};

TEST_F(RunningHost, ATaskTakenOutOfTheListDuringTheWalkRunsNoMore)
{
    std::vector<std::string> log;
    LoggingTask removed("removed", 200, log);
    RemovingTask remover(removed, log);
    g_pTaskManager->AddTask(&remover);
    g_pTaskManager->AddTask(&removed);
    host.RunFrame(0.02f);
    host.RunFrame(0.02f);
    EXPECT_EQ(log, (std::vector<std::string>{"remover@1", "remover@2"}));
    g_pTaskManager->RemoveTask(&remover);
}

// Stopped, the timer holds the clocks still; restarted, its first frame
// lasts no time.
TEST_F(RunningHost, TheGlobalTimerPausesTheGameAndRestartsWithAFrameOfNoTime)
{
    std::vector<std::string> log;
    LoggingTask watcher("watcher", 100, log);
    g_pTaskManager->AddTask(&watcher);
    host.RunFrame(0.25f);
    EXPECT_FLOAT_EQ(watcher.seenDeltaTime, 0.25f);
    ASSERT_TRUE(host.GetScripts()->RunText("StopGlobalTimer()", "test"));
    host.RunFrame(0.5f);
    EXPECT_FLOAT_EQ(watcher.seenDeltaTime, 0.0f);
    EXPECT_DOUBLE_EQ(watcher.seenFullTime, 0.25);
    ASSERT_TRUE(host.GetScripts()->RunText("StartGlobalTimer()", "test"));
    host.RunFrame(0.5f);
    EXPECT_FLOAT_EQ(watcher.seenDeltaTime, 0.0f);
    host.RunFrame(0.5f);
    EXPECT_FLOAT_EQ(watcher.seenDeltaTime, 0.5f);
    EXPECT_DOUBLE_EQ(watcher.seenFullTime, 0.75);
    g_pTaskManager->GetTasks().remove_if([&](const RefPtr<IPProcess>& task) { return task.Get() == &watcher; });
}

class OrderListener : public IPDeviceListener {
public:
    OrderListener(const char* name, std::vector<std::string>& log) : m_name(name), m_log(log) {}
    void OnLostDevice() override { m_log.push_back(m_name + " lost"); }
    void OnResetDevice() override { m_log.push_back(m_name + " reset"); }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

TEST_F(RunningHost, SurvivesAForcedResetDrawingTheSamePixels)
{
    GetRender()->SetFogColour(0xFF336699);
    GetRender()->SetFade(0.5f);
    host.RunFrame(0.02f);
    host.DrawFrame();
    const D3DCOLOR before = PixelAt(5, 7);
    // Half of each channel shows through the half-dark fade.
    EXPECT_NEAR(static_cast<int>((before >> 16) & 0xFF), 0x33 / 2, 2);
    EXPECT_NEAR(static_cast<int>(before & 0xFF), 0x99 / 2, 2);

    std::vector<std::string> log;
    {
        OrderListener first("first", log), second("second", log);
        EXPECT_EQ(host.ResetDevice(), D3D_OK);
    }
    const std::vector<std::string> expected = {"first lost", "second lost", "first reset", "second reset"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(host.GetDevice()->TestCooperativeLevel(), D3D_OK);
    host.RunFrame(0.02f);
    host.DrawFrame();
    EXPECT_EQ(PixelAt(5, 7), before);
}

TEST_F(RunningHost, MotionBlurBlendsTheLastFrameAndLetsItGoForAReset)
{
    GetRender()->SetFade(1.0f);
    GetRender()->SetMotionBlur(0.5f);
    GetRender()->SetFogColour(0xFFC08040);
    host.DrawFrame();
    EXPECT_EQ(PixelAt(300, 200), 0xC08040u);

    GetRender()->SetFogColour(0xFF000000);
    host.DrawFrame();
    // Half of the blur's full blend, 127 of 255, of the last frame shows.
    const D3DCOLOR blended = PixelAt(300, 200);
    EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xFF), 0xC0 * 127 / 255, 2);
    EXPECT_NEAR(static_cast<int>((blended >> 8) & 0xFF), 0x80 * 127 / 255, 2);
    EXPECT_NEAR(static_cast<int>(blended & 0xFF), 0x40 * 127 / 255, 2);

    EXPECT_EQ(host.ResetDevice(), D3D_OK) << "the kept frame left the default pool";
    host.DrawFrame();
    EXPECT_EQ(PixelAt(300, 200), 0u) << "a reset starts the blur over";
    GetRender()->SetMotionBlur(0.0f);
}

} // namespace
