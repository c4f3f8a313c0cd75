// Transition masks: the row form the compositor reads, and what changes between
// two masks, against the literal drawing for every style at telling sizes and
// levels; then the geometry facts the drawing could get wrong in the same way.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "tests/support/literal_mask.h"

namespace {

using Runs = std::vector<std::pair<std::int32_t, std::int32_t>>;

// The runs, checked to be ordered and apart.
Runs Checked(const std::vector<MaskSpan> &spans) {
    Runs runs;
    for (const MaskSpan &s : spans) {
        EXPECT_TRUE(s.begin < s.end && (runs.empty() || s.begin > runs.back().second)) << s.begin << ".." << s.end;
        runs.emplace_back(s.begin, s.end);
    }
    return runs;
}

Runs RunsOf(const MaskRows &rows, std::int32_t y, std::int32_t from = -5, std::int32_t to = 1 << 30) {
    std::vector<MaskSpan> spans;
    rows.Spans(y, from, to, spans);
    return Checked(spans);
}

// The runs as a row of w pixels, 1 where white.
std::vector<std::uint8_t> Painted(const Runs &runs, std::int32_t w) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w), 0);
    for (const auto &[begin, end] : runs) {
        EXPECT_TRUE(begin >= 0 && end <= w) << begin << ".." << end;
        for (std::int32_t x = std::max(begin, 0); x < std::min(end, w); ++x) row[x] = 1;
    }
    return row;
}

} // namespace

TEST(Masks, RowFormAndChangesMatchTheLiteralDrawing) {
    const std::int32_t sizes[][2] = {{1, 1}, {7, 3}, {99, 150}, {150, 99}, {201, 103}, {813, 17}, {17, 420}, {50, 0}};
    const std::int32_t levels[] = {-5, 1, 2, 33, 50, 67, 98, 99, 100, 250};
    std::vector<MaskSpan> revealed, hidden, a, b;
    for (const auto &size : sizes)
        for (std::int32_t style = -1; style <= 7; ++style)
            for (std::size_t i = 0; i < std::size(levels); ++i) {
                // Against the mask a fade step before, now and then of another style.
                const std::int32_t w = size[0], h = size[1], level = levels[i], from = w / 3, to = w - w / 4;
                const std::int32_t beforeStyle = i % 3 ? style : (style + 3) % 8, beforeLevel = levels[i ? i - 1 : 1];
                SCOPED_TRACE(testing::Message() << w << "x" << h << " style " << beforeStyle << " level "
                                                << beforeLevel << " to style " << style << " level " << level);
                MaskBuffer mask(w, h), was(w, h);
                DrawTransitionMask(mask, style, level);
                DrawTransitionMask(was, beforeStyle, beforeLevel);
                const MaskRows rows(style, level, w, h), before(beforeStyle, beforeLevel, w, h);
                RowBand bands[2];
                MaskChangedRows(before, rows, bands);
                for (std::int32_t y = 0; y < h; ++y) {
                    MaskRowChange(before, rows, y, from, to, revealed, hidden, a, b);
                    const auto whole = Painted(RunsOf(rows, y, -5, w + 5), w), part = Painted(RunsOf(rows, y, from, to), w);
                    const auto on = Painted(Checked(revealed), w), off = Painted(Checked(hidden), w);
                    bool changed = false;
                    for (std::int32_t x = 0; x < w; ++x) {
                        const bool now = mask.At(x, y), then = was.At(x, y), inside = x >= from && x < to;
                        ASSERT_EQ(whole[x], now) << "at " << x << "," << y;
                        ASSERT_EQ(part[x], inside && now) << "at " << x << "," << y;
                        ASSERT_EQ(on[x], inside && now && !then) << "at " << x << "," << y;
                        ASSERT_EQ(off[x], inside && !now && then) << "at " << x << "," << y;
                        if (rows.Patterned()) {
                            ASSERT_EQ((rows.PatternBits(y) >> (x & 7)) & 1, now) << x << "," << y;
                        }
                        if (y > 0 && rows.RowKey(y) == rows.RowKey(y - 1)) {
                            ASSERT_EQ(now, mask.At(x, y - 1)) << "same key, other pixels in row " << y;
                        }
                        changed |= now != then;
                    }
                    const bool inBand = (y >= bands[0].top && y < bands[0].bottom) || (y >= bands[1].top && y < bands[1].bottom);
                    ASSERT_TRUE(inBand || !changed) << "row " << y << " changed outside the bands";
                }
            }
}

TEST(Masks, GeometryAtTheTellingSizes) {
    for (std::int32_t style : {-1, 0, 4, 7}) { // the level's ends whatever the style; 7 and -1 as style 0
        EXPECT_TRUE(MaskRows(style, -5, 37, 23).AllBlack()) << style;
        EXPECT_TRUE(MaskRows(style, style == 4 ? 100 : 50, 37, 23).AllWhite()) << style;
    }
    // 800 wide: bars 8 rows high, bar 0 from the right edge, bar 1 from the left.
    const MaskRows bars(kHorizontalMesh, 50, 800, 20);
    EXPECT_EQ(RunsOf(bars, 7), (Runs{{400, 800}}));
    EXPECT_EQ(RunsOf(bars, 8), (Runs{{0, 400}}));
    EXPECT_TRUE(RunsOf(MaskRows(kHorizontalMesh, 99, 99, 300), 0).empty()); // no bar height below 100 wide
    // 300 high: columns 3 wide and 90 long; even ones grow from the bottom.
    const MaskRows columns(kVerticalMesh, 30, 20, 300);
    EXPECT_EQ(RunsOf(columns, 89), (Runs{{3, 6}, {9, 12}, {15, 18}}));
    EXPECT_TRUE(RunsOf(columns, 90).empty());
    EXPECT_EQ(RunsOf(columns, 210), (Runs{{0, 3}, {6, 9}, {12, 15}, {18, 20}}));
    const MaskRows corners(kFourCorners, 50, 200, 100);
    EXPECT_EQ(RunsOf(corners, 24), (Runs{{0, 50}, {150, 200}}));
    EXPECT_TRUE(RunsOf(corners, 25).empty());
    EXPECT_EQ(RunsOf(corners, 75), RunsOf(corners, 0));

    // D = 141, E = 282: an ellipse 141 x 70; a pixel is in when its centre is.
    const EllipseBox box = EllipseBoxFor({0, 0, 200, 100}, 50);
    EXPECT_EQ((std::vector<std::int64_t>{box.left, box.top, box.right, box.bottom}),
              (std::vector<std::int64_t>{30, 15, 171, 85}));
    const MaskRows ellipse(kEllipseOutwards, 50, 200, 100);
    EXPECT_TRUE(RunsOf(ellipse, 14).empty());
    EXPECT_EQ(RunsOf(ellipse, 15), (Runs{{89, 112}}));
    EXPECT_EQ(RunsOf(ellipse, 49), (Runs{{30, 171}}));
}

TEST(Masks, DissolveLightsAGrowingShareSpreadOut) {
    std::int32_t previous = 0;
    for (std::int32_t level = 1; level <= 99; ++level) {
        std::int32_t lit = 0;
        for (std::int32_t y = 0; y < 8; ++y)
            for (std::int32_t x = 0; x < 8; ++x) lit += DitherRowBits(DissolveGrey(level), y) >> x & 1;
        EXPECT_NEAR(lit / 64.0, level / 100.0, 0.02) << level;
        EXPECT_TRUE(lit > 0 && lit >= previous) << level;
        previous = lit;
    }
    // Spread out rather than in lumps: at half every row and every column of a cell is half lit.
    std::int32_t columns[8] = {};
    for (std::int32_t y = 0; y < 8; ++y) {
        const std::uint8_t bits = DitherRowBits(DissolveGrey(50), y);
        EXPECT_EQ(__builtin_popcount(bits), 4) << y;
        for (std::int32_t x = 0; x < 8; ++x) columns[x] += bits >> x & 1;
    }
    for (const std::int32_t c : columns) EXPECT_EQ(c, 4);
}

TEST(Masks, HugeMasksStayExact) {
    // Sides of 2^30: products in 64 and 128 bits (UBSan watches natively); beyond, nothing rather than a wrap.
    const std::int32_t side = 1 << 30;
    const MaskRows outwards(kEllipseOutwards, 99, side, side);
    EXPECT_EQ(RunsOf(outwards, side / 2, side / 2 - 100, side / 2 + 100), (Runs{{side / 2 - 100, side / 2 + 100}}));
    const Runs top = RunsOf(outwards, 0);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].first + top[0].second, side); // symmetric
    EXPECT_EQ(RunsOf(MaskRows(kHorizontalMesh, 99, side, 3), 2).back().second, side);
    EXPECT_TRUE(MaskRows(kInstantDisplay, 100, side + 1, 2).AllBlack());
}
