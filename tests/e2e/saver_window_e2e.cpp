// The full-screen saver and the preview window as a user meets them: what
// appears, and what closes it and what does not.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/e2e.h"

using e2e::Saver;

namespace {
constexpr char kClass[] = "WindowsScreenSaverClass";

// The last help request the preview's host received: message, wParam, and lParam or help context.
UINT hostGot = 0;
WPARAM hostWParam = 0;
LPARAM hostDetail = 0;
LRESULT CALLBACK PreviewHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_HELP && message != WM_CONTEXTMENU) return DefWindowProcA(window, message, wParam, lParam);
    hostWParam = wParam;
    hostDetail = message == WM_HELP ? reinterpret_cast<const HELPINFO *>(lParam)->iContextType : lParam;
    hostGot = message;
    return 0;
}
} // namespace

TEST(SaverWindowE2E, FullScreenCoversTheScreenStaysAloneAndClosesOnAMoveOfFive) {
    e2e::MoveCursorTo(300, 300); // the start point
    e2e::Settle(250);
    Saver saver = Saver::Start("/s");
    HWND window = saver.WaitForWindow(kClass, "Screen Saver");
    ASSERT_NE(window, nullptr);
    e2e::Settle(300); // shown and active before input arrives
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x96000000u) << "a popup, no caption";
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r, screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(window, &r);
    EXPECT_TRUE(EqualRect(&r, &screen));
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    EXPECT_TRUE(GetCursorInfo(&cursor) && cursor.hCursor == nullptr) << "the cursor is hidden";
    EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")), 0);
    // A second start finds this one by its unchanged title and ends.
    EXPECT_EQ(Saver::Start("/s").WaitForExit(), 0);
    // Button releases and the wheel leave it running.
    e2e::PressMouseButton(0, MOUSEEVENTF_LEFTUP);
    e2e::ScrollWheel(WHEEL_DELTA);
    // Moves count from the start point: 2, then 4 stay; 5, one more from the last, closes.
    e2e::MoveCursorTo(302, 300);
    e2e::MoveCursorTo(303, 301);
    EXPECT_FALSE(saver.WaitForExit(600)) << "stays open";
    e2e::MoveCursorTo(303, 302);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST(SaverWindowE2E, PreviewFillsItsHostIgnoresInputForwardsHelpAndEndsWithTheHost) {
    WNDCLASSA hostClass = {0,       PreviewHostProc, 0,       0,       GetModuleHandleA(nullptr),
                           nullptr, nullptr,         nullptr, nullptr, "QuillomirPreviewHost"};
    RegisterClassA(&hostClass);
    HWND host = CreateWindowExA(0, hostClass.lpszClassName, "Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                40, 40, 200, 150, nullptr, nullptr, nullptr, nullptr);
    Saver saver = Saver::Start("/p " + std::to_string(reinterpret_cast<UINT_PTR>(host)));
    HWND preview = e2e::WaitForChildWindow(host, kClass, "Preview");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(e2e::WaitUntil([&] { return GetWindowLongA(preview, GWL_STYLE) == 0x52000000; }))
        << "a visible child";
    RECT client, inside;
    GetClientRect(host, &client);
    GetWindowRect(preview, &inside);
    MapWindowPoints(nullptr, host, reinterpret_cast<POINT *>(&inside), 2);
    EXPECT_TRUE(EqualRect(&client, &inside)) << "the preview fills its host";

    // Nothing a user does closes the preview.
    POINT centre = {client.right / 2, client.bottom / 2};
    ClientToScreen(preview, &centre);
    e2e::MoveCursorTo(centre.x, centre.y);
    e2e::MoveCursorTo(centre.x + 30, centre.y + 20);
    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_ACTIVATEAPP})
        PostMessageA(preview, message, 0, 0);
    EXPECT_FALSE(saver.WaitForExit(600)) << "stays open";

    // Help and context-menu requests go on to the host, with its own handle, and arrive whole.
    EXPECT_EQ(SendMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(12, 34)), 1);
    EXPECT_TRUE(e2e::WaitUntil([] { return hostGot == WM_CONTEXTMENU; }));
    EXPECT_EQ(hostWParam, reinterpret_cast<WPARAM>(host));
    EXPECT_EQ(hostDetail, MAKELPARAM(12, 34));
    HELPINFO help = {sizeof(help), HELPINFO_MENUITEM, 0, nullptr, 0, {0, 0}};
    EXPECT_EQ(SendMessageA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
    EXPECT_TRUE(e2e::WaitUntil([] { return hostGot == WM_HELP; }));
    EXPECT_EQ(hostWParam, reinterpret_cast<WPARAM>(host));
    EXPECT_EQ(hostDetail, HELPINFO_MENUITEM);

    DestroyWindow(host);
    EXPECT_EQ(saver.WaitForExit(), 0);
}
