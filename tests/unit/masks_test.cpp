// Transition masks: every style's geometry at its telling sizes and levels, and the
// row-run form the compositor reads checked against the literal drawing.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/literal_mask.h"

namespace {

MaskBuffer Draw(std::int32_t style, std::int32_t level, std::int32_t width, std::int32_t height) {
    MaskBuffer mask(width, height);
    DrawTransitionMask(mask, style, level);
    return mask;
}

std::int64_t CountWhite(const MaskBuffer &mask, std::int32_t left, std::int32_t top, std::int32_t right,
                        std::int32_t bottom) {
    std::int64_t n = 0;
    for (std::int32_t y = top; y < bottom; ++y)
        for (std::int32_t x = left; x < right; ++x) n += mask.At(x, y);
    return n;
}

std::int64_t CountWhite(const MaskBuffer &mask) { return CountWhite(mask, 0, 0, mask.Width(), mask.Height()); }

// Rebuilds row y of the mask from its runs (or its dither bits) asked for
// within [askFrom, askTo), over the columns from .. to - 1 that lie in the mask.
std::vector<std::uint8_t> RowFromRuns(const MaskRows &rows, std::int32_t y, std::int32_t askFrom,
                                      std::int32_t askTo, std::int32_t from, std::int32_t to) {
    std::vector<std::uint8_t> row(static_cast<size_t>(to - from), 0);
    std::vector<MaskSpan> spans;
    rows.Spans(y, askFrom, askTo, spans);
    std::int32_t last = from - 1;
    for (const MaskSpan &s : spans) {
        EXPECT_LT(s.begin, s.end);
        EXPECT_GT(s.begin, last) << "runs must be ordered and apart";
        EXPECT_GE(s.begin, from);
        EXPECT_LE(s.end, to);
        last = s.end;
        for (std::int32_t x = s.begin; x < s.end; ++x) row[x - from] = 1;
    }
    if (rows.Dithered()) { // the compositor reads the pattern bits instead
        const std::uint8_t bits = rows.DitherBits(y);
        std::int32_t x = from;
        while (x < to && row[x - from] == ((bits >> (x & 7)) & 1)) ++x;
        EXPECT_EQ(x, to) << "runs and pattern differ";
    }
    return row;
}

} // namespace

TEST(Masks, LevelEndsAndUnknownStylesIgnoreTheStyle) {
    for (std::int32_t style = -1; style <= 7; ++style) {
        EXPECT_EQ(CountWhite(Draw(style, -5, 37, 23)), 0) << style;
        EXPECT_EQ(CountWhite(Draw(style, 250, 37, 23)), 37 * 23) << style;
    }
    // Instant Display, and anything outside 1..6 draws like it.
    for (std::int32_t style : {0, 7, -1, 1000}) EXPECT_EQ(CountWhite(Draw(style, 50, 40, 30)), 40 * 30);
}

TEST(Masks, HorizontalMeshBarsTakeTheirHeightFromTheWidth) {
    // 800 wide: bars 8 rows high, bar 0 from the right edge, bar 1 from the left.
    const MaskBuffer mask = Draw(kHorizontalMesh, 50, 800, 20);
    for (std::int32_t y = 0; y < 20; ++y) {
        const bool fromRight = (y / 8) % 2 == 0;
        SCOPED_TRACE(y);
        EXPECT_EQ(CountWhite(mask, 0, y, 800, y + 1), 400);
        EXPECT_EQ(mask.At(fromRight ? 400 : 0, y), 1);
        EXPECT_EQ(mask.At(fromRight ? 399 : 400, y), 0);
    }
    const MaskBuffer first = Draw(kHorizontalMesh, 1, 800, 9);
    EXPECT_EQ(CountWhite(first, 792, 0, 800, 8), 8 * 8);
    EXPECT_EQ(CountWhite(first, 0, 0, 792, 8), 0);
    EXPECT_EQ(CountWhite(first, 0, 8, 8, 9), 8);

    // Narrower than 100 pixels: no bar has any height until level 100.
    for (std::int32_t level = 1; level <= 99; ++level)
        EXPECT_EQ(CountWhite(Draw(kHorizontalMesh, level, 99, 300)), 0);
    EXPECT_EQ(CountWhite(Draw(kHorizontalMesh, 100, 99, 300)), 99 * 300);
}

TEST(Masks, VerticalMeshColumnsTakeTheirWidthFromTheHeight) {
    // 300 high: columns 3 wide, 90 rows long; even columns grow from the bottom.
    const MaskBuffer mask = Draw(kVerticalMesh, 30, 20, 300);
    for (std::int32_t x = 0; x < 20; ++x) {
        const bool even = (x / 3) % 2 == 0;
        SCOPED_TRACE(x);
        EXPECT_EQ(CountWhite(mask, x, 0, x + 1, 300), 90);
        EXPECT_EQ(mask.At(x, even ? 210 : 89), 1);
        EXPECT_EQ(mask.At(x, even ? 209 : 90), 0);
    }
    for (std::int32_t level : {1, 50, 99}) EXPECT_EQ(CountWhite(Draw(kVerticalMesh, level, 300, 99)), 0);
}

TEST(Masks, EllipseOutwardsAtHalfOnTwoHundredByHundred) {
    const EllipseBox box = EllipseBoxFor({0, 0, 200, 100}, 50);
    EXPECT_EQ(box.left, 30);
    EXPECT_EQ(box.top, 15);
    EXPECT_EQ(box.right, 171);
    EXPECT_EQ(box.bottom, 85);

    const MaskBuffer mask = Draw(kEllipseOutwards, 50, 200, 100);
    // White exactly within the box, touching all four of its sides, and symmetric.
    std::int32_t minX = 200, minY = 100, maxX = -1, maxY = -1;
    for (std::int32_t y = 0; y < 100; ++y)
        for (std::int32_t x = 0; x < 200; ++x)
            if (mask.At(x, y)) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
                EXPECT_EQ(mask.At(30 + 170 - x, y), 1);
                EXPECT_EQ(mask.At(x, 15 + 84 - y), 1);
            }
    EXPECT_EQ(minX, 30);
    EXPECT_EQ(maxX, 170);
    EXPECT_EQ(minY, 15);
    EXPECT_EQ(maxY, 84);
    // Pi / 4 of the box, to within the boundary pixels.
    EXPECT_NEAR(static_cast<double>(CountWhite(mask)), 3.14159265 / 4 * 141 * 70, 141 + 70);

    // Inwards at the same percentage (level 50) is the exact negative.
    const MaskBuffer inwards = Draw(kEllipseInwards, 50, 200, 100);
    for (std::int32_t y = 0; y < 100; ++y)
        for (std::int32_t x = 0; x < 200; ++x) ASSERT_EQ(inwards.At(x, y), 1 - mask.At(x, y)) << x << "," << y;
}

TEST(Masks, EllipseInwardsStartsFromTheCornersAndNeverDividesByZero) {
    const MaskBuffer first = Draw(kEllipseInwards, 1, 200, 100);
    EXPECT_EQ(first.At(0, 0) + first.At(199, 0) + first.At(0, 99) + first.At(199, 99), 4);
    EXPECT_EQ(first.At(100, 0) + first.At(0, 50), 0);
    std::int64_t previous = 0;
    for (std::int32_t level = 1; level <= 99; ++level) {
        const std::int64_t white = CountWhite(Draw(kEllipseInwards, level, 120, 90));
        EXPECT_GE(white, previous) << level;
        previous = white;
    }
    EXPECT_EQ(previous, 120 * 90 - 1); // at 99 the ellipse is 1 x 1
    const MaskRows flat(kEllipseInwards, 50, 50, 0);
    std::vector<MaskSpan> spans;
    flat.Spans(0, 0, 50, spans);
    EXPECT_TRUE(spans.empty());
}

TEST(Masks, FourCornersAtHalf) {
    const MaskBuffer mask = Draw(kFourCorners, 50, 200, 100);
    EXPECT_EQ(CountWhite(mask), 4 * 50 * 25);
    EXPECT_EQ(CountWhite(mask, 0, 0, 50, 25) + CountWhite(mask, 150, 75, 200, 100), 2 * 50 * 25);
}

TEST(Masks, DissolveLightsAGrowingShareSpreadOut) {
    std::int64_t previous = 0;
    for (std::int32_t level = 1; level <= 99; ++level) {
        SCOPED_TRACE(level);
        const MaskBuffer mask = Draw(kDissolve, level, 64, 64);
        const std::int64_t white = CountWhite(mask);
        EXPECT_NEAR(static_cast<double>(white) / (64 * 64), level / 100.0, 0.03);
        EXPECT_GT(white, 0);
        EXPECT_GE(white, previous);
        previous = white;
        // Every 8 x 8 block carries the same pattern, anchored at the mask's corner.
        for (std::int32_t y = 0; y < 56; ++y)
            for (std::int32_t x = 0; x < 56; ++x) {
                ASSERT_EQ(mask.At(x, y), mask.At(x + 8, y));
                ASSERT_EQ(mask.At(x, y), mask.At(x, y + 8));
            }
    }
    // Spread out rather than in lumps: at half every row and column is half lit.
    const MaskBuffer half = Draw(kDissolve, 50, 8, 8);
    for (std::int32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(CountWhite(half, 0, i, 8, i + 1), 4);
        EXPECT_EQ(CountWhite(half, i, 0, i + 1, 8), 4);
    }
}

TEST(Masks, RowRunsMatchTheDrawnMask) {
    const std::int32_t sizes[][2] = {{1, 1}, {7, 3}, {99, 150}, {150, 99}, {201, 103}, {813, 17}, {17, 420}};
    const std::int32_t levels[] = {0, 1, 2, 33, 50, 67, 98, 99, 100};
    for (const auto &size : sizes)
        for (std::int32_t style = -1; style <= 7; ++style)
            for (std::int32_t level : levels) {
                const std::int32_t w = size[0], h = size[1];
                SCOPED_TRACE(testing::Message() << w << "x" << h << " style " << style << " level " << level);
                const MaskBuffer mask = Draw(style, level, w, h);
                const MaskRows rows(style, level, w, h);
                for (std::int32_t y = 0; y < h; ++y) {
                    // The whole row, and a window that starts and ends inside runs.
                    const std::int32_t windows[][2] = {{0, w}, {w / 3, w - w / 4}, {-5, w + 5}};
                    for (const auto &win : windows) {
                        const std::int32_t from = std::max(win[0], 0), to = std::min(win[1], w);
                        if (from >= to) continue;
                        const std::vector<std::uint8_t> row = RowFromRuns(rows, y, win[0], win[1], from, to);
                        std::int32_t x = from;
                        while (x < to && row[x - from] == mask.At(x, y)) ++x;
                        ASSERT_EQ(x, to) << "first difference in row " << y;
                    }
                }
            }
}

TEST(Masks, HugeMasksStayExact) {
    // Sides of 2^30: every product is taken in 64 or 128 bits (checked by UBSan natively).
    const std::int32_t side = 1 << 30;
    const EllipseBox box = EllipseBoxFor({0, 0, side, side}, 99);
    EXPECT_GT(box.right - box.left, side);
    EXPECT_LT(box.left, 0);
    const MaskRows outwards(kEllipseOutwards, 99, side, side);
    std::vector<MaskSpan> spans;
    outwards.Spans(side / 2, side / 2 - 100, side / 2 + 100, spans);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0].begin, side / 2 - 100);
    EXPECT_EQ(spans[0].end, side / 2 + 100);
    outwards.Spans(0, 0, side, spans); // the top row's run is symmetric
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0].begin + spans[0].end, side);
    const MaskRows mesh(kHorizontalMesh, 99, side, 3);
    mesh.Spans(2, 0, side, spans);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0].end, side);
    // Beyond the limit nothing is revealed rather than wrapping around.
    const MaskRows tooLarge(kInstantDisplay, 100, side + 1, 2);
    EXPECT_TRUE(tooLarge.AllBlack());
}
