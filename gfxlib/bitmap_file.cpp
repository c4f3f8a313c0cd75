// Windows bitmap files read by our own code: core (OS/2 1.x), OS/2 2.x and
// Windows info headers up to version 5; 1 to 32 bits, RLE4, RLE8 and bit
// fields of any contiguous, non-overlapping shape. A file is refused unless
// its header is sound and its pixel data are all there.
#include "gfxlib/bitmap_file.h"

#include <cstring>

#include "gfxlib/pixels.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kLargestHeaderSize = 124; // BITMAPV5HEADER

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

std::uint32_t Le16(const std::uint8_t *p) { return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8; }
std::uint32_t Le32(const std::uint8_t *p) { return Le16(p) | Le16(p + 2) << 16; }

bool IsWindowsHeader(std::uint32_t headerSize) {
    return headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124;
}

// A mask is one run of set bits (or none), inside the pixel's bits.
bool IsSoundMask(std::uint32_t mask, std::uint32_t bitsPerPixel) {
    if (bitsPerPixel == 16 && mask > 0xFFFFu) return false;
    if (mask == 0) return true;
    const std::uint32_t low = mask & (~mask + 1);
    const std::uint64_t run = std::uint64_t{mask} + low; // a single run carries into one bit
    return (run & (run - 1)) == 0;
}

bool AreSoundMasks(const std::uint32_t (&masks)[4], std::uint32_t bitsPerPixel) {
    if ((masks[0] | masks[1] | masks[2]) == 0) return false;
    for (int i = 0; i < 4; ++i) {
        if (!IsSoundMask(masks[i], bitsPerPixel)) return false;
        for (int j = i + 1; j < 4; ++j)
            if (masks[i] & masks[j]) return false;
    }
    return true;
}

// The fields of the info header that a header of its size carries; 0 beyond it.
struct InfoHeader {
    const std::uint8_t *at;
    std::uint32_t size;
    std::uint32_t Field32(std::uint32_t offset) const { return offset + 4 <= size ? Le32(at + offset) : 0; }
    std::uint32_t Field16(std::uint32_t offset) const { return offset + 2 <= size ? Le16(at + offset) : 0; }
};

bool ReadMasks(const std::uint8_t *data, std::size_t size, const InfoHeader &info, BitmapLayout *layout) {
    std::uint32_t *masks = layout->masks;
    if (layout->compression == kRgb) {
        const bool sixteen = layout->bitsPerPixel == 16;
        masks[0] = sixteen ? 0x7C00u : 0xFF0000u;
        masks[1] = sixteen ? 0x03E0u : 0x00FF00u;
        masks[2] = sixteen ? 0x001Fu : 0x0000FFu;
        masks[3] = 0;
        return true;
    }
    if (info.size == 40) { // the three masks follow the header
        const std::size_t at = kFileHeaderSize + 40;
        if (size < at + 12) return false;
        for (int i = 0; i < 3; ++i) masks[i] = Le32(data + at + 4 * i);
        masks[3] = 0;
    } else {
        for (int i = 0; i < 4; ++i) masks[i] = info.Field32(40 + 4 * static_cast<std::uint32_t>(i));
    }
    return AreSoundMasks(layout->masks, layout->bitsPerPixel);
}

bool ReadPalette(const std::uint8_t *data, std::size_t paletteAt, std::size_t pixelsAt, std::uint32_t entrySize,
                 std::uint32_t declared, BitmapLayout *layout) {
    const std::uint32_t most = 1u << layout->bitsPerPixel;
    std::uint32_t count = declared == 0 || declared > most ? most : declared;
    // Some writers declare more colours than they store: the rest show black.
    const std::size_t room = (pixelsAt - paletteAt) / entrySize;
    if (room < count) count = static_cast<std::uint32_t>(room);
    if (count == 0) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t *entry = data + paletteAt + std::size_t{i} * entrySize;
        layout->palette[i] = 0xFF000000u | std::uint32_t{entry[2]} << 16 | std::uint32_t{entry[1]} << 8 | entry[0];
    }
    layout->paletteCount = count;
    return true;
}

bool IsSoundCompression(const BitmapLayout &layout, bool os2) {
    switch (layout.compression) {
    case kRgb: return true;
    case kRle8: return layout.bitsPerPixel == 8 && !layout.topDown;
    case kRle4: return layout.bitsPerPixel == 4 && !layout.topDown;
    case kBitFields: return !os2 && (layout.bitsPerPixel == 16 || layout.bitsPerPixel == 32);
    default: return false; // OS/2 Huffman and RLE24, embedded JPEG and PNG
    }
}

std::uint64_t RowStride(const BitmapLayout &layout) {
    return (std::uint64_t{layout.width} * layout.bitsPerPixel + 31) / 32 * 4;
}

// How a mask's field widens to 8 bits: scaled, so that a full field is 255.
// Fields of up to 8 bits (nearly all) go through a table.
struct Channel {
    std::uint32_t mask = 0, shift = 0, top = 0;
    std::uint8_t table[256];

    explicit Channel(std::uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (!(mask >> shift & 1u)) ++shift;
        top = mask >> shift;
        for (std::uint32_t i = 0; i < 256 && i <= top; ++i) table[i] = static_cast<std::uint8_t>(Scale(i));
    }
    std::uint32_t Scale(std::uint64_t field) const { return static_cast<std::uint32_t>((field * 255 + top / 2) / top); }
    std::uint32_t Value(std::uint32_t pixel) const {
        if (mask == 0) return 0;
        const std::uint32_t field = (pixel & mask) >> shift;
        return top < 256 ? table[field] : Scale(field);
    }
};

void DecodeRows(const std::uint8_t *data, const BitmapLayout &layout, std::uint32_t *pixels) {
    const std::size_t stride = static_cast<std::size_t>(RowStride(layout));
    const std::uint32_t bpp = layout.bitsPerPixel;
    const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]), alpha(layout.masks[3]);
    for (std::uint32_t row = 0; row < layout.height; ++row) {
        const std::uint8_t *source = data + layout.pixelsAt + row * stride;
        const std::uint32_t y = layout.topDown ? row : layout.height - 1 - row;
        std::uint32_t *out = pixels + std::size_t{y} * layout.width;
        for (std::uint32_t x = 0; x < layout.width; ++x) {
            if (bpp <= 8) {
                const std::size_t bit = std::size_t{x} * bpp;
                const std::uint32_t index = source[bit / 8] >> (8 - bpp - bit % 8) & ((1u << bpp) - 1);
                out[x] = index < layout.paletteCount ? layout.palette[index] : 0xFF000000u;
            } else if (bpp == 24) {
                const std::uint8_t *p = source + std::size_t{x} * 3;
                out[x] = 0xFF000000u | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
            } else {
                const std::uint32_t v = bpp == 16 ? Le16(source + std::size_t{x} * 2) : Le32(source + std::size_t{x} * 4);
                const std::uint32_t a = layout.masks[3] ? alpha.Value(v) : 255u;
                out[x] = a << 24 | red.Value(v) << 16 | green.Value(v) << 8 | blue.Value(v);
            }
        }
    }
}

// RLE8 and RLE4 streams, bottom-up. Runs past a line's end and deltas past
// the picture are clipped; the stream must end with its end marker or after
// its last line.
bool DecodeRle(const std::uint8_t *data, const BitmapLayout &layout, std::uint32_t *pixels) {
    const bool four = layout.compression == kRle4;
    const std::uint8_t *p = data + layout.pixelsAt;
    const std::uint8_t *const end = p + layout.pixelBytes;
    std::uint32_t x = 0, line = 0;
    auto put = [&](std::uint32_t index) {
        if (x < layout.width && line < layout.height) {
            const std::uint32_t y = layout.height - 1 - line;
            pixels[std::size_t{y} * layout.width + x] =
                index < layout.paletteCount ? layout.palette[index] : 0xFF000000u;
        }
        if (x < layout.width) ++x;
    };
    while (end - p >= 2) {
        const std::uint32_t count = p[0], value = p[1];
        p += 2;
        if (count > 0) { // encoded run: one index, or two alternating nibbles
            for (std::uint32_t i = 0; i < count; ++i) put(four ? (i % 2 ? value & 15u : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            if (line < layout.height) ++line;
        } else if (value == 1) { // end of bitmap
            return true;
        } else if (value == 2) { // delta
            if (end - p < 2) return false;
            x = x + p[0] < layout.width ? x + p[0] : layout.width;
            line = line + p[1] < layout.height ? line + p[1] : layout.height;
            p += 2;
        } else { // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            if (static_cast<std::size_t>(end - p) < bytes) return false;
            for (std::uint32_t i = 0; i < value; ++i) put(four ? (p[i / 2] >> (i % 2 ? 0 : 4)) & 15u : p[i]);
            const std::size_t padded = bytes + (bytes & 1);
            p += static_cast<std::size_t>(end - p) < padded ? bytes : padded;
        }
    }
    return line >= layout.height; // a stream cut before its last line is damaged
}

} // namespace

bool ReadBitmapLayout(const std::uint8_t *data, std::size_t size, BitmapLayout *layout) {
    if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return false;
    std::memset(layout, 0, sizeof(*layout));
    const std::uint32_t headerSize = Le32(data + kFileHeaderSize);
    const bool core = headerSize == kCoreHeaderSize;
    const bool os2 = !core && !IsWindowsHeader(headerSize); // OS/2 2.x: 16 to 64 bytes
    if (!core && (headerSize < 16 || headerSize > kLargestHeaderSize || (os2 && headerSize > 64))) return false;
    if (size - kFileHeaderSize < headerSize) return false;
    const InfoHeader info{data + kFileHeaderSize, headerSize};

    std::uint32_t planes, declaredColours = 0;
    if (core) {
        layout->width = info.Field16(4);
        layout->height = info.Field16(6);
        planes = info.Field16(8);
        layout->bitsPerPixel = info.Field16(10);
    } else {
        const std::int32_t width = static_cast<std::int32_t>(info.Field32(4));
        const std::int32_t height = static_cast<std::int32_t>(info.Field32(8));
        if (width <= 0 || height == 0 || height == INT32_MIN) return false;
        layout->width = static_cast<std::uint32_t>(width);
        layout->topDown = height < 0;
        layout->height = static_cast<std::uint32_t>(height < 0 ? -height : height);
        planes = info.Field16(12);
        layout->bitsPerPixel = info.Field16(14);
        layout->compression = info.Field32(16);
        declaredColours = info.Field32(32);
    }
    const std::uint32_t bpp = layout->bitsPerPixel;
    if (planes != 1 || !(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) return false;
    if (!FitsPixelBudget(layout->width, layout->height) || !IsSoundCompression(*layout, os2)) return false;

    // Masks or palette follow the header; the pixels start where the file header says.
    std::size_t tableAt = kFileHeaderSize + headerSize;
    if (layout->compression == kBitFields && headerSize == 40) tableAt += 12;
    if (tableAt > size) return false;
    const std::size_t pixelsAt = Le32(data + 10);
    if (pixelsAt < tableAt || pixelsAt > size) return false;
    layout->pixelsAt = pixelsAt;
    layout->pixelBytes = size - pixelsAt;
    if (bpp <= 8) {
        if (!ReadPalette(data, tableAt, pixelsAt, core ? 3 : 4, declaredColours, layout)) return false;
    } else if (bpp != 24) {
        if (!ReadMasks(data, size, info, layout)) return false;
    }
    if (layout->compression == kRle8 || layout->compression == kRle4) return true;
    // Every row must be there; the last may lack its padding.
    const std::uint64_t needed = RowStride(*layout) * (layout->height - 1) +
                                 (std::uint64_t{layout->width} * bpp + 7) / 8;
    return needed <= layout->pixelBytes;
}

bool DecodeBitmapPixels(const std::uint8_t *data, std::size_t size, const BitmapLayout &layout,
                        std::uint32_t *pixels) {
    if (layout.pixelsAt > size || size - layout.pixelsAt < layout.pixelBytes) return false;
    if (layout.compression == kRle8 || layout.compression == kRle4) {
        std::memset(pixels, 0, std::size_t{layout.width} * layout.height * 4);
        return DecodeRle(data, layout, pixels);
    }
    DecodeRows(data, layout, pixels);
    return true;
}
