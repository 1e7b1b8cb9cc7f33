#include "script/tests/ScriptTest.h"

#include "core/FrameClock.h"
#include "core/Settings.h"
#include "core/tests/FileTestSupport.h"
#include "Sound/PMusic.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "Sound/tests/RecordingFilterGraph.h"
#include "Sound/tests/WaveFixtures.h"
#include "game/PActionsManager.h"

#include <string>

namespace {

const char* const kActions = "Actions.cfg";
const char* const kBindings = "fire;Fire;LCtrl;false\r\nlook;Look;3;true\r\njump;Jump;Space;false\r\n";

class OptionFunctions : public ScriptTest {
protected:
    OptionFunctions()
        : m_sound(g_soundVolume), m_music(g_musicVolume), m_mouse(g_mouse), m_plane(g_plane)
    {
        g_pActionsManager = &actions;
    }
    ~OptionFunctions() override
    {
        g_pActionsManager = nullptr;
        g_soundVolume = m_sound;
        g_musicVolume = m_music;
        g_mouse = m_mouse;
        g_plane = m_plane;
        DeleteFileA(kActions);
    }

    std::string Joined(const std::string& code)
    {
        std::string text;
        for (const std::string& result : Results(code)) text += (text.empty() ? "" : "|") + result;
        return text;
    }

    CPActionsManager actions;

private:
    float m_sound, m_music, m_mouse, m_plane;
};

TEST_F(OptionFunctions, SettingsAreStoredAndReadBack)
{
    g_plane = 0.75f;
    Results("SetSoundVolume(0.25) SetMusicVolume(0.5) SetMouse(3)");
    EXPECT_FLOAT_EQ(g_soundVolume, 0.25f);
    EXPECT_FLOAT_EQ(g_musicVolume, 0.5f);
    EXPECT_FLOAT_EQ(g_mouse, 3.0f);
    EXPECT_EQ(Joined("return GetSoundVolume(), GetMusicVolume(), GetMouse(), GetBrightness()"), "0.25|0.5|3|0.75");
}

TEST_F(OptionFunctions, SetActionsSwitchesTheBindingsAndStopsTheFrame)
{
    FrameDeltaTime = 0.5f;
    Results("SetActions(true)");
    EXPECT_TRUE(actions.actionsEnabled);
    EXPECT_EQ(FrameDeltaTime, 0.0f);
    Results("SetActions(false) SetAssignKey()");
    EXPECT_FALSE(actions.actionsEnabled);
    EXPECT_TRUE(actions.assignKeyMode);
}

TEST_F(OptionFunctions, RebindingIsWrittenToTheBindingsFileAndReadBack)
{
    WriteFileBytes(kActions, kBindings);
    Results("LoadActions('Actions.cfg')");
    EXPECT_EQ(Joined("local count, names, keys = GetActionNames() "
                     "return count, table.concat(names, ','), table.concat(keys, ',')"),
              "3|fire,look,jump|LCtrl,3,Space");
    Results("SetAction('jump', 'LCtrl', true)");
    EXPECT_EQ(actions.keySlots[29].text, "fire") << "the keys follow only once written and read back";
    Results("UpdateActions()");
    EXPECT_EQ(ReadFileBytes(kActions), "fire;Fire;undefined key;false\r\nlook;Look;3;true\r\njump;Jump;LCtrl;false\r\n");
    EXPECT_EQ(actions.keySlots[29].text, "jump");
    EXPECT_EQ(actions.keySlots[57].text, "");
    WriteFileBytes(kActions, "");
    Results("SaveActions()");
    EXPECT_EQ(ReadFileBytes(kActions), "fire;Fire;undefined key;false\r\nlook;Look;3;true\r\njump;Jump;LCtrl;false\r\n");
}

TEST_F(OptionFunctions, KeyBindingsAnswerNoneWithoutAManager)
{
    g_pActionsManager = nullptr;
    Results("SetActions(true) SetAssignKey() SetAction('jump', 'LCtrl') LoadActions('Actions.cfg')");
    EXPECT_EQ(Joined("local count, names, keys = GetActionNames() return count, table.getn(names), table.getn(keys)"),
              "0|0|0");
}

sounddouble::RecordingFilterGraph* s_graph = nullptr;

HRESULT HandOutGraph(IGraphBuilder** graph)
{
    *graph = s_graph;
    return S_OK;
}

TEST_F(OptionFunctions, MusicWithoutLoopPlaysOnceAndItsNameIsKept)
{
    EXPECT_EQ(Joined("return GetMusicName()"), "") << "no music player";
    sounddouble::RecordingFilterGraph graph;
    s_graph = &graph;
    CPMusic music(HandOutGraph);
    g_pMusic = &music;
    Results("PlayMusicNoLoop('dusk.ogg')");
    EXPECT_EQ(graph.calls.front(), "RenderFile Data\\Music\\dusk.ogg");
    EXPECT_EQ(graph.CountCalls("Run"), 2) << "played, then started";
    EXPECT_TRUE(music.IsRunning());
    EXPECT_EQ(Joined("return GetMusicName()"), "dusk.ogg");

    graph.calls.clear();
    graph.pendingEvents.push_back(EC_COMPLETE);
    music.Execute();
    EXPECT_EQ(graph.calls, (std::vector<std::string>{"FreeEventParams 1", "Stop"})) << "the end stops it";
    Results("PlayMusicNoLoop()");
    EXPECT_EQ(Joined("return GetMusicName()"), "dusk.ogg") << "no name plays nothing";
    tasks.GetTasks().clear();
    music.ReleaseGraph();
    g_pMusic = nullptr;
}

// Two sounds on Wine's DirectSound: one the manager knows by name, one only
// in the list of every sound, both playing from a few samples in.
TEST_F(OptionFunctions, StopSoundsStopsEverySoundAndRewindsTheNamedOnes)
{
    IDirectSound8* device = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
    ASSERT_EQ(device->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY), DS_OK);
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Sounds", nullptr);
    const std::string samples(44100, '\x40');
    wavefixture::WriteFile("Data\\Sounds\\horn.wav", wavefixture::Wave(1, 22050, 16, samples));
    {
        CPSoundCache cache(device);
        CPSoundManager manager(&cache);
        g_pSoundManager = &manager;
        RefPtr<CNSound> named, empty;
        manager.LoadSound(named, "horn.wav", CNSound::kPlain, false);
        ASSERT_TRUE(named);
        manager.GetNamedSounds()["horn"] = named;
        manager.GetSound(empty, "not loaded");
        CNSound listed(device, "Data\\Sounds\\horn.wav", CNSound::kPlain);
        ASSERT_TRUE(listed.IsCreated());
        for (CNSound* sound : {named.Get(), &listed}) {
            ASSERT_EQ(sound->Play(0, DSBPLAY_LOOPING), DS_OK);
            sound->GetBuffer()->SetCurrentPosition(4000);
        }
        Results("StopSounds()");
        DWORD namedAt = 1, listedAt = 0;
        named->GetBuffer()->GetCurrentPosition(&namedAt, nullptr);
        listed.GetBuffer()->GetCurrentPosition(&listedAt, nullptr);
        EXPECT_FALSE(named->IsPlaying());
        EXPECT_FALSE(listed.IsPlaying());
        EXPECT_EQ(namedAt, 0u);
        EXPECT_GE(listedAt, 4000u) << "not rewound";
        g_pSoundManager = nullptr;
    }
    device->Release();
    DeleteFileA("Data\\Sounds\\horn.wav");
}

} // namespace
