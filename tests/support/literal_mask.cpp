// Each style in the order its geometry is written, in 64 bits.
#include "tests/support/literal_mask.h"

#include <algorithm>
#include <cmath>

void DrawTransitionMask(MaskBuffer &mask, std::int32_t style, std::int32_t level) {
    const std::int64_t w = mask.width, h = mask.height, L = std::clamp(level, 0, 100);
    auto fill = [&](std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, bool white) {
        for (std::int64_t y = std::max<std::int64_t>(top, 0); y < std::min(bottom, h); ++y)
            for (std::int64_t x = std::max<std::int64_t>(left, 0); x < std::min(right, w); ++x)
                mask.pixels[std::size_t(y * w + x)] = white;
    };
    const bool drawn = L > 0 && L < 100 && style >= kDissolve && style <= kFourCorners && w > 0 && h > 0;
    fill(0, 0, w, h, drawn ? style == kEllipseInwards : L > 0);
    if (!drawn) return;
    if (style == kHorizontalMesh || style == kVerticalMesh) { // bar k: k x s down (across), n long
        const bool across = style == kHorizontalMesh;
        const std::int64_t side = across ? w : h, s = side / 100, n = side * L / 100;
        for (std::int64_t k = 0; k < (across ? h : w); ++k) {
            const std::int64_t from = k % 2 ? 0 : side - n, to = k % 2 ? n : side;
            across ? fill(from, k * s, to, k * s + s, true) : fill(k * s, from, k * s + s, to, true);
        }
    }
    if (style == kFourCorners) {
        const std::int64_t cw = w * L / 200, ch = h * L / 200;
        for (const std::int64_t left : {std::int64_t{0}, w - cw})
            for (const std::int64_t top : {std::int64_t{0}, h - ch}) fill(left, top, left + cw, top + ch, true);
    }
    // Dissolve: the cells of the classic 8 x 8 ordered dither whose threshold is
    // below the grey's share of 64. Ellipse: the pixels whose centres lie inside.
    const std::int64_t lit = ((L * 255 / 100 & 0xFF) * 64 + 127) / 255;
    const std::int64_t p = style == kEllipseOutwards ? L : 100 - L;
    const std::int64_t d = static_cast<std::int64_t>(std::sqrt(2.0 * double(h) * double(h)));
    const std::int64_t ew = d * w / h * p / 100, eh = d * p / 100, x0 = w / 2 - ew / 2, y0 = h / 2 - eh / 2;
    const bool ellipse = (style == kEllipseInwards || style == kEllipseOutwards) && ew > 0 && eh > 0;
    for (std::int64_t y = 0; y < h && (style == kDissolve || ellipse); ++y)
        for (std::int64_t x = 0; x < w; ++x) {
            std::uint8_t &pixel = mask.pixels[std::size_t(y * w + x)];
            if (style == kDissolve) { // the threshold: bits of x ^ y and y interleaved, reversed
                std::int64_t threshold = 0;
                for (int bit = 0; bit < 3; ++bit)
                    threshold = threshold << 2 | ((x ^ y) >> bit & 1) << 1 | (y >> bit & 1);
                pixel = threshold < lit;
            } else {
                const std::int64_t X = 2 * x + 1 - (2 * x0 + ew), Y = 2 * y + 1 - (2 * y0 + eh);
                if (X * X * eh * eh + Y * Y * ew * ew <= ew * ew * eh * eh) pixel = style == kEllipseOutwards;
            }
        }
}
