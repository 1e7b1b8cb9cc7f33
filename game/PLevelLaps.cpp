#include "game/PLevel.h"

#include "core/PCommandManager.h"
#include "game/PGameData.h"
#include "game/PPlayer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// How many nodes short of a whole lap still count as a lap at the start
// line: the followed car may cut corners, the computer cars more so.
const int kCameraCarLapMargin = 20;
const int kRacerLapMargin = 50;
// Until a racer is this far into its first lap it has not yet passed the
// start properly: standing on the start node puts its progress back to 0.
const int kEarlyStartProgress = 70;
// How far from the start line the followed car may cross it; the computer
// cars may cross it anywhere at the start node.
const float kStartLineReach = 2.0f;
const float kAnyDistance = std::numeric_limits<float>::infinity();
// A path shorter than this (squared) across the start line runs along it.
const float kNoLengthSquared = 0.000001f;

const char* const kInterfaceReceiver = "game_interface";
const char* const kShowMessage = "show_message";
const char* const kLastLapMessage = "posledniy_krug!";
const char* const kLapDoneMessage = "krug_proiden!";

// A running round below 1 counts as the first.
int RunningRound(const CPGameData& data)
{
    return std::max(data.roundsRecorded, 1);
}

void ShowMessage(const char* message)
{
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByName(kInterfaceReceiver, kShowMessage, message);
}

// A lap advances the route's nodes less one.
int MoreThanHalfALap(int nodes)
{
    return (nodes - 1) / 2 + 1;
}

D3DXVECTOR3 AcrossLine(const D3DXVECTOR3& v, const D3DXVECTOR3& lineDirection)
{
    return v - D3DXVec3Dot(&v, &lineDirection) * lineDirection;
}

// The point of the path from one position to the next that comes nearest
// to the line through the point along the unit direction. A path that runs
// along the line, or stands still, gives where it ends.
D3DXVECTOR3 NearestToLine(const D3DXVECTOR3& from, const D3DXVECTOR3& to, const D3DXVECTOR3& linePoint,
                          const D3DXVECTOR3& lineDirection)
{
    const D3DXVECTOR3 path = to - from;
    const D3DXVECTOR3 pathAcross = AcrossLine(path, lineDirection);
    const D3DXVECTOR3 offsetAcross = AcrossLine(from - linePoint, lineDirection);
    const float lengthSquared = D3DXVec3Dot(&pathAcross, &pathAcross);
    if (lengthSquared < kNoLengthSquared) return to;
    const float along = -D3DXVec3Dot(&offsetAcross, &pathAcross) / lengthSquared;
    return from + std::min(std::max(along, 0.0f), 1.0f) * path;
}

} // namespace

bool CPLevel::HasSideFlag(const CPGameObject& car, uint32_t flag)
{
    const CPPlayer* racer = dynamic_cast<const CPPlayer*>(&car);
    return racer && (racer->sideFlags & flag) != 0;
}

void CPLevel::UpdateRaceClocks(float seconds)
{
    UpdateLaps();
    CPGameData* data = GetGameData();
    if (!raceTimerOn || !data) return;
    data->RunningRoundTime() += seconds;
    data->raceClock += seconds;
    for (auto& entry : data->racerRecords) {
        RacerRecord& record = entry.second;
        // Slots past the record's last are not kept.
        if (record.laps >= 0 && static_cast<size_t>(record.laps) < record.timeSlots.size()) {
            record.timeSlots[static_cast<size_t>(record.laps)] -= seconds;
        }
    }
}

void CPLevel::UpdateLaps()
{
    CPGameData* data = GetGameData();
    if (!data || route.empty()) return;
    if (cameraCar) FollowCameraCarLap(*data);
    // The human player's car among the opponents keeps its number but no
    // slot. So does the followed car (the demo's player car, which lacks the
    // human player's flag unless a script gave it): its laps are followed
    // above, and it is one racer.
    size_t slot = 0;
    for (size_t i = 0; i < opponents.size() && i < static_cast<size_t>(kRacersOnRoute); ++i) {
        if (opponents[i].Get() == cameraCar || HasSideFlag(*opponents[i], CPPlayer::kHumanPlayer)) continue;
        if (slot < racerNodes.size() && slot < racerProgress.size() && slot < racerTrails.size()) {
            FollowRacerLap(*data, static_cast<int>(i), slot);
        }
        ++slot;
    }
}

D3DXVECTOR3 CarTrail::From(CPGameObject& racer) const
{
    return car == &racer ? position : *racer.GetPositionRef();
}

void CarTrail::Follow(CPGameObject& racer)
{
    car = &racer;
    position = *racer.GetPositionRef();
}

// Adds nothing from no node at all: a racer out of the route's reach when
// the route was built only starts counting where it is first found. A step
// goes the shorter way round the ring, however short its pieces and however
// far a fast car gets in a frame. One of exactly half the ring could be
// either way (a car put back on the start line from half way round) and
// counts nothing.
int CPLevel::RouteStep(int from, int to) const
{
    if (from < 0) return 0;
    const int nodes = static_cast<int>(route.size());
    const int step = to - from;
    const int twice = 2 * std::abs(step);
    if (twice < nodes) return step;
    if (twice == nodes) return 0;
    return step > 0 ? step - (nodes - 1) : step + (nodes - 1);
}

// A car standing on the start line, or one that started a little behind
// it, has driven no lap, however short the route.
int CPLevel::LapMinimum(int margin) const
{
    const int nodes = static_cast<int>(route.size());
    return std::max(nodes - margin, MoreThanHalfALap(nodes));
}

float CPLevel::DistanceFromStartLine(const D3DXVECTOR3& point) const
{
    D3DXVECTOR3 direction;
    D3DXVec3Normalize(&direction, &startLineDirection);
    const D3DXVECTOR3 offset = startPoint - point;
    D3DXVECTOR3 cross;
    D3DXVec3Cross(&cross, &offset, &direction);
    return D3DXVec3Length(&cross);
}

bool CPLevel::PathReachesStart(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float reach) const
{
    D3DXVECTOR3 direction;
    D3DXVec3Normalize(&direction, &startLineDirection);
    const D3DXVECTOR3 nearest = NearestToLine(from, to, startPoint, direction);
    const int node = FindNearestNode(nearest);
    return node >= 0 && node == startNode && DistanceFromStartLine(nearest) <= reach;
}

// The whole path of the frame is tested against the start line: a fast
// car or a long frame steps over the line's reach.
void CPLevel::FollowCameraCarLap(CPGameData& data)
{
    const D3DXVECTOR3& position = *cameraCar->GetPositionRef();
    const D3DXVECTOR3 from = cameraCarTrail.From(*cameraCar);
    cameraCarTrail.Follow(*cameraCar);
    const int node = FindNearestNode(position);
    if (node < 0) return;
    if (node != lastNode) {
        const int step = RouteStep(lastNode, node);
        lapProgress += step;
        data.routeProgress += step;
        lastNode = node;
    }
    if (lapProgress >= LapMinimum(kCameraCarLapMargin) && PathReachesStart(from, position, kStartLineReach)) {
        CompleteCameraCarLap(data);
    }
    if (node == startNode && lapProgress < kEarlyStartProgress && data.roundsRecorded == 1) data.routeProgress = 0;
}

// The finished lap keeps its time; the next one starts at 0.
void CPLevel::CompleteCameraCarLap(CPGameData& data)
{
    data.RunningRoundTime();
    data.roundsRecorded = RunningRound(data) + 1;
    data.RunningRoundTime() = 0.0f;
    lapProgress = 0;
    data.routeProgress = (static_cast<int>(route.size()) - 1) * (data.roundsRecorded - 1);
    if (data.roundCount < data.roundsRecorded) TakePlace(kCameraCarRacer);
    else if (data.roundsRecorded == data.roundCount) ShowMessage(kLastLapMessage);
    else ShowMessage(kLapDoneMessage);
}

void CPLevel::FollowRacerLap(CPGameData& data, int racer, size_t slot)
{
    CPGameObject& car = *opponents[static_cast<size_t>(racer)];
    const D3DXVECTOR3& position = *car.GetPositionRef();
    const D3DXVECTOR3 from = racerTrails[slot].From(car);
    racerTrails[slot].Follow(car);
    const int node = FindNearestNode(position);
    if (node < 0) return;
    const std::string key = RacerKey(racer);
    if (node != racerNodes[slot]) {
        const int step = RouteStep(racerNodes[slot], node);
        racerProgress[slot] += step;
        data.racerRecords[key].totalProgress += step;
        racerNodes[slot] = node;
    }
    if (racerProgress[slot] >= LapMinimum(kRacerLapMargin) && PathReachesStart(from, position, kAnyDistance)) {
        CompleteRacerLap(data, racer);
        racerProgress[slot] = 0;
    }
    if (node != startNode) return;
    RacerRecord& record = data.racerRecords[key];
    if (record.laps == 1 && record.totalProgress < kEarlyStartProgress) record.totalProgress = 0;
}

// Without a record the lap is not counted.
void CPLevel::CompleteRacerLap(CPGameData& data, int racer)
{
    auto found = data.racerRecords.find(RacerKey(racer));
    if (found == data.racerRecords.end()) return;
    RacerRecord& record = found->second;
    record.laps += 1;
    record.totalProgress = (static_cast<int>(route.size()) - 1) * (record.laps - 1);
    if (record.laps > data.roundCount) TakePlace(racer);
}

// A racer holding any place takes no other, so taking the first free one
// is the whole rule.
void CPLevel::TakePlace(int racer)
{
    if (std::find(places, places + kPlaces, racer) != places + kPlaces) return;
    int* free = std::find(places, places + kPlaces, -1);
    if (free != places + kPlaces) *free = racer;
}

std::string RacerKey(int racer)
{
    char key[16];
    std::snprintf(key, sizeof(key), "%d", racer);
    return key;
}
