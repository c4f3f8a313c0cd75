// The image library's pure rules on the test pictures: our bitmap reader, header peeks on whole, damaged and
// cut files (under ASan each cut ends its buffer), the pixel budget, GIF canvas, alpha, EXIF orientations.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "gfxlib/bitmap_file.h"
#include "gfxlib/picture_header.h"
#include "gfxlib/pixels.h"
#include "tests/support/test_files.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;

Bytes Corpus(const char *name) { return ReadBytes(TestsPath(std::string("data/gfxlib/") + name)); }
std::pair<std::uint32_t, std::uint32_t> Size(const Bytes &b) {
    std::uint32_t width = 7, height = 7; // a refusal must not pass for a size
    return PeekDeclaredSize(b.data(), b.size(), &width, &height) ? std::pair{width, height} : std::pair{0u, 0u};
}

} // namespace

// Beside a sound bitmap lies ImageMagick's reading of it, with how far another decoder may stray.
TEST(PictureFiles, EveryBitmapVariantReadsAsAnotherDecoderDoesAndDamagedOnesAreRefused) {
    const std::vector<std::string> files = FilesIn("data/bmp");
    ASSERT_GE(files.size(), 60u);
    for (const std::string &path : files) {
        if (path.compare(path.size() - 4, 4, ".bmp") != 0) continue;
        SCOPED_TRACE(path);
        const Bytes bytes = ReadBytes(path), ppm = ReadBytes(path.substr(0, path.size() - 4) + ".ppm");
        BitmapLayout layout;
        bool read = ReadBitmapLayout(bytes.data(), bytes.size(), &layout);
        Pixels pixels(read ? std::size_t{layout.width} * layout.height : 0);
        read = read && DecodeBitmapPixels(bytes.data(), bytes.size(), layout, pixels.data());
        ASSERT_EQ(!ppm.empty(), read);
        if (!read) continue;
        unsigned tolerance = 0, width = 0, height = 0, at = 0;
        ASSERT_EQ(3, std::sscanf(std::string(ppm.begin(), ppm.end()).c_str(), "P6 # tolerance %u %u %u 255%n",
                                 &tolerance, &width, &height, &at));
        ASSERT_TRUE(width == layout.width && height == layout.height && ppm.size() >= at + 1 + pixels.size() * 3);
        FlattenOverBlack(pixels.data(), pixels.size(), true);
        for (std::size_t i = 0; i < pixels.size() * 3; ++i)
            ASSERT_NEAR(pixels[i / 3] >> (16 - i % 3 * 8) & 0xFF, ppm[at + 1 + i], tolerance) << "pixel " << i / 3;
    }
}

// jpeg_exif6.jpg: Exif first, TIFF from byte 12, IFD offset at 16, IFD at 20 (tag 22, type 24, value 30)
TEST(PictureFiles, OrientationFromExifInEitherByteOrderElseUprightAndDeclaredSizes) {
    Bytes exif6 = Corpus("jpeg_exif6.jpg");
    auto orientation = [](const Bytes &b) { return ReadJpegOrientation(b.data(), b.size()); };
    EXPECT_EQ(6, orientation(exif6));
    EXPECT_EQ(3, orientation(Corpus("jpeg_exif3.jpg"))) << "big-endian";
    for (std::size_t n = 0; n < exif6.size(); ++n) {
        const Bytes cut(exif6.begin(), exif6.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_TRUE(orientation(cut) == 1 || orientation(cut) == 6) << n;
        EXPECT_TRUE(Size(cut) == std::pair(64u, 32u) || Size(cut) == std::pair(0u, 0u)) << n;
    }
    for (auto [at, byte] : {std::pair{30, 9}, {24, 2}, {22, 0x10}, {19, 0xFF}, {16, 4}}) { // value, type, tag, IFD
        Bytes damaged = exif6;
        damaged[at] = std::uint8_t(byte);
        EXPECT_EQ(1, orientation(damaged)) << "byte " << at;
    }
    exif6[24] = 4;
    EXPECT_EQ(6, orientation(exif6)) << "the value as a LONG";

    EXPECT_EQ(Size(exif6), std::pair(64u, 32u)) << "as stored, before turning";
    EXPECT_EQ(Size(Corpus("png_huge_header.png")), std::pair(100000u, 100000u));
    for (const char *name : {"bmp24_topdown.bmp", "bmp24_core.bmp"}) {
        const Bytes bitmap = Corpus(name);
        EXPECT_EQ(Size(bitmap), std::pair(64u, 32u));
        for (std::size_t n = 0; n < 26; ++n) // the header cut short, read with ASan watching the end
            EXPECT_EQ(Size(Bytes(bitmap.data(), bitmap.data() + n)), std::pair(0u, 0u)) << name << " cut to " << n;
    }
    const Bytes dhtFirst = {0xFF, 0xD8, 0xFF, 0xC4, 0, 4, 0, 0, 0xFF, 0xC2, 0, 7, 8, 0, 12, 0xFD, 0xE8};
    EXPECT_EQ(Size(dhtFirst), std::pair(65000u, 12u)) << "a Huffman table shares the markers, but is no frame";
}

TEST(PictureFiles, BudgetGifCanvasAlphaAndEveryOrientation) {
    EXPECT_TRUE(FitsPixelBudget(8192, 8192) && FitsPixelBudget(65535, 1024));
    for (auto [w, h] : {std::pair{8193u, 8192u}, {65536u, 1u}, {0u, 10u}, {10u, 0u}, {1u << 16, 1u << 16}})
        EXPECT_FALSE(FitsPixelBudget(w, h)) << w << " x " << h;
    EXPECT_EQ(PlaceGifFrame(64, 32, 16, 8, 32, 16).left, 16u);
    EXPECT_EQ(PlaceGifFrame(64, 32, 40, 0, 32, 16).width, 32u) << "off the screen: a canvas of its own";
    Pixels alpha = {0x80FF8040, 0x00FFFFFF}, unset = {0x00FF0000, 0x0000FF00};
    FlattenOverBlack(alpha.data(), 2, true), FlattenOverBlack(unset.data(), 2, true);
    EXPECT_EQ(alpha, (Pixels{0x00804020, 0})) << "over black";
    EXPECT_EQ(unset, (Pixels{0x00FF0000, 0x0000FF00})) << "alpha nobody filled in: opaque";

    const Pixels stored = {'a', 'b', 'c', 'd', 'e', 'f'}; // 3 x 2: abc / def
    const char *upright[] = {"abcdef", "abcdef", "cbafed", "fedcba", "defabc",
                             "adbecf", "daebfc", "fcebda", "cfbead", "abcdef"};
    for (int orientation = 0; orientation <= 9; ++orientation) {
        std::int32_t w, h;
        OrientedSize(3, 2, orientation, &w, &h);
        EXPECT_EQ(w, orientation >= 5 && orientation <= 8 ? 2 : 3) << orientation;
        Pixels rows(6), strip(6); // placed a row at a time, and as one strip of rows
        PlaceOrientedRows(stored.data(), 3, 2, 0, 1, orientation, rows.data());
        PlaceOrientedRows(stored.data() + 3, 3, 2, 1, 1, orientation, rows.data());
        PlaceOrientedRows(stored.data(), 3, 2, 0, 2, orientation, strip.data());
        EXPECT_EQ(rows, Pixels(upright[orientation], upright[orientation] + 6)) << orientation;
        EXPECT_EQ(strip, rows) << orientation;
    }
}
