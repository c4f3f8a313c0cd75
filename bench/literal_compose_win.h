// The frame compositor as originally written, on GDI surfaces: picture-sized
// compatible bitmaps, a stretch, a 1-bit mask drawn with GDI primitives and the
// four raster operations. Kept as the reference that ComposeFrame is timed and
// checked against; the saver never calls it.
#pragma once

#include <windows.h>

#include <cstdint>

void LiteralComposeFrame(HDC target, int32_t x, int32_t y, HPALETTE palette, HBITMAP picture, int32_t scale,
                         int32_t level, HBITMAP background, BOOL frame, int32_t style, BOOL clock);
