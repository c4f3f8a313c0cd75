// Frame composition: size, placement and label arithmetic, the fast compositor
// checked pixel for pixel against the literal algorithm over clip boxes, and the
// rectangles that cover what changed between two masks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "slideshow/compose.h"
#include "tests/support/literal_mask.h"

namespace {

constexpr std::uint32_t kUntouched = 0xDEADBEEF;

struct Picture {
    std::int32_t width, height;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(std::int32_t x, std::int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture MakePicture(std::int32_t width, std::int32_t height) {
    Picture p{width, height, {}};
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) p.pixels.push_back(0x10000000u | (y << 12) | x | 0x800);
    return p;
}

std::uint32_t Background(std::int32_t tx, std::int32_t ty) {
    return 0x00400000u ^ static_cast<std::uint32_t>((tx * 7 + ty * 13) & 0xFFFF);
}

struct Label {
    PixelBox box;
    std::vector<std::uint32_t> pixels;
};

Label MakeLabel(const PixelBox &box) {
    Label label{box, {}};
    for (std::int32_t i = 0; i < box.Width() * box.Height(); ++i) label.pixels.push_back(0x00C0C000u + i);
    return label;
}

struct Frame {
    std::int32_t x, y, scale, style, level;
    bool frame;
    const Label *label;
};

// The literal algorithm over the whole w x h picture: B = scaled picture, frame
// line, label; M = the drawn mask; C = background piece; result M ? B : C.
std::uint32_t LiteralPixel(const Picture &pic, const Frame &f, std::int32_t w, std::int32_t h,
                           const MaskBuffer &mask, std::int32_t px, std::int32_t py) {
    if (!mask.At(px, py)) return Background(f.x + px, f.y + py);
    if (f.label && px >= f.label->box.left && px < f.label->box.right && py >= f.label->box.top &&
        py < f.label->box.bottom)
        return f.label
            ->pixels[static_cast<size_t>(py - f.label->box.top) * f.label->box.Width() + (px - f.label->box.left)];
    if (f.frame && (px == 0 || py == 0 || px == w - 1 || py == h - 1)) return 0;
    return pic.At(NearestSource(px, pic.width, w), NearestSource(py, pic.height, h));
}

// Composes through a canvas over the clip box and checks every pixel of it. The
// background is read from a view over backgroundBox (black outside it) when
// given, else is in the canvas already, as the platform side leaves it when it
// reads the background through GDI. With part, only that part is composed.
void CheckAgainstLiteral(const Picture &pic, const Frame &f, const PixelBox &clip, bool bottomUp, bool tightView,
                         const PixelBox *backgroundBox = nullptr, const PixelBox *part = nullptr,
                         FrameComposer *shared = nullptr) {
    std::int32_t w = 0, h = 0;
    ASSERT_TRUE(ScalePictureSize(pic.width, pic.height, f.scale, w, h));
    const PixelBox area = VisibleArea(clip, f.x, f.y, w, h);

    std::vector<std::uint32_t> memory(static_cast<size_t>(clip.Width()) * clip.Height(), kUntouched);
    PixelCanvas canvas{memory.data(), clip.Width(), clip};
    if (bottomUp)
        canvas = {memory.data() + static_cast<size_t>(clip.Height() - 1) * clip.Width(), -clip.Width(), clip};
    auto at = [&](std::int32_t tx, std::int32_t ty) -> std::uint32_t & {
        return canvas.top[static_cast<std::ptrdiff_t>(ty - clip.top) * canvas.stride + (tx - clip.left)];
    };
    std::vector<std::uint32_t> backgroundPixels;
    BackgroundView background;
    if (backgroundBox) {
        for (std::int32_t ty = backgroundBox->top; ty < backgroundBox->bottom; ++ty)
            for (std::int32_t tx = backgroundBox->left; tx < backgroundBox->right; ++tx)
                backgroundPixels.push_back(Background(tx, ty));
        background = {backgroundPixels.data(), backgroundBox->Width(), *backgroundBox};
    } else {
        for (std::int32_t ty = area.top; ty < area.bottom; ++ty)
            for (std::int32_t tx = area.left; tx < area.right; ++tx) at(tx, ty) = Background(tx, ty);
    }

    // A view holding only the source pixels the visible area reads: reading
    // anything else trips AddressSanitizer natively.
    std::vector<std::uint32_t> sourcePixels;
    PictureView view{pic.pixels.data(), pic.width, 0, 0, pic.width, pic.height};
    if (tightView && !area.Empty()) {
        PixelBox source;
        NearestSourceRange(area.left - f.x, area.right - f.x, pic.width, w, source.left, source.right);
        NearestSourceRange(area.top - f.y, area.bottom - f.y, pic.height, h, source.top, source.bottom);
        for (std::int32_t sy = source.top; sy < source.bottom; ++sy)
            for (std::int32_t sx = source.left; sx < source.right; ++sx) sourcePixels.push_back(pic.At(sx, sy));
        view = {sourcePixels.data(), source.Width(), source.left, source.top, pic.width, pic.height};
    }

    const MaskRows rows(f.style, f.level, w, h);
    FrameJob job;
    job.picture = view;
    job.x = f.x;
    job.y = f.y;
    job.width = w;
    job.height = h;
    job.mask = &rows;
    job.frame = f.frame;
    if (f.label) job.label = {f.label->pixels.data(), f.label->box};
    if (backgroundBox) job.background = &background;
    FrameComposer own;
    (shared ? *shared : own).Compose(job, canvas, part ? *part : clip);

    MaskBuffer mask(w, h);
    DrawTransitionMask(mask, f.style, f.level);
    auto within = [](const PixelBox &b, std::int32_t tx, std::int32_t ty) {
        return tx >= b.left && tx < b.right && ty >= b.top && ty < b.bottom;
    };
    for (std::int32_t ty = clip.top; ty < clip.bottom; ++ty)
        for (std::int32_t tx = clip.left; tx < clip.right; ++tx) {
            std::uint32_t expected = kUntouched;
            if (within(area, tx, ty) && (!part || within(*part, tx, ty))) {
                expected = LiteralPixel(pic, f, w, h, mask, tx - f.x, ty - f.y);
                if (backgroundBox && !mask.At(tx - f.x, ty - f.y))
                    expected = within(*backgroundBox, tx, ty) ? Background(tx, ty) : 0;
            } else if (within(area, tx, ty) && !backgroundBox) {
                expected = Background(tx, ty);
            }
            ASSERT_EQ(at(tx, ty), expected) << "at " << tx << "," << ty;
        }
}

} // namespace

TEST(Compose, SizePlacementScalingAndClockArithmetic) {
    std::int32_t w = -1, h = -1;
    ASSERT_TRUE(ScalePictureSize(1024, 768, 62, w, h));
    EXPECT_EQ(w, 634); // the product first: 63488 / 100
    EXPECT_EQ(h, 476);
    ASSERT_TRUE(ScalePictureSize(640, 480, -20, w, h));
    EXPECT_EQ(w, 0);
    ASSERT_TRUE(ScalePictureSize(100000, 30000, 30000, w, h)); // the product leaves 32 bits, the result does not
    EXPECT_EQ(w, 30000000);
    EXPECT_FALSE(ScalePictureSize(2000000000, 10, 200, w, h));

    const PixelBox screen{0, 0, 1024, 768};
    const PixelBox corner = VisibleArea(screen, 1000, 700, 800, 600);
    EXPECT_EQ(corner.left, 1000);
    EXPECT_EQ(corner.Width(), 24);
    EXPECT_EQ(corner.Height(), 68);
    EXPECT_EQ(VisibleArea(screen, -488, -116, 2000, 1000).Width(), 1024);
    EXPECT_TRUE(VisibleArea(screen, 2147483600, 0, 1 << 30, 10).Empty()); // neither wraps nor overflows
    EXPECT_EQ(VisibleArea(screen, -2147483647, 0, 1 << 30, 10).Width(), 0);

    // 150 %: sampled at pixel centres; down to a third: the middle of each three.
    const std::int32_t up[] = {0, 1, 1, 2, 3, 3};
    for (std::int32_t p = 0; p < 6; ++p) EXPECT_EQ(NearestSource(p, 640, 960), up[p]);
    EXPECT_EQ(NearestSource(99, 300, 100), 298);
    EXPECT_EQ(NearestSource((1 << 30) - 1, 2000000000, 1 << 30), 1999999999);

    // The label at the visible top left: 1200 x 900 on 1024 x 768 with the frame line is 7 + 88, 7 + 66.
    const LabelOffset o = ClockLabelOffset(1200, 900, 1024, 768, true);
    EXPECT_EQ(o.dx, 7 + 88);
    EXPECT_EQ(o.dy, 7 + 66);
    EXPECT_EQ(ClockLabelOffset(1024, 700, 1024, 768, true).dx, 7); // "at least" the reference width
    EXPECT_EQ(ClockLabelOffset(800, 600, 1024, 768, false).dy, 6);
    const PixelBox framed = ClockLabelBox(52, 16, {7, 7}); // grown by 6 on every side
    EXPECT_EQ(framed.left, 1);
    EXPECT_EQ(framed.bottom, 7 + 16 + 6);

    char text[9];
    FormatClock(9, 5, 3, text);
    EXPECT_STREQ(text, "09:05:03");
    FormatClock(-1, 100, 7, text); // never more than the 8 characters
    EXPECT_STREQ(text, "00:99:07");
}

TEST(Compose, EveryStyleAndLevelMatchesTheLiteralAlgorithm) {
    std::mt19937 random(20240517);
    auto pick = [&](std::int32_t lo, std::int32_t hi) {
        return std::uniform_int_distribution<std::int32_t>(lo, hi)(random);
    };
    const Picture pictures[] = {MakePicture(37, 23), MakePicture(64, 48), MakePicture(130, 105)};
    const std::int32_t scales[] = {100, 150, 37, 250, 100, 80};
    const std::int32_t levels[] = {0, 1, 13, 50, 77, 99, 100};
    FrameComposer composer; // one for all, as a show keeps it from frame to frame and picture to picture
    for (std::int32_t style = -1; style <= 7; ++style)
        for (std::int32_t level : levels)
            for (int round = 0; round < 3; ++round) {
                const Picture &pic = pictures[pick(0, 2)];
                const std::int32_t scale = scales[pick(0, 5)];
                std::int32_t w = 0, h = 0;
                ScalePictureSize(pic.width, pic.height, scale, w, h);
                const PixelBox clip{pick(-20, 10), pick(-20, 10), pick(60, 200), pick(40, 160)};
                const Label label = MakeLabel(ClockLabelBox(pick(5, 60), pick(5, 20), {pick(6, 40), pick(6, 30)}));
                const Frame f{pick(clip.left - w / 2, clip.right - w / 2),
                              pick(clip.top - h / 2, clip.bottom - h / 2),
                              scale,
                              style,
                              level,
                              pick(0, 1) == 1,
                              pick(0, 1) ? &label : nullptr};
                // Half the time the background comes from a view, partly
                // outside it; a third of the time only a part is composed.
                const PixelBox backgroundBox{
                    pick(clip.left - 5, clip.left + 30), pick(clip.top - 5, clip.top + 20),
                    pick(clip.right - 30, clip.right + 5), pick(clip.bottom - 20, clip.bottom + 5)};
                const PixelBox part{pick(clip.left, clip.left + 40), pick(clip.top, clip.top + 30),
                                    pick(clip.right - 40, clip.right), pick(clip.bottom - 30, clip.bottom)};
                const bool viewed = pick(0, 1) == 1, partly = pick(0, 2) == 0;
                SCOPED_TRACE(testing::Message()
                             << "style " << style << " level " << level << " picture " << pic.width << "x"
                             << pic.height << " scale " << scale << " at " << f.x << "," << f.y << " frame "
                             << f.frame << " label " << (f.label != nullptr) << " clip " << clip.left << ","
                             << clip.top << "," << clip.right << "," << clip.bottom << " view " << viewed
                             << " part " << partly);
                CheckAgainstLiteral(pic, f, clip, pick(0, 1) == 1, pick(0, 1) == 1,
                                    viewed ? &backgroundBox : nullptr, partly ? &part : nullptr, &composer);
                if (testing::Test::HasFatalFailure()) return;
            }
}

TEST(Compose, ManyNarrowRunsAndHalfDissolve) {
    // Vertical mesh with 1-pixel columns gives a run per other pixel; dissolve at
    // half selects every other pixel: both paths through the row scratch.
    const Picture pic = MakePicture(130, 150);
    const PixelBox clip{0, 0, 200, 200};
    for (std::int32_t level : {10, 50})
        for (const PixelBox *view : {static_cast<const PixelBox *>(nullptr), &clip}) {
            CheckAgainstLiteral(pic, {3, 5, 100, kDissolve, level, false, nullptr}, clip, false, true, view);
            CheckAgainstLiteral(pic, {-7, -9, 140, kVerticalMesh, level, true, nullptr}, clip, true, true, view);
        }
    // Two pictures scaled to the same width at the same place: the second
    // must not take the first one's columns.
    FrameComposer composer;
    const Picture narrow = MakePicture(64, 48), narrower = MakePicture(48, 40);
    CheckAgainstLiteral(narrow, {5, 5, 150, kFourCorners, 40, true, nullptr}, clip, false, false, &clip, nullptr,
                        &composer);
    CheckAgainstLiteral(narrower, {5, 5, 200, kFourCorners, 60, true, nullptr}, clip, false, false, &clip, nullptr,
                        &composer);
    // Columns 9 pixels wide: runs long enough to be copied one by one.
    const Picture tall = MakePicture(100, 900);
    const PixelBox high{0, 0, 160, 1000};
    CheckAgainstLiteral(tall, {-20, 10, 150, kVerticalMesh, 50, true, nullptr}, high, true, false, &high);
}

TEST(Compose, ChangedRectanglesCoverEveryPixelWhoseMaskChanged) {
    std::mt19937 random(7);
    auto pick = [&](std::int32_t lo, std::int32_t hi) {
        return std::uniform_int_distribution<std::int32_t>(lo, hi)(random);
    };
    for (int round = 0; round < 300; ++round) {
        const std::int32_t w = pick(1, 260), h = pick(1, 230);
        // Mostly one style a step or a few apart, as a fade goes; now and then anything.
        const std::int32_t style = pick(-1, 7), level = pick(0, 100);
        const bool any = round % 5 == 0;
        const std::int32_t beforeStyle = any ? pick(-1, 7) : style;
        const std::int32_t beforeLevel = any ? pick(0, 100) : std::clamp(level - pick(-3, 3), 0, 100);
        const PixelBox clip{pick(-10, 20), pick(-10, 20), pick(100, 300), pick(80, 260)};
        const std::int32_t x = pick(clip.left - w / 2, clip.right - w / 2),
                           y = pick(clip.top - h / 2, clip.bottom - h / 2);
        SCOPED_TRACE(testing::Message()
                     << w << "x" << h << " at " << x << "," << y << " style " << beforeStyle << " level "
                     << beforeLevel << " to style " << style << " level " << level);
        const MaskRows before(beforeStyle, beforeLevel, w, h), after(style, level, w, h);
        FrameJob job;
        job.x = x;
        job.y = y;
        job.width = w;
        job.height = h;
        job.mask = &after;
        FrameComposer composer;
        ChangedArea changed;
        changed.Clear();
        composer.FindChanges(job, before, clip, changed);
        const PixelBox area = VisibleArea(clip, x, y, w, h);
        std::vector<std::uint8_t> covered(static_cast<size_t>(clip.Width()) * clip.Height(), 0);
        for (const PixelBox &box : changed.Boxes()) {
            ASSERT_FALSE(box.Empty());
            ASSERT_TRUE(box.left >= area.left && box.top >= area.top && box.right <= area.right &&
                        box.bottom <= area.bottom);
            for (std::int32_t ty = box.top; ty < box.bottom; ++ty)
                for (std::int32_t tx = box.left; tx < box.right; ++tx)
                    covered[static_cast<size_t>(ty - clip.top) * clip.Width() + (tx - clip.left)] = 1;
        }
        MaskBuffer was(w, h), now(w, h);
        DrawTransitionMask(was, beforeStyle, beforeLevel);
        DrawTransitionMask(now, style, level);
        for (std::int32_t ty = area.top; ty < area.bottom; ++ty)
            for (std::int32_t tx = area.left; tx < area.right; ++tx)
                if (was.At(tx - x, ty - y) != now.At(tx - x, ty - y)) {
                    ASSERT_TRUE(covered[static_cast<size_t>(ty - clip.top) * clip.Width() + (tx - clip.left)])
                        << "at " << tx << "," << ty;
                }
    }
}
