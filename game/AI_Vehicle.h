#pragma once

#include "core/PGameObject.h"
#include "core/PObject.h"

#include <d3dx9math.h>

class CPLine;
class CPSpline;

// The state of one computer-driven car: where its car is, which way it
// moves and how fast, its mass, the car it holds and three paths it may
// follow (slot 0 the route, 1 the right and 2 the left line). The race
// feeds it through Setup; the AIManager drives the held car along the path
// in slot 0.
class AI_Vehicle : public IPObject {
public:
    static const int kPathSlots = 3;

    AI_Vehicle();

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "AI_Vehicle"; }

    // Reads the car's mass (0 without physics data) and position, keeps the
    // direction made horizontal and normalised and the speed's magnitude,
    // and holds the given object in place of the one it held. The level's
    // reversed flag sets the feed flag; nothing here clears it.
    void Setup(RefPtr<CPGameObject> car, const D3DXVECTOR3& direction, float speed, RefPtr<CPGameObject> object,
               int valueA, int valueB);
    // Puts the path into slots 0 to 2 (another slot stores nothing), then
    // refreshes the level's route, left and right splines it caches.
    void SetPathSlot(int slot, RefPtr<CPSpline> path);
    // Lets the held object go.
    void ReleasePath();

    float speed;
    D3DXVECTOR3 position;
    D3DXVECTOR3 heading;
    RefPtr<CPGameObject> heldObject;
    float mass;
    RefPtr<CPSpline> paths[kPathSlots];
    // The level's splines as they were at the last SetPathSlot; not counted.
    CPGameObject* roadLine;
    CPGameObject* levelObject1;
    CPGameObject* levelObject2;
    // Drive the route the other way: along the pieces' next links.
    bool feedFlag;
    int valueA;
    int valueB;
    // The piece of the slot-0 path the driver last found nearest to the car.
    CPLine* nearestLine;
};
