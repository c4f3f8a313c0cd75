// The slideshow as a user sees it: settings written first, the real saver
// started over a desktop of a known colour, and the screen read back.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/e2e.h"

namespace {

constexpr std::uint32_t kDesktop = 0x00A000, kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0;

// Red 400 x 300, centred at (312, 234) to (712, 534); blue 100 x 80, centred at (462, 344).
std::vector<std::string> RedAndBlue() {
    const std::string red = e2e::ScratchPath("red.bmp"), blue = e2e::ScratchPath("blue.bmp");
    EXPECT_TRUE(e2e::WriteSolidBmp(red, 400, 300, kRed) && e2e::WriteSolidBmp(blue, 100, 80, kBlue));
    EXPECT_TRUE(e2e::ClearSettings());
    e2e::MoveCursorTo(5, 5);
    return {red, blue};
}

// Polls the screen until the predicate holds on a capture, which stays in shot.
template <typename Predicate>
bool WaitFor(e2e::Screenshot &shot, Predicate seen, DWORD timeoutMs = 5000) {
    return e2e::WaitUntil([&] { return seen(shot = e2e::CaptureScreen()); }, timeoutMs);
}
bool AtCentre(const e2e::Screenshot &s, std::uint32_t colour) { return s.At(512, 384) == colour; }

// The red picture at level 50 of Four Corners: its corners 100 x 75 show, the desktop between them.
bool RedCorners(const e2e::Screenshot &s) {
    return s.At(662, 270) == kRed && s.At(362, 500) == kRed && s.At(662, 500) == kRed && s.At(400, 300) == kRed &&
           s.At(512, 384) == kDesktop && s.At(470, 270) == kDesktop && s.At(362, 384) == kDesktop;
}

// The clock label's pixels, just inside the red picture's frame line.
std::vector<std::uint32_t> Label(const e2e::Screenshot &s) {
    std::vector<std::uint32_t> label;
    for (int y = 235; y < 255; ++y)
        label.insert(label.end(), &s.pixels[y * s.width + 313], &s.pixels[y * s.width + 373]);
    return label;
}

} // namespace

TEST(SlideshowE2E, EachPictureInTurnCentredFramedWithTheClockFadingInAndBackOutOnItsTimers) {
    // One frame a second at steps of 50: each fade is one frame at level 50; the hold is 2 s.
    ASSERT_TRUE(e2e::WriteSettings(RedAndBlue(), {{"CenterPicture", 1},
                                                  {"FadeInStyle", 7},
                                                  {"FadeOutStyle", 0},
                                                  {"RefreshSpeed", 1},
                                                  {"StepSize", 50},
                                                  {"DisplayDuration", 2}}));
    e2e::Desktop desktop(kDesktop);
    e2e::Saver saver = e2e::Saver::Start("/s");
    e2e::Screenshot shot;
    ASSERT_TRUE(WaitFor(shot, RedCorners)) << "fading in";
    ASSERT_TRUE(WaitFor(shot, [](const e2e::Screenshot &s) { return AtCentre(s, kRed); }));
    const DWORD shown = GetTickCount();
    for (const POINT &p : {POINT{312, 400}, POINT{711, 400}, POINT{512, 234}, POINT{512, 533}})
        EXPECT_EQ(shot.At(p.x, p.y), kBlack) << "frame line at " << p.x << "," << p.y;
    for (const POINT &p : {POINT{311, 400}, POINT{712, 400}, POINT{512, 233}, POINT{5, 5}, POINT{316, 294}})
        EXPECT_EQ(shot.At(p.x, p.y), p.x == 316 ? kRed : kDesktop) << "around and below the label " << p.x;
    // The clock label: at the picture's top-left, no taller than a line of text, keeping the time.
    EXPECT_GT(shot.Share({313, 235, 373, 255}, e2e::SystemColour(COLOR_BTNFACE)), 0.5);
    const std::vector<std::uint32_t> label = Label(shot);
    EXPECT_TRUE(WaitFor(
        shot, [&](const e2e::Screenshot &s) { return Label(s) != label; }, 2000))
        << "clock";
    // Held 2 s, then the fade-out frame in the fade-in's style (Reverse) before the next picture.
    ASSERT_TRUE(WaitFor(
        shot, [](const e2e::Screenshot &s) { return !AtCentre(s, kRed); }, 6000));
    const DWORD held = GetTickCount() - shown;
    EXPECT_TRUE(RedCorners(shot)) << "fading out in reverse";
    EXPECT_GE(held, 2700u);
    EXPECT_LE(held, 4500u);
    ASSERT_TRUE(WaitFor(
        shot, [](const e2e::Screenshot &s) { return AtCentre(s, kBlue); }, 4000))
        << "in turn";
    EXPECT_EQ(shot.At(400, 300), kDesktop) << "the red picture removed";
    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST(SlideshowE2E, CollageKeepsEarlierPicturesOverTheDesktopOrOverBlack) {
    for (DWORD clear : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "ClearScreen " << clear);
        ASSERT_TRUE(e2e::WriteSettings(RedAndBlue(), {{"CenterPicture", 1},
                                                      {"DisplayTime", 0},
                                                      {"ClearScreen", clear},
                                                      {"RemoveBitmaps", 0},
                                                      {"DisplayDuration", 0},
                                                      {"FadeInStyle", 1}}));
        e2e::Desktop desktop(kDesktop);
        e2e::Saver saver = e2e::Saver::Start("/s");
        e2e::Screenshot shot;
        ASSERT_TRUE(WaitFor(shot, [](const e2e::Screenshot &s) { return AtCentre(s, kBlue); }));
        EXPECT_EQ(shot.At(400, 300), kRed) << "where the red picture was";
        EXPECT_EQ(shot.At(100, 100), clear ? kBlack : kDesktop);
        e2e::PressKey(VK_SPACE);
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
}

TEST(SlideshowE2E, AnEmptyListOrPicturesThatAllFailLeaveTheDesktopWithoutSpinningUntilAKey) {
    const std::vector<std::string> failing = {e2e::ScratchPath("missing.jpg"), "", e2e::ScratchPath(""),
                                              "C:/no such folder/picture.jpg  "};
    for (const auto &list : {std::vector<std::string>{}, failing}) {
        SCOPED_TRACE(testing::Message() << list.size() << " pictures");
        ASSERT_TRUE(e2e::ClearSettings() && e2e::WriteSettings(list, {{"DisplayDuration", 1}}));
        e2e::Desktop desktop(kDesktop);
        e2e::Saver saver = e2e::Saver::Start("/s");
        e2e::Settle(500);
        const std::uint64_t before = e2e::ProcessCpuMs(saver.ProcessId());
        e2e::Settle(2500);
        EXPECT_LT(e2e::ProcessCpuMs(saver.ProcessId()) - before, 500u) << "CPU milliseconds in 2.5 seconds";
        const e2e::Screenshot shot = e2e::CaptureScreen();
        EXPECT_EQ(shot.Share({0, 0, shot.width, shot.height}, kDesktop), 1.0) << "nothing drawn";
        e2e::PressKey(VK_SPACE);
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
}
