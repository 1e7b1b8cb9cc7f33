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
#include "game/GameDataFiles.h"
#include "game/PGameData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

extern const char* const kReadmeText;

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

// The entries of race 1 in "Data\scores.dat" of a folder; none without
// the file.
std::vector<ScoreEntry> ReadRaceOneScores(const std::string& folder)
{
    CPDataFile file(folder + "\\Data\\scores.dat", true);
    std::vector<std::vector<ScoreEntry>> tables;
    if (FAILED(file.Load())) return {};
    EXPECT_TRUE(ReadScores(file, CPGameData::kScoredRaces, CPGameData::kScoreTableSize, tables));
    return tables.empty() ? std::vector<ScoreEntry>() : tables[0];
}

std::string Describe(const ScoreEntry& entry)
{
    return entry.name + " " + std::to_string(entry.minutes) + ":" + std::to_string(entry.seconds) + ":" +
           std::to_string(entry.hundredths);
}

// The demo game run headless through its menu and race in a folder.
std::string PlayDemo(const char* folder)
{
    GameProgram game("--frames " + std::to_string(kRaceFrames) + " --fixed-dt 0.05", folder);
    EXPECT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(kRaceWait), 0u) << game.ErrorOutput();
    return ReadText(std::string(folder) + "\\game.log");
}

// Files a run before this one left must not stand in for this run's.
void RemoveRaceResults(const char* folder)
{
    for (const char* file : {"\\game.log", "\\Data\\scores.dat", "\\DATA\\Saves\\save0.sav",
                             "\\DATA\\Saves\\save1.sav"}) {
        DeleteFileA((folder + std::string(file)).c_str());
    }
}

// The demo game headless from its menu through the race on "level1" to its
// score table, twice in one folder: the second run plays the same race,
// keeps a first run's score beside its own and saves to the same slot.
TEST(DemoGame, PlaysFromTheMenuThroughARaceToTheScoresTheSameEachTime)
{
    const char* const kFolder = "race";
    RemoveRaceResults(kFolder);
    WriteDemoDataInto(kFolder);
    const std::string first = PlayDemo(kFolder);
    ExpectLinesInOrder(first, {"menu\n", "race started\n", "standing 1 ", "best round ", "score screen\n"});
    // A race the car drove to its end gives it a place; only such a race
    // has a time for the score table.
    const bool finished = first.find("place ") != std::string::npos;
    EXPECT_TRUE(finished || first.find("lost!\n") != std::string::npos) << first;
    EXPECT_EQ(first.find("error:"), std::string::npos) << first;
    const std::vector<char> save = ReadWholeFile("race\\DATA\\Saves\\save0.sav");
    EXPECT_FALSE(save.empty());
    const std::vector<ScoreEntry> firstScores = ReadRaceOneScores(kFolder);
    ASSERT_EQ(firstScores.size(), finished ? 1u : 0u);

    const std::string second = PlayDemo(kFolder);
    const std::vector<ScoreEntry> secondScores = ReadRaceOneScores(kFolder);
    std::string expected = first;
    if (finished) {
        // Both runs' times, the same race's.
        EXPECT_EQ(firstScores[0].name, kProfile);
        ASSERT_EQ(secondScores.size(), 2u);
        for (const ScoreEntry& entry : secondScores) EXPECT_EQ(Describe(entry), Describe(firstScores[0]));
        const size_t firstScore = first.find("score 1 ");
        ASSERT_NE(firstScore, std::string::npos) << first;
        const std::string scoreLine = first.substr(firstScore, first.find('\n', firstScore) + 1 - firstScore);
        expected.insert(firstScore + scoreLine.size(), "score 2" + scoreLine.substr(std::strlen("score 1")));
    } else {
        EXPECT_TRUE(secondScores.empty()) << "a lost race enters no time";
    }
    // The same race: the log differs only by the first run's score.
    EXPECT_EQ(second, expected);
    EXPECT_EQ(ReadWholeFile("race\\DATA\\Saves\\save1.sav").size(), 0u) << "the profile kept its slot";
    EXPECT_EQ(ReadWholeFile("race\\DATA\\Saves\\save0.sav").size(), save.size());
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
    const std::string log = PlayDemo(kFolder);
    PackDemoDataInto(kPacked);
    PlayDemo(kPacked);

    ExpectLinesInOrder(log, {"race started\n", "checkpoint ", "score screen\n"});
    EXPECT_EQ(ReadText(std::string(kPacked) + "\\game.log"), log);
    EXPECT_EQ(ReadWholeFile(std::string(kPacked) + "\\Data\\scores.dat"),
              ReadWholeFile(std::string(kFolder) + "\\Data\\scores.dat"));
    const std::vector<char> save = ReadWholeFile(std::string(kPacked) + "\\DATA\\Saves\\save0.sav");
    EXPECT_FALSE(save.empty());
    EXPECT_EQ(save, ReadWholeFile(std::string(kFolder) + "\\DATA\\Saves\\save0.sav"));
}

// The files that the README's "Writing scripts" shows: each line "\"<name>\":"
// and the fenced block after it give a file and its text.
std::vector<std::pair<std::string, std::string>> ReadmeScriptFiles()
{
    const std::string readme = kReadmeText;
    const size_t begin = readme.find("### Writing scripts\n");
    if (begin == std::string::npos) return {};
    std::istringstream section(readme.substr(begin, readme.find("\n## ", begin) - begin));
    std::vector<std::pair<std::string, std::string>> files;
    std::string line, name;
    bool inBlock = false;
    while (std::getline(section, line)) {
        if (inBlock) {
            if (line == "```") inBlock = false;
            else files.back().second += line + "\n";
        } else if (line.size() > 3 && line.front() == '"' && line.compare(line.size() - 2, 2, "\":") == 0) {
            name = line.substr(1, line.size() - 3);
        } else if (!name.empty() && line.compare(0, 3, "```") == 0) {
            files.emplace_back(name, "");
            name.clear();
            inBlock = true;
        }
    }
    return files;
}

// The smallest game of "Writing scripts", its files taken from the README
// as they stand there, races "level1" to its finish with a lap on the
// clock.
TEST(DemoGame, TheReadmesSmallestGameRacesLevelOneToItsFinish)
{
    const std::vector<std::pair<std::string, std::string>> files = ReadmeScriptFiles();
    std::vector<std::string> names;
    for (const auto& file : files) names.push_back(file.first);
    ASSERT_EQ(names, (std::vector<std::string>{"receivers.txt", "main.lua", "drive.lua", "messages.lua"}));
    const char* const kFolder = "readme-game";
    const std::string scripts = std::string(kFolder) + "\\" + ScriptHost::kScriptFolder;
    // What a run before this one left.
    DeleteFileA("readme-game\\game.log");
    for (const auto& file : files) DeleteFileA((scripts + file.first).c_str());
    WriteDemoDataInto(kFolder);
    DropScripts(kFolder);
    CreateDirectoryA(scripts.c_str(), nullptr);
    for (const auto& file : files) std::ofstream(scripts + file.first, std::ios::binary) << file.second;

    GameProgram game("--frames 1000 --fixed-dt 0.05", kFolder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(kRaceWait), 0u) << game.ErrorOutput();
    const std::string log = ReadText(std::string(kFolder) + "\\game.log");
    EXPECT_NE(log.find("finish!\n"), std::string::npos) << log;
    EXPECT_NE(log.find("round 2 of 1, best lap 00:"), std::string::npos) << log;
    EXPECT_EQ(log.find("best lap 00:00:00"), std::string::npos) << log;
    EXPECT_EQ(log.find("error:"), std::string::npos) << log;
}

} // namespace

