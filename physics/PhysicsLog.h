#pragma once

#include <string>
#include <vector>

// Where the physics world reports what it refused or what went wrong in the
// simulator (empty pools, failed allocations, bodies that left the finite
// numbers, a road too large for its grid). Each report is kept in memory
// (the newest few) and handed to the debugger's output; nothing stops on it.
// Its signature is the simulator's log callback.
void LogPhysicsProblem(const char* text);

// The reports so far, oldest first, and a way to forget them.
const std::vector<std::string>& GetPhysicsLog();
void ClearPhysicsLog();
