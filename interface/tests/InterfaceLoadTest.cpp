#include "interface/tests/InterfaceTest.h"

#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"

namespace {

class ScreenLoading : public InterfaceTest {
protected:
    InterfaceFileWriter Screen() { return InterfaceFileWriter("menu", "menu.tga", 256.0f, 128.0f); }

    static std::string MaterialEffect(CPRenderObject* mesh)
    {
        RefPtr<CPMaterial> material;
        mesh->GetMaterial(material);
        return material && material->GetEffect() ? material->GetEffect()->GetName() : "";
    }
};

TEST_F(ScreenLoading, NamesTheScreenAndTakesItsReceiverAndMaterial)
{
    WriteFile("Data\\Effects\\interface.fx", "effect technique main");
    WriteTga("Data\\Textures\\menu.tga", 4, 4);
    CPInterface* screen = LoadScreen(Screen());
    EXPECT_STREQ(screen->GetTypeName(), "CPInterface - menu");
    EXPECT_EQ(screen->GetScriptHandler().Get(), &menu);
    RefPtr<CPMaterial> material;
    screen->GetRenderObject()->GetMaterial(material);
    ASSERT_TRUE(material);
    EXPECT_EQ(material->GetType(), 200 + kScreenNumber);
    EXPECT_EQ(material->GetEffect()->GetName(), "interface.fx");
    EXPECT_EQ(material->GetTextureBlock()->GetTexture(0)->GetName(), "menu.tga");
    EXPECT_FALSE(screen->IsLightOn());
    EXPECT_FALSE(Logged());
}

TEST_F(ScreenLoading, UnknownReceiverLeavesNoScriptHandler)
{
    CPInterface* screen = LoadScreen(InterfaceFileWriter("nobody", "menu.tga", 256.0f, 128.0f));
    EXPECT_FALSE(screen->GetScriptHandler());
}

struct LightCase {
    const char* word;
    bool smooth;
    bool on;
    const char* effect;
};

class LightLines : public ScreenLoading, public testing::WithParamInterface<LightCase> {};

TEST_P(LightLines, SwitchTheLightAndChooseTheEffect)
{
    WriteFile("Data\\Effects\\interface.fx", "effect technique main");
    WriteFile("Data\\Effects\\interface2.fx", "effect technique main");
    InterfaceFileWriter writer = Screen();
    writer.SetLight(GetParam().word, 0.5f, -1.0f, 0.25f, 0.9f, 0.8f, 0.7f, GetParam().smooth);
    CPInterface* screen = LoadScreen(writer);
    EXPECT_EQ(screen->IsLightOn(), GetParam().on);
    EXPECT_EQ(MaterialEffect(screen->GetRenderObject()), GetParam().effect);
    if (!GetParam().on) return;
    const D3DLIGHT9& light = screen->GetLight();
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(light.Direction.y, -1.0f);
    EXPECT_FLOAT_EQ(light.Direction.z, 0.25f);
    EXPECT_FLOAT_EQ(light.Diffuse.r, 0.9f);
    EXPECT_FLOAT_EQ(light.Specular.b, 0.7f);
    EXPECT_FLOAT_EQ(light.Diffuse.a, 0.0f);
    EXPECT_FLOAT_EQ(light.Ambient.r, 0.0f);
    EXPECT_FLOAT_EQ(light.Range, 10000.0f);
    EXPECT_FLOAT_EQ(light.Attenuation0, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Words, LightLines,
                         testing::Values(LightCase{"on", false, true, "interface.fx"},
                                         LightCase{"ON", false, false, "interface.fx"},
                                         LightCase{"on", true, true, "interface2.fx"},
                                         LightCase{"off", true, false, "interface2.fx"}));

TEST_F(ScreenLoading, KeywordsMatchWholeLinesInAnyCaseAndBrackets)
{
    InterfaceFileWriter writer = Screen();
    writer.AddLine("WINDOW");
    writer.AddLine("first 0,0,10,10,0,0,10,10");
    writer.AddLine("[Window]");
    writer.AddLine("second 20,0,10,10,0,0,10,10");
    writer.AddLine("window please");
    writer.AddLine("third 40,0,10,10,0,0,10,10");
    CPInterface* screen = LoadScreen(writer);
    ASSERT_EQ(screen->GetDrawList().size(), 2u);
    EXPECT_EQ(screen->GetDrawList().front()->name, "first");
    EXPECT_EQ(screen->GetDrawList().back()->name, "second");
    EXPECT_EQ(screen->GetElements().count("third"), 0u);
}

TEST_F(ScreenLoading, DrawsBothWindowsOfOneNameAndFindsTheLater)
{
    InterfaceFileWriter writer = Screen();
    writer.AddWindow(Line("twin", 0, 0, 10, 10));
    writer.AddWindow(Line("twin", 100, 0, 10, 10));
    CPInterface* screen = LoadScreen(writer);
    EXPECT_EQ(screen->GetDrawList().size(), 2u);
    EXPECT_FLOAT_EQ(screen->GetElements()["twin"]->x, 99.5f);
    EXPECT_EQ(screen->GetRenderObject()->GetVertexCount(), 8);
}

TEST_F(ScreenLoading, RebuildsBuffersFromVisibleElementsAtTheirPositions)
{
    InterfaceFileWriter writer = Screen();
    writer.AddWindow(Line("back", 0.5f, 0.5f, 100, 50));
    writer.AddWindow(Line("hidden", 10, 10, 10, 10));
    writer.AddButton(Line("ok", 200.5f, 100.5f, 64, 32), Line("ok_h", 0, 0, 64, 32), Line("ok_p", 0, 0, 64, 32));
    CPInterface* screen = LoadScreen(writer);
    screen->GetElements()["hidden"]->visible = false;
    EXPECT_EQ(screen->GetRenderObject()->GetVertexCount(), 12) << "hidden only from the next rebuild";
    screen->UpdateBuffers();

    CPRenderObject* mesh = screen->GetRenderObject();
    ASSERT_EQ(mesh->GetVertexCount(), 8);
    const std::vector<Vertex48>& vertices = mesh->GetWorldVertices();
    EXPECT_FLOAT_EQ(vertices[2].position.x, 100.0f);
    EXPECT_FLOAT_EQ(vertices[4].position.x, 200.0f);
    EXPECT_FLOAT_EQ(vertices[6].position.y, 132.0f);
    const std::vector<uint16_t> indices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    EXPECT_EQ(mesh->GetIndices(), indices);
    ASSERT_EQ(mesh->GetLocalVertices().size(), vertices.size());
    EXPECT_EQ(mesh->GetLocalVertices()[6].position.y, vertices[6].position.y);
}

// Texture rectangles are cut in the texture's own width and height (256 by
// 128 here), so a swapped height shows in every v coordinate.
TEST_F(ScreenLoading, CutsTextureRectanglesInTheTexturesWidthAndHeight)
{
    InterfaceFileWriter writer = Screen();
    writer.AddWindow({"panel", 0.5f, 0.5f, 40, 30, 32, 16, 64, 96, "", ""});
    writer.AddButton({"ok", 100.5f, 0.5f, 64, 32, 0, 32, 64, 32, "", ""}, {"ok_h", 0, 0, 64, 32, 64, 64, 64, 32, "", ""},
                     {"ok_p", 0, 0, 64, 32, 128, 64, 64, 32, "", ""});
    writer.AddWindow({"cursor", 0.5f, 0.5f, 16, 16, 128, 96, 16, 16, "", ""});
    CPInterface* screen = LoadScreen(writer);
    struct Corner {
        const char* what;
        const Vertex48& vertex;
        float u;
        float v;
    };
    CPButton* ok = dynamic_cast<CPButton*>(screen->GetElements()["ok"].Get());
    ASSERT_NE(ok, nullptr);
    const std::vector<Vertex48>& drawn = screen->GetRenderObject()->GetWorldVertices();
    ASSERT_EQ(drawn.size(), 8u);
    const Vertex48* normal = ok->GetVertices();
    ok->OnMouseOver(110.0f, 10.0f);
    const Vertex48* hover = ok->GetVertices();
    const std::vector<Vertex48>& cursor =
        dynamic_cast<CPRenderObject*>(screen->GetCursor()->GetComponent())->GetLocalVertices();
    const Corner corners[] = {
        {"window top left", drawn[0], 0.125f, 0.125f},     {"window bottom right", drawn[2], 0.375f, 0.875f},
        {"button top left", normal[0], 0.0f, 0.25f},        {"button bottom right", normal[2], 0.25f, 0.5f},
        {"hover look top left", hover[0], 0.25f, 0.5f},     {"hover look bottom right", hover[2], 0.5f, 0.75f},
        {"cursor top left", cursor[0], 0.5f, 0.75f},        {"cursor bottom right", cursor[2], 0.5625f, 0.875f},
    };
    for (const Corner& corner : corners) {
        EXPECT_FLOAT_EQ(corner.vertex.tex0.x, corner.u) << corner.what;
        EXPECT_FLOAT_EQ(corner.vertex.tex0.y, corner.v) << corner.what;
    }
}

// One screen's mesh is drawn with 16-bit indices: the visible elements past
// the first 16384 are left out, and the screen says so.
TEST_F(ScreenLoading, DrawsAtMost16384Elements)
{
    InterfaceFileWriter writer = Screen();
    for (int i = 0; i <= CPInterface::kMaxElements; ++i) writer.AddWindow(Line("w", 0.5f, 0.5f, 2, 2));
    CPInterface* screen = LoadScreen(writer);
    EXPECT_TRUE(Logged());
    CPRenderObject* mesh = screen->GetRenderObject();
    EXPECT_EQ(mesh->GetVertexCount(), 65536);
    ASSERT_EQ(mesh->GetIndices().size(), 98304u);
    EXPECT_EQ(mesh->GetIndices().back(), 65535);

    ClearInterfaceLog();
    screen->GetDrawList().front()->visible = false;
    screen->UpdateBuffers();
    EXPECT_FALSE(Logged()) << "16384 visible elements all fit";
    EXPECT_EQ(mesh->GetVertexCount(), 65536);
}

TEST_F(ScreenLoading, MakesTheCursorWindowIntoTheCursorObject)
{
    WriteFile("Data\\Effects\\interface.fx", "effect technique main");
    InterfaceFileWriter writer = Screen();
    writer.AddWindow(Line("cursor", 0.5f, 0.5f, 32, 24));
    CPInterface* screen = LoadScreen(writer);
    EXPECT_TRUE(screen->GetDrawList().empty());
    EXPECT_EQ(screen->GetElements().count("cursor"), 0u);
    CPGameObject* cursor = screen->GetCursor();
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(screen->GetCursors()["cursor"].Get(), cursor);
    EXPECT_EQ(screen->GetChildByName("cursor").Get(), cursor);
    CPRenderObject* mesh = dynamic_cast<CPRenderObject*>(cursor->GetComponent());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetVertexCount(), 4);
    EXPECT_FLOAT_EQ(mesh->GetLocalVertices()[2].position.x, 32.0f);
    RefPtr<CPMaterial> material;
    mesh->GetMaterial(material);
    EXPECT_EQ(material->GetType(), 205);
    ASSERT_EQ(cursor->GetParts().size(), 1u);
    EXPECT_FLOAT_EQ(cursor->GetParts()[0].GetCentre().y, 12.0f);
}

TEST_F(ScreenLoading, PlacesTextsByAnchorAndFillsThemFromTheLocalisedTexts)
{
    SetScreenSize(800, 600);
    AddTestFont("small");
    gameData.texts["title"] = "AB";
    InterfaceFileWriter writer = Screen();
    writer.AddText("caption", "small", 1000, 700, "title", "rd");
    writer.AddText("plain", "small", 10, 20, "missing", "");
    CPInterface* screen = LoadScreen(writer);

    const FontDesc& caption = screen->GetTexts()["caption"];
    EXPECT_FLOAT_EQ(caption.x, 776.5f);
    EXPECT_FLOAT_EQ(caption.y, 532.5f);
    EXPECT_TRUE(caption.text.empty());
    CPRenderObject* mesh = dynamic_cast<CPRenderObject*>(caption.textObject->GetComponent());
    ASSERT_EQ(mesh->GetVertexCount(), 8);
    EXPECT_FLOAT_EQ(mesh->GetWorldVertices()[0].position.x, 776.5f);
    EXPECT_EQ(caption.textObject->GetParent().Get(), screen);
    EXPECT_EQ(dynamic_cast<CPRenderObject*>(screen->GetTexts()["plain"].textObject->GetComponent())->GetVertexCount(),
              0);
    EXPECT_EQ(gameData.texts.count("missing"), 1u);
}

TEST_F(ScreenLoading, BuildsEditBoxesWithTheirInitialTextAndCaret)
{
    AddTestFont("small");
    InterfaceFileWriter writer = Screen();
    writer.AddEditBox("player", 10, 20, "small", 8, "lu", "AB");
    writer.AddEditBox("empty", 10, 60, "small", 8, "", "");
    CPInterface* screen = LoadScreen(writer);
    ASSERT_EQ(screen->GetEditBoxes().size(), 2u);
    CPEditBox* player = screen->GetEditBoxes()["player"].Get();
    EXPECT_EQ(player->GetText(), "AB");
    EXPECT_EQ(player->GetMaxLength(), 8);
    EXPECT_FLOAT_EQ(screen->GetTexts()["player"].x, 10.5f);
    CPRenderObject* mesh = dynamic_cast<CPRenderObject*>(player->GetFont().textObject->GetComponent());
    EXPECT_EQ(mesh->GetVertexCount(), 12) << "\"AB_\"";
    CPEditBox* empty = screen->GetEditBoxes()["empty"].Get();
    EXPECT_EQ(dynamic_cast<CPRenderObject*>(empty->GetFont().textObject->GetComponent())->GetVertexCount(), 4);
}

TEST_F(ScreenLoading, SubmitsItsLightWhileTheTableHasRoom)
{
    InterfaceFileWriter writer = Screen();
    writer.SetLight("on", 0, 0, -1, 1, 1, 1, false);
    for (int i = 0; i < 20; ++i) render.AddLight(D3DLIGHT9());
    std::vector<CPInterface*> lit;
    for (int i = 0; i < 11; ++i) lit.push_back(LoadScreen(writer));
    for (CPInterface* screen : lit) screen->Update();
    EXPECT_EQ(render.GetLightCount(), 30);
    EXPECT_EQ(render.GetLight(29).Type, D3DLIGHT_DIRECTIONAL);
}

TEST_F(ScreenLoading, SubmitsNoLightWhileItIsOff)
{
    InterfaceFileWriter writer = Screen();
    writer.SetLight("off", 0, 0, -1, 1, 1, 1, false);
    CPInterface* screen = LoadScreen(writer);
    const int before = render.GetLightCount();
    screen->Update();
    EXPECT_EQ(render.GetLightCount(), before);
}

TEST_F(ScreenLoading, QueuesItselfWithItsVisibleChildren)
{
    AddTestFont("small");
    InterfaceFileWriter writer = Screen();
    writer.AddWindow(Line("back", 0, 0, 10, 10));
    writer.AddWindow(Line("cursor", 0, 0, 8, 8));
    writer.AddText("caption", "small", 0, 0, "title", "");
    CPInterface* screen = LoadScreen(writer);
    CPIVertexBuffer buffer(std::vector<IDirect3DVertexBuffer9*>(), std::vector<IDirect3DIndexBuffer9*>(), 0, 0, false);
    CPRenderQueue queue(&buffer);
    render.SetRenderQueue(&queue);
    screen->Update();
    RefPtr<CPMaterial> screenMaterial;
    screen->GetRenderObject()->GetMaterial(screenMaterial);
    EXPECT_NE(queue.GetFrameBlock(screenMaterial.Get()), nullptr);
    EXPECT_EQ(queue.GetFrameBlockCount(), 3) << "screen, cursor and font materials";
    queue.ClearFrame();
    render.SetRenderQueue(nullptr);
}

struct CorruptScreen {
    const char* what;
    const char* text;
    size_t elements;
};

class CorruptScreens : public ScreenLoading, public testing::WithParamInterface<CorruptScreen> {};

TEST_P(CorruptScreens, LogAndKeepWhatIsWhole)
{
    CPInterface* screen = LoadScreenText(GetParam().text);
    EXPECT_TRUE(Logged()) << GetParam().what;
    EXPECT_EQ(screen->GetDrawList().size(), GetParam().elements) << GetParam().what;
    screen->UpdateBuffers();
    EXPECT_EQ(screen->GetRenderObject()->GetVertexCount(), static_cast<int>(4 * GetParam().elements));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CorruptScreens,
    testing::Values(CorruptScreen{"empty file", "", 0}, CorruptScreen{"receiver only", "menu\n", 0},
                    CorruptScreen{"no light line", "menu\nmenu.tga,256,128\n", 0},
                    CorruptScreen{"window without its line", "menu\nt.tga,256,128\nlight,off\nwindow\na 0,0,1,1,0,0,1,1\nwindow\n", 1},
                    CorruptScreen{"button with two of three lines",
                                  "menu\nt.tga,256,128\nlight,off\nbutton\nb 0,0,1,1,0,0,1,1\nb_h 0,0,1,1,0,0,1,1\n", 0},
                    CorruptScreen{"texture of width 0", "menu\nt.tga,0,128\nlight,off\nwindow\na 0,0,1,1,0,0,1,1\n", 1},
                    CorruptScreen{"short window line", "menu\nt.tga,256,128\nlight,off\nwindow\na 0,0\n", 1},
                    CorruptScreen{"light on without numbers", "menu\nt.tga,256,128\nlight,on\n", 0},
                    CorruptScreen{"text without key", "menu\nt.tga,256,128\nlight,off\ntext\nt small,0,0\n", 0},
                    CorruptScreen{"edit box without length", "menu\nt.tga,256,128\nlight,off\ntextedit\ne 0,0,small\n", 0},
                    CorruptScreen{"text at the end", "menu\nt.tga,256,128\nlight,off\ntextedit\n", 0}));

TEST_F(ScreenLoading, MissingFileLeavesAnEmptyWorkingScreen)
{
    screens.emplace_back(new CPInterface());
    CPInterface* screen = screens.back().get();
    screen->Load("absent", kScreenNumber);
    EXPECT_TRUE(Logged());
    EXPECT_EQ(screen->GetName(), "absent");
    EXPECT_EQ(screen->GetRenderObject()->GetVertexCount(), 0);
    RefPtr<CPMaterial> material;
    screen->GetRenderObject()->GetMaterial(material);
    EXPECT_FALSE(material);
    screen->Activate(450);
    EXPECT_TRUE(screen->IsStarted());
}

TEST_F(ScreenLoading, ScreensJoinAndLeaveTheListInOrder)
{
    const size_t before = InterfaceList.size();
    LoadScreen(Screen(), "one");
    LoadScreen(Screen(), "two");
    ASSERT_EQ(InterfaceList.size(), before + 2);
    EXPECT_EQ(InterfaceList.back(), screens.back().get());
    screens.erase(screens.begin());
    EXPECT_EQ(InterfaceList.size(), before + 1);
    EXPECT_EQ(InterfaceList.back()->GetName(), "two");
}

} // namespace
