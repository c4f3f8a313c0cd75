// Transition masks: the geometry facts that the literal drawing, against which
// the compositor's tests check the row form, could get wrong in the same way.
#include <gtest/gtest.h>

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
    for (std::int32_t style : {-1, 4, 7}) // the level's ends whatever the style; 7 and -1 as style 0
        EXPECT_TRUE(MaskRows(style, -5, 9, 9).AllBlack() &&
                    MaskRows(style, style == 4 ? 100 : 50, 9, 9).AllWhite());
    // 800 wide: bars 8 rows high, bar 0 from the right edge, bar 1 from the left; none below 100 wide.
    const MaskRows bars(kHorizontalMesh, 50, 800, 20);
    EXPECT_TRUE(RunsOf(bars, 7) == Runs({{400, 800}}) && RunsOf(bars, 8) == Runs({{0, 400}}));
    EXPECT_TRUE(RunsOf(MaskRows(kHorizontalMesh, 99, 99, 300), 0).empty());
    // 300 high: columns 3 wide and 90 long; even ones grow from the bottom.
    const MaskRows columns(kVerticalMesh, 30, 20, 300);
    EXPECT_TRUE(RunsOf(columns, 89) == Runs({{3, 6}, {9, 12}, {15, 18}}) && RunsOf(columns, 90).empty());
    EXPECT_EQ(RunsOf(columns, 210), Runs({{0, 3}, {6, 9}, {12, 15}, {18, 20}}));
    const MaskRows corners(kFourCorners, 50, 200, 100); // four 50 x 25
    EXPECT_TRUE(RunsOf(corners, 24) == Runs({{0, 50}, {150, 200}}) && RunsOf(corners, 25).empty());
    // D = 141, E = 282: an ellipse 141 x 70 in (30, 15, 171, 85); a pixel is in when its centre is.
    const EllipseBox box = EllipseBoxFor({0, 0, 200, 100}, 50);
    EXPECT_TRUE(box.left == 30 && box.top == 15 && box.right == 171 && box.bottom == 85);
    const MaskRows ellipse(kEllipseOutwards, 50, 200, 100);
    EXPECT_TRUE(RunsOf(ellipse, 14).empty() && RunsOf(ellipse, 15) == Runs({{89, 112}}));
    EXPECT_EQ(RunsOf(ellipse, 49), Runs({{30, 171}}));
}

TEST(Masks, DissolveLightsAShareThatFollowsTheGreySpreadOut) {
    // Of each 8 x 8 cell, level x 64 / 100 pixels; at half, four of every row.
    for (std::int32_t level : {1, 13, 50, 77, 99}) {
        std::int32_t lit = 0;
        for (std::int32_t y = 0; y < 8; ++y) lit += __builtin_popcount(DitherRowBits(DissolveGrey(level), y));
        EXPECT_EQ(lit, (level * 64 + 50) / 100) << level;
    }
    for (std::int32_t y = 0; y < 8; ++y) EXPECT_EQ(__builtin_popcount(DitherRowBits(DissolveGrey(50), y)), 4) << y;
}

TEST(Masks, HugeMasksStayExact) {
    // Sides of 2^30: products in 64 and 128 bits (UBSan watches natively); beyond, nothing rather than a wrap.
    const std::int32_t side = 1 << 30;
    const MaskRows outwards(kEllipseOutwards, 99, side, side);
    EXPECT_EQ(RunsOf(outwards, side / 2, side / 2 - 100, side / 2 + 100),
              Runs({{side / 2 - 100, side / 2 + 100}}));
    EXPECT_EQ(RunsOf(MaskRows(kHorizontalMesh, 99, side, 3), 2).back().second, side);
    EXPECT_TRUE(MaskRows(kInstantDisplay, 100, side + 1, 2).AllBlack());
}
