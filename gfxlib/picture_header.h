// What a picture file's first bytes say before any decoder runs: the size its
// header declares (to refuse oversized pictures before a codec allocates for
// them) and the EXIF orientation of a JPEG. Pure: never trusts an offset.
#pragma once

#include <cstddef>
#include <cstdint>

// The width and height declared by a JPEG (first frame header), PNG or
// Windows bitmap header within the bytes given; false when none is found.
bool PeekDeclaredSize(const std::uint8_t *data, std::size_t size, std::uint32_t *width,
                      std::uint32_t *height);

// The Orientation tag (1 to 8) of the first APP1 Exif segment of a JPEG;
// 1 (upright) for anything else, including a damaged or missing tag.
int ReadJpegOrientation(const std::uint8_t *data, std::size_t size);
