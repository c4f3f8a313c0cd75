// The slideshow as a user sees it: settings written first, the real saver
// started over a desktop of a known colour, and the screen read back.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/e2e.h"

namespace {

constexpr std::uint32_t kDesktop = 0x00A000, kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0;

// Red 400 x 300, centred at (312, 234) to (712, 534); blue 100 x 80, centred at (462, 344).
bool WriteRedAndBlue(const std::string &numbers) {
    const std::string red = e2e::ScratchPath("red.bmp"), blue = e2e::ScratchPath("blue.bmp");
    e2e::MoveCursorTo(5, 5);
    return e2e::WriteSolidBmp(red, 400, 300, kRed) && e2e::WriteSolidBmp(blue, 100, 80, kBlue) &&
           e2e::ClearSettings() && e2e::WriteSettings({red, blue}, "CenterPicture=1 " + numbers);
}

} // namespace

TEST(SlideshowE2E, EachPictureInTurnCentredFramedWithTheClockFadingInAndBackOutOnItsTimers) {
    // One frame a second at steps of 50: each fade is one frame at level 50; the hold is 2 s.
    ASSERT_TRUE(WriteRedAndBlue("FadeInStyle=7 FadeOutStyle=0 RefreshSpeed=1 StepSize=50 DisplayDuration=2"));
    e2e::Desktop desktop(kDesktop);
    e2e::Saver saver = e2e::Saver::Start("/s");
    e2e::Screenshot shot;
    ASSERT_TRUE(e2e::WaitForPixel(shot, 512, 384, kRed));
    const DWORD shown = GetTickCount();
    for (POINT p : {POINT{312, 400}, {711, 400}, {512, 234}, {512, 533}})
        EXPECT_EQ(shot.At(p.x, p.y), kBlack) << "frame line at " << p.x << "," << p.y;
    for (POINT p : {POINT{311, 400}, {712, 400}, {512, 233}, {5, 5}, {316, 294}})
        EXPECT_EQ(shot.At(p.x, p.y), p.x == 316 ? kRed : kDesktop) << "around and below the label " << p.x;
    // The clock label at the picture's top-left, no taller than a line of text, keeping the time.
    EXPECT_GT(shot.Share({313, 235, 373, 255}, e2e::SystemColour(COLOR_BTNFACE)), 0.5);
    const e2e::Screenshot held = shot;
    EXPECT_TRUE(e2e::WaitForScreen(
        shot, [&](const e2e::Screenshot &s) { return s.pixels != held.pixels; }, 2000));
    // Spoilt as by a window lying over it, then asked to paint: the whole frame comes back.
    HWND window = saver.WaitForWindow("WindowsScreenSaverClass", "Screen Saver");
    HDC dc = GetDC(window);
    PatBlt(dc, 500, 300, 40, 40, WHITENESS);
    ReleaseDC(window, dc);
    ASSERT_TRUE(e2e::WaitForPixel(shot, 510, 310, 0xFFFFFF, 1000));
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_TRUE(e2e::WaitForPixel(shot, 510, 310, kRed, 500)) << "drawn whole again";
    // Held 2 s, then the fade-out frame in the fade-in's style (Reverse) before the next picture: red corners.
    ASSERT_TRUE(e2e::WaitForPixel(shot, 512, 384, kDesktop));
    EXPECT_GE(GetTickCount() - shown, 2500u); // 3 s: shorter if the hold ran on another timer's period
    for (POINT p : {POINT{662, 270}, {362, 500}, {400, 300}}) EXPECT_EQ(shot.At(p.x, p.y), kRed) << "a corner";
    EXPECT_EQ(shot.At(470, 270), kDesktop) << "between the corners: Four Corners at level 50";
    ASSERT_TRUE(e2e::WaitForPixel(shot, 550, 415, kBlue)) << "in turn";
    EXPECT_EQ(shot.At(400, 300), kDesktop) << "the red picture removed";
    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST(SlideshowE2E, CollageFadesEachPictureOverTheEarlierOnes) {
    ASSERT_TRUE(WriteRedAndBlue("FadeInStyle=7 RefreshSpeed=1 StepSize=50 DisplayDuration=0 RemoveBitmaps=0 "
                                "DisplayTime=0"));
    e2e::Desktop desktop(kDesktop);
    e2e::Saver saver = e2e::Saver::Start("/s");
    e2e::Screenshot shot;
    ASSERT_TRUE(e2e::WaitForPixel(shot, 550, 415, kBlue)); // blue's corner, at level 50
    EXPECT_EQ(shot.At(512, 384), kRed) << "between blue's corners: red, stamped into the background";
    EXPECT_EQ(shot.At(400, 300), kRed) << "the red picture stays";
    EXPECT_EQ(shot.At(100, 100), kDesktop);
    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST(SlideshowE2E, AnEmptyListOnBlackOrPicturesThatAllFailLeaveTheScreenWithoutSpinningUntilAKey) {
    for (const auto &list : {std::vector<std::string>{}, {e2e::ScratchPath("missing.jpg"), "", "C:/no/a.jpg  "}}) {
        SCOPED_TRACE(testing::Message() << list.size() << " pictures");
        ASSERT_TRUE(e2e::ClearSettings() &&
                    e2e::WriteSettings(list, "DisplayDuration=1 ClearScreen=" + std::to_string(list.empty())));
        e2e::Desktop desktop(kDesktop);
        e2e::Saver saver = e2e::Saver::Start("/s");
        e2e::Settle(500);
        const std::uint64_t before = e2e::ProcessCpuMs(saver.ProcessId());
        e2e::Settle(2500);
        EXPECT_LT(e2e::ProcessCpuMs(saver.ProcessId()) - before, 500u) << "CPU milliseconds in 2.5 seconds";
        const e2e::Screenshot shot = e2e::CaptureScreen();
        EXPECT_EQ(shot.Share({0, 0, shot.width, shot.height}, list.empty() ? kBlack : kDesktop), 1.0)
            << "nothing drawn";
        e2e::PressKey(VK_SPACE);
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
}
