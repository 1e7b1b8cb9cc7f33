#include "core/PCommandManager.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

const float kTwoPi = 6.28318531f;
const float kRadius = 100.0f;
const int kNodes = 100;
const int kNone = -1;

// A racer of the level; its side flags say what kind of car it is.
RefPtr<CPGameObject> Racer(uint32_t sideFlags)
{
    CPPlayer* racer = new CPPlayer();
    racer->sideFlags = sideFlags;
    return racer;
}

} // namespace

// A level whose route is a ring of pieces round the origin, node i at the
// angle 2 pi i / n, driven with rising node numbers; the start line runs
// across the road at node 0. The followed car stands at node 0.
class LevelLaps : public ::testing::Test {
protected:
    LevelLaps() : m_savedBus(g_pCommandManager), m_savedData(g_pGameData)
    {
        g_pCommandManager = &bus;
        g_pGameData = &data;
        bus.RegisterReceiver("game_interface", &messages);
        messages.Start();
        MakeRing(kNodes);
        level.startNode = 0;
        level.startPoint = level.route[0]->centre;
        // Not of unit length: the line's direction is normalised first.
        level.startLineDirection = D3DXVECTOR3(4, 0, 0);
        level.cameraCar = &car;
        MoveTo(car, 0);
        level.lastNode = 0;
        level.places[0] = level.places[1] = level.places[2] = kNone;
        data.roundCount = 3;
    }
    ~LevelLaps() override
    {
        g_pCommandManager = m_savedBus;
        g_pGameData = m_savedData;
    }

    void MakeRing(int nodes)
    {
        const float half = kTwoPi / nodes / 2;
        for (int i = 0; i < nodes; ++i) {
            const float angle = kTwoPi * i / nodes;
            pieces.push_back(std::make_unique<CPLine>());
            pieces.back()->SetPoints(PointAt(angle - half), PointAt(angle + half));
            level.route.push_back(pieces.back().get());
        }
    }
    static D3DXVECTOR3 PointAt(float angle)
    {
        return D3DXVECTOR3(kRadius * std::cos(angle), kRadius * std::sin(angle), 0.0f);
    }
    void MoveTo(CPGameObject& racer, int node, const D3DXVECTOR3& offset = D3DXVECTOR3(0, 0, 0))
    {
        const D3DXVECTOR3 at = level.route[static_cast<size_t>(node)]->centre + offset;
        racer.SetPosition(at.x, at.y, at.z);
    }
    // A ring of the given pieces in place of the fixture's, the followed car
    // on its start line.
    void UseRing(int nodes)
    {
        level.route.clear();
        pieces.clear();
        MakeRing(nodes);
        level.startPoint = level.route[0]->centre;
        MoveTo(car, 0);
        level.lastNode = 0;
    }
    int Nodes() const { return static_cast<int>(level.route.size()); }
    // Places the racer on the ring's circle at the angle from the start.
    static void PlaceAt(CPGameObject& racer, float angle)
    {
        const D3DXVECTOR3 at = PointAt(angle);
        racer.SetPosition(at.x, at.y, at.z);
    }
    // Drives the followed car node by node with rising numbers, one frame
    // of the race clocks per node.
    void Drive(int from, int nodes, float seconds)
    {
        for (int i = 1; i <= nodes; ++i) {
            MoveTo(car, (from + i) % Nodes());
            level.UpdateRaceClocks(seconds);
        }
    }
    // Drives the followed car back from the node, with falling numbers.
    void DriveBack(int from, int nodes)
    {
        for (int i = 1; i <= nodes; ++i) {
            MoveTo(car, (from - i + Nodes()) % Nodes());
            level.UpdateLaps();
        }
    }
    std::vector<int> Places() const { return {level.places[0], level.places[1], level.places[2]}; }

    CPCommandManager bus;
    gameobject_test::Receiver messages;
    CPGameData data;
    CPLevel level;
    CPGameObject car{"car"};
    std::vector<std::unique_ptr<CPLine>> pieces;

private:
    CPCommandManager* m_savedBus;
    CPGameData* m_savedData;
};

// A step goes the shorter way round the ring: one of more than half the
// ring runs round the end of the numbering, by n - 1 nodes, and one of
// exactly half the ring counts nothing.
TEST_F(LevelLaps, StepsBetweenNodesTakeTheShorterWayRound)
{
    level.opponents = {Racer(0)};
    level.startNode = 60;
    const struct {
        int from;
        int to;
        int step;
    } cases[] = {
        {98, 2, 3},   {2, 98, -3},  {10, 24, 14}, {10, 25, 15},  {24, 10, -14},
        {25, 10, -15}, {50, 51, 1},  {51, 50, -1}, {0, 99, 0},    {99, 0, 0},
        {10, 59, 49}, {59, 10, -49}, {20, 70, 0},  {70, 20, 0},   {10, 61, -48},
        {61, 10, 48},
    };
    for (const auto& c : cases) {
        level.lastNode = level.racerNodes[0] = c.from;
        level.lapProgress = level.racerProgress[0] = 0;
        data.routeProgress = 500;
        data.racerRecords["0"].totalProgress = 500;
        MoveTo(car, c.to);
        MoveTo(*level.opponents[0], c.to);
        level.UpdateLaps();
        EXPECT_EQ(level.lapProgress, c.step) << c.from << " -> " << c.to;
        EXPECT_EQ(data.routeProgress, 500 + c.step) << c.from << " -> " << c.to;
        EXPECT_EQ(level.lastNode, c.to);
        EXPECT_EQ(level.racerProgress[0], c.step) << c.from << " -> " << c.to;
        EXPECT_EQ(data.racerRecords["0"].totalProgress, 500 + c.step) << c.from << " -> " << c.to;
        EXPECT_EQ(level.racerNodes[0], c.to);
    }
}

// A lap from node 0 to node 0 advances 98 nodes: the last step, 99 to 0,
// counts nothing. The clocks run from the frame after the start.
TEST_F(LevelLaps, AThreeLapRaceAnnouncesTheLapsAndPlacesTheCarAtTheEnd)
{
    level.raceTimerOn = true;
    const float frame = 0.25f;
    Drive(0, kNodes, frame);
    EXPECT_EQ(messages.TakeCommands(), std::vector<std::string>{"show_message:krug_proiden!"});
    EXPECT_EQ(data.roundsRecorded, 2);
    EXPECT_EQ(data.routeProgress, 99);
    EXPECT_EQ(level.lapProgress, 0);

    Drive(0, kNodes, frame);
    EXPECT_EQ(messages.TakeCommands(), std::vector<std::string>{"show_message:posledniy_krug!"});
    EXPECT_EQ(data.routeProgress, 2 * 99);
    EXPECT_EQ(Places(), (std::vector<int>{kNone, kNone, kNone}));

    Drive(0, kNodes, frame);
    EXPECT_TRUE(messages.TakeCommands().empty());
    EXPECT_EQ(data.roundsRecorded, 4);
    EXPECT_EQ(Places(), (std::vector<int>{CPLevel::kCameraCarRacer, kNone, kNone}));
    EXPECT_FLOAT_EQ(data.GetRoundTime(1), 99 * frame);
    EXPECT_FLOAT_EQ(data.GetRoundTime(2), kNodes * frame);
    EXPECT_FLOAT_EQ(data.GetRoundTime(3), kNodes * frame);
    EXPECT_FLOAT_EQ(data.GetRoundTime(4), frame);
    EXPECT_FLOAT_EQ(data.raceClock, 3 * kNodes * frame);
}

// Half the ring driven and a jump back to the line (a script putting the
// car there) is half a lap, not a lap.
TEST_F(LevelLaps, HalfTheRingAndAJumpBackToTheLineCountsNoLap)
{
    Drive(0, kNodes / 2, 0.0f);
    MoveTo(car, 0);
    level.UpdateLaps();
    EXPECT_EQ(data.roundsRecorded, 1);
    EXPECT_EQ(level.lapProgress, kNodes / 2);
    EXPECT_TRUE(messages.TakeCommands().empty());
}

// On a ring of 1800 pieces 0.35 units apart, a frame of 20 units (a fast
// car's) covers 57 pieces: the followed car and a computer car count it
// forward.
TEST_F(LevelLaps, AFastCarOnShortPiecesCountsItsStepsForward)
{
    const int nodes = 1800;
    const int piecesAFrame = 57;
    UseRing(nodes);
    level.opponents = {Racer(0)};
    CPGameObject& racer = *level.opponents[0];
    MoveTo(racer, 0);
    level.racerNodes[0] = 0;
    int node = 0;
    for (int frame = 0; frame < 10; ++frame) {
        node += piecesAFrame;
        MoveTo(car, node);
        MoveTo(racer, node);
        level.UpdateLaps();
    }
    EXPECT_EQ(level.lapProgress, 10 * piecesAFrame);
    EXPECT_EQ(level.racerProgress[0], 10 * piecesAFrame);
}

TEST_F(LevelLaps, DrivingBackOverTheLineAndForwardAgainCountsNoLap)
{
    DriveBack(0, 5);
    EXPECT_EQ(level.lapProgress, -4);
    Drive(kNodes - 5, 5, 0.0f);
    EXPECT_EQ(level.lapProgress, 0);
    EXPECT_EQ(data.roundsRecorded, 1);
    Drive(0, kNodes - 1, 0.0f);
    EXPECT_EQ(data.roundsRecorded, 1);
    Drive(kNodes - 1, 1, 0.0f);
    EXPECT_EQ(data.roundsRecorded, 2);
}

// The followed car needs n - 20 nodes and to be within 2 of the start
// line, measured in all three directions; it stands where it is put.
TEST_F(LevelLaps, CompletesALapOnlyCloseToTheStartLineAfterEnoughNodes)
{
    const struct {
        int progress;
        D3DXVECTOR3 offset;
        int rounds;
    } cases[] = {
        {80, D3DXVECTOR3(1.5f, 0, 0), 2},     {79, D3DXVECTOR3(0, 0, 0), 1},
        {80, D3DXVECTOR3(0.3f, 2.0f, 0), 2},  {80, D3DXVECTOR3(0, -2.05f, 0), 1},
        {80, D3DXVECTOR3(0, 1.2f, 1.6f), 2},  {80, D3DXVECTOR3(0, 1.2f, 1.7f), 1},
    };
    for (const auto& c : cases) {
        data.roundsRecorded = 1;
        level.lastNode = kNodes - 1;
        level.lapProgress = c.progress;
        MoveTo(car, 0, c.offset);
        level.cameraCarTrail = CarTrail();
        level.UpdateLaps();
        EXPECT_EQ(data.roundsRecorded, c.rounds) << c.progress << " " << c.offset.y << " " << c.offset.z;
    }
}

// The human player's car among the opponents keeps its number but takes
// no slot: the computer cars behind it use slots 0 and 1 and place as
// racers 1 and 2.
TEST_F(LevelLaps, TheFollowedCarWinsATieThenTheComputerCarsInOrder)
{
    data.roundCount = 1;
    level.opponents = {Racer(CPPlayer::kHumanPlayer), Racer(0), Racer(0)};
    for (size_t slot = 0; slot < 2; ++slot) {
        level.racerNodes[slot] = kNodes - 1;
        level.racerProgress[slot] = 50;
    }
    for (const RefPtr<CPGameObject>& racer : level.opponents) MoveTo(*racer, 0);
    level.lastNode = kNodes - 1;
    level.lapProgress = 90;
    level.UpdateLaps();
    EXPECT_EQ(Places(), (std::vector<int>{CPLevel::kCameraCarRacer, 1, 2}));
    EXPECT_EQ(data.racerRecords["1"].laps, 2);
    EXPECT_EQ(data.racerRecords["1"].totalProgress, 99);
    EXPECT_EQ(level.racerProgress[0], 0);
    EXPECT_EQ(level.racerProgress[1], 0);
    EXPECT_EQ(data.racerRecords.count("0"), 0u);
}

// In the demo the followed car is also among the opponents. Without the
// human player's flag (no SetPlayerType) it is still one racer: it takes
// one place, and the computer car before it keeps its slot and its number.
TEST_F(LevelLaps, TheFollowedCarAmongTheOpponentsTakesOnePlace)
{
    data.roundCount = 1;
    RefPtr<CPGameObject> followed = Racer(0);
    level.opponents = {Racer(0), followed};
    level.cameraCar = followed.Get();
    data.racerRecords["0"] = RacerRecord();
    data.racerRecords["1"] = RacerRecord();
    MoveTo(*level.opponents[0], 40);
    level.racerNodes[0] = 39;
    level.racerNodes[1] = kNodes - 1;
    level.racerProgress[1] = 90;
    MoveTo(*followed, 0);
    level.lastNode = kNodes - 1;
    level.lapProgress = 90;
    level.UpdateLaps();
    EXPECT_EQ(Places(), (std::vector<int>{CPLevel::kCameraCarRacer, kNone, kNone}));

    level.racerNodes[0] = kNodes - 1;
    level.racerProgress[0] = 90;
    MoveTo(*level.opponents[0], 0);
    level.UpdateLaps();
    EXPECT_EQ(Places(), (std::vector<int>{CPLevel::kCameraCarRacer, 0, kNone}));
}

TEST_F(LevelLaps, AComputerCarNeedsFiftyNodesLessThanALapAndItsRecord)
{
    level.opponents = {Racer(0)};
    const struct {
        int progress;
        bool recorded;
        int laps;
    } cases[] = {{50, true, 2}, {49, true, 1}, {50, false, 1}};
    for (const auto& c : cases) {
        data.racerRecords.clear();
        if (c.recorded) data.racerRecords["0"] = RacerRecord();
        level.racerNodes[0] = 0;
        level.racerProgress[0] = c.progress;
        MoveTo(*level.opponents[0], 0);
        level.UpdateLaps();
        EXPECT_EQ(data.racerRecords["0"].laps, c.laps) << c.progress << " " << c.recorded;
        EXPECT_EQ(level.racerProgress[0], c.laps == 2 || !c.recorded ? 0 : c.progress);
    }
}

// On a ring of 8 pieces a lap still takes more than half the ring in
// order: the followed car standing on the start line for 180 frames counts
// none, driving half way and back (or three pieces back at once) counts
// none, and each round counts one.
TEST_F(LevelLaps, OnAnEightPieceRingOnlyEachRoundCountsALap)
{
    UseRing(8);
    for (int frame = 0; frame < 180; ++frame) level.UpdateRaceClocks(1.0f / 60.0f);
    EXPECT_EQ(data.roundsRecorded, 1);
    Drive(0, 4, 0.0f);
    DriveBack(4, 4);
    EXPECT_EQ(data.roundsRecorded, 1);
    // Three pieces back in one frame is three back, not four on.
    Drive(0, 3, 0.0f);
    MoveTo(car, 0);
    level.UpdateLaps();
    EXPECT_EQ(data.roundsRecorded, 1);
    EXPECT_EQ(level.lapProgress, 0);
    EXPECT_TRUE(messages.TakeCommands().empty());
    Drive(0, 8, 0.0f);
    EXPECT_EQ(data.roundsRecorded, 2);
    Drive(0, 8, 0.0f);
    EXPECT_EQ(data.roundsRecorded, 3);
    EXPECT_EQ(messages.TakeCommands(), (std::vector<std::string>{"show_message:krug_proiden!",
                                                                 "show_message:posledniy_krug!"}));
}

// A computer car set 20 units behind the start line of a 50-piece ring is
// at the start node after two nodes: it counts its first lap only once it
// has come round, and standing on the start after it counts no more.
TEST_F(LevelLaps, AComputerCarStartingBehindTheLineOfAShortRouteGetsNoFreeLap)
{
    UseRing(50);
    level.opponents = {Racer(0)};
    data.racerRecords["0"] = RacerRecord();
    CPGameObject& racer = *level.opponents[0];
    const float behind = -20.0f / kRadius;
    PlaceAt(racer, behind);
    level.racerNodes[0] = level.FindNearestNode(*racer.GetPositionRef());
    ASSERT_EQ(level.racerNodes[0], 48);
    // Two units a frame, to the start line once round.
    const float step = 2.0f / kRadius;
    const int frames = static_cast<int>((kTwoPi - behind) / step) + 1;
    for (int frame = 1; frame <= frames; ++frame) {
        PlaceAt(racer, behind + frame * step);
        level.UpdateLaps();
        if (frame == frames / 2) {
            EXPECT_EQ(data.racerRecords["0"].laps, 1) << "half way round";
        }
    }
    EXPECT_EQ(data.racerRecords["0"].laps, 2);
    for (int frame = 0; frame < 3; ++frame) level.UpdateLaps();
    EXPECT_EQ(data.racerRecords["0"].laps, 2);
}

TEST_F(LevelLaps, ARacerHoldingAPlaceTakesNoOther)
{
    data.roundCount = 1;
    for (int lap = 0; lap < 2; ++lap) {
        level.lastNode = kNodes - 1;
        level.lapProgress = 90;
        MoveTo(car, 0);
        level.UpdateLaps();
    }
    EXPECT_EQ(data.roundsRecorded, 3);
    EXPECT_EQ(Places(), (std::vector<int>{CPLevel::kCameraCarRacer, kNone, kNone}));

    level.places[0] = 4;
    level.places[2] = CPLevel::kCameraCarRacer;
    level.lastNode = kNodes - 1;
    level.lapProgress = 90;
    level.UpdateLaps();
    EXPECT_EQ(Places(), (std::vector<int>{4, kNone, CPLevel::kCameraCarRacer}));
}

// The laps count on while the timer is off; once on, the running lap, the
// race clock and each record's slot of its lap take the time; a record
// has no slot past its twentieth.
TEST_F(LevelLaps, TheClocksStandWhileTheRaceTimerIsOff)
{
    data.racerRecords["0"].laps = 3;
    data.racerRecords["7"].laps = RacerRecord::kTimeSlots - 1;
    data.racerRecords["9"].laps = RacerRecord::kTimeSlots;
    const std::vector<float> slots = {0, 0, 0, 0};
    level.lastNode = kNodes - 1;
    level.lapProgress = 90;
    level.UpdateRaceClocks(0.5f);
    EXPECT_EQ(data.roundsRecorded, 2);
    EXPECT_EQ(data.GetRoundTime(1), 0.0f);
    EXPECT_EQ(data.GetRoundTime(2), 0.0f);
    EXPECT_EQ(data.raceClock, 0.0f);
    EXPECT_EQ(data.racerRecords["0"].timeSlots[3], 0.0f);

    level.raceTimerOn = true;
    level.UpdateRaceClocks(0.5f);
    EXPECT_EQ(data.GetRoundTime(1), 0.0f);
    EXPECT_EQ(data.GetRoundTime(2), 0.5f);
    EXPECT_EQ(data.raceClock, 0.5f);
    EXPECT_EQ(data.racerRecords["0"].timeSlots[3], -0.5f);
    EXPECT_EQ(data.racerRecords["0"].timeSlots[2], 0.0f);
    EXPECT_EQ(data.racerRecords["7"].timeSlots[RacerRecord::kTimeSlots - 1], -0.5f);
    EXPECT_EQ(data.racerRecords["9"].timeSlots.size(), static_cast<size_t>(RacerRecord::kTimeSlots));
    for (float slot : data.racerRecords["9"].timeSlots) EXPECT_EQ(slot, 0.0f);
}

// A running lap below 1 counts as the first; a lap not yet in the list is
// added to it.
TEST_F(LevelLaps, TheClocksTimeTheRunningLapFromTheFirst)
{
    level.raceTimerOn = true;
    const struct {
        int rounds;
        size_t listed;
        int timed;
    } cases[] = {{0, 20, 1}, {-2, 20, 1}, {3, 0, 3}, {1, 0, 1}};
    for (const auto& c : cases) {
        data.roundsRecorded = c.rounds;
        data.roundTimes.assign(c.listed, 0.0f);
        level.UpdateRaceClocks(0.75f);
        EXPECT_EQ(data.GetRoundTime(c.timed), 0.75f) << c.rounds;
        EXPECT_GE(data.roundTimes.size(), static_cast<size_t>(c.timed));
    }

    // Completing that lap keeps its time and starts the second.
    data.roundsRecorded = 0;
    data.roundTimes.assign(20, 0.0f);
    data.roundTimes[0] = 3.0f;
    level.lastNode = kNodes - 1;
    level.lapProgress = 90;
    level.UpdateLaps();
    EXPECT_EQ(data.roundsRecorded, 2);
    EXPECT_EQ(data.GetRoundTime(1), 3.0f);
}

// Standing on the start node early in the first lap, before the start
// line was properly crossed, puts the progress since the start back to 0.
TEST_F(LevelLaps, EarlyInTheFirstLapTheStartNodePutsTheProgressBackToZero)
{
    level.opponents = {Racer(0)};
    const struct {
        int rounds;
        int progress;
        int routeProgress;
        int recordProgress;
    } cases[] = {{1, 69, 0, 0}, {1, 70, 9, 70}, {2, 10, 9, 10}};
    for (const auto& c : cases) {
        data.roundsRecorded = c.rounds;
        data.routeProgress = 9;
        level.lapProgress = c.progress;
        RacerRecord& record = data.racerRecords["0"];
        record.laps = c.rounds;
        record.totalProgress = c.progress;
        level.racerNodes[0] = 0;
        level.racerProgress[0] = 0;
        MoveTo(*level.opponents[0], 0);
        level.UpdateLaps();
        EXPECT_EQ(data.routeProgress, c.routeProgress) << c.rounds << " " << c.progress;
        EXPECT_EQ(data.racerRecords["0"].totalProgress, c.recordProgress) << c.rounds << " " << c.progress;
    }
}

// A racer out of the route's reach leaves everything as it was, even with
// the start as far out; one found after none starts counting where it is.
TEST_F(LevelLaps, ARacerFoundAtNoNodeCountsNothing)
{
    level.opponents = {Racer(0)};
    const D3DXVECTOR3 outOfReach(0, 500, 0);
    car.SetPosition(outOfReach.x, outOfReach.y, outOfReach.z);
    level.opponents[0]->SetPosition(outOfReach.x, outOfReach.y, outOfReach.z);
    level.startPoint = outOfReach;
    level.startNode = kNone;
    level.lastNode = level.racerNodes[0] = 40;
    level.lapProgress = level.racerProgress[0] = 90;
    level.UpdateLaps();
    EXPECT_EQ(level.lastNode, 40);
    EXPECT_EQ(level.lapProgress, 90);
    EXPECT_EQ(level.racerNodes[0], 40);
    EXPECT_EQ(level.racerProgress[0], 90);
    EXPECT_EQ(data.roundsRecorded, 1);
    EXPECT_EQ(data.racerRecords.count("0"), 0u);

    level.lastNode = level.racerNodes[0] = kNone;
    MoveTo(car, 40);
    MoveTo(*level.opponents[0], 40);
    level.UpdateLaps();
    EXPECT_EQ(level.lastNode, 40);
    EXPECT_EQ(level.lapProgress, 90);
    EXPECT_EQ(level.racerNodes[0], 40);
    EXPECT_EQ(level.racerProgress[0], 90);
}

// The followed car and a computer car carried round the ring at paces up
// to twice a piece's length a frame, from just past the start line: each
// counts three laps in three rounds, at every pace.
TEST_F(LevelLaps, AtAnyPaceEveryRoundCountsOneLap)
{
    const float pieceLength = kTwoPi * kRadius / kNodes;
    for (float pace : {1.0f, 3.0f, 5.0f, 8.0f, 2.0f * pieceLength}) {
        SCOPED_TRACE(pace);
        data.roundsRecorded = 1;
        data.racerRecords.clear();
        data.racerRecords["0"] = RacerRecord();
        level.opponents = {Racer(0)};
        CPGameObject& racer = *level.opponents[0];
        const float first = 0.3f / kRadius;
        PlaceAt(car, first);
        PlaceAt(racer, first);
        level.lastNode = level.racerNodes[0] = 0;
        level.lapProgress = level.racerProgress[0] = 0;
        const float step = pace / kRadius;
        const int frames = static_cast<int>((3 * kTwoPi + 0.1f) / step);
        for (int frame = 1; frame <= frames; ++frame) {
            PlaceAt(car, first + frame * step);
            PlaceAt(racer, first + frame * step);
            level.UpdateLaps();
        }
        EXPECT_EQ(data.roundsRecorded, 4);
        EXPECT_EQ(data.racerRecords["0"].laps, 4);
    }
}
