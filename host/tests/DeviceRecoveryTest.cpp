#include "host/DeviceRecovery.h"

#include "host/tests/CountingListener.h"

#include "Render/PRender.h"
#include "Render/tests/RecordingDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

class LostDevice : public testing::Test {
protected:
    LostDevice() { render.SetDevice(device.Get()); }

    // The calls from the last Reset on, without it.
    std::vector<std::string> CallsAfterLastReset() const
    {
        const std::vector<std::string> calls = device.CallTexts();
        const auto last = std::find(calls.rbegin(), calls.rend(), "Reset");
        return std::vector<std::string>(last.base(), calls.end());
    }

    RecordingDevice device;
    CPRender render;
    D3DPRESENT_PARAMETERS parameters = {};
    CountingListener listener;
    DeviceRecovery recovery{*device.Get(), parameters, render};
};

TEST_F(LostDevice, IsResetUntilItWorksTellingTheListenersOnceAndWaitingEachLostFrame)
{
    device.ForgetCalls();
    render.SetDefaultStates();
    const std::vector<std::string> defaultStates = device.CallTexts();
    ASSERT_FALSE(defaultStates.empty());

    device.LoseDevice(D3DERR_DEVICENOTRESET, {D3DERR_INVALIDCALL, D3DERR_INVALIDCALL});
    device.ForgetCalls();
    for (int frame = 0; frame < 2; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(recovery.Ready()) << frame;
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 40) << frame;
        EXPECT_TRUE(recovery.IsLost());
    }
    EXPECT_TRUE(recovery.Ready());
    const std::vector<std::string> calls = device.CallTexts();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Reset"), 3);
    EXPECT_EQ(listener.lost, 1);
    EXPECT_EQ(listener.reset, 1);
    EXPECT_FALSE(recovery.IsLost());
    EXPECT_EQ(CallsAfterLastReset(), defaultStates) << "the default states, set again after the reset";

    EXPECT_TRUE(recovery.Ready());
    EXPECT_EQ(listener.lost, 1) << "a device that works is left alone";
}

// A device lost for good waits for its chance: no reset, nothing told.
TEST_F(LostDevice, ThatCannotBeResetYetIsLeftAlone)
{
    device.LoseDevice(D3DERR_DEVICELOST, {});
    device.ForgetCalls();
    EXPECT_FALSE(recovery.Ready());
    const std::vector<std::string> calls = device.CallTexts();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Reset"), 0);
    EXPECT_EQ(listener.lost, 0);
}

TEST_F(LostDevice, AForcedResetOfAWorkingDeviceTellsTheListenersBeforeAndAfter)
{
    EXPECT_EQ(recovery.Reset(), D3D_OK);
    EXPECT_EQ(recovery.Reset(), D3D_OK);
    EXPECT_EQ(listener.lost, 2);
    EXPECT_EQ(listener.reset, 2);
}

} // namespace
