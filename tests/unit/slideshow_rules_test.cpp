// Slideshow decisions with the numbers a user meets: timer periods, the style
// lists, scale caps, placement, level steps and the preview's pace and fit.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "slideshow/slideshow_rules.h"

namespace {
int Never() { return ADD_FAILURE() << "no random number may be drawn here", 0; }
int Eleven() { return 11; }
} // namespace

TEST(SlideshowRules, TimerPeriodsAndThePreviewsPace) {
    // 25 fps: 40 ms; 0 fps: one frame a second; too fast: the shortest interval; no overflow of x 1000.
    EXPECT_EQ(std::vector<std::uint32_t>({FadeTimerPeriod(25), FadeTimerPeriod(0), FadeTimerPeriod(2000),
                                          HoldTimerPeriod(5), HoldTimerPeriod(INT_MAX), HoldTimerPeriod(-7)}),
              std::vector<std::uint32_t>({40, 1000, 0, 5000, 0x7FFFFFFF, 0}));
    EXPECT_EQ(std::vector<std::uint32_t>({PreviewPeriod(25, 10, 5, true), PreviewPeriod(25, 10, 5, false),
                                          PreviewPeriod(25, 3, 5, true), PreviewPeriod(0, 0, 0, true),
                                          PreviewPeriod(25, 101, 5, true), PreviewPeriod(25, 10, INT_MAX, true)}),
              std::vector<std::uint32_t>({5800, 5400, 7640, 200000, 5000, 0x7FFFFFFF}));
    const PreviewFit fit = FitPreview(152, 112, 640, 480), small = FitPreview(152, 112, 50, 50); // small ones grow
    EXPECT_EQ(
        std::vector<int>({fit.scale, fit.width, fit.height, fit.x, fit.y, small.scale, small.width, small.x}),
        std::vector<int>({23, 147, 110, 3, 1, 224, 112, 20}));
    EXPECT_EQ(FitPreview(152, 112, 0, 480).width, 0);
}

TEST(SlideshowRules, StylesScaleAndPlacement) {
    for (int index = 1; index <= 7; ++index) EXPECT_EQ(ChooseFadeInStyle(index, Never), index - 1);
    for (int index = 2; index <= 8; ++index) EXPECT_EQ(ChooseFadeOutStyle(5, index, Never), index - 2);
    EXPECT_EQ(ChooseFadeInStyle(8, Never) + ChooseFadeInStyle(-1, Never) + ChooseFadeOutStyle(5, 9, Never), 0);
    EXPECT_EQ(ChooseFadeInStyle(0, Eleven) + ChooseFadeOutStyle(2, 1, Eleven), 12); // (11 mod 6) + 1, never 0
    // The smallest of the caps.
    EXPECT_EQ(EffectiveScale(150, true, 640, 480, 1024, 768), 62);
    EXPECT_EQ(EffectiveScale(150, false, 640, 480, 1024, 768), 150);
    EXPECT_EQ(EffectiveScale(100, true, 640, 100, 200, 400), 25);
    EXPECT_EQ(EffectiveScale(100, true, INT_MAX, INT_MAX, 1, 1), 100); // no overflow of x 100
    EXPECT_EQ(PlaceAxis(1024, 640, 150, true, Never), 32);
    EXPECT_EQ(PlaceAxis(1024, 800, 100, false, Eleven), 11 % 224);
    EXPECT_EQ(PlaceAxis(1024, 1024, 100, false, Never), 0); // as large as the window: centred
    bool done = false;
    EXPECT_TRUE(FadeInLevel(50, INT_MAX, &done) == 100 && done && FadeOutLevel(-100, INT_MAX, &done) == 0 && done);
}
