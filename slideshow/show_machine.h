// One slideshow's phases as a pure state machine: what the next-picture
// command, each fade step and each timer do in each phase, and what the window
// side must then do (timers, posted commands, a redraw, the collage stamp).
// Pure: no platform headers; loading and drawing stay with the caller.
#pragma once

#include <cstdint>

#include "settings/settings.h"
#include "slideshow/slideshow_rules.h"

enum class ShowPhase : std::uint8_t {
    kWaiting,   // before the first picture, or the list is empty
    kFadingIn,  // the fade-in timer runs
    kHolding,   // the hold and clock timers run
    kFadingOut, // the fade-out timer runs
};

// The show's timers and commands by role; the window side gives them ids.
enum ShowTimer : std::uint32_t {
    kFadeInTimer = 1u << 0,
    kFadeOutTimer = 1u << 1,
    kHoldTimer = 1u << 2,
    kClockTimer = 1u << 3,
};
enum class ShowCommand : std::uint8_t { kNone, kNextPicture, kFadeInStep, kFadeOutStep };

struct ShowState {
    ShowPhase phase = ShowPhase::kWaiting;
    std::int32_t nextSlot = 0;
    std::int32_t level = 0;
    std::int32_t style = 0; // Reverse reads the fade-in's style from here
    bool pictureLoaded = false;
    std::int32_t x = 0, y = 0, scale = 100; // in the show's own area
};

// What the caller does after a step, in this order: stop timers, stamp the
// picture into the snapshot, drop the snapshot, start timers, post, redraw.
struct ShowEffects {
    std::uint32_t stop = 0, start = 0; // ShowTimer bits
    bool stamp = false;
    bool dropSnapshot = false;
    ShowCommand post = ShowCommand::kNone;
    bool redraw = false;
};

// The picture the next-picture command found at the slot.
enum class SlotLoad : std::uint8_t { kEmptySlot, kLoaded, kFailed };
struct LoadResult {
    SlotLoad outcome = SlotLoad::kEmptySlot;
    std::int32_t width = 0, height = 0; // of a loaded picture
};

// The slot the next-picture command loads, or -1 when the list is empty (the
// command then does nothing).
std::int32_t SlotToLoad(const ShowState &state, const Settings &settings);

// Place the loaded picture in the area, advance the slot, choose the fade-in
// style and draw its first frame.
ShowEffects NextPicture(ShowState &state, const Settings &settings, const LoadResult &load,
                        std::int32_t areaWidth, std::int32_t areaHeight, RandomFn random);
ShowEffects FadeInStep(ShowState &state, const Settings &settings);
ShowEffects FadeOutStep(ShowState &state, const Settings &settings);
ShowEffects TimerFired(ShowState &state, const Settings &settings, ShowTimer timer, RandomFn random);
