#include "interface/tests/InterfaceTest.h"

namespace {

// The finders scripts use: by a name's text, remembered by its address.
class ScreenNames : public InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        AddTestFont("small");
        InterfaceFileWriter writer("menu", "menu.tga", 256.0f, 128.0f);
        writer.AddWindow(Line("w1", 0, 0, 10, 10));
        writer.AddWindow(Line("w2", 20, 0, 10, 10));
        writer.AddText("t1", "small", 1, 2, "key", "");
        writer.AddEditBox("e1", 10, 20, "small", 8, "", "");
        screen = LoadScreen(writer);
    }

    CPInterface* screen = nullptr;
};

TEST_F(ScreenNames, FindEachItemByItsNameAndNothingForAnUnknownOne)
{
    EXPECT_EQ(screen->FindElementNamed("w1"), screen->GetElements()["w1"].Get());
    EXPECT_EQ(screen->FindElementNamed("w2"), screen->GetElements()["w2"].Get());
    EXPECT_EQ(screen->FindTextNamed("t1"), &screen->GetTexts()["t1"]);
    EXPECT_EQ(screen->FindEditBoxNamed("e1"), screen->GetEditBoxes()["e1"].Get());
    EXPECT_EQ(screen->FindElementNamed("w3"), nullptr);
    EXPECT_EQ(screen->FindTextNamed("w1"), nullptr);
    EXPECT_EQ(screen->FindEditBoxNamed("t1"), nullptr);
}

TEST_F(ScreenNames, ATextFoundBeforeAtTheSameAddressFindsWhatItSaysNow)
{
    // A script's string freed and another made in its place.
    char name[] = "w1";
    CPWindow* first = screen->FindElementNamed(name);
    name[1] = '2';
    CPWindow* second = screen->FindElementNamed(name);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second, screen->GetElements()["w2"].Get());
}

TEST_F(ScreenNames, AnItemTakenOutOfAMapHandedOutIsFoundNoMore)
{
    char element[] = "w1";
    ASSERT_NE(screen->FindElementNamed(element), nullptr);
    screen->GetElements().erase("w1");
    EXPECT_EQ(screen->FindElementNamed(element), nullptr);

    char text[] = "t1";
    ASSERT_NE(screen->FindTextNamed(text), nullptr);
    screen->GetTexts().erase("t1");
    EXPECT_EQ(screen->FindTextNamed(text), nullptr);

    char box[] = "e1";
    ASSERT_NE(screen->FindEditBoxNamed(box), nullptr);
    screen->GetEditBoxes().erase("e1");
    EXPECT_EQ(screen->FindEditBoxNamed(box), nullptr);
}

} // namespace
