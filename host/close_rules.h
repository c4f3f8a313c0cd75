// The arithmetic behind the saver's close rules: how far the mouse has moved,
// which system commands are refused, and tick differences across a wrap.
// Pure: no platform headers.
#pragma once

#include <cstdint>

constexpr std::int32_t kWakeThreshold = 4;

// |x - startX| + |y - startY|, saturated at INT32_MAX instead of overflowing.
std::int32_t WakeDistance(std::int32_t x, std::int32_t y, std::int32_t startX, std::int32_t startY);

// True when a move of this distance wakes the saver (more than the threshold).
bool IsWakeDistance(std::int32_t distance);

// SC_NEXTWINDOW, SC_PREVWINDOW and SC_SCREENSAVE are refused full screen;
// the whole wParam is compared, as the platform passes it.
bool IsRefusedSysCommand(std::uint32_t wParam);

// Time from earlier to later, modulo 2^32.
std::uint32_t ElapsedTicks(std::uint32_t earlier, std::uint32_t later);
