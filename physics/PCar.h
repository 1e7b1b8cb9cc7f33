#pragma once

#include "core/PObject.h"

// The car of a game object: its wheels, engine and controls. The game
// object holds it counted in its car slot.
class CPCar : public IPObject {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPCar"; }
};
