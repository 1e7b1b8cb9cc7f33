// One figure of the race each frame, run by hand: a level written like
// "level1" with the player and seven computer cars (two of them on the
// traffic driver states) is loaded and started, with the renderer on a
// recording device that records nothing. Each frame runs the tasks of a
// race in their order: the computer drivers, the car world, the level's
// update. The time of all three over the car world's task alone, over the
// same frames, is printed last, after each task's own share.

#include "Render/PAnimationCache.h"
#include "Render/PObjectLoader.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "Render/tests/RecordingDevice.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PTaskManager.h"
#include "core/Settings.h"
#include "game/AIManager.h"
#include "core/ProblemLog.h"
#include "game/GameLog.h"
#include "game/LevelOneData.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "physics/PCarWorld.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

// The opponents take their car models from the level's name.
const char* const kLevelName = "level1";
const int kOpponents = 7;
const int kTrafficCount = 2;
const float kFrameTime = 1.0f / 60.0f;
// The cars land and get going before the frames are timed.
const int kWarmFrames = 120;
const int kFrames = 1200;
const double kRatioLimit = 1.5;
const float kOpponentSpacing = 8.0f;

double Seconds()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// level1's records with four more computer cars behind the three, each
// built from the first one's description.
bool WriteBenchLevel(std::string& error)
{
    if (!WriteLevelOne(error)) return false;
    LevelFileContent content = LevelOneContent();
    const float r = kLevelOneRoadRadius;
    const D3DXQUATERNION facing(0.0f, 0.0f, 1.0f, 0.0f);
    for (int i = 4; i <= kOpponents; ++i) {
        const std::string name = "enemy" + std::to_string(i);
        const float side = i % 2 == 0 ? -3.0f : 3.0f;
        content.objects.push_back(LevelObjectRecord(name, D3DXVECTOR3(r + side, -28.0f - kOpponentSpacing * (i - 3), 0.5f),
                                                    facing));
        const std::string copy = "Data\\Meshes\\tvr" + std::to_string(i) + "_enemy.rdf";
        if (!CopyFileA("Data\\Meshes\\tvr1_enemy.rdf", copy.c_str(), FALSE)) {
            error = copy + " could not be written";
            return false;
        }
    }
    LevelFileWriter writer;
    writer.Level(content);
    const std::string path = std::string("Data\\Levels\\") + kLevelName + ".lvl";
    if (writer.Save(path)) return true;
    error = path + " could not be written";
    return false;
}

struct FrameTimes {
    double all = 0.0;
    double carWorld = 0.0;
    double drivers = 0.0;
    double update = 0.0;
};

class Bench {
public:
    Bench()
    {
        m_device.SetCreateResult(D3D_OK);
        m_device.SetRecording(false);
        m_render.SetDevice(m_device.Get());
        m_render.SetRenderQueue(&m_queue);
        g_pRender = &m_render;
        g_pObjectLoader = &m_loader;
        g_pAnimationCache = &m_animations;
        g_pCarWorld = &m_world;
        g_pAIManager = &m_drivers;
        g_pGameData = &m_data;
        g_pTaskManager = &m_tasks;
        g_pCommandManager = &m_bus;
        g_quadlevels = 0;
        g_rolling = 0;
    }
    ~Bench()
    {
        m_level.reset();
        m_world.Reset();
        m_render.SetRenderQueue(nullptr);
        g_pRender = nullptr;
        g_pObjectLoader = nullptr;
        g_pAnimationCache = nullptr;
        g_pCarWorld = nullptr;
        g_pAIManager = nullptr;
        g_pGameData = nullptr;
        g_pTaskManager = nullptr;
        g_pCommandManager = nullptr;
    }

    bool Start()
    {
        std::string error;
        if (!WriteBenchLevel(error)) {
            std::printf("the bench level was not written: %s\n", error.c_str());
            return false;
        }
        m_data.trafficCount = kTrafficCount;
        m_data.playerType = CPPlayer::kHumanPlayer;
        m_data.roundCount = 1000;
        m_level.reset(new CPLevel());
        if (!m_level->Load(kLevelName, false, false) || m_level->opponents.size() != kOpponents) {
            std::printf("the bench level did not load its %d computer cars:\n", kOpponents);
            for (const std::string& line : GetGameLog().GetLines()) std::printf("%s\n", line.c_str());
            return false;
        }
        m_data.levelStarted = true;
        m_level->raceTimerOn = true;
        m_level->StartLevel();
        return true;
    }

    // The player holds its throttle down on a gentle turn; the computer
    // drivers race round the ring.
    void RunFrame(FrameTimes& times)
    {
        ++FrameNumber;
        FrameDeltaTime = kFrameTime;
        static_cast<CPPlayer&>(*m_level->player).SetCarParams(1.0f, 0.1f);
        const double start = Seconds();
        m_drivers.Execute();
        const double worldStart = Seconds();
        m_world.Execute();
        const double worldEnd = Seconds();
        m_level->updateTask->Execute();
        const double end = Seconds();
        times.all += end - start;
        times.carWorld += worldEnd - worldStart;
        times.drivers += worldStart - start;
        times.update += end - worldEnd;
        m_queue.ClearFrame();
    }

private:
    RecordingDevice m_device;
    CPRender m_render;
    CPRenderQueue m_queue{nullptr};
    CPObjectLoader m_loader;
    CPAnimationCache m_animations;
    CPCarWorld m_world;
    AIManager m_drivers;
    CPGameData m_data;
    CPTaskManager m_tasks;
    CPCommandManager m_bus;
    std::unique_ptr<CPLevel> m_level;
};

} // namespace

int main()
{
    FrameTimes times;
    {
        Bench bench;
        if (!bench.Start()) return 1;
        FrameTimes warm;
        for (int frame = 0; frame < kWarmFrames; ++frame) bench.RunFrame(warm);
        for (int frame = 0; frame < kFrames; ++frame) bench.RunFrame(times);
    }
    std::printf("%d frames of a race of the player and %d computer cars: %.3f ms a frame, car world %.3f ms\n",
                kFrames, kOpponents, times.all * 1000.0 / kFrames, times.carWorld * 1000.0 / kFrames);
    std::printf("of a frame: drivers %.3f ms, level update %.3f ms\n", times.drivers * 1000.0 / kFrames,
                times.update * 1000.0 / kFrames);
    const double ratio = times.all / times.carWorld;
    std::printf("ratio race frame/car world: %.3f (limit <= %.1f)\n", ratio, kRatioLimit);
    return ratio <= kRatioLimit ? 0 : 1;
}
