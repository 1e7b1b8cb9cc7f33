#include "game/PActionsManager.h"

#include "core/tests/FileTestSupport.h"
#include "game/KeyNames.h"
#include "game/tests/GameFileFixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char* const kActions = "Actions.cfg";

TEST(KeyNames, NameTheKeyboardCodes)
{
    int named = 0;
    for (int code = 0; code < kKeyNameCount; ++code) {
        if (std::string(KeyNames[code]) != "undefined key") ++named;
    }
    EXPECT_EQ(named, 118);
    struct Case {
        int code;
        const char* name;
    };
    const Case cases[] = {
        {0, "undefined key"}, {1, "Esc"},        {29, "LCtrl"},       {43, "\\"},
        {57, "Space"},        {83, "NumPad ."},  {84, "undefined key"}, {141, "Numpad ="},
        {156, "NumPad Enter"}, {179, "Numpad ,"}, {206, "undefined key"}, {211, "Del"},
    };
    for (const Case& c : cases) EXPECT_STREQ(KeyNames[c.code], c.name) << c.code;
    EXPECT_EQ(FindKeyCode("Space"), 57);
    EXPECT_EQ(FindKeyCode("undefined key"), 0);
    EXPECT_EQ(FindKeyCode("space"), -1) << "case matters";
    EXPECT_EQ(FindKeyCode(""), -1);
}

// Every code's name, each typed here apart from the table under test: the
// codes without a key by ranges, then the named keys.
TEST(KeyNames, SpellEveryCode)
{
    std::vector<std::string> expected(kKeyNameCount);
    const int unnamedRanges[][2] = {{0, 0},     {84, 86},   {89, 99},   {103, 111}, {113, 120}, {122, 122},
                                    {124, 124}, {126, 140}, {142, 143}, {152, 155}, {158, 178}, {180, 180},
                                    {182, 182}, {185, 196}, {198, 198}, {202, 202}, {204, 204}, {206, 206}};
    for (const auto& range : unnamedRanges) {
        for (int code = range[0]; code <= range[1]; ++code) expected[code] = "undefined key";
    }
    const std::vector<std::pair<int, const char*>> named = {
        {1, "Esc"}, {2, "1"}, {3, "2"}, {4, "3"}, {5, "4"}, {6, "5"}, {7, "6"}, {8, "7"}, {9, "8"}, {10, "9"},
        {11, "0"}, {12, "-"}, {13, "="}, {14, "Backspace"}, {15, "Tab"}, {16, "Q"}, {17, "W"}, {18, "E"},
        {19, "R"}, {20, "T"}, {21, "Y"}, {22, "U"}, {23, "I"}, {24, "O"}, {25, "P"}, {26, "["}, {27, "]"},
        {28, "Enter"}, {29, "LCtrl"}, {30, "A"}, {31, "S"}, {32, "D"}, {33, "F"}, {34, "G"}, {35, "H"},
        {36, "J"}, {37, "K"}, {38, "L"}, {39, ";"}, {40, "'"}, {41, "`"}, {42, "LShift"}, {43, "\\"},
        {44, "Z"}, {45, "X"}, {46, "C"}, {47, "V"}, {48, "B"}, {49, "N"}, {50, "M"}, {51, ","}, {52, "."},
        {53, "/"}, {54, "RShift"}, {55, "*"}, {56, "LAlt"}, {57, "Space"}, {58, "CapsLock"}, {59, "F1"},
        {60, "F2"}, {61, "F3"}, {62, "F4"}, {63, "F5"}, {64, "F6"}, {65, "F7"}, {66, "F8"}, {67, "F9"},
        {68, "F10"}, {69, "NumLock"}, {70, "ScrollLock"}, {71, "NumPad 7"}, {72, "NumPad 8"}, {73, "NumPad 9"},
        {74, "NumPad -"}, {75, "NumPad 4"}, {76, "NumPad 5"}, {77, "NumPad 6"}, {78, "NumPad +"},
        {79, "NumPad 1"}, {80, "NumPad 2"}, {81, "NumPad 3"}, {82, "NumPad 0"}, {83, "NumPad ."}, {87, "F11"},
        {88, "F12"}, {100, "F13"}, {101, "F14"}, {102, "F15"}, {112, "Kana"}, {121, "Convert"},
        {123, "NoConvert"}, {125, "Yen"}, {141, "Numpad ="}, {144, "CircumFlex"}, {145, "@"}, {146, ":"},
        {147, "_"}, {148, "Kanji"}, {149, "Stop"}, {150, "Ax"}, {151, "Unlabeled"}, {156, "NumPad Enter"},
        {157, "RCtrl"}, {179, "Numpad ,"}, {181, "Numpad /"}, {183, "SysRq"}, {184, "RAlt"}, {197, "Pause"},
        {199, "Home"}, {200, "Up"}, {201, "PgUp"}, {203, "Left"}, {205, "Right"}, {207, "End"}, {208, "Down"},
        {209, "PgDn"}, {210, "Ins"}, {211, "Del"},
    };
    ASSERT_EQ(named.size(), 118u);
    for (const auto& key : named) {
        EXPECT_EQ(expected[key.first], "") << key.first << " typed twice";
        expected[key.first] = key.second;
    }
    for (int code = 0; code < kKeyNameCount; ++code) {
        EXPECT_EQ(KeyNames[code], expected[code]) << code;
        if (expected[code] != "undefined key") {
            EXPECT_EQ(FindKeyCode(expected[code]), code);
        }
    }
}

// A manager of its own published for each test, and no bindings file left
// behind.
class ActionsFile : public ::testing::Test {
protected:
    ActionsFile() : m_previous(g_pActionsManager) { g_pActionsManager = &manager; }
    ~ActionsFile() override
    {
        g_pActionsManager = m_previous;
        DeleteFileA(kActions);
    }

    // Loads the bytes as "Actions.cfg" and answers what saving writes.
    std::string LoadAndSave(const std::string& bytes)
    {
        WriteFileBytes(kActions, bytes);
        EXPECT_EQ(LoadActionsFile(kActions), 0);
        DeleteFileA(kActions);
        EXPECT_TRUE(SaveActionsFile());
        return ReadFileBytes(kActions);
    }

    CPActionsManager manager;

private:
    CPActionsManager* m_previous;
};

const char* const kBindings = "fire;Fire;LCtrl;false\r\n"
                              "look;Look;3;true\r\n"
                              "jump;Jump;Space;false\r\n";

TEST_F(ActionsFile, LoadsAndSavesTheSameBytes)
{
    EXPECT_EQ(LoadAndSave(kBindings), kBindings);
    EXPECT_EQ(manager.keySlots[29].text, "fire");
    EXPECT_EQ(manager.keySlots[29].code, 29);
    EXPECT_EQ(manager.keySlots[29].key, "LCtrl");
    EXPECT_FALSE(manager.keySlots[29].byCode);
    EXPECT_EQ(manager.codeSlots[3].text, "look");
    EXPECT_EQ(manager.codeSlots[3].key, "");
    EXPECT_TRUE(manager.codeSlots[3].byCode);
    EXPECT_EQ(manager.actions["look"].key, "3");
    EXPECT_EQ(manager.actions["look"].text, "Look");
    EXPECT_EQ(manager.actionNames, (std::vector<std::string>{"fire", "look", "jump"}));
}

TEST_F(ActionsFile, GeneratedBindingsAndCommentsRoundTrip)
{
    const std::string generated = ActionsText({{"left", "Turn left", "Left", false},
                                               {"nitro", "Nitro", "127", true},
                                               {"pause", "Pause", "Pause", false}});
    EXPECT_EQ(LoadAndSave("// bindings\r\n\r\n" + generated), generated);
    EXPECT_EQ(manager.codeSlots[127].text, "nitro");
    EXPECT_EQ(manager.keySlots[203].text, "left");
}

TEST_F(ActionsFile, ReadsDamagedLinesWithoutLosingBindings)
{
    const std::string longAction(2048, 'a');
    struct Case {
        const char* what;
        std::string bytes;
        std::string saved;
        std::vector<int> keySlots;
        int codeSlot;
    };
    const Case cases[] = {
        {"empty", "", "", {}, -1},
        {"cut mid-line", "fire;Fi", "fire;Fi;;false\r\n", {0}, -1},
        {"short line", "fire;Fire;LCtrl\r\n", "fire;Fire;LCtrl;false\r\n", {29}, -1},
        {"no action name", ";Fire;LCtrl;false\r\n", "", {}, -1},
        {"unknown key name", "fire;Fire;Nope;false\r\n", "fire;Fire;Nope;false\r\n", {0}, -1},
        {"number not a number", "look;Look;abc;true\r\n", "look;Look;0;true\r\n", {}, 0},
        {"number -1", "look;Look;-1;true\r\n", "look;Look;-1;true\r\n", {}, -1},
        {"number 128", "look;Look;128;true\r\n", "look;Look;128;true\r\n", {}, -1},
        {"number 300", "look;Look;300;true\r\n", "look;Look;300;true\r\n", {}, -1},
        {"NUL bytes", Bytes("fire;Fire;LCtrl;false\0junk\r\n"),
         "fire;Fire;LCtrl;false\r\njunk;;;false\r\n", {0, 29}, -1},
        {"2 KB line", longAction + ";A;Q;false\r\n", longAction + ";A;Q;false\r\n", {16}, -1},
        {"CR-only ends", "a;A;Q;false\rb;B;W;false\r", "a;A;Q;false\r\nb;B;W;false\r\n", {16, 17}, -1},
        {"a section line without a name", "a;A;Q;false\r\n[]\r\nb;B;W;false\r\n",
         "a;A;Q;false\r\nb;B;W;false\r\n", {16, 17}, -1},
    };
    for (const Case& c : cases) {
        manager = CPActionsManager();
        EXPECT_EQ(LoadAndSave(c.bytes), c.saved) << c.what;
        for (int code = 0; code < CPActionsManager::kKeySlots; ++code) {
            const bool listed = std::find(c.keySlots.begin(), c.keySlots.end(), code) != c.keySlots.end();
            EXPECT_EQ(manager.keySlots[code].bound, listed) << c.what << " key " << code;
        }
        for (int code = 0; code < CPActionsManager::kCodeSlots; ++code) {
            EXPECT_EQ(manager.codeSlots[code].bound, code == c.codeSlot) << c.what << " code " << code;
        }
    }
}

// A field that would not read back as itself unquoted (it holds the
// separator, a quote, or blanks at its edges) is written quoted, its quotes
// doubled.
TEST_F(ActionsFile, FieldsThatNeedQuotesAreWrittenQuoted)
{
    struct Case {
        const char* line;
        const char* caption;
        int keySlot;
        const char* action;
    };
    const Case cases[] = {
        {"fire;\"Fire; main\";LCtrl;false\r\n", "Fire; main", 29, "fire"},
        {"semi;Semi;\";\";false\r\n", "Semi", 39, "semi"},
        {"talk;\"Say \"\"hi\"\"\";T;false\r\n", "Say \"hi\"", 20, "talk"},
        {"blank;\" \";Q;false\r\n", " ", 16, "blank"},
        {"\"a;b\";AB;W;false\r\n", "AB", 17, "a;b"},
    };
    for (const Case& c : cases) {
        manager = CPActionsManager();
        EXPECT_EQ(LoadAndSave(c.line), c.line);
        EXPECT_EQ(manager.keySlots[c.keySlot].text, c.action) << c.line;
        EXPECT_EQ(manager.actions[c.action].text, c.caption) << c.line;
    }
}

// A number without a code slot binds nothing, and keeps binding nothing
// however often the bindings are saved and read back.
TEST_F(ActionsFile, AnOutOfRangeNumberStaysInertAfterSaveAndReload)
{
    WriteFileBytes(kActions, "look;Look;300;true\r\nback;Back;-129;true\r\n");
    ASSERT_EQ(LoadActionsFile(kActions), 0);
    for (int round = 0; round < 2; ++round) ASSERT_EQ(SaveAndReloadActionsFile(), 0);
    EXPECT_EQ(ReadFileBytes(kActions), "look;Look;300;true\r\nback;Back;-129;true\r\n");
    for (int code = 0; code < CPActionsManager::kCodeSlots; ++code) EXPECT_FALSE(manager.codeSlots[code].bound) << code;
    manager.SetAction("look", "Z");
    ASSERT_TRUE(SaveActionsFile());
    EXPECT_EQ(ReadFileBytes(kActions), "look;Look;44;true\r\nback;Back;-129;true\r\n")
        << "a rebound key is written by its code";
}

TEST_F(ActionsFile, AnActionNamedTwiceIsWrittenTwiceWithItsLastBinding)
{
    EXPECT_EQ(LoadAndSave("fire;Fire;LCtrl;false\r\nfire;Shoot;Space;false\r\n"),
              "fire;Shoot;Space;false\r\nfire;Shoot;Space;false\r\n");
    EXPECT_EQ(manager.keySlots[29].text, "fire");
    EXPECT_EQ(manager.keySlots[57].text, "fire");
}

TEST_F(ActionsFile, SetActionMovesAKeyFromActionToAction)
{
    struct Case {
        const char* what;
        const char* action;
        const char* key;
        const char* saved;
    };
    const Case cases[] = {
        {"the key's holder loses it", "jump", "LCtrl",
         "fire;Fire;undefined key;false\r\nlook;Look;3;true\r\njump;Jump;LCtrl;false\r\n"},
        {"a key given by number stays given by number", "look", "Q",
         "fire;Fire;LCtrl;false\r\nlook;Look;16;true\r\njump;Jump;Space;false\r\n"},
        {"an unknown key name changes nothing", "jump", "Nope", kBindings},
        {"an unknown action still takes the key away", "crouch", "Space",
         "fire;Fire;LCtrl;false\r\nlook;Look;3;true\r\njump;Jump;undefined key;false\r\n"},
    };
    for (const Case& c : cases) {
        manager = CPActionsManager();
        WriteFileBytes(kActions, kBindings);
        ASSERT_EQ(LoadActionsFile(kActions), 0);
        manager.SetAction(c.action, c.key);
        EXPECT_EQ(manager.keySlots[29].text, "fire") << "slots follow only after a reload";
        ASSERT_TRUE(SaveActionsFile());
        EXPECT_EQ(ReadFileBytes(kActions), c.saved) << c.what;
    }
}

TEST_F(ActionsFile, SaveAndReloadMovesTheSlots)
{
    WriteFileBytes(kActions, kBindings);
    ASSERT_EQ(LoadActionsFile(kActions), 0);
    manager.SetAction("jump", "LCtrl");
    EXPECT_EQ(SaveAndReloadActionsFile(), 0);
    EXPECT_EQ(manager.keySlots[29].text, "jump");
    EXPECT_EQ(manager.keySlots[0].text, "fire");
    EXPECT_FALSE(manager.keySlots[57].bound);

    manager.SetAction("jump", ";");
    EXPECT_EQ(SaveAndReloadActionsFile(), 0);
    EXPECT_EQ(manager.keySlots[39].text, "jump") << "the key named by the separator";
    EXPECT_EQ(manager.actions["jump"].key, ";");
}

// The code slots are left as they were: only the key slots and the
// actions are read anew.
TEST_F(ActionsFile, ReadingAnotherFileReplacesTheActionsAndKeySlots)
{
    WriteFileBytes(kActions, kBindings);
    ASSERT_EQ(LoadActionsFile(kActions), 0);
    WriteFileBytes(kActions, "jump;Leap;Space;false\r\n");
    ASSERT_EQ(LoadActionsFile(kActions), 0);
    EXPECT_EQ(manager.actionNames, std::vector<std::string>({"jump"}));
    EXPECT_EQ(manager.actions.size(), 1u);
    EXPECT_EQ(manager.actions["jump"].text, "Leap");
    EXPECT_FALSE(manager.keySlots[29].bound);
    EXPECT_EQ(manager.keySlots[57].text, "jump");
    EXPECT_EQ(manager.codeSlots[3].text, "look");
}

TEST_F(ActionsFile, AMissingFileChangesNothing)
{
    WriteFileBytes(kActions, kBindings);
    ASSERT_EQ(LoadActionsFile(kActions), 0);
    EXPECT_LT(LoadActionsFile("missing.cfg"), 0);
    EXPECT_EQ(manager.actionNames.size(), 3u);
    EXPECT_EQ(manager.keySlots[29].text, "fire");
}

TEST_F(ActionsFile, AFolderInTheFilesPlaceFailsTheSaveAndKeepsTheBindings)
{
    WriteFileBytes("bindings.cfg", kBindings);
    ASSERT_EQ(LoadActionsFile("bindings.cfg"), 0);
    DeleteFileA("bindings.cfg");
    manager.SetAction("jump", "LCtrl");
    ASSERT_TRUE(CreateDirectoryA(kActions, nullptr));
    EXPECT_FALSE(SaveActionsFile());
    EXPECT_LT(SaveAndReloadActionsFile(), 0);
    RemoveDirectoryA(kActions);
    EXPECT_EQ(manager.actions["jump"].key, "LCtrl");
    EXPECT_EQ(manager.actions["fire"].key, "undefined key");
    EXPECT_EQ(manager.keySlots[29].text, "fire");
}

TEST_F(ActionsFile, MousePositionIsTruncated)
{
    manager.mouseX = 12.9f;
    manager.mouseY = -3.7f;
    int x = 0;
    int y = 0;
    GetMousePosition(x, y);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, -3);
}

} // namespace
