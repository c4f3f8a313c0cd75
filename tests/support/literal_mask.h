// The transition masks drawn literally, pixel by pixel, as each style's geometry
// reads: the oracle for the saver's row form and compositor, sharing no code with
// them. Sides up to a few thousand pixels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "slideshow/masks.h"

// One byte per pixel: 0 black (the background shows), 1 white (the picture shows).
struct MaskBuffer {
    MaskBuffer(std::int32_t w, std::int32_t h)
        : width(std::max(w, 0)), height(std::max(h, 0)), pixels(std::size_t(width) * height) {}
    std::uint8_t At(std::int32_t x, std::int32_t y) const { return pixels[std::size_t(y) * width + x]; }
    // The part of the rectangle inside the buffer.
    void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, bool white) {
        for (std::int64_t y = std::max<std::int64_t>(top, 0); y < std::min<std::int64_t>(bottom, height); ++y)
            for (std::int64_t x = std::max<std::int64_t>(left, 0); x < std::min<std::int64_t>(right, width); ++x)
                pixels[std::size_t(y * width + x)] = white;
    }
    std::int32_t width, height;
    std::vector<std::uint8_t> pixels;
};

// The level clamped to 0..100, its ends all black and all white, styles other than 1..6 all white.
void DrawTransitionMask(MaskBuffer &mask, std::int32_t style, std::int32_t level);
