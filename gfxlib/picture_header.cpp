// Header peeks for the image library: the declared size of JPEG, PNG and BMP
// files and the EXIF orientation of JPEG files. Reads bytes only; every offset
// is checked against the bytes given, so a hostile file cannot steer a read.
#include "gfxlib/picture_header.h"

namespace {

constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;

std::uint32_t Be16(const std::uint8_t *p) { return (std::uint32_t{p[0]} << 8) | p[1]; }
std::uint32_t Be32(const std::uint8_t *p) { return (Be16(p) << 16) | Be16(p + 2); }
std::uint32_t Le16(const std::uint8_t *p) { return (std::uint32_t{p[1]} << 8) | p[0]; }
std::uint32_t Le32(const std::uint8_t *p) { return (Le16(p + 2) << 16) | Le16(p); }

bool StartsWith(const std::uint8_t *data, std::size_t size, const char *text, std::size_t n) {
    if (size < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (data[i] != static_cast<std::uint8_t>(text[i])) return false;
    return true;
}

// One marker segment of a JPEG: its marker and the payload behind the length,
// cut to the bytes we have.
struct Segment {
    std::uint8_t marker;
    const std::uint8_t *payload;
    std::size_t length;
};

// Walks the segments before the first scan, calling visit(segment) until it
// returns true. Stops at the scan, the end of the image or anything malformed.
template <typename Visit> void WalkJpegSegments(const std::uint8_t *data, std::size_t size, Visit visit) {
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) return;
    std::size_t pos = 2;
    while (pos < size) {
        if (data[pos] != 0xFF) return;
        while (pos < size && data[pos] == 0xFF) ++pos; // fill bytes
        if (pos >= size) return;
        std::uint8_t marker = data[pos++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue; // no length
        if (marker == 0xD9 || marker == 0xDA) return;
        if (size - pos < 2) return;
        std::size_t length = Be16(data + pos);
        if (length < 2) return;
        std::size_t available = size - pos - 2;
        std::size_t payloadLength = length - 2 < available ? length - 2 : available;
        if (visit(Segment{marker, data + pos + 2, payloadLength})) return;
        if (length > size - pos) return;
        pos += length;
    }
}

bool IsFrameHeader(std::uint8_t marker) {
    // SOF0..SOF15 but DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Orientation from a TIFF structure (the Exif payload behind "Exif\0\0").
int TiffOrientation(const std::uint8_t *tiff, std::size_t size) {
    if (size < 8) return 1;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I') little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M') little = false;
    else return 1;
    auto u16 = [&](std::size_t at) { return little ? Le16(tiff + at) : Be16(tiff + at); };
    auto u32 = [&](std::size_t at) { return little ? Le32(tiff + at) : Be32(tiff + at); };
    if (u16(2) != 42) return 1;
    std::uint32_t ifd = u32(4);
    if (ifd < 8 || ifd > size || size - ifd < 2) return 1;
    std::uint32_t count = u16(ifd);
    std::size_t entries = ifd + 2;
    for (std::uint32_t i = 0; i < count; ++i) {
        if ((size - entries) / 12 <= i) return 1; // entry i would run past the end
        std::size_t entry = entries + std::size_t{i} * 12;
        if (u16(entry) != kTagOrientation) continue;
        std::uint32_t type = u16(entry + 2);
        std::uint32_t valueCount = u32(entry + 4);
        std::uint32_t value;
        if (type == kTypeShort && valueCount >= 1) value = u16(entry + 8);
        else if (type == kTypeLong && valueCount == 1) value = u32(entry + 8);
        else return 1;
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

} // namespace

bool PeekDeclaredSize(const std::uint8_t *data, std::size_t size, std::uint32_t *width,
                      std::uint32_t *height) {
    if (StartsWith(data, size, "\x89PNG\r\n\x1A\n", 8)) {
        // The IHDR chunk must come first: length, type, width, height.
        if (size < 24 || !StartsWith(data + 12, size - 12, "IHDR", 4)) return false;
        *width = Be32(data + 16);
        *height = Be32(data + 20);
        return true;
    }
    if (StartsWith(data, size, "BM", 2)) {
        if (size < 26) return false;
        std::uint32_t headerSize = Le32(data + 14);
        if (headerSize == 12) { // OS/2 core header: 16-bit sizes
            *width = Le16(data + 18);
            *height = Le16(data + 20);
            return true;
        }
        if (headerSize < 40) return false;
        // Signed in the file; a negative height means top-down rows.
        std::int64_t w = static_cast<std::int32_t>(Le32(data + 18));
        std::int64_t h = static_cast<std::int32_t>(Le32(data + 22));
        *width = static_cast<std::uint32_t>(w < 0 ? -w : w);
        *height = static_cast<std::uint32_t>(h < 0 ? -h : h);
        return true;
    }
    bool found = false;
    WalkJpegSegments(data, size, [&](const Segment &s) {
        if (!IsFrameHeader(s.marker)) return false;
        if (s.length >= 5) { // precision, height, width
            *height = Be16(s.payload + 1);
            *width = Be16(s.payload + 3);
            found = true;
        }
        return true;
    });
    return found;
}

int ReadJpegOrientation(const std::uint8_t *data, std::size_t size) {
    int orientation = 1;
    WalkJpegSegments(data, size, [&](const Segment &s) {
        if (s.marker != 0xE1 || !StartsWith(s.payload, s.length, "Exif\0\0", 6)) return false;
        orientation = TiffOrientation(s.payload + 6, s.length - 6);
        return true; // only the first Exif segment counts
    });
    return orientation;
}
