#include "core/FrameClock.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PLine.h"
#include "game/tests/LevelLoadFixture.h"
#include "game/tests/TrackFixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

using gameobject_test::Receiver;

namespace {

typedef std::vector<std::string> Texts;

const float kStep = 1.0f / 60.0f;
const int kHumanPlayer = 8;
const int kPlayerRacer = 10;
const int kRounds = 2;
const int kFrameLimit = 12000;
const float kStartLineReach = 2.0f;
const float kSteerAheadAngle = 0.06f;
const float kSteerGain = 2.0f;
const float kCruiseSpeed = 16.0f;
const float kCarWidth = 2.0f;
// The ring's quads are chords of its edges: between their corners the
// outer edge lies up to 0.13 nearer the middle than the half width.
const float kRoadReach = kLevelOneRoadHalfWidth - 0.2f;

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

// "level1" set up as the race script sets it up (the human player's car
// marked in the game data, the rounds, the level started, the race timer
// on, the money) and started, then run frame by frame as the host runs it:
// the frame clock, then every running task in list order. A test driver
// steers the player along the route through SetCarParams, as a script
// would; the receivers log what the race tells the scripts.
class LevelRace : public LevelLoad {
protected:
    LevelRace() : m_savedDelta(FrameDeltaTime) {}
    ~LevelRace() override { FrameDeltaTime = m_savedDelta; }

    void SetUp() override
    {
        LevelLoad::SetUp();
        for (Receiver* receiver : {&gameInterface, &gameMenu, &jeep, &mainScript}) receiver->Start();
        bus.RegisterReceiver("game_interface", &gameInterface);
        bus.RegisterReceiver("gamemenu", &gameMenu);
        bus.RegisterReceiver("jeep", &jeep);
        bus.AddToCategory("main", &mainScript);
        bus.AddToCategory("level", &mainScript);
        data.playerType = kHumanPlayer;
        data.roundCount = kRounds;
        data.money = 100.0f;
        data.texts["bonus_time"] = "Time";
    }

    CPLevel& StartRace(bool timeTrial)
    {
        CPLevel& started = Load("level1", false, timeTrial);
        EXPECT_TRUE(loaded) << Errors(started);
        data.levelStarted = true;
        started.raceTimerOn = true;
        started.StartLevel();
        // The player's part that "jeep" drives tells it of itself, last
        // after a level that went before took its own part away.
        const Texts told = jeep.TakeCommands();
        EXPECT_TRUE(!told.empty() && StartsWith(told.back(), "add_object:"));
        level = &started;
        const D3DXVECTOR3& first = started.route[0]->centre;
        const D3DXVECTOR3& second = started.route[1]->centre;
        routeTurn = first.x * second.y - first.y * second.x > 0.0f ? 1.0f : -1.0f;
        return started;
    }
    CPPlayer& Player() { return static_cast<CPPlayer&>(*level->player); }

    // The script's driving: along the middle of the ring road, the way the
    // route runs, toward a point a little ahead, holding the speed.
    void SteerPlayer()
    {
        CPPlayer& player = Player();
        const D3DXVECTOR3 at = *player.GetPositionRef();
        const float ahead = std::atan2(at.y, at.x) + routeTurn * kSteerAheadAngle;
        const D3DXVECTOR3 target(kLevelOneRoadRadius * std::cos(ahead), kLevelOneRoadRadius * std::sin(ahead), 0.0f);
        const D3DXVECTOR3 nose = ForwardAxisOf(player);
        const D3DXVECTOR3 toTarget = target - at;
        const float offTarget =
            std::atan2(nose.x * toTarget.y - nose.y * toTarget.x, nose.x * toTarget.x + nose.y * toTarget.y);
        const float steer = std::max(-CPCar::kMaxSteer, std::min(CPCar::kMaxSteer, -kSteerGain * offTarget));
        const float speed = level->GetCarPtr()->GetSpeed();
        const float cruise = speedCap > 0.0f ? speedCap : kCruiseSpeed;
        player.SetCarParams(speed < cruise ? 1.0f : 0.0f, steer);
    }

    // One host frame: the script's steering, the clock, then the tasks.
    void RunFrame()
    {
        SteerPlayer();
        RunTasks();
    }
    // The clock, then every running task in list order.
    void RunTasks()
    {
        ++FrameNumber;
        FrameDeltaTime = kStep;
        std::vector<IPProcess*> running;
        for (const RefPtr<IPProcess>& task : tasks.GetTasks()) running.push_back(task.Get());
        for (IPProcess* task : running) {
            if (task->IsRunning() && !task->IsStopped()) task->Execute();
        }
        ++frames;
    }

    // The player's laps seen from outside: a lap ends the first time the
    // car comes within reach of the start line at the start of the road
    // after driving most of the way round.
    void WatchPlayerLap(track_test::AngleTracker& turned, std::vector<int>& lapFrames)
    {
        const D3DXVECTOR3& at = *level->player->GetPositionRef();
        turned.Follow(at);
        const float laps = static_cast<float>(lapFrames.size() + 1);
        const bool nearLine = std::fabs(at.y) <= kStartLineReach && at.x > 0.0f;
        if (nearLine && std::fabs(turned.Total()) > laps * track_test::kTwoPi - 0.5f) lapFrames.push_back(frames);
    }

    bool RacerFinished(size_t racer) const
    {
        auto found = data.racerRecords.find(std::to_string(racer));
        return found != data.racerRecords.end() && found->second.laps > kRounds;
    }

    // The interface log without the arrows, which come every player step,
    // and without what bonuses and drifting tell: the race's own messages.
    static Texts RaceMessages(const Texts& log)
    {
        Texts kept;
        for (const std::string& entry : log) {
            if (StartsWith(entry, "checkpoint:") || StartsWith(entry, "bonus_points:") || StartsWith(entry, "place:") ||
                entry == "show_message:posledniy_krug!" || entry == "show_message:krug_proiden!" ||
                entry == "show_message:finish!" || entry == "show_message:lost!") {
                kept.push_back(entry);
            }
        }
        return kept;
    }

    Receiver gameInterface;
    Receiver gameMenu;
    Receiver jeep;
    Receiver mainScript;
    CPLevel* level = nullptr;
    // +1 when the route runs counter-clockwise round the ring, -1 when clockwise.
    float routeTurn = 1.0f;
    // The speed the driver holds when set, else kCruiseSpeed.
    float speedCap = 0.0f;
    int frames = 0;

private:
    float m_savedDelta;
};

// The start grid: every car stands on its wheels on the road, apart from
// the others, facing the way laps are counted, and none falls or is put
// back on the road while the race gets going.
TEST_F(LevelRace, EveryCarStartsOnItsWheelsApartAndFacingTheWayTheRaceRuns)
{
    CPLevel& race = StartRace(false);
    std::vector<CPPlayer*> cars = {&Player()};
    for (const RefPtr<CPGameObject>& opponent : race.opponents) cars.push_back(static_cast<CPPlayer*>(opponent.Get()));
    ASSERT_EQ(cars.size(), 4u);
    for (size_t i = 0; i < cars.size(); ++i) {
        const D3DXVECTOR3& at = *cars[i]->GetPositionRef();
        const D3DXVECTOR3 raceWay = D3DXVECTOR3(-at.y, at.x, 0.0f) * (routeTurn / std::hypot(at.x, at.y));
        const D3DXVECTOR3 nose = ForwardAxisOf(*cars[i]);
        // The grid bends with the ring: every car faces along it and stands
        // with both sides on the road, also at the back of the grid.
        EXPECT_GT(D3DXVec3Dot(&nose, &raceWay), 0.999f) << "car " << i;
        const float offMiddle = std::fabs(std::hypot(at.x, at.y) - kLevelOneRoadRadius);
        EXPECT_LE(offMiddle + kCarWidth / 2.0f, kRoadReach) << "car " << i;
        for (size_t j = 0; j < i; ++j) {
            const D3DXVECTOR3 apart = at - *cars[j]->GetPositionRef();
            EXPECT_GT(D3DXVec3Length(&apart), kCarWidth) << "cars " << j << " and " << i;
        }
    }
    const int fiveSeconds = static_cast<int>(5.0f / kStep);
    while (frames < fiveSeconds) {
        RunFrame();
        for (size_t i = 0; i < cars.size(); ++i) ASSERT_EQ(cars[i]->respawnCooldown, 0.0f) << "car " << i << " frame " << frames;
    }
    const D3DXVECTOR3& at = *race.player->GetPositionRef();
    EXPECT_GT(std::atan2(at.y, at.x) * routeTurn, 0.2f) << "the player drove the way it faced, past the start line";
}

// The route runs on round the whole ring: each piece, driven from its end
// to its start, begins where the piece before it ended, also where the
// ring closes, so a driver's point ahead never jumps back behind the car.
TEST_F(LevelRace, TheRouteRunsOnRoundTheRingWithoutAStepBack)
{
    CPLevel& race = StartRace(false);
    const std::vector<CPLine*>& route = race.route;
    ASSERT_GT(route.size(), 40u);
    for (size_t i = 0; i < route.size(); ++i) {
        const CPLine& driven = *route[i];
        const CPLine& next = *route[(i + 1) % route.size()];
        const D3DXVECTOR3 gap = next.end - driven.start;
        EXPECT_LT(std::hypot(gap.x, gap.y), 1.0f) << "after route node " << i << " of " << route.size();
    }
}

// The nitro zone across the ring's bottom holds a car driving through it.
TEST_F(LevelRace, APlayerDrivenThroughTheNitroZoneWithNoNitroLeftIsRefilled)
{
    CPLevel& race = StartRace(false);
    ASSERT_EQ(race.nitroZones.size(), 1u);
    CPCar& car = *race.GetCarPtr();
    car.SetNitroStock(0.0f);
    // How far round the ring the player is past the zone, the way the race
    // runs: negative before it.
    const D3DXVECTOR3& zone = *race.nitroZones.front()->GetPositionRef();
    auto pastZone = [&] {
        const D3DXVECTOR3& at = *race.player->GetPositionRef();
        return (std::atan2(at.y, at.x) - std::atan2(zone.y, zone.x)) * routeTurn;
    };
    const float kMargin = 0.15f;
    while (pastZone() < -kMargin && frames < kFrameLimit) RunFrame();
    EXPECT_EQ(car.GetNitroStock(), 0.0f) << "nothing fills it before the zone";
    while (pastZone() < kMargin && frames < kFrameLimit) RunFrame();
    ASSERT_LT(frames, kFrameLimit);
    EXPECT_EQ(car.GetNitroStock(), 100.0f);
}

TEST_F(LevelRace, ThreeComputerCarsAndThePlayerDriveTheirLapsToPlaces)
{
    CPLevel& race = StartRace(false);
    EXPECT_EQ(gameMenu.TakeCommands(), (Texts{"set_money:100.00", "init_game_interface:"}));
    std::vector<int> priorities;
    for (const RefPtr<IPProcess>& task : tasks.GetTasks()) {
        if (task->IsRunning()) priorities.push_back(task->GetPriority());
    }
    for (int priority : {100, 400, 500}) {
        EXPECT_NE(std::find(priorities.begin(), priorities.end(), priority), priorities.end()) << priority;
    }
    EXPECT_TRUE(std::is_sorted(priorities.begin(), priorities.end()));

    track_test::AngleTracker turned(*race.player->GetPositionRef());
    std::vector<int> lapFrames;
    Texts log;
    int arrows = 0;
    bool allDone = false;
    while (!allDone && frames < kFrameLimit) {
        RunFrame();
        WatchPlayerLap(turned, lapFrames);
        for (const std::string& entry : gameInterface.TakeCommands()) {
            if (StartsWith(entry, "update_arrows:")) ++arrows;
            else log.push_back(entry);
        }
        allDone = data.roundsRecorded > kRounds && RacerFinished(0) && RacerFinished(1) && RacerFinished(2);
    }
    ASSERT_TRUE(allDone) << "after " << frames << " frames: player round " << data.roundsRecorded;
    EXPECT_EQ(arrows, frames) << "one player step per frame of 1/60 s";

    // Places in the order the racers finished; the player's place decides
    // the outcome.
    const std::vector<int> places(race.places, race.places + 3);
    EXPECT_EQ(std::count(places.begin(), places.end(), -1), 0);
    const auto player = std::find(places.begin(), places.end(), kPlayerRacer);
    // The player's checkpoints and laps in their order, as far as it drove
    // them before the race ended, then the outcome by its place.
    const Texts laps = {"checkpoint:checkpoint!,0",     "bonus_points:time,Time,", "checkpoint:checkpoint!,1",
                        "show_message:posledniy_krug!", "bonus_points:time,Time,", "checkpoint:checkpoint!,1",
                        "bonus_points:time,Time,",      "checkpoint:checkpoint!,1"};
    Texts outcome;
    const char* const placeNames[] = {"place:1st", "place:2nd", "place:3rd"};
    if (player != places.end()) {
        const long place = player - places.begin();
        outcome.push_back(placeNames[place]);
        outcome.push_back(place <= race.placeToFinish ? "show_message:finish!" : "show_message:lost!");
    } else {
        outcome.push_back("show_message:lost!");
    }
    Texts messages = RaceMessages(log);
    // The time left at a checkpoint varies with the driving: only its label
    // and form are compared.
    for (std::string& entry : messages) {
        if (StartsWith(entry, "bonus_points:time,Time,")) {
            const float left = std::stof(entry.substr(std::strlen("bonus_points:time,Time,")));
            EXPECT_GT(left, 0.0f);
            EXPECT_EQ(entry.substr(entry.size() - 6).find_first_not_of("0123456789"), std::string::npos);
            entry = "bonus_points:time,Time,";
        }
    }
    ASSERT_GE(messages.size(), outcome.size());
    const size_t driven = messages.size() - outcome.size();
    EXPECT_EQ(Texts(messages.begin() + driven, messages.end()), outcome);
    ASSERT_LE(driven, laps.size());
    EXPECT_EQ(Texts(messages.begin(), messages.begin() + driven), Texts(laps.begin(), laps.begin() + driven));
    if (player != places.end()) {
        EXPECT_EQ(driven, laps.size()) << "a placed player drove every lap";
    }
    EXPECT_EQ(jeep.TakeCommands(), Texts{"game_over:"});
    EXPECT_TRUE(race.raceOver);

    // The computer cars' laps are in their records; those placed took
    // their places in turn.
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(data.racerRecords[std::to_string(i)].laps, kRounds + 1) << i;
    for (int racer : places) EXPECT_TRUE(racer == kPlayerRacer || (racer >= 0 && racer < 3)) << racer;

    // Each round's time is the measured lap within a frame; the rounds sum
    // to the race clock.
    ASSERT_GE(lapFrames.size(), 2u);
    ASSERT_GE(data.roundTimes.size(), 3u);
    EXPECT_NEAR(data.roundTimes[0], (lapFrames[0] - 1) * kStep, 1.5f * kStep);
    EXPECT_NEAR(data.roundTimes[1], (lapFrames[1] - lapFrames[0]) * kStep, 1.5f * kStep);
    float sum = 0.0f;
    for (float round : data.roundTimes) sum += round;
    // Both are sums of thousands of frame times in single precision.
    EXPECT_NEAR(sum, data.raceClock, 1e-2f);
    EXPECT_NEAR(data.raceClock, frames * kStep, 1e-2f);

    // Stopped and destroyed, the level leaves nothing listed that is bound
    // to it.
    IPProcess* updater = race.updateTask.Get();
    race.StopLevel();
    Unload();
    EXPECT_EQ(GetLevel(), nullptr);
    EXPECT_FALSE(tasks.IsListed(updater));
    EXPECT_FALSE(IsLiveObject(updater));
}

// A time trial alone on the road: the run is sampled every more than 0.05 s
// of race time and stored as the level's best at the finish; a second,
// slower run replays it with the ghost car and loses.
TEST_F(LevelRace, ATimeTrialStoresTheRunAndASlowerRunRacesItsGhostAndLoses)
{
    data.roundCount = 1;
    ASSERT_TRUE(CopyFileA("Data\\Meshes\\zil_130_.rdf", "Data\\Meshes\\zil_130__.rdf", FALSE));
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        frames = 0;
        data.roundsRecorded = 1;
        data.roundTimes.clear();
        CPLevel& race = StartRace(true);
        for (const RefPtr<CPGameObject>& opponent : race.opponents) world.RemoveCar(opponent.Get());
        speedCap = run == 0 ? 0.0f : 12.0f;
        ASSERT_EQ(race.ghostCar.Get() != nullptr, run == 1);
        const BestTimeRecord stored = data.bestTimes[0];
        bool replayChecked = false;
        // The samples up to the frame that completed the run, which are
        // stored in the next frame, before it samples again.
        size_t sampledBeforeOver = 0;
        while (!race.raceOver && frames < kFrameLimit) {
            sampledBeforeOver = race.ghostSamples.size();
            RunFrame();
            if (run == 1 && !replayChecked && race.raceTime > 20.0f) {
                // The ghost stands between the two stored samples around the
                // race time, turned as the later one.
                const std::vector<GhostSample>& samples = stored.ghostSamples;
                size_t later = 0;
                while (later + 1 < samples.size() && samples[later].time < race.raceTime) ++later;
                ASSERT_GT(later, 0u);
                const GhostSample& a = samples[later - 1];
                const GhostSample& b = samples[later];
                const float t = (race.raceTime - a.time) / (b.time - a.time);
                const D3DXVECTOR3& at = *race.ghostCar->GetPositionRef();
                EXPECT_NEAR(at.x, a.x + (b.x - a.x) * t, 1e-3f);
                EXPECT_NEAR(at.y, a.y + (b.y - a.y) * t, 1e-3f);
                EXPECT_EQ(race.ghostCar->GetRotationRef()->z, b.rotationZ);
                EXPECT_EQ(race.ghostCar->GetRotationRef()->w, b.rotationW);
                replayChecked = true;
            }
        }
        ASSERT_TRUE(race.raceOver) << frames << " frames";
        const Texts messages = RaceMessages(gameInterface.TakeCommands());
        const Texts outcome = {messages.back()};
        EXPECT_EQ(outcome, Texts{run == 0 ? "show_message:finish!" : "show_message:lost!"});
        EXPECT_EQ(std::count_if(messages.begin(), messages.end(), [](const std::string& m) { return StartsWith(m, "place:"); }),
                  0);
        EXPECT_EQ(jeep.TakeCommands(), Texts{"game_over:"});
        const std::vector<GhostSample>& samples = race.ghostSamples;
        ASSERT_GT(samples.size(), 100u);
        for (size_t i = 1; i < samples.size(); ++i) {
            const float gap = samples[i].time - samples[i - 1].time;
            ASSERT_GT(gap, 0.05f) << i;
            ASSERT_LE(gap, 0.05f + kStep + 1e-4f) << i;
        }
        const BestTimeRecord& best = data.bestTimes[0];
        if (run == 0) {
            EXPECT_EQ(best.bestTime, data.roundTimes[0]);
            EXPECT_EQ(best.carModel, "zil_130_");
            // Stored as recorded up to the finish, before the frame that
            // announced it took its own sample (when it took one).
            ASSERT_EQ(best.ghostSamples.size(), sampledBeforeOver);
            EXPECT_EQ(best.ghostSamples.back().time, samples[sampledBeforeOver - 1].time);
            EXPECT_EQ(best.ghostSamples.back().x, samples[sampledBeforeOver - 1].x);
        } else {
            EXPECT_TRUE(replayChecked);
            EXPECT_GT(data.roundTimes[0], best.bestTime);
            EXPECT_EQ(best.bestTime, stored.bestTime) << "a slower run keeps the record";
            EXPECT_EQ(best.ghostSamples.size(), stored.ghostSamples.size());
        }
        race.StopLevel();
        Unload();
    }
}

// The player's car carried round "level1" at a fixed pace, frame by frame,
// the race rules alone running: every crossing of the start line after a
// round is a lap and every pass through a checkpoint's gate counts, however
// far the car moves in a frame (the line reaches 2 units either side, the
// gates are 4 deep). The slowest row is the car's top speed in frames of
// 0.16 s.
TEST_F(LevelRace, AtAnyPaceAndFrameLengthTheCarMissesNoLapOrCheckpoint)
{
    const int kLaps = 20;
    const struct {
        float units;
        float seconds;
    } paces[] = {{5.0f, kStep}, {25.0f * 0.16f, 0.16f}, {9.0f, 2 * kStep}};
    for (const auto& pace : paces) {
        SCOPED_TRACE(pace.units);
        CPLevel& race = Load("level1");
        ASSERT_TRUE(loaded) << Errors(race);
        data.levelStarted = true;
        data.roundCount = 100;
        race.raceTimerOn = true;
        race.StartLevel();
        const float turn = race.route[0]->centre.x * race.route[1]->centre.y -
                                   race.route[0]->centre.y * race.route[1]->centre.x > 0.0f ? 1.0f : -1.0f;
        CPPlayer& player = static_cast<CPPlayer&>(*race.player);
        // Held where it is put.
        player.SetLocked(true);
        const D3DXVECTOR3 start = *player.GetPositionRef();
        const float from = std::atan2(start.y, start.x);
        const float step = pace.units / kLevelOneRoadRadius;
        // Round the ring the laps' times, and a little past the line.
        const int frames = static_cast<int>((kLaps * track_test::kTwoPi + 0.2f) / step);
        int reached = 0;
        for (int frame = 1; frame <= frames; ++frame) {
            const float angle = from + turn * step * frame;
            player.SetPosition(kLevelOneRoadRadius * std::cos(angle), kLevelOneRoadRadius * std::sin(angle), 0.5f);
            const int checkpoint = race.currentCheckpoint;
            FrameDeltaTime = pace.seconds;
            race.Update();
            if (race.currentCheckpoint != checkpoint) ++reached;
        }
        EXPECT_EQ(data.roundsRecorded, kLaps + 1);
        EXPECT_EQ(reached, 2 * kLaps);
        EXPECT_FALSE(race.raceOver);
        race.StopLevel();
        Unload();
    }
}

namespace {

// How far each car of the level's opponents moves on the ground in the
// frames the tasks run.
std::vector<float> DistancesDriven(CPLevel& level, int frames, const std::function<void()>& runTasks)
{
    std::vector<D3DXVECTOR3> starts;
    for (const RefPtr<CPGameObject>& car : level.opponents) starts.push_back(*car->GetPositionRef());
    for (int frame = 0; frame < frames; ++frame) runTasks();
    std::vector<float> distances;
    for (size_t i = 0; i < starts.size(); ++i) {
        const D3DXVECTOR3 moved = *level.opponents[i]->GetPositionRef() - starts[i];
        distances.push_back(std::sqrt(moved.x * moved.x + moved.y * moved.y));
    }
    return distances;
}

} // namespace

// In the demo every car of the level is computer-driven, the followed car
// too: over 300 frames it covers a distance like the others'.
TEST_F(LevelRace, TheDemoDrivesTheFollowedCarLikeTheOthers)
{
    g_rolling = 1;
    CPLevel& demo = Load("level1");
    ASSERT_TRUE(loaded) << Errors(demo);
    demo.StartLevel();
    ASSERT_EQ(demo.opponents.back().Get(), demo.player.Get());
    const std::vector<float> driven = DistancesDriven(demo, 300, [this] { RunTasks(); });
    const float farthest = *std::max_element(driven.begin(), driven.end());
    EXPECT_GT(farthest, 20.0f);
    for (size_t i = 0; i < driven.size(); ++i) EXPECT_GT(driven[i], farthest / 2) << "car " << i;
}

// The second opponent's description is missing: it is left out with a line
// in the log, and the cars before and after it keep their own drivers with
// the route and drive.
TEST_F(LevelRace, ACarWithoutItsDescriptionIsLeftOutAndTheOthersDriveTheirRoutes)
{
    ASSERT_TRUE(DeleteFileA("Data\\Meshes\\tvr2_enemy.rdf"));
    CPLevel& race = Load("level1");
    ASSERT_TRUE(loaded) << Errors(race);
    EXPECT_EQ(race.opponentModels, (Texts{"tvr1", "tvr3"}));
    ASSERT_EQ(race.opponents.size(), 2u);
    EXPECT_EQ(static_cast<CPPlayer&>(*race.opponents[1]).carModel, "tvr3");
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_NE(Log()[0].find("tvr2_enemy.rdf"), std::string::npos) << Log()[0];
    for (size_t i = 0; i < race.opponents.size(); ++i) {
        EXPECT_EQ(drivers.opponents[i]->paths[0].Get(), race.routeSpline.Get()) << i;
        EXPECT_EQ(drivers.opponents[i]->paths[1].Get(), race.rightSpline.Get()) << i;
        EXPECT_EQ(drivers.opponents[i]->paths[2].Get(), race.leftSpline.Get()) << i;
    }
    race.StartLevel();
    // The player's car stays out of the computer cars' way.
    world.RemoveCar(race.player.Get());
    const std::vector<float> driven = DistancesDriven(race, 300, [this] { RunTasks(); });
    for (size_t i = 0; i < driven.size(); ++i) {
        EXPECT_GT(driven[i], 20.0f) << "car " << i;
        EXPECT_EQ(drivers.opponents[i]->heldObject.Get(), race.opponents[i].Get()) << i;
    }
}
