// One figure of the shots at run time, run by hand: 2,000 projectiles fly
// at car height over "level1" (written into the current folder and loaded
// as the game loads it), among its scenery, its three computer cars and
// the player's car. Each frame the shot runner updates every projectile (a level ray, then
// the racers, over its step); a plain loop makes the same ray queries for
// the same rays. Projectiles that hit something are replaced between
// frames, so 2,000 fly in every frame. Both must find the same number of
// hits; the runner's time over the plain loop's is printed last, and warm
// runner frames must not allocate.

#include "Render/PAnimationCache.h"
#include "Render/PObjectLoader.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PTaskManager.h"
#include "core/RayQuery.h"
#include "core/Settings.h"
#include "core/bench/HeapCounter.h"
#include "game/AIManager.h"
#include "game/LevelOneData.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "game/ProjectileShot.h"
#include "physics/PCarWorld.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

const int kShots = 2000;
// The shots start anywhere over the ring road and the ground round it.
const float kFieldHalfSize = kLevelOneRoadRadius + 30.0f;
const float kShotHeight = 1.0f;
const float kFrameTime = 1.0f / 60.0f;
// Long enough for the pools to hold as many idle impacts as a frame needs.
const int kWarmFrames = 60;
const int kFrames = 200;
const int kRounds = 7;
const double kRatioLimit = 1.5;
const unsigned kSeed = 27;
const char* const kKind = "bullet";
const char* const kImpact = "impact";

double Seconds()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// An impact that ends in the frame after it starts.
class Impact : public CPShot {
public:
    Impact() : CPShot(kImpact) {}
    void Clone(RefPtr<CPShot>& copy) override { copy = new Impact(); }
    bool Update() override { return false; }
};

struct Ray {
    D3DXVECTOR3 origin;
    D3DXVECTOR3 direction;
};

class Bench {
public:
    Bench() : m_random(kSeed)
    {
        g_pShotSpawner = &m_spawner;
        m_spawner.AddTemplate(std::unique_ptr<CPShot>(new Impact()));
        std::unique_ptr<ProjectileShot> bullet(new ProjectileShot(kKind));
        bullet->SetParams({"none", "50", "1000000", "10", kImpact, "none"});
        m_spawner.AddTemplate(std::move(bullet));
        m_rays.reserve(kShots);
    }
    ~Bench()
    {
        g_pShotSpawner = nullptr;
        m_level.reset();
        m_world.Reset();
        g_pObjectLoader = nullptr;
        g_pAnimationCache = nullptr;
        g_pCarWorld = nullptr;
        g_pAIManager = nullptr;
        g_pGameData = nullptr;
        g_pTaskManager = nullptr;
        g_pCommandManager = nullptr;
    }

    // Writes "level1" and loads it with the engine's single objects a load
    // reaches, the branch tree answering the level's rays.
    bool LoadLevelOne()
    {
        for (const char* folder : {"Data", "Data\\Levels", "Data\\Meshes", "Data\\Textures"}) {
            CreateDirectoryA(folder, nullptr);
        }
        std::string error;
        if (!WriteLevelOne(error)) {
            std::printf("level1 was not written: %s\n", error.c_str());
            return false;
        }
        g_pObjectLoader = &m_loader;
        g_pAnimationCache = &m_animations;
        g_pCarWorld = &m_world;
        g_pAIManager = &m_drivers;
        g_pGameData = &m_data;
        g_pTaskManager = &m_tasks;
        g_pCommandManager = &m_bus;
        g_quadlevels = 0;
        m_level.reset(new CPLevel());
        if (!m_level->Load("level1", false, false)) {
            std::printf("level1 did not load\n");
            return false;
        }
        return true;
    }

    // Tops the flying projectiles up to kShots and notes the ray each will
    // test in the next frame. Impacts stay until the runner pools them.
    void Refill()
    {
        CPShotSpawner::ShotList& shots = m_spawner.GetActiveShots();
        std::uniform_real_distribution<float> place(-kFieldHalfSize, kFieldHalfSize);
        std::uniform_real_distribution<float> turn(0.0f, 6.2831853f);
        for (int flying = CountFlying(); flying < kShots; ++flying) {
            const float angle = turn(m_random);
            m_spawner.Spawn(kKind, D3DXVECTOR3(place(m_random), place(m_random), kShotHeight),
                            D3DXVECTOR3(std::cos(angle), std::sin(angle), 0.0f), -1.0f, nullptr, 0);
        }
        m_rays.clear();
        for (const RefPtr<CPShot>& shot : shots) {
            if (shot->GetKindName() == kKind) m_rays.push_back(Ray{shot->GetShotPosition(), shot->GetDirection()});
        }
    }

    // The projectiles among the active shots; the rest are impacts.
    int CountFlying()
    {
        int flying = 0;
        for (const RefPtr<CPShot>& shot : m_spawner.GetActiveShots()) flying += shot->GetKindName() == kKind;
        return flying;
    }

    // One runner frame; answers its seconds and the projectiles that hit.
    double RunnerFrame(int& hits, size_t& allocations)
    {
        const size_t before = HeapAllocationCount();
        const double start = Seconds();
        m_spawner.GetRunner()->Execute();
        const double elapsed = Seconds() - start;
        allocations = HeapAllocationCount() - before;
        hits = kShots - CountFlying();
        return elapsed;
    }

    // The same queries from a plain loop over the noted rays.
    double PlainFrame(int& hits)
    {
        const float step = 50.0f * kFrameTime;
        hits = 0;
        const double start = Seconds();
        for (const Ray& ray : m_rays) {
            RayQuery query;
            query.origin = ray.origin;
            D3DXVec3Normalize(&query.direction, &ray.direction);
            query.distance = step;
            const bool level = m_level->CrossRay(query);
            const bool racer = m_level->CrossRacers(query);
            hits += level || racer;
        }
        return Seconds() - start;
    }

private:
    std::mt19937 m_random;
    CPObjectLoader m_loader;
    CPAnimationCache m_animations;
    CPCarWorld m_world;
    AIManager m_drivers;
    CPGameData m_data;
    CPTaskManager m_tasks;
    CPCommandManager m_bus;
    std::unique_ptr<CPLevel> m_level;
    CPShotSpawner m_spawner;
    std::vector<Ray> m_rays;
};

} // namespace

int main()
{
    FrameDeltaTime = kFrameTime;
    Bench bench;
    if (!bench.LoadLevelOne()) return 1;
    int hits = 0;
    size_t allocations = 0;
    for (int frame = 0; frame < kWarmFrames; ++frame) {
        bench.Refill();
        bench.RunnerFrame(hits, allocations);
    }
    double bestRunner = 1e30, bestPlain = 1e30;
    size_t warmAllocations = 0;
    int runnerHits = 0, plainHits = 0;
    for (int round = 0; round < kRounds; ++round) {
        double runner = 0.0, plain = 0.0;
        for (int frame = 0; frame < kFrames; ++frame) {
            bench.Refill();
            int frameHits = 0;
            plain += bench.PlainFrame(frameHits);
            plainHits += frameHits;
            runner += bench.RunnerFrame(frameHits, allocations);
            runnerHits += frameHits;
            warmAllocations += allocations;
        }
        bestRunner = std::min(bestRunner, runner / kFrames);
        bestPlain = std::min(bestPlain, plain / kFrames);
    }
    std::printf("%d projectiles over level1: runner %.3f ms a frame, plain rays %.3f ms; "
                "hits %d and %d over %d frames\n",
                kShots, bestRunner * 1000.0, bestPlain * 1000.0, runnerHits, plainHits, kRounds * kFrames);
    std::printf("heap allocations in %d warm runner frames: %u\n", kRounds * kFrames,
                static_cast<unsigned>(warmAllocations));
    const double ratio = bestRunner / bestPlain;
    std::printf("ratio shot runner/plain rays: %.3f (limit <= %.1f)\n", ratio, kRatioLimit);
    const bool same = runnerHits == plainHits;
    if (!same) std::printf("the runner and the plain loop found different hits\n");
    return same && warmAllocations == 0 && ratio <= kRatioLimit ? 0 : 1;
}
