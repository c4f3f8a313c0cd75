// One show's phases step by step, and where each monitor's show runs.
#include <gtest/gtest.h>

#include <vector>

#include "slideshow/monitors.h"
#include "slideshow/show_machine.h"

namespace {

std::vector<int> queued;
std::size_t drawn = 0;
int Scripted() { return queued.at(drawn++); }
void Script(std::vector<int> numbers) {
    queued = std::move(numbers);
    drawn = 0;
}

struct Fixture {
    PictureSlot slots[3] = {{"a.bmp"}, {""}, {"c.bmp"}};
    Settings settings = {};
    ShowState state;
    Fixture() {
        settings.ImageCount = 3;
        settings.Images = slots;
        settings.ImageSize = 100;
        settings.StepSize = 10;
        settings.RemoveBitmaps = 1;
        settings.FadeInStyle = 0;  // Random
        settings.FadeOutStyle = 0; // Reverse
    }
    ShowEffects Next(SlotLoad outcome, std::int32_t w = 400, std::int32_t h = 300) {
        return NextPicture(state, settings, {outcome, w, h}, 800, 600, Scripted);
    }
};

} // namespace

TEST(ShowMachine, OnePictureThroughFadeInHoldAndReverseFadeOut) {
    Fixture f;
    Script({100, 50, 2}); // x = 100 mod 400, y = 50 mod 300, style (2 mod 6) + 1
    ShowEffects e = f.Next(SlotLoad::kLoaded);
    EXPECT_EQ(f.state.phase, ShowPhase::kFadingIn);
    EXPECT_EQ(f.state.x, 100);
    EXPECT_EQ(f.state.y, 50);
    EXPECT_EQ(f.state.style, 3);
    EXPECT_EQ(f.state.level, 10); // the first frame at once
    EXPECT_EQ(f.state.nextSlot, 1);
    EXPECT_EQ(e.start, kFadeInTimer);

    EXPECT_EQ(TimerFired(f.state, f.settings, kFadeInTimer, Scripted).post, ShowCommand::kFadeInStep);
    EXPECT_FALSE(TimerFired(f.state, f.settings, kClockTimer, Scripted).redraw); // no clock while fading
    for (int frame = 2; frame <= 9; ++frame) EXPECT_EQ(FadeInStep(f.state, f.settings).start, 0u);
    e = FadeInStep(f.state, f.settings);
    EXPECT_EQ(f.state.level, 100);
    EXPECT_EQ(f.state.phase, ShowPhase::kHolding);
    EXPECT_EQ(e.stop, kFadeInTimer);
    EXPECT_EQ(e.start, kHoldTimer | kClockTimer);

    // A tick queued before the fade-in timer stopped changes nothing now.
    EXPECT_EQ(TimerFired(f.state, f.settings, kFadeInTimer, Scripted).post, ShowCommand::kNone);
    EXPECT_FALSE(FadeInStep(f.state, f.settings).redraw);
    EXPECT_TRUE(TimerFired(f.state, f.settings, kClockTimer, Scripted).redraw);

    e = TimerFired(f.state, f.settings, kHoldTimer, Scripted);
    EXPECT_EQ(f.state.phase, ShowPhase::kFadingOut);
    EXPECT_EQ(f.state.style, 3); // Reverse: the fade-in's style, no random number drawn
    EXPECT_EQ(drawn, 3u);
    EXPECT_EQ(e.stop, kHoldTimer | kClockTimer);
    EXPECT_EQ(e.start, kFadeOutTimer);
    EXPECT_FALSE(e.stamp);

    EXPECT_EQ(TimerFired(f.state, f.settings, kFadeOutTimer, Scripted).post, ShowCommand::kFadeOutStep);
    for (int frame = 1; frame <= 9; ++frame) EXPECT_EQ(FadeOutStep(f.state, f.settings).post, ShowCommand::kNone);
    e = FadeOutStep(f.state, f.settings);
    EXPECT_EQ(f.state.level, 0);
    EXPECT_EQ(f.state.phase, ShowPhase::kWaiting);
    EXPECT_EQ(e.stop, kFadeOutTimer);
    EXPECT_EQ(e.post, ShowCommand::kNextPicture);
    EXPECT_FALSE(FadeOutStep(f.state, f.settings).redraw); // a step queued before the timer stopped
}

TEST(ShowMachine, InstantStylesCollageAndSmallSteps) {
    Fixture f;
    f.settings.FadeInStyle = 1;  // Instant Display
    f.settings.FadeOutStyle = 2; // Instant Display
    f.settings.CenterPicture = 1;
    Script({});
    ShowEffects e = f.Next(SlotLoad::kLoaded, 2000, 1000);
    EXPECT_EQ(f.state.x, -600); // larger than the area: centred on it
    EXPECT_EQ(f.state.y, -200);
    EXPECT_EQ(f.state.level, 100);
    EXPECT_EQ(f.state.phase, ShowPhase::kHolding);
    EXPECT_EQ(e.start, kHoldTimer | kClockTimer); // the fade-in timer started and stopped at once
    EXPECT_EQ(e.stop, kFadeInTimer);
    TimerFired(f.state, f.settings, kHoldTimer, Scripted);
    EXPECT_EQ(f.state.level, 0); // gone at the first fade-out frame
    EXPECT_EQ(FadeOutStep(f.state, f.settings).post, ShowCommand::kNextPicture);

    // Collage: the picture is stamped, then the next one follows at once.
    f.settings.RemoveBitmaps = 0;
    f.Next(SlotLoad::kLoaded);
    e = TimerFired(f.state, f.settings, kHoldTimer, Scripted);
    EXPECT_TRUE(e.stamp);
    EXPECT_EQ(e.post, ShowCommand::kNextPicture);
    EXPECT_EQ(e.start, 0u);

    // StepSize 0 or 1: a hundred frames per fade.
    f.settings.FadeInStyle = 2;
    f.settings.StepSize = 0;
    f.Next(SlotLoad::kLoaded);
    int frames = 1;
    while (f.state.phase == ShowPhase::kFadingIn) FadeInStep(f.state, f.settings), ++frames;
    EXPECT_EQ(frames, 100);
}

TEST(ShowMachine, EmptyListEmptySlotAndFailedLoad) {
    Fixture f;
    f.settings.FadeInStyle = 1;
    f.settings.RemoveBitmaps = 0;
    Script({120, 80});
    f.Next(SlotLoad::kLoaded);
    EXPECT_EQ(f.state.nextSlot, 1);

    // Slot 1 is empty: the previous picture again, at its old place, no numbers drawn.
    EXPECT_EQ(SlotToLoad(f.state, f.settings), 1);
    ShowEffects e = f.Next(SlotLoad::kEmptySlot);
    EXPECT_TRUE(f.state.pictureLoaded);
    EXPECT_EQ(f.state.x, 120);
    EXPECT_EQ(drawn, 2u);
    EXPECT_FALSE(e.dropSnapshot);
    EXPECT_EQ(f.state.nextSlot, 2);

    // A failed load: nothing drawn, the snapshot dropped, the cycle runs on and stamps nothing.
    e = f.Next(SlotLoad::kFailed);
    EXPECT_FALSE(f.state.pictureLoaded);
    EXPECT_TRUE(e.dropSnapshot);
    EXPECT_EQ(f.state.nextSlot, 0); // back to the start of the list
    EXPECT_FALSE(TimerFired(f.state, f.settings, kHoldTimer, Scripted).stamp);

    // An empty list: the command does nothing at all.
    f.settings.ImageCount = 0;
    ShowState fresh;
    EXPECT_EQ(SlotToLoad(fresh, f.settings), -1);
    e = NextPicture(fresh, f.settings, {}, 800, 600, Scripted);
    EXPECT_EQ(fresh.phase, ShowPhase::kWaiting);
    EXPECT_EQ(e.start | e.stop, 0u);
    EXPECT_FALSE(e.redraw);
}

TEST(ShowAreas, PrimaryFirstInWindowCoordinatesAndEachStartsOneFurther) {
    // The primary at 0,0; a second monitor to its left, a third above, out of order.
    const ScreenRect window = {-800, -600, 1024, 768};
    const std::vector<MonitorInfo> monitors = {
        {{-800, 0, 0, 600}, false}, {{0, 0, 1024, 768}, true}, {{0, -600, 800, 0}, false}};
    const std::vector<ShowArea> areas = ArrangeShows(window, monitors);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[0].left, 800);
    EXPECT_EQ(areas[0].top, 600);
    EXPECT_EQ(areas[0].width, 1024);
    EXPECT_EQ(areas[1].left, 0);
    EXPECT_EQ(areas[1].top, 600);
    EXPECT_EQ(areas[1].height, 600);
    EXPECT_EQ(areas[2].left, 800);
    EXPECT_EQ(areas[2].top, 0);
    EXPECT_EQ(areas[2].screen.top, -600);

    // Parts outside the window are cut; a monitor wholly outside is left out.
    const std::vector<ShowArea> cut =
        ArrangeShows({0, 0, 1024, 768}, {{{-100, 0, 1100, 768}, true}, {{2000, 0, 2800, 600}, false}});
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].left, 0);
    EXPECT_EQ(cut[0].width, 1024);
    EXPECT_EQ(ArrangeShows({0, 0, 640, 480}, {}).at(0).width, 640); // none listed: one show over the window

    EXPECT_EQ(FirstSlot(1, 3), 1);
    EXPECT_EQ(FirstSlot(4, 3), 1);
    EXPECT_EQ(FirstSlot(2, 0), 0);
}
