#include "demo/DemoData.h"
#include "host/EngineHost.h"
#include "demo/DemoScripts.h"
#include "game/PLevel.h"
#include "script/ScriptHost.h"
#include "core/PTaskManager.h"

#include "host/tests/GameProgramRun.h"

#include "DynamicSky/PDynamicSky.h"
#include "Render/PDeviceListener.h"
#include "Render/PRender.h"
#include "core/FrameClock.h"
#include "core/PDataFile.h"
#include "core/PackArchiveFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kShot = "game-shot.bmp";

// The demo data written into a fresh folder of the test's own.
void WriteDemoDataInto(const char* folder)
{
    CreateDirectoryA(folder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(folder));
    std::string error;
    const bool written = WriteDemoData(error);
    SetCurrentDirectoryA("..");
    ASSERT_TRUE(written) << error;
}

// Without its scripts the demo game shows only its opening scene.
void DropScripts(const char* folder)
{
    const std::string scripts = std::string(folder) + "\\" + ScriptHost::kScriptFolder;
    for (size_t i = 0; i < kDemoScriptFileCount; ++i) DeleteFileA((scripts + kDemoScriptFiles[i].name).c_str());
    DeleteFileA((std::string(folder) + "\\" + ScriptHost::kReceiverList).c_str());
    ASSERT_TRUE(RemoveDirectoryA(scripts.c_str())) << scripts;
}

std::string ReadText(const std::string& path)
{
    const std::vector<char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// The opening scene from the demo data, through a device reset: the box at
// the centre, the sky's dome above the horizon near the top, its fog colour
// below the box.
TEST(DemoGame, ShowsTheOpeningSceneWithSkyAndBox)
{
    const char* const kFolder = "demo";
    WriteDemoDataInto(kFolder);
    DropScripts(kFolder);
    const std::string shot = std::string(kFolder) + "\\" + kShot;
    DeleteFileA(shot.c_str());

    GameProgram game(std::string("--frames 30 --fixed-dt 0.02 --reset-at 10 --screenshot ") + kShot, kFolder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 0u);
    const std::vector<char> bytes = ReadWholeFile(shot);
    ASSERT_GT(bytes.size(), 54u);
    ExpectColourNear(BmpPixel(bytes, 320, 240), kDemoBoxColour, "the box at the centre");
    ExpectColourNear(BmpPixel(bytes, 320, 8), kDemoSkyColour, "the sky near the top");
    ExpectColourNear(BmpPixel(bytes, 320, 440), kDemoFogColour, "the fog below the horizon");
    EXPECT_EQ(ReadText(std::string(kFolder) + "\\game.log"), "");
}

// The rest of the run goes on; the run's exit code tells of the error.
TEST(DemoGame, EndsAFramesRunThatSawAScriptErrorWithThree)
{
    const char* const kFolder = "broken";
    for (const char* folder : {"broken", "broken\\Data", "broken\\Data\\Scripts"}) CreateDirectoryA(folder, nullptr);
    std::ofstream("broken\\Data\\Scripts\\main.lua", std::ios::binary) << "print('before')\nlocal x = nil + 1\n";
    GameProgram game("--frames 3 --fixed-dt 0.02", kFolder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 3u);
    const std::vector<char> log = ReadWholeFile("broken\\game.log");
    EXPECT_EQ(std::string(log.begin(), log.end()),
              "before\nerror: Data\\Scripts\\main.lua:2: attempt to perform arithmetic on a nil value\n");
}

// With the opening scene's sky and box loaded from the demo data.
TEST(DemoGame, EndsTheOpeningSceneLeavingNoListenerAndTheDeviceUnheld)
{
    const char* const kFolder = "end-scene";
    CreateDirectoryA(kFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
    std::string error;
    EXPECT_TRUE(WriteDemoData(error)) << error;
    const size_t listenersBefore = GetDeviceListeners().size();
    EngineHost host{HostOptions()};
    ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
    ASSERT_NE(GetRender()->GetSky(), nullptr);
    EXPECT_TRUE(GetRender()->GetSky()->IsLoaded());
    host.RunFrame(0.02f);
    EXPECT_EQ(host.ResetDevice(), D3D_OK);
    host.RunFrame(0.02f);
    EXPECT_GT(GetDeviceListeners().size(), listenersBefore) << "the shadow material's effect listens";
    host.Shutdown();
    SetCurrentDirectoryA("..");
    EXPECT_EQ(GetDeviceListeners().size(), listenersBefore);
    EXPECT_EQ(host.GetFinalDeviceReferences(), 0u);
    FrameNumber = 0;
    FullTime = 0.0;
}

// The demo data brings a main script: its scene stays until a level exists.
TEST(DemoGame, TheOpeningSceneGivesWayOnceAScriptedLevelExists)
{
    const char* const kFolder = "scripted-scene";
    CreateDirectoryA(kFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
    std::string error;
    EXPECT_TRUE(WriteDemoData(error)) << error;
    {
        EngineHost host{HostOptions()};
        ASSERT_TRUE(host.Start(GetModuleHandleA(nullptr), error)) << error;
        ASSERT_TRUE(host.GetScripts()->HasMainScript());
        host.RunFrame(0.02f);
        EXPECT_EQ(GetRender()->GetRenderList().count(EngineHost::kWorldCameraKey), 1u);
        const size_t tasksBefore = g_pTaskManager->GetTasks().size();
        {
            CPLevel level;
            host.RunFrame(0.02f);
            EXPECT_EQ(GetRender()->GetRenderList().count(EngineHost::kWorldCameraKey), 0u);
            EXPECT_EQ(g_pTaskManager->GetTasks().size(), tasksBefore - 1) << "the scene's updater";
            host.RunFrame(0.02f);
        }
        host.Shutdown();
    }
    SetCurrentDirectoryA("..");
    FrameNumber = 0;
    FullTime = 0.0;
}

} // namespace

namespace {

// Enough frames of 0.05 s for three seconds of menu, two laps of the ring
// and the score table.
const int kRaceFrames = 2500;
const DWORD kRaceWait = 600000;
const char* const kProfile = "Driver";

// Each line found after the one before it.
void ExpectLinesInOrder(const std::string& log, const std::vector<std::string>& lines)
{
    size_t at = 0;
    for (const std::string& line : lines) {
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "\"" << line << "\" after offset " << at << " in:\n" << log;
        at = found + line.size();
    }
}

// The score entries of a scrambled "Data\scores.dat": table index, name,
// minutes, seconds, hundredths.
struct ScoreLine {
    int32_t table;
    std::string name;
    int32_t minutes, seconds, hundredths;
};

std::vector<ScoreLine> ReadScores(const std::string& path)
{
    CPDataFile file(path, true);
    std::vector<ScoreLine> lines;
    if (FAILED(file.Load())) return lines;
    const char* at = reinterpret_cast<const char*>(file.GetData());
    const char* end = at + file.GetDataSize();
    auto readInt = [&](int32_t& value) {
        if (end - at < 4) return false;
        std::memcpy(&value, at, 4);
        at += 4;
        return true;
    };
    ScoreLine line;
    int32_t length = 0;
    while (readInt(line.table) && readInt(length) && length >= 0 && end - at >= length) {
        line.name.assign(at, static_cast<size_t>(length));
        at += length;
        if (!readInt(line.minutes) || !readInt(line.seconds) || !readInt(line.hundredths)) break;
        lines.push_back(line);
    }
    return lines;
}

// Files a run before this one left must not stand in for this run's.
void RemoveRaceResults(const char* folder)
{
    for (const char* file : {"\\game.log", "\\Data\\scores.dat", "\\DATA\\Saves\\save0.sav"}) {
        DeleteFileA((folder + std::string(file)).c_str());
    }
}

// The demo game headless through its race in a folder that holds its data.
void PlayDemoRaceIn(const char* folder)
{
    GameProgram game("--frames " + std::to_string(kRaceFrames) + " --fixed-dt 0.05", folder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(kRaceWait), 0u) << game.ErrorOutput();
}

// The demo game headless from its menu through the race on "level1" to its
// score table, twice in fresh folders: the same log, scores and save.
TEST(DemoGame, PlaysFromTheMenuThroughARaceToTheScoresTheSameEachTime)
{
    const char* const kFolders[] = {"race-a", "race-b"};
    for (const char* folder : kFolders) {
        RemoveRaceResults(folder);
        WriteDemoDataInto(folder);
        PlayDemoRaceIn(folder);
    }
    const std::string log = ReadText("race-a\\game.log");
    ExpectLinesInOrder(log, {"menu\n", "race started\n", "standing 1 ", "best round ", "score screen\n"});
    const bool finished = log.find("place ") != std::string::npos && log.find("finish!\n") != std::string::npos;
    EXPECT_TRUE(finished || log.find("lost!\n") != std::string::npos) << log;
    EXPECT_EQ(log.find("error:"), std::string::npos) << log;
    EXPECT_EQ(log, ReadText("race-b\\game.log"));

    const std::vector<ScoreLine> scores = ReadScores("race-a\\Data\\scores.dat");
    const auto driver = std::find_if(scores.begin(), scores.end(),
                                     [](const ScoreLine& line) { return line.table == 0 && line.name == kProfile; });
    ASSERT_NE(driver, scores.end()) << "the profile's time in race 1";
    EXPECT_GT(driver->minutes * 6000 + driver->seconds * 100 + driver->hundredths, 0);
    EXPECT_EQ(ReadWholeFile("race-a\\Data\\scores.dat"), ReadWholeFile("race-b\\Data\\scores.dat"));
    const std::vector<char> save = ReadWholeFile("race-a\\DATA\\Saves\\save0.sav");
    EXPECT_FALSE(save.empty());
    EXPECT_EQ(save, ReadWholeFile("race-b\\DATA\\Saves\\save0.sav"));
}

void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolder(path);
            else DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// The demo data packed into "data.pak" as the pack tool packs it, and the
// "Data" folder removed.
void PackDemoDataInto(const char* folder)
{
    RemoveFolder(std::string(folder) + "\\DATA");
    WriteDemoDataInto(folder);
    ASSERT_TRUE(SetCurrentDirectoryA(folder));
    PackArchiveWriter archive;
    std::vector<std::string> unreadable;
    const int added = archive.AddFolder("Data", unreadable);
    const HRESULT saved = archive.Save("data.pak");
    RemoveFolder("Data");
    SetCurrentDirectoryA("..");
    EXPECT_GT(added, 0);
    EXPECT_TRUE(unreadable.empty());
    ASSERT_EQ(saved, S_OK);
}

// The same race from the archive alone: every file the game reads comes
// from "data.pak", and the game writes its scores and save beside it.
TEST(DemoGame, PlaysTheRaceFromAPackArchiveAsFromTheDataFolder)
{
    const char* const kFolder = "race-folder";
    const char* const kPacked = "race-pak";
    RemoveRaceResults(kFolder);
    WriteDemoDataInto(kFolder);
    PlayDemoRaceIn(kFolder);
    PackDemoDataInto(kPacked);
    PlayDemoRaceIn(kPacked);

    const std::string log = ReadText(std::string(kFolder) + "\\game.log");
    ExpectLinesInOrder(log, {"race started\n", "checkpoint ", "score screen\n"});
    EXPECT_EQ(ReadText(std::string(kPacked) + "\\game.log"), log);
    EXPECT_EQ(ReadWholeFile(std::string(kPacked) + "\\Data\\scores.dat"),
              ReadWholeFile(std::string(kFolder) + "\\Data\\scores.dat"));
    const std::vector<char> save = ReadWholeFile(std::string(kPacked) + "\\DATA\\Saves\\save0.sav");
    EXPECT_FALSE(save.empty());
    EXPECT_EQ(save, ReadWholeFile(std::string(kFolder) + "\\DATA\\Saves\\save0.sav"));
}

} // namespace
