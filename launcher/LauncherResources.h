#pragma once

// Identifiers of the launcher's dialog templates and their controls, shared
// by the resource script and the dialog procedures.

#define IDD_LAUNCHER 101
#define IDD_OPTIONS 105

// Start dialog. The dialog ends with the identifier of the button that ended it.
#define IDC_START_GAME 1000
#define IDC_GAME_SETTINGS 1001
#define IDC_EXIT 1002
#define IDC_START_WINDOWED 1003
#define IDC_START_FULLSCREEN 1004
#define IDC_README 1005
#define IDC_WEB_VIEW_AREA 1026

// Options dialog; IDOK and IDCANCEL are its OK and Cancel buttons.
#define IDC_MOTION_BLUR 1007
#define IDC_LENS_FLARE 1008
#define IDC_BLOOM 1009
#define IDC_SMOKE 1010
// Check boxes the options dialog answers to but its template does not place.
#define IDC_SPARE_OPTION_1 1011
#define IDC_SPARE_OPTION_2 1016
#define IDC_SPARE_OPTION_3 1017
#define IDC_SPARE_OPTION_4 1018
