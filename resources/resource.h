// Every resource, control, command and timer number of the saver, in one place.
// Included by C++ and by the resource compiler: plain #defines only.
#pragma once

// String table
#define IDS_DISPLAY_NAME      1
#define IDS_KEY_PREFIX        2
#define IDS_IMAGE_COUNT       3
#define IDS_FILE_DIRECTORY    4
#define IDS_DISPLAY_DURATION  5
#define IDS_IMAGE_SIZE        6
#define IDS_REFRESH_SPEED     7
#define IDS_CLEAR_SCREEN      8
#define IDS_REMOVE_BITMAPS    9
#define IDS_FILTER_INDEX      10
#define IDS_FADE_IN_STYLE     12
#define IDS_FADE_OUT_STYLE    13
#define IDS_STEP_SIZE         14
#define IDS_KEY_CLASS         15
#define IDS_DISPLAY_TIME      16
#define IDS_CENTER_PICTURE    17
#define IDS_RESTRICT_SIZE     18
#define IDS_MAX_WIDTH         19
#define IDS_MAX_HEIGHT        20

// Dialog templates
#define IDD_CONFIG            2003
#define IDD_ABOUT             113
#define IDD_PICTURE_SIZE      115
#define IDD_PICTURE_VIEWER    109

// Slideshow commands and timers
#define CMD_NEXT_PICTURE      102
#define TIMER_FADE_IN         103
#define TIMER_FADE_OUT        104
#define TIMER_HOLD            105
#define CMD_FADE_IN_STEP      106
#define CMD_FADE_OUT_STEP     107
#define TIMER_CLOCK           108
// Each monitor's show: the ids above plus its index times this (the primary's are the ids above)
#define SHOW_ID_STRIDE        1000

// Icons (group icon resources). IDI_APP has the lowest id, so Explorer, the
// Start menu and the uninstall list show it as the file's own icon.
#define IDI_APP               1
#define IDI_ADD               103
#define IDI_CLEAR_ALL         104
#define IDI_UP                105
#define IDI_DOWN              106
#define IDI_DELETE            107
#define IDI_SHOW              108
#define IDI_ABOUT             110
#define IDI_HAYULP            114

// Configuration dialog (2003)
#define IDC_FILE_LIST         1002
#define IDC_UP                1003
#define IDC_ADD               1004
#define IDC_DELETE            1005
#define IDC_DOWN              1006
#define IDC_CLEAR_ALL         1007
#define IDC_CLEAR_SCREEN      1008
#define IDC_REMOVE_BITMAPS    1009
#define IDC_IMAGE_SIZE_BAR    1011
#define IDC_FADE_IN_LIST      1013
#define IDC_FADE_OUT_LIST     1014
#define IDC_DURATION_BAR      1015
#define IDC_SPEED_BAR         1016
#define IDC_IMAGE_SIZE_LABEL  1017
#define IDC_DURATION_LABEL    1018
#define IDC_SPEED_LABEL       1019
#define IDC_SHOW              1020
#define IDC_STEP_LABEL        1021
#define IDC_STEP_BAR          1022
#define IDC_DISPLAY_TIME      1023
#define IDC_CENTER_PICTURE    1024
#define IDC_HAYULP            1025
#define IDC_RESTRICT_SIZE     1026

// Picture Size dialog (115)
#define IDC_WIDTH_640         1027
#define IDC_WIDTH_800         1028
#define IDC_WIDTH_1024        1029
#define IDC_WIDTH_OTHER       1030
#define IDC_HEIGHT_EDIT       1031
#define IDC_HEIGHT_480        1032
#define IDC_HEIGHT_600        1033
#define IDC_HEIGHT_768        1034
#define IDC_HEIGHT_OTHER      1035
#define IDC_WIDTH_EDIT        1036

// About dialog (113)
#define IDC_DESCRIPTION       1022
