// Configuration user interface: the configuration dialog (IDD_CONFIG), the
// Picture Size (IDD_PICTURE_SIZE), About (IDD_ABOUT) and picture viewer
// (IDD_PICTURE_VIEWER) dialogs, and the centring that all four use. The
// dialogs load their templates, strings and icons from the module instance.
// The host opens the configuration dialog; tests and the benchmark may host
// the three dialog procedures from their templates, after RegisterDialogClasses.
#pragma once

#include <windows.h>

// The modal configuration dialog: 1 after OK, 0 after Cancel, -1 when it cannot be created.
INT_PTR ShowConfigDialog(HWND owner);

// The dialog-class step before the configuration dialog opens: registers no
// classes of its own, readies the common controls, always TRUE.
BOOL RegisterDialogClasses(HINSTANCE instance);

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// lParam of WM_INITDIALOG: the Settings record whose MaxWidth and MaxHeight OK sets.
INT_PTR CALLBACK PictureSizeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
