// The real saver on two monitors of different sizes (tests/e2e/monitors.sh
// gives it a display with two): each monitor runs its own show over its own
// part of the desktop, no picture crosses onto the other, a move on either closes.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/e2e.h"

namespace {

constexpr std::uint32_t kDesktop = 0x00A000, kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0;

// Where a w x h picture shows when centred on the monitor at x: cut to the monitor.
RECT Centred(int x, int w, int h) {
    MONITORINFO info = {sizeof(info), {}, {}, 0};
    GetMonitorInfoA(MonitorFromPoint({x, 0}, MONITOR_DEFAULTTONEAREST), &info);
    const RECT &m = info.rcMonitor;
    const int left = (m.left + m.right) / 2 - w / 2, top = (m.top + m.bottom) / 2 - h / 2;
    RECT r = {left, top, left + w, top + h};
    IntersectRect(&r, &r, &m);
    return r;
}

} // namespace

TEST(MonitorsE2E, EachMonitorShowsItsOwnPicturesInTurnCutToItWithItsClockAndAMoveOnEitherCloses) {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "needs a display with two monitors";
    const int second = GetSystemMetrics(SM_CXSCREEN); // the other monitor's left edge
    // Red is wider than the smaller monitor: there it would cross onto the other if not cut.
    const std::string red = e2e::ScratchPath("red.bmp"), blue = e2e::ScratchPath("blue.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(red, 900, 560, kRed) && e2e::WriteSolidBmp(blue, 200, 160, kBlue));
    ASSERT_TRUE(e2e::ClearSettings() &&
                e2e::WriteSettings({red, blue}, "CenterPicture=1 FadeInStyle=1 FadeOutStyle=2 DisplayDuration=2"));
    e2e::MoveCursorTo(5, 5);
    e2e::Desktop desktop(kDesktop);
    e2e::Saver saver = e2e::Saver::Start("/s");
    // The primary starts at the first picture, the other at the second; after the hold each goes on.
    e2e::Screenshot shot;
    for (int turn = 0; turn < 2; ++turn) {
        SCOPED_TRACE(testing::Message() << "turn " << turn);
        for (int k = 0; k < 2; ++k) {
            const bool isRed = k == turn;
            const RECT r = Centred(k ? second : 0, isRed ? 900 : 200, isRed ? 560 : 160);
            const int cx = (r.left + r.right) / 2;
            ASSERT_TRUE(e2e::WaitForPixel(shot, cx, r.bottom - 30, isRed ? kRed : kBlue, 8000));
            EXPECT_EQ(shot.At(cx, r.top), kBlack) << "frame line";
            EXPECT_EQ(shot.At(cx, r.top - 1), kDesktop) << "the desktop above it";
            EXPECT_NE(shot.At(k ? second - 1 : second, r.top + 30), isRed ? kRed : kBlue) << "crossed the border";
            // The clock label in the picture's visible top-left corner.
            EXPECT_GT(shot.Share({r.left, r.top, r.left + 40, r.top + 20}, e2e::SystemColour(COLOR_BTNFACE)), 0.3);
        }
    }
    e2e::MoveCursorTo(second + 40, 40);
    EXPECT_EQ(saver.WaitForExit(), 0);
}
