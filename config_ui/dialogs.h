// What the dialogs of config_ui share among themselves: their procedures,
// the viewer and the centring. Internal to config_ui; config_ui.h is what the
// rest of the program sees.
#pragma once

#include "config_ui/config_ui.h"

// Enables the list buttons of the configuration dialog for its list's selection.
void UpdateListButtons(HWND dialog);

// lParam of WM_INITDIALOG: the picture's path.
INT_PTR CALLBACK PictureViewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the picture at its own size, modal over the owner; returns when it closes (0).
INT_PTR ShowPictureViewer(HWND owner, const char *path);

// Centres the window over its parent (a dialog's owner) or the desktop, keeping
// its size and Z order; the left and top edges never go below 0.
void CentreWindow(HWND window);
