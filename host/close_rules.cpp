// Close-rule arithmetic. 64-bit intermediates keep extreme coordinates from
// overflowing the 32-bit distance.
#include "host/close_rules.h"

#include <cstdint>
#include <limits>

namespace {
constexpr std::uint32_t kScNextWindow = 0xF040;
constexpr std::uint32_t kScPrevWindow = 0xF050;
constexpr std::uint32_t kScScreenSave = 0xF140;

std::int64_t Abs64(std::int64_t v) { return v < 0 ? -v : v; }
} // namespace

std::int32_t WakeDistance(std::int32_t x, std::int32_t y, std::int32_t startX, std::int32_t startY) {
    const std::int64_t d = Abs64(std::int64_t{x} - startX) + Abs64(std::int64_t{y} - startY);
    const std::int64_t cap = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(d > cap ? cap : d);
}

bool IsWakeDistance(std::int32_t distance) { return distance > kWakeThreshold; }

bool IsRefusedSysCommand(std::uint32_t wParam) {
    return wParam == kScNextWindow || wParam == kScPrevWindow || wParam == kScScreenSave;
}

std::uint32_t ElapsedTicks(std::uint32_t earlier, std::uint32_t later) {
    if (later >= earlier) return later - earlier;
    return (0xFFFFFFFFu - earlier) + later + 1u;
}
