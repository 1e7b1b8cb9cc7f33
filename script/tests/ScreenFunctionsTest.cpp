#include "script/tests/MenuScreen.h"

#include "script/GameLog.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"

#include "Render/MeshFileWriter.h"
#include "Render/PObjectLoader.h"

#include <windows.h>

namespace {

using Commands = std::vector<std::string>;

// Screens and scene objects made from generated files, driven from a script.
class ScreenFunctions : public MenuScreenTest {
protected:
    ScreenFunctions() : log("screen_script.log"), scripts(log), state(scripts.GetState())
    {
        SetScreenSize(640, 480);
        InterfaceFileWriter writer = MenuScreenWriter();
        screen = LoadScreen(writer);
        screen->ActivateQuietly(450);
        lua_pushlightuserdata(state, screen);
        lua_setglobal(state, "screen");
        menu.Take();
        hud.Take();
    }

    void Run(const char* code) { ASSERT_TRUE(scripts.RunText(code, "test")); }

    CPButton* Play() { return dynamic_cast<CPButton*>(screen->GetElements()["play"].Get()); }

    GameLog log;
    ScriptHost scripts;
    lua_State* state;
    CPInterface* screen;
};

TEST_F(ScreenFunctions, LockingTheHoveredButtonTakesItsHoverAway)
{
    InterfaceMouseMove(110.0f, 110.0f);
    InterfaceMouseMove(111.0f, 110.0f);
    ASSERT_EQ(screen->GetCurrentButton(), Play());
    hud.Take();
    Run("LockButton(screen, 'play')");
    EXPECT_EQ(Play()->GetState(), CPButton::kNormal);
    EXPECT_EQ(screen->GetCurrentButton(), nullptr);
    EXPECT_EQ(hud.Take(), Commands({"mouse_button_out:play"}));
    InterfaceMouseMove(112.0f, 110.0f);
    EXPECT_EQ(Play()->GetState(), CPButton::kNormal) << "a locked button does not light up";

    Run("UnlockButton(screen, 'play')");
    InterfaceMouseMove(113.0f, 110.0f);
    EXPECT_EQ(Play()->GetState(), CPButton::kHover);
}

TEST_F(ScreenFunctions, UnknownOrAbsentNamesLockNothingAndEnterNothing)
{
    const size_t elements = screen->GetElements().size();
    Run("LockButton(screen, 'nothing') LockButton(screen, nil) LockButton(screen, {}) UnlockButton(screen)"
        "LockButton(nil, 'play') LockButton(StringToPointer('77'), 'play')");
    EXPECT_EQ(screen->GetElements().size(), elements);
    InterfaceMouseMove(110.0f, 110.0f);
    EXPECT_EQ(Play()->GetState(), CPButton::kHover);
}

TEST_F(ScreenFunctions, DeactivatingAScreenThroughEitherNameStopsIt)
{
    Run("DeactivateInterface(screen)");
    EXPECT_FALSE(screen->IsActive());
    Run("ActivateObject(screen, 450)");
    EXPECT_TRUE(screen->IsActive());
    Run("DeactivateObject(screen)");
    EXPECT_FALSE(screen->IsActive());
}

TEST_F(ScreenFunctions, LoadRenderObjectHandsOverTheObjectItBuilt)
{
    CreateDirectoryA("Data\\Meshes", nullptr);
    MeshPartData part;
    part.name = "plate";
    for (int corner = 0; corner < 3; ++corner) {
        Vertex48 vertex = {};
        vertex.position = D3DXVECTOR3(static_cast<float>(corner), static_cast<float>(corner * corner), 0.5f);
        part.vertices.push_back(vertex);
        part.indices.push_back(static_cast<uint16_t>(corner));
    }
    part.boxes = {MeshBoxData{D3DXVECTOR3(1, 2, 0), D3DXVECTOR3(1, 2, 0.5f)}};
    MeshPartData rim = part;
    rim.name = "rim";
    FixtureWriter mesh;
    WriteStaticMeshFile(mesh, {part, rim}, false);
    WriteFile("Data\\Meshes\\plate.msh", mesh.GetBytes());
    WriteFile("Data\\Meshes\\plate.rdf", DescriptionWriter("plate.msh").Section("plate").Key("type", "20").GetText());
    CPObjectLoader loader;
    g_pObjectLoader = &loader;
    Run("plate = LoadRenderObject('plate.rdf', 0)");
    lua_getglobal(state, "plate");
    CPGameObject* plate = static_cast<CPGameObject*>(static_cast<IPObject*>(lua_touserdata(state, -1)));
    lua_pop(state, 1);
    ASSERT_NE(plate, nullptr);
    EXPECT_NE(plate->FindChild("plate").Get(), nullptr);
    Run("SetVisible(GetChildObject(plate, 'plate'), false)");
    EXPECT_FALSE(plate->FindChild("plate")->IsVisible());
    g_pObjectLoader = nullptr;
}

TEST_F(ScreenFunctions, MenuStepsMoveTheSelectionOnEveryActiveScreen)
{
    InterfaceFileWriter writer = MenuScreenWriter();
    writer.AddButton(Line("quit", 100.5f, 200.5f, 64, 32), Line("h", 0, 0, 64, 32), Line("p", 0, 0, 64, 32));
    CPInterface* second = LoadScreen(writer, "second");
    second->ActivateQuietly(460);
    CPInterface* idle = LoadScreen(writer, "idle");
    const struct {
        const char* step;
        const char* first;
        const char* second;
    } steps[] = {{"IMenuRight()", "play", "play"}, {"IMenuRight()", "play", "quit"}, {"IMenuLeft()", "play", "play"},
                 {"IMenuLeft()", "play", "quit"}};
    for (const auto& step : steps) {
        Run(step.step);
        ASSERT_NE(screen->GetCurrentButton(), nullptr) << step.step;
        ASSERT_NE(second->GetCurrentButton(), nullptr) << step.step;
        EXPECT_EQ(screen->GetCurrentButton()->name, step.first) << "the only button";
        EXPECT_EQ(second->GetCurrentButton()->name, step.second) << step.step;
    }
    EXPECT_EQ(idle->GetCurrentButton(), nullptr) << "an inactive screen takes no steps";
}

TEST_F(ScreenFunctions, InitWarningDrawsTheLoadingScreenOnTheDevice)
{
    WriteJpeg("Data\\Textures\\back2.jpg", 32, 32);
    WriteTga("Data\\Textures\\load.tga", 8, 8);
    Run("InitWarning(40.9)");
    EXPECT_NE(render.GetLoadingBackground(), nullptr);
    EXPECT_NE(render.GetLoadingBar(), nullptr);
    DWORD zEnable = 0xDEADBEEF;
    ASSERT_EQ(render.GetDevice()->GetRenderState(D3DRS_ZENABLE, &zEnable), D3D_OK);
    EXPECT_EQ(zEnable, static_cast<DWORD>(D3DZB_FALSE)) << "the loading screen's states";
}

} // namespace

namespace {

TEST_F(ScreenFunctions, DeselectingTakesTheCurrentButtonsHoverAwayButLeavesAWindow)
{
    InterfaceMouseMove(110.0f, 110.0f);
    ASSERT_EQ(screen->GetCurrentButton(), Play());
    hud.Take();
    Run("DeselectCurrentButton(nil) DeselectCurrentButton(screen)");
    EXPECT_EQ(Play()->GetState(), CPButton::kNormal);
    EXPECT_EQ(screen->GetCurrentButton(), nullptr);
    EXPECT_EQ(hud.Take(), Commands({"mouse_button_out:play"}));

    CPWindow* frame = screen->GetElements()["frame"].Get();
    screen->SetCurrentButton(frame);
    Run("DeselectCurrentButton(screen)");
    EXPECT_EQ(screen->GetCurrentButton(), frame) << "not one of the screen's buttons";
    screen->SetCurrentButton(nullptr);
}

} // namespace
