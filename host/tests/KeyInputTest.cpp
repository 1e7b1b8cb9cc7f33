#include "host/KeyInput.h"

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

} // namespace
