#pragma once

#include "core/PProcess.h"

class CPShotSpawner;

// The task that keeps the spawner's shots alive: once a frame each active
// shot's Update; a shot still flying is queued for drawing, a finished one
// is stopped and handed back to its pool. Shots spawned while the list is
// walked (impacts, for one) run from the next frame on.
class CPShotRunner : public IPProcess {
public:
    static const int kPriority = 450;

    explicit CPShotRunner(CPShotSpawner& spawner);

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPShotRunner"; }
    void Execute() override;
    int GetTaskValue() override { return 0; }

private:
    CPShotSpawner& m_spawner;
};
