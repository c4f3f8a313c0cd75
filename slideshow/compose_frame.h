// The frame compositor: one frame of the slideshow (the scaled picture revealed
// through a transition mask over the background piece, with frame line and clock
// label) drawn onto a device context. Keeps no GDI object between calls.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

void ComposeFrame(HDC target, int32_t x, int32_t y, HPALETTE palette, HBITMAP picture, int32_t scale,
                  int32_t level, HBITMAP background, BOOL frame, int32_t style, BOOL clock);

// Working memory (pixel scratch and temporary surfaces) the last call used, in bytes.
std::size_t LastComposeFrameBytes();
