#include "game/PLevel.h"

#include "Render/PParticleManager.h"
#include "Render/PRender.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PObjUpdater.h"
#include "core/PTaskManager.h"
#include "core/ProblemLog.h"
#include "game/AIManager.h"
#include "game/GameLog.h"
#include "game/PGameData.h"
#include "physics/PCarWorld.h"

#include <cstdio>

namespace {

const int kUpdatePriority = 500;
const int kStartPriority = 200;
// The render list keys of the camera's two views and of the matrices the
// renderer draws the level's shadows with.
const int kFirstViewKey = 16;
const int kSecondViewKey = 120;
const int kShadowMatrixKey = 16;
const int kIdentityMatrixKey = 17;
const float kLevelSeconds = 600.0f;
// Time slots of each racer record that a start fills with the round time.
const size_t kStartTimeSlots = 5;
const char* const kMenuReceiver = "gamemenu";

void SendToMenu(const char* command, const std::string& params)
{
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByName(kMenuReceiver, command, params);
}

} // namespace

void CPLevel::StartLevel()
{
    if (m_stopped) {
        GetGameLog().Report("%s", "StartLevel: the level was stopped; a race needs the level loaded again");
        return;
    }
    ResetRaceForStart();
    StartTasks();
    HandViewsToRenderer();
    shotsBlocked = false;
    if (player) player->Start(kStartPriority);
    if (levelScene) levelScene->Start(kStartPriority);
    levelTime = kLevelSeconds;
    placedCursor = placedObjects.begin();
    CPGameData* data = GetGameData();
    if (data) {
        char money[32];
        std::snprintf(money, sizeof(money), "%.2f", data->money);
        SendToMenu("set_money", money);
        SendToMenu("init_game_interface", "");
        ResetRoundClocks(*data);
    }
    BuildRoute();
    startupTime = 0.0f;
    trafficRefreshTime = 0.0f;
}

void CPLevel::StopLevel()
{
    if (g_pParticleManager) g_pParticleManager->Clear();
    Stop();
}

void CPLevel::ResetRaceForStart()
{
    placeToFinish = 0;
    placesDone = false;
    for (int& place : places) place = -1;
    stepAccumulator = 0.0f;
    FrameDeltaTime = 0.0f;
}

// The car world and the drivers may be listed already (the game lists the
// car world from start-up); adding a running task again is refused. An
// updater this level started before is stopped and leaves the list, not
// left running beside the new one.
void CPLevel::StartTasks()
{
    AIManager* drivers = GetAIManager();
    CPCarWorld* world = GetCarWorld();
    if (drivers) drivers->SetPriority(AIManager::kPriority);
    if (world) world->SetPriority(CPCarWorld::kPriority);
    if (g_pTaskManager && world) g_pTaskManager->AddTask(world);
    StopUpdate();
    updateTask = new CPObjUpdater<CPLevel>(this, &CPLevel::Update);
    Own(updateTask.Get());
    updateTask->SetPriority(kUpdatePriority);
    if (!g_pTaskManager) return;
    g_pTaskManager->AddTask(updateTask);
    if (drivers) g_pTaskManager->AddTask(drivers);
}

// The shadows fall along the light onto the ground plane.
void CPLevel::HandViewsToRenderer()
{
    if (camera) {
        camera->ActivateFirstView(kFirstViewKey);
        camera->ActivateSecondView(kSecondViewKey);
    }
    CPRender* render = GetRender();
    if (!render) return;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    render->SetRenderListMatrix(identity, kIdentityMatrixKey);
    const D3DXVECTOR4 towardsLight(light.Direction.x, light.Direction.y, light.Direction.z, 0.0f);
    const D3DXPLANE ground(0.0f, 0.0f, -1.0f, 0.0f);
    D3DXMATRIX shadow;
    D3DXMatrixShadow(&shadow, &towardsLight, &ground);
    render->SetRenderListMatrix(shadow, kShadowMatrixKey);
}

void CPLevel::ResetRoundClocks(CPGameData& data)
{
    data.RunningRoundTime() = 0.0f;
    for (auto& entry : data.racerRecords) {
        std::vector<float>& slots = entry.second.timeSlots;
        for (size_t slot = 0; slot < kStartTimeSlots && slot < slots.size(); ++slot) slots[slot] = data.raceRoundTime;
    }
}
