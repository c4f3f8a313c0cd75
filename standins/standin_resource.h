// Dialog and control numbers of the two stand-in DLLs.
// Included by C++ and by the resource compiler: plain #defines only.
#pragma once

#define IDD_VERIFY_PASSWORD    100
#define IDD_CHANGE_PASSWORD    101

#define IDC_PROMPT_TEXT        1001
#define IDC_PASSWORD           1002
#define IDC_OLD_LABEL          1003
#define IDC_OLD_PASSWORD       1004
#define IDC_NEW_PASSWORD       1005
#define IDC_CONFIRM_PASSWORD   1006

#ifndef IDC_STATIC
#define IDC_STATIC             (-1)
#endif
