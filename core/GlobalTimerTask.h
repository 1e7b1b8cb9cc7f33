#pragma once

#include "core/PProcess.h"

// The game's clock as a task: the host hands it each frame's time, and only
// while it runs does that time reach the frame clocks (FrameDeltaTime,
// FullTime). Stopping it pauses everything that moves by the frame time;
// the first step after a restart counts as a frame of no time, so the pause
// does not come back as one long frame.
class GlobalTimerTask : public IPProcess {
public:
    // The timer runs before every other task.
    static constexpr int kPriority = 0;

    GlobalTimerTask();

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "GlobalTimerTask"; }
    bool Start() override;
    void Execute() override;
    int GetTaskValue() override { return 0; }

    // The time of the frame about to run, in seconds.
    void SetFrameTime(float seconds) { m_frameTime = seconds; }

private:
    float m_frameTime;
    bool m_startedBefore;
    bool m_restarted;
};

// The timer the host made and published; null without a host.
extern GlobalTimerTask* g_pGlobalTimer;
