#include "host/DemoData.h"
#include "launcher/LauncherResources.h"
#include "script/ScriptDemoData.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Long enough for Wine to start a process and make a device; a run that
// takes longer has hung.
const DWORD kProgramWait = 60000;
const DWORD kWindowPoll = 100;
const char* const kShot = "game-shot.bmp";

class GameProgram {
public:
    // Without a folder the game runs in the test's own.
    explicit GameProgram(const std::string& arguments, const char* folder = nullptr)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        std::string commandLine = std::string("\"") + HM_GAME_PROGRAM + "\" " + arguments;
        m_started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                                   &m_process) != 0;
    }
    ~GameProgram()
    {
        if (!m_started) return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }

    bool Started() const { return m_started; }

    // The exit code, or STILL_ACTIVE when the program did not end in time.
    DWORD ExitCode()
    {
        if (WaitForSingleObject(m_process.hProcess, kProgramWait) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

    // The game's main window once it is there, or null.
    HWND WaitForWindow()
    {
        for (DWORD waited = 0; waited < kProgramWait; waited += kWindowPoll) {
            HWND window = FindWindowA("HollowmereGame", nullptr);
            DWORD owner = 0;
            if (window) GetWindowThreadProcessId(window, &owner);
            if (window && owner == m_process.dwProcessId) return window;
            Sleep(kWindowPoll);
        }
        return nullptr;
    }

private:
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

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

uint32_t ReadUint32(const std::vector<char>& bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t index = 0; index < 4; ++index) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + index])) << (8 * index);
    return value;
}

TEST(GameProgram, RunsHeadlessFramesAndSavesTheLastOne)
{
    DeleteFileA(kShot);
    GameProgram game(std::string("--frames 30 --fixed-dt 0.02 --reset-at 10 --screenshot ") + kShot);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 0u);

    std::ifstream file(kShot, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(ReadUint32(bytes, 18), 640u);
    EXPECT_EQ(ReadUint32(bytes, 22), 480u);
}

std::vector<char> ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The colour at a point of a BMP file of 24 or 32 bits, its rows stored from
// the bottom up, as 0xRRGGBB.
uint32_t BmpPixel(const std::vector<char>& bytes, int x, int y)
{
    const size_t kDataOffsetAt = 10, kWidthAt = 18, kHeightAt = 22, kBitsAt = 28;
    const size_t bytesPerPixel = (ReadUint32(bytes, kBitsAt) & 0xFFFF) / 8;
    const size_t width = ReadUint32(bytes, kWidthAt);
    const size_t height = ReadUint32(bytes, kHeightAt);
    const size_t stride = (width * bytesPerPixel + 3) & ~static_cast<size_t>(3);
    const size_t at = ReadUint32(bytes, kDataOffsetAt) + (height - 1 - y) * stride + x * bytesPerPixel;
    return ReadUint32(bytes, at) & 0xFFFFFF;
}

void ExpectColourNear(uint32_t actual, D3DCOLOR expected, const char* what)
{
    const int kTolerance = 8;
    for (int shift : {0, 8, 16}) {
        EXPECT_NEAR(static_cast<int>((actual >> shift) & 0xFF), static_cast<int>((expected >> shift) & 0xFF),
                    kTolerance)
            << what << std::hex << ": 0x" << actual;
    }
}

// The opening scene from the demo data, through a device reset: the box at
// the centre, the sky's dome above the horizon near the top, its fog colour
// below the box.
TEST(GameProgram, ShowsTheOpeningSceneWithSkyAndBox)
{
    const char* const kFolder = "demo";
    CreateDirectoryA(kFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
    std::string error;
    const bool written = WriteDemoData(error);
    SetCurrentDirectoryA("..");
    ASSERT_TRUE(written) << error;
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
    const std::vector<char> log = ReadWholeFile(std::string(kFolder) + "\\game.log");
    const std::string logged(log.begin(), log.end());
    EXPECT_NE(logged.find(std::string(kDemoMainScriptLine) + "\n"), std::string::npos) << logged;
    EXPECT_EQ(logged.find("error: "), std::string::npos) << logged;
}

// The rest of the run goes on; the run's exit code tells of the error.
TEST(GameProgram, EndsAFramesRunThatSawAScriptErrorWithThree)
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

// A display that offers no full screen of the size makes the game fall back
// to a window of it.
TEST(GameProgram, AskedForFullScreenDrawsAtTheConfiguredSizeInAnyCase)
{
    std::ofstream("config.cfg") << "fullScreen = 1\r\nscreenWidth = 320\r\nscreenHeight = 200\r\n";
    DeleteFileA(kShot);
    GameProgram game(std::string("--frames 3 --screenshot ") + kShot);
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 0u);
    DeleteFileA("config.cfg");

    std::ifstream file(kShot, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(ReadUint32(bytes, 18), 320u);
    EXPECT_EQ(ReadUint32(bytes, 22), 200u);
}

TEST(GameProgram, RefusesAnUnknownOption)
{
    GameProgram game("--no-such-option");
    ASSERT_TRUE(game.Started());
    EXPECT_EQ(game.ExitCode(), 2u);
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
