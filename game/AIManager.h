#pragma once

#include "core/PObject.h"
#include "core/PProcess.h"
#include "game/AI_Vehicle.h"

#include <vector>

class CPSpline;

// The computer drivers: five opponent states, then the traffic states. As a
// task it drives, every frame, each state that holds a car and has a route
// in path slot 0: it steers toward a point ahead on the route's ring of
// pieces, farther ahead the faster the car goes, and holds a target speed
// below the car's top speed that drops in bends. Throttle and steering go
// to a racer's inputs, or to the car world for any other car.
class AIManager : public IPProcess {
public:
    static const int kPriority = 100;
    static const int kOpponentSlots = 5;
    // Share of the car's top forward speed held on a straight road.
    static constexpr float kCruiseShare = 0.8f;

    AIManager();
    ~AIManager() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "AIManager"; }
    void Execute() override;
    int GetTaskValue() override { return 0; }

    // The states in the lists are the manager's: Reset lets go of what
    // every state holds, deletes the states and empties both lists.
    void Reset();
    // Index 0 to 4 is an opponent state, 5 and up the traffic state at
    // index - 5; an index past the lists is ignored.
    void SetVehiclePath(int index, int slot, RefPtr<CPSpline> path);
    // Every state that follows the path forgets the piece it found on it
    // (the path is being loaded again, and its pieces go).
    void ForgetPiecesOf(const CPSpline* path);
    // Drives one state for this frame.
    static void Drive(AI_Vehicle& vehicle);
    // The speed held on a straight road by a car of this top speed.
    static float CruiseSpeed(float maxFrontSpeed) { return maxFrontSpeed * kCruiseShare; }

    std::vector<RefPtr<AI_Vehicle>> opponents;
    std::vector<RefPtr<AI_Vehicle>> traffic;
    int vehicleCount;
    bool enabled;
};

// The computer drivers that the host created and published; null before.
inline AIManager* g_pAIManager = nullptr;
inline AIManager* GetAIManager()
{
    return g_pAIManager;
}
