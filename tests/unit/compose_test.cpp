// Masks and frames: the fast compositor and its search for what a fade step changed, pixel for pixel
// against the literal algorithm over the literal mask for every style, level and awkward size; the
// geometry the literal mask could get wrong in the same way; the arithmetic around a frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "slideshow/compose.h"
#include "tests/support/literal_mask.h"

namespace {

std::uint32_t PictureAt(std::int32_t x, std::int32_t y) { return 0x10000000u | y << 12 | x | 0x800; }
std::uint32_t Background(std::int32_t tx, std::int32_t ty) { return 0x400000u ^ ((tx * 7 + ty * 13) & 0xFFFF); }
bool Within(const PixelBox &b, int x, int y) { return x >= b.left && x < b.right && y >= b.top && y < b.bottom; }

// A frame at random as the saver hands it over: the background in the canvas or from a view (black outside
// it), a view of only the picture pixels seen (other reads trip ASan); then what changed since a step or so back.
void CheckAgainstLiteral(std::int32_t W, std::int32_t H, std::int32_t scale, std::int32_t style,
                         std::int32_t level, std::mt19937 &random, FrameComposer &composer) {
    auto pick = [&](std::int32_t lo, std::int32_t hi) { return std::uniform_int_distribution<>(lo, hi)(random); };
    const std::int32_t w = W * scale / 100, h = H * scale / 100, any = pick(0, 3) == 0;
    const PixelBox clip{pick(-75, 25), pick(-75, 25), pick(100, 200), pick(70, 170)};
    const PixelBox bb{pick(clip.left - 5, clip.left + 30), pick(clip.top - 5, clip.top + 30),
                      pick(clip.right - 30, clip.right + 5), pick(clip.bottom - 30, clip.bottom + 5)};
    const PixelBox lb = ClockLabelBox(pick(5, 60), pick(5, 20), {pick(6, 40), pick(6, 30)});
    const std::int32_t x = pick(clip.left, clip.right) - w / 2, y = pick(clip.top, clip.bottom) - h / 2;
    const bool frame = pick(0, 1), labelled = pick(0, 1), viewed = pick(0, 1);
    const std::int32_t before = any ? pick(-1, 7) : style, beforeLevel = any ? pick(0, 100) : level + pick(-3, 3);
    const PixelBox area = VisibleArea(clip, x, y, w, h);
    PixelBox s; // the source pixels the visible area reads, all the view holds
    NearestSourceRange(area.left - x, area.right - x, W, w, s.left, s.right);
    NearestSourceRange(area.top - y, area.bottom - y, H, h, s.top, s.bottom);
    std::vector<std::uint32_t> memory, back, label, source; // the canvas bottom-up, as the saver's
    for (std::int32_t ty = clip.bottom - 1; ty >= clip.top; --ty)
        for (std::int32_t tx = clip.left; tx < clip.right; ++tx)
            memory.push_back(Within(area, tx, ty) ? Background(tx, ty) : 0xDEADBEEF);
    for (std::int32_t ty = bb.top; ty < bb.bottom; ++ty)
        for (std::int32_t tx = bb.left; tx < bb.right; ++tx) back.push_back(Background(tx, ty) + 1);
    for (std::int32_t i = 0; i < lb.Width() * lb.Height(); ++i) label.push_back(0xC0C000u + i);
    for (std::int32_t sy = s.top; sy < s.bottom; ++sy)
        for (std::int32_t sx = s.left; sx < s.right; ++sx) source.push_back(PictureAt(sx, sy));
    const BackgroundView background{back.data(), bb.Width(), bb};
    const MaskRows rows(style, level, w, h), earlier(before, beforeLevel, w, h);
    FrameJob job;
    job.picture = {source.data(), s.Width(), s.left, s.top, W, H};
    job.x = x, job.y = y, job.width = w, job.height = h, job.mask = &rows, job.frame = frame;
    job.label = labelled ? LabelView{label.data(), lb} : LabelView{};
    job.background = viewed ? &background : nullptr;
    const PixelCanvas canvas{memory.data() + std::size_t(clip.Height() - 1) * clip.Width(), -clip.Width(), clip};
    composer.Compose(job, canvas, clip);
    ChangedArea changed;
    composer.FindChanges(job, earlier, clip, changed);
    const std::vector<PixelBox> &boxes = changed.Boxes();

    MaskBuffer mask(w, h), was(w, h);
    DrawTransitionMask(mask, style, level);
    DrawTransitionMask(was, before, beforeLevel);
    for (std::int32_t ty = clip.top; ty < clip.bottom; ++ty)
        for (std::int32_t tx = clip.left; tx < clip.right; ++tx) {
            const std::int32_t px = tx - x, py = ty - y;
            const bool seen = Within(area, tx, ty), shown = seen && mask.At(px, py);
            ASSERT_TRUE(
                !seen || mask.At(px, py) == was.At(px, py) ||
                std::any_of(boxes.begin(), boxes.end(), [&](const PixelBox &b) { return Within(b, tx, ty); }))
                << "change not found at " << tx << "," << ty;
            std::uint32_t want = seen ? Background(tx, ty) : 0xDEADBEEF; // as it was
            if (seen && !shown && viewed) want = Within(bb, tx, ty) ? Background(tx, ty) + 1 : 0;
            if (shown) want = PictureAt(NearestSource(px, W, w), NearestSource(py, H, h));
            if (shown && frame && (px == 0 || py == 0 || px == w - 1 || py == h - 1)) want = 0;
            if (shown && labelled && Within(lb, px, py))
                want = 0xC0C000u + (py - lb.top) * lb.Width() + px - lb.left;
            ASSERT_EQ(canvas.top[(ty - clip.top) * canvas.stride + tx - clip.left], want)
                << "at " << tx << "," << ty;
        }
}

using Runs = std::vector<std::pair<std::int32_t, std::int32_t>>;
Runs RunsOf(const MaskRows &rows, std::int32_t y, std::int32_t from = 0, std::int32_t to = 1 << 30) {
    std::vector<MaskSpan> spans;
    rows.Spans(y, from, to, spans);
    Runs runs;
    for (const MaskSpan &s : spans) runs.emplace_back(s.begin, s.end);
    return runs;
}

} // namespace

TEST(Compose, EveryStyleLevelAndSizeMatchesTheLiteralAlgorithm) {
    // Picture and scale: 1 x 1, nothing, odd, scaled up and down (mesh columns 1 pixel wide), wider than tall,
    // taller (columns 9 wide); two of one scaled size in a row: the second must not take the first's columns.
    const std::int32_t sizes[][3] = {{1, 1, 100},     {7, 3, 20},     {37, 23, 100},
                                     {64, 48, 150},   {48, 36, 200},  {130, 105, 37},
                                     {130, 105, 150}, {813, 17, 100}, {300, 900, 100}};
    FrameComposer composer; // one for all, as a show keeps it from frame to frame and picture to picture
    for (std::int32_t style = -1; style <= 7; ++style)
        for (std::int32_t level : {-5, 1, 2, 13, 50, 77, 99, 250})
            for (const auto &[W, H, scale] : sizes) {
                SCOPED_TRACE(testing::Message() << W << "x" << H << " " << scale << "% " << style << " " << level);
                std::mt19937 random(style * 1000 + level); // the same frame for the same scaled size
                CheckAgainstLiteral(W, H, scale, style, level, random, composer);
                if (testing::Test::HasFatalFailure()) return;
            }
}

TEST(Masks, GeometryAtTheTellingSizes) {
    EXPECT_TRUE(MaskRows(kEllipseInwards, -5, 9, 9).AllBlack() && MaskRows(kEllipseInwards, 100, 9, 9).AllWhite());
    EXPECT_TRUE(MaskRows(7, 50, 9, 9).AllWhite() && MaskRows(-1, 50, 9, 9).AllWhite()); // as style 0
    // 800 wide: bars 8 rows high, bar 0 from the right edge, bar 1 from the left; none below 100 wide.
    const MaskRows bars(kHorizontalMesh, 50, 800, 20);
    EXPECT_TRUE(RunsOf(bars, 7) == Runs({{400, 800}}) && RunsOf(bars, 8) == Runs({{0, 400}}));
    EXPECT_TRUE(RunsOf(MaskRows(kHorizontalMesh, 99, 99, 300), 0).empty());
    const MaskRows columns(kVerticalMesh, 30, 20, 300); // columns 3 wide, 90 long, even ones from the bottom
    EXPECT_TRUE(RunsOf(columns, 89) == Runs({{3, 6}, {9, 12}, {15, 18}}) && RunsOf(columns, 90).empty() &&
                RunsOf(columns, 210) == Runs({{0, 3}, {6, 9}, {12, 15}, {18, 20}}));
    const MaskRows corners(kFourCorners, 50, 200, 100); // four 50 x 25
    EXPECT_TRUE(RunsOf(corners, 24) == Runs({{0, 50}, {150, 200}}) && RunsOf(corners, 25).empty());
    // D = 141, E = 282: an ellipse 141 x 70 in (30, 15, 171, 85); a pixel is in when its centre is.
    const MaskRows ellipse(kEllipseOutwards, 50, 200, 100);
    EXPECT_TRUE(RunsOf(ellipse, 14).empty() && RunsOf(ellipse, 15) == Runs({{89, 112}}) &&
                RunsOf(ellipse, 49) == Runs({{30, 171}}));
    // Dissolve: level x 64 / 100 of each 8 x 8 cell lit; which ones, the literal mask's own matrix checks.
    for (std::int32_t level : {1, 13, 50, 77, 99}) {
        std::int32_t lit = 0;
        for (std::int32_t y = 0; y < 8; ++y) lit += __builtin_popcount(DitherRowBits(DissolveGrey(level), y));
        EXPECT_EQ(lit, (level * 64 + 50) / 100) << level;
    }
    // Sides of 2^30 stay exact (UBSan watches natively); beyond, nothing rather than a wrap.
    const std::int32_t side = 1 << 30;
    const Runs middle = RunsOf(MaskRows(kEllipseOutwards, 99, side, side), side / 2, side / 2 - 9, side / 2 + 9);
    EXPECT_TRUE(middle == Runs({{side / 2 - 9, side / 2 + 9}}) && MaskRows(0, 100, side + 1, 2).AllBlack());
}

TEST(Compose, SizePlacementScalingAndClockArithmetic) {
    std::int32_t w = -1, h = -1;
    EXPECT_TRUE(ScalePictureSize(1024, 768, 62, w, h) && w == 634 && h == 476); // the product first: 63488 / 100
    EXPECT_TRUE(ScalePictureSize(640, 480, -20, w, h) && w == 0 && !ScalePictureSize(2000000000, 10, 200, w, h));
    EXPECT_TRUE(ScalePictureSize(100000, 30000, 30000, w, h) && w == 30000000); // the product alone leaves 32 bits
    const PixelBox screen{0, 0, 1024, 768}, corner = VisibleArea(screen, 1000, 700, 800, 600);
    EXPECT_TRUE(corner.left == 1000 && corner.Width() == 24 && corner.Height() == 68);
    EXPECT_TRUE(VisibleArea(screen, 2147483600, 0, 1 << 30, 10).Empty()); // neither wraps nor overflows
    EXPECT_TRUE(VisibleArea(screen, 9, 9, 0, 5).Width() == 0 && VisibleArea(screen, 9, 9, 5, 0).Height() == 0);
    // 150 %: sampled at pixel centres; down to a third: the middle of each three.
    const std::int32_t up[] = {0, 1, 1, 2, 3, 3};
    for (std::int32_t p = 0; p < 6; ++p) EXPECT_EQ(NearestSource(p, 640, 960), up[p]) << p;
    EXPECT_TRUE(NearestSource(99, 300, 100) == 298 &&
                NearestSource(0x3FFFFFFF, 2000000000, 1 << 30) == 1999999999);
    // The label at the visible top left: 1200 x 900 on 1024 x 768 with the frame line is 7 + 88, 7 + 66.
    const LabelOffset big = ClockLabelOffset(1200, 900, 1024, 768, true),
                      small = ClockLabelOffset(800, 600, 1024, 768, false);
    EXPECT_TRUE(big.dx == 7 + 88 && big.dy == 7 + 66 && small.dx == 6 && small.dy == 6);
    EXPECT_EQ(ClockLabelOffset(1024, 700, 1024, 768, true).dx, 7); // "at least" the reference width
    const PixelBox framed = ClockLabelBox(52, 16, {7, 7});         // grown by 6 on every side
    EXPECT_TRUE(framed.left == 1 && framed.top == 1 && framed.right == 7 + 52 + 6 && framed.bottom == 7 + 16 + 6);
    char text[9];
    FormatClock(9, 5, 3, text);
    EXPECT_STREQ(text, "09:05:03");
}
