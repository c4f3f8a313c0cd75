// Where each monitor's show runs inside the one full-screen window, which
// covers the virtual screen. Pure: monitor rectangles come from the caller.
#pragma once

#include <cstdint>
#include <vector>

// Half-open rectangle in screen coordinates (negative left of or above the primary).
struct ScreenRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct MonitorInfo {
    ScreenRect rect;
    bool primary = false;
};

// One show's area: the monitor's rectangle on screen and in window coordinates.
struct ShowArea {
    ScreenRect screen;
    std::int32_t left = 0, top = 0, width = 0, height = 0;
};

// The primary monitor first, then the others in the order given; each cut to
// the window's rectangle, empty ones left out. No monitor at all: one area
// over the whole window.
std::vector<ShowArea> ArrangeShows(const ScreenRect &window, const std::vector<MonitorInfo> &monitors);

// Show k starts at list position k modulo the count.
std::int32_t FirstSlot(std::int32_t showIndex, std::int32_t imageCount);
