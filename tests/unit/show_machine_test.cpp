// One show: its decisions with the numbers a user meets (timers, style lists, scale, placement,
// the preview's pace and fit), its phases step by step, and where each monitor's show runs.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "slideshow/monitors.h"
#include "slideshow/show_machine.h"

namespace {
std::vector<int> queued;
std::size_t drawn = 0;
int Scripted() { return queued.at(drawn++); }
int Never() { return ADD_FAILURE() << "no random number may be drawn here", 0; }
using Numbers = std::vector<std::int64_t>;
// Timers stopped and started, command posted, redraw, stamp, snapshot dropped.
using Fx = std::tuple<std::uint32_t, std::uint32_t, ShowCommand, bool, bool, bool>;
Fx Of(const ShowEffects &e) { return {e.stop, e.start, e.post, e.redraw, e.stamp, e.dropSnapshot}; }
Fx E(unsigned a, unsigned b, ShowCommand c, bool d, bool e = false, bool f = false) { return {a, b, c, d, e, f}; }
constexpr ShowCommand kNone = ShowCommand::kNone, kNext = ShowCommand::kNextPicture;
constexpr std::uint32_t kIn = kFadeInTimer, kOut = kFadeOutTimer, kHold = kHoldTimer | kClockTimer;
} // namespace

TEST(SlideshowRules, TheNumbersAUserMeets) {
    // Timers: 25 fps 40 ms, 0 fps 1 frame a second, too fast the shortest interval, held to what a timer
    // takes; steps of 1 below 2; the preview at the full-screen pace: fade in, hold, fade out when removing.
    EXPECT_EQ(Numbers({FadeTimerPeriod(25), FadeTimerPeriod(0), FadeTimerPeriod(2000), HoldTimerPeriod(5),
                       HoldTimerPeriod(INT_MAX), HoldTimerPeriod(-7), LevelStep(0), LevelStep(1), LevelStep(10),
                       PreviewPeriod(25, 10, 5, true), PreviewPeriod(25, 10, 5, false),
                       PreviewPeriod(25, 3, 5, true), PreviewPeriod(0, 0, 0, true),
                       PreviewPeriod(25, 101, 5, true), PreviewPeriod(25, 10, INT_MAX, true)}),
              Numbers({40, 1000, 0, 5000, 0x7FFFFFFF, 0, 1, 1, 10, 5800, 5400, 7640, 200000, 5000, 0x7FFFFFFF}));
    bool done = false;
    EXPECT_TRUE(FadeInLevel(50, INT_MAX, &done) == 100 && done && FadeOutLevel(-100, INT_MAX, &done) == 0 && done);
    // Fitted and centred, small pictures enlarged; none without a size.
    const PreviewFit fit = FitPreview(152, 112, 640, 480), small = FitPreview(152, 112, 50, 50);
    EXPECT_EQ(
        Numbers({fit.scale, fit.width, fit.height, fit.x, fit.y, small.scale, small.x, FitPreview(9, 9, 0, 9).x}),
        Numbers({23, 147, 110, 3, 1, 224, 20, 4}));
    // The lists' ends, 0 beyond; the smallest cap, no overflow of x 100; centred, or at random in the room.
    queued = {11, 11, 11}, drawn = 0; // Random: (11 mod 6) + 1, never Instant Display
    EXPECT_EQ(
        Numbers({ChooseFadeInStyle(7, Never), ChooseFadeOutStyle(5, 8, Never), ChooseFadeOutStyle(5, 2, Never),
                 ChooseFadeInStyle(8, Never), ChooseFadeInStyle(-1, Never), ChooseFadeOutStyle(5, 9, Never),
                 ChooseFadeInStyle(0, Scripted), ChooseFadeOutStyle(2, 1, Scripted),
                 EffectiveScale(150, true, 640, 480, 1024, 768), EffectiveScale(150, false, 640, 480, 1024, 768),
                 EffectiveScale(100, true, 640, 100, 200, 400), EffectiveScale(100, true, INT_MAX, INT_MAX, 1, 1),
                 PlaceAxis(1024, 640, 150, true, Never), PlaceAxis(1024, 800, 100, false, Scripted)}),
        Numbers({6, 6, 0, 0, 0, 0, 6, 6, 62, 150, 25, 100, 32, 11}));
}

TEST(ShowMachine, PicturesThroughEveryPhase) {
    // Three slots, the middle one empty; Random in, Reverse out, step 10, pictures removed.
    PictureSlot slots[3] = {{"a.bmp"}, {""}, {"c.bmp"}};
    Settings set = {};
    set.ImageCount = 3, set.Images = slots, set.ImageSize = 100, set.StepSize = 10, set.RemoveBitmaps = 1;
    ShowState s;
    auto next = [&](SlotLoad l, int w) { return Of(NextPicture(s, set, {l, w, w / 2}, 800, 600, Scripted)); };
    auto tick = [&](ShowTimer timer) { return Of(TimerFired(s, set, timer, Scripted)); };
    auto in = [&] { return Of(FadeInStep(s, set)); };
    auto out = [&] { return Of(FadeOutStep(s, set)); };

    queued = {100, 50, 2}, drawn = 0; // x = 100 mod 400, y = 50 mod 400, style (2 mod 6) + 1
    EXPECT_EQ(next(SlotLoad::kLoaded, 400), E(0, kIn, kNone, true)); // the first frame at once
    EXPECT_EQ(std::make_tuple(s.x, s.y, s.style, s.level, s.nextSlot), std::make_tuple(100, 50, 3, 10, 1));
    EXPECT_EQ(tick(kFadeInTimer), E(0, 0, ShowCommand::kFadeInStep, false));
    for (int frame = 2; frame <= 10; ++frame)
        EXPECT_EQ(in(), E(frame < 10 ? 0 : kIn, frame < 10 ? 0 : kHold, kNone, true));
    EXPECT_TRUE(tick(kFadeInTimer) == E(0, 0, kNone, false) && in() == E(0, 0, kNone, false)); // queued earlier
    EXPECT_TRUE(s.level == 100 && tick(kClockTimer) == E(0, 0, kNone, true));
    EXPECT_EQ(tick(kHoldTimer), E(kHold, kOut, kNone, false));
    EXPECT_EQ(std::make_tuple(s.style, drawn), std::make_tuple(3, 3u)); // Reverse: no number drawn
    EXPECT_EQ(tick(kFadeOutTimer), E(0, 0, ShowCommand::kFadeOutStep, false));
    for (int frame = 1; frame <= 10; ++frame)
        EXPECT_EQ(out(), E(frame < 10 ? 0 : kOut, 0, frame < 10 ? kNone : kNext, true));
    EXPECT_TRUE(s.level == 0 && out() == E(0, 0, kNone, false) && tick(kHoldTimer) == E(0, 0, kNone, false));

    // Instant Display in and out; an empty slot: the last picture again; a large one centred, no number drawn.
    set.FadeInStyle = 1, set.FadeOutStyle = 2;
    EXPECT_EQ(next(SlotLoad::kEmptySlot, 0), E(kIn, kHold, kNone, true));
    EXPECT_EQ(std::make_tuple(s.x, s.level, s.nextSlot, drawn), std::make_tuple(100, 100, 2, 3u));
    next(SlotLoad::kLoaded, 2000);
    EXPECT_EQ(std::make_tuple(s.x, s.y, s.nextSlot, drawn), std::make_tuple(-600, -200, 0, 3u));
    EXPECT_TRUE(tick(kHoldTimer) == E(kHold, kOut, kNone, false) &&
                out() == E(kOut, 0, kNext, true)); // gone at once
    // Collage: the picture stamped and the next one at once; a failed load drops the snapshot, stamps nothing.
    set.RemoveBitmaps = 0, next(SlotLoad::kLoaded, 2000);
    EXPECT_EQ(tick(kHoldTimer), E(kHold, 0, kNext, false, true));
    EXPECT_EQ(next(SlotLoad::kFailed, 0), E(kIn, kHold, kNone, true, false, true));
    EXPECT_EQ(tick(kHoldTimer), E(kHold, 0, kNext, false, false));
    set.ImageCount = 0, s = {}; // an empty list: the command does nothing at all
    EXPECT_TRUE(next(SlotLoad::kEmptySlot, 0) == E(0, 0, kNone, false) && s.phase == ShowPhase::kWaiting);
}

TEST(ShowAreas, PrimaryFirstInWindowCoordinatesCutToTheWindow) {
    // The primary at 0,0 and wider than the window; one to its left, listed first; one wholly outside.
    std::vector<int> got;
    for (const ShowArea &a :
         ArrangeShows({-800, -100, 1024, 768},
                      {{{-800, 100, 0, 700}, false}, {{0, 0, 1100, 768}, true}, {{2000, 0, 2800, 600}, false}}))
        got.insert(got.end(), {a.left, a.top, a.width, a.height, a.screen.left});
    EXPECT_EQ(got, std::vector<int>({800, 100, 1024, 768, 0, 0, 200, 800, 600, -800}));
    EXPECT_EQ(ArrangeShows({0, 0, 640, 480}, {}).at(0).width, 640); // none listed: one show over the window
    EXPECT_TRUE(ArrangeShows({0, 0, 0, 480}, {}).empty() && ArrangeShows({0, 0, 640, 0}, {}).empty());
    EXPECT_EQ(FirstSlot(4, 3) + FirstSlot(2, 0), 1); // show k starts k further along the list
}
