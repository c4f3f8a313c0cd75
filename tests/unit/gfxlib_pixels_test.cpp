// Pixel rules of the image library: the budget's edges, the GIF canvas, every
// EXIF orientation (whole and strip by strip) and alpha over black.
#include "gfxlib/pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using Pixels = std::vector<std::uint32_t>;

TEST(GfxPixels, PixelBudgetEdges) {
    EXPECT_TRUE(FitsPixelBudget(1, 1));
    EXPECT_TRUE(FitsPixelBudget(8192, 8192)); // exactly 64 Mi pixels
    EXPECT_FALSE(FitsPixelBudget(8193, 8192));
    EXPECT_TRUE(FitsPixelBudget(65535, 1024));
    EXPECT_FALSE(FitsPixelBudget(65536, 1));
    EXPECT_FALSE(FitsPixelBudget(1, 65536));
    EXPECT_FALSE(FitsPixelBudget(0, 10));
    EXPECT_FALSE(FitsPixelBudget(10, 0));
    EXPECT_FALSE(FitsPixelBudget(100000, 100000));
    EXPECT_FALSE(FitsPixelBudget(0xFFFFFFFFu, 0xFFFFFFFFu));
    EXPECT_FALSE(FitsPixelBudget(0x10000u, 0x10000u)); // product wraps to 0 in 32 bits
}

TEST(GfxPixels, GifFrameSitsOnItsScreenOnlyWhenItFits) {
    GifPlacement c = PlaceGifFrame(64, 32, 16, 8, 32, 16);
    EXPECT_EQ(64u, c.width);
    EXPECT_EQ(32u, c.height);
    EXPECT_EQ(16u, c.left);
    EXPECT_EQ(8u, c.top);
    c = PlaceGifFrame(64, 32, 0, 0, 64, 32);
    EXPECT_EQ(0u, c.left);
    c = PlaceGifFrame(64, 32, 40, 0, 32, 16); // runs off the right edge
    EXPECT_EQ(32u, c.width);
    EXPECT_EQ(16u, c.height);
    EXPECT_EQ(0u, c.left);
    c = PlaceGifFrame(0, 0, 0, 0, 5, 6); // no screen size
    EXPECT_EQ(5u, c.width);
    EXPECT_EQ(6u, c.height);
    c = PlaceGifFrame(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 2, 2); // sums beyond 32 bits
    EXPECT_EQ(2u, c.width);
    EXPECT_EQ(0u, c.left);
}

TEST(GfxPixels, EveryOrientationWholeAndByStrips) {
    // Stored 3 x 2:  a b c / d e f
    const Pixels stored = {'a', 'b', 'c', 'd', 'e', 'f'};
    struct Case {
        int orientation;
        std::int32_t width, height;
        Pixels upright;
    } cases[] = {
        {1, 3, 2, {'a', 'b', 'c', 'd', 'e', 'f'}}, {2, 3, 2, {'c', 'b', 'a', 'f', 'e', 'd'}},
        {3, 3, 2, {'f', 'e', 'd', 'c', 'b', 'a'}}, {4, 3, 2, {'d', 'e', 'f', 'a', 'b', 'c'}},
        {5, 2, 3, {'a', 'd', 'b', 'e', 'c', 'f'}}, {6, 2, 3, {'d', 'a', 'e', 'b', 'f', 'c'}},
        {7, 2, 3, {'f', 'c', 'e', 'b', 'd', 'a'}}, {8, 2, 3, {'c', 'f', 'b', 'e', 'a', 'd'}},
        {0, 3, 2, {'a', 'b', 'c', 'd', 'e', 'f'}}, {9, 3, 2, {'a', 'b', 'c', 'd', 'e', 'f'}},
    };
    for (const Case &c : cases) {
        std::int32_t w, h;
        OrientedSize(3, 2, c.orientation, &w, &h);
        EXPECT_EQ(c.width, w) << c.orientation;
        EXPECT_EQ(c.height, h) << c.orientation;
        Pixels whole(6, 0);
        PlaceOrientedRows(stored.data(), 3, 2, 0, 2, c.orientation, whole.data());
        EXPECT_EQ(c.upright, whole) << c.orientation;
        Pixels rows(6, 0);
        PlaceOrientedRows(stored.data(), 3, 2, 0, 1, c.orientation, rows.data());
        PlaceOrientedRows(stored.data() + 3, 3, 2, 1, 1, c.orientation, rows.data());
        EXPECT_EQ(c.upright, rows) << c.orientation;
    }
}

TEST(GfxPixels, AlphaOverBlack) {
    Pixels p = {0xFF123456, 0x00FFFFFF, 0x80FF8040, 0x01FFFFFF};
    FlattenOverBlack(p.data(), p.size(), true);
    EXPECT_EQ(0x00123456u, p[0]); // opaque: top byte cleared
    EXPECT_EQ(0x00000000u, p[1]); // transparent: black
    EXPECT_EQ(0x00804020u, p[2]); // half: (c * 128 + 127) / 255
    EXPECT_EQ(0x00010101u, p[3]);

    // A bitmap whose alpha nobody filled in stays visible, but only then.
    Pixels unset = {0x00FF0000, 0x0000FF00};
    FlattenOverBlack(unset.data(), unset.size(), true);
    EXPECT_EQ((Pixels{0x00FF0000, 0x0000FF00}), unset);
    Pixels transparent = {0x00FF0000, 0x0000FF00};
    FlattenOverBlack(transparent.data(), transparent.size(), false);
    EXPECT_EQ((Pixels{0, 0}), transparent);
}
