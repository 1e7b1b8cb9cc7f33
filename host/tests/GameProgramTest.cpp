#include "host/tests/GameProgramRun.h"
#include "launcher/LauncherResources.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kShot = "game-shot.bmp";

// A build tree path as Wine sees it, on the drive that maps the root.
std::string WindowsPath(std::string path)
{
    for (char& character : path) {
        if (character == '/') character = '\\';
    }
    return "Z:" + path;
}

HWND WaitForGameWindow(bool present)
{
    for (DWORD waited = 0; waited < kProgramWait; waited += kWindowPoll) {
        HWND window = FindWindowA("HollowmereGame", nullptr);
        if ((window != nullptr) == present) return window;
        Sleep(kWindowPoll);
    }
    return present ? nullptr : FindWindowA("HollowmereGame", nullptr);
}

TEST(GameProgram, RunsHeadlessFramesAndSavesTheLastOne)
{
    DeleteFileA(kShot);
    GameProgram game(std::string("--frames 30 --fixed-dt 0.02 --reset-at 10 --screenshot ") + kShot);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 0u);

    const std::vector<char> bytes = ReadWholeFile(kShot);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(ReadUint32(bytes, 18), 640u);
    EXPECT_EQ(ReadUint32(bytes, 22), 480u);
}

// A display that offers no full screen of the size makes the game fall back
// to a window of it.
TEST(GameProgram, AskedForFullScreenDrawsAtTheConfiguredSizeInAnyCase)
{
    std::ofstream("config.cfg") << "fullScreen = 1\r\nscreenWidth = 400\r\nscreenHeight = 320\r\n";
    DeleteFileA(kShot);
    GameProgram game(std::string("--frames 3 --screenshot ") + kShot);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 0u);
    DeleteFileA("config.cfg");

    const std::vector<char> bytes = ReadWholeFile(kShot);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(ReadUint32(bytes, 18), 400u);
    EXPECT_EQ(ReadUint32(bytes, 22), 320u);
}

TEST(GameProgram, RefusesAnUnknownOption)
{
    GameProgram game("--no-such-option");
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 2u);
    EXPECT_NE(game.ErrorOutput().find("--no-such-option"), std::string::npos);
}

TEST(GameProgram, SaysInOneLineOnStandardErrorThatTheDataFolderIsMissing)
{
    const char* const kFolder = "no-data";
    CreateDirectoryA(kFolder, nullptr);
    GameProgram game("--frames 1", kFolder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 0u);
    const std::string errors = game.ErrorOutput();
    EXPECT_NE(errors.find("\"Data\""), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

TEST(GameProgram, SaysOnStandardErrorThatTheScreenshotCouldNotBeWritten)
{
    GameProgram game("--frames 1 --screenshot no-such-folder\\shot.bmp");
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 1u);
    const std::string errors = game.ErrorOutput();
    EXPECT_NE(errors.find("no-such-folder\\shot.bmp"), std::string::npos) << errors;
}

// A folder whose main script prints a line and then fails, over the log
// that an earlier run left: the run goes on to its last frame, its log holds
// only its own lines, and its exit code tells of the error.
TEST(GameProgram, ARunOverAnOldLogLogsItsOwnLinesAndEndsWithThreeAfterAScriptError)
{
    const char* const kFolder = "failing-script";
    for (const char* folder : {"failing-script", "failing-script\\Data", "failing-script\\Data\\Scripts"}) {
        CreateDirectoryA(folder, nullptr);
    }
    std::ofstream("failing-script\\Data\\Scripts\\main.lua", std::ios::binary)
        << "print('this run')\nlocal x = nil + 1\n";
    std::ofstream("failing-script\\game.log", std::ios::binary) << "the run before\n";
    GameProgram game("--frames 3 --fixed-dt 0.02", kFolder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 3u);
    const std::vector<char> log = ReadWholeFile("failing-script\\game.log");
    EXPECT_EQ(std::string(log.begin(), log.end()),
              "this run\nerror: Data\\Scripts\\main.lua:2: attempt to perform arithmetic on a nil value\n");
}

// A description whose mesh lies above the game's folder is told in the game
// log, whether a script loads it or the opening scene does (its box is
// loaded before any script runs).
TEST(GameProgram, TellsTheGameLogOfADescriptionNamingAFileOutsideTheGamesFolders)
{
    struct Case {
        const char* folder;
        const char* description;
        const char* mainScript;
    };
    const Case cases[] = {
        {"outside-mesh", "hut", "LoadRenderObject('hut.rdf', 0)\n"},
        {"outside-box", "box", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string folder = c.folder;
        for (const char* sub : {"", "\\Data", "\\Data\\Meshes"}) CreateDirectoryA((folder + sub).c_str(), nullptr);
        if (c.mainScript) {
            CreateDirectoryA((folder + "\\Data\\Scripts").c_str(), nullptr);
            std::ofstream(folder + "\\Data\\Scripts\\main.lua", std::ios::binary) << c.mainScript;
        }
        const std::string description = std::string(c.description) + ".rdf";
        std::ofstream(folder + "\\Data\\Meshes\\" + description, std::ios::binary)
            << "mesh=..\\..\\" << c.description << ".msh\r\n";
        GameProgram game("--frames 1", c.folder);
        ASSERT_TRUE(game.Started());
        EXPECT_EQ(game.ExitCode(), 0u);
        const std::vector<char> log = ReadWholeFile(folder + "\\game.log");
        EXPECT_EQ(std::string(log.begin(), log.end()),
                  "render: Data\\Meshes\\" + description + ": mesh \"..\\..\\" + c.description +
                      ".msh\" names a file outside the game's folders; not read\n");
    }
}

// A folder where the score file and the first save would go: both writes
// fail, the folders stay, the game log tells of each and the scripts are
// answered false.
TEST(GameProgram, TellsTheGameLogAndTheScriptOfASaveThatCouldNotBeWritten)
{
    const char* const kFolder = "unwritable";
    for (const char* folder : {"unwritable", "unwritable\\Data", "unwritable\\Data\\Scripts",
                               "unwritable\\Data\\scores.dat", "unwritable\\DATA\\Saves",
                               "unwritable\\DATA\\Saves\\save0.sav"}) {
        CreateDirectoryA(folder, nullptr);
    }
    std::ofstream("unwritable\\Data\\Scripts\\main.lua", std::ios::binary)
        << "print(SaveScore())\nprint(SaveGame())\n";
    GameProgram game("--frames 1", kFolder);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 0u);
    const std::vector<char> log = ReadWholeFile("unwritable\\game.log");
    EXPECT_EQ(std::string(log.begin(), log.end()),
              "game: Data\\scores.dat: could not be written; the file there is kept\nfalse\n"
              "game: DATA\\Saves\\save0.sav: could not be written; the file there is kept\nfalse\n");
    for (const char* folder : {"unwritable\\Data\\scores.dat", "unwritable\\DATA\\Saves\\save0.sav"}) {
        const DWORD attributes = GetFileAttributesA(folder);
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << folder;
    }
}

TEST(GameProgram, EndsCleanlyOnACloseRequestOrEscape)
{
    const struct {
        UINT message;
        WPARAM wParam;
    } endings[] = {{WM_CLOSE, 0}, {WM_KEYDOWN, VK_ESCAPE}};
    for (const auto& ending : endings) {
        GameProgram game("");
        ASSERT_TRUE(game.Started());
        HWND window = game.WaitForWindow();
        ASSERT_NE(window, nullptr);
        PostMessageA(window, ending.message, ending.wParam, 0);
        EXPECT_EQ(game.ExitCode(), 0u) << ending.message;
    }
}

// The launcher and the game side by side in a folder of their own, as a
// player has them.
TEST(GameProgram, StartsFromTheLaunchersStartGame)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    char folder[MAX_PATH];
    GetTempFileNameA(temp, "hmg", 0, folder);
    DeleteFileA(folder);
    ASSERT_TRUE(CreateDirectoryA(folder, nullptr));
    const std::string launcher = std::string(folder) + "\\Hollowmere.exe";
    const std::string game = std::string(folder) + "\\_Hollowmere.exe";
    ASSERT_TRUE(CopyFileA(WindowsPath(HM_LAUNCHER_PROGRAM).c_str(), launcher.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(WindowsPath(HM_GAME_PROGRAM).c_str(), game.c_str(), FALSE));

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + launcher + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                               &process));
    HWND dialog = nullptr;
    for (DWORD waited = 0; waited < kProgramWait && !dialog; waited += kWindowPoll) {
        Sleep(kWindowPoll);
        HWND candidate = FindWindowA(nullptr, "Hollowmere");
        DWORD owner = 0;
        if (candidate) GetWindowThreadProcessId(candidate, &owner);
        if (owner == process.dwProcessId) dialog = candidate;
    }
    ASSERT_NE(dialog, nullptr) << "the start dialog did not open";
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_START_GAME, BN_CLICKED), 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, kProgramWait), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    HWND window = WaitForGameWindow(true);
    ASSERT_NE(window, nullptr) << "the game did not start";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForGameWindow(false), nullptr) << "the game did not end";
    for (const char* name : {"Hollowmere.exe", "_Hollowmere.exe", "config.cfg"}) {
        DeleteFileA((std::string(folder) + "\\" + name).c_str());
    }
    RemoveDirectoryA(folder);
}

} // namespace
