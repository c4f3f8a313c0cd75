// The transition masks drawn literally as each style's geometry reads: the oracle for the
// saver's row form and compositor, sharing no code with them. Sides up to a few thousand pixels.
#pragma once

#include "slideshow/masks.h"

// One byte per pixel: 0 black (the background shows), 1 white (the picture shows).
struct MaskBuffer {
    MaskBuffer(std::int32_t w, std::int32_t h) : width(w), height(h), pixels(std::size_t(w) * h) {}
    std::uint8_t At(std::int32_t x, std::int32_t y) const { return pixels[std::size_t(y) * width + x]; }
    std::int32_t width, height;
    std::vector<std::uint8_t> pixels;
};

// The level clamped to 0..100, its ends all black and all white, styles other than 1..6 all white.
void DrawTransitionMask(MaskBuffer &mask, std::int32_t style, std::int32_t level);
