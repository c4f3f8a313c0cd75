// The slideshow's decisions: frame rate and step, timer periods, transition
// style choice, effective scale, placement, level stepping, and the preview's
// period and fit. Pure: no platform headers; random numbers come from the caller.
#pragma once

#include <cstdint>

// Draws one number from the C library's generator (rand in the saver).
using RandomFn = int (*)();

// RefreshSpeed raised to at least 1.
std::int32_t FramesPerSecond(std::int32_t refreshSpeed);
// StepSize, or 1 when it is below 2.
std::int32_t LevelStep(std::int32_t stepSize);

// Window timer periods in milliseconds, kept to what a timer accepts
// (0 .. 0x7FFFFFFF) instead of overflowing.
std::uint32_t FadeTimerPeriod(std::int32_t refreshSpeed);
std::uint32_t HoldTimerPeriod(std::int32_t displayDuration);

// "Random" draws (r mod 6) + 1; other entries map to a fixed style.
std::int32_t ChooseFadeInStyle(std::int32_t listIndex, RandomFn random);
// "Reverse" keeps the current style.
std::int32_t ChooseFadeOutStyle(std::int32_t currentStyle, std::int32_t listIndex, RandomFn random);

// The smallest of ImageSize, MaxWidth x 100 / W and MaxHeight x 100 / H when the
// size is restricted; ImageSize otherwise.
std::int32_t EffectiveScale(std::int32_t imageSize, bool restrictSize, std::int32_t maxWidth,
                            std::int32_t maxHeight, std::int32_t pictureWidth, std::int32_t pictureHeight);

// One axis of the placement: sw = W x scale / 100; centred when asked or when
// the picture is at least as large as the window, else r mod (ww - sw) with a
// fresh random number.
std::int32_t PlaceAxis(std::int32_t windowExtent, std::int32_t pictureExtent, std::int32_t scale, bool centre,
                       RandomFn random);

// Level after one fade frame, held to 0..100; done when the end is reached.
std::int32_t FadeInLevel(std::int32_t level, std::int32_t step, bool *done);
std::int32_t FadeOutLevel(std::int32_t level, std::int32_t step, bool *done);

// The preview changes picture at the full-screen pace: one fade-in, the hold,
// and one fade-out when pictures are removed.
std::uint32_t PreviewPeriod(std::int32_t refreshSpeed, std::int32_t stepSize, std::int32_t displayDuration,
                            bool removeBitmaps);

// A picture fitted into the preview's client area and centred.
struct PreviewFit {
    std::int32_t scale, width, height, x, y;
};
PreviewFit FitPreview(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t pictureWidth,
                      std::int32_t pictureHeight);
