// The frame compositor: one frame of the slideshow (the scaled picture revealed
// through a transition mask over the background piece, with frame line and clock
// label) drawn onto a device context. Keeps no GDI object between calls.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The clock label is placed against reference when given (the monitor a show runs
// on), else against the background's size, else against the screen's.
void ComposeFrame(HDC target, int32_t x, int32_t y, HPALETTE palette, HBITMAP picture, int32_t scale,
                  int32_t level, HBITMAP background, BOOL frame, int32_t style, BOOL clock,
                  const SIZE *reference = nullptr);

// Working memory (pixel scratch and temporary surfaces) the last call used, in bytes.
std::size_t LastComposeFrameBytes();
