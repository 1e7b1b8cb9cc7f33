#include "script/tests/MenuScreen.h"

#include "script/tests/ScriptTest.h"

#include "Render/PIVertexBuffer.h"
#include "Render/PMaterial.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "core/ShuttingDown.h"

namespace {

using Commands = std::vector<std::string>;

// A 640 x 480 screen of a cursor, a button, a window, a text and an edit
// box of at most 3 characters holding "AB", driven from a script.
class InterfaceFunctions : public MenuScreenTest {
protected:
    InterfaceFunctions() : log("interface_script.log"), scripts(log), state(scripts.GetState())
    {
        SetScreenSize(640, 480);
        AddTestFont("small");
        InterfaceFileWriter writer = MenuScreenWriter();
        writer.AddText("caption", "small", 10, 20, "title", "");
        writer.AddEditBox("player", 30, 40, "small", 3, "lu", "AB");
        screen = LoadScreen(writer);
        lua_pushlightuserdata(state, screen);
        lua_setglobal(state, "screen");
    }
    ~InterfaceFunctions() override { ShuttingDown = false; }

    void Run(const std::string& code) { ASSERT_TRUE(scripts.RunText(code.c_str(), "test")); }

    // The results of a chunk, each through "tostring", joined with "|".
    std::string Joined(const std::string& code)
    {
        std::string text;
        for (const std::string& result : ChunkResults(state, code)) text += (text.empty() ? "" : "|") + result;
        return text;
    }

    static CPRenderObject* MeshOf(CPGameObject* object)
    {
        return dynamic_cast<CPRenderObject*>(object->GetComponent());
    }
    FontDesc& Caption() { return screen->GetTexts()["caption"]; }
    CPEditBox* Player() { return screen->GetEditBoxes()["player"].Get(); }

    GameLog log;
    ScriptHost scripts;
    lua_State* state;
    CPInterface* screen;
};

TEST_F(InterfaceFunctions, CreatedScreenActivatesWithThePointerAndItsPriority)
{
    // Outlives the screen, which holds it.
    TestReceiver handler;
    actions.mouseX = 320.0f;
    actions.mouseY = 120.0f;
    Run("made = CreateInterface('menu', 2)");
    lua_getglobal(state, "made");
    std::unique_ptr<CPInterface> made(dynamic_cast<CPInterface*>(static_cast<IPObject*>(lua_touserdata(state, -1))));
    lua_pop(state, 1);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetElements().count("play"), 1u);
    made->SetScriptHandler(&handler);

    Run("ActivateInterface(made)");
    EXPECT_TRUE(made->IsActive());
    EXPECT_EQ(hud.Take(), Commands({"mouse_move:0.50|0.25", "mouse_window_over:frame"}));
    ASSERT_EQ(tasks.GetTasks().size(), 1u);
    EXPECT_EQ(tasks.GetTasks().front()->GetPriority(), 450);
    made->Deactivate();
    tasks.GetTasks().clear();
}

TEST_F(InterfaceFunctions, QuietActivationReportsNoPointerAndAbsentNamesMakeNoScreen)
{
    Run("SilentActivateInterface(screen)");
    EXPECT_TRUE(screen->IsActive());
    EXPECT_TRUE(hud.Take().empty());
    EXPECT_EQ(Joined("return CreateInterface(nil, 2)"), "");
}

TEST_F(InterfaceFunctions, UpdateQueuesTheScreenForTheFrame)
{
    CPIVertexBuffer buffer(std::vector<IDirect3DVertexBuffer9*>(), std::vector<IDirect3DIndexBuffer9*>(), 0, 0, false);
    CPRenderQueue queue(&buffer);
    render.SetRenderQueue(&queue);
    Run("UpdateInterface(nil) UpdateInterface(screen)");
    RefPtr<CPMaterial> screenMaterial;
    screen->GetRenderObject()->GetMaterial(screenMaterial);
    EXPECT_NE(queue.GetFrameBlock(screenMaterial.Get()), nullptr);
    queue.ClearFrame();
    render.SetRenderQueue(nullptr);
}

TEST_F(InterfaceFunctions, WindowPositionsAreSetReadAndDefaultToMinusOne)
{
    Run("SetWindowPosition(screen, 'frame', 12.25, 7.5) SetWindowPositionShop(screen, 'play', 40, 60)");
    EXPECT_EQ(Joined("return GetWindowPosition(screen, 'frame')"), "12.25|7.5");
    EXPECT_EQ(Joined("return GetWindowPosition(screen, 'play')"), "39.5|59.5");
    EXPECT_EQ(Joined("return GetWindowPosition(screen, 'nothing')"), "-1|-1");
    EXPECT_EQ(Joined("return GetWindowPosition(nil, 'frame')"), "-1|-1");
    EXPECT_EQ(Joined("return GetTextPosition(screen, 'nothing')"), "-1|-1");
    EXPECT_EQ(Joined("return GetTextPosition(nil, 'caption')"), "-1|-1");
}

TEST_F(InterfaceFunctions, AHiddenButtonLeavesTheRebuiltMeshFourVerticesFewer)
{
    Run("UpdateInterfaceBuffers(screen)");
    const int shown = screen->GetRenderObject()->GetVertexCount();
    Run("SetWindowVisible(screen, 'play', false) UpdateInterfaceBuffers(screen)");
    EXPECT_EQ(screen->GetRenderObject()->GetVertexCount(), shown - 4);
    Run("SetWindowVisible(screen, 'play', 0) UpdateInterfaceBuffers(screen)");
    EXPECT_EQ(screen->GetRenderObject()->GetVertexCount(), shown) << "the number 0 counts as true";
}

TEST_F(InterfaceFunctions, TextsMoveAndChangeWithTheirMeshes)
{
    Run("SetText(screen, 'caption', 'ABA')");
    EXPECT_EQ(Caption().text, "ABA");
    EXPECT_EQ(MeshOf(Caption().textObject.Get())->GetVertexCount(), 12);
    Run("SetTextPosition(screen, 'caption', 50.5, 70)");
    EXPECT_EQ(Joined("return GetTextPosition(screen, 'caption')"), "50.5|70");
    EXPECT_FLOAT_EQ(MeshOf(Caption().textObject.Get())->GetWorldVertices()[0].position.x, 50.5f);

    gameData.texts["greeting"] = "BA";
    Run("SetTextString(screen, 'caption', 'greeting')");
    EXPECT_EQ(Caption().text, "BA");
    EXPECT_EQ(MeshOf(Caption().textObject.Get())->GetVertexCount(), 8);
    Run("SetTextString(screen, 'caption', 'unknown')");
    EXPECT_EQ(Caption().text, "");
    EXPECT_EQ(gameData.texts.count("unknown"), 1u);
}

TEST_F(InterfaceFunctions, TextsStayWhileShuttingDownOrWhenNothingIsGiven)
{
    Run("SetText(screen, 'caption', 'AB')");
    const size_t textCount = gameData.texts.size();
    Run("SetText(screen, 'caption', nil) SetText(screen, 'nothing', 'B') SetTextString(screen, 'caption', nil)");
    EXPECT_EQ(Caption().text, "AB");
    ShuttingDown = true;
    Run("SetText(screen, 'caption', 'B') SetTextString(screen, 'caption', 'late')");
    EXPECT_EQ(Caption().text, "AB");
    EXPECT_EQ(gameData.texts.size(), textCount);
    EXPECT_EQ(screen->GetTexts().count("nothing"), 0u);
}

TEST_F(InterfaceFunctions, EditBoxKeysFollowTheLengthLimit)
{
    struct Step {
        const char* key;
        const char* text;
    };
    const Step steps[] = {{"string.byte('a')", "ABA"}, {"string.byte('b')", "ABA"}, {"8", "AB"},
                          {"32", "AB "},               {"-88", "AB "},             {"-72", "AB "}};
    for (const Step& step : steps) {
        Run(std::string("EditBoxProcessKey(screen, 'player', ") + step.key + ")");
        EXPECT_EQ(Player()->GetText(), step.text) << step.key;
    }
    EXPECT_EQ(MeshOf(Player()->GetFont().textObject.Get())->GetVertexCount(), 16) << "the text and its caret";
    EXPECT_EQ(Joined("return EditBoxTextLength(screen, 'player'), GetEditBoxText(screen, 'player')"), "3|AB ");
}

TEST_F(InterfaceFunctions, EditBoxTextIsCutToTheLimitAndUnknownBoxesReadEmpty)
{
    Run("SetEditBoxText(screen, 'player', 'BBAA')");
    EXPECT_EQ(Player()->GetText(), "BBA");
    EXPECT_EQ(MeshOf(Player()->GetFont().textObject.Get())->GetVertexCount(), 16);
    Run("SetEditBoxText(screen, 'player', nil) EditBoxProcessKey(screen, 'nothing', 8)");
    EXPECT_EQ(Player()->GetText(), "BBA");
    EXPECT_EQ(Joined("return EditBoxTextLength(screen, 'nothing'), GetEditBoxText(screen, 'nothing')"), "0|");
    EXPECT_EQ(Joined("return select('#', EditBoxTextLength(nil, 'player')), select('#', GetEditBoxText(nil, 'x'))"),
              "0|0");
    EXPECT_EQ(screen->GetEditBoxes().size(), 1u);
}

TEST_F(InterfaceFunctions, SetCursorShowsTheNamedCursorAtThePointer)
{
    screen->ActivateQuietly(450);
    screen->OnMouseMove(200.0f, 150.0f);
    CPGameObject* arrow = new CPGameObject("arrow");
    std::unique_ptr<CPGameObject> owned(arrow);
    arrow->SetVisible(false);
    screen->GetCursors()["arrow"] = arrow;
    CPGameObject* standard = screen->GetCursor();
    ASSERT_NE(standard, nullptr);

    Run("SetCursor(screen, 'arrow')");
    EXPECT_FALSE(standard->IsVisible());
    EXPECT_EQ(screen->GetCursor(), arrow);
    EXPECT_EQ(screen->cursorName, "arrow");
    EXPECT_TRUE(arrow->IsVisible());
    EXPECT_EQ(*arrow->GetPositionRef(), D3DXVECTOR3(200.0f, 150.0f, 0.0f));

    Run("SetCursor(screen, 'missing')");
    EXPECT_FALSE(arrow->IsVisible());
    EXPECT_EQ(screen->GetCursor(), nullptr);
    EXPECT_EQ(screen->cursorName, "missing");
    EXPECT_EQ(screen->GetCursors().count("missing"), 1u);

    Run("SetCursor(screen, nil) SetCursor(nil, 'arrow')");
    EXPECT_EQ(screen->GetCursor(), nullptr);
    screen->GetCursors().clear();
}

} // namespace

namespace {

// The item draws once in the other font; its own font and text stay for
// the next SetText.
TEST_F(InterfaceFunctions, SetFontDrawsTheTextItemInAnotherFontAndKeepsTheItem)
{
    AddTestFont("large");
    Run("SetText(screen, 'caption', 'AB') SetFont(screen, 'caption', 'large', 'BAB')");
    CPRenderObject* mesh = MeshOf(Caption().textObject.Get());
    RefPtr<CPMaterial> material;
    mesh->GetMaterial(material);
    EXPECT_EQ(material.Get(), fonts.FindFont("large")->material.Get());
    EXPECT_EQ(mesh->GetVertexCount(), 12);
    EXPECT_EQ(Caption().fontName, "small");
    EXPECT_EQ(Caption().text, "AB");

    gameData.texts["short"] = "A";
    Run("SetFontString(screen, 'caption', 'large', 'short')");
    EXPECT_EQ(mesh->GetVertexCount(), 4);
    Run("SetFont(screen, 'caption', 'large', nil) SetFont(screen, 'caption', nil, 'AB') "
        "SetFont(screen, 'nothing', 'large', 'AB') SetFontString(screen, 'caption', 'large', nil)");
    EXPECT_EQ(mesh->GetVertexCount(), 4) << "nothing given, nothing drawn";
}

} // namespace
