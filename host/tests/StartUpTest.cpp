#include "host/EngineHost.h"
#include "host/HostLog.h"
#include "host/ScreenSize.h"

#include "core/FrameClock.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

TEST(ScreenSize, FallsBackTo640By480OutsideTheRangeWithOneLogLine)
{
    const struct {
        int width, height;
        bool kept;
    } cases[] = {
        {320, 16384, true}, {16384, 320, true}, {1024, 768, true},  {319, 480, false},  {640, 319, false},
        {16385, 480, false}, {640, 16385, false}, {-640, 99999999, false}, {0, 0, false},
    };
    for (const auto& row : cases) {
        ClearHostLog();
        int width = row.width, height = row.height;
        EXPECT_EQ(KeepScreenSizeInRange(width, height), !row.kept) << row.width << " x " << row.height;
        EXPECT_EQ(width, row.kept ? row.width : 640) << row.width << " x " << row.height;
        EXPECT_EQ(height, row.kept ? row.height : 480) << row.width << " x " << row.height;
        ASSERT_EQ(GetHostLog().size(), row.kept ? 0u : 1u) << row.width << " x " << row.height;
        if (!row.kept) {
            EXPECT_NE(GetHostLog()[0].find(std::to_string(row.height)), std::string::npos);
        }
    }
}

int HostLogLinesWith(const std::string& text)
{
    int lines = 0;
    for (const std::string& line : GetHostLog()) lines += line.find(text) != std::string::npos;
    return lines;
}

// The sizes that once reached Direct3D from a damaged settings file.
TEST(EngineHostStart, OpensA640By480WindowForAScreenSizeOutOfRange)
{
    std::ofstream("config.cfg") << "screenWidth = -640\r\nscreenHeight = 99999999\r\n";
    ClearHostLog();
    {
        EngineHost host{HostOptions()};
        std::string error;
        ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
        RECT client = {};
        GetClientRect(host.GetWindow(), &client);
        EXPECT_EQ(client.right, 640);
        EXPECT_EQ(client.bottom, 480);
        host.Shutdown();
    }
    std::remove("config.cfg");
    EXPECT_EQ(HostLogLinesWith("screen size"), 1);
    g_screenWidth = 640;
    g_screenHeight = 480;
}

// Data may also come from pack archives, but without either the game shows
// nothing of its own.
TEST(EngineHostStart, LogsOneLineWhenTheDataFolderIsMissing)
{
    for (bool withData : {false, true}) {
        const std::string folder = withData ? "with-data" : "without-data";
        CreateDirectoryA(folder.c_str(), nullptr);
        if (withData) CreateDirectoryA((folder + "\\Data").c_str(), nullptr);
        ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
        ClearHostLog();
        {
            EngineHost host{HostOptions()};
            std::string error;
            EXPECT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
            host.Shutdown();
        }
        SetCurrentDirectoryA("..");
        EXPECT_EQ(HostLogLinesWith("\"Data\""), withData ? 0 : 1) << folder;
    }
}

} // namespace
