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
    // Meshes: bar k of s rows (columns) from k x s, n long, from the far edge when k is even.
    const std::int64_t sh = w / 100, nh = w * L / 100, sv = h / 100, nv = h * L / 100;
    for (std::int64_t k = 0; style == kHorizontalMesh && k < h; ++k)
        fill(k % 2 ? 0 : w - nh, k * sh, k % 2 ? nh : w, k * sh + sh, true);
    for (std::int64_t k = 0; style == kVerticalMesh && k < w; ++k)
        fill(k * sv, k % 2 ? 0 : h - nv, k * sv + sv, k % 2 ? nv : h, true);
    const std::int64_t cw = w * L / 200, ch = h * L / 200; // top left, top right, bottom left, bottom right
    for (int corner = 0; style == kFourCorners && corner < 4; ++corner)
        fill(corner % 2 ? w - cw : 0, corner / 2 ? h - ch : 0, corner % 2 ? w : cw, corner / 2 ? h : ch, true);
    // Dissolve: cells of the classic 8 x 8 ordered dither below the grey's share of 64; ellipse: centres inside.
    const std::int64_t lit = ((L * 255 / 100 & 0xFF) * 64 + 127) / 255,
                       p = style == kEllipseOutwards ? L : 100 - L;
    const std::int64_t d = static_cast<std::int64_t>(std::sqrt(2.0 * double(h) * double(h)));
    const std::int64_t ew = d * w / h * p / 100, eh = d * p / 100, x0 = w / 2 - ew / 2, y0 = h / 2 - eh / 2;
    const bool ellipse = (style == kEllipseInwards || style == kEllipseOutwards) && ew > 0 && eh > 0;
    for (std::int64_t y = 0; y < h; ++y)
        for (std::int64_t x = 0; x < w; ++x) {
            std::int64_t t = 0; // the threshold: the bits of x ^ y and y interleaved, reversed
            for (int bit = 0; bit < 3; ++bit) t = t << 2 | ((x ^ y) >> bit & 1) << 1 | (y >> bit & 1);
            const std::int64_t X = 2 * x + 1 - (2 * x0 + ew), Y = 2 * y + 1 - (2 * y0 + eh);
            if (style == kDissolve) fill(x, y, x + 1, y + 1, t < lit);
            if (ellipse && X * X * eh * eh + Y * Y * ew * ew <= ew * ew * eh * eh)
                fill(x, y, x + 1, y + 1, style == kEllipseOutwards);
        }
}
