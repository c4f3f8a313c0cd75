// Transition masks: the geometry facts that the literal drawing, against which
// the compositor's tests check the row form, could get wrong in the same way.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "slideshow/masks.h"

namespace {
using Runs = std::vector<std::pair<std::int32_t, std::int32_t>>;
Runs RunsOf(const MaskRows &rows, std::int32_t y, std::int32_t from = 0, std::int32_t to = 1 << 30) {
    std::vector<MaskSpan> spans;
    rows.Spans(y, from, to, spans);
    Runs runs;
    for (const MaskSpan &s : spans) runs.emplace_back(s.begin, s.end);
    return runs;
}
} // namespace

TEST(Masks, GeometryAtTheTellingSizes) {
    for (std::int32_t style : {-1, 0, 4, 7}) { // the level's ends whatever the style; 7 and -1 as style 0
        EXPECT_TRUE(MaskRows(style, -5, 37, 23).AllBlack()) << style;
        EXPECT_TRUE(MaskRows(style, style == 4 ? 100 : 50, 37, 23).AllWhite()) << style;
    }
    // 800 wide: bars 8 rows high, bar 0 from the right edge, bar 1 from the left; none below 100 wide.
    const MaskRows bars(kHorizontalMesh, 50, 800, 20);
    EXPECT_TRUE(RunsOf(bars, 7) == Runs({{400, 800}}) && RunsOf(bars, 8) == Runs({{0, 400}}));
    EXPECT_TRUE(RunsOf(MaskRows(kHorizontalMesh, 99, 99, 300), 0).empty());
    // 300 high: columns 3 wide and 90 long; even ones grow from the bottom.
    const MaskRows columns(kVerticalMesh, 30, 20, 300);
    EXPECT_TRUE(RunsOf(columns, 89) == Runs({{3, 6}, {9, 12}, {15, 18}}) && RunsOf(columns, 90).empty());
    EXPECT_EQ(RunsOf(columns, 210), Runs({{0, 3}, {6, 9}, {12, 15}, {18, 20}}));
    const MaskRows corners(kFourCorners, 50, 200, 100); // four 50 x 25
    EXPECT_TRUE(RunsOf(corners, 75) == Runs({{0, 50}, {150, 200}}) && RunsOf(corners, 74).empty());
    EXPECT_EQ(RunsOf(corners, 24), RunsOf(corners, 75));
    // D = 141, E = 282: an ellipse 141 x 70 in (30, 15, 171, 85); a pixel is in when its centre is.
    const EllipseBox box = EllipseBoxFor({0, 0, 200, 100}, 50);
    EXPECT_TRUE(box.left == 30 && box.top == 15 && box.right == 171 && box.bottom == 85);
    const MaskRows ellipse(kEllipseOutwards, 50, 200, 100);
    EXPECT_TRUE(RunsOf(ellipse, 14).empty());
    EXPECT_TRUE(RunsOf(ellipse, 15) == Runs({{89, 112}}) && RunsOf(ellipse, 49) == Runs({{30, 171}}));
}

TEST(Masks, DissolveLightsAGrowingShareSpreadOut) {
    std::int32_t previous = 0, rows[8] = {}, columns[8] = {};
    for (std::int32_t level = 1; level <= 99; ++level) {
        std::int32_t lit = 0;
        for (std::int32_t y = 0; y < 8; ++y)
            for (std::int32_t x = 0; x < 8; ++x) {
                const std::int32_t on = DitherRowBits(DissolveGrey(level), y) >> x & 1;
                lit += on;
                if (level == 50) rows[y] += on, columns[x] += on;
            }
        EXPECT_TRUE(std::abs(lit - level * 64 / 100) <= 1 && lit > 0 && lit >= previous) << level;
        previous = lit;
    }
    // Spread out rather than in lumps: at half every row and every column of a cell is half lit.
    EXPECT_TRUE(std::vector<int>(rows, rows + 8) == std::vector<int>(8, 4) &&
                std::vector<int>(columns, columns + 8) == std::vector<int>(8, 4));
}

TEST(Masks, HugeMasksStayExact) {
    // Sides of 2^30: products in 64 and 128 bits (UBSan watches natively); beyond, nothing rather than a wrap.
    const std::int32_t side = 1 << 30;
    const MaskRows outwards(kEllipseOutwards, 99, side, side);
    EXPECT_EQ(RunsOf(outwards, side / 2, side / 2 - 100, side / 2 + 100),
              Runs({{side / 2 - 100, side / 2 + 100}}));
    const Runs top = RunsOf(outwards, 0);
    EXPECT_TRUE(top.size() == 1 && top[0].first + top[0].second == side) << "symmetric";
    EXPECT_EQ(RunsOf(MaskRows(kHorizontalMesh, 99, side, 3), 2).back().second, side);
    EXPECT_TRUE(MaskRows(kInstantDisplay, 100, side + 1, 2).AllBlack());
}
