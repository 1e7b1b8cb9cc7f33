#include "interface/tests/InterfaceTest.h"

#include "Render/PRenderObject.h"

#include <cstdio>

namespace {

using Commands = std::vector<std::string>;

// A 640 x 480 screen: buttons "play" (100-164, 100-132) and "quit"
// (100-164, 200-232) whose hover and pressed looks sit 64 and 128 texture
// pixels to the right, a button "under" shielded by the window "shield"
// drawn over it (300-364, 100-132), and a cursor.
class InterfaceCommands : public InterfaceTest {
protected:
    InterfaceCommands()
    {
        SetScreenSize(640, 480);
        writer.AddWindow(Line("cursor", 0.5f, 0.5f, 16, 16));
        AddButton("play", 100.5f, 100.5f);
        AddButton("quit", 100.5f, 200.5f);
        AddButton("under", 300.5f, 100.5f);
        writer.AddWindow(Line("shield", 300.5f, 100.5f, 64, 32));
    }

    void AddButton(const std::string& name, float x, float y)
    {
        WindowLine normal = Line(name, x, y, 64, 32);
        WindowLine hover = normal;
        hover.tx = 64;
        WindowLine pressed = normal;
        pressed.tx = 128;
        writer.AddButton(normal, hover, pressed);
    }

    CPInterface* ActiveScreen()
    {
        CPInterface* screen = LoadScreen(writer);
        screen->ActivateQuietly(450);
        menu.Take();
        hud.Take();
        return screen;
    }

    CPButton* Button(CPInterface* screen, const std::string& name)
    {
        return dynamic_cast<CPButton*>(screen->GetElements()[name].Get());
    }

    // Commands of the hover logic alone, without the "mouse_move" reports.
    Commands HoverCommands()
    {
        Commands hovers;
        for (const std::string& command : hud.Take()) {
            if (command.compare(0, 10, "mouse_move") != 0) hovers.push_back(command);
        }
        return hovers;
    }

    InterfaceFileWriter writer{"menu", "menu.tga", 256.0f, 128.0f};
};

TEST_F(InterfaceCommands, PointerMovesReportTheirShareOfTheScreen)
{
    InterfaceMouseMove(320.0f, 120.0f);
    EXPECT_EQ(hud.Take(), Commands({"mouse_move:0.50|0.25"}));
    EXPECT_EQ(menu.Take(), Commands());
}

TEST_F(InterfaceCommands, ButtonsHoverPressAndClick)
{
    CPInterface* screen = ActiveScreen();
    CPButton* play = Button(screen, "play");

    InterfaceMouseMove(110.0f, 110.0f);
    InterfaceMouseMove(120.0f, 110.0f);
    EXPECT_EQ(HoverCommands(), Commands({"mouse_button_over:play", "mouse_button_over:play"}));
    EXPECT_EQ(play->GetState(), CPButton::kHover);
    EXPECT_EQ(screen->GetCurrentButton(), play);
    EXPECT_FLOAT_EQ(screen->GetRenderObject()->GetWorldVertices()[0].tex0.x, 0.25f);
    EXPECT_FLOAT_EQ(screen->GetCursor()->GetWorldMatrix()._41, 120.0f);

    EXPECT_FALSE(play->OnMouseDown(1, 120.0f, 110.0f));
    EXPECT_EQ(play->GetState(), CPButton::kHover);
    EXPECT_TRUE(play->OnMouseDown(0, 120.0f, 110.0f));
    EXPECT_EQ(play->GetState(), CPButton::kPressed);
    EXPECT_FALSE(play->OnClick(1, 120.0f, 110.0f));
    EXPECT_TRUE(play->OnClick(0, 164.0f, 132.0f));
    EXPECT_EQ(play->GetState(), CPButton::kHover);
    EXPECT_EQ(menu.Take(), Commands({"button:play"}));

    play->OnMouseDown(0, 120.0f, 110.0f);
    EXPECT_TRUE(play->OnClick(0, 164.5f, 110.0f));
    EXPECT_EQ(play->GetState(), CPButton::kNormal);
    EXPECT_EQ(menu.Take(), Commands());

    InterfaceMouseMove(500.0f, 400.0f);
    InterfaceMouseMove(510.0f, 400.0f);
    EXPECT_EQ(HoverCommands(), Commands({"mouse_button_out:play"}));
    EXPECT_EQ(screen->GetCurrentButton(), nullptr);
    EXPECT_FLOAT_EQ(screen->GetRenderObject()->GetWorldVertices()[0].tex0.x, 0.0f);
}

TEST_F(InterfaceCommands, WindowsReportClicksOnThemWithAnyButton)
{
    CPInterface* screen = ActiveScreen();
    CPWindow* shield = screen->GetElements()["shield"].Get();
    EXPECT_FALSE(shield->OnClick(1, 310.0f, 110.25f));
    EXPECT_FALSE(shield->OnClick(0, 365.0f, 110.0f));
    EXPECT_EQ(menu.Take(), Commands({"window:shield|310.00|110.25"}));
}

TEST_F(InterfaceCommands, AWindowOnTopShieldsTheButtonUnderIt)
{
    CPInterface* screen = ActiveScreen();
    InterfaceMouseMove(310.0f, 110.0f);
    InterfaceMouseMove(311.0f, 110.0f);
    EXPECT_EQ(HoverCommands(), Commands({"mouse_window_over:shield", "mouse_window_over:shield"}));
    EXPECT_EQ(Button(screen, "under")->GetState(), CPButton::kNormal);
    EXPECT_EQ(screen->GetCurrentButton(), nullptr);
}

// The lit button goes out as soon as another element is topmost under the
// pointer, even where the button lies under that element.
TEST_F(InterfaceCommands, AButtonGoesOutWhenAWindowOverItIsTopmost)
{
    CPInterface* screen = ActiveScreen();
    CPWindow* shield = screen->GetElements()["shield"].Get();
    shield->visible = false;
    InterfaceMouseMove(310.0f, 110.0f);
    EXPECT_EQ(HoverCommands(), Commands({"mouse_button_over:under"}));
    shield->visible = true;
    InterfaceMouseMove(311.0f, 110.0f);
    EXPECT_EQ(HoverCommands(), Commands({"mouse_button_out:under", "mouse_window_over:shield"}));
    EXPECT_EQ(Button(screen, "under")->GetState(), CPButton::kNormal);
    EXPECT_EQ(screen->GetCurrentButton(), nullptr);
}

TEST_F(InterfaceCommands, NoHoverWithoutACursorOrWhileInactive)
{
    InterfaceFileWriter bare("menu", "menu.tga", 256.0f, 128.0f);
    bare.AddButton(Line("play", 100.5f, 100.5f, 64, 32), Line("h", 0, 0, 64, 32), Line("p", 0, 0, 64, 32));
    CPInterface* cursorless = LoadScreen(bare, "bare");
    cursorless->ActivateQuietly(450);
    CPInterface* inactive = LoadScreen(writer);
    hud.Take();

    InterfaceMouseMove(110.0f, 110.0f);
    EXPECT_EQ(hud.Take(), Commands({"mouse_move:0.17|0.23"}));
    EXPECT_EQ(Button(cursorless, "play")->GetState(), CPButton::kNormal);
    EXPECT_FLOAT_EQ(cursorless->GetMouseX(), 110.0f);
    EXPECT_FLOAT_EQ(inactive->GetMouseY(), 110.0f);
    EXPECT_EQ(Button(inactive, "play")->GetState(), CPButton::kNormal);
}

TEST_F(InterfaceCommands, MenuStepsSkipUnusableButtonsAndWrap)
{
    CPInterface* screen = ActiveScreen();
    screen->GetElements()["shield"]->visible = false;
    Button(screen, "quit")->SetEnabled(false);
    const struct {
        bool next;
        const char* current;
    } steps[] = {{true, "play"}, {true, "under"}, {true, "play"}, {false, "under"}, {false, "play"}};
    for (const auto& step : steps) {
        if (step.next) SelectNextMenuButton();
        else SelectPreviousMenuButton();
        ASSERT_NE(screen->GetCurrentButton(), nullptr) << step.current;
        EXPECT_EQ(screen->GetCurrentButton()->name, step.current);
    }

    Button(screen, "under")->SetVisible(false);
    SelectNextMenuButton();
    EXPECT_EQ(screen->GetCurrentButton()->name, "play") << "the only usable button wraps to itself";
    Button(screen, "play")->SetEnabled(false);
    SelectNextMenuButton();
    SelectPreviousMenuButton();
    EXPECT_EQ(screen->GetCurrentButton()->name, "play") << "nothing usable: the selection stays";
}

TEST_F(InterfaceCommands, MenuStepsWithoutCurrentButtonSearchFromTheEnd)
{
    CPInterface* screen = ActiveScreen();
    Button(screen, "under")->SetEnabled(false);
    SelectPreviousMenuButton();
    EXPECT_EQ(screen->GetCurrentButton()->name, "quit");
    EXPECT_EQ(HoverCommands(), Commands({"mouse_button_over:quit"}));
    screen->Deactivate();
    SelectNextMenuButton();
    EXPECT_EQ(screen->GetCurrentButton()->name, "quit") << "an inactive screen takes no steps";
}

TEST_F(InterfaceCommands, ActivatingReportsThePointerThenStarts)
{
    // The screen's receiver hears the category's commands too, so the
    // order of the two shows.
    commands.AddToCategory("interface", &menu);
    actions.mouseX = 320.9f;
    actions.mouseY = 240.2f;
    CPInterface* screen = LoadScreen(writer);
    screen->Activate(450);
    char identity[16];
    std::snprintf(identity, sizeof(identity), "%d", static_cast<int>(reinterpret_cast<intptr_t>(screen)));
    EXPECT_EQ(menu.Take(), Commands({"mouse_move:0.50|0.50", std::string("add_object:") + identity}));
    EXPECT_TRUE(screen->IsActive());
    EXPECT_TRUE(screen->IsStarted());
    screen->Deactivate();
    EXPECT_FALSE(screen->IsActive());
    EXPECT_EQ(menu.Take(), Commands({std::string("delete_object:") + identity}));
}

TEST_F(InterfaceCommands, PressAndReleaseGoToTheElementUnderThePointer)
{
    CPInterface* screen = ActiveScreen();
    CPButton* play = Button(screen, "play");
    InterfaceMouseDown(0, 110.0f, 110.0f);
    EXPECT_EQ(play->GetState(), CPButton::kPressed);
    EXPECT_FLOAT_EQ(screen->GetRenderObject()->GetWorldVertices()[0].tex0.x, 0.5f);
    InterfaceMouseUp(0, 150.0f, 120.0f);
    EXPECT_EQ(menu.Take(), Commands({"button:play"}));

    InterfaceMouseDown(0, 110.0f, 110.0f);
    InterfaceMouseUp(0, 110.0f, 300.0f);
    EXPECT_EQ(play->GetState(), CPButton::kNormal);
    EXPECT_FLOAT_EQ(screen->GetRenderObject()->GetWorldVertices()[0].tex0.x, 0.0f);

    InterfaceMouseDown(1, 320.0f, 110.0f);
    InterfaceMouseUp(1, 330.0f, 111.0f);
    InterfaceMouseUp(1, 330.0f, 111.0f);
    EXPECT_EQ(menu.Take(), Commands({"window:shield|330.00|111.00"}));
    EXPECT_EQ(Button(screen, "under")->GetState(), CPButton::kNormal);
}

TEST_F(InterfaceCommands, EachMouseButtonKeepsItsOwnPress)
{
    CPInterface* screen = ActiveScreen();
    InterfaceMouseDown(0, 110.0f, 110.0f);
    InterfaceMouseDown(1, 110.0f, 210.0f);
    InterfaceMouseUp(0, 120.0f, 110.0f);
    EXPECT_EQ(menu.Take(), Commands({"button:play"}));
    EXPECT_EQ(Button(screen, "play")->GetState(), CPButton::kHover);
    InterfaceMouseUp(1, 120.0f, 210.0f);
    EXPECT_EQ(menu.Take(), Commands()) << "a right click on a button sends nothing";
    EXPECT_EQ(Button(screen, "quit")->GetState(), CPButton::kNormal);
}

// A screen that goes inactive while a button is held takes no click: its
// pointer handling runs only while it is active.
TEST_F(InterfaceCommands, AScreenDeactivatedWhileAButtonIsHeldTakesNoClick)
{
    CPInterface* screen = ActiveScreen();
    InterfaceMouseDown(0, 110.0f, 110.0f);
    screen->Deactivate();
    menu.Take();
    InterfaceMouseUp(0, 110.0f, 110.0f);
    EXPECT_TRUE(menu.Take().empty());
    screen->ActivateQuietly(450);
    menu.Take();
    InterfaceMouseUp(0, 110.0f, 110.0f);
    EXPECT_TRUE(menu.Take().empty()) << "the press before the deactivation is forgotten";
}

} // namespace
