#pragma once
// Resource numbers shared by the resource script and the code.

#define IDS_DESCRIPTION 1
#define IDS_TITLE 102
#define IDS_CLASS_NAME 120
#define IDS_ABOUT_FIRST_NOTE 3000
#define IDS_ABOUT_FREE_USE 3001
#define IDS_ABOUT_SYSTEMS 3002
#define IDS_RESET_QUESTION 3200
#define IDS_RESET_CAPTION 3202
#define IDS_RESET_NOTICE 3203
#define IDS_SETTINGS_FAILED 3204
#define IDS_TAB_DISPLAY 3301
#define IDS_TAB_APPLICATION 3302
#define IDS_MODE_SIZE 3400
#define IDS_MODE_BITS 3401
#define IDS_MODE_DEFAULT_RATE 3402
#define IDS_MODE_RATE 3403
#define IDS_PLACEMENT_CENTERED 3420
#define IDS_PLACEMENT_FILLED 3421
#define IDS_PLACEMENT_FITTED 3422
#define IDS_PLACEMENT_STRETCHED 3423

// The shell, the program list and the installer take the file's first icon
// group, the lowest id: this one, in every size they ask for.
#define IDI_PROGRAM_SHELL 100
#define IDI_PROGRAM 108
#define IDI_PROGRAM_SMALL 109
#define IDI_PROGRAM_16 110

#define IDD_ABOUT 103
#define IDD_DISPLAY_PAGE 151
#define IDD_APPLICATION_PAGE 152
#define IDD_SETTINGS 2003

// Scene pictures. The fog's two are of our own resource type "JPG".
#define IDB_CUBE_FACE 180
#define IDB_BUTTERFLY_BLUE 450
#define IDB_BUTTERFLY_RED 451
#define IDB_BUTTERFLY_GREEN 452
#define IDB_BUTTERFLY_MASK 453
#define IDB_STAR_FLARE 470
#define IDR_FOG_BANNER 460
#define IDR_FOG_CLOUDS 461

// Controls without an id of their own.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Settings dialog
#define IDC_RESET 83
#define IDC_ABOUT 104
#define IDC_TABS 140

// Display page
#define IDC_SWITCH_DISPLAY 200
#define IDC_MODE_LIST 201
#define IDC_SELECT_CURRENT_MODE 202
#define IDC_USE_ONE_MONITOR 203

// Application page
#define IDC_SHOW_DESKTOP 210
#define IDC_SCENE_LIST 212
#define IDC_LOGO_PATH 213
#define IDC_BROWSE_LOGO 214
#define IDC_PLACEMENT_LIST 215
#define IDC_BACK_COLOR 216

// About dialog
#define IDC_ABOUT_ICON 80
#define IDC_ABOUT_TITLE 1000
#define IDC_ABOUT_LEGAL 1001
#define IDC_ABOUT_LINK 1002
#define IDC_ABOUT_FIRST_NOTE 1003
#define IDC_ABOUT_SECOND_NOTE 1004
