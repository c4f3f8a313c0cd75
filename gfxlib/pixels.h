// Pixel rules of the image library: the pixel budget, where a GIF's first
// frame sits on its canvas, EXIF orientation applied row by row, and alpha
// flattened over black. Pure: plain integers and 0xAARRGGBB pixel buffers.
#pragma once

#include <cstddef>
#include <cstdint>

// Largest picture we decode: 64 Mi pixels (256 MiB at 32 bits), at most
// 65535 on a side. Larger ones would not fit beside the decoder's own copy in
// the 2 GiB of a 32-bit process.
constexpr std::uint32_t kMaxPicturePixels = 1u << 26;
constexpr std::uint32_t kMaxPictureSide = 65535;

bool FitsPixelBudget(std::uint32_t width, std::uint32_t height);

// Where a GIF's first frame lands: on the logical screen at its offset when it
// fits there, else on a canvas of its own size.
struct GifPlacement {
    std::uint32_t width, height; // of the whole picture
    std::uint32_t left, top;     // of the frame on it
};
GifPlacement PlaceGifFrame(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t left,
                     std::uint32_t top, std::uint32_t frameWidth, std::uint32_t frameHeight);

// Size of a width x height picture once shown upright (EXIF orientation 1-8;
// 5 to 8 swap the sides).
void OrientedSize(std::int32_t width, std::int32_t height, int orientation, std::int32_t *orientedWidth,
                  std::int32_t *orientedHeight);

// Copies rows [firstRow, firstRow + rowCount) of a width x height picture, as
// stored in the file, to where orientation puts them in the upright picture
// (top-down, OrientedSize wide). rows holds just those rows, width apart.
void PlaceOrientedRows(const std::uint32_t *rows, std::int32_t width, std::int32_t height,
                       std::int32_t firstRow, std::int32_t rowCount, int orientation,
                       std::uint32_t *upright);

// Straight-alpha 0xAARRGGBB pixels to what they look like over black, with the
// top byte cleared (as GDI leaves it). When allZeroMeansOpaque, a picture whose
// alpha is zero everywhere counts as opaque: 32-bit bitmaps often leave it unset.
void FlattenOverBlack(std::uint32_t *pixels, std::size_t count, bool allZeroMeansOpaque);
