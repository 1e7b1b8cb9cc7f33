// Times the game's frame against a bare Clear/Present loop on the same
// device, with an empty scene and with 1,000 trivial tasks, and the task
// manager's walk against calling the same tasks from an array. Run it by
// hand on a display (a virtual one will do).

#include "host/EngineHost.h"

#include "core/PTaskManager.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const int kFrames = 300;
const int kRounds = 9;
const int kTaskCount = 1000;
const int kWalks = 2000;
const float kFrameTime = 0.02f;
const double kEmptySceneLimit = 1.2;
const double kTaskFrameLimit = 1.3;
const double kTaskWalkLimit = 2.0;

class TrivialTask : public IPProcess {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "TrivialTask"; }
    void Execute() override { ++steps; }
    int GetTaskValue() override { return 0; }

    int steps = 0;
};

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TimeBareFrames(IDirect3DDevice9* device)
{
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames; ++frame) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device->BeginScene();
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    return SecondsSince(start);
}

double TimeHostFrames(EngineHost& host)
{
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames; ++frame) host.RunFrame(kFrameTime);
    return SecondsSince(start);
}

double TimeTaskWalk(EngineHost& host)
{
    const auto start = std::chrono::steady_clock::now();
    for (int walk = 0; walk < kWalks; ++walk) host.RunTasks();
    return SecondsSince(start);
}

double TimeArrayWalk(const std::vector<IPProcess*>& tasks)
{
    const auto start = std::chrono::steady_clock::now();
    for (int walk = 0; walk < kWalks; ++walk) {
        for (IPProcess* task : tasks) {
            if (task->IsRunning()) task->Execute();
        }
    }
    return SecondsSince(start);
}

// The best of several rounds of each, taken in turn, so a slow moment of
// the machine weighs on both sides alike.
template <class Engine, class Baseline>
double BestRatio(Engine engine, Baseline baseline)
{
    double bestEngine = 1e30;
    double bestBaseline = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        bestBaseline = std::min(bestBaseline, baseline());
        bestEngine = std::min(bestEngine, engine());
    }
    return bestEngine / bestBaseline;
}

void PrintRatio(const char* what, double ratio, double limit)
{
    std::printf("ratio %s: %.3f (limit <= %.1f)\n", what, ratio, limit);
}

} // namespace

int main()
{
    CoInitialize(nullptr);
    EngineHost host{HostOptions()};
    std::string error;
    if (!host.Start(GetModuleHandleA(nullptr), error)) {
        std::fprintf(stderr, "host_bench: %s\n", error.c_str());
        return 1;
    }
    IDirect3DDevice9* device = host.GetDevice();
    const double emptyScene = BestRatio([&] { return TimeHostFrames(host); }, [&] { return TimeBareFrames(device); });

    std::vector<std::unique_ptr<TrivialTask>> tasks;
    std::vector<IPProcess*> array;
    for (int index = 0; index < kTaskCount; ++index) {
        tasks.emplace_back(new TrivialTask());
        g_pTaskManager->AddTask(tasks.back().get());
    }
    for (RefPtr<IPProcess>& task : g_pTaskManager->GetTasks()) array.push_back(task.Get());
    const double taskFrames = BestRatio([&] { return TimeHostFrames(host); }, [&] { return TimeBareFrames(device); });
    const double taskWalk = BestRatio([&] { return TimeTaskWalk(host); }, [&] { return TimeArrayWalk(array); });

    PrintRatio("host frame of an empty scene / bare Clear-Present frame", emptyScene, kEmptySceneLimit);
    PrintRatio("host frame with 1000 trivial tasks / bare Clear-Present frame", taskFrames, kTaskFrameLimit);
    PrintRatio("task-list walk / calling the same tasks from an array", taskWalk, kTaskWalkLimit);

    g_pTaskManager->GetTasks().clear();
    host.Shutdown();
    CoUninitialize();
    return 0;
}
