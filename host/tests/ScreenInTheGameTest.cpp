#include "host/EngineHost.h"

#include "host/tests/BackBufferPixel.h"

#include "Render/PRender.h"
#include "Render/TgaImage.h"
#include "core/PCommandManager.h"
#include "game/PGameData.h"
#include "interface/FontFile.h"
#include "interface/InterfaceFileWriter.h"
#include "interface/PFontManager.h"
#include "interface/PInterface.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::string>;

const uint32_t kRed = 0xFFFF0000;
const uint32_t kGreen = 0xFF00FF00;
const uint32_t kBlue = 0xFF0000FF;
const uint32_t kYellow = 0xFFFFFF00;
const uint32_t kWhite = 0xFFFFFFFF;
const uint32_t kCyan = 0xFF00FFFF;
const uint32_t kClear = 0x00000000;
const D3DCOLOR kBackground = 0xFF203040;

// A texel's colour as the back buffer keeps it, without alpha.
D3DCOLOR Drawn(uint32_t argb)
{
    return argb & 0x00FFFFFF;
}

// The screen's texture: four columns of 64 texels, red, green, blue and
// yellow, over a cyan lower half. The font's texture: an opaque white left
// half and a clear right half.
std::vector<uint32_t> ColumnTexels(int width, int height, const std::vector<uint32_t>& columns)
{
    std::vector<uint32_t> texels;
    const int columnWidth = width / static_cast<int>(columns.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) texels.push_back(columns[x / columnWidth]);
    }
    return texels;
}

std::vector<uint32_t> OverLowerHalf(std::vector<uint32_t> texels, uint32_t colour)
{
    std::fill(texels.begin() + static_cast<std::ptrdiff_t>(texels.size() / 2), texels.end(), colour);
    return texels;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

const char* const kMenuTexture = "Data\\Textures\\menu.tga";
const char* const kFontTexture = "Data\\Textures\\hud.tga";

// The game running in this process with a font in its fonts folder and a
// screen of a cursor, a button "play" (100-164, 100-132) whose looks lie
// side by side in the texture (red, green, blue), a yellow window "panel"
// (300-348, 100-124), a cyan window "low" cut from the texture's lower half
// (400-448, 100-124) and the text "AB" at (100.5, 200.5), speaking to
// "gamemenu". The font's "A" is white, its "B" clear.
class ScreenInTheGame : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Fonts", nullptr);
        CreateDirectoryA("Data\\Interface", nullptr);
        CreateDirectoryA("Data\\Textures", nullptr);
        WriteFile(kMenuTexture,
                  TgaImage(256, 128, OverLowerHalf(ColumnTexels(256, 128, {kRed, kGreen, kBlue, kYellow}), kCyan)));
        WriteFile(kFontTexture, TgaImage(16, 16, ColumnTexels(16, 16, {kWhite, kClear})));
        ASSERT_TRUE(WriteFontFile(
            FontPath("hud"),
            FontFileContents{"hud.tga", 16.0f, {{65, {0, 0, 0.5f, 1}, 12.0f}, {66, {0.5f, 0, 1, 1}, 12.0f}}}));
        InterfaceFileWriter writer("gamemenu", "menu.tga", 256.0f, 128.0f);
        writer.AddWindow({"cursor", 0.5f, 0.5f, 16, 16, 0, 0, 16, 16, "", ""});
        writer.AddButton({"play", 100.5f, 100.5f, 64, 32, 0, 0, 64, 32, "", ""},
                         {"play_h", 0, 0, 64, 32, 64, 0, 64, 32, "", ""},
                         {"play_p", 0, 0, 64, 32, 128, 0, 64, 32, "", ""});
        writer.AddWindow({"panel", 300.5f, 100.5f, 48, 24, 192, 0, 64, 32, "", ""});
        writer.AddWindow({"low", 400.5f, 100.5f, 48, 24, 192, 64, 64, 32, "", ""});
        writer.AddText("title", "hud", 100, 200, "title", "");
        ASSERT_TRUE(writer.Save(InterfaceFilePath("hostmenu")));

        // The display's own pointer stays off the game's window, so only the
        // posted messages move the screen's pointer.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        std::string error;
        ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
        GetGameData()->texts["title"] = "AB";
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
        std::remove(kMenuTexture);
        std::remove(kFontTexture);
    }

    // The screen queued for this frame, as its script does every frame, and
    // the frame drawn.
    void DrawScreen()
    {
        screen->Update();
        host.DrawFrame();
    }
    D3DCOLOR PixelAt(int x, int y) { return BackBufferPixel(host.GetDevice(), x, y); }

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

TEST_F(ScreenInTheGame, DrawsItsWindowsButtonAndTextOnTheDevice)
{
    GetRender()->SetFogColour(kBackground);
    GetRender()->SetFade(1.0f);
    const D3DCOLOR background = Drawn(kBackground);
    const struct {
        int x;
        int y;
        D3DCOLOR colour;
        const char* what;
    } pixels[] = {
        {130, 115, Drawn(kRed), "the button's normal look"},
        {101, 101, Drawn(kRed), "the button's top-left pixel"},
        {163, 131, Drawn(kRed), "the button's bottom-right pixel"},
        {165, 115, background, "right of the button"},
        {130, 133, background, "below the button"},
        {324, 112, Drawn(kYellow), "the window"},
        {350, 112, background, "right of the window"},
        {424, 112, Drawn(kCyan), "the window cut from the lower half"},
        {424, 125, background, "below that window"},
        {106, 208, Drawn(kWhite), "the glyph A"},
        {118, 208, background, "the clear glyph B beyond A"},
        {106, 218, background, "below the text line"},
        {400, 300, background, "away from the screen"},
    };
    DrawScreen();
    for (const auto& pixel : pixels) EXPECT_EQ(PixelAt(pixel.x, pixel.y), pixel.colour) << pixel.what;

    Post(WM_MOUSEMOVE, 0, 110, 120);
    DrawScreen();
    EXPECT_EQ(PixelAt(130, 115), Drawn(kGreen)) << "the hover look";
    EXPECT_EQ(PixelAt(114, 124), Drawn(kRed)) << "the cursor at the pointer";
}

} // namespace
