#pragma once

#include "core/FrameClock.h"
#include "core/PProcess.h"

#include <string>
#include <vector>

// A task that logs "name@frame" at each step and notes the frame clocks it
// saw, so a test can tell in which order and in which frame tasks ran.
class LoggingTask : public IPProcess {
public:
    LoggingTask(const char* name, int priority, std::vector<std::string>& log) : m_name(name), m_log(log)
    {
        SetPriority(priority);
    }
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "LoggingTask"; }
    void Execute() override
    {
        m_log.push_back(m_name + "@" + std::to_string(FrameNumber));
        seenDeltaTime = FrameDeltaTime;
        seenFullTime = FullTime;
    }
    int GetTaskValue() override { return 0; }

    float seenDeltaTime = 0.0f;
    double seenFullTime = 0.0;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};
