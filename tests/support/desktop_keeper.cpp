// Holds one hidden top-level window for as long as it runs, so that Wine keeps
// the test display's desktop alive between test programs. A desktop started
// afresh recentres the pointer, which a saver under test would take for a move.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "Quillomir test desktop keeper", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
