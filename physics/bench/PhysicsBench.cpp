// Two figures of the physics world, run by hand:
// - the sort-and-sweep broad phase against testing all pairs of 10,000
//   moving boxes, on the same boxes in the same run;
// - 100 boxes dropped onto a plane of road triangles, stepped for five
//   simulated seconds, against real time.

#include "physics/PBroadPhase.h"
#include "physics/PSimulator.h"

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

namespace {

const int kBoxCount = 10000;
const int kFrames = 7;
const int kSweepRounds = 5;
const float kWorldSize = 400.0f;
const float kBoxSize = 2.0f;
const float kSpeed = 0.1f;
const double kSweepLimit = 20.0;

const int kSettlingBoxes = 100;
const float kSettlingSeconds = 5.0f;
const double kRealTimeLimit = 50.0;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Sum(const std::vector<double>& values)
{
    return std::accumulate(values.begin(), values.end(), 0.0);
}

struct MovingBox {
    float minimum[3];
    float maximum[3];
    float velocity[3];
};

// Boxes drifting through a flat world, turning back at its edges.
std::vector<MovingBox> MakeBoxes()
{
    std::mt19937 random(2026);
    std::uniform_real_distribution<float> place(0.0f, kWorldSize);
    std::uniform_real_distribution<float> height(0.0f, 20.0f);
    std::uniform_real_distribution<float> speed(-kSpeed, kSpeed);
    std::vector<MovingBox> boxes(kBoxCount);
    for (MovingBox& box : boxes) {
        const float start[3] = {place(random), place(random), height(random)};
        for (int axis = 0; axis < 3; ++axis) {
            box.minimum[axis] = start[axis];
            box.maximum[axis] = start[axis] + kBoxSize;
            box.velocity[axis] = axis == 2 ? 0.0f : speed(random);
        }
    }
    return boxes;
}

void Move(std::vector<MovingBox>& boxes)
{
    for (MovingBox& box : boxes) {
        for (int axis = 0; axis < 2; ++axis) {
            if (box.minimum[axis] < 0.0f || box.maximum[axis] > kWorldSize) box.velocity[axis] = -box.velocity[axis];
            box.minimum[axis] += box.velocity[axis];
            box.maximum[axis] += box.velocity[axis];
        }
    }
}

size_t AllPairs(const std::vector<MovingBox>& boxes)
{
    size_t pairs = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const MovingBox& a = boxes[i];
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const MovingBox& b = boxes[j];
            pairs += a.minimum[0] <= b.maximum[0] && b.minimum[0] <= a.maximum[0] && a.minimum[1] <= b.maximum[1] &&
                     b.minimum[1] <= a.maximum[1] && a.minimum[2] <= b.maximum[2] && b.minimum[2] <= a.maximum[2];
        }
    }
    return pairs;
}

// One round: fresh boxes and a fresh broad phase stepped through the
// frames, each frame's sweep and all-pairs test timed in turn on the same
// boxes. False when the broad phase cannot be allocated or the two find
// different pairs.
bool TimeSweepRound(std::vector<double>& sweepTimes, std::vector<double>& bruteTimes, size_t& pairs)
{
    std::vector<MovingBox> boxes = MakeBoxes();
    CPBroadPhase broadPhase;
    if (!broadPhase.Create(GetHeapAllocator(), kBoxCount)) {
        std::printf("the broad phase could not be allocated\n");
        return false;
    }
    for (int i = 0; i < kBoxCount; ++i) broadPhase.Add(i, boxes[i].minimum, boxes[i].maximum);
    for (int frame = 0; frame < kFrames; ++frame) {
        Move(boxes);
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBoxCount; ++i) broadPhase.SetBounds(i, boxes[i].minimum, boxes[i].maximum);
        broadPhase.Sweep();
        sweepTimes[frame] = std::min(sweepTimes[frame], SecondsSince(start));
        pairs = broadPhase.GetPairs().size();
        start = std::chrono::steady_clock::now();
        const size_t brutePairs = AllPairs(boxes);
        bruteTimes[frame] = std::min(bruteTimes[frame], SecondsSince(start));
        if (pairs != brutePairs) {
            std::printf("the sweep found %zu pairs and all pairs %zu\n", pairs, brutePairs);
            return false;
        }
    }
    return true;
}

// The boxes move the same way in every round, so each frame is the same
// work each time: a frame's fastest time over the rounds is its cost with
// the least disturbance from other work on the machine, and a sweep of a
// few milliseconds is no longer at the mercy of one interruption.
bool SweepAgainstAllPairs(double& ratio)
{
    std::vector<double> sweepTimes(kFrames, DBL_MAX), bruteTimes(kFrames, DBL_MAX);
    size_t pairs = 0;
    for (int round = 0; round < kSweepRounds; ++round) {
        if (!TimeSweepRound(sweepTimes, bruteTimes, pairs)) return false;
    }
    const double sweep = Sum(sweepTimes);
    const double brute = Sum(bruteTimes);
    std::printf("%d moving boxes, %d frames, each frame's fastest of %d rounds\n", kBoxCount, kFrames, kSweepRounds);
    std::printf("  sweep:     %9.3f ms a frame  %zu pairs in the last\n", sweep / kFrames * 1000, pairs);
    std::printf("  all pairs: %9.3f ms a frame\n", brute / kFrames * 1000);
    ratio = brute / sweep;
    return true;
}

// Every body's query answers the same two triangles of a 200 m square.
struct Plane {
    D3DXVECTOR4 vertices[4] = {D3DXVECTOR4(-100, -100, 0, 1), D3DXVECTOR4(100, -100, 0, 1),
                               D3DXVECTOR4(100, 100, 0, 1), D3DXVECTOR4(-100, 100, 0, 1)};
    RoadTriangle triangles[2] = {{{0, 1, 2}, 0, 0, 0}, {{0, 2, 3}, 0, 0, 0}};
    int candidates[2] = {0, 1};
};

Plane g_plane;

void QueryPlane(const D3DXVECTOR3&, const D3DXVECTOR3&, const int** candidates, int* candidateCount,
                const RoadTriangle** triangles, int* triangleCount, const D3DXVECTOR4** vertices, CPRigidBody*)
{
    *candidates = g_plane.candidates;
    *candidateCount = 2;
    *triangles = g_plane.triangles;
    *triangleCount = 2;
    *vertices = g_plane.vertices;
}

bool SettlingAgainstRealTime(double& ratio)
{
    SimulatorSizeInfo sizes;
    sizes.rigidBodiesCount = kSettlingBoxes;
    sizes.geometriesCount = kSettlingBoxes;
    const float gravity[3] = {0, 0, -9.8f};
    CPSimulator* simulator = CreateSimulator(sizes, nullptr, gravity);
    if (!simulator) return false;
    simulator->SetTriangleQueryCallback(QueryPlane);
    simulator->SetMaterial(0, 0.5f, 0.2f);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> tilt(-0.4f, 0.4f);
    for (int i = 0; i < kSettlingBoxes; ++i) {
        CPRigidBody* body = simulator->CreateRigidBody();
        body->AddGeometry()->SetBoxSize(1.0f, 0.8f, 0.6f);
        body->SetMass(2);
        body->SetInertiaTensor(ComputeInertia(D3DXVECTOR3(1.0f, 0.8f, 0.6f), 2));
        body->UpdateBoundingInfo();
        body->SetPosition(1.6f * (i % 10), 1.6f * (i / 10), 1.0f + 0.2f * (i % 7));
        body->SetRotation(tilt(random), tilt(random), tilt(random), 1.0f);
    }
    const int steps = static_cast<int>(kSettlingSeconds / CPSimulator::kTimeStep);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < steps; ++i) simulator->Step();
    const double seconds = SecondsSince(start);
    DestroySimulator(simulator);
    std::printf("%d boxes settling on road triangles, %.0f simulated seconds (%d steps)\n", kSettlingBoxes,
                kSettlingSeconds, steps);
    std::printf("  stepping:  %9.3f ms  %.0f steps per second\n", seconds * 1000, steps / seconds);
    ratio = kSettlingSeconds / seconds;
    return true;
}

} // namespace

int main()
{
    double sweepRatio = 0.0;
    double realTimeRatio = 0.0;
    if (!SweepAgainstAllPairs(sweepRatio) || !SettlingAgainstRealTime(realTimeRatio)) return 1;
    std::printf("ratio all pairs time over sweep time: %.1f (limit >= %.0f)\n", sweepRatio, kSweepLimit);
    std::printf("ratio simulated time over stepping time: %.1f (limit >= %.0f)\n", realTimeRatio, kRealTimeLimit);
    return 0;
}
