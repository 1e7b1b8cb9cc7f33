#include "game/AIManager.h"

#include "game/PLevel.h"
#include "game/PLine.h"
#include "game/PPlayer.h"
#include "game/PSpline.h"
#include "physics/PCar.h"
#include "physics/PCarWorld.h"
#include "physics/PVectorMath.h"

#include <algorithm>
#include <cmath>

namespace {

// Pieces count as near the car within this many units of an end point.
const float kSearchRadius = 20.0f;
// The point steered at lies this far ahead, plus the distance covered in
// kLookAheadTime at the car's speed.
const float kMinLookAhead = 5.0f;
const float kLookAheadTime = 0.5f;
// Steering per radian between the nose and the point ahead.
const float kSteerGain = 2.0f;
// Each radian the route turns within the look-ahead takes this share off
// the cruise speed, down to kMinBendShare of it.
const float kBendSlowdown = 1.0f;
const float kMinBendShare = 0.4f;
// Above the target speed by more than this the car brakes; within it it coasts.
const float kCoastBand = 0.5f;

// A piece as the driver runs it: from one end point to the other.
struct DrivenPiece {
    D3DXVECTOR3 from;
    D3DXVECTOR3 to;
};

DrivenPiece Driven(const CPLine& piece, bool alongNext)
{
    return alongNext ? DrivenPiece{piece.start, piece.end} : DrivenPiece{piece.end, piece.start};
}

CPLine* Following(CPLine* piece, bool alongNext)
{
    return alongNext ? piece->next : piece->previous;
}

D3DXVECTOR3 Ground(const D3DXVECTOR3& v)
{
    return D3DXVECTOR3(v.x, v.y, 0.0f);
}

// The signed angle in (-pi, pi] that turns a onto b in the ground plane,
// counter-clockwise positive.
float TurnAngle(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return std::atan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y);
}

// The point the given distance ahead of the car's place on the piece, and
// the piece it lies on.
D3DXVECTOR3 PointAhead(CPLine* piece, const D3DXVECTOR3& carPosition, float distance, bool alongNext,
                       CPLine*& aheadPiece)
{
    DrivenPiece driven = Driven(*piece, alongNext);
    D3DXVECTOR3 along = Normalised(Ground(driven.to - driven.from));
    float remaining = distance + std::max(0.0f, Dot(Ground(carPosition - driven.from), along));
    float length = piece->GroundLength();
    // A ring is walked at most once round.
    for (CPLine* first = piece; remaining > length;) {
        remaining -= length;
        piece = Following(piece, alongNext);
        if (piece == first) break;
        driven = Driven(*piece, alongNext);
        along = Normalised(Ground(driven.to - driven.from));
        length = piece->GroundLength();
    }
    aheadPiece = piece;
    return driven.from + along * std::min(remaining, length);
}

// Positive steering turns the nose clockwise seen from above.
float SteeringToward(CPGameObject& car, const D3DXVECTOR3& target)
{
    const D3DXVECTOR3 nose = Ground(ForwardAxisOf(car));
    const float offTarget = TurnAngle(nose, Ground(target - *car.GetPositionRef()));
    return std::max(-CPCar::kMaxSteer, std::min(CPCar::kMaxSteer, -kSteerGain * offTarget));
}

// The cruise speed less a share for how far the route turns from the
// piece here to the piece ahead.
float SpeedThroughBend(float cruise, const CPLine& here, const CPLine& ahead, bool alongNext)
{
    const DrivenPiece from = Driven(here, alongNext);
    const DrivenPiece to = Driven(ahead, alongNext);
    const float bend = std::fabs(TurnAngle(Ground(from.to - from.from), Ground(to.to - to.from)));
    return cruise * std::max(kMinBendShare, 1.0f - kBendSlowdown * bend);
}

float Throttle(float speed, float target)
{
    if (speed < target) return 1.0f;
    return speed > target + kCoastBand ? -1.0f : 0.0f;
}

} // namespace

AIManager::AIManager() : vehicleCount(0), enabled(true) { SetPriority(kPriority); }

void AIManager::Execute()
{
    for (const RefPtr<AI_Vehicle>& vehicle : opponents) Drive(*vehicle);
    for (const RefPtr<AI_Vehicle>& vehicle : traffic) Drive(*vehicle);
}

AIManager::~AIManager()
{
    Reset();
}

void AIManager::Reset()
{
    std::vector<AI_Vehicle*> states;
    for (std::vector<RefPtr<AI_Vehicle>>* list : {&opponents, &traffic}) {
        for (const RefPtr<AI_Vehicle>& vehicle : *list) {
            vehicle->ReleasePath();
            states.push_back(vehicle.Get());
        }
        list->clear();
    }
    for (AI_Vehicle* vehicle : states) delete vehicle;
}

void AIManager::ForgetPiecesOf(const CPSpline* path)
{
    for (const std::vector<RefPtr<AI_Vehicle>>* list : {&opponents, &traffic}) {
        for (const RefPtr<AI_Vehicle>& vehicle : *list) {
            if (vehicle->paths[0].Get() == path) vehicle->nearestLine = nullptr;
        }
    }
}

void AIManager::SetVehiclePath(int index, int slot, RefPtr<CPSpline> path)
{
    if (index < 0) return;
    std::vector<RefPtr<AI_Vehicle>>& list = index < kOpponentSlots ? opponents : traffic;
    const size_t position = static_cast<size_t>(index < kOpponentSlots ? index : index - kOpponentSlots);
    if (position < list.size()) list[position]->SetPathSlot(slot, path);
}

void AIManager::Drive(AI_Vehicle& vehicle)
{
    CPGameObject* car = vehicle.heldObject.Get();
    CPSpline* route = vehicle.paths[0].Get();
    CPCarWorld* world = GetCarWorld();
    if (!car || !route || !route->GetFirstLine() || !world) return;
    RefPtr<CPCar> driven = car->GetCar();
    if (!driven) return;

    const D3DXVECTOR3 position = *car->GetPositionRef();
    float radius = kSearchRadius;
    route->FindNearestLine(position, radius, 0, vehicle.nearestLine);
    const bool alongNext = vehicle.feedFlag;
    const float speed = driven->GetSpeed();
    CPLine* aheadPiece = nullptr;
    const D3DXVECTOR3 target =
        PointAhead(vehicle.nearestLine, position, kMinLookAhead + speed * kLookAheadTime, alongNext, aheadPiece);
    const float targetSpeed =
        SpeedThroughBend(CruiseSpeed(driven->GetMaxFrontSpeed()), *vehicle.nearestLine, *aheadPiece, alongNext);
    const float throttle = Throttle(speed, targetSpeed);
    const float steering = SteeringToward(*car, target);
    // A racer keeps its own lock and throttle block over what it is handed.
    if (CPPlayer* racer = dynamic_cast<CPPlayer*>(car)) {
        racer->SetCarParams(throttle, steering);
    } else {
        world->SetCarControls(car, throttle, steering);
    }
}
