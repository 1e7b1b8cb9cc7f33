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
    explicit GameProgram(const std::string& arguments)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        std::string commandLine = std::string("\"") + HM_GAME_PROGRAM + "\" " + arguments;
        m_started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
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

} // namespace
