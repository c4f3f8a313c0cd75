// Slideshow decisions with the numbers a user meets: scale caps, placement,
// style choice, fade stepping, timer periods and the preview's fit.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "slideshow/slideshow_rules.h"

namespace {

// A scripted random source: hands out the queued numbers in order.
std::vector<int> queued;
int calls = 0;
int Scripted() { return queued.at(static_cast<size_t>(calls++)); }
void Script(std::vector<int> numbers) {
    queued = std::move(numbers);
    calls = 0;
}
int NeverCalled() {
    ADD_FAILURE() << "no random number may be drawn here";
    return 0;
}

} // namespace

TEST(SlideshowRules, RatesStepsAndTimerPeriodsHaveTheirBounds) {
    EXPECT_EQ(FramesPerSecond(-5), 1);
    EXPECT_EQ(LevelStep(0), 1);
    EXPECT_EQ(LevelStep(10), 10);
    EXPECT_EQ(FadeTimerPeriod(25), 40u);
    EXPECT_EQ(FadeTimerPeriod(0), 1000u); // 0 fps runs at 1 frame per second
    EXPECT_EQ(FadeTimerPeriod(2000), 0u); // the platform's shortest interval
    EXPECT_EQ(HoldTimerPeriod(5), 5000u);
    EXPECT_EQ(HoldTimerPeriod(INT_MAX), 0x7FFFFFFFu); // no overflow of x 1000
    EXPECT_EQ(HoldTimerPeriod(-7), 0u);
}

TEST(SlideshowRules, FadeInStyleMapping) {
    Script({0, 5, 11, 6});
    EXPECT_EQ(ChooseFadeInStyle(0, Scripted), 1);
    EXPECT_EQ(ChooseFadeInStyle(0, Scripted), 6);
    EXPECT_EQ(ChooseFadeInStyle(0, Scripted), 6);
    EXPECT_EQ(ChooseFadeInStyle(0, Scripted), 1); // random never picks Instant Display
    for (int index = 1; index <= 7; ++index) EXPECT_EQ(ChooseFadeInStyle(index, NeverCalled), index - 1);
    EXPECT_EQ(ChooseFadeInStyle(8, NeverCalled), 0);
    EXPECT_EQ(ChooseFadeInStyle(-1, NeverCalled), 0);
}

TEST(SlideshowRules, FadeOutStyleMapping) {
    for (int current = 0; current <= 6; ++current) EXPECT_EQ(ChooseFadeOutStyle(current, 0, NeverCalled), current);
    Script({2});
    EXPECT_EQ(ChooseFadeOutStyle(4, 1, Scripted), 3);
    for (int index = 2; index <= 8; ++index) EXPECT_EQ(ChooseFadeOutStyle(5, index, NeverCalled), index - 2);
    EXPECT_EQ(ChooseFadeOutStyle(5, 9, NeverCalled), 0);
}

TEST(SlideshowRules, EffectiveScaleTakesTheSmallestCap) {
    EXPECT_EQ(EffectiveScale(150, true, 640, 480, 1024, 768), 62);
    EXPECT_EQ(EffectiveScale(150, false, 640, 480, 1024, 768), 150);
    EXPECT_EQ(EffectiveScale(50, true, 640, 480, 100, 100), 50);
    EXPECT_EQ(EffectiveScale(100, true, 640, 100, 200, 400), 25);
    EXPECT_EQ(EffectiveScale(100, true, INT_MAX, INT_MAX, 1, 1), 100); // no overflow of x 100
}

TEST(SlideshowRules, PlacementCentredOrAtRandomInTheRoomLeft) {
    EXPECT_EQ(PlaceAxis(1024, 800, 100, true, NeverCalled), 112);
    EXPECT_EQ(PlaceAxis(1024, 640, 150, true, NeverCalled), 32);
    Script({1000});
    EXPECT_EQ(PlaceAxis(1024, 800, 100, false, Scripted), 1000 % 224);
    // As large as the window or larger: centred either way, and no number is drawn.
    EXPECT_EQ(PlaceAxis(1024, 2000, 100, false, NeverCalled), -488);
    EXPECT_EQ(PlaceAxis(1024, 1024, 100, false, NeverCalled), 0);
}

TEST(SlideshowRules, LevelsStepToTheirEnds) {
    bool done = false;
    EXPECT_EQ(FadeInLevel(0, 10, &done), 10);
    EXPECT_FALSE(done);
    EXPECT_EQ(FadeInLevel(95, 50, &done), 100);
    EXPECT_TRUE(done);
    EXPECT_EQ(FadeInLevel(50, INT_MAX, &done), 100);
    EXPECT_EQ(FadeOutLevel(100, 10, &done), 90);
    EXPECT_FALSE(done);
    EXPECT_EQ(FadeOutLevel(0, 1, &done), 0); // Instant Display out: gone at the first frame
    EXPECT_TRUE(done);
    EXPECT_EQ(FadeOutLevel(-100, INT_MAX, &done), 0);
}

TEST(SlideshowRules, PreviewPeriodFollowsTheFullScreenPace) {
    EXPECT_EQ(PreviewPeriod(25, 10, 5, true), 5800u);
    EXPECT_EQ(PreviewPeriod(25, 10, 5, false), 5400u);
    EXPECT_EQ(PreviewPeriod(25, 3, 5, true), 7640u);
    EXPECT_EQ(PreviewPeriod(0, 0, 0, true), 200000u); // 1000 x 100, twice
    EXPECT_EQ(PreviewPeriod(25, 10, INT_MAX, true), 0x7FFFFFFFu);
}

TEST(SlideshowRules, PreviewFitsThePictureAndCentresIt) {
    PreviewFit fit = FitPreview(152, 112, 640, 480);
    EXPECT_EQ(fit.scale, 23);
    EXPECT_EQ(fit.height, 110);
    EXPECT_EQ(fit.x, 3);
    EXPECT_EQ(fit.y, 1);
    fit = FitPreview(152, 112, 50, 50); // smaller pictures are enlarged
    EXPECT_EQ(fit.scale, 224);
    EXPECT_EQ(fit.width, 112);
    EXPECT_EQ(fit.x, 20);
    fit = FitPreview(152, 112, 0, 480);
    EXPECT_EQ(fit.scale, 0);
    EXPECT_EQ(fit.width, 0);
}
