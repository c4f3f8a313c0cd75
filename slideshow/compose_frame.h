// The frame compositor: one frame of the slideshow (the scaled picture revealed
// through a transition mask over the background piece, with frame line and clock
// label) drawn onto a device context. A show that draws frame after frame passes
// its own FrameCanvas, which keeps the frame it drew last, so that the next one
// composes and copies only what changed; without one, every GDI object made for
// a call is released before it returns.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

class FrameCanvas;

// The clock label is placed against reference when given (the monitor a show runs
// on), else against the background's size, else against the screen's.
void ComposeFrame(HDC target, int32_t x, int32_t y, HPALETTE palette, HBITMAP picture, int32_t scale,
                  int32_t level, HBITMAP background, BOOL frame, int32_t style, BOOL clock,
                  const SIZE *reference = nullptr, FrameCanvas *canvas = nullptr);

// What one show drew last (the inputs of its frame, the clock label) and a
// small 32-bit surface to compose on. A frame that differs from the last only
// in level, style or clock text draws just the rectangles that changed; any
// other change draws everything. The owner calls Invalidate whenever the
// target or the background changed behind the compositor's back. One thread;
// one canvas per show.
class FrameCanvas {
public:
    FrameCanvas();
    ~FrameCanvas();
    FrameCanvas(const FrameCanvas &) = delete;
    FrameCanvas &operator=(const FrameCanvas &) = delete;
    // A moved-from canvas draws like none.
    FrameCanvas(FrameCanvas &&) noexcept;
    FrameCanvas &operator=(FrameCanvas &&) noexcept;

    // The next frame draws everything: after a new picture, an erase, a resize,
    // an exposure, or a collage stamp into the background.
    void Invalidate();
    // Releases the surface now rather than with the owner.
    void Release();

    struct State;

private:
    friend void ComposeFrame(HDC, int32_t, int32_t, HPALETTE, HBITMAP, int32_t, int32_t, HBITMAP, BOOL, int32_t,
                             BOOL, const SIZE *, FrameCanvas *);
    std::unique_ptr<State> state_;
};

// A background snapshot of width x height that ComposeFrame reads directly: a
// black 32-bit top-down DIB section (null on failure). The caller deletes it.
HBITMAP CreateSnapshotBitmap(int32_t width, int32_t height);

// Working memory (pixel surfaces and scratch) the last call used, in bytes.
std::size_t LastComposeFrameBytes();
