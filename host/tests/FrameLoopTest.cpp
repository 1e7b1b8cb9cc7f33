#include "host/EngineHost.h"

#include "host/tests/CountingListener.h"

#include "core/FrameClock.h"
#include "core/PProcess.h"
#include "core/PTaskManager.h"
#include "script/ScriptHost.h"

#include <gtest/gtest.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Notes each frame's step and the listeners' resets seen so far; the first
// frame can be made to last longer than the longest step.
class FrameNotes : public IPProcess {
public:
    FrameNotes(const CountingListener& listener, DWORD firstFrameMilliseconds)
        : m_listener(listener), m_firstFrameMilliseconds(firstFrameMilliseconds)
    {
    }
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "FrameNotes"; }
    int GetTaskValue() override { return 0; }
    void Execute() override
    {
        steps.push_back(FrameDeltaTime);
        resetsSeen.push_back(m_listener.reset);
        if (steps.size() == 1) Sleep(m_firstFrameMilliseconds);
    }

    std::vector<float> steps;
    std::vector<int> resetsSeen;

private:
    const CountingListener& m_listener;
    DWORD m_firstFrameMilliseconds;
};

// What the program prints on standard output while the object lives.
class StandardOutputCapture {
public:
    StandardOutputCapture()
    {
        std::fflush(stdout);
        m_saved = _dup(_fileno(stdout));
        std::FILE* file = std::fopen(kFile, "w");
        _dup2(_fileno(file), _fileno(stdout));
        std::fclose(file);
    }
    ~StandardOutputCapture() { Restore(); }

    std::string Text()
    {
        Restore();
        std::ifstream file(kFile);
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    }

private:
    void Restore()
    {
        if (m_saved < 0) return;
        std::fflush(stdout);
        _dup2(m_saved, _fileno(stdout));
        _close(m_saved);
        m_saved = -1;
    }

    static constexpr const char* kFile = "frame-loop-output.txt";
    int m_saved = -1;
};

// Runs the host's frame loop with the options, a listener and the notes.
struct LoopRun {
    explicit LoopRun(const HostOptions& options, DWORD firstFrameMilliseconds = 0)
        : host(options), notes(listener, firstFrameMilliseconds)
    {
        // An earlier host's window, destroyed, left its quit message behind.
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        std::string error;
        started = host.Start(GetModuleHandleA(nullptr), error);
        if (started) g_pTaskManager->AddTask(&notes);
    }
    ~LoopRun()
    {
        host.Shutdown();
        FrameDeltaTime = 0.0f;
        FrameNumber = 0;
        FullTime = 0.0;
    }

    EngineHost host;
    CountingListener listener;
    FrameNotes notes;
    bool started = false;
};

TEST(FrameLoop, ResetAtResetsTheDeviceOnceBeforeThatFrame)
{
    HostOptions options;
    options.frames = 3;
    options.fixedDeltaTime = 0.02f;
    options.resetAt = 2;
    LoopRun run(options);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.host.Run(), 0);
    EXPECT_EQ(run.listener.lost, 1);
    EXPECT_EQ(run.listener.reset, 1);
    EXPECT_EQ(run.notes.resetsSeen, (std::vector<int>{0, 1, 1}));
}

// Reading the clock around every script step costs more than the step:
// only a run that prints its frame times pays it, for the scripts' share.
TEST(FrameLoop, ScriptsMeasureTheirStepsOnlyWhenFrameTimesArePrinted)
{
    for (bool frameTimes : {false, true}) {
        HostOptions options;
        options.frames = 1;
        options.frameTimes = frameTimes;
        LoopRun run(options);
        ASSERT_TRUE(run.started);
        ASSERT_NE(run.host.GetScripts(), nullptr);
        EXPECT_EQ(run.host.GetScripts()->IsMeasuringSteps(), frameTimes);
    }
}

// A frame held up far beyond the longest step moves the game by that step,
// and the printed time is the clock's.
TEST(FrameLoop, ClampsTheStepOfALongFrameAndPrintsItsClockTime)
{
    HostOptions options;
    options.frames = 2;
    options.frameTimes = true;
    LoopRun run(options, 400);
    ASSERT_TRUE(run.started);
    StandardOutputCapture output;
    EXPECT_EQ(run.host.Run(), 0);
    const std::string printed = output.Text();
    ASSERT_EQ(run.notes.steps.size(), 2u);
    EXPECT_EQ(run.notes.steps[1], 0.25f);
    const size_t second = printed.find("frame 2: ");
    ASSERT_NE(second, std::string::npos) << printed;
    EXPECT_GE(std::atof(printed.c_str() + second + 9), 400.0) << printed;
}

} // namespace
