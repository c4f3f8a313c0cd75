// gfxlib.dll: every format shown upright with the right pixels, failures that
// return 0 and leave nothing behind. What DrawBitmap paints: see the viewer's test.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "picture_loader/picture_loader.h"
#include "tests/support/gdi_probe.h"
#include "tests/support/test_files.h"

namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

std::string Corpus(const char *name) { return TestsPath(std::string("data/gfxlib/") + name); }

// One call of LoadFileGraphic. Only a success is cleaned up: callers delete nothing after a failure.
struct Load {
    explicit Load(const std::string &path) {
        result = LoadFileGraphic(nullptr, path.c_str(), &size, &palette, &bitmap, 0);
        DIBSECTION dib{};
        if (result && palette && GetObjectA(bitmap, sizeof dib, &dib) == sizeof dib && dib.dsBm.bmBitsPixel == 32)
            bits = static_cast<const std::uint32_t *>(dib.dsBm.bmBits);
    }
    ~Load() {
        if (result) DeleteObject(bitmap), DeleteObject(palette);
    }
    int result = 0;
    SIZE size{};
    HPALETTE palette = nullptr;
    HBITMAP bitmap = nullptr;
    const std::uint32_t *bits = nullptr; // 0x00RRGGBB from the top row, as GDI leaves them
};

// A width x height picture, the centres of its quadrants (top left, right, bottom left, right) in their colours.
void ExpectPicture(const char *name, int width, int height, const std::uint32_t (&quadrants)[4], int tolerance) {
    SCOPED_TRACE(name);
    Load load(Corpus(name));
    ASSERT_TRUE(load.bits);
    ASSERT_EQ(std::pair(width, height), std::pair(int(load.size.cx), int(load.size.cy)));
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t pixel = load.bits[(i / 2 * 2 + 1) * height / 4 * width + (i % 2 * 2 + 1) * width / 4];
        for (int shift = 0; shift < 32; shift += 8)
            EXPECT_NEAR(pixel >> shift & 0xFF, quadrants[i] >> shift & 0xFF, tolerance) << "quadrant " << i;
    }
}

} // namespace

TEST(Gfxlib, ShowsEveryFormatUprightAndFailsCleanly) {
    // From a thread in the multithreaded apartment, as another caller may be: the library must join it.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    for (const char *name : {"gif_plain.gif", "gif_interlaced.gif", "gif_animated.gif", "png_rgb.png",
                             "png_as.jpg", "bmp24_topdown.bmp", "bmp32_alpha_unset.bmp", "bmp8_rle.bmp"})
        ExpectPicture(name, 64, 32, {kRed, kGreen, kBlue, kWhite}, 0);
    for (const char *jpeg : {"jpeg_baseline.jpg", "jpeg_progressive.jpg", "jpeg_cmyk.jpg"})
        ExpectPicture(jpeg, 64, 32, {kRed, kGreen, kBlue, kWhite}, 12);
    ExpectPicture("jpeg_exif6.jpg", 32, 64, {kBlue, kRed, kWhite, kGreen}, 12);       // a quarter turn clockwise
    ExpectPicture("jpeg_exif6_two_strips.jpg", 300, 1024, {kBlue, kRed, kWhite, kGreen}, 12); // the last one short
    ExpectPicture("gif_transparent.gif", 64, 32, {kBlack, kGreen, kBlue, kWhite}, 0); // over black
    ExpectPicture("png_alpha.png", 64, 32, {0x800000, kGreen, 0x000080, kWhite}, 1);
    ExpectPicture("gif_offset.gif", 64, 32, {kRed, kBlack, kBlack, kBlack}, 0); // red 32 x 16 at (16, 8)
    const Load offset(Corpus("gif_offset.gif"));
    EXPECT_TRUE(offset.bits && offset.bits[8 * 64 + 15] == kBlack) << "left of that frame";

    // Failures return 0, and leave nothing behind.
    std::vector<std::string> bad = {"CON", "NUL", "", Corpus(""), Corpus("missing.jpg")}; // devices, a folder
    for (const std::string &path : FilesIn("data/gfxlib")) // empty, text, cut short, or too big to take
        if (path.find("bad_") != std::string::npos || path.find("huge") != std::string::npos) bad.push_back(path);
    bad.push_back(TestsPath("data/bmp/bad_rle_cut.bmp")); // damage found once the picture is made
    ASSERT_EQ(bad.size(), 12u);
    auto loadAll = [&] {
        for (const std::string &path : bad) EXPECT_EQ(0, Load(path).result) << path;
        EXPECT_NE(0, Load(Corpus("jpeg_exif6.jpg")).result);
    };
    loadAll(); // the platform makes its own objects once
    const int room = FreeGdiRoom();
    for (int i = 0; i < 5; ++i) loadAll();
    EXPECT_EQ(room, FreeGdiRoom());
    CoUninitialize();
}
