#pragma once

#include "core/CommandReceiver.h"

#include <string>

class ScriptHost;

// A command receiver driven by a script: its file, run once, hands back a
// step function, which the host calls every frame with the receiver's
// handle; a receiver whose file gave no step function has failed already.
// A script error stops the receiver for good: restarting the task
// does not bring it back, and commands sent to it from then on are dropped.
class ScriptReceiver : public CommandReceiver {
public:
    static constexpr int kPriority = 600;
    static constexpr int kNoStep = -2;

    ScriptReceiver(ScriptHost& host, const std::string& name, const std::string& file);

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "ScriptReceiver"; }
    void Execute() override;
    int GetTaskValue() override { return 0; }

    const std::string& GetName() const { return m_name; }
    const std::string& GetFile() const { return m_file; }
    // The step function's place in the script state's registry.
    int GetStepReference() const { return m_stepReference; }
    void SetStepReference(int reference) { m_stepReference = reference; }
    void Fail() { m_failed = true; }
    bool HasFailed() const { return m_failed; }

private:
    // Calls the step function under protection; false when it raised an
    // error, which is left on the stack.
    bool CallStep();
    // The step with the clock read around it, for the host's sum.
    void RunMeasuredStep();

    // What every step reads comes first, within one cache line.
    ScriptHost& m_host;
    int m_stepReference;
    bool m_failed;
    std::string m_name;
    std::string m_file;
};
