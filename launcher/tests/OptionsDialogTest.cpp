#include "launcher/OptionsDialog.h"

#include "core/PSettings.h"
#include "core/Settings.h"
#include "launcher/LauncherResources.h"
#include "launcher/tests/DialogDriver.h"
#include "launcher/tests/LauncherTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char kTitle[] = "Options";

HWND OptionsDialog()
{
    HWND dialog = FindThreadDialog(kTitle);
    EXPECT_NE(dialog, nullptr) << "the options dialog is not open";
    return dialog;
}

bool IsChecked(int id)
{
    return IsDlgButtonChecked(OptionsDialog(), id) == BST_CHECKED;
}

bool IsEnabled(int id)
{
    return IsWindowEnabled(GetDlgItem(OptionsDialog(), id)) != 0;
}

void SetVideoSettings(int bloom, int blur, int lensflare, int dust)
{
    g_bloom = bloom;
    g_blur = blur;
    g_lensflare = lensflare;
    g_dust = dust;
}

// The options dialog on its own, with a settings store to write to.
class OptionsDialogRun : public ::testing::Test {
protected:
    INT_PTR Run(std::vector<DialogDriver::Step> steps)
    {
        DialogDriver driver(std::move(steps));
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr,
                                         OptionsDialogProc, 0);
        EXPECT_TRUE(driver.AllStepsRan());
        return result;
    }

    LauncherSettingsScope m_settings;
    CPSettings m_store;
};

void ExpectOptionsLayout(HWND dialog)
{
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU) << "the options dialog has no close box";
    ExpectCentred(dialog);

    struct Row {
        int id;
        const char* text;
        LONG type;
        bool shown;
        RECT units;
    };
    const Row rows[] = {
        {IDOK, "OK", BS_DEFPUSHBUTTON, true, {71, 59, 50, 14}},
        {IDCANCEL, "Cancel", BS_PUSHBUTTON, true, {129, 59, 50, 14}},
        {IDC_MOTION_BLUR, "Motion Blur", BS_AUTOCHECKBOX, false, {13, 18, 96, 10}},
        {IDC_LENS_FLARE, "Lens Flare", BS_AUTOCHECKBOX, false, {13, 32, 49, 10}},
        {IDC_BLOOM, "Bloom", BS_AUTOCHECKBOX, true, {123, 18, 35, 10}},
        {IDC_SMOKE, "Smoke", BS_AUTOCHECKBOX, false, {123, 32, 38, 10}},
        {-1, "Video", BS_GROUPBOX, true, {7, 7, 172, 47}},
    };
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetDlgCtrlID(control), row.id);
        EXPECT_STRCASEEQ(ClassName(control).c_str(), "Button");
        EXPECT_EQ(WindowText(control), row.text);
        EXPECT_EQ(IsWindowVisible(control) != 0, row.shown);
        LONG controlStyle = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(controlStyle & BS_TYPEMASK, row.type);
        EXPECT_EQ((controlStyle & WS_TABSTOP) != 0, row.id != -1);
        ExpectPlacement(dialog, control, row.units);
        control = GetWindow(control, GW_HWNDNEXT);
    }
    HWND group = FindWindowExA(dialog, nullptr, "Button", "Video");
    EXPECT_TRUE(GetWindowLongA(group, GWL_STYLE) & BS_FLAT);
    EXPECT_TRUE(GetWindowLongA(group, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY);
}

TEST_F(OptionsDialogRun, ShowsItsTemplateCentred)
{
    INT_PTR result = Run({[] {
        ExpectOptionsLayout(OptionsDialog());
        PostCommand(OptionsDialog(), IDCANCEL);
    }});
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(OptionsDialogRun, CheckBoxesShowTheSettingsAndMotionBlurNeedsBloom)
{
    struct Row {
        int bloom, blur, lensflare, dust;
    };
    const Row rows[] = {{1, 1, 1, 1}, {0, 1, 0, 1}, {1, 0, 1, 0}, {0, 0, 0, 0}};
    for (const Row& row : rows) {
        SetVideoSettings(row.bloom, row.blur, row.lensflare, row.dust);
        Run({[row] {
            SCOPED_TRACE(::testing::Message() << row.bloom << row.blur << row.lensflare << row.dust);
            EXPECT_EQ(IsChecked(IDC_BLOOM), row.bloom != 0);
            EXPECT_EQ(IsChecked(IDC_MOTION_BLUR), row.blur != 0);
            EXPECT_EQ(IsChecked(IDC_LENS_FLARE), row.lensflare != 0);
            EXPECT_EQ(IsChecked(IDC_SMOKE), row.dust != 0);
            EXPECT_EQ(IsEnabled(IDC_MOTION_BLUR), row.bloom != 0);
            EXPECT_FALSE(IsEnabled(IDC_LENS_FLARE));
            EXPECT_FALSE(IsEnabled(IDC_SMOKE));
            PostCommand(OptionsDialog(), IDCANCEL);
        }});
    }
}

TEST_F(OptionsDialogRun, BloomSwitchesMotionBlurAtOnce)
{
    SetVideoSettings(1, 1, 1, 1);
    Run({[] { ClickCheckBox(OptionsDialog(), IDC_BLOOM, false); },
         [] {
             EXPECT_FALSE(IsEnabled(IDC_MOTION_BLUR));
             ClickCheckBox(OptionsDialog(), IDC_BLOOM, true);
         },
         [] {
             EXPECT_TRUE(IsEnabled(IDC_MOTION_BLUR));
             PostCommand(OptionsDialog(), IDCANCEL);
         }});
}

TEST_F(OptionsDialogRun, OnlyOkStoresBloomAndMotionBlurAndWritesTheSettings)
{
    const int kCloseRequest = -1;
    struct Click {
        int id;
        bool checked;
    };
    struct Row {
        const char* name;
        std::vector<Click> clicks;
        int ending;
        INT_PTR result;
        int bloom, blur;
    };
    // Every row starts from bloom 1, blur 0, lensflare 1, dust 1.
    const Row rows[] = {
        {"ok untouched", {}, IDOK, IDOK, 1, 0},
        {"ok without bloom", {{IDC_BLOOM, false}}, IDOK, IDOK, 0, 0},
        {"ok with motion blur", {{IDC_MOTION_BLUR, true}}, IDOK, IDOK, 1, 1},
        {"lens flare and smoke are not stored", {{IDC_LENS_FLARE, false}, {IDC_SMOKE, false}}, IDOK, IDOK, 1, 0},
        {"boxes without a control", {{IDC_SPARE_OPTION_1, true}, {IDC_SPARE_OPTION_4, true}}, IDOK, IDOK, 1, 0},
        {"cancel", {{IDC_BLOOM, false}, {IDC_MOTION_BLUR, true}}, IDCANCEL, IDCANCEL, 1, 0},
        {"close request", {{IDC_BLOOM, false}, {IDC_MOTION_BLUR, true}}, kCloseRequest, IDC_EXIT, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetVideoSettings(1, 0, 1, 1);
        std::remove(kSettingsFile);
        std::vector<DialogDriver::Step> steps;
        for (Click click : row.clicks) steps.push_back([click] { ClickCheckBox(OptionsDialog(), click.id, click.checked); });
        if (row.ending == kCloseRequest) {
            steps.push_back([] { SendCloseRequest(OptionsDialog()); });
        } else {
            int ending = row.ending;
            steps.push_back([ending] { PostCommand(OptionsDialog(), ending); });
        }
        EXPECT_EQ(Run(steps), row.result);
        EXPECT_EQ(g_bloom, row.bloom);
        EXPECT_EQ(g_blur, row.blur);
        EXPECT_EQ(g_lensflare, 1);
        EXPECT_EQ(g_dust, 1);
        if (row.result == IDOK) {
            std::string written = ReadFileBytes(kSettingsFile);
            EXPECT_TRUE(IsSettingsFileWith(written, "bloom = " + std::to_string(row.bloom))) << written;
            EXPECT_TRUE(IsSettingsFileWith(written, "blur = " + std::to_string(row.blur))) << written;
        } else {
            EXPECT_FALSE(FileExists(kSettingsFile));
        }
    }
}

TEST_F(OptionsDialogRun, ReopeningShowsBloomFromTheSettingsAgain)
{
    SetVideoSettings(1, 1, 1, 1);
    Run({[] { ClickCheckBox(OptionsDialog(), IDC_BLOOM, false); },
         [] { PostCommand(OptionsDialog(), IDCANCEL); }});
    Run({[] {
        EXPECT_TRUE(IsChecked(IDC_BLOOM));
        EXPECT_TRUE(IsEnabled(IDC_MOTION_BLUR));
        PostCommand(OptionsDialog(), IDOK);
    }});
    EXPECT_EQ(g_bloom, 1);
    EXPECT_EQ(g_blur, 1);
}

} // namespace
