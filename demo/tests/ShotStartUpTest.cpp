#include "demo/DemoData.h"
#include "host/EngineHost.h"

#include "Render/PParticleManager.h"
#include "core/FrameClock.h"
#include "core/PTaskManager.h"
#include "game/PShotSpawner.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

bool IsListed(IPProcess* task)
{
    for (const RefPtr<IPProcess>& listed : g_pTaskManager->GetTasks()) {
        if (listed.Get() == task) return true;
    }
    return false;
}

// The game started beside the demo data: its shot templates are read and
// the runner keeps a spawned explosion alive from frame to frame.
TEST(ShotStartUp, TheDemoShotTemplatesAreReadAndTheRunnerIsListed)
{
    const char* const kFolder = "shot-start";
    CreateDirectoryA(kFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
    std::string error;
    EXPECT_TRUE(WriteDemoData(error)) << error;
    EngineHost host{HostOptions()};
    ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;

    CPShotSpawner* spawner = GetShotSpawner();
    ASSERT_TRUE(spawner);
    for (const char* kind : {"trasser11", "plazma_shot2", "rocket_exp2", "sparks4_gloom", "gib2"}) {
        ASSERT_TRUE(spawner->FindPool(kind)) << kind;
        EXPECT_EQ(spawner->FindPool(kind)->size(), 1u) << kind;
    }
    EXPECT_TRUE(IsListed(spawner->GetRunner()));

    spawner->Spawn("rocket_exp2", D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 0, 1), -1.0f, nullptr, 0);
    EXPECT_FALSE(g_pParticleManager->GetActiveBatches().empty()) << "the explosion's batch";
    host.RunFrame(0.5f);
    EXPECT_EQ(spawner->GetActiveShots().size(), 1u);
    host.RunFrame(0.5f);
    host.RunFrame(0.6f);
    EXPECT_TRUE(spawner->GetActiveShots().empty()) << "past its life of 1.5 s";
    EXPECT_EQ(spawner->FindPool("rocket_exp2")->size(), 2u);

    host.Shutdown();
    SetCurrentDirectoryA("..");
    FrameNumber = 0;
    FullTime = 0.0;
}

} // namespace
