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
