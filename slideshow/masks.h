// Transition masks: which pixels of the scaled picture a frame reveals, for each
// style and fade level, read row by row as runs of white, which is how the
// compositor uses them, and what changes from one mask to another, so a fade can
// redraw only that.
// Pure: no platform headers, no state kept between frames.
#pragma once

#include <cstdint>
#include <vector>

enum TransitionStyle : std::int32_t {
    kInstantDisplay = 0,
    kDissolve = 1,
    kHorizontalMesh = 2,
    kVerticalMesh = 3,
    kEllipseInwards = 4,
    kEllipseOutwards = 5,
    kFourCorners = 6,
};

// Half-open: covers (right - left) x (bottom - top) pixels.
struct MaskRect {
    std::int32_t left, top, right, bottom;
};

// The ellipse's bounding box for a percentage p of the circumscribing size;
// empty (all zero) when the rectangle has no area.
struct EllipseBox {
    std::int64_t left, top, right, bottom;
};
EllipseBox EllipseBoxFor(const MaskRect &rect, std::int32_t percent);

// Dissolve: the grey (L x 255 / 100, low 8 bits), how many of the 64 cells of
// the 8 x 8 threshold matrix it lights, and row y's pattern (bit i: the columns
// x with x % 8 == i are white). Anchored at the mask's own top-left corner.
std::uint8_t DissolveGrey(std::int32_t level);
std::int32_t DitherCount(std::uint8_t grey);
std::uint8_t DitherRowBits(std::uint8_t grey, std::int32_t y);

// A run of white pixels: columns begin .. end - 1.
struct MaskSpan {
    std::int32_t begin, end;
};

// Rows top .. bottom - 1; empty when bottom <= top.
struct RowBand {
    std::int32_t top, bottom;
};

// The mask of one frame over (0, 0, width, height), read row by row: the level
// clamped to 0..100, its ends all black and all white for every style, styles
// other than 1..6 all white; only the rows asked for are worked out.
class MaskRows {
public:
    MaskRows(std::int32_t style, std::int32_t level, std::int32_t width, std::int32_t height);

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    bool AllBlack() const { return kind_ == Kind::kBlack; }
    bool AllWhite() const { return kind_ == Kind::kWhite; }
    // Dissolve rows are a repeating 8-pixel pattern rather than runs.
    bool Dithered() const { return kind_ == Kind::kDither; }
    std::uint8_t DitherBits(std::int32_t y) const;
    // Dissolve, all white and all black: every row is an 8-pixel pattern
    // (bit i: the columns x with x % 8 == i are white).
    bool Patterned() const { return kind_ == Kind::kDither || kind_ == Kind::kWhite || kind_ == Kind::kBlack; }
    std::uint8_t PatternBits(std::int32_t y) const;
    // The white runs of row y (0 <= y < height) within columns from .. to - 1,
    // left to right, replacing the vector's contents.
    void Spans(std::int32_t y, std::int32_t from, std::int32_t to, std::vector<MaskSpan> &out) const;
    // Two rows with the same key, one after the other, have the same runs.
    std::int64_t RowKey(std::int32_t y) const;

private:
    friend void MaskChangedRows(const MaskRows &before, const MaskRows &after, RowBand (&bands)[2]);

    enum class Kind { kBlack, kWhite, kDither, kHorizontalMesh, kVerticalMesh, kEllipse, kCorners };
    Kind kind_ = Kind::kBlack;
    std::int32_t width_, height_;
    std::uint8_t grey_ = 0;
    std::int64_t thickness_ = 0, length_ = 0; // meshes: s and n
    std::int64_t cornerWidth_ = 0, cornerHeight_ = 0;
    EllipseBox box_{};
    bool ellipseWhite_ = false; // the colour inside the ellipse
};

// The rows in which two masks of one size can differ: every row outside both
// bands is the same in both. Masks of different sizes differ everywhere.
void MaskChangedRows(const MaskRows &before, const MaskRows &after, RowBand (&bands)[2]);

// Row y's change from one mask to another, within columns from .. to - 1: the
// runs that turn white (revealed) and those that turn black (hidden), each
// ordered left to right. Runs of `before` and `after` are passed in as scratch.
void MaskRowChange(const MaskRows &before, const MaskRows &after, std::int32_t y, std::int32_t from,
                   std::int32_t to, std::vector<MaskSpan> &revealed, std::vector<MaskSpan> &hidden,
                   std::vector<MaskSpan> &scratchBefore, std::vector<MaskSpan> &scratchAfter);
