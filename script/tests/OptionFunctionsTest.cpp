#include "script/tests/ScriptTest.h"

#include "core/FrameClock.h"
#include "core/Settings.h"
#include "core/tests/FileTestSupport.h"
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

} // namespace
