#include "launcher/OptionsDialog.h"

#include "core/PSettings.h"
#include "core/Settings.h"
#include "launcher/CentreWindow.h"
#include "launcher/LauncherResources.h"

namespace {

// The last choice made in each check box the dialog answers to, kept from one
// opening of the dialog to the next. Only Bloom and Motion Blur are ever
// stored; opening the dialog reloads those two from the settings.
struct CheckBoxChoice {
    int id;
    int checked;
};

CheckBoxChoice g_choices[] = {
    {IDC_BLOOM, 0},          {IDC_MOTION_BLUR, 0},    {IDC_LENS_FLARE, 0},     {IDC_SMOKE, 0},
    {IDC_SPARE_OPTION_1, 0}, {IDC_SPARE_OPTION_2, 0}, {IDC_SPARE_OPTION_3, 0}, {IDC_SPARE_OPTION_4, 0},
};

CheckBoxChoice* FindChoice(int id)
{
    for (CheckBoxChoice& choice : g_choices) {
        if (choice.id == id) return &choice;
    }
    return nullptr;
}

void ShowSetting(HWND window, int id, int value)
{
    CheckDlgButton(window, id, value != 0 ? BST_CHECKED : BST_UNCHECKED);
}

// "Motion Blur" only makes sense on top of "Bloom".
void EnableMotionBlur(HWND window, bool enabled)
{
    EnableWindow(GetDlgItem(window, IDC_MOTION_BLUR), enabled);
}

void TakeCheckBoxChoice(HWND window, CheckBoxChoice& choice)
{
    UINT state = IsDlgButtonChecked(window, choice.id);
    if (state != BST_CHECKED && state != BST_UNCHECKED) return;
    choice.checked = state == BST_CHECKED ? 1 : 0;
    if (choice.id == IDC_BLOOM) EnableMotionBlur(window, choice.checked != 0);
}

void StoreChoices()
{
    g_bloom = FindChoice(IDC_BLOOM)->checked;
    g_blur = FindChoice(IDC_MOTION_BLUR)->checked;
    if (GetSettings()) GetSettings()->Save(kSettingsFile);
}

void HandleOptionsCommand(HWND window, int id)
{
    switch (id) {
    case IDOK:
        StoreChoices();
        EndDialog(window, IDOK);
        return;
    case IDCANCEL:
        EndDialog(window, IDCANCEL);
        return;
    }
    CheckBoxChoice* choice = FindChoice(id);
    if (choice) TakeCheckBoxChoice(window, *choice);
}

} // namespace

void InitOptionsDialog(HWND window)
{
    FindChoice(IDC_BLOOM)->checked = g_bloom;
    FindChoice(IDC_MOTION_BLUR)->checked = g_blur;
    ShowSetting(window, IDC_MOTION_BLUR, g_blur);
    ShowSetting(window, IDC_BLOOM, g_bloom);
    EnableMotionBlur(window, g_bloom != 0);
    ShowSetting(window, IDC_LENS_FLARE, g_lensflare);
    ShowSetting(window, IDC_SMOKE, g_dust);
}

INT_PTR CALLBACK OptionsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitOptionsDialog(window);
        CentreWindowOnScreen(window);
        return TRUE;
    case WM_COMMAND:
        HandleOptionsCommand(window, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        // A close request ends it the way it ends the start dialog.
        EndDialog(window, IDC_EXIT);
        return TRUE;
    }
    return FALSE;
}
