// Times the sky's frame step against the least work it must do: the dome's
// vertex bytes copied four times (recolour, copy, turn, upload). The sky
// draws on a recording device with recording off, which does nothing, and
// every heap allocation of a warm frame is counted.
// Run by hand: tools/wine-run.sh build/x64 build/x64/DynamicSky/sky_bench.exe

#include "DynamicSky/PDynamicSky.h"
#include "DynamicSky/SkySequenceFile.h"
#include "DynamicSky/SkyTextFile.h"
#include "DynamicSky/SkyscapeFile.h"
#include "Render/PRender.h"
#include "Render/tests/RecordingDevice.h"
#include "core/bench/HeapCounter.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const int kSegments = 64;
const int kKeys = 5;
const int kQuads = 4;
const int kWarmFrames = 20;
const int kFrames = 5000;
const int kRounds = 5;
const float kFrameTime = 0.0001f;
const int kCopyPasses = 4;
const double kTimeLimit = 3.0;
const double kAllocationLimit = 0.0;
const char* const kSkyFile = "skyscape_bench.txt";
const char* const kPhaseFile = "phases_bench.txt";

double Seconds()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

SkyscapeDescription::State BenchState(float shade)
{
    SkyscapeDescription::State state;
    state.duration = 1000.0f;
    state.domeAlpha = 255.0f;
    state.turnDegrees = 10.0f * shade;
    state.greyComponent = 3;
    for (int key = 0; key < kKeys; ++key) {
        state.keys.push_back(D3DXVECTOR3(40.0f * key * shade, 30.0f * key, 200.0f - 20.0f * key));
    }
    state.sun = D3DXVECTOR3(255.0f, 240.0f, 200.0f * shade);
    state.ambient = D3DXVECTOR3(60.0f, 60.0f, 80.0f);
    state.fog = D3DXVECTOR3(100.0f, 110.0f, 120.0f * shade);
    for (int quad = 0; quad < kQuads; ++quad) {
        SkyscapeDescription::QuadInState values;
        values.stateAngleDegrees = 30.0f * quad * shade;
        values.scale = 1.0f + shade;
        state.quads.push_back(values);
    }
    return state;
}

void WriteBenchSky()
{
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Clouds", nullptr);
    SkyscapeDescription sky;
    sky.radius = 500.0f;
    sky.segments = kSegments;
    sky.keyCount = kKeys;
    sky.phaseList = kPhaseFile;
    sky.states.push_back(BenchState(0.5f));
    sky.states.push_back(BenchState(1.0f));
    for (int index = 0; index < kQuads; ++index) {
        SkyscapeDescription::Quad quad;
        quad.axis = D3DXVECTOR3(0.2f * index, 0.3f, 1.0f);
        quad.size = 10.0f;
        quad.distance = 100.0f;
        quad.angleDegrees = 15.0f * index;
        sky.quads.push_back(quad);
    }
    WriteSkyscapeFile(SkyFilePath(kSkyFile), sky);
    SkySequenceEntry phase;
    phase.fadeTime = 1.0f;
    phase.meanLength = 1000.0f;
    phase.variation = 0.1f;
    phase.value9 = 1;
    WriteSkySequenceFile(SkyFilePath(kPhaseFile), {phase});
}

void RemoveBenchSky()
{
    std::remove(SkyFilePath(kSkyFile).c_str());
    std::remove(SkyFilePath(kPhaseFile).c_str());
}

double TimeSky(CPDynamicSky& sky, size_t& allocations)
{
    const size_t before = HeapAllocationCount();
    const double start = Seconds();
    for (int frame = 0; frame < kFrames; ++frame) sky.Update(kFrameTime);
    const double elapsed = Seconds() - start;
    allocations = HeapAllocationCount() - before;
    return elapsed;
}

double TimeCopies(std::vector<Vertex48>& from, std::vector<Vertex48>& to)
{
    const size_t bytes = from.size() * sizeof(Vertex48);
    const double start = Seconds();
    for (int frame = 0; frame < kFrames; ++frame) {
        for (int pass = 0; pass < kCopyPasses; ++pass) {
            std::memcpy(pass % 2 ? from.data() : to.data(), pass % 2 ? to.data() : from.data(),
                        bytes);
        }
        from[frame % from.size()].diffuse ^= 1;
    }
    return Seconds() - start;
}

} // namespace

int main()
{
    RecordingDevice device;
    device.SetCreateResult(D3D_OK);
    device.SetRecording(false);
    CPRender render;
    render.SetDevice(device.Get());
    g_pRender = &render;
    g_VertexDrawer.SetDevice(device.Get());
    WriteBenchSky();

    double skyTime = 0.0;
    double copyTime = 0.0;
    size_t allocations = 0;
    {
        CPDynamicSky sky;
        sky.Load(kSkyFile);
        if (!sky.IsLoaded()) {
            std::printf("the bench sky did not load\n");
            return 1;
        }
        for (int frame = 0; frame < kWarmFrames; ++frame) sky.Update(kFrameTime);
        std::vector<Vertex48> from = sky.GetSourceVertices();
        std::vector<Vertex48> to(from.size());
        for (int round = 0; round < kRounds; ++round) {
            size_t roundAllocations = 0;
            skyTime += TimeSky(sky, roundAllocations);
            allocations += roundAllocations;
            copyTime += TimeCopies(from, to);
        }
        std::printf("%d updates of a %zu-vertex dome with %d quads: %.3f s; four copies: %.3f s\n",
                    kFrames * kRounds, from.size(), kQuads, skyTime, copyTime);
    }
    RemoveBenchSky();
    g_VertexDrawer.SetDevice(nullptr);
    g_pRender = nullptr;

    std::printf("ratio sky update against four dome copies: %.2f (limit <= %.0f)\n",
                skyTime / copyTime, kTimeLimit);
    std::printf("ratio heap allocations per warm update: %.2f (limit <= %.0f)\n",
                static_cast<double>(allocations) / (kFrames * kRounds), kAllocationLimit);
    return 0;
}
