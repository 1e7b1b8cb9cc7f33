// One figure of the race's physics, run by hand: eight computer-driven cars
// on a ring road of 10,000 triangles, stepped on one core for a minute of
// race time, against real time. The road is cut into squares of about 3 m,
// so a car's bounds reach a few dozen triangles, as on a level's road.

#include "core/FrameClock.h"
#include "game/AIManager.h"
#include "game/tests/TrackFixtures.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

const int kCars = 8;
const float kRaceSeconds = 60.0f;
const float kFrame = 1.0f / 60.0f;
const double kRealTimeLimit = 20.0;
// 1,250 segments of 3 m round the ring, 4 lanes of 3 m: 10,000 triangles.
const float kTrackRadius = 600.0f;
const float kTrackHalfWidth = 6.0f;
const int kTrackSegments = 1250;
const int kTrackLanes = 4;
const char* const kRouteFile = "car_bench_route.bin";

RefPtr<CPGameObject> AddDrivenCar(CPCarWorld& world, AIManager& drivers, const track_test::Track& track,
                                  RefPtr<CPSpline> route, float angle)
{
    RefPtr<CPGameObject> car = car_test::MakeCarObject(car_test::CarSetup(), track.PointAt(angle, 1.0f), angle);
    world.AddObject(car, 0, 1);
    world.CreateCar(car, false);
    world.RegisterCar(car.Get());
    RefPtr<AI_Vehicle> driver(new AI_Vehicle());
    driver->Setup(car, D3DXVECTOR3(0, 0, 0), 0.0f, car, static_cast<int>(drivers.opponents.size()), 0);
    driver->SetPathSlot(0, route);
    drivers.opponents.push_back(driver);
    return car;
}

} // namespace

int main()
{
    const track_test::Track track =
        track_test::RingTrack(kTrackRadius, kTrackHalfWidth, kTrackSegments, kTrackLanes);
    RefPtr<CPSpline> route = spline_test::LoadSpline(track.route, kRouteFile);
    DeleteFileA(kRouteFile);
    if (!route) {
        std::printf("the route did not load\n");
        return 1;
    }

    CPCarWorld world;
    g_pCarWorld = &world;
    world.CreateSimulator(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0, 0, 0);
    world.BuildRoadTables(track.road.vertices, track.road.indices);
    AIManager drivers;
    std::vector<RefPtr<CPGameObject>> cars;
    for (int i = 0; i < kCars; ++i) {
        cars.push_back(AddDrivenCar(world, drivers, track, route, track_test::kTwoPi * i / kCars));
    }

    FrameDeltaTime = kFrame;
    const int frames = static_cast<int>(kRaceSeconds / kFrame);
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < frames; ++frame) {
        ++FrameNumber;
        drivers.Execute();
        world.Execute();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int onRoad = 0;
    for (const RefPtr<CPGameObject>& car : cars) onRoad += track.IsOnRoad(*car->GetPositionRef());
    std::printf("%d cars, %d road triangles, %.0f s of race in %.3f s, %d cars on the road at the end\n", kCars,
                world.GetRoadTriangleCount(), kRaceSeconds, seconds, onRoad);
    std::printf("ratio car steps per real time: %.1f (limit >= %.0f)\n", kRaceSeconds / seconds, kRealTimeLimit);
    world.Reset();
    g_pCarWorld = nullptr;
    return 0;
}
