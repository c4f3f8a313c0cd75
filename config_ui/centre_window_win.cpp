// CentreWindow: places a window over its parent or the desktop. Only moves
// the window: its size and place in the Z order stay as they are.
#include "config_ui/dialogs.h"

#include "config_ui/option_rules.h"

void CentreWindow(HWND window) {
    HWND reference = GetParent(window);
    if (!reference) reference = GetDesktopWindow();
    RECT own = {}, over = {};
    GetWindowRect(window, &own);
    GetWindowRect(reference, &over);
    const int x = CentredStart(over.left, over.right - over.left, own.right - own.left);
    const int y = CentredStart(over.top, over.bottom - over.top, own.bottom - own.top);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
