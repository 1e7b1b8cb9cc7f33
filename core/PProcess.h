#pragma once

#include "core/PObject.h"

// The base of every per-frame task: animations, particle systems, players,
// the level's update and the script receivers. A task is idle after
// construction, running once started and stopped once stopped; the task
// manager keeps tasks ordered by their priority value, smallest first.
class IPProcess : public IPObject {
public:
    static const int kDefaultPriority = 5000;

    IPProcess();

    // Answers false when the task already runs; otherwise makes it running
    // and no longer stopped.
    virtual bool Start();
    virtual void OnPause();
    // The task's per-frame step, called by the host's frame loop.
    virtual void Execute() = 0;
    virtual void OnContinue();
    virtual void Stop();
    virtual int GetTaskValue() = 0;
    // Hands back a copy of the task; tasks that cannot be copied hand back none.
    virtual void Clone(RefPtr<IPProcess>& copy);

    bool IsRunning() const { return m_running; }
    bool IsStopped() const { return m_stopped; }
    // Marks the task stopped without calling Stop and without touching the
    // running flag, as stopping every task at once does.
    void MarkStopped() { m_stopped = true; }

    int GetPriority() const { return m_priority; }
    void SetPriority(int priority) { m_priority = priority; }

private:
    bool m_running;
    bool m_stopped;
    int m_priority;
};
