// The full-screen saver and the preview window as a user meets them: what
// appears, and what closes it and what does not.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/e2e.h"

using e2e::Saver;

namespace {

constexpr char kClass[] = "WindowsScreenSaverClass";
constexpr char kTitle[] = "Screen Saver";

// The full-screen saver, started with the cursor at a known place.
struct FullScreen {
    Saver saver;
    HWND window;
    explicit FullScreen(int x = 300, int y = 300) : saver(StartAt(x, y)) {
        window = saver.WaitForWindow(kClass, kTitle);
        e2e::Settle(300); // the window is shown and active before input arrives
    }
    // The pointer settles where the start point will be before the saver reads it.
    static Saver StartAt(int x, int y) {
        e2e::MoveCursorTo(x, y);
        e2e::Settle(250);
        return Saver::Start("/s");
    }
};

bool StaysOpen(Saver &saver) { return !saver.WaitForExit(600).has_value(); }

// A top-level window of the test's own that records the help messages it gets.
class PreviewHost {
public:
    PreviewHost() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QuillomirPreviewHost";
        RegisterClassA(&windowClass);
        RECT r = {0, 0, 152, 112};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        window = CreateWindowExA(0, "QuillomirPreviewHost", "Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 40, 40, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        e2e::Settle(100);
    }
    ~PreviewHost() {
        if (IsWindow(window)) DestroyWindow(window);
        e2e::PumpMessages();
    }
    HWND window;
    static UINT lastMessage;
    static WPARAM lastWParam;
    static LPARAM lastLParam;
    static int lastHelpContext;

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_HELP || m == WM_CONTEXTMENU) {
            if (m == WM_HELP) lastHelpContext = reinterpret_cast<const HELPINFO *>(lp)->iContextType;
            lastMessage = m;
            lastWParam = wp;
            lastLParam = lp;
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
};
UINT PreviewHost::lastMessage = 0;
WPARAM PreviewHost::lastWParam = 0;
LPARAM PreviewHost::lastLParam = 0;
int PreviewHost::lastHelpContext = 0;

} // namespace

TEST(SaverWindowE2E, FullScreenWindowIsATopmostBlackPopupOverTheWholeScreen) {
    FullScreen run;
    ASSERT_NE(run.window, nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(run.window, GWL_STYLE)), 0x96000000u);
    EXPECT_TRUE(GetWindowLongA(run.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetClassLongA(run.window, GCL_STYLE), 0x2B);
    EXPECT_EQ(GetClassLongPtrA(run.window, GCLP_HCURSOR), 0);
    EXPECT_EQ(GetClassLongPtrA(run.window, GCLP_HICON), 0);
    RECT r;
    GetWindowRect(run.window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetForegroundWindow(), run.window);
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    ASSERT_TRUE(GetCursorInfo(&cursor));
    EXPECT_EQ(cursor.hCursor, nullptr) << "the cursor is hidden over the saver";

    e2e::Screenshot shot = e2e::CaptureScreen();
    EXPECT_EQ(shot.Share({0, 0, shot.width, shot.height}, 0x000000), 1.0) << "the saver shows black";

    // Its title never changes.
    EXPECT_EQ(SendMessageA(run.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")), 0);
    char title[64] = "";
    GetWindowTextA(run.window, title, sizeof(title));
    EXPECT_STREQ(title, kTitle);
    EXPECT_TRUE(StaysOpen(run.saver));
}

TEST(SaverWindowE2E, MouseMoveOfFourStaysFiveCloses) {
    FullScreen run;
    ASSERT_NE(run.window, nullptr);
    e2e::MoveCursorTo(303, 301);
    EXPECT_TRUE(StaysOpen(run.saver));
    e2e::MoveCursorTo(303, 302);
    EXPECT_EQ(run.saver.WaitForExit(), 0);
}

TEST(SaverWindowE2E, SmallMovesAddUpFromTheStartPoint) {
    FullScreen run;
    ASSERT_NE(run.window, nullptr);
    e2e::MoveCursorTo(302, 300);
    EXPECT_TRUE(StaysOpen(run.saver));
    e2e::MoveCursorTo(304, 300);
    EXPECT_TRUE(StaysOpen(run.saver));
    e2e::MoveCursorTo(305, 300); // 1 from the last position, 5 from the start
    EXPECT_EQ(run.saver.WaitForExit(), 0);
}

TEST(SaverWindowE2E, AnyKeyAndAnyButtonPressCloses) {
    struct Input {
        const char *name;
        void (*give)();
    };
    const Input inputs[] = {
        {"letter key", [] { e2e::PressKey('Q'); }},
        {"Alt", [] { e2e::PressKey(VK_MENU); }},
        {"F10", [] { e2e::PressKey(VK_F10); }},
        {"left button", [] { e2e::PressMouseButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }},
        {"right button", [] { e2e::PressMouseButton(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }},
        {"middle button", [] { e2e::PressMouseButton(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP); }},
    };
    for (const Input &input : inputs) {
        SCOPED_TRACE(input.name);
        FullScreen run;
        ASSERT_NE(run.window, nullptr);
        input.give();
        EXPECT_EQ(run.saver.WaitForExit(), 0);
    }
}

TEST(SaverWindowE2E, ButtonUpAndWheelDoNotClose) {
    FullScreen run;
    ASSERT_NE(run.window, nullptr);
    e2e::PressMouseButton(0, MOUSEEVENTF_LEFTUP);
    e2e::PressMouseButton(0, MOUSEEVENTF_RIGHTUP);
    e2e::ScrollWheel(WHEEL_DELTA);
    e2e::ScrollWheel(-WHEEL_DELTA);
    EXPECT_TRUE(StaysOpen(run.saver));
}

TEST(SaverWindowE2E, SwitchCommandsAreRefusedButOtherSystemCommandsPass) {
    FullScreen run;
    ASSERT_NE(run.window, nullptr);
    for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE})
        EXPECT_EQ(SendMessageA(run.window, WM_SYSCOMMAND, command, 0), 0);
    EXPECT_TRUE(StaysOpen(run.saver));
    SendMessageA(run.window, WM_SYSCOMMAND, SC_CLOSE, 0); // default processing: a close
    EXPECT_EQ(run.saver.WaitForExit(), 0);
}

TEST(SaverWindowE2E, AnotherApplicationBecomingActiveCloses) {
    FullScreen run;
    ASSERT_NE(run.window, nullptr);
    PreviewHost other; // any window of another application
    SetForegroundWindow(other.window);
    EXPECT_EQ(run.saver.WaitForExit(), 0);
}

TEST(SaverWindowE2E, SecondStartBringsTheFirstToTheFrontAndEndsWithZero) {
    FullScreen first;
    ASSERT_NE(first.window, nullptr);
    Saver second = Saver::Start("/s");
    EXPECT_EQ(second.WaitForExit(), 0);
    EXPECT_TRUE(first.saver.IsRunning());
    EXPECT_EQ(FindWindowA(kClass, kTitle), first.window) << "no second saver window";
    EXPECT_EQ(GetForegroundWindow(), first.window);
}

TEST(SaverWindowE2E, PreviewIgnoresInputAndForwardsHelpToItsHost) {
    PreviewHost host;
    Saver saver = Saver::Start("/p " + std::to_string(reinterpret_cast<UINT_PTR>(host.window)));
    HWND preview = e2e::WaitForChildWindow(host.window, kClass, "Preview");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(preview) != FALSE; }));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(preview, GWL_STYLE)), 0x52000000u);
    EXPECT_EQ(GetWindowLongA(preview, GWL_EXSTYLE), 0);
    RECT client, r;
    GetClientRect(host.window, &client);
    GetWindowRect(preview, &r);
    MapWindowPoints(nullptr, host.window, reinterpret_cast<POINT *>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, client.right);
    EXPECT_EQ(r.bottom, client.bottom);

    // Nothing a user does closes the preview.
    POINT centre = {76, 56};
    ClientToScreen(preview, &centre);
    e2e::MoveCursorTo(centre.x, centre.y);
    e2e::MoveCursorTo(centre.x + 30, centre.y + 20);
    PostMessageA(preview, WM_KEYDOWN, 'Q', 0);
    PostMessageA(preview, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
    PostMessageA(preview, WM_RBUTTONDOWN, 0, MAKELPARAM(5, 5));
    PostMessageA(preview, WM_ACTIVATEAPP, 0, 0);
    EXPECT_TRUE(StaysOpen(saver));
    EXPECT_TRUE(IsWindow(preview));

    // Help and context-menu requests go on to the host, with its own handle.
    EXPECT_EQ(SendMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(12, 34)), 1);
    EXPECT_TRUE(e2e::WaitUntil([] { return PreviewHost::lastMessage == WM_CONTEXTMENU; }));
    EXPECT_EQ(PreviewHost::lastWParam, reinterpret_cast<WPARAM>(host.window));
    EXPECT_EQ(PreviewHost::lastLParam, MAKELPARAM(12, 34));
    HELPINFO help = {};
    help.cbSize = sizeof(help);
    help.iContextType = HELPINFO_WINDOW;
    EXPECT_EQ(SendMessageA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
    EXPECT_TRUE(e2e::WaitUntil([] { return PreviewHost::lastMessage == WM_HELP; }));
    EXPECT_EQ(PreviewHost::lastWParam, reinterpret_cast<WPARAM>(host.window));
    EXPECT_EQ(PreviewHost::lastHelpContext, HELPINFO_WINDOW) << "the help request arrives whole";

    DestroyWindow(host.window); // the host's end is the preview's end
    EXPECT_EQ(saver.WaitForExit(), 0);
}
