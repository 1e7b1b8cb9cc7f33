#include "launcher/PLauncherApp.h"

#include "core/Settings.h"
#include "core/ShellOpen.h"
#include "launcher/LauncherResources.h"
#include "launcher/PWebViewSite.h"
#include "launcher/tests/DialogDriver.h"
#include "launcher/tests/LauncherTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char kStatisticsPage[] = "https://www.example.com/hollowmere/statistics.html";
const char kGame[] = "_Hollowmere.exe";
const char kReadme[] = "Hollowmere.txt";
const char kTitle[] = "Hollowmere";

std::vector<std::string> g_opened;

void RecordOpen(const char* target)
{
    g_opened.push_back(target);
}

// The whole program, in this process, with the shell replaced by a recorder
// and the start dialog driven by the given steps.
class LauncherRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_opened.clear();
        SetShellOpenFunction(RecordOpen);
        ShuttingDown = false;
    }
    void TearDown() override
    {
        SetShellOpenFunction(nullptr);
        ShuttingDown = false;
    }

    void Run(std::vector<DialogDriver::Step> steps)
    {
        DialogDriver driver(std::move(steps));
        EXPECT_EQ(RunLauncherProgram(GetModuleHandleA(nullptr), SW_SHOWNORMAL), 0);
        EXPECT_TRUE(driver.AllStepsRan());
    }

    LauncherSettingsScope m_settings;
};

HWND StartDialog()
{
    HWND dialog = FindThreadDialog(kTitle);
    EXPECT_NE(dialog, nullptr) << "the start dialog is not open";
    return dialog;
}

DialogDriver::Step Press(int id)
{
    return [id] { PostCommand(StartDialog(), id); };
}

void ExpectStartDialogLayout(HWND dialog)
{
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_BORDER);
    EXPECT_FALSE(style & WS_DLGFRAME) << "the start dialog has no caption";
    EXPECT_FALSE(style & WS_SYSMENU);
    ExpectCentred(dialog);

    struct Row {
        int id;
        const char* className;
        const char* text;
        bool shown;
        RECT units;
    };
    const Row rows[] = {
        {IDC_START_GAME, "Button", "Start Game", true, {7, 310, 90, 14}},
        {IDC_GAME_SETTINGS, "Button", "Game Settings", false, {209, 310, 68, 14}},
        {IDC_EXIT, "Button", "Exit", true, {373, 310, 63, 14}},
        {IDC_WEB_VIEW_AREA, "Static", "", true, {7, 7, 429, 298}},
        {IDC_START_WINDOWED, "Button", "Start in windowed mode", false, {103, 310, 85, 14}},
        {IDC_START_FULLSCREEN, "Button", "Start in fullscreen mode", false, {7, 310, 90, 14}},
        {IDC_README, "Button", "Readme.txt", true, {285, 310, 68, 14}},
    };
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetDlgCtrlID(control), row.id) << "controls are not in template order";
        EXPECT_STRCASEEQ(ClassName(control).c_str(), row.className);
        EXPECT_EQ(WindowText(control), row.text);
        EXPECT_EQ(IsWindowVisible(control) != 0, row.shown);
        EXPECT_EQ(IsWindowEnabled(control) != 0, row.shown);
        LONG controlStyle = GetWindowLongA(control, GWL_STYLE);
        if (row.id == IDC_WEB_VIEW_AREA) {
            EXPECT_EQ(controlStyle & SS_TYPEMASK, SS_BLACKRECT);
        } else {
            EXPECT_EQ(controlStyle & BS_TYPEMASK, BS_PUSHBUTTON);
            EXPECT_TRUE(controlStyle & BS_FLAT);
            EXPECT_TRUE(controlStyle & WS_TABSTOP);
        }
        ExpectPlacement(dialog, control, row.units);
        control = GetWindow(control, GW_HWNDNEXT);
    }
}

TEST_F(LauncherRun, ShowsTheStartDialogAndOpensTheStatisticsPageOnExit)
{
    Run({[] {
        HWND dialog = StartDialog();
        ASSERT_NE(dialog, nullptr);
        ExpectStartDialogLayout(dialog);
        EXPECT_NE(GetLauncherApp(), nullptr);
        EXPECT_NE(GetWebViewSite(), nullptr);
        EXPECT_FALSE(ShuttingDown);
        PostCommand(dialog, IDC_EXIT);
    }});
    EXPECT_EQ(g_opened, std::vector<std::string>{kStatisticsPage});
    EXPECT_TRUE(ShuttingDown);
    EXPECT_EQ(GetLauncherApp(), nullptr);
    EXPECT_EQ(GetWebViewSite(), nullptr);
    EXPECT_FALSE(FileExists("config.cfg"));
}

HRESULT NoBrowser(IOleClientSite*, IStorage*, void** browser)
{
    *browser = nullptr;
    return REGDB_E_CLASSNOTREG;
}

TEST_F(LauncherRun, WithoutABrowserTheStartDialogStillWorksAndEndsCleanly)
{
    BrowserCreator previous = SetBrowserCreator(NoBrowser);
    Run({[] {
             HWND dialog = StartDialog();
             ASSERT_NE(dialog, nullptr);
             ExpectStartDialogLayout(dialog);
             ASSERT_NE(GetWebViewSite(), nullptr);
             EXPECT_FALSE(GetWebViewSite()->HasBrowser());
             PostCommand(dialog, IDC_README);
         },
         Press(IDC_EXIT)});
    SetBrowserCreator(previous);
    EXPECT_EQ(g_opened, (std::vector<std::string>{kReadme, kStatisticsPage}));
    EXPECT_EQ(GetLauncherApp(), nullptr);
    EXPECT_EQ(GetWebViewSite(), nullptr);
}

TEST_F(LauncherRun, EachCommandOpensItsTargetAndWritesSettingsOnlyForAWindowMode)
{
    const int kCloseRequest = -1;
    struct Row {
        const char* name;
        std::vector<int> commands;
        int fullScreenBefore;
        std::vector<std::string> opened;
        const char* writtenLine;
    };
    const Row rows[] = {
        {"start game", {IDC_START_GAME}, 1, {kGame}, nullptr},
        {"exit", {IDC_EXIT}, 0, {kStatisticsPage}, nullptr},
        {"close request", {kCloseRequest}, 0, {kStatisticsPage}, nullptr},
        {"escape and unknown commands", {IDCANCEL, IDOK, 1234, IDC_EXIT}, 0, {kStatisticsPage}, nullptr},
        {"readme twice", {IDC_README, IDC_README, IDC_START_GAME}, 0, {kReadme, kReadme, kGame}, nullptr},
        {"windowed", {IDC_START_WINDOWED}, 1, {kGame}, "fullScreen = 0"},
        {"fullscreen", {IDC_START_FULLSCREEN}, 0, {kGame}, "fullScreen = 1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        g_opened.clear();
        const std::string before = row.fullScreenBefore ? "fullScreen = 1\r\n" : "fullScreen = 0\r\n";
        WriteFileBytes("config.cfg", before);
        std::vector<DialogDriver::Step> steps;
        for (int command : row.commands) {
            if (command == kCloseRequest) {
                steps.push_back([] { SendCloseRequest(StartDialog()); });
            } else {
                steps.push_back(Press(command));
            }
        }
        Run(steps);
        EXPECT_EQ(g_opened, row.opened);
        if (row.writtenLine) {
            EXPECT_TRUE(IsSettingsFileWith(ReadFileBytes("config.cfg"), row.writtenLine)) << ReadFileBytes("config.cfg");
        } else {
            EXPECT_EQ(ReadFileBytes("config.cfg"), before);
        }
    }
}

TEST_F(LauncherRun, StartingWithoutSettingsFileWritesNone)
{
    Run({Press(IDC_START_GAME)});
    EXPECT_EQ(g_opened, std::vector<std::string>{kGame});
    EXPECT_FALSE(FileExists("config.cfg"));
}

TEST_F(LauncherRun, WindowModeWritesTheSettingsFileWhenThereWasNone)
{
    Run({Press(IDC_START_WINDOWED)});
    EXPECT_TRUE(IsSettingsFileWith(ReadFileBytes("config.cfg"), "fullScreen = 0"));
}

TEST_F(LauncherRun, GameSettingsOpensTheOptionsDialogOverTheStartDialog)
{
    g_bloom = 1;
    Run({Press(IDC_GAME_SETTINGS),
         [] {
             HWND options = FindThreadDialog("Options");
             ASSERT_NE(options, nullptr);
             EXPECT_EQ(GetWindow(options, GW_OWNER), StartDialog());
             EXPECT_FALSE(IsWindowEnabled(StartDialog())) << "the options dialog is not modal";
             ClickCheckBox(options, IDC_BLOOM, false);
             PostCommand(options, IDOK);
         },
         [] {
             EXPECT_EQ(FindThreadDialog("Options"), nullptr);
             EXPECT_TRUE(IsWindowEnabled(StartDialog()));
             PostCommand(StartDialog(), IDC_EXIT);
         }});
    EXPECT_EQ(g_bloom, 0);
    EXPECT_TRUE(IsSettingsFileWith(ReadFileBytes("config.cfg"), "bloom = 0"));
    EXPECT_EQ(g_opened, std::vector<std::string>{kStatisticsPage});
}

} // namespace
