// The built program, run as a player runs it: in a folder of its own next to
// a stand-in "_Hollowmere.exe", with web addresses going to a stand-in
// browser. Both stand-ins record each start in "starts.log".
#include "launcher/LauncherResources.h"
#include "launcher/tests/DialogDriver.h"
#include "launcher/tests/LauncherTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

const char kStatisticsPage[] = "https://www.example.com/hollowmere/statistics.html";
const char kGame[] = "_Hollowmere.exe";
const char kBrowser[] = "browser.exe";
// How the shell opens web addresses.
const char kWebOpenCommandKey[] = "Software\\Classes\\https\\shell\\open\\command";
const DWORD kStartTimeout = 20000;
const DWORD kPollMilliseconds = 50;

// A build tree path as Wine sees it, on the drive that maps the root.
std::string WindowsPath(std::string path)
{
    for (char& character : path) {
        if (character == '/') character = '\\';
    }
    return "Z:" + path;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchProcessDialog(HWND window, LPARAM parameter)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window) || WindowText(window) != "Hollowmere") return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForStartDialog(DWORD processId)
{
    WindowSearch search = {processId, nullptr};
    for (DWORD waited = 0; waited < kStartTimeout && !search.found; waited += kPollMilliseconds) {
        Sleep(kPollMilliseconds);
        EnumWindows(MatchProcessDialog, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

// One start recorded by a stand-in: which one, where and with what.
struct Start {
    std::string program;
    std::string directory;
    std::string arguments;
};

class LauncherProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        char unique[MAX_PATH];
        GetTempFileNameA(temp, "hml", 0, unique);
        DeleteFileA(unique);
        m_folder = unique;
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
        ASSERT_TRUE(CopyFileA(WindowsPath(HM_LAUNCHER_PROGRAM).c_str(), InFolder("Hollowmere.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(WindowsPath(HM_RECORDER_PROGRAM).c_str(), InFolder(kGame).c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(WindowsPath(HM_RECORDER_PROGRAM).c_str(), InFolder(kBrowser).c_str(), FALSE));
        m_webOpenCommand = ReadWebOpenCommand();
        SetWebOpenCommand("\"" + InFolder(kBrowser) + "\" %1");
    }

    void TearDown() override
    {
        SetWebOpenCommand(m_webOpenCommand);
        const char* files[] = {"Hollowmere.exe", kGame, kBrowser, "starts.log", "config.cfg"};
        for (const char* file : files) DeleteFileA(InFolder(file).c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

    std::string InFolder(const std::string& name) const { return m_folder + "\\" + name; }

    // Wine takes no per-user classes, so the machine's command is replaced
    // for the test and put back afterwards.
    static std::string ReadWebOpenCommand()
    {
        char command[MAX_PATH * 2] = "";
        LONG size = sizeof(command);
        RegQueryValueA(HKEY_LOCAL_MACHINE, kWebOpenCommandKey, command, &size);
        return command;
    }

    static void SetWebOpenCommand(const std::string& command)
    {
        ASSERT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, kWebOpenCommandKey, REG_SZ, command.c_str(),
                               static_cast<DWORD>(command.size())),
                  ERROR_SUCCESS);
    }

    // Starts the program in the folder, sends the start dialog one command
    // and waits for the program to end.
    void RunWithCommand(int command)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::string commandLine = "\"" + InFolder("Hollowmere.exe") + "\"";
        ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(),
                                   &startup, &process));
        HWND dialog = WaitForStartDialog(process.dwProcessId);
        EXPECT_NE(dialog, nullptr) << "the start dialog did not open";
        if (dialog) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        if (WaitForSingleObject(process.hProcess, kStartTimeout) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the program did not end";
            TerminateProcess(process.hProcess, 1);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    // The first start the stand-ins record, waiting for it a while.
    std::vector<Start> RecordedStarts() const
    {
        std::vector<Start> starts;
        for (DWORD waited = 0; waited < kStartTimeout && starts.empty(); waited += kPollMilliseconds) {
            Sleep(kPollMilliseconds);
            std::istringstream log(ReadFileBytes(InFolder("starts.log")));
            std::string line;
            while (std::getline(log, line)) {
                std::istringstream fields(line);
                Start start;
                std::getline(fields, start.program, '\t');
                std::getline(fields, start.directory, '\t');
                std::getline(fields, start.arguments);
                starts.push_back(start);
            }
        }
        return starts;
    }

    std::string m_folder;
    std::string m_webOpenCommand;
};

TEST_F(LauncherProgram, StartsTheGameOrOpensTheStatisticsPageAndWritesTheWindowMode)
{
    struct Row {
        int command;
        const char* started;
        const char* arguments;
        const char* settingsLine;
    };
    const Row rows[] = {
        {IDC_START_GAME, kGame, "", nullptr},
        {IDC_EXIT, kBrowser, kStatisticsPage, nullptr},
        {IDC_START_WINDOWED, kGame, "", "fullScreen = 0"},
        {IDC_START_FULLSCREEN, kGame, "", "fullScreen = 1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        DeleteFileA(InFolder("starts.log").c_str());
        DeleteFileA(InFolder("config.cfg").c_str());
        RunWithCommand(row.command);
        std::vector<Start> starts = RecordedStarts();
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].program, row.started);
        EXPECT_STRCASEEQ(starts[0].directory.c_str(), m_folder.c_str()) << "not started in the program's folder";
        EXPECT_EQ(starts[0].arguments, row.arguments);
        std::string settings = ReadFileBytes(InFolder("config.cfg"));
        if (row.settingsLine) {
            EXPECT_TRUE(IsSettingsFileWith(settings, row.settingsLine)) << settings;
        } else {
            EXPECT_FALSE(FileExists(InFolder("config.cfg")));
        }
    }
}

} // namespace
