#include "Sound/PMusic.h"
#include "Sound/tests/CountingFilterGraph.h"
#include "Sound/tests/RecordingFilterGraph.h"
#include "Sound/tests/WaveFixtures.h"
#include "core/PTaskManager.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using sounddouble::RecordingFilterGraph;
using Calls = std::vector<std::string>;

// The graphs a test prepared, handed out by the factory in order; a graph
// not prepared is made on the spot.
std::vector<std::unique_ptr<RecordingFilterGraph>> g_graphs;
size_t g_handedOut = 0;
bool g_releasedBeforeNext = true;

HRESULT RecordingFactory(IGraphBuilder** graph)
{
    if (g_handedOut > 0 && g_graphs[g_handedOut - 1]->references != 0) {
        g_releasedBeforeNext = false;
    }
    if (g_handedOut == g_graphs.size()) {
        g_graphs.emplace_back(new RecordingFilterGraph);
    }
    *graph = g_graphs[g_handedOut++].get();
    return S_OK;
}

HRESULT FailingFactory(IGraphBuilder** graph)
{
    *graph = nullptr;
    return REGDB_E_CLASSNOTREG;
}

// The recording graph shows the exact calls the player makes and lets a
// test decide every answer; real DirectShow playback is tested at the end.
class MusicTest : public testing::Test {
protected:
    void TearDown() override
    {
        m_music.ReleaseGraph();
        g_graphs.clear();
        g_handedOut = 0;
        g_releasedBeforeNext = true;
    }

    RecordingFilterGraph& NextGraph()
    {
        g_graphs.emplace_back(new RecordingFilterGraph);
        return *g_graphs.back();
    }

    CPMusic m_music{RecordingFactory};
};

TEST_F(MusicTest, RendersRunsAndLevelsTheFile)
{
    EXPECT_TRUE(m_music.SetVolume(0.5f));
    EXPECT_EQ(g_handedOut, 0u);

    RecordingFilterGraph& graph = NextGraph();
    EXPECT_EQ(m_music.Play("tune.wav", 1), S_OK);
    EXPECT_EQ(graph.calls, (Calls{"RenderFile Data\\Music\\tune.wav", "put_Volume -437", "Run"}));
    EXPECT_TRUE(m_music.IsRendered());
    EXPECT_TRUE(m_music.IsRunning());
    EXPECT_EQ(m_music.GetFileName(), "tune.wav");

    m_music.SetVolume(0.25f);
    EXPECT_EQ(graph.calls.back(), "put_Volume -2214");
}

struct RenderCase {
    const char* name;
    HRESULT answer;
    bool plays;
};

class MusicRender : public MusicTest, public testing::WithParamInterface<RenderCase> {};

TEST_P(MusicRender, AnswersTheRenderResult)
{
    RecordingFilterGraph& graph = NextGraph();
    graph.renderAnswer = GetParam().answer;

    EXPECT_EQ(m_music.Play("tune.wav", 0), GetParam().answer);
    EXPECT_EQ(m_music.IsRendered(), GetParam().plays);
    EXPECT_EQ(m_music.IsRunning(), GetParam().plays);
    EXPECT_EQ(graph.CountCalls("Run"), GetParam().plays ? 1 : 0);
    EXPECT_EQ(m_music.GetFileName(), "tune.wav");
}

INSTANTIATE_TEST_SUITE_P(Answers, MusicRender,
                         testing::Values(RenderCase{"Rendered", S_OK, true},
                                         RenderCase{"PartlyRendered", VFW_S_PARTIAL_RENDER, true},
                                         RenderCase{"NotFound", VFW_E_NOT_FOUND, false},
                                         RenderCase{"Unsupported", VFW_E_UNSUPPORTED_STREAM, false}),
                         [](const testing::TestParamInfo<RenderCase>& info) { return std::string(info.param.name); });

TEST_F(MusicTest, AMissingInterfaceEndsPlayBeforeRendering)
{
    RecordingFilterGraph& graph = NextGraph();
    graph.refusedInterface = &IID_IMediaPosition;

    EXPECT_EQ(m_music.Play("tune.wav", 1), E_NOINTERFACE);
    EXPECT_EQ(graph.CountCalls("RenderFile Data\\Music\\tune.wav"), 0);
    EXPECT_FALSE(m_music.IsRendered());

    m_music.ReleaseGraph();
    EXPECT_EQ(graph.references, 0);
}

TEST_F(MusicTest, PlayingAgainStopsAndReleasesTheMusicBefore)
{
    ASSERT_EQ(m_music.Play("first.wav", 1), S_OK);
    ASSERT_EQ(m_music.Play("second.wav", 0), S_OK);
    ASSERT_EQ(g_graphs.size(), 2u);
    EXPECT_TRUE(g_releasedBeforeNext);
    Calls lastOfFirst(g_graphs[0]->calls.end() - 2, g_graphs[0]->calls.end());
    EXPECT_EQ(lastOfFirst, (Calls{"Stop", "Abort"}));
    EXPECT_EQ(g_graphs[1]->CountCalls("RenderFile Data\\Music\\second.wav"), 1);
    EXPECT_EQ(m_music.GetFileName(), "second.wav");
}

struct StreamCase {
    const char* name;
    int loop;
    std::vector<LONG> events;
    Calls calls;
    bool running;
};

class MusicStream : public MusicTest, public testing::WithParamInterface<StreamCase> {};

TEST_P(MusicStream, ActsOnTheEndOfTheStream)
{
    RecordingFilterGraph& graph = NextGraph();
    ASSERT_EQ(m_music.Play("tune.wav", GetParam().loop), S_OK);
    graph.calls.clear();
    graph.pendingEvents.assign(GetParam().events.begin(), GetParam().events.end());

    m_music.Execute();
    EXPECT_EQ(graph.calls, GetParam().calls);
    EXPECT_EQ(m_music.IsRunning(), GetParam().running);
    EXPECT_EQ(m_music.IsStopped(), !GetParam().running);
}

const LONG kCompleted = EC_COMPLETE;
const LONG kPaused = EC_PAUSED;

INSTANTIATE_TEST_SUITE_P(
    Events, MusicStream,
    testing::Values(StreamCase{"Nothing", 1, {}, {}, true},
                    StreamCase{"EndOnce", 0, {kCompleted}, {"FreeEventParams 1", "Stop"}, false},
                    StreamCase{"EndLooping",
                               1,
                               {kCompleted},
                               {"FreeEventParams 1", "put_CurrentPosition 0.000000", "Run"},
                               true},
                    StreamCase{"OtherEvent", 0, {kPaused}, {"FreeEventParams 14"}, true},
                    StreamCase{"EndAmongOthers",
                               1,
                               {kPaused, kCompleted, kPaused},
                               {"FreeEventParams 14", "FreeEventParams 1", "put_CurrentPosition 0.000000", "Run",
                                "FreeEventParams 14"},
                               true}),
    [](const testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

size_t TimesListed(CPTaskManager& manager, const IPProcess* task)
{
    size_t count = 0;
    for (const RefPtr<IPProcess>& listed : manager.GetTasks()) {
        if (listed.Get() == task) {
            ++count;
        }
    }
    return count;
}

// The end of the stream is seen only by the task's step, so playing puts
// the player into the task manager's list, once, even when the host had
// dropped it from the list while it ran.
TEST_F(MusicTest, PlayingListsThePlayerInTheTaskManagerOnce)
{
    CPTaskManager manager;
    CPTaskManager* previous = g_pTaskManager;
    g_pTaskManager = &manager;

    ASSERT_EQ(m_music.Play("first.wav", 1), S_OK);
    ASSERT_EQ(m_music.Play("second.wav", 1), S_OK);
    EXPECT_EQ(TimesListed(manager, &m_music), 1u);
    EXPECT_TRUE(m_music.IsRunning());

    manager.GetTasks().clear();
    ASSERT_EQ(m_music.Play("third.wav", 1), S_OK);
    EXPECT_EQ(TimesListed(manager, &m_music), 1u);
    EXPECT_TRUE(m_music.IsRunning());
    EXPECT_EQ(g_graphs.back()->CountCalls("Run"), 1);

    m_music.Stop();
    ASSERT_EQ(m_music.Play("fourth.wav", 1), S_OK);
    EXPECT_EQ(TimesListed(manager, &m_music), 1u);
    EXPECT_TRUE(m_music.IsRunning());
    g_pTaskManager = previous;
}

TEST_F(MusicTest, StopAndStartDriveTheGraphAndTheTask)
{
    RecordingFilterGraph& graph = NextGraph();
    ASSERT_EQ(m_music.Play("tune.wav", 1), S_OK);
    graph.calls.clear();

    m_music.Stop();
    EXPECT_TRUE(m_music.IsStopped());
    EXPECT_FALSE(m_music.IsRunning());
    EXPECT_TRUE(m_music.Start());
    EXPECT_TRUE(m_music.IsRunning());
    EXPECT_EQ(graph.calls, (Calls{"Stop", "Run"}));
}

TEST_F(MusicTest, OnlyTheTeardownEndsTheMusic)
{
    RecordingFilterGraph& graph = NextGraph();
    {
        CPMusic music(RecordingFactory);
        ASSERT_EQ(music.Play("tune.wav", 1), S_OK);
        graph.calls.clear();
        music.AddRef();
        music.Release();
        EXPECT_TRUE(graph.calls.empty());
    }
    EXPECT_EQ(graph.calls, (Calls{"Stop", "Abort"}));
    EXPECT_EQ(graph.references, 0);
}

TEST_F(MusicTest, AVolumeTheGraphRefusesIsAnsweredFalseButKept)
{
    RecordingFilterGraph& graph = NextGraph();
    ASSERT_EQ(m_music.Play("tune.wav", 1), S_OK);
    graph.volumeAnswer = E_FAIL;

    EXPECT_FALSE(m_music.SetVolume(0.9f));
    EXPECT_EQ(m_music.GetVolume(), 0.9f);
}

TEST_F(MusicTest, APathTooLongForDirectShowFailsBeforeAnyGraph)
{
    EXPECT_TRUE(FAILED(m_music.Play(std::string(300, 'a').c_str(), 1)));
    EXPECT_EQ(g_handedOut, 0u);
    EXPECT_FALSE(m_music.IsRendered());
}

TEST(Music, AGraphThatCannotBeMadeLeavesNoGraph)
{
    CPMusic music(FailingFactory);
    EXPECT_EQ(music.Play("tune.wav", 1), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(music.IsRendered());
    EXPECT_FALSE(music.IsRunning());
    EXPECT_TRUE(music.SetVolume(0.2f));
    EXPECT_EQ(music.GetVolume(), 0.2f);
    music.Execute();
    music.Stop();
}

// DirectShow's own graph offers everything the player asks of it, up to
// rendering, which fails for a file that is not there.
TEST(MusicOnDirectShow, RealGraphGetsAsFarAsRendering)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        CPMusic music;
        HRESULT result = music.Play("no_such_tune.wav", 1);
        EXPECT_TRUE(FAILED(result));
        EXPECT_NE(result, E_NOINTERFACE);
        EXPECT_NE(result, REGDB_E_CLASSNOTREG);
        EXPECT_FALSE(music.IsRendered());
    }
    CoUninitialize();
}

// DirectShow's own graph, wrapped to count the ends of the stream.
int g_streamEnds = 0;

HRESULT CountingFactory(IGraphBuilder** graph)
{
    IGraphBuilder* real = nullptr;
    HRESULT result = CreateFilterGraph(&real);
    *graph = SUCCEEDED(result) ? new sounddouble::CountingFilterGraph(real, &g_streamEnds) : nullptr;
    return result;
}

// A short tune on DirectShow's own graph: it renders, runs, and the player
// stops itself at the end of the stream, or plays it again from the start
// when looping, so the end comes round more than once.
class MusicPlayback : public testing::TestWithParam<int> {
protected:
    static const int kSampleRate = 22050;
    static const int kSamples = kSampleRate / 5;
    // The tune lasts 0.2 s: a busy machine gets ample time to reach its end,
    // or its end twice.
    static const DWORD kWaitMilliseconds = 10000;
    static constexpr int kLoopedEnds = 2;

    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Music", nullptr);
        wavefixture::WriteFile("Data\\Music\\tune.wav",
                               wavefixture::Wave(1, kSampleRate, 16, std::string(kSamples * 2, '\x10')));
        g_streamEnds = 0;
    }
    void TearDown() override { CoUninitialize(); }

    // Runs the player's per-frame step until it stops, or until the end of
    // the stream came round as often as asked, or time runs out.
    static void RunUntil(CPMusic& music, int ends)
    {
        DWORD start = GetTickCount();
        while (music.IsRunning() && g_streamEnds < ends && GetTickCount() - start < kWaitMilliseconds) {
            music.Execute();
            Sleep(10);
        }
    }
};

TEST_P(MusicPlayback, PlaysAWaveFileToItsEndOrLoops)
{
    int loop = GetParam();
    CPMusic music(CountingFactory);
    ASSERT_EQ(music.Play("tune.wav", loop), S_OK);
    EXPECT_TRUE(music.IsRendered());
    EXPECT_TRUE(music.IsRunning());

    RunUntil(music, loop ? kLoopedEnds : 1);
    if (loop) {
        EXPECT_GE(g_streamEnds, kLoopedEnds);
        EXPECT_TRUE(music.IsRunning());
    } else {
        music.Execute();
        EXPECT_EQ(g_streamEnds, 1);
        EXPECT_TRUE(music.IsStopped());
    }
    music.ReleaseGraph();
}

INSTANTIATE_TEST_SUITE_P(OnceAndLooping, MusicPlayback, testing::Values(0, 1));

} // namespace
