// The saver window hosted in the test process, for what another process
// cannot see: the input method detached while the saver runs, and back at its end.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include "host/host.h"

namespace {

HWND parentWindow = nullptr;
HWND saverWindow = nullptr;
HIMC contextWhileRunning = reinterpret_cast<HIMC>(-1);
HIMC contextAfterDestroy = nullptr;
HHOOK hook = nullptr;

// Runs after each message a window procedure of this thread has handled.
LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto *message = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && message->hwnd == saverWindow && message->message == WM_DESTROY)
        contextAfterDestroy = ImmGetContext(saverWindow);
    return CallNextHookEx(hook, code, wParam, lParam);
}

void CALLBACK InspectAndEnd(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    saverWindow = FindWindowExA(parentWindow, nullptr, "WindowsScreenSaverClass", "Preview");
    contextWhileRunning = ImmGetContext(saverWindow);
    DestroyWindow(parentWindow); // ends the preview and its message loop
}

} // namespace

TEST(SaverWindowInProcess, InputMethodIsDetachedWhileRunningAndRestoredAtTheEnd) {
    ASSERT_NE(GetModuleHandleA("IMM32.DLL"), nullptr) << "the platform loads the input-method manager";
    parentWindow = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 150,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parentWindow, nullptr);
    hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
    SetTimer(nullptr, 0, 300, InspectAndEnd);

    EXPECT_EQ(RunSaverWindow(parentWindow), 0);
    UnhookWindowsHookEx(hook);

    ASSERT_NE(saverWindow, nullptr);
    EXPECT_EQ(contextWhileRunning, nullptr) << "no input context while the saver runs";
    EXPECT_NE(contextAfterDestroy, nullptr) << "the window's own context is back at its end";
}
