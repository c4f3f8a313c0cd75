// ComposeFrame on real GDI surfaces: what it draws equals the literal GDI
// algorithm and the pixel model for every picture form, over memory and window
// contexts, clip boxes and the collage stamp; the clock label is where it
// belongs; the working memory follows the visible area; no GDI object is left.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "bench/literal_compose_win.h"
#include "slideshow/compose.h"
#include "slideshow/compose_frame.h"
#include "tests/support/gdi_probe.h"
#include "slideshow/masks.h"

namespace {

constexpr std::uint32_t kSentinel = 0x123456;

std::uint32_t PictureColour(int x, int y) {
    return static_cast<std::uint32_t>(((x * 37) & 0xFF) << 16 | ((y * 59) & 0xFF) << 8 | ((x * 3 + y * 5) & 0xFF));
}
std::uint32_t SnapshotColour(int x, int y) { return 0x400000u | static_cast<std::uint32_t>((x * 7 + y * 13) & 0xFFFF); }
// COLORREF is 0x00BBGGRR; DIB pixels are 0x00RRGGBB.
std::uint32_t FromColorRef(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

HBITMAP MakeDib(int width, int height, int bits, bool bottomUp, void **memory) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = bottomUp ? height : -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, memory, nullptr, 0);
}

using Colours = std::function<std::uint32_t(int, int)>;

// A picture as gfxlib.dll returns it (32-bit top-down), or in another form.
enum class Form { kTopDown32, kBottomUp32, kTopDown24, kDeviceDependent };
HBITMAP MakePicture(int width, int height, Form form = Form::kTopDown32, const Colours &colour = PictureColour) {
    void *memory = nullptr;
    if (form == Form::kTopDown24) {
        HBITMAP bitmap = MakeDib(width, height, 24, false, &memory);
        const int stride = (width * 3 + 3) & ~3;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint32_t c = colour(x, y);
                BYTE *p = static_cast<BYTE *>(memory) + y * stride + x * 3;
                p[0] = c & 0xFF, p[1] = (c >> 8) & 0xFF, p[2] = (c >> 16) & 0xFF;
            }
        return bitmap;
    }
    const bool bottomUp = form == Form::kBottomUp32;
    HBITMAP dib = MakeDib(width, height, 32, bottomUp, &memory);
    auto *bits = static_cast<std::uint32_t *>(memory);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits[(bottomUp ? height - 1 - y : y) * width + x] = colour(x, y);
    if (form != Form::kDeviceDependent) return dib;
    HDC screen = GetDC(nullptr);
    HBITMAP ddb = CreateCompatibleBitmap(screen, width, height);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HGDIOBJ oldFrom = SelectObject(from, dib), oldTo = SelectObject(to, ddb);
    BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    DeleteObject(dib);
    return ddb;
}

// The desktop snapshot: compatible with the screen, as the slideshow takes it.
HBITMAP MakeSnapshot(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP snapshot = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, snapshot);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = SnapshotColour(x, y);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return snapshot;
}

// The snapshot as the slideshow keeps it: a DIB section the compositor reads in place.
HBITMAP MakeDibSnapshot(int width, int height) {
    HBITMAP snapshot = CreateSnapshotBitmap(width, height);
    DIBSECTION dib = {};
    GetObjectA(snapshot, sizeof(dib), &dib);
    auto *bits = static_cast<std::uint32_t *>(dib.dsBm.bmBits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits[static_cast<size_t>(y) * width + x] = SnapshotColour(x, y);
    return snapshot;
}

std::vector<std::uint32_t> ReadBitmap(HBITMAP bitmap, int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (auto &p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// A target to draw on: a 32-bit DIB section in a memory context.
class Surface {
public:
    Surface(int width, int height, std::uint32_t fill = kSentinel) : width_(width), height_(height) {
        void *memory = nullptr;
        bitmap_ = MakeDib(width, height, 32, false, &memory);
        bits_ = static_cast<std::uint32_t *>(memory);
        std::fill(bits_, bits_ + static_cast<size_t>(width) * height, fill);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    HDC Dc() const { return dc_; }
    std::uint32_t At(int x, int y) const {
        GdiFlush();
        return bits_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF;
    }
    std::vector<std::uint32_t> Pixels() const {
        GdiFlush();
        std::vector<std::uint32_t> all(bits_, bits_ + static_cast<size_t>(width_) * height_);
        for (auto &p : all) p &= 0xFFFFFF;
        return all;
    }
    void Set(int x, int y, std::uint32_t colour) {
        GdiFlush();
        bits_[static_cast<size_t>(y) * width_ + x] = colour;
    }

private:
    int width_, height_;
    HBITMAP bitmap_;
    std::uint32_t *bits_;
    HDC dc_;
    HGDIOBJ old_;
};

struct Frame {
    int x, y, scale, level, style;
    bool frame;
};

// What the user must see: the literal algorithm per pixel over the target,
// from the pure mask and scaling; original(tx, ty) is what the target held.
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
            if (px < 0 || py < 0 || px >= w || py >= h) {
                out.push_back(original(tx, ty));
            } else if (!mask.At(px, py)) {
                out.push_back(background ? SnapshotColour(tx, ty) : 0);
            } else if (f.frame && (px == 0 || py == 0 || px == w - 1 || py == h - 1)) {
                out.push_back(0);
            } else {
                out.push_back(colour(NearestSource(px, pictureWidth, w), NearestSource(py, pictureHeight, h)));
            }
        }
    return out;
}

std::uint32_t Sentinel(int, int) { return kSentinel; }

int FirstDifference(const std::vector<std::uint32_t> &a, const std::vector<std::uint32_t> &b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return static_cast<int>(i);
    return a.size() == b.size() ? -1 : static_cast<int>(std::min(a.size(), b.size()));
}


} // namespace

TEST(ComposeFrame, MatchesTheLiteralGdiAlgorithm) {
    // Styles whose GDI drawing is exact (rectangles), so literal and ours must agree to the pixel.
    HBITMAP snapshot = MakeSnapshot(200, 150);
    HBITMAP pictures[] = {MakePicture(130, 110), MakePicture(260, 210)};
    HDC screen = GetDC(nullptr);
    HPALETTE palette = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    const POINT places[] = {{20, 15}, {-30, -10}, {150, 100}};
    for (HBITMAP picture : pictures)
        for (int style : {0, 2, 3, 6, 7})
            for (int level : {0, 37, 100})
                for (const POINT &at : places)
                    for (HBITMAP background : {HBITMAP{nullptr}, snapshot})
                        for (BOOL frame : {FALSE, TRUE}) {
                            SCOPED_TRACE(testing::Message() << "style " << style << " level " << level << " at "
                                                            << at.x << "," << at.y << " background "
                                                            << (background != nullptr) << " frame " << frame);
                            Surface ours(200, 150), literal(200, 150);
                            ComposeFrame(ours.Dc(), at.x, at.y, palette, picture, 100, level, background, frame, style,
                                         FALSE);
                            LiteralComposeFrame(literal.Dc(), at.x, at.y, palette, picture, 100, level, background,
                                                frame, style, FALSE);
                            const int at_ = FirstDifference(ours.Pixels(), literal.Pixels());
                            ASSERT_EQ(at_, -1) << "first difference at " << at_ % 200 << "," << at_ / 200;
                        }
    for (HBITMAP picture : pictures) DeleteObject(picture);
    DeleteObject(palette);
    DeleteObject(snapshot);
}

TEST(ComposeFrame, ClockLabelMatchesTheLiteral) {
    HBITMAP snapshot = MakeSnapshot(320, 240);
    HBITMAP large = MakePicture(400, 300), small = MakePicture(150, 100), narrow = MakePicture(20, 10);
    struct Case {
        HBITMAP picture;
        int x, y;
        BOOL frame;
    } cases[] = {{large, -40, -30, TRUE}, {small, 30, 40, TRUE}, {small, 30, 40, FALSE}, {narrow, 50, 50, TRUE}};
    for (const Case &c : cases) {
        // The clock can tick between the two calls: then they are drawn again.
        int difference = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            Surface ours(320, 240), literal(320, 240);
            ComposeFrame(ours.Dc(), c.x, c.y, nullptr, c.picture, 100, 100, snapshot, c.frame, 0, TRUE);
            LiteralComposeFrame(literal.Dc(), c.x, c.y, nullptr, c.picture, 100, 100, snapshot, c.frame, 0, TRUE);
            difference = FirstDifference(ours.Pixels(), literal.Pixels());
            if (difference < 0) break;
        }
        EXPECT_EQ(difference, -1) << "at " << difference % 320 << "," << difference / 320 << " for a picture at "
                                  << c.x << "," << c.y;
    }
    DeleteObject(large);
    DeleteObject(small);
    DeleteObject(narrow);
    DeleteObject(snapshot);
}

TEST(ComposeFrame, EveryStyleAndScaleMatchesThePixelModel) {
    HBITMAP snapshot = MakeSnapshot(240, 180);
    HBITMAP picture = MakePicture(150, 120);
    for (int style = 0; style <= 6; ++style)
        for (int level : {0, 1, 45, 99, 100})
            for (int scale : {100, 150, 55})
                for (HBITMAP background : {HBITMAP{nullptr}, snapshot}) {
                    const Frame f{-17 + style * 9, 12 - level / 5, scale, level, style, scale != 55};
                    SCOPED_TRACE(testing::Message() << "style " << style << " level " << level << " scale " << scale
                                                    << " background " << (background != nullptr));
                    Surface target(240, 180);
                    ComposeFrame(target.Dc(), f.x, f.y, nullptr, picture, f.scale, f.level, background, f.frame,
                                 f.style, FALSE);
                    const int at = FirstDifference(target.Pixels(),
                                                   Expected(f, 150, 120, background != nullptr, 240, 180, Sentinel));
                    ASSERT_EQ(at, -1) << "first difference at " << at % 240 << "," << at / 240;
                }
    DeleteObject(picture);
    DeleteObject(snapshot);
}

TEST(ComposeFrame, EveryPictureFormGivesTheSameFrame) {
    HBITMAP snapshot = MakeSnapshot(240, 180);
    const Frame f{-20, 10, 150, 60, kHorizontalMesh, true};
    const std::vector<std::uint32_t> expected = Expected(f, 130, 105, true, 240, 180, Sentinel);
    for (Form form : {Form::kTopDown32, Form::kBottomUp32, Form::kTopDown24, Form::kDeviceDependent}) {
        SCOPED_TRACE(static_cast<int>(form));
        HBITMAP picture = MakePicture(130, 105, form);
        ASSERT_NE(picture, nullptr);
        Surface target(240, 180);
        ComposeFrame(target.Dc(), f.x, f.y, nullptr, picture, f.scale, f.level, snapshot, TRUE, f.style, FALSE);
        const int at = FirstDifference(target.Pixels(), expected);
        EXPECT_EQ(at, -1) << "first difference at " << at % 240 << "," << at / 240;
        DeleteObject(picture);
    }
    DeleteObject(snapshot);
}

TEST(ComposeFrame, PicturesWhoseRowsMirrorReadTheSame) {
    // The row order of a DIB section's memory is found from its content: pictures
    // whose first rows mirror their last ones, or that are symmetric throughout,
    // must still come out upright.
    const Colours mirroredEnds = [](int x, int y) {
        return y < 40 || y >= 80 ? PictureColour(x, y < 40 ? y : 119 - y) : PictureColour(x, y);
    };
    const Colours symmetric = [](int x, int y) { return PictureColour(x, std::min(y, 119 - y)); };
    const Frame f{5, 7, 100, 100, kInstantDisplay, false};
    for (const Colours &colour : {mirroredEnds, symmetric})
        for (Form form : {Form::kTopDown32, Form::kBottomUp32}) {
            HBITMAP picture = MakePicture(100, 120, form, colour);
            Surface target(160, 140);
            ComposeFrame(target.Dc(), f.x, f.y, nullptr, picture, f.scale, f.level, nullptr, FALSE, f.style, FALSE);
            const int at = FirstDifference(target.Pixels(), Expected(f, 100, 120, false, 160, 140, Sentinel, colour));
            EXPECT_EQ(at, -1) << "first difference at " << at % 160 << "," << at / 160;
            DeleteObject(picture);
        }
}

TEST(ComposeFrame, BackgroundPieceOfAScreenSizedSnapshot) {
    // A picture narrower than the snapshot: its rows are read a band at a time.
    HBITMAP snapshot = MakeSnapshot(1024, 768);
    HBITMAP picture = MakePicture(400, 300);
    for (const Frame &f : {Frame{112, 84, 200, 30, kFourCorners, true}, Frame{-50, 300, 150, 70, kDissolve, false}}) {
        Surface target(1024, 768);
        ComposeFrame(target.Dc(), f.x, f.y, nullptr, picture, f.scale, f.level, snapshot, f.frame, f.style, FALSE);
        const int at = FirstDifference(target.Pixels(), Expected(f, 400, 300, true, 1024, 768, Sentinel));
        EXPECT_EQ(at, -1) << "first difference at " << at % 1024 << "," << at / 1024;
    }
    DeleteObject(picture);
    DeleteObject(snapshot);
}

TEST(ComposeFrame, DrawsOnlyInsideTheClipBoxAndNothingForEmptySizes) {
    HBITMAP picture = MakePicture(150, 120);
    const Frame f{10, 5, 100, 50, kEllipseOutwards, true};
    Surface target(240, 180);
    IntersectClipRect(target.Dc(), 40, 30, 120, 100);
    ComposeFrame(target.Dc(), f.x, f.y, nullptr, picture, f.scale, f.level, nullptr, TRUE, f.style, FALSE);
    const std::vector<std::uint32_t> full = Expected(f, 150, 120, false, 240, 180, Sentinel);
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 240; ++x) {
            const bool inside = x >= 40 && x < 120 && y >= 30 && y < 100;
            ASSERT_EQ(target.At(x, y), inside ? full[y * 240 + x] : kSentinel) << x << "," << y;
        }

    // Scale 0, a negative scale, a picture handle that is no bitmap: nothing drawn, nothing broken.
    Surface untouched(240, 180);
    ComposeFrame(untouched.Dc(), 0, 0, nullptr, picture, 0, 100, nullptr, TRUE, 0, TRUE);
    ComposeFrame(untouched.Dc(), 0, 0, nullptr, picture, -50, 100, nullptr, TRUE, 0, TRUE);
    HBITMAP gone = MakePicture(2, 2);
    DeleteObject(gone);
    ComposeFrame(untouched.Dc(), 0, 0, nullptr, gone, 100, 100, nullptr, TRUE, 0, TRUE);
    ComposeFrame(untouched.Dc(), 0, 0, nullptr, reinterpret_cast<HBITMAP>(GetStockObject(BLACK_BRUSH)), 100, 100,
                 nullptr, TRUE, 0, TRUE);
    ComposeFrame(untouched.Dc(), 0, 0, nullptr, picture, 2147483647, 100, nullptr, TRUE, 0, TRUE);
    for (std::uint32_t p : untouched.Pixels()) ASSERT_EQ(p, kSentinel);
    DeleteObject(picture);
}

TEST(ComposeFrame, DrawsIntoAWindow) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ComposeFrameTestWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ComposeFrameTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 240, 180, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    HDC dc = GetDC(window);
    PatBlt(dc, 0, 0, 240, 180, BLACKNESS);
    HBITMAP picture = MakePicture(150, 120);
    const Frame f{50, 20, 120, 70, kFourCorners, true};
    ComposeFrame(dc, f.x, f.y, nullptr, picture, f.scale, f.level, nullptr, TRUE, f.style, FALSE);
    Surface copy(240, 180);
    BitBlt(copy.Dc(), 0, 0, 240, 180, dc, 0, 0, SRCCOPY);
    const int at = FirstDifference(copy.Pixels(), Expected(f, 150, 120, false, 240, 180, [](int, int) { return 0u; }));
    EXPECT_EQ(at, -1) << "first difference at " << at % 240 << "," << at / 240;
    ReleaseDC(window, dc);
    DestroyWindow(window);
    DeleteObject(picture);
}

TEST(ComposeFrame, CollageStampIntoTheSnapshotItself) {
    HBITMAP picture = MakePicture(90, 70);
    for (const Frame &f : {Frame{30, 20, 100, 100, kInstantDisplay, true}, Frame{-10, 100, 150, 40, kFourCorners, true},
                           Frame{120, 40, 100, 55, kDissolve, false}}) {
        SCOPED_TRACE(testing::Message() << "level " << f.level);
        HBITMAP snapshot = MakeSnapshot(200, 150);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, snapshot);
        ComposeFrame(dc, f.x, f.y, nullptr, picture, f.scale, f.level, snapshot, f.frame, f.style, FALSE);
        SelectObject(dc, old);
        DeleteDC(dc);
        // Outside the picture the snapshot is as it was; inside, where the mask is
        // black, the snapshot's own piece shows (level 100: never).
        const int at = FirstDifference(ReadBitmap(snapshot, 200, 150),
                                       Expected(f, 90, 70, true, 200, 150, SnapshotColour));
        EXPECT_EQ(at, -1) << "first difference at " << at % 200 << "," << at / 200;
        DeleteObject(snapshot);
    }
    DeleteObject(picture);
}

TEST(ComposeFrame, ClockLabelSitsAtTheVisibleTopLeftCorner) {
    const std::uint32_t face = FromColorRef(GetSysColor(COLOR_BTNFACE));
    const std::uint32_t text = FromColorRef(GetSysColor(COLOR_BTNTEXT));
    HBITMAP snapshot = MakeSnapshot(1024, 768);
    // 1200 x 900 centred on 1024 x 768 with the frame: moved by 7 + 88 and 7 + 66,
    // so the label's rectangle starts at the screen's pixel (1, 1).
    HBITMAP large = MakePicture(1200, 900);
    {
        Surface target(1024, 768);
        ComposeFrame(target.Dc(), -88, -66, nullptr, large, 100, 100, snapshot, TRUE, 0, TRUE);
        EXPECT_EQ(target.At(0, 0), PictureColour(88, 66));
        EXPECT_EQ(target.At(0, 10), PictureColour(88, 76));
        EXPECT_EQ(target.At(10, 0), PictureColour(98, 66));
        EXPECT_NE(target.At(1, 1), PictureColour(89, 67)); // the raised edge
        EXPECT_EQ(target.At(4, 4), face);
        int dark = 0, width = 0;
        for (int x = 3; x < 300 && target.At(x, 4) == face; ++x) width = x - 2;
        for (int y = 1; y < 40; ++y)
            for (int x = 1; x < 200; ++x) dark += target.At(x, y) == text;
        EXPECT_GT(width, 40) << "eight characters and a margin";
        EXPECT_LT(width, 200);
        EXPECT_GT(dark, 20) << "the time is written";
        EXPECT_EQ(target.At(width + 20, 4), PictureColour(88 + width + 20, 70));

        Surface plain(1024, 768);
        ComposeFrame(plain.Dc(), -88, -66, nullptr, large, 100, 100, snapshot, TRUE, 0, FALSE);
        EXPECT_EQ(plain.At(4, 4), PictureColour(92, 70));
    }
    // Without a snapshot the screen is the reference: the same placement.
    {
        const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        HBITMAP wide = MakePicture(sw + 176, sh + 132);
        Surface target(sw, sh);
        ComposeFrame(target.Dc(), -88, -66, nullptr, wide, 100, 100, nullptr, TRUE, 0, TRUE);
        EXPECT_EQ(target.At(0, 0), PictureColour(88, 66));
        EXPECT_NE(target.At(1, 1), PictureColour(89, 67));
        EXPECT_EQ(target.At(4, 4), face);
        DeleteObject(wide);
    }
    // A picture within the screen: one pixel inside the frame line.
    HBITMAP small = MakePicture(800, 600);
    {
        Surface target(1024, 768);
        ComposeFrame(target.Dc(), 112, 84, nullptr, small, 100, 100, snapshot, TRUE, 0, TRUE);
        EXPECT_EQ(target.At(112, 84), 0u);
        EXPECT_EQ(target.At(112, 90), 0u);
        EXPECT_NE(target.At(113, 85), PictureColour(1, 1));
        EXPECT_EQ(target.At(116, 88), face);
        EXPECT_EQ(target.At(111, 88), kSentinel);
    }
    DeleteObject(small);
    DeleteObject(large);
    DeleteObject(snapshot);
}

TEST(ComposeFrame, WorkingMemoryFollowsTheVisibleArea) {
    // A picture far larger than the target costs what the target shows.
    HBITMAP huge = MakePicture(4000, 3000);
    HBITMAP snapshot = MakeSnapshot(200, 150);
    Surface target(200, 150);
    for (int style : {1, 2, 5})
        for (int scale : {100, 150}) {
            ComposeFrame(target.Dc(), -1900, -1400, nullptr, huge, scale, 50, snapshot, TRUE, style, TRUE);
            EXPECT_GT(LastComposeFrameBytes(), 200u * 150 * 4);
            EXPECT_LT(LastComposeFrameBytes(), 200u * 150 * 4 * 3 + 64 * 1024);
        }
    DeleteObject(snapshot);
    DeleteObject(huge);
}

TEST(ComposeFrame, LeavesNoGdiObjectBehind) {
    HBITMAP picture = MakePicture(160, 120), ddb = MakePicture(160, 120, Form::kDeviceDependent);
    HBITMAP snapshot = MakeSnapshot(200, 150), stamped = MakeSnapshot(200, 150);
    HDC screen = GetDC(nullptr);
    HPALETTE palette = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    Surface target(200, 150);
    HDC stampDc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldStamp = SelectObject(stampDc, stamped);
    auto workload = [&](int rounds) {
        for (int i = 0; i < rounds; ++i) {
            ComposeFrame(target.Dc(), 10, 10, palette, picture, 100, i % 101, snapshot, TRUE, i % 7, TRUE);
            ComposeFrame(target.Dc(), 70, 50, palette, ddb, 150, 50, nullptr, FALSE, 1, TRUE);
            ComposeFrame(stampDc, 20, 20, palette, picture, 100, 30, stamped, TRUE, 6, FALSE);
        }
    };
    workload(3); // anything the platform sets up once
    const int before = FreeGdiRoom();
    workload(100);
    const int after = FreeGdiRoom();
    EXPECT_GT(before, 1000);
    EXPECT_LE(before - after, 2) << "300 frames left " << before - after << " GDI objects behind";
    SelectObject(stampDc, oldStamp);
    DeleteDC(stampDc);
    DeleteObject(palette);
    DeleteObject(stamped);
    DeleteObject(snapshot);
    DeleteObject(ddb);
    DeleteObject(picture);
}

TEST(ComposeFrame, ShowCanvasDrawsEveryLevelOfEveryFadeAsAFullRedrawWould) {
    // A show's canvas composes and copies only what changed since its last
    // frame; through whole fades in and out (another style on the way out),
    // clipped on two sides, the target must look as if every frame were drawn
    // whole. Over the snapshot the clock runs too.
    HBITMAP picture = MakePicture(150, 120);
    HBITMAP snapshot = MakeDibSnapshot(240, 180);
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
                    if (attempt == 1) FAIL() << "first difference at " << at % 240 << "," << at / 240;
                }
            };
            for (int level = 0; level <= 100 && !HasFatalFailure(); ++level) draw(level, style);
            for (int level = 100; level >= 0 && !HasFatalFailure(); --level) draw(level, (style + 3) % 7);
            if (HasFailure()) break;
        }
    DeleteObject(snapshot);
    DeleteObject(picture);
}

TEST(ComposeFrame, ShowCanvasCopiesOnlyWhatChangedUntilInvalidated) {
    HBITMAP picture = MakePicture(600, 400);
    HBITMAP snapshot = MakeDibSnapshot(640, 480);
    FrameCanvas canvas;
    Surface shown(640, 480);
    auto draw = [&](int level, BOOL clock = FALSE) {
        ComposeFrame(shown.Dc(), 20, 30, nullptr, picture, 100, level, snapshot, TRUE, kHorizontalMesh, clock,
                     nullptr, &canvas);
    };
    // Bars 6 rows high grow by 6 columns a level: from 10 to 11 the bar of rows
    // 6..11 reaches columns 60..65. Marks there and in the middle survive the
    // step to 12, which copies columns 66..71, and go with the first frame
    // after Invalidate.
    draw(10);
    draw(11);
    const std::uint32_t revealed = shown.At(20 + 61, 30 + 7), middle = shown.At(320, 230);
    shown.Set(20 + 61, 30 + 7, 0x0000FF);
    shown.Set(320, 230, 0x0000FF);
    draw(12);
    EXPECT_EQ(shown.At(20 + 61, 30 + 7), 0x0000FFu) << "the step before was copied again";
    EXPECT_EQ(shown.At(320, 230), 0x0000FFu);
    canvas.Invalidate();
    draw(12);
    EXPECT_EQ(shown.At(20 + 61, 30 + 7), revealed);
    EXPECT_EQ(shown.At(320, 230), middle);

    // Held with the clock: while the time stands still nothing is copied; when
    // it moves on, the label is, and the frame is the full redraw's.
    draw(100, TRUE);
    shown.Set(320, 230, 0x0000FF);
    SYSTEMTIME start, now;
    GetLocalTime(&start);
    std::vector<std::uint32_t> whole;
    for (int i = 0; i < 150; ++i) {
        Sleep(20);
        Surface fresh(640, 480);
        ComposeFrame(fresh.Dc(), 20, 30, nullptr, picture, 100, 100, snapshot, TRUE, kHorizontalMesh, TRUE);
        draw(100, TRUE);
        GetLocalTime(&now);
        if (now.wSecond == start.wSecond) continue;
        whole = fresh.Pixels();
        whole[230 * 640 + 320] = 0x0000FF;
        if (FirstDifference(shown.Pixels(), whole) >= 0) continue; // ticked between the two draws
        break;
    }
    ASSERT_FALSE(whole.empty()) << "the clock never moved on";
    EXPECT_EQ(FirstDifference(shown.Pixels(), whole), -1) << "the label, and nothing else, is drawn again";
    DeleteObject(snapshot);
    DeleteObject(picture);
}
