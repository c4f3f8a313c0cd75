// Transition mask geometry. Formulas keep their order of operations but run in
// 64 bits, so no size within kMaxMaskSide can overflow; products of four sides
// (the ellipse test) are compared exactly in 128 bits.
#include "slideshow/masks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Beyond this the ellipse's diagonal factor would leave 64 bits; no picture is that large.
constexpr std::int64_t kMaxMaskSide = std::int64_t{1} << 30;

// Classic 8 x 8 ordered-dither thresholds 0..63.
constexpr std::uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},   {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},  {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21},
};

struct U128 {
    std::uint64_t hi, lo;
};

U128 Multiply(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const std::uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (p00 & 0xFFFFFFFFu) | (mid << 32)};
}

bool NotAbove(U128 a, U128 b) { return a.hi < b.hi || (a.hi == b.hi && a.lo <= b.lo); }

std::uint64_t Magnitude(std::int64_t v) { return static_cast<std::uint64_t>(v < 0 ? -v : v); }

std::int64_t FloorDiv2(std::int64_t v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

bool UsableRect(const MaskRect &rect) {
    const std::int64_t w = std::int64_t{rect.right} - rect.left;
    const std::int64_t h = std::int64_t{rect.bottom} - rect.top;
    return w > 0 && h > 0 && w <= kMaxMaskSide && h <= kMaxMaskSide;
}

// (t x eh)^2 <= ew^2 x q: a half-width t (in doubled units) fits the row whose
// squared vertical room is q = eh^2 - Y^2.
bool HalfWidthFits(std::uint64_t t, std::uint64_t ew, std::uint64_t eh, std::uint64_t q) {
    const std::uint64_t te = t * eh;
    return NotAbove(Multiply(te, te), Multiply(ew * ew, q));
}

// Columns of row y whose pixel centres lie inside the box's ellipse; begin >= end when none.
void EllipseRow(const EllipseBox &box, std::int64_t y, std::int64_t &begin, std::int64_t &end) {
    begin = end = 0;
    const std::int64_t ew = box.right - box.left, eh = box.bottom - box.top;
    if (ew <= 0 || eh <= 0) return;
    // Doubled coordinates keep pixel centres (2y + 1) and the box's centre integral.
    const std::uint64_t ay = Magnitude(2 * y + 1 - (box.top + box.bottom));
    const std::uint64_t uew = static_cast<std::uint64_t>(ew), ueh = static_cast<std::uint64_t>(eh);
    if (ay > ueh) return;
    const std::uint64_t q = ueh * ueh - ay * ay;
    std::uint64_t t = static_cast<std::uint64_t>(static_cast<double>(uew) * std::sqrt(static_cast<double>(q)) /
                                                 static_cast<double>(ueh));
    t = std::min(t, uew);
    while (t > 0 && !HalfWidthFits(t, uew, ueh, q)) --t;
    while (t < uew && HalfWidthFits(t + 1, uew, ueh, q)) ++t;
    const std::int64_t centre = box.left + box.right, half = static_cast<std::int64_t>(t);
    // |2x + 1 - centre| <= half
    begin = -FloorDiv2(-(centre - half - 1)); // ceiling
    end = FloorDiv2(centre + half - 1) + 1;
}

// The parts of the runs of a that no run of b covers; both ordered and apart.
void SubtractSpans(const std::vector<MaskSpan> &a, const std::vector<MaskSpan> &b, std::vector<MaskSpan> &out) {
    out.clear();
    std::size_t first = 0;
    for (const MaskSpan &span : a) {
        while (first < b.size() && b[first].end <= span.begin) ++first;
        std::int32_t begin = span.begin;
        for (std::size_t k = first; begin < span.end; ++k) {
            if (k == b.size() || b[k].begin >= span.end) {
                out.push_back({begin, span.end});
                break;
            }
            if (b[k].begin > begin) out.push_back({begin, b[k].begin});
            begin = std::max(begin, b[k].end);
        }
    }
}

RowBand Clamp(std::int64_t top, std::int64_t bottom, std::int64_t height) {
    return {static_cast<std::int32_t>(std::clamp<std::int64_t>(top, 0, height)),
            static_cast<std::int32_t>(std::clamp<std::int64_t>(bottom, 0, height))};
}

void AppendSpan(std::vector<MaskSpan> &out, std::int64_t begin, std::int64_t end, std::int32_t from,
                std::int32_t to) {
    begin = std::max<std::int64_t>(begin, from);
    end = std::min<std::int64_t>(end, to);
    if (begin >= end) return;
    if (!out.empty() && out.back().end >= begin) {
        out.back().end = std::max(out.back().end, static_cast<std::int32_t>(end));
        return;
    }
    out.push_back({static_cast<std::int32_t>(begin), static_cast<std::int32_t>(end)});
}

} // namespace

std::uint8_t DissolveGrey(std::int32_t level) {
    return static_cast<std::uint8_t>((std::int64_t{level} * 255 / 100) & 0xFF);
}

std::int32_t DitherCount(std::uint8_t grey) { return (std::int32_t{grey} * 64 + 127) / 255; }

std::uint8_t DitherRowBits(std::uint8_t grey, std::int32_t y) {
    const std::int32_t count = DitherCount(grey);
    std::uint8_t bits = 0;
    for (int i = 0; i < 8; ++i)
        if (kBayer[y & 7][i] < count) bits = static_cast<std::uint8_t>(bits | (1u << i));
    return bits;
}

EllipseBox EllipseBoxFor(const MaskRect &rect, std::int32_t percent) {
    if (!UsableRect(rect)) return {0, 0, 0, 0};
    const std::int64_t w = std::int64_t{rect.right} - rect.left;
    const std::int64_t h = std::int64_t{rect.bottom} - rect.top;
    const std::int64_t d = static_cast<std::int64_t>(std::sqrt(2.0 * static_cast<double>(h) * static_cast<double>(h)));
    const std::int64_t e = d * w / h;
    const std::int64_t ew = e * percent / 100;
    const std::int64_t eh = d * percent / 100;
    const std::int64_t x0 = rect.left + w / 2 - ew / 2;
    const std::int64_t y0 = rect.top + h / 2 - eh / 2;
    return {x0, y0, x0 + ew, y0 + eh};
}

MaskRows::MaskRows(std::int32_t style, std::int32_t level, std::int32_t width, std::int32_t height)
    : width_(width), height_(height) {
    const MaskRect rect{0, 0, width, height};
    if (!UsableRect(rect)) return; // nothing to reveal
    level = std::clamp(level, 0, 100);
    if (level == 0) return;
    if (level == 100) {
        kind_ = Kind::kWhite;
        return;
    }
    switch (style) {
    case kDissolve:
        kind_ = Kind::kDither;
        grey_ = DissolveGrey(level);
        break;
    case kHorizontalMesh:
        kind_ = Kind::kHorizontalMesh;
        thickness_ = std::int64_t{width} / 100;
        length_ = std::int64_t{width} * level / 100;
        break;
    case kVerticalMesh:
        kind_ = Kind::kVerticalMesh;
        thickness_ = std::int64_t{height} / 100;
        length_ = std::int64_t{height} * level / 100;
        break;
    case kEllipseInwards:
    case kEllipseOutwards:
        kind_ = Kind::kEllipse;
        ellipseWhite_ = style == kEllipseOutwards;
        box_ = EllipseBoxFor(rect, ellipseWhite_ ? level : 100 - level);
        break;
    case kFourCorners:
        kind_ = Kind::kCorners;
        cornerWidth_ = std::int64_t{width} * level / 200;
        cornerHeight_ = std::int64_t{height} * level / 200;
        break;
    default: kind_ = Kind::kWhite; break;
    }
}

std::uint8_t MaskRows::DitherBits(std::int32_t y) const { return DitherRowBits(grey_, y); }

std::uint8_t MaskRows::PatternBits(std::int32_t y) const {
    if (kind_ == Kind::kWhite) return 0xFF;
    return kind_ == Kind::kDither ? DitherBits(y) : 0;
}

std::int64_t MaskRows::RowKey(std::int32_t y) const {
    switch (kind_) {
    case Kind::kDither: return y & 7;
    case Kind::kHorizontalMesh: return thickness_ == 0 ? 0 : (y / thickness_) % 2;
    case Kind::kVerticalMesh: return (y >= height_ - length_ ? 2 : 0) + (y < length_ ? 1 : 0);
    case Kind::kEllipse: return y >= box_.top && y < box_.bottom ? y : -1;
    case Kind::kCorners: return y < cornerHeight_ || y >= height_ - cornerHeight_ ? 1 : 0;
    default: return 0;
    }
}

void MaskRows::Spans(std::int32_t y, std::int32_t from, std::int32_t to, std::vector<MaskSpan> &out) const {
    out.clear();
    from = std::max(from, 0);
    to = std::min(to, width_);
    if (from >= to || y < 0 || y >= height_) return;
    const std::int64_t w = width_, h = height_;
    switch (kind_) {
    case Kind::kBlack: return;
    case Kind::kWhite: return AppendSpan(out, 0, w, from, to);
    case Kind::kDither: { // runs of the repeating pattern
        const std::uint8_t bits = DitherBits(y);
        for (std::int32_t x = from; x < to; ++x)
            if ((bits >> (x & 7)) & 1u) AppendSpan(out, x, std::int64_t{x} + 1, from, to);
        return;
    }
    case Kind::kHorizontalMesh: {
        if (thickness_ == 0) return;
        // Row y lies in bar y / s, and that bar's counter is below h.
        if ((y / thickness_) % 2 == 0) return AppendSpan(out, w - length_, w, from, to);
        return AppendSpan(out, 0, length_, from, to);
    }
    case Kind::kVerticalMesh: {
        if (thickness_ == 0) return;
        const bool even = y >= h - length_, odd = y < length_;
        if (even && odd) return AppendSpan(out, 0, w, from, to);
        if (!even && !odd) return;
        const std::int64_t parity = even ? 0 : 1;
        std::int64_t k = from / thickness_;
        if (k % 2 != parity) ++k;
        for (; k * thickness_ < to; k += 2) AppendSpan(out, k * thickness_, (k + 1) * thickness_, from, to);
        return;
    }
    case Kind::kEllipse: {
        std::int64_t begin, end;
        EllipseRow(box_, y, begin, end);
        if (ellipseWhite_) return AppendSpan(out, begin, end, from, to);
        if (begin >= end) return AppendSpan(out, 0, w, from, to);
        AppendSpan(out, 0, begin, from, to);
        return AppendSpan(out, end, w, from, to);
    }
    case Kind::kCorners: {
        if (y >= cornerHeight_ && y < h - cornerHeight_) return;
        AppendSpan(out, 0, cornerWidth_, from, to);
        return AppendSpan(out, w - cornerWidth_, w, from, to);
    }
    }
}

void MaskChangedRows(const MaskRows &before, const MaskRows &after, RowBand (&bands)[2]) {
    using Kind = MaskRows::Kind;
    const std::int64_t h = after.height_;
    bands[0] = {0, after.height_};
    bands[1] = {0, 0};
    if (before.width_ != after.width_ || before.height_ != after.height_ || before.kind_ != after.kind_) return;
    switch (after.kind_) {
    case Kind::kEllipse: {
        if (before.ellipseWhite_ != after.ellipseWhite_) return;
        // Outside both boxes every row is the field colour in both.
        auto rows = [](const EllipseBox &b) {
            return b.right > b.left && b.bottom > b.top ? b : EllipseBox{0, 0, 0, 0};
        };
        const EllipseBox a = rows(before.box_), b = rows(after.box_);
        if (a.bottom <= a.top)
            bands[0] = Clamp(b.top, b.bottom, h);
        else if (b.bottom <= b.top)
            bands[0] = Clamp(a.top, a.bottom, h);
        else
            bands[0] = Clamp(std::min(a.top, b.top), std::max(a.bottom, b.bottom), h);
        return;
    }
    case Kind::kCorners: {
        const std::int64_t low = std::min(before.cornerHeight_, after.cornerHeight_);
        const std::int64_t high = std::max(before.cornerHeight_, after.cornerHeight_);
        // With the same corner width, only rows that one mask has in its corners differ.
        const std::int64_t from = before.cornerWidth_ == after.cornerWidth_ ? low : 0;
        bands[0] = Clamp(from, high, h);
        bands[1] = Clamp(h - high, h - from, h);
        return;
    }
    case Kind::kVerticalMesh: {
        // Odd columns are white above n, even ones below h - n.
        const std::int64_t low = std::min(before.length_, after.length_);
        const std::int64_t high = std::max(before.length_, after.length_);
        bands[0] = Clamp(low, high, h);
        bands[1] = Clamp(h - high, h - low, h);
        return;
    }
    case Kind::kHorizontalMesh:
        if (before.length_ == after.length_) bands[0] = {0, 0};
        return;
    case Kind::kBlack:
    case Kind::kWhite: bands[0] = {0, 0}; return;
    case Kind::kDither:
        if (before.grey_ == after.grey_) bands[0] = {0, 0};
        return;
    }
}

void MaskRowChange(const MaskRows &before, const MaskRows &after, std::int32_t y, std::int32_t from,
                   std::int32_t to, std::vector<MaskSpan> &revealed, std::vector<MaskSpan> &hidden,
                   std::vector<MaskSpan> &scratchBefore, std::vector<MaskSpan> &scratchAfter) {
    before.Spans(y, from, to, scratchBefore);
    after.Spans(y, from, to, scratchAfter);
    SubtractSpans(scratchAfter, scratchBefore, revealed);
    SubtractSpans(scratchBefore, scratchAfter, hidden);
}
