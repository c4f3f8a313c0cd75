// Configuration user interface: the configuration dialog and its helpers.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Stands in for the configuration dialog while its template is absent:
// a small dialog that says so and ends with 0.
INT_PTR ShowPlaceholderConfigDialog(HINSTANCE instance, HWND owner);
