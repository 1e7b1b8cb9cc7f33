#include "host/EngineHost.h"

#include "core/PCommandManager.h"
#include "interface/FontFile.h"
#include "interface/InterfaceFileWriter.h"
#include "interface/PFontManager.h"
#include "interface/PInterface.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::string>;

// The game running in this process with a font in its fonts folder and a
// screen of a cursor, a button "play" (100-164, 100-132) whose looks lie
// side by side in the texture, and a text, speaking to "gamemenu".
class ScreenInTheGame : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Fonts", nullptr);
        CreateDirectoryA("Data\\Interface", nullptr);
        ASSERT_TRUE(WriteFontFile(FontPath("hud"), FontFileContents{"hud.tga", 16.0f, {{65, {0, 0, 1, 1}, 12.0f}}}));
        InterfaceFileWriter writer("gamemenu", "menu.tga", 256.0f, 128.0f);
        writer.AddWindow({"cursor", 0.5f, 0.5f, 16, 16, 0, 0, 16, 16, "", ""});
        writer.AddButton({"play", 100.5f, 100.5f, 64, 32, 0, 0, 64, 32, "", ""},
                         {"play_h", 0, 0, 64, 32, 64, 0, 64, 32, "", ""},
                         {"play_p", 0, 0, 64, 32, 128, 0, 64, 32, "", ""});
        writer.AddText("title", "hud", 10, 10, "title", "");
        ASSERT_TRUE(writer.Save(InterfaceFilePath("hostmenu")));

        // The display's own pointer stays off the game's window, so only the
        // posted messages move the screen's pointer.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        std::string error;
        ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
        screen.reset(new CPInterface());
        screen->Load("hostmenu", 0);
        screen->Activate(450);
        Pump();
        Take();
    }
    void TearDown() override
    {
        screen.reset();
        host.Shutdown();
        std::remove(FontPath("hud").c_str());
        std::remove(InterfaceFilePath("hostmenu").c_str());
    }

    // Posts the message to the game's window and lets the window handle
    // everything waiting for it.
    void Post(UINT message, WPARAM wParam, int x, int y)
    {
        PostMessageA(host.GetWindow(), message, wParam, MAKELPARAM(x, y));
        Pump();
    }
    void Pump()
    {
        MSG pending;
        while (PeekMessageA(&pending, host.GetWindow(), 0, 0, PM_REMOVE)) DispatchMessageA(&pending);
    }

    Commands Take()
    {
        Commands taken;
        RefPtr<CommandReceiver> receiver = GetCommandManager()->FindReceiver("gamemenu");
        while (receiver->SetNextCommand()) {
            std::string entry = *receiver->GetCurrentCommand();
            for (const std::string& param : *receiver->GetCurrentParams()) entry += ":" + param;
            taken.push_back(entry);
        }
        return taken;
    }

    CPButton* Play() { return dynamic_cast<CPButton*>(screen->GetElements()["play"].Get()); }

    EngineHost host{HostOptions()};
    std::unique_ptr<CPInterface> screen;
};

TEST_F(ScreenInTheGame, LoadsItsFontsAtStartUp)
{
    ASSERT_NE(GetFontManager()->FindFont("hud"), nullptr);
    EXPECT_FLOAT_EQ(GetFontManager()->FindFont("hud")->advance['A'], 12.0f);
}

TEST_F(ScreenInTheGame, PostedMouseMessagesMoveHoverPressAndClick)
{
    Post(WM_MOUSEMOVE, 0, 110, 120);
    EXPECT_EQ(Take(), Commands({"mouse_move:0.17:0.25", "mouse_button_over:play"}));
    EXPECT_FLOAT_EQ(screen->GetCursor()->GetWorldMatrix()._41, 110.0f);
    EXPECT_FLOAT_EQ(screen->GetCursor()->GetWorldMatrix()._42, 120.0f);
    EXPECT_EQ(Play()->GetState(), CPButton::kHover);

    Post(WM_LBUTTONDOWN, MK_LBUTTON, 110, 120);
    EXPECT_EQ(Play()->GetState(), CPButton::kPressed);
    Post(WM_LBUTTONUP, 0, 150, 125);
    EXPECT_EQ(Take(), Commands({"button:play"}));
    EXPECT_EQ(Play()->GetState(), CPButton::kHover);

    Post(WM_LBUTTONDOWN, MK_LBUTTON, 110, 120);
    Post(WM_LBUTTONUP, 0, 300, 300);
    EXPECT_EQ(Play()->GetState(), CPButton::kNormal) << "released outside";
    Post(WM_MOUSEMOVE, 0, 320, 240);
    EXPECT_EQ(Take(), Commands({"mouse_move:0.50:0.50", "mouse_button_out:play"}));
}

} // namespace
