// The real saver on two monitors of different sizes (tests/e2e/monitors.sh
// gives it a display with two): each monitor runs its own show over its own
// part of the desktop, no picture crosses onto the other, a move on either closes.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/e2e.h"

namespace {

constexpr std::uint32_t kDesktop = 0x00A000, kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0;

RECT MonitorAt(int x) {
    MONITORINFO info = {sizeof(info), {}, {}, 0};
    GetMonitorInfoA(MonitorFromPoint({x, 0}, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcMonitor;
}

// Where a w x h picture shows when centred on the monitor: cut to it.
RECT Centred(const RECT &m, int w, int h) {
    const int left = (m.left + m.right) / 2 - w / 2, top = (m.top + m.bottom) / 2 - h / 2;
    RECT r = {left, top, left + w, top + h};
    IntersectRect(&r, &r, &m);
    return r;
}

} // namespace

TEST(MonitorsE2E, EachMonitorShowsItsOwnPicturesInTurnCutToItWithItsClockAndAMoveOnEitherCloses) {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "needs a display with two monitors";
    const RECT monitors[] = {MonitorAt(0), MonitorAt(GetSystemMetrics(SM_CXSCREEN))};
    // Red is wider than the smaller monitor, so on it, it would cross onto the other if not cut.
    const std::string red = e2e::ScratchPath("red.bmp"), blue = e2e::ScratchPath("blue.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(red, 900, 560, kRed) && e2e::WriteSolidBmp(blue, 200, 160, kBlue));
    ASSERT_TRUE(
        e2e::ClearSettings() &&
        e2e::WriteSettings(
            {red, blue}, {{"CenterPicture", 1}, {"FadeInStyle", 1}, {"FadeOutStyle", 2}, {"DisplayDuration", 2}}));
    e2e::MoveCursorTo(monitors[0].left + 5, monitors[0].top + 5);
    e2e::Desktop desktop(kDesktop);
    e2e::Saver saver = e2e::Saver::Start("/s");
    HWND window = saver.WaitForWindow("WindowsScreenSaverClass", "Screen Saver");
    ASSERT_NE(window, nullptr);
    RECT covered;
    GetWindowRect(window, &covered);
    EXPECT_EQ(covered.right - covered.left, GetSystemMetrics(SM_CXVIRTUALSCREEN)) << "covers every monitor";

    // The primary starts at the first picture, the other at the second; after the hold each goes on.
    e2e::Screenshot shot;
    for (int turn = 0; turn < 2; ++turn) {
        SCOPED_TRACE(testing::Message() << "turn " << turn);
        const RECT shown[] = {turn ? Centred(monitors[0], 200, 160) : Centred(monitors[0], 900, 560),
                              turn ? Centred(monitors[1], 900, 560) : Centred(monitors[1], 200, 160)};
        const std::uint32_t colours[] = {turn ? kBlue : kRed, turn ? kRed : kBlue};
        ASSERT_TRUE(e2e::WaitUntil(
            [&] {
                shot = e2e::CaptureScreen();
                return shot.At((shown[0].left + shown[0].right) / 2, shown[0].top + 30) == colours[0] &&
                       shot.At((shown[1].left + shown[1].right) / 2, shown[1].top + 30) == colours[1];
            },
            8000));
        for (int k = 0; k < 2; ++k) {
            const RECT &r = shown[k], &m = monitors[k];
            const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
            EXPECT_EQ(shot.At(cx, r.top), kBlack) << "frame line, top";
            EXPECT_EQ(shot.At(cx, r.bottom - 1), kBlack) << "frame line, bottom";
            EXPECT_EQ(shot.At(cx, r.top - 1), kDesktop) << "the desktop around it";
            EXPECT_EQ(shot.At(cx, r.bottom), kDesktop);
            EXPECT_NE(shot.At(m.left ? m.left - 1 : m.right, cy), colours[k]) << "nothing crosses onto the other";
            // The clock label in the picture's visible top-left corner, not in its top-right one.
            EXPECT_GT(shot.Share({r.left, r.top, r.left + 40, r.top + 20}, e2e::SystemColour(COLOR_BTNFACE)), 0.3);
            EXPECT_EQ(shot.Share({r.right - 40, r.top, r.right, r.top + 20}, e2e::SystemColour(COLOR_BTNFACE)),
                      0.0);
        }
    }
    e2e::MoveCursorTo(monitors[1].left + 40, monitors[1].top + 40); // a move on the other monitor
    EXPECT_EQ(saver.WaitForExit(), 0);
}
