// The phases of one slideshow. A step that arrives outside its phase (a tick
// queued before its timer was stopped) changes nothing.
#include "slideshow/show_machine.h"

namespace {

void Start(ShowEffects &effects, std::uint32_t timers) { effects.start |= timers; }

void Stop(ShowEffects &effects, std::uint32_t timers) {
    effects.start &= ~timers;
    effects.stop |= timers;
}

// The fade-in step's level change and, at 100, the start of the hold.
void StepIn(ShowState &state, const Settings &settings, ShowEffects &effects) {
    bool done = false;
    state.level = FadeInLevel(state.level, LevelStep(settings.StepSize), &done);
    if (done) {
        Stop(effects, kFadeInTimer);
        Start(effects, kHoldTimer | kClockTimer);
        state.phase = ShowPhase::kHolding;
    }
    effects.redraw = true;
}

} // namespace

std::int32_t SlotToLoad(const ShowState &state, const Settings &settings) {
    if (settings.ImageCount <= 0 || !settings.Images) return -1;
    if (state.nextSlot < 0 || state.nextSlot >= settings.ImageCount) return 0;
    return state.nextSlot;
}

ShowEffects NextPicture(ShowState &state, const Settings &settings, const LoadResult &load,
                        std::int32_t areaWidth, std::int32_t areaHeight, RandomFn random) {
    ShowEffects effects;
    const std::int32_t slot = SlotToLoad(state, settings);
    if (slot < 0) return effects;
    switch (load.outcome) {
    case SlotLoad::kEmptySlot: break; // the previous picture again, at its old place
    case SlotLoad::kFailed:
        state.pictureLoaded = false;
        effects.dropSnapshot = true; // later frames go over black until the next erase
        break;
    case SlotLoad::kLoaded:
        state.pictureLoaded = true;
        state.scale = EffectiveScale(settings.ImageSize, settings.RestrictSize != 0, settings.MaxWidth,
                                     settings.MaxHeight, load.width, load.height);
        state.x = PlaceAxis(areaWidth, load.width, state.scale, settings.CenterPicture != 0, random);
        state.y = PlaceAxis(areaHeight, load.height, state.scale, settings.CenterPicture != 0, random);
        break;
    }
    state.nextSlot = slot + 1 >= settings.ImageCount ? 0 : slot + 1;
    state.style = ChooseFadeInStyle(settings.FadeInStyle, random);
    if (state.style == 0) state.level = 100;
    state.phase = ShowPhase::kFadingIn;
    Start(effects, kFadeInTimer);
    StepIn(state, settings, effects);
    return effects;
}

ShowEffects FadeInStep(ShowState &state, const Settings &settings) {
    ShowEffects effects;
    if (state.phase == ShowPhase::kFadingIn) StepIn(state, settings, effects);
    return effects;
}

ShowEffects FadeOutStep(ShowState &state, const Settings &settings) {
    ShowEffects effects;
    if (state.phase != ShowPhase::kFadingOut) return effects;
    bool done = false;
    state.level = FadeOutLevel(state.level, LevelStep(settings.StepSize), &done);
    if (done) {
        Stop(effects, kFadeOutTimer);
        effects.post = ShowCommand::kNextPicture;
        state.phase = ShowPhase::kWaiting;
    }
    effects.redraw = true;
    return effects;
}

ShowEffects TimerFired(ShowState &state, const Settings &settings, ShowTimer timer, RandomFn random) {
    ShowEffects effects;
    switch (timer) {
    case kFadeInTimer:
        if (state.phase == ShowPhase::kFadingIn) effects.post = ShowCommand::kFadeInStep;
        break;
    case kFadeOutTimer:
        if (state.phase == ShowPhase::kFadingOut) effects.post = ShowCommand::kFadeOutStep;
        break;
    case kClockTimer:
        if (state.phase == ShowPhase::kHolding) effects.redraw = true;
        break;
    case kHoldTimer:
        if (state.phase != ShowPhase::kHolding) break;
        Stop(effects, kHoldTimer | kClockTimer);
        if (settings.RemoveBitmaps) {
            state.style = ChooseFadeOutStyle(state.style, settings.FadeOutStyle, random);
            if (state.style == 0) state.level = 0; // gone at the first fade-out frame
            Start(effects, kFadeOutTimer);
            state.phase = ShowPhase::kFadingOut;
        } else {
            effects.stamp = state.pictureLoaded; // the collage keeps it, without its clock
            state.level = 0;
            effects.post = ShowCommand::kNextPicture;
            state.phase = ShowPhase::kWaiting;
        }
        break;
    }
    return effects;
}
