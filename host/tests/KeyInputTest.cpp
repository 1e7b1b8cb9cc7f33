#include "host/KeyInput.h"

#include "host/EngineHost.h"
#include "host/KeyActionSender.h"

#include "core/tests/GameObjectTestSupport.h"
#include "game/PActionsManager.h"

#include <gtest/gtest.h>

namespace {

LPARAM KeyParameter(int scanCode, bool extended)
{
    return static_cast<LPARAM>(1 | (scanCode << 16) | (extended ? 1 << 24 : 0));
}

TEST(KeyCodes, AreScanCodesWithExtendedKeysAbove128)
{
    const struct {
        int scanCode;
        bool extended;
        int code;
    } keys[] = {{0x1D, false, 29}, {0x1D, true, 157}, {0x48, true, 200}, {0x48, false, 72}, {0x39, false, 57}};
    for (const auto& key : keys) {
        EXPECT_EQ(KeyCodeOf(KeyParameter(key.scanCode, key.extended)), key.code) << key.scanCode;
    }
}

class HeldKeys : public testing::Test {
protected:
    HeldKeys() : m_previous(g_pActionsManager) { g_pActionsManager = &actions; }
    ~HeldKeys() override { g_pActionsManager = m_previous; }

    CPActionsManager actions;

private:
    CPActionsManager* m_previous;
};

TEST_F(HeldKeys, FollowPressesAndReleasesAndAllGoWithTheKeyboardFocus)
{
    FeedKeyMessage(WM_KEYDOWN, KeyParameter(0x1D, false));
    FeedKeyMessage(WM_SYSKEYDOWN, KeyParameter(0x38, true));
    FeedKeyMessage(WM_KEYDOWN, KeyParameter(0x39, false));
    EXPECT_TRUE(actions.keysDown[29]);
    EXPECT_TRUE(actions.keysDown[184]) << "right Alt";
    FeedKeyMessage(WM_KEYUP, KeyParameter(0x1D, false));
    EXPECT_FALSE(actions.keysDown[29]);
    EXPECT_TRUE(actions.keysDown[57]);
    FeedKeyMessage(WM_MOUSEMOVE, KeyParameter(0x39, false));
    EXPECT_TRUE(actions.keysDown[57]) << "other messages change nothing";
    FeedKeyMessage(WM_KILLFOCUS, 0);
    EXPECT_FALSE(actions.keysDown[57]);
    EXPECT_FALSE(actions.keysDown[184]);
}

const int kSpace = 0x39;
const int kUpArrow = 0x48;
const int kKeyA = 0x1E;
const int kLeftWindows = 0x5B;
const int kUnnamedKey = 0x54;

using Commands = std::vector<std::string>;

// Space and the up arrow (an extended key) bound, the key A not; the left
// and middle mouse buttons bound through code slots 0 and 2, the right not.
void BindKeys(CPActionsManager& actions)
{
    actions.keySlots[57] = ActionBinding(57, "Space", "fire", false);
    actions.keySlots[200] = ActionBinding(200, "Up", "accelerate", false);
    actions.codeSlots[0] = ActionBinding(0, "", "shoot", true);
    actions.codeSlots[2] = ActionBinding(2, "", "look", true);
    actions.actionsEnabled = true;
}

void PressKey(int scanCode, bool down, bool extended = false)
{
    FeedKeyMessage(down ? WM_KEYDOWN : WM_KEYUP, KeyParameter(scanCode, extended));
}

class KeyActions : public HeldKeys {
protected:
    KeyActions() : m_previousBus(g_pCommandManager)
    {
        g_pCommandManager = &bus;
        receiver.Start();
        bus.AddToCategory("actions", &receiver);
        BindKeys(actions);
    }
    ~KeyActions() override { g_pCommandManager = m_previousBus; }

    Commands Sweep()
    {
        sender.SendChanges();
        return receiver.TakeCommands();
    }

    CPCommandManager bus;
    gameobject_test::Receiver receiver;
    KeyActionSender sender;

private:
    CPCommandManager* m_previousBus;
};

TEST_F(KeyActions, BoundKeysAndButtonsThatWentDownOrUpSendTheirActions)
{
    PressKey(kSpace, true);
    PressKey(kKeyA, true);
    PressKey(kUpArrow, true, true);
    FeedKeyMessage(WM_MBUTTONDOWN, 0);
    FeedKeyMessage(WM_RBUTTONDOWN, 0);
    FeedKeyMessage(WM_LBUTTONDOWN, 0);
    EXPECT_EQ(Sweep(), (Commands{"action_down:fire", "action_down:accelerate", "action_down:shoot",
                                 "action_down:look"}));
    EXPECT_EQ(Sweep(), Commands()) << "held keys send nothing more";
    PressKey(kSpace, false);
    FeedKeyMessage(WM_LBUTTONUP, 0);
    FeedKeyMessage(WM_MBUTTONUP, 0);
    EXPECT_EQ(Sweep(), (Commands{"action_up:fire", "action_up:shoot", "action_up:look"}));
}

TEST_F(KeyActions, WhatChangedWhileActionsWereOffIsSentOnceTheyAreOn)
{
    PressKey(kSpace, true);
    EXPECT_EQ(Sweep(), Commands{"action_down:fire"});
    actions.actionsEnabled = false;
    PressKey(kSpace, false);
    PressKey(kUpArrow, true, true);
    FeedKeyMessage(WM_LBUTTONDOWN, 0);
    EXPECT_EQ(Sweep(), Commands());
    actions.actionsEnabled = true;
    EXPECT_EQ(Sweep(), (Commands{"action_up:fire", "action_down:accelerate", "action_down:shoot"}));
    FeedKeyMessage(WM_KILLFOCUS, 0);
    EXPECT_EQ(Sweep(), (Commands{"action_up:accelerate", "action_up:shoot"}));
}

TEST_F(KeyActions, AssignmentTakesTheNextNamedKeyWhichThenStaysSilentUntilReleased)
{
    PressKey(kKeyA, true);
    Sweep();
    actions.assignKeyMode = true;
    EXPECT_EQ(Sweep(), Commands()) << "a key held before is not the next key";
    PressKey(kLeftWindows, true, true);
    PressKey(kUnnamedKey, true);
    EXPECT_EQ(Sweep(), Commands()) << "keys without a name are not taken";
    EXPECT_TRUE(actions.assignKeyMode);
    PressKey(kSpace, true);
    EXPECT_EQ(Sweep(), Commands{"key_assigned:Space"});
    EXPECT_FALSE(actions.assignKeyMode);
    EXPECT_EQ(Sweep(), Commands());
    PressKey(kSpace, false);
    EXPECT_EQ(Sweep(), Commands());
    PressKey(kSpace, true);
    EXPECT_EQ(Sweep(), Commands{"action_down:fire"});
}

TEST(KeyActionsInTheGame, KeysAndButtonsPostedToTheGameWindowReachTheActionsReceivers)
{
    EngineHost host{HostOptions()};
    std::string error;
    ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
    gameobject_test::Receiver receiver;
    receiver.Start();
    g_pCommandManager->AddToCategory("actions", &receiver);
    BindKeys(*g_pActionsManager);
    PostMessageA(host.GetWindow(), WM_KEYDOWN, VK_SPACE, KeyParameter(kSpace, false));
    PostMessageA(host.GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    MSG message;
    while (PeekMessageA(&message, host.GetWindow(), 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    host.RunFrame(0.02f);
    EXPECT_EQ(receiver.TakeCommands(), (Commands{"action_down:fire", "action_down:shoot"}));
    g_pCommandManager->RemoveReceiver(&receiver);
    host.Shutdown();
}

TEST(KeyActionsInTheGame, CharactersPostedToTheGameWindowReachTheInterfaceAsSignedBytes)
{
    EngineHost host{HostOptions()};
    std::string error;
    ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
    gameobject_test::Receiver receiver;
    receiver.Start();
    g_pCommandManager->AddToCategory("interface", &receiver);
    for (WPARAM code : {WPARAM('a'), WPARAM(0x7F), WPARAM(0xA8)}) PostMessageA(host.GetWindow(), WM_CHAR, code, 0);
    MSG message;
    while (PeekMessageA(&message, host.GetWindow(), 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    host.RunFrame(0.02f);
    // The pointer's own moves reach the same receiver.
    Commands characters;
    for (const std::string& command : receiver.TakeCommands()) {
        if (command.compare(0, 9, "key_char:") == 0) characters.push_back(command);
    }
    EXPECT_EQ(characters, (Commands{"key_char:97", "key_char:127", "key_char:-88"}));
    g_pCommandManager->RemoveReceiver(&receiver);
    host.Shutdown();
}

} // namespace
