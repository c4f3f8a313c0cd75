// Pixel rules of the image library (budget, GIF canvas, orientation, alpha).
// Pure and allocation-free: the Win32 side owns every buffer it passes in.
#include "gfxlib/pixels.h"

bool FitsPixelBudget(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0) return false;
    if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
    return std::uint64_t{width} * height <= kMaxPicturePixels;
}

GifPlacement PlaceGifFrame(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t left,
                     std::uint32_t top, std::uint32_t frameWidth, std::uint32_t frameHeight) {
    bool fits = std::uint64_t{left} + frameWidth <= screenWidth &&
                std::uint64_t{top} + frameHeight <= screenHeight;
    if (fits) return GifPlacement{screenWidth, screenHeight, left, top};
    return GifPlacement{frameWidth, frameHeight, 0, 0};
}

void OrientedSize(std::int32_t width, std::int32_t height, int orientation, std::int32_t *orientedWidth,
                  std::int32_t *orientedHeight) {
    bool swap = orientation >= 5 && orientation <= 8;
    *orientedWidth = swap ? height : width;
    *orientedHeight = swap ? width : height;
}

void PlaceOrientedRows(const std::uint32_t *rows, std::int32_t width, std::int32_t height,
                       std::int32_t firstRow, std::int32_t rowCount, int orientation,
                       std::uint32_t *upright) {
    std::int32_t uprightWidth, uprightHeight;
    OrientedSize(width, height, orientation, &uprightWidth, &uprightHeight);
    for (std::int32_t r = 0; r < rowCount; ++r) {
        const std::int32_t y = firstRow + r;
        const std::uint32_t *source = rows + static_cast<std::size_t>(r) * width;
        for (std::int32_t x = 0; x < width; ++x) {
            // Where the stored pixel (x, y) shows: the tag names the side on
            // which the stored first row and first column are seen.
            std::int32_t ux, uy;
            switch (orientation) {
            case 2: ux = width - 1 - x; uy = y; break;
            case 3: ux = width - 1 - x; uy = height - 1 - y; break;
            case 4: ux = x; uy = height - 1 - y; break;
            case 5: ux = y; uy = x; break;
            case 6: ux = height - 1 - y; uy = x; break;
            case 7: ux = height - 1 - y; uy = width - 1 - x; break;
            case 8: ux = y; uy = width - 1 - x; break;
            default: ux = x; uy = y; break;
            }
            upright[static_cast<std::size_t>(uy) * uprightWidth + ux] = source[x];
        }
    }
}

void FlattenOverBlack(std::uint32_t *pixels, std::size_t count, bool allZeroMeansOpaque) {
    bool opaque = false;
    if (allZeroMeansOpaque) {
        opaque = true;
        for (std::size_t i = 0; i < count && opaque; ++i) opaque = (pixels[i] >> 24) == 0;
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = pixels[i];
        std::uint32_t a = p >> 24;
        if (opaque || a == 255) {
            pixels[i] = p & 0x00FFFFFFu;
            continue;
        }
        std::uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            std::uint32_t c = (p >> shift) & 0xFFu;
            out |= ((c * a + 127) / 255) << shift;
        }
        pixels[i] = out;
    }
}
