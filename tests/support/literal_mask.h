// The transition masks drawn literally, pixel by pixel, as each style's geometry
// reads: the oracle for the saver's row form and compositor, sharing no code with
// them. Sides up to a few thousand pixels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "slideshow/masks.h"

// One byte per pixel: 0 black (the background shows), 1 white (the picture shows).
class MaskBuffer {
public:
    MaskBuffer(std::int32_t width, std::int32_t height)
        : width_(std::max(width, 0)), height_(std::max(height, 0)), pixels_(std::size_t(width_) * height_) {}
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::uint8_t At(std::int32_t x, std::int32_t y) const { return pixels_[std::size_t(y) * width_ + x]; }
    // The part of the rectangle inside the buffer.
    void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, bool white) {
        for (std::int64_t y = std::max<std::int64_t>(top, 0); y < std::min<std::int64_t>(bottom, height_); ++y)
            for (std::int64_t x = std::max<std::int64_t>(left, 0); x < std::min<std::int64_t>(right, width_); ++x)
                pixels_[std::size_t(y * width_ + x)] = white;
    }

private:
    std::int32_t width_, height_;
    std::vector<std::uint8_t> pixels_;
};

// The level clamped to 0..100, its ends all black and all white, styles other than 1..6 all white.
void DrawTransitionMask(MaskBuffer &mask, std::int32_t style, std::int32_t level);
