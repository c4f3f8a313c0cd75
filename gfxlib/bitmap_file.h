// Our own reader of Windows bitmap files, for the sound bitmaps the platform
// decoder refuses (bit fields in an unusual order, for one). Pure: bytes in,
// 0xAARRGGBB pixels out; every offset and run is checked against the file.
#pragma once

#include <cstddef>
#include <cstdint>

// Where everything of a sound bitmap file lies; filled by ReadBitmapLayout.
struct BitmapLayout {
    std::uint32_t width, height;
    bool topDown;
    std::uint32_t bitsPerPixel;          // 1, 4, 8, 16, 24 or 32
    std::uint32_t compression;           // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    std::uint32_t masks[4];              // red, green, blue, alpha (0: none) for 16 and 32 bits
    std::uint32_t palette[256];          // 0xFFRRGGBB, for 8 bits and fewer
    std::uint32_t paletteCount;
    std::size_t pixelsAt, pixelBytes;    // the pixel data within the file
};

// True when the bytes hold a bitmap whose header, palette, masks and pixel
// data are all sound and whose size fits the pixel budget.
bool ReadBitmapLayout(const std::uint8_t *data, std::size_t size, BitmapLayout *layout);

// Decodes into width x height top-down pixels (0xAARRGGBB; alpha 255 where the
// file has none). Pixels that an RLE stream skips stay 0. False when the pixel
// data turn out damaged (an RLE stream that ends early); the output is then
// partly written and must not be shown.
bool DecodeBitmapPixels(const std::uint8_t *data, std::size_t size, const BitmapLayout &layout,
                        std::uint32_t *pixels);
