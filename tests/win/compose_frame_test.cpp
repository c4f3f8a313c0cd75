// ComposeFrame on real GDI surfaces: equal to the literal GDI algorithm and to
// the pixel model for every style, inside the clip box, into
// a window and into the snapshot itself; a show's canvas draws what a full
// redraw would; memory follows the visible area; no GDI object is left.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "bench/literal_compose_win.h"
#include "slideshow/compose.h"
#include "slideshow/compose_frame.h"
#include "tests/support/literal_mask.h"
#include "tests/support/gdi_probe.h"

namespace {

constexpr std::uint32_t kSentinel = 0x123456;
using Colours = std::function<std::uint32_t(int, int)>;

std::uint32_t PictureColour(int x, int y) {
    return static_cast<std::uint32_t>(((x * 37) & 0xFF) << 16 | ((y * 59) & 0xFF) << 8 | ((x * 3 + y * 5) & 0xFF));
}
std::uint32_t SnapshotColour(int x, int y) {
    return 0x400000u | static_cast<std::uint32_t>((x * 7 + y * 13) & 0xFFFF);
}

HBITMAP MakeDib(int width, int height, int bits, bool bottomUp, void **memory) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER),
                      width,
                      bottomUp ? height : -height,
                      1,
                      static_cast<WORD>(bits),
                      BI_RGB,
                      0,
                      0,
                      0,
                      0,
                      0};
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, memory, nullptr, 0);
}

// A picture as gfxlib.dll returns it: 32-bit, top-down.
HBITMAP MakePicture(int width, int height, const Colours &colour = PictureColour) {
    void *memory = nullptr;
    HBITMAP dib = MakeDib(width, height, 32, false, &memory);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) static_cast<std::uint32_t *>(memory)[y * width + x] = colour(x, y);
    return dib;
}

// The desktop snapshot as the slideshow keeps it.
HBITMAP MakeSnapshot(int width, int height) {
    HBITMAP snapshot = CreateSnapshotBitmap(width, height);
    DIBSECTION dib = {};
    GetObjectA(snapshot, sizeof(dib), &dib);
    auto *bits = static_cast<std::uint32_t *>(dib.dsBm.bmBits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits[static_cast<size_t>(y) * width + x] = SnapshotColour(x, y);
    return snapshot;
}

// A target to draw on: a 32-bit DIB section in a memory context.
class Surface {
public:
    Surface(int width, int height, HBITMAP bitmap = nullptr) : width_(width), own_(bitmap == nullptr) {
        void *memory = nullptr;
        bitmap_ = own_ ? MakeDib(width, height, 32, false, &memory) : bitmap;
        DIBSECTION dib = {};
        GetObjectA(bitmap_, sizeof(dib), &dib);
        bits_ = static_cast<std::uint32_t *>(dib.dsBm.bmBits);
        if (own_) std::fill(bits_, bits_ + static_cast<size_t>(width) * height, kSentinel);
        size_ = static_cast<size_t>(width) * height;
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        if (own_) DeleteObject(bitmap_);
    }
    HDC Dc() const { return dc_; }
    std::uint32_t At(int x, int y) const { return Pixels()[static_cast<size_t>(y) * width_ + x]; }
    std::vector<std::uint32_t> Pixels() const {
        GdiFlush();
        std::vector<std::uint32_t> all(bits_, bits_ + size_);
        for (auto &p : all) p &= 0xFFFFFF;
        return all;
    }
    void Set(int x, int y, std::uint32_t colour) {
        GdiFlush();
        bits_[static_cast<size_t>(y) * width_ + x] = colour;
    }

private:
    int width_;
    bool own_;
    size_t size_;
    HBITMAP bitmap_;
    std::uint32_t *bits_;
    HDC dc_;
    HGDIOBJ old_;
};

struct Frame {
    int x, y, scale, level, style;
    bool frame;
};

// What the user must see, per pixel from the pure mask and scaling; original(tx, ty)
// is what the target held.
std::vector<std::uint32_t> Expected(const Frame &f, int pictureWidth, int pictureHeight, bool background,
                                    int targetWidth, int targetHeight, const Colours &original,
                                    const Colours &colour = PictureColour) {
    std::int32_t w = 0, h = 0;
    ScalePictureSize(pictureWidth, pictureHeight, f.scale, w, h);
    MaskBuffer mask(w, h);
    DrawTransitionMask(mask, f.style, f.level);
    std::vector<std::uint32_t> out;
    for (int ty = 0; ty < targetHeight; ++ty)
        for (int tx = 0; tx < targetWidth; ++tx) {
            const int px = tx - f.x, py = ty - f.y;
            if (px < 0 || py < 0 || px >= w || py >= h)
                out.push_back(original(tx, ty));
            else if (!mask.At(px, py))
                out.push_back(background ? SnapshotColour(tx, ty) : 0);
            else if (f.frame && (px == 0 || py == 0 || px == w - 1 || py == h - 1))
                out.push_back(0);
            else
                out.push_back(colour(NearestSource(px, pictureWidth, w), NearestSource(py, pictureHeight, h)));
        }
    return out;
}

std::uint32_t Sentinel(int, int) { return kSentinel; }

// -1 when equal, else the index of the first difference.
int FirstDifference(const std::vector<std::uint32_t> &a, const std::vector<std::uint32_t> &b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return static_cast<int>(i);
    return a.size() == b.size() ? -1 : static_cast<int>(std::min(a.size(), b.size()));
}

} // namespace

TEST(ComposeFrame, MatchesTheLiteralGdiAlgorithmWithAndWithoutTheClock) {
    // Styles whose GDI drawing is exact (rectangles), so the two must agree to the pixel.
    HBITMAP snapshot = MakeSnapshot(200, 150);
    HBITMAP pictures[] = {MakePicture(130, 110), MakePicture(260, 210)};
    HDC screen = GetDC(nullptr);
    HPALETTE palette = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    for (HBITMAP picture : pictures)
        for (int style : {0, 2, 3, 6, 7})
            for (int level : {0, 37, 100})
                for (const POINT &at : {POINT{20, 15}, POINT{-30, -10}, POINT{150, 100}})
                    for (HBITMAP background : {HBITMAP{nullptr}, snapshot})
                        for (BOOL frame : {FALSE, TRUE}) {
                            SCOPED_TRACE(testing::Message() << "style " << style << " level " << level << " at "
                                                            << at.x << "," << at.y << " background "
                                                            << (background != nullptr) << " frame " << frame);
                            // With the clock, a tick between the two draws them again.
                            const BOOL clock = level == 100 && style == 0;
                            int difference = 0;
                            for (int attempt = 0; attempt < 3 && difference != -1; ++attempt) {
                                Surface ours(200, 150), literal(200, 150);
                                ComposeFrame(ours.Dc(), at.x, at.y, palette, picture, 100, level, background,
                                             frame, style, clock);
                                LiteralComposeFrame(literal.Dc(), at.x, at.y, palette, picture, 100, level,
                                                    background, frame, style, clock);
                                difference = FirstDifference(ours.Pixels(), literal.Pixels());
                            }
                            ASSERT_EQ(difference, -1) << "at " << difference % 200 << "," << difference / 200;
                        }
    for (HBITMAP picture : pictures) DeleteObject(picture);
    DeleteObject(palette);
    DeleteObject(snapshot);
}

TEST(ComposeFrame, EveryStyleAndScaleMatchesThePixelModel) {
    HBITMAP snapshot = MakeSnapshot(240, 180);
    HBITMAP picture = MakePicture(150, 120);
    for (int style = 0; style <= 6; ++style)
        for (int level : {1, 45, 99})
            for (int scale : {100, 150, 55})
                for (HBITMAP background : {HBITMAP{nullptr}, snapshot}) {
                    const Frame f{-17 + style * 9, 12 - level / 5, scale, level, style, scale != 55};
                    SCOPED_TRACE(testing::Message() << "style " << style << " level " << level << " scale "
                                                    << scale << " background " << (background != nullptr));
                    Surface target(240, 180);
                    ComposeFrame(target.Dc(), f.x, f.y, nullptr, picture, f.scale, f.level, background, f.frame,
                                 f.style, FALSE);
                    const int at = FirstDifference(
                        target.Pixels(), Expected(f, 150, 120, background != nullptr, 240, 180, Sentinel));
                    ASSERT_EQ(at, -1) << "at " << at % 240 << "," << at / 240;
                }
    DeleteObject(picture);

    // Its row order is found from its content: first rows that mirror the last ones must not turn it over.
    const Colours mirroredEnds = [](int x, int y) {
        return y < 40 || y >= 80 ? PictureColour(x, y < 40 ? y : 119 - y) : PictureColour(x, y);
    };
    const Frame f{-20, 10, 150, 60, kHorizontalMesh, true};
    HBITMAP mirrored = MakePicture(130, 120, mirroredEnds);
    Surface target(240, 180);
    ComposeFrame(target.Dc(), f.x, f.y, nullptr, mirrored, f.scale, f.level, snapshot, TRUE, f.style, FALSE);
    const int at = FirstDifference(target.Pixels(), Expected(f, 130, 120, true, 240, 180, Sentinel, mirroredEnds));
    EXPECT_EQ(at, -1) << "at " << at % 240 << "," << at / 240;
    DeleteObject(mirrored);
    DeleteObject(snapshot);
}

TEST(ComposeFrame, DrawsOnlyInsideTheClipBoxIntoAWindowAndNothingForBadInput) {
    HBITMAP picture = MakePicture(150, 120);
    const Frame f{10, 5, 100, 50, kEllipseOutwards, true};
    Surface target(240, 180);
    IntersectClipRect(target.Dc(), 40, 30, 120, 100);
    ComposeFrame(target.Dc(), f.x, f.y, nullptr, picture, f.scale, f.level, nullptr, TRUE, f.style, FALSE);
    const std::vector<std::uint32_t> full = Expected(f, 150, 120, false, 240, 180, Sentinel),
                                     drawn = target.Pixels();
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 240; ++x) {
            const bool inside = x >= 40 && x < 120 && y >= 30 && y < 100;
            ASSERT_EQ(drawn[y * 240 + x], inside ? full[y * 240 + x] : kSentinel) << x << "," << y;
        }

    // The screen is a window's context.
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ComposeFrameTestWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ComposeFrameTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 240, 180, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    HDC dc = GetDC(window);
    PatBlt(dc, 0, 0, 240, 180, BLACKNESS);
    const Frame corners{50, 20, 120, 70, kFourCorners, true};
    ComposeFrame(dc, corners.x, corners.y, nullptr, picture, corners.scale, corners.level, nullptr, TRUE,
                 corners.style, FALSE);
    Surface copy(240, 180);
    BitBlt(copy.Dc(), 0, 0, 240, 180, dc, 0, 0, SRCCOPY);
    const int at =
        FirstDifference(copy.Pixels(), Expected(corners, 150, 120, false, 240, 180, [](int, int) { return 0u; }));
    EXPECT_EQ(at, -1) << "at " << at % 240 << "," << at / 240;
    ReleaseDC(window, dc);
    DestroyWindow(window);

    // Scale 0, negative or huge, a picture handle that is no (more a) bitmap: nothing drawn, nothing broken.
    Surface untouched(240, 180);
    HBITMAP gone = MakePicture(2, 2);
    DeleteObject(gone);
    for (HBITMAP bad : {gone, reinterpret_cast<HBITMAP>(GetStockObject(BLACK_BRUSH))})
        ComposeFrame(untouched.Dc(), 0, 0, nullptr, bad, 100, 100, nullptr, TRUE, 0, TRUE);
    for (int scale : {0, -50, 2147483647})
        ComposeFrame(untouched.Dc(), 0, 0, nullptr, picture, scale, 100, nullptr, TRUE, 0, TRUE);
    for (std::uint32_t p : untouched.Pixels()) ASSERT_EQ(p, kSentinel);
    DeleteObject(picture);
}

TEST(ComposeFrame, CollageStampIntoTheSnapshotItself) {
    HBITMAP picture = MakePicture(90, 70);
    for (const Frame &f :
         {Frame{30, 20, 100, 100, kInstantDisplay, true}, Frame{-10, 100, 150, 40, kFourCorners, true},
          Frame{120, 40, 100, 55, kDissolve, false}}) {
        SCOPED_TRACE(testing::Message() << "level " << f.level);
        HBITMAP snapshot = MakeSnapshot(200, 150);
        {
            Surface stamped(200, 150, snapshot);
            ComposeFrame(stamped.Dc(), f.x, f.y, nullptr, picture, f.scale, f.level, snapshot, f.frame, f.style,
                         FALSE);
            // Outside the picture the snapshot is as it was; where the mask is black, its own piece shows.
            const int at = FirstDifference(stamped.Pixels(), Expected(f, 90, 70, true, 200, 150, SnapshotColour));
            EXPECT_EQ(at, -1) << "at " << at % 200 << "," << at / 200;
        }
        DeleteObject(snapshot);
    }
    DeleteObject(picture);
}

TEST(ComposeFrame, WorkingMemoryFollowsTheVisibleAreaAndNoGdiObjectIsLeft) {
    HBITMAP huge = MakePicture(4000, 3000);
    HBITMAP snapshot = MakeSnapshot(200, 150);
    Surface target(200, 150);
    for (int style : {1, 2, 5})
        for (int scale : {100, 150}) {
            ComposeFrame(target.Dc(), -1900, -1400, nullptr, huge, scale, 50, snapshot, TRUE, style, TRUE);
            EXPECT_GT(LastComposeFrameBytes(), 200u * 150 * 4);
            EXPECT_LT(LastComposeFrameBytes(), 200u * 150 * 4 * 3 + 64 * 1024);
        }
    DeleteObject(huge);

    HBITMAP picture = MakePicture(160, 120);
    HBITMAP stampedSnapshot = MakeSnapshot(200, 150);
    HDC screen = GetDC(nullptr);
    HPALETTE palette = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    {
        Surface stamped(200, 150, stampedSnapshot);
        FrameCanvas canvas;
        auto workload = [&](int rounds) {
            for (int i = 0; i < rounds; ++i) {
                ComposeFrame(target.Dc(), 10, 10, palette, picture, 100, i % 101, snapshot, TRUE, i % 7, TRUE,
                             nullptr, &canvas);
                ComposeFrame(target.Dc(), 70, 50, palette, picture, 150, 50, nullptr, FALSE, 1, TRUE);
                ComposeFrame(stamped.Dc(), 20, 20, palette, picture, 100, 30, stampedSnapshot, TRUE, 6, FALSE);
            }
        };
        workload(3); // anything the platform sets up once
        const int before = FreeGdiRoom();
        workload(100);
        const int after = FreeGdiRoom();
        EXPECT_GT(before, 1000);
        EXPECT_LE(before - after, 2) << "300 frames left " << before - after << " GDI objects behind";
    }
    for (HGDIOBJ object : {HGDIOBJ(palette), HGDIOBJ(picture), HGDIOBJ(snapshot), HGDIOBJ(stampedSnapshot)})
        DeleteObject(object);
}

TEST(ComposeFrame, ShowCanvasDrawsEveryLevelOfEveryFadeAsAFullRedrawWould) {
    // A show's canvas draws only what changed since its last frame; through
    // whole fades in and out (another style on the way out), clipped on two
    // sides, the target must look as if every frame were drawn whole. Over the
    // snapshot the clock runs too.
    HBITMAP picture = MakePicture(150, 120);
    HBITMAP snapshot = MakeSnapshot(240, 180);
    for (HBITMAP background : {snapshot, HBITMAP{nullptr}})
        for (int style = 0; style <= 6; ++style) {
            FrameCanvas canvas;
            Surface shown(240, 180);
            const BOOL clock = background != nullptr;
            auto draw = [&](int level, int frameStyle) {
                SCOPED_TRACE(testing::Message() << "style " << frameStyle << " level " << level << " background "
                                                << (background != nullptr));
                // Whole first, so a clock tick in between shows in the second draw of it.
                for (int attempt = 0; attempt < 2; ++attempt) {
                    Surface whole(240, 180);
                    ComposeFrame(whole.Dc(), -17, 12, nullptr, picture, 150, level, background, TRUE, frameStyle,
                                 clock);
                    if (attempt == 0)
                        ComposeFrame(shown.Dc(), -17, 12, nullptr, picture, 150, level, background, TRUE,
                                     frameStyle, clock, nullptr, &canvas);
                    const int at = FirstDifference(shown.Pixels(), whole.Pixels());
                    if (at < 0) return;
                    if (attempt == 1) FAIL() << "at " << at % 240 << "," << at / 240;
                }
            };
            for (int level = 0; level <= 100 && !HasFatalFailure(); ++level) draw(level, style);
            for (int level = 100; level >= 0 && !HasFatalFailure(); --level) draw(level, (style + 3) % 7);
            if (HasFailure()) break;
        }

    // Held with the clock: when the time moves on, the label is drawn again
    // (and a mark elsewhere, which a full copy would wipe, stays).
    FrameCanvas canvas;
    Surface shown(240, 180);
    auto hold = [&] {
        ComposeFrame(shown.Dc(), -17, 12, nullptr, picture, 150, 100, snapshot, TRUE, 0, TRUE, nullptr, &canvas);
    };
    hold();
    shown.Set(200, 150, 0x0000FF);
    SYSTEMTIME start, now;
    GetLocalTime(&start);
    std::vector<std::uint32_t> whole;
    for (int i = 0; i < 150 && whole.empty(); ++i) {
        Sleep(20);
        Surface fresh(240, 180);
        ComposeFrame(fresh.Dc(), -17, 12, nullptr, picture, 150, 100, snapshot, TRUE, 0, TRUE);
        hold();
        GetLocalTime(&now);
        if (now.wSecond == start.wSecond) continue;
        std::vector<std::uint32_t> expected = fresh.Pixels();
        expected[150 * 240 + 200] = 0x0000FF;
        if (FirstDifference(shown.Pixels(), expected) < 0) whole = expected; // else ticked between the two draws
    }
    EXPECT_FALSE(whole.empty()) << "the held frame's clock did not follow the time";
    DeleteObject(snapshot);
    DeleteObject(picture);
}
