#include "host/FixedStepClocks.h"
#include "host/tests/GameProgramRun.h"

#include "game/LevelClock.h"
#include "game/LocalClock.h"
#include "script/ScriptDemoData.h"
#include "script/ScriptHost.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string DateText(const SYSTEMTIME& time)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u (%u) %02u:%02u:%02u.%03u", time.wYear, time.wMonth, time.wDay,
                  time.wDayOfWeek, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
    return text;
}

TEST(FixedStepClocks, StartAtZeroAndAFixedDateAndMoveOnByTheFrameTime)
{
    {
        FixedStepClocks clocks(0.05f);
        EXPECT_EQ(LevelClockMilliseconds(), 0u);
        EXPECT_EQ(DateText(LocalClockTime()), "2004-06-01 (2) 12:00:00.000");
        for (int frame = 0; frame < 3; ++frame) clocks.Advance();
        EXPECT_EQ(LevelClockMilliseconds(), 150u);
        EXPECT_EQ(DateText(LocalClockTime()), "2004-06-01 (2) 12:00:00.150");
    }
    const DWORD now = timeGetTime();
    EXPECT_LE(LevelClockMilliseconds() - now, 1000u) << "the system's clocks again";
    EXPECT_NE(LocalClockTime().wYear, 2004);
}

TEST(FixedStepClocks, KeepNoRoundingErrorOfTheStepAndRollTheDateOver)
{
    {
        // A sixtieth of a second is no exact float: 3600 frames summed in
        // float would stray from the minute.
        FixedStepClocks clocks(1.0f / 60.0f);
        for (int frame = 0; frame < 3600; ++frame) clocks.Advance();
        EXPECT_EQ(LevelClockMilliseconds(), 60000u);
    }
    FixedStepClocks hours(3600.0f);
    for (int frame = 0; frame < 13; ++frame) hours.Advance();
    EXPECT_EQ(DateText(LocalClockTime()), "2004-06-02 (3) 01:00:00.000");
}

// Each frame the main receiver seeds from the level's clock (SetBonus does),
// logs a draw of the seeded generator and saves, which stamps the date.
const char* const kClockScript = "return function(receiver)\n"
                                 "    while SetNextCommand(receiver) do\n"
                                 "    end\n"
                                 "    SetBonus(0, 0, 0)\n"
                                 "    print('draw ' .. math.random(1000000))\n"
                                 "    SaveGame()\n"
                                 "end\n";

// The demo's start-up data in a new folder, with one receiver "main" whose
// step is the clock script.
std::string MakeRunFolder(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    char folder[MAX_PATH];
    GetTempFileNameA(temp, name, 0, folder);
    DeleteFileA(folder);
    EXPECT_TRUE(CreateDirectoryA(folder, nullptr));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof(previous), previous);
    SetCurrentDirectoryA(folder);
    std::string error;
    EXPECT_TRUE(WriteScriptDemoData(error)) << error;
    CreateDirectoryA("Data\\Scripts", nullptr);
    std::ofstream(ScriptHost::kReceiverList, std::ios::binary) << "main,receiver_main.lua,main\n";
    std::ofstream(std::string(ScriptHost::kScriptFolder) + "receiver_main.lua", std::ios::binary) << kClockScript;
    SetCurrentDirectoryA(previous);
    return folder;
}

std::string FileText(const std::string& path)
{
    const std::vector<char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(GameProgram, TwoRunsOnAFixedFrameTimeLogAndSaveTheSame)
{
    std::vector<std::string> logs, saves;
    for (const char* name : {"hra", "hrb"}) {
        const std::string folder = MakeRunFolder(name);
        GameProgram game("--frames 6 --fixed-dt 0.05", folder.c_str());
        ASSERT_TRUE(game.Started());
        EXPECT_EQ(game.ExitCode(), 0u) << game.ErrorOutput();
        logs.push_back(FileText(folder + "\\game.log"));
        saves.push_back(FileText(folder + "\\DATA\\Saves\\save0.sav"));
        // Runs a second apart, so the system's clocks would differ.
        Sleep(1100);
    }
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_EQ(saves[0], saves[1]);
    EXPECT_FALSE(saves[0].empty());
    size_t draws = 0;
    std::string lastDraw;
    bool drawsDiffer = false;
    std::istringstream lines(logs[0]);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 5, "draw ") != 0) continue;
        drawsDiffer = drawsDiffer || (!lastDraw.empty() && line != lastDraw);
        lastDraw = line;
        ++draws;
    }
    EXPECT_GE(draws, 5u) << logs[0];
    EXPECT_TRUE(drawsDiffer) << "the seed moves on with the frames";
}

} // namespace
