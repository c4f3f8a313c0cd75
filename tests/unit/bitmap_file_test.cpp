// Our bitmap reader over every variant in tests/data/bmp: each sound file
// decodes to the pixels ImageMagick made of it, each damaged one is refused.
#include "gfxlib/bitmap_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "gfxlib/pixels.h"
#include "tests/support/test_files.h"

TEST(BitmapFile, ReadsEveryVariantAsAnotherDecoderDoesAndRefusesDamagedOnes) {
    const std::vector<BitmapCase> cases = BitmapCases();
    ASSERT_GE(cases.size(), 30u);
    for (const BitmapCase &test : cases) {
        SCOPED_TRACE(test.path);
        const std::vector<std::uint8_t> bytes = ReadBytes(test.path);
        BitmapLayout layout;
        bool read = ReadBitmapLayout(bytes.data(), bytes.size(), &layout);
        std::vector<std::uint32_t> pixels;
        if (read) {
            pixels.resize(std::size_t{layout.width} * layout.height);
            read = DecodeBitmapPixels(bytes.data(), bytes.size(), layout, pixels.data());
        }
        ASSERT_EQ(read, test.sound);
        if (!read) continue;
        ASSERT_EQ(static_cast<int>(layout.width), test.width);
        ASSERT_EQ(static_cast<int>(layout.height), test.height);
        FlattenOverBlack(pixels.data(), pixels.size(), true);
        EXPECT_LE(WorstDifference(test, pixels.data()), test.tolerance);
    }
}
