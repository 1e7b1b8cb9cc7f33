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

// A finder looks the name up; then the map, asked for anew, is swapped with
// another that holds the name with another item, the entries found before
// living on there. Answers what the finder gives now, which must come from
// the map as it is now.
template <class Map, class Item>
Item* FindAfterSwap(CPInterface& screen, Map& (CPInterface::*handOut)(), Item* (CPInterface::*find)(const char*),
                    const char* name, Map& other)
{
    const std::string text = name; // one address for both look-ups
    EXPECT_NE((screen.*find)(text.c_str()), nullptr) << name;
    (screen.*handOut)().swap(other);
    return (screen.*find)(text.c_str());
}

TEST_F(ScreenNames, AMapHandedOutIsSearchedAfreshForNamesFoundBefore)
{
    CPWindow* w2 = screen->FindElementNamed("w2");
    CPInterface::ElementMap elements{{"w1", RefPtr<CPWindow>(w2)}};
    EXPECT_EQ(FindAfterSwap(*screen, &CPInterface::GetElements, &CPInterface::FindElementNamed, "w1", elements), w2);

    FontDesc other = *screen->FindTextNamed("t1");
    other.text = "other";
    CPInterface::TextMap texts{{"t1", other}};
    FontDesc* text = FindAfterSwap(*screen, &CPInterface::GetTexts, &CPInterface::FindTextNamed, "t1", texts);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "other");

    // An entry that holds no box.
    CPInterface::EditBoxMap boxes{{"e1", RefPtr<CPEditBox>()}};
    EXPECT_EQ(FindAfterSwap(*screen, &CPInterface::GetEditBoxes, &CPInterface::FindEditBoxNamed, "e1", boxes),
              nullptr);

    screen->GetElements().swap(elements);
    screen->GetTexts().swap(texts);
    screen->GetEditBoxes().swap(boxes);
}

} // namespace
