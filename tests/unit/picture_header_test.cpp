// Header peeks of the image library: declared sizes and the EXIF orientation,
// including damaged and cut-off headers (run natively under ASan, each cut
// sits at the very end of its own buffer so any over-read is caught).
#include "gfxlib/picture_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes &out, std::initializer_list<int> bytes) {
    for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
}

void AppendBe16(Bytes &out, unsigned v) { Append(out, {int(v >> 8 & 0xFF), int(v & 0xFF)}); }

// A TIFF block with one IFD entry (tag, type, count, value) in the given byte order.
Bytes Tiff(bool bigEndian, unsigned tag, unsigned type, unsigned count, unsigned value, unsigned ifdOffset = 8) {
    Bytes t;
    auto u16 = [&](unsigned v) {
        if (bigEndian) Append(t, {int(v >> 8 & 0xFF), int(v & 0xFF)});
        else Append(t, {int(v & 0xFF), int(v >> 8 & 0xFF)});
    };
    auto u32 = [&](unsigned v) {
        if (bigEndian) { u16(v >> 16); u16(v & 0xFFFF); }
        else { u16(v & 0xFFFF); u16(v >> 16); }
    };
    Append(t, bigEndian ? std::initializer_list<int>{'M', 'M'} : std::initializer_list<int>{'I', 'I'});
    u16(42);
    u32(ifdOffset);
    u16(1);
    u16(tag);
    u16(type);
    u32(count);
    if (type == 3) { u16(value); u16(0); }
    else u32(value);
    u32(0);
    return t;
}

Bytes Segment(int marker, const Bytes &payload) {
    Bytes s;
    Append(s, {0xFF, marker});
    AppendBe16(s, static_cast<unsigned>(payload.size() + 2));
    s.insert(s.end(), payload.begin(), payload.end());
    return s;
}

Bytes ExifPayload(const Bytes &tiff) {
    Bytes p;
    Append(p, {'E', 'x', 'i', 'f', 0, 0});
    p.insert(p.end(), tiff.begin(), tiff.end());
    return p;
}

Bytes FrameHeader(int marker, unsigned width, unsigned height) {
    Bytes p;
    Append(p, {8});
    AppendBe16(p, height);
    AppendBe16(p, width);
    Append(p, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    return Segment(marker, p);
}

// SOI, the segments, a scan header and a few bytes of scan.
Bytes Jpeg(std::initializer_list<Bytes> segments) {
    Bytes j;
    Append(j, {0xFF, 0xD8});
    for (const Bytes &s : segments) j.insert(j.end(), s.begin(), s.end());
    Bytes scan = Segment(0xDA, Bytes{1, 1, 0, 0, 63, 0});
    j.insert(j.end(), scan.begin(), scan.end());
    Append(j, {0x12, 0x34, 0xFF, 0xD9});
    return j;
}

int Orientation(const Bytes &b) { return ReadJpegOrientation(b.data(), b.size()); }

bool Peek(const Bytes &b, std::uint32_t *w, std::uint32_t *h) { return PeekDeclaredSize(b.data(), b.size(), w, h); }

} // namespace

TEST(PictureHeader, OrientationInEitherByteOrderAfterOtherSegments) {
    Bytes jfif = Segment(0xE0, Bytes{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    Bytes xmp = Segment(0xE1, Bytes{'h', 't', 't', 'p', ':', '/', '/', 0});
    EXPECT_EQ(6, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 3, 1, 6)))})));
    EXPECT_EQ(8, Orientation(Jpeg({jfif, xmp, Segment(0xE1, ExifPayload(Tiff(true, 0x0112, 3, 1, 8)))})));
    EXPECT_EQ(3, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(true, 0x0112, 4, 1, 3)))})));
    // Only the first Exif segment counts.
    EXPECT_EQ(2, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 3, 1, 2))),
                                   Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 3, 1, 6)))})));
}

TEST(PictureHeader, OrientationIsUprightWhenAbsentOrDamaged) {
    EXPECT_EQ(1, Orientation(Jpeg({})));
    EXPECT_EQ(1, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(false, 0x0110, 3, 1, 6)))}))); // other tag
    EXPECT_EQ(1, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 3, 1, 0)))})));
    EXPECT_EQ(1, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 3, 1, 9)))})));
    EXPECT_EQ(1, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 2, 1, 6)))}))); // ASCII type
    EXPECT_EQ(1, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 3, 1, 6, 0xFFFFFFF0)))})));
    EXPECT_EQ(1, Orientation(Jpeg({Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 3, 1, 6, 4)))}))); // inside header
    // An entry count far beyond the segment.
    Bytes tiff = Tiff(false, 0x0112, 3, 1, 6);
    tiff[8] = 0xFF;
    tiff[9] = 0xFF;
    tiff[10] = 0x00; // first entry's tag no longer matches, so the walk must stop at the end
    EXPECT_EQ(1, Orientation(Jpeg({Segment(0xE1, ExifPayload(tiff))})));
    // Orientation read only from JPEG files.
    Bytes notJpeg = Segment(0xE1, ExifPayload(Tiff(false, 0x0112, 3, 1, 6)));
    EXPECT_EQ(1, Orientation(notJpeg));
    EXPECT_EQ(1, Orientation(Bytes{}));
}

TEST(PictureHeader, EveryCutOfAHeaderIsReadSafely) {
    Bytes full = Jpeg({Segment(0xE0, Bytes{'J', 'F', 'I', 'F', 0}),
                       Segment(0xE1, ExifPayload(Tiff(true, 0x0112, 3, 1, 6))), FrameHeader(0xC0, 640, 480)});
    for (std::size_t n = 0; n <= full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        int orientation = Orientation(cut);
        EXPECT_TRUE(orientation == 1 || orientation == 6) << n;
        std::uint32_t w = 0, h = 0;
        if (Peek(cut, &w, &h)) {
            EXPECT_EQ(640u, w);
            EXPECT_EQ(480u, h);
        }
    }
    // A segment length that runs past the end of the bytes.
    Bytes liar = full;
    liar[4] = 0xFF; // the JFIF segment now claims about 64 KiB
    EXPECT_EQ(1, Orientation(liar));
}

TEST(PictureHeader, DeclaredSizeOfJpegPngAndBitmap) {
    std::uint32_t w = 0, h = 0;
    // The Huffman table (C4) shares the frame headers' range but is no frame header.
    Bytes dht = Segment(0xC4, Bytes{0, 1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(Peek(Jpeg({dht, FrameHeader(0xC2, 65000, 12)}), &w, &h));
    EXPECT_EQ(65000u, w);
    EXPECT_EQ(12u, h);
    EXPECT_FALSE(Peek(Jpeg({dht}), &w, &h));

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                 0, 1, 0x86, 0xA0, 0, 0, 0, 7, 8, 2, 0, 0, 0};
    ASSERT_TRUE(Peek(png, &w, &h));
    EXPECT_EQ(100000u, w);
    EXPECT_EQ(7u, h);
    png[12] = 'X'; // IHDR must come first
    EXPECT_FALSE(Peek(png, &w, &h));

    Bytes bmp(54, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[14] = 40;
    bmp[18] = 0xA0; bmp[19] = 0x86; bmp[20] = 0x01;              // width 100000
    bmp[22] = 0x60; bmp[23] = 0x79; bmp[24] = 0xFE; bmp[25] = 0xFF; // height -100000: top-down
    ASSERT_TRUE(Peek(bmp, &w, &h));
    EXPECT_EQ(100000u, w);
    EXPECT_EQ(100000u, h);
    bmp[22] = 0; bmp[23] = 0; bmp[24] = 0; bmp[25] = 0x80; // the most negative height
    ASSERT_TRUE(Peek(bmp, &w, &h));
    EXPECT_EQ(0x80000000u, h);
    bmp[14] = 12; // core header: 16-bit sizes
    bmp[18] = 0x34; bmp[19] = 0x12; bmp[20] = 0x78; bmp[21] = 0x56;
    ASSERT_TRUE(Peek(bmp, &w, &h));
    EXPECT_EQ(0x1234u, w);
    EXPECT_EQ(0x5678u, h);

    Bytes text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    EXPECT_FALSE(Peek(text, &w, &h));
    EXPECT_FALSE(Peek(Bytes{}, &w, &h));
}
