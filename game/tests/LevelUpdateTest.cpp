#include "DynamicSky/PDynamicSky.h"
#include "Render/PRender.h"
#include "Sound/PSoundManager.h"
#include "core/Settings.h"
#include "interface/PLensFlareInterface.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/AIManager.h"
#include "game/LevelClock.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "game/tests/ShotTestSupport.h"
#include "physics/PCar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using gameobject_test::Receiver;

namespace {

typedef std::vector<std::string> Texts;

const float kTwoPi = 6.28318531f;
const float kRadius = 100.0f;
const int kNodes = 100;
const int kNone = -1;
const int kPlayer = 10;
const float kStep = 1.0f / 60.0f;

DWORD g_clockNow = 5000;
DWORD FixedClock()
{
    return g_clockNow;
}

D3DXVECTOR3 OnRing(int node)
{
    const float angle = kTwoPi * node / kNodes;
    return D3DXVECTOR3(kRadius * std::cos(angle), kRadius * std::sin(angle), 0.0f);
}

// A zone of three different half extents standing at the point.
RefPtr<CPGameObject> Zone(const D3DXVECTOR3& at, const D3DXVECTOR3& halfExtents = D3DXVECTOR3(3.0f, 4.0f, 5.0f))
{
    RefPtr<CPGameObject> zone(new CPGameObject("zone"));
    zone->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), halfExtents));
    zone->SetPosition(at.x, at.y, at.z);
    zone->UpdateTransform();
    return zone;
}

} // namespace

// A racing level (not the demo) whose route is a ring of 100 pieces with
// the start at node 0; the player, with its car, stands at node 50 and is
// the followed car. The bus has the interface, "jeep" and a "main"
// category receiver; the level's wall clock is fixed.
class LevelUpdate : public ::testing::Test {
protected:
    LevelUpdate()
        : m_savedBus(g_pCommandManager), m_savedData(g_pGameData), m_savedDrivers(g_pAIManager),
          m_savedDelta(FrameDeltaTime), m_savedClock(SetLevelClock(FixedClock))
    {
        g_pCommandManager = &bus;
        g_pGameData = &data;
        g_pAIManager = nullptr;
        for (Receiver* receiver : {&gameInterface, &jeep, &main}) receiver->Start();
        bus.RegisterReceiver("game_interface", &gameInterface);
        bus.RegisterReceiver("jeep", &jeep);
        bus.AddToCategory("main", &main);
        level.reset(new CPLevel);
        level->demoMode = false;
        level->lastClock = static_cast<float>(g_clockNow);
        const float half = kTwoPi / kNodes / 2;
        for (int i = 0; i < kNodes; ++i) {
            pieces.push_back(std::make_unique<CPLine>());
            const float angle = kTwoPi * i / kNodes;
            pieces.back()->SetPoints(D3DXVECTOR3(kRadius * std::cos(angle - half), kRadius * std::sin(angle - half), 0),
                                     D3DXVECTOR3(kRadius * std::cos(angle + half), kRadius * std::sin(angle + half), 0));
            level->route.push_back(pieces.back().get());
        }
        level->startNode = 0;
        level->startPoint = OnRing(0);
        level->startLineDirection = D3DXVECTOR3(4, 0, 0);
        player = new CPPlayer();
        car.reset(new CPCar(player));
        player->SetCar(car.get());
        level->player = player;
        level->cameraCar = player;
        MovePlayer(OnRing(50));
        level->lastNode = 50;
        level->places[0] = level->places[1] = level->places[2] = kNone;
        level->levelTime = 600.0f;
        data.roundCount = 3;
        data.texts["bonus_time"] = "Bonus time";
    }
    ~LevelUpdate() override
    {
        player->SetCar(nullptr);
        level.reset();
        g_pCommandManager = m_savedBus;
        g_pGameData = m_savedData;
        g_pAIManager = m_savedDrivers;
        FrameDeltaTime = m_savedDelta;
        SetLevelClock(m_savedClock);
    }

    void MovePlayer(const D3DXVECTOR3& at)
    {
        player->SetPosition(at.x, at.y, at.z);
        player->UpdateTransform();
    }
    void Frame(float seconds)
    {
        FrameDeltaTime = seconds;
        level->Update();
    }
    Texts Interface() { return gameInterface.TakeCommands(); }

    CPCommandManager bus;
    Receiver gameInterface;
    Receiver jeep;
    Receiver main;
    CPGameData data;
    std::unique_ptr<CPLevel> level;
    CPPlayer* player;
    std::unique_ptr<CPCar> car;
    std::vector<std::unique_ptr<CPLine>> pieces;

private:
    CPCommandManager* m_savedBus;
    CPGameData* m_savedData;
    AIManager* m_savedDrivers;
    float m_savedDelta;
    LevelClockFunction m_savedClock;
};

TEST_F(LevelUpdate, PlacesDecideTheOutcomeOnceByThePlaceToFinish)
{
    const struct {
        int placeToFinish;
        int places[3];
        Texts messages;
        bool over;
    } cases[] = {
        {0, {kPlayer, kNone, kNone}, {"place:1st", "show_message:finish!"}, true},
        {0, {0, kPlayer, kNone}, {"place:2nd", "show_message:lost!"}, true},
        {1, {0, kPlayer, kNone}, {"place:2nd", "show_message:finish!"}, true},
        {1, {0, 1, kPlayer}, {"place:3rd", "show_message:lost!"}, true},
        {2, {0, 1, kPlayer}, {"place:3rd", "show_message:finish!"}, true},
        {-1, {kPlayer, kNone, kNone}, {"place:1st"}, false},
        {-1, {0, kPlayer, kNone}, {"place:2nd", "show_message:lost!"}, true},
        {0, {0, 1, 2}, {"show_message:lost!"}, true},
        {2, {0, 1, kNone}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.messages.empty() ? "none" : c.messages.back());
        level->placeToFinish = c.placeToFinish;
        std::copy(c.places, c.places + 3, level->places);
        level->placesDone = false;
        level->raceOver = false;
        Frame(0.0f);
        EXPECT_EQ(Interface(), c.messages);
        EXPECT_EQ(jeep.TakeCommands(), c.over ? Texts{"game_over:"} : Texts{});
        EXPECT_EQ(level->raceOver, c.over);
        EXPECT_EQ(level->placesDone, !c.messages.empty());
        // Settled once: later frames send nothing more.
        Frame(0.0f);
        EXPECT_TRUE(Interface().empty());
        EXPECT_TRUE(jeep.TakeCommands().empty());
    }
}

// The lap just completed (the second of the list) races the stored best
// of the level; a level without a stored best (number 0) finishes and keeps
// nothing.
TEST_F(LevelUpdate, ATimeTrialFinishesOnlyFasterThanTheStoredBestAndStoresTheRun)
{
    const struct {
        int levelNumber;
        float best;
        const char* message;
        float bestAfter;
    } cases[] = {
        {3, 0.0f, "show_message:finish!", 50.25f},
        {3, 50.25f, "show_message:lost!", 50.25f},
        {3, 60.0f, "show_message:finish!", 50.25f},
        {0, 0.0f, "show_message:finish!", 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.best);
        for (BestTimeRecord& record : data.bestTimes) record = BestTimeRecord();
        data.bestTimes[2].bestTime = c.best;
        data.bestTimes[2].carModel = "old";
        data.bestTimes[2].ghostSamples.assign(4, GhostSample());
        data.roundsRecorded = 3;
        data.roundTimes = {40.0f, 50.25f, 0.0f};
        level->levelNumber = c.levelNumber;
        level->timeMode = true;
        level->ghostCarModel = "tvr2";
        level->ghostSamples = {GhostSample{1, 2, 3, 0, 0, 0, 1, 0.5f}, GhostSample{4, 5, 6, 0, 0, 1, 0, 0.75f}};
        level->places[0] = kPlayer;
        level->placesDone = false;
        level->raceOver = false;
        Frame(0.0f);
        EXPECT_EQ(Interface(), Texts{c.message});
        EXPECT_EQ(jeep.TakeCommands(), Texts{"game_over:"});
        EXPECT_TRUE(level->raceOver && level->placesDone);
        const bool stored = c.levelNumber == 3 && c.bestAfter != c.best;
        EXPECT_EQ(data.bestTimes[2].bestTime, stored ? c.bestAfter : c.best);
        EXPECT_EQ(data.bestTimes[2].carModel, stored ? "tvr2" : "old");
        EXPECT_EQ(data.bestTimes[2].ghostSamples.size(), stored ? 2u : 4u);
        if (stored) {
            EXPECT_EQ(data.bestTimes[2].ghostSamples[1].time, 0.75f);
        }
    }
}

// The player's rule step counts its time bonus down by each step.
TEST_F(LevelUpdate, ThePlayerStepsInFixedSixtiethsCarryingTheRest)
{
    const struct {
        std::vector<float> frames;
        int steps;
    } cases[] = {
        {{0.0f}, 0}, {{0.1f}, 6}, {{0.01f}, 0}, {{0.01f, 0.01f}, 1}, {{kStep}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        player->timeBonus = 100.0f;
        level->stepAccumulator = 0.0f;
        float accumulator = 0.0f;
        float bonus = 100.0f;
        for (float seconds : c.frames) {
            Frame(seconds);
            accumulator += seconds;
        }
        for (int i = 0; i < c.steps; ++i) {
            bonus -= kStep;
            accumulator -= kStep;
        }
        EXPECT_EQ(player->timeBonus, bonus);
        EXPECT_FLOAT_EQ(level->stepAccumulator, accumulator);
        EXPECT_LT(level->stepAccumulator, kStep);
    }
    level->demoMode = true;
    player->timeBonus = 100.0f;
    Frame(0.1f);
    EXPECT_EQ(player->timeBonus, 100.0f) << "no player steps in the demo";
}

TEST_F(LevelUpdate, TheCheckpointTimerRunsFromTheFirstCheckpointOnceStartedAndLosesAtZero)
{
    const struct {
        bool started;
        int current;
        float timer;
        float frame;
        float timerAfter;
        bool lost;
    } cases[] = {
        {false, 0, 0.5f, 0.25f, 0.5f, false},
        {true, -1, 0.5f, 0.25f, 0.5f, false},
        {true, 0, 0.5f, 0.25f, 0.25f, false},
        {true, 0, 0.5f, 0.5f, 0.0f, true},
        {true, 1, 0.25f, 0.5f, 0.0f, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timer - c.frame);
        data.levelStarted = c.started;
        level->currentCheckpoint = c.current;
        level->checkpointTimer = c.timer;
        level->raceOver = level->placesDone = false;
        Frame(c.frame);
        EXPECT_EQ(level->checkpointTimer, c.timerAfter);
        EXPECT_EQ(Interface(), c.lost ? (Texts{"checkpoint:timeout!,1", "show_message:lost!"}) : Texts{});
        EXPECT_EQ(jeep.TakeCommands().size(), c.lost ? 1u : 0u);
        EXPECT_EQ(level->raceOver && level->placesDone, c.lost);
    }
    // Settled races, and single mode, keep the timer.
    level->checkpointTimer = 3.0f;
    Frame(0.5f);
    level->raceOver = level->placesDone = false;
    level->singleMode = true;
    Frame(0.5f);
    EXPECT_EQ(level->checkpointTimer, 3.0f);
}

// Two checkpoints of 30 and 45.5 s: reaching one pays the time left in
// tenths, refills the timer and counts it; staying inside counts nothing;
// the third reach wraps the count, silently in the third round.
TEST_F(LevelUpdate, CheckpointsCountEachNewZoneAndWrapTheirCount)
{
    for (int round : {1, 3}) {
        SCOPED_TRACE(round);
        data.roundsRecorded = round;
        level->checkpoints.assign(2, CheckpointEntry());
        level->checkpoints[0].checkpoint = Zone(OnRing(20));
        level->checkpoints[0].timeAllowance = 30.0f;
        level->checkpoints[1].checkpoint = Zone(OnRing(35));
        level->checkpoints[1].timeAllowance = 45.5f;
        level->currentCheckpoint = kNone;
        level->checkpointsPassed = 0;
        level->checkpointTimer = 12.345f;

        MovePlayer(OnRing(20) + D3DXVECTOR3(2.9f, -3.9f, 0.5f));
        Frame(0.0f);
        EXPECT_EQ(Interface(), (Texts{"bonus_points:time,Bonus time,12.300000", "checkpoint:checkpoint!,0"}));
        EXPECT_EQ(level->checkpointTimer, 30.0f);
        EXPECT_EQ(level->currentCheckpoint, 0);
        Frame(0.0f);
        EXPECT_TRUE(Interface().empty()) << "staying inside";

        level->checkpointTimer = 0.0f;
        MovePlayer(OnRing(35));
        Frame(0.0f);
        EXPECT_EQ(Interface(), Texts{"checkpoint:checkpoint!,1"}) << "no time left, no bonus";
        EXPECT_EQ(level->checkpointsPassed, 2);

        MovePlayer(OnRing(20));
        Frame(0.0f);
        const std::string bonus = "bonus_points:time,Bonus time,45.500000";
        EXPECT_EQ(Interface(), round == 3 ? Texts{bonus} : (Texts{bonus, "checkpoint:checkpoint!,1"}));
        EXPECT_EQ(level->checkpointsPassed, 1);
        EXPECT_EQ(level->currentCheckpoint, 0);
    }
    // Put just outside the box, or once the race is over, nothing counts.
    level->checkpointTrail = CarTrail();
    MovePlayer(OnRing(35) + D3DXVECTOR3(3.0f, 0.0f, 0.5f));
    Frame(0.0f);
    level->raceOver = true;
    MovePlayer(OnRing(35));
    Frame(0.0f);
    EXPECT_TRUE(Interface().empty());
    EXPECT_EQ(level->currentCheckpoint, 0);
}

// The player driven along x through a checkpoint 6 deep at paces of 1 to
// 10 units a frame, from 24 units before its middle: one pass counts once,
// even when no frame finds the car inside.
TEST_F(LevelUpdate, ACheckpointCountsOncePerPassAtAnyPace)
{
    const D3DXVECTOR3 middle = OnRing(20) + D3DXVECTOR3(0.0f, 1.0f, 0.5f);
    for (float pace : {1.0f, 4.0f, 7.0f, 10.0f}) {
        SCOPED_TRACE(pace);
        level->checkpoints.assign(1, CheckpointEntry());
        level->checkpoints[0].checkpoint = Zone(OnRing(20));
        level->currentCheckpoint = kNone;
        level->checkpointsPassed = 0;
        // Put at the start, not driven there.
        level->checkpointTrail = CarTrail();
        for (float x = -24.0f; x <= 24.0f; x += pace) {
            MovePlayer(middle + D3DXVECTOR3(x, 0.0f, 0.0f));
            Frame(0.0f);
        }
        EXPECT_EQ(Interface(), Texts{"checkpoint:checkpoint!,0"});
        EXPECT_EQ(level->checkpointsPassed, 1);
    }
}

// A frame of 20 units, a fast car's, runs through two checkpoints, one
// after the other or a small one inside a large one: both are reached, the
// one the path enters first first, whichever of them the list holds first.
// The second pays the first one's allowance.
TEST_F(LevelUpdate, APathThroughTwoCheckpointsReachesBothInTheOrderItMeetsThem)
{
    const D3DXVECTOR3 from = OnRing(50) + D3DXVECTOR3(-12.0f, 9.0f, 0.5f);
    const D3DXVECTOR3 path(16.0f, -12.0f, 0.5f);
    const D3DXVECTOR3 small(3.0f, 4.0f, 5.0f);
    const struct {
        D3DXVECTOR3 metFirst;
        D3DXVECTOR3 firstHalfExtents;
        D3DXVECTOR3 metSecond;
        D3DXVECTOR3 secondHalfExtents;
    } layouts[] = {
        {from + 0.25f * path, small, from + 0.75f * path, small},
        {from + 0.5f * path, D3DXVECTOR3(7.0f, 5.5f, 2.0f), from + 0.55f * path, D3DXVECTOR3(2.0f, 1.5f, 1.0f)},
    };
    for (const auto& layout : layouts) {
        for (size_t first : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << "layout " << &layout - layouts << ", first in the list " << first);
            const size_t second = 1 - first;
            level->checkpoints.assign(2, CheckpointEntry());
            level->checkpoints[first].checkpoint = Zone(layout.metFirst, layout.firstHalfExtents);
            level->checkpoints[first].timeAllowance = 30.0f;
            level->checkpoints[second].checkpoint = Zone(layout.metSecond, layout.secondHalfExtents);
            level->checkpoints[second].timeAllowance = 45.5f;
            level->currentCheckpoint = kNone;
            level->checkpointsPassed = 0;
            level->checkpointTimer = 0.0f;
            level->checkpointTrail = CarTrail();
            MovePlayer(from);
            Frame(0.0f);
            MovePlayer(from + path);
            Frame(0.0f);
            EXPECT_EQ(Interface(), (Texts{"checkpoint:checkpoint!,0", "bonus_points:time,Bonus time,30.000000",
                                          "checkpoint:checkpoint!,1"}));
            EXPECT_EQ(level->checkpointsPassed, 2);
            EXPECT_EQ(level->currentCheckpoint, static_cast<int>(second));
            EXPECT_EQ(level->checkpointTimer, 45.5f);
        }
    }
}

// A car standing where a small checkpoint lies inside a large one reaches
// one of them a frame, in turn, as it would standing in two overlapping
// gates: no frame reaches both.
TEST_F(LevelUpdate, ACarStandingInTwoOverlappingCheckpointsReachesOneAFrame)
{
    const D3DXVECTOR3 centre = OnRing(50) + D3DXVECTOR3(-4.0f, 6.0f, 0.5f);
    level->checkpoints.assign(2, CheckpointEntry());
    level->checkpoints[0].checkpoint = Zone(centre + D3DXVECTOR3(1.0f, -0.5f, 0.0f), D3DXVECTOR3(7.0f, 5.5f, 2.0f));
    level->checkpoints[1].checkpoint = Zone(centre, D3DXVECTOR3(2.0f, 1.5f, 1.0f));
    level->currentCheckpoint = kNone;
    level->checkpointTrail = CarTrail();
    MovePlayer(centre);
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE(frame);
        Frame(0.0f);
        const Texts sent = Interface();
        EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                                [](const std::string& text) { return text.rfind("checkpoint:", 0) == 0; }),
                  1);
        EXPECT_EQ(level->currentCheckpoint, frame % 2);
    }
}

TEST_F(LevelUpdate, TheLevelTimerFailsTheLevelOnceAndStandsAtZero)
{
    level->levelTime = 0.25f;
    Frame(0.25f);
    EXPECT_TRUE(main.TakeCommands().empty()) << "0 left is not yet below 0";
    Frame(0.125f);
    EXPECT_EQ(main.TakeCommands(), Texts{"level_failed:"});
    EXPECT_EQ(level->levelTime, 0.0f);
    Frame(0.125f);
    EXPECT_TRUE(main.TakeCommands().empty());
    EXPECT_TRUE(level->levelFailedSent);
}

// The clocks count the frame time, the demo's preset clock the wall clock.
TEST_F(LevelUpdate, ClocksCountTheFrameAndTheWallClock)
{
    level->raceTimerOn = true;
    level->startupTime = 15.9f;
    g_clockNow += 250;
    Frame(0.125f);
    EXPECT_EQ(level->raceTime, 0.125f);
    EXPECT_EQ(level->levelTime, 600.0f - 0.125f);
    EXPECT_EQ(level->demoPresetTime, 0.25f);
    EXPECT_EQ(level->lastClock, static_cast<float>(g_clockNow));
    EXPECT_EQ(data.raceClock, 0.125f);
    EXPECT_FLOAT_EQ(level->startupTime, 16.025f);
    Frame(0.125f);
    EXPECT_FLOAT_EQ(level->startupTime, 16.025f) << "stands past 16 s";
}

// The "fast" sound plays on a refill that changes something, at most every
// 2 s; every car in the zone is refilled.
TEST_F(LevelUpdate, NitroZonesFillTheCarsAndSoundAtMostEveryTwoSeconds)
{
    shot_test::ShotSounds sounds;
    CPSoundManager manager(&sounds.cache);
    CPSoundManager* savedManager = g_pSoundManager;
    g_pSoundManager = &manager;
    RefPtr<CNSound> fast;
    manager.LoadSound(fast, "boom.wav", CNSound::kPlain, false);
    ASSERT_TRUE(fast);
    manager.GetNamedSounds()["fast"] = fast;
    auto plays = [&] {
        Texts& calls = shot_test::ShotSounds::BufferOf(fast.Get()).calls;
        const long count = std::count(calls.begin(), calls.end(), "Play 0 0 0");
        calls.clear();
        return count;
    };
    plays();
    level->nitroZones.push_back(Zone(OnRing(50)));
    CPPlayer* opponent = new CPPlayer();
    CPCar opponentCar(opponent);
    opponent->SetCar(&opponentCar);
    opponent->SetPosition(OnRing(50).x + 1.0f, OnRing(50).y, 0.5f);
    level->opponents.push_back(opponent);
    opponentCar.SetNitroStock(20.0f);
    car->SetNitroStock(35.0f);

    const struct {
        float stock;
        float frame;
        long plays;
    } frames[] = {{35.0f, 0.5f, 1}, {10.0f, 1.25f, 0}, {10.0f, 0.75f, 1}, {100.0f, 2.0f, 0}, {99.0f, 2.0f, 1}};
    for (const auto& f : frames) {
        car->SetNitroStock(f.stock);
        Frame(f.frame);
        EXPECT_EQ(plays(), f.plays) << f.stock;
        EXPECT_EQ(car->GetNitroStock(), 100.0f);
    }
    EXPECT_EQ(opponentCar.GetNitroStock(), 100.0f);
    opponent->SetCar(nullptr);
    g_pSoundManager = savedManager;
}

// Seven racers: the first five are fed to their driver states and take
// their rule step; the last two only once every car is driven, fed to the
// traffic states. A car without a driver state still steps.
TEST_F(LevelUpdate, OnlyTheFirstFiveCarsAreDrivenUntilEveryCarIs)
{
    AIManager drivers;
    g_pAIManager = &drivers;
    for (int i = 0; i < 5; ++i) drivers.opponents.push_back(new AI_Vehicle);
    drivers.traffic.push_back(new AI_Vehicle);
    std::vector<CPPlayer*> cars;
    for (int i = 0; i < 7; ++i) {
        cars.push_back(new CPPlayer());
        cars.back()->SetPosition(10.0f * i, -3.0f - i, 1.0f);
        level->opponents.push_back(cars.back());
    }
    for (bool all : {false, true}) {
        SCOPED_TRACE(all);
        level->allCarsDriven = all;
        for (CPPlayer* racer : cars) racer->timeBonus = 1.0f;
        Frame(0.125f);
        for (int i = 0; i < 7; ++i) {
            const bool driven = all || i < 5;
            EXPECT_EQ(cars[static_cast<size_t>(i)]->timeBonus, driven ? 0.875f : 1.0f) << i;
        }
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(drivers.opponents[static_cast<size_t>(i)]->heldObject.Get(), cars[static_cast<size_t>(i)]);
            EXPECT_EQ(drivers.opponents[static_cast<size_t>(i)]->valueA, i);
        }
        EXPECT_EQ(drivers.traffic[0]->heldObject.Get(), all ? cars[5] : nullptr);
        EXPECT_EQ(data.racerPositions.size(), 5u);
        EXPECT_EQ(data.racerPositions["4"], D3DXVECTOR2(40.0f, -7.0f));
    }
    g_pAIManager = nullptr;
    level->opponents.clear();
}

// The demo takes a camera decision after more than 1.5 s: with the seed 1
// the first draws (41, 18467, 6334) pick preset 2 with the orbit turning
// backwards, the next (26500, 19169) camera mode 1.
TEST_F(LevelUpdate, TheDemoCameraDecidesByTheSeededDraws)
{
    level->demoMode = true;
    level->camera = new CPCamera;
    level->cameraPresets[1].distance = 12.0f;
    srand(1);
    Frame(1.5f);
    EXPECT_EQ(level->cameraPreset, 0) << "1.5 s is not yet more";
    Frame(0.25f);
    EXPECT_EQ(level->cameraPreset, 2);
    EXPECT_EQ(level->orbitDirection, -1.0f);
    EXPECT_EQ(level->cameraMode, 0);
    Frame(1.75f);
    EXPECT_EQ(level->cameraPreset, 2);
    EXPECT_EQ(level->cameraMode, 1);
    EXPECT_EQ(level->cameraDistance, 12.0f);
    EXPECT_EQ(level->cameraCar, player);
    // The half-turn preset forces the camera's heading half a turn round.
    FollowInputs inputs;
    level->GetFollowInputs(inputs);
    EXPECT_TRUE(inputs.headingForced);
    EXPECT_NEAR(inputs.forcedHeading + 1.5707964f, std::fmod(level->heading + 3.14159274f + 6.2831855f, 6.2831855f),
                1e-5f);
    CPCamera* camera = level->camera.Get();
    level->camera = nullptr;
    delete camera;
}

// The orbiting preset turns the camera by 0.3 radians a second of the wall
// clock since the preset began, the way the orbit's direction says.
TEST_F(LevelUpdate, TheOrbitTurnsTheCameraItsWayByTheWallClock)
{
    level->demoMode = true;
    level->camera = new CPCamera;
    level->cameraPreset = 1;
    const struct {
        float direction;
        DWORD milliseconds;
        float yaw;
    } frames[] = {{-1.0f, 2000, -0.6f}, {1.0f, 500, 0.75f}};
    for (const auto& f : frames) {
        level->orbitDirection = f.direction;
        g_clockNow += f.milliseconds;
        Frame(0.0f);
        EXPECT_FLOAT_EQ(level->camera->GetYaw(), f.yaw) << f.direction;
    }
    CPCamera* camera = level->camera.Get();
    level->camera = nullptr;
    delete camera;
}

// The view fixed to the car: the eye 1.5 ahead and 1.25 up the car's own
// axes, looking one unit further ahead. The car is turned a quarter about
// x: its nose (local -y) points down, its up axis along -y.
TEST_F(LevelUpdate, ModeTwoFixesTheEyeAheadOfTheCarAlongItsAxes)
{
    level->camera = new CPCamera;
    level->cameraPresets[2].distance = 1.5f;
    level->cameraPresets[2].height = 1.25f;
    level->cameraMode = 2;
    player->SetPosition(3.0f, -7.0f, 11.0f);
    player->SetRotation(0.70710678f, 0.0f, 0.0f, 0.70710678f);
    Frame(0.0f);
    const CPPerspectiveCamera& view = *level->camera->GetFirstView();
    EXPECT_TRUE(level->camera->IsFixedMode());
    const D3DXVECTOR3 eye = view.GetEye(), target = view.GetTarget(), up = view.GetUp();
    EXPECT_NEAR(eye.x, 3.0f, 1e-5f);
    EXPECT_NEAR(eye.y, -8.25f, 1e-5f);
    EXPECT_NEAR(eye.z, 9.5f, 1e-5f);
    EXPECT_NEAR(target.z, 8.5f, 1e-5f);
    EXPECT_NEAR(target.y, -8.25f, 1e-5f);
    EXPECT_NEAR(up.y, -1.0f, 1e-5f);
    EXPECT_NEAR(level->forward.z, -1.0f, 1e-5f);
    level->cameraMode = 0;
    Frame(0.0f);
    EXPECT_FALSE(level->camera->IsFixedMode());
    CPCamera* camera = level->camera.Get();
    level->camera = nullptr;
    delete camera;
}

// While orbiting, the distance grows by the speed over the divisor; a
// divisor of 0 adds nothing.
TEST_F(LevelUpdate, TheOrbitingCameraStandsFartherWithSpeedUnlessTheDivisorIsZero)
{
    level->camera = new CPCamera;
    level->cameraPreset = 1;
    level->cameraDistance = 7.0f;
    level->cameraHeight = 3.0f;
    for (float divisor : {0.0f, 4.0f}) {
        level->distanceDivisor = divisor;
        Frame(0.0f);
        EXPECT_EQ(level->camera->GetTargetDistance(), 7.0f + (divisor != 0.0f ? level->cameraSpeed / divisor : 0.0f));
        EXPECT_TRUE(std::isfinite(level->camera->GetTargetDistance()));
        EXPECT_NEAR(level->camera->GetFollowPoint().z, 2.0f, 1e-6f);
    }
    CPCamera* camera = level->camera.Get();
    level->camera = nullptr;
    delete camera;
}

namespace {

DWORD HundredTicks()
{
    return 100;
}

} // namespace

// The view fixed at the player, looking along -y from the origin; the
// renderer projects x and y straight onto the 1024 x 768 screen. The flare
// fades in by 5 a frame while shown and out while hidden: shown for a sun
// on screen, up and ahead; hidden for one behind the eye, below the
// horizon or off the screen; left alone while the setting is off.
TEST_F(LevelUpdate, TheLensFlareShinesOnlyForASunOnScreenAboveAndAhead)
{
    CPRender render;
    CPRender* savedRender = g_pRender;
    g_pRender = &render;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    render.SetViewProjection(identity);
    const int savedWidth = g_screenWidth, savedHeight = g_screenHeight, savedFlare = g_lensflare;
    g_screenWidth = 1024;
    g_screenHeight = 768;
    g_lensflare = 1;
    level->camera = new CPCamera;
    level->cameraMode = 2;
    player->SetPosition(0.0f, 0.0f, 0.0f);
    CPLensFlareInterface* flare = new CPLensFlareInterface();
    flare->SetFadeClock(HundredTicks);
    level->lensFlare = flare;
    const struct {
        D3DXVECTOR3 sun;
        int setting;
        float alpha;
    } frames[] = {
        {D3DXVECTOR3(0.5f, -0.25f, 10.0f), 1, 5.0f},  {D3DXVECTOR3(-0.9f, -0.9f, 1.0f), 1, 10.0f},
        {D3DXVECTOR3(0.5f, 0.25f, 10.0f), 1, 5.0f},   {D3DXVECTOR3(0.5f, -0.25f, 10.0f), 1, 10.0f},
        {D3DXVECTOR3(0.5f, -0.25f, -10.0f), 1, 5.0f}, {D3DXVECTOR3(0.5f, -0.25f, 10.0f), 0, 5.0f},
        {D3DXVECTOR3(1.0f, -0.25f, 10.0f), 1, 0.0f},
    };
    for (const auto& f : frames) {
        SunPosition = f.sun;
        g_lensflare = f.setting;
        Frame(0.0f);
        EXPECT_EQ(flare->GetAlpha(), f.alpha) << f.sun.x << " " << f.sun.y << " " << f.sun.z;
    }
    SunPosition = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    level->lensFlare = nullptr;
    delete flare;
    CPCamera* camera = level->camera.Get();
    level->camera = nullptr;
    delete camera;
    g_pRender = savedRender;
    g_screenWidth = savedWidth;
    g_screenHeight = savedHeight;
    g_lensflare = savedFlare;
}
