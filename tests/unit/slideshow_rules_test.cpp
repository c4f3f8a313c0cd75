// Slideshow decisions with the numbers a user meets: frame and hold timers, the
// style lists, scale caps, placement, level steps and the preview's pace and fit.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "slideshow/slideshow_rules.h"

namespace {
int Never() { return ADD_FAILURE() << "no random number may be drawn here", 0; }
int Eleven() { return 11; }
using Numbers = std::vector<std::int64_t>;
} // namespace

TEST(SlideshowRules, TimersStepsAndThePreview) {
    // 25 fps: 40 ms; 0 fps: 1 frame a second; too fast: the shortest interval; held to what a timer takes.
    EXPECT_EQ(Numbers({FadeTimerPeriod(25), FadeTimerPeriod(0), FadeTimerPeriod(2000), HoldTimerPeriod(5),
                       HoldTimerPeriod(INT_MAX), HoldTimerPeriod(-7)}),
              Numbers({40, 1000, 0, 5000, 0x7FFFFFFF, 0}));
    EXPECT_EQ(Numbers({LevelStep(0), LevelStep(1), LevelStep(10)}), Numbers({1, 1, 10})); // 100 frames below 2
    bool done = false;
    EXPECT_TRUE(FadeInLevel(50, INT_MAX, &done) == 100 && done && FadeOutLevel(-100, INT_MAX, &done) == 0 && done);
    // The preview at the full-screen pace: one fade in, the hold, one fade out when pictures are removed.
    EXPECT_EQ(Numbers({PreviewPeriod(25, 10, 5, true), PreviewPeriod(25, 10, 5, false),
                       PreviewPeriod(25, 3, 5, true), PreviewPeriod(0, 0, 0, true),
                       PreviewPeriod(25, 101, 5, true), PreviewPeriod(25, 10, INT_MAX, true)}),
              Numbers({5800, 5400, 7640, 200000, 5000, 0x7FFFFFFF}));
    const PreviewFit fit = FitPreview(152, 112, 640, 480), small = FitPreview(152, 112, 50, 50),
                     none = FitPreview(152, 112, 0, 480);
    EXPECT_EQ(Numbers({fit.scale, fit.width, fit.height, fit.x, fit.y, small.scale, small.x, none.width}),
              Numbers({23, 147, 110, 3, 1, 224, 20, 0}));
}

TEST(SlideshowRules, StylesScaleAndPlacement) {
    for (int index = 1; index <= 7; ++index) EXPECT_EQ(ChooseFadeInStyle(index, Never), index - 1);
    for (int index = 2; index <= 8; ++index) EXPECT_EQ(ChooseFadeOutStyle(5, index, Never), index - 2);
    EXPECT_EQ(ChooseFadeInStyle(8, Never) + ChooseFadeInStyle(-1, Never) + ChooseFadeOutStyle(5, 9, Never), 0);
    EXPECT_EQ(ChooseFadeInStyle(0, Eleven) + ChooseFadeOutStyle(2, 1, Eleven), 12); // (11 mod 6) + 1, never 0
    // The smallest of the caps, without overflowing x 100.
    EXPECT_EQ(
        Numbers({EffectiveScale(150, true, 640, 480, 1024, 768), EffectiveScale(150, false, 640, 480, 1024, 768),
                 EffectiveScale(100, true, 640, 100, 200, 400),
                 EffectiveScale(100, true, INT_MAX, INT_MAX, 1, 1)}),
        Numbers({62, 150, 25, 100}));
    // Centred, or at random in the room left; as large as the window: centred without a number drawn.
    EXPECT_EQ(Numbers({PlaceAxis(1024, 640, 150, true, Never), PlaceAxis(1024, 800, 100, false, Eleven),
                       PlaceAxis(1024, 1024, 100, false, Never)}),
              Numbers({32, 11, 0}));
}
