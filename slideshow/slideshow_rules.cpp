// Slideshow decisions in 32-bit order of evaluation. Products that could leave
// the 32-bit range are formed in 64 bits and held to it.
#include "slideshow/slideshow_rules.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t kMaxTimer = 0x7FFFFFFF;

std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::uint32_t TimerPeriod(std::int64_t ms) { return static_cast<std::uint32_t>(std::clamp<std::int64_t>(ms, 0, kMaxTimer)); }

std::int32_t RandomStyle(RandomFn random) { return random() % 6 + 1; }

} // namespace

std::int32_t FramesPerSecond(std::int32_t refreshSpeed) { return refreshSpeed < 1 ? 1 : refreshSpeed; }

std::int32_t LevelStep(std::int32_t stepSize) { return stepSize < 2 ? 1 : stepSize; }

std::uint32_t FadeTimerPeriod(std::int32_t refreshSpeed) {
    return TimerPeriod(1000 / FramesPerSecond(refreshSpeed));
}

std::uint32_t HoldTimerPeriod(std::int32_t displayDuration) {
    return TimerPeriod(std::int64_t{displayDuration} * 1000);
}

std::int32_t ChooseFadeInStyle(std::int32_t listIndex, RandomFn random) {
    if (listIndex == 0) return RandomStyle(random);
    if (listIndex >= 1 && listIndex <= 7) return listIndex - 1;
    return 0;
}

std::int32_t ChooseFadeOutStyle(std::int32_t currentStyle, std::int32_t listIndex, RandomFn random) {
    if (listIndex == 0) return currentStyle;
    if (listIndex == 1) return RandomStyle(random);
    if (listIndex >= 2 && listIndex <= 8) return listIndex - 2;
    return 0;
}

std::int32_t EffectiveScale(std::int32_t imageSize, bool restrictSize, std::int32_t maxWidth,
                            std::int32_t maxHeight, std::int32_t pictureWidth, std::int32_t pictureHeight) {
    if (!restrictSize) return imageSize;
    std::int32_t scale = imageSize;
    if (pictureWidth > 0) scale = std::min(scale, Clamp32(std::int64_t{maxWidth} * 100 / pictureWidth));
    if (pictureHeight > 0) scale = std::min(scale, Clamp32(std::int64_t{maxHeight} * 100 / pictureHeight));
    return scale;
}

std::int32_t PlaceAxis(std::int32_t windowExtent, std::int32_t pictureExtent, std::int32_t scale, bool centre,
                       RandomFn random) {
    const std::int32_t scaled = Clamp32(std::int64_t{pictureExtent} * scale / 100);
    if (centre || scaled >= windowExtent) return Clamp32(std::int64_t{windowExtent / 2} - scaled / 2);
    const std::int64_t room = std::int64_t{windowExtent} - scaled; // positive here
    return static_cast<std::int32_t>(random() % room);
}

std::int32_t FadeInLevel(std::int32_t level, std::int32_t step, bool *done) {
    const std::int64_t next = std::int64_t{level} + step;
    *done = next >= 100;
    return *done ? 100 : static_cast<std::int32_t>(next);
}

std::int32_t FadeOutLevel(std::int32_t level, std::int32_t step, bool *done) {
    const std::int64_t next = std::int64_t{level} - step;
    *done = next <= 0;
    return *done ? 0 : static_cast<std::int32_t>(next);
}

std::uint32_t PreviewPeriod(std::int32_t refreshSpeed, std::int32_t stepSize, std::int32_t displayDuration,
                            bool removeBitmaps) {
    const std::int32_t fps = FramesPerSecond(refreshSpeed);
    const std::int32_t step = stepSize < 1 ? 1 : stepSize;
    const std::int64_t fade = std::int64_t{1000 / fps} * (100 / step);
    std::int64_t period = fade + std::int64_t{displayDuration} * 1000;
    if (removeBitmaps) period += fade;
    return TimerPeriod(period);
}

PreviewFit FitPreview(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t pictureWidth,
                      std::int32_t pictureHeight) {
    PreviewFit fit{};
    const std::int32_t sx = pictureWidth ? Clamp32(std::int64_t{clientWidth} * 100 / pictureWidth) : 0;
    const std::int32_t sy = pictureHeight ? Clamp32(std::int64_t{clientHeight} * 100 / pictureHeight) : 0;
    fit.scale = std::min(sx, sy);
    fit.width = Clamp32(std::int64_t{fit.scale} * pictureWidth / 100);
    fit.height = Clamp32(std::int64_t{fit.scale} * pictureHeight / 100);
    fit.x = clientWidth / 2 - fit.width / 2;
    fit.y = clientHeight / 2 - fit.height / 2;
    return fit;
}
