// ComposeFrame on real GDI surfaces, where only its Win32 layer can go wrong: pictures and snapshots of
// either row order or read through GDI, a monitor's viewport and clip, the palette, the clock label, a
// show's canvas against full redraws, working memory. (GDI objects: the slideshow's in-process test.)
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "bench/literal_compose_win.h"
#include "slideshow/compose_frame.h"

namespace {

// Different in every row and column, so that a row or column out of place shows.
std::uint32_t Colour(int x, int y) { return ((x * 37) & 0xFF) << 16 | ((y * 59) & 0xFF) << 8 | 0x80; }

// The forms a picture or snapshot may take: DIB sections of either row order, device bitmaps.
enum Kind { kNone, kTopDown, kBottomUp, kDevice };

HBITMAP MakeBitmap(Kind kind, int width, int height) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(Colour(x, kind == kBottomUp ? height - 1 - y : y));
    BITMAPINFO info = {
        {sizeof(BITMAPINFOHEADER), width, kind == kBottomUp ? height : -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC screen = GetDC(nullptr);
    void *bits = nullptr;
    HBITMAP bitmap = kind == kDevice ? CreateCompatibleBitmap(screen, width, height)
                                     : CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// A 32-bit target in a memory context.
struct Surface {
    int width, height;
    HBITMAP bitmap = MakeBitmap(kTopDown, width, height);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ~Surface() { SelectObject(dc, old), DeleteDC(dc), DeleteObject(bitmap); }
    std::vector<std::uint32_t> Pixels() const {
        std::vector<std::uint32_t> all(width * height);
        GetBitmapBits(bitmap, width * height * 4, all.data());
        for (auto &p : all) p &= 0xFFFFFF;
        return all;
    }
};

} // namespace

TEST(ComposeFrame, EveryKindOfPictureAndSnapshotDrawsAsGdiWouldInAMonitorsViewport) {
    // A 180 x 140 monitor at (30, 20) of a 240 x 180 target, painted as a show paints it, against the literal
    // GDI compositor in the styles it draws exactly, clock and all; pictures wider than the monitor or not.
    HPALETTE palette = CreateHalftonePalette(Surface{1, 1}.dc);
    for (Kind pictureKind : {kTopDown, kBottomUp, kDevice})
        for (Kind backgroundKind : {kNone, kTopDown, kBottomUp, kDevice}) {
            const int i = pictureKind * 4 + backgroundKind, wide = (pictureKind + backgroundKind) % 2;
            const int level = i * 37 % 101, style = "02367"[i % 5] - '0', x = wide ? -17 : 20, y = wide ? 12 : -10;
            SCOPED_TRACE(testing::Message() << "picture " << pictureKind << " background " << backgroundKind);
            HBITMAP picture = MakeBitmap(pictureKind, 200, 128); // whole pages: a read past its end faults
            HBITMAP background = backgroundKind == kNone ? nullptr : MakeBitmap(backgroundKind, 180, 140);
            bool same = false;
            for (int attempt = 0; attempt < 2 && !same; ++attempt) { // the clock may tick between the two
                Surface ours{240, 180}, literal{240, 180};
                for (HDC dc : {ours.dc, literal.dc})
                    SetViewportOrgEx(dc, 30, 20, nullptr), IntersectClipRect(dc, 0, 0, 180, 140);
                const HGDIOBJ targetPalette = GetCurrentObject(ours.dc, OBJ_PAL);
                FrameCanvas canvas;
                ComposeFrame(ours.dc, x, y, palette, picture, 100, level, background, i % 3, style, TRUE, nullptr,
                             i % 4 < 2 ? &canvas : nullptr);
                EXPECT_EQ(GetCurrentObject(ours.dc, OBJ_PAL), targetPalette) << "its palette restored";
                LiteralComposeFrame(literal.dc, x, y, palette, picture, 100, level, background, i % 3, style,
                                    TRUE);
                same = ours.Pixels() == literal.Pixels();
            }
            EXPECT_TRUE(same);
            DeleteObject(picture), DeleteObject(background);
        }
    DeleteObject(palette);
}

TEST(ComposeFrame, AShowsCanvasDrawsEveryFadeAsFullRedrawsWouldInMemoryAfterTheVisibleArea) {
    // A canvas draws only what changed since its last frame; through whole fades in and out (another
    // style on the way out), clipped on three sides, with the clock, it must look like full redraws.
    HBITMAP snapshot = CreateSnapshotBitmap(200, 150);
    HBITMAP picture = MakeBitmap(kTopDown, 60, 40);
    auto draw = [&](HDC dc, int level, int style, FrameCanvas *canvas) {
        ComposeFrame(dc, -7, 12, nullptr, picture, 150, level, snapshot, TRUE, style, TRUE, nullptr, canvas);
    };
    for (int style = 0; style <= 6 && !HasFailure(); ++style) {
        FrameCanvas canvas;
        Surface shown{80, 60};
        for (int step = 0; step <= 201 && !HasFailure(); ++step) {
            const int level = step <= 100 ? step : 201 - step, frameStyle = step <= 100 ? style : (style + 3) % 7;
            for (int attempt = 0; attempt < 2; ++attempt) { // whole first, so a tick shows in its second draw
                Surface whole{80, 60};
                draw(whole.dc, level, frameStyle, nullptr);
                if (attempt == 0) draw(shown.dc, level, frameStyle, &canvas);
                if (shown.Pixels() == whole.Pixels()) break;
                if (attempt == 1) ADD_FAILURE() << "style " << frameStyle << " level " << level;
            }
        }
    }

    // Working memory follows the visible area, not the picture.
    HBITMAP huge = MakeBitmap(kTopDown, 4000, 3000);
    Surface target{200, 150};
    ComposeFrame(target.dc, -1900, -1400, nullptr, huge, 150, 50, snapshot, TRUE, 1, TRUE); // dissolve
    EXPECT_GT(LastComposeFrameBytes(), 200u * 150 * 4);
    EXPECT_LT(LastComposeFrameBytes(), 200u * 150 * 4 * 3 + 64 * 1024);
    for (HBITMAP bitmap : {picture, huge, snapshot}) DeleteObject(bitmap);
}
