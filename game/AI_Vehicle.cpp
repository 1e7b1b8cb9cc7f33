#include "game/AI_Vehicle.h"

#include "game/PLevel.h"
#include "game/PSpline.h"
#include "physics/PPhysicData.h"
#include "physics/PVectorMath.h"

#include <cmath>

AI_Vehicle::AI_Vehicle()
    : speed(0.0f), position(0, 0, 0), heading(0, 0, 0), mass(0.0f), roadLine(nullptr), levelObject1(nullptr),
      levelObject2(nullptr), feedFlag(false), valueA(0), valueB(0), nearestLine(nullptr)
{
}

void AI_Vehicle::Setup(RefPtr<CPGameObject> car, const D3DXVECTOR3& direction, float newSpeed,
                       RefPtr<CPGameObject> object, int newValueA, int newValueB)
{
    valueA = newValueA;
    valueB = newValueB;
    CPPhysicData* data = car ? car->GetPhysicData() : nullptr;
    mass = data ? data->GetMass() : 0.0f;
    if (car) position = *car->GetPositionRef();
    heading = Normalised(D3DXVECTOR3(direction.x, direction.y, 0.0f));
    speed = std::fabs(newSpeed);
    heldObject = object;
    CPLevel* level = GetLevel();
    if (level && level->reversed) feedFlag = true;
}

void AI_Vehicle::SetPathSlot(int slot, RefPtr<CPSpline> path)
{
    if (slot >= 0 && slot < kPathSlots) {
        paths[slot] = path;
        if (slot == 0) nearestLine = nullptr;
    }
    CPLevel* level = GetLevel();
    roadLine = level ? level->GetRoadLine().Get() : nullptr;
    levelObject1 = level ? level->GetLeftSpline().Get() : nullptr;
    levelObject2 = level ? level->GetRightSpline().Get() : nullptr;
}

void AI_Vehicle::ReleasePath() { heldObject = nullptr; }
