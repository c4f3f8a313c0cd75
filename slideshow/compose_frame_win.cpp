// ComposeFrame on GDI: reads the background piece and the picture for the part of
// the target that can be seen (its clip box), composes it in software
// (slideshow/compose) and writes it in one copy. Every GDI object made here is
// released before the call returns; only plain pixel scratch survives, so a frame
// does not fault in fresh pages each time (one saver per process, one thread).
#include "slideshow/compose_frame.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "slideshow/compose.h"
#include "slideshow/masks.h"

namespace {

// Snapshot pixels read per band when only part of its width is visible.
constexpr std::int32_t kBandPixels = 1 << 17;

struct PictureInfo {
    std::int32_t width = 0, height = 0;
    const std::uint32_t *bits = nullptr; // a plain 32-bit DIB section's memory
    const std::uint32_t *top = nullptr;  // its top row; null: read through GDI
    std::ptrdiff_t stride = 0;
};

BITMAPINFO Info32(std::int32_t width, std::int32_t height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // negative: top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

std::uint32_t *Grow(std::vector<std::uint32_t> &buffer, std::size_t count) {
    if (buffer.size() < count) buffer.resize(count);
    return buffer.data();
}

bool PlainRgb32(const DIBSECTION &dib) {
    if (dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits) return false;
    if (dib.dsBmih.biCompression == BI_RGB) return true;
    return dib.dsBmih.biCompression == BI_BITFIELDS && dib.dsBitfields[0] == 0xFF0000 &&
           dib.dsBitfields[1] == 0xFF00 && dib.dsBitfields[2] == 0xFF;
}

// Pixel scratch kept between frames.
std::vector<std::uint32_t> canvasMemory, bandMemory, pictureMemory, labelMemory, probeMemory;

bool SameRow(const std::uint32_t *a, const std::uint32_t *b, std::int32_t width) {
    for (std::int32_t i = 0; i < width; ++i)
        if ((a[i] ^ b[i]) & 0xFFFFFF) return false;
    return true;
}

// GetObject reports every DIB section's height as positive (Wine does), so the
// order of its rows in memory is found from the content: one row read through
// GDI, which is unambiguous, against the two rows it can be. A picture whose
// rows mirror each other reads the same either way; one whose first rows all
// mirror their partners is left to GDI rather than searched to its middle.
enum class RowOrder { kTopDown, kBottomUp, kUnknown };
RowOrder FindRowOrder(HDC dc, HBITMAP picture, const std::uint32_t *bits, std::int32_t width, std::int32_t height,
                      std::ptrdiff_t stride) {
    constexpr std::int32_t kRowsSearched = 16;
    std::int32_t k = 0;
    while (k < height / 2 && k < kRowsSearched && SameRow(bits + k * stride, bits + (height - 1 - k) * stride, width))
        ++k;
    if (k == height / 2) return RowOrder::kTopDown;
    if (k == kRowsSearched) return RowOrder::kUnknown;
    BITMAPINFO info = Info32(width, height);
    std::uint32_t *row = Grow(probeMemory, static_cast<std::size_t>(width));
    if (GetDIBits(dc, picture, static_cast<UINT>(height - 1 - k), 1, row, &info, DIB_RGB_COLORS) != 1)
        return RowOrder::kUnknown;
    if (SameRow(row, bits + k * stride, width)) return RowOrder::kTopDown;
    if (SameRow(row, bits + (height - 1 - k) * stride, width)) return RowOrder::kBottomUp;
    return RowOrder::kUnknown;
}

bool ReadPicture(HBITMAP picture, PictureInfo &info) {
    DIBSECTION dib = {};
    const int size = GetObjectA(picture, sizeof(dib), &dib);
    if (size != sizeof(DIBSECTION) && size != sizeof(BITMAP)) return false;
    info.width = dib.dsBm.bmWidth;
    info.height = std::abs(dib.dsBm.bmHeight);
    if (size == sizeof(DIBSECTION) && PlainRgb32(dib)) {
        info.bits = static_cast<const std::uint32_t *>(dib.dsBm.bmBits);
        info.stride = dib.dsBm.bmWidthBytes / 4;
    }
    return info.width > 0 && info.height > 0;
}

// Direct access to a plain 32-bit DIB section's rows, when their order is known.
void FindTopRow(HDC dc, HBITMAP picture, PictureInfo &info) {
    if (!info.bits) return;
    switch (FindRowOrder(dc, picture, info.bits, info.width, info.height, info.stride)) {
    case RowOrder::kTopDown: info.top = info.bits; break;
    case RowOrder::kBottomUp:
        info.top = info.bits + (info.height - 1) * info.stride;
        info.stride = -info.stride;
        break;
    case RowOrder::kUnknown: break; // read through GDI instead
    }
}

FrameComposer composer;
std::size_t lastFrameBytes = 0;

// Copies a top-down DIB's rows into the bottom-up canvas memory at rows top.. of the area.
void CopyIntoCanvas(const std::uint32_t *source, std::int32_t sourceWidth, const PixelBox &part,
                    const PixelBox &area, std::uint32_t *memory) {
    for (std::int32_t ty = part.top; ty < part.bottom; ++ty) {
        std::uint32_t *out = memory + static_cast<std::ptrdiff_t>(area.bottom - 1 - ty) * area.Width() +
                             (part.left - area.left);
        std::memcpy(out, source + static_cast<std::ptrdiff_t>(ty - part.top) * sourceWidth,
                    static_cast<std::size_t>(part.Width()) * sizeof(std::uint32_t));
    }
}

// The background when it is the very bitmap the target draws into (the collage
// stamp): a bitmap selected into a context is read through that context.
bool ReadFromTarget(HDC target, const PixelBox &part, const PixelBox &area, std::uint32_t *memory,
                    std::size_t &bytes) {
    HDC dc = CreateCompatibleDC(target);
    if (!dc) return false;
    BITMAPINFO info = Info32(part.Width(), -part.Height());
    void *bits = nullptr;
    HBITMAP copy = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool done = false;
    if (copy) {
        HGDIOBJ old = SelectObject(dc, copy);
        done = BitBlt(dc, 0, 0, part.Width(), part.Height(), target, part.left, part.top, SRCCOPY) != FALSE;
        GdiFlush();
        if (done) CopyIntoCanvas(static_cast<const std::uint32_t *>(bits), part.Width(), part, area, memory);
        SelectObject(dc, old);
        DeleteObject(copy);
        bytes = static_cast<std::size_t>(part.Width()) * static_cast<std::size_t>(part.Height()) * 4;
    }
    DeleteDC(dc);
    return done;
}

// Fills the canvas with the background piece; outside the snapshot it is black.
std::size_t ReadBackground(HDC target, HBITMAP background, std::int32_t width, std::int32_t height,
                           const PixelBox &area, std::uint32_t *memory) {
    const std::size_t count = static_cast<std::size_t>(area.Width()) * static_cast<std::size_t>(area.Height());
    const PixelBox part = VisibleArea(area, 0, 0, width, height);
    if (part.Empty() || part.left != area.left || part.right != area.right || part.top != area.top ||
        part.bottom != area.bottom)
        std::fill(memory, memory + count, 0u);
    if (part.Empty()) return 0;

    std::size_t bytes = 0;
    if (GetCurrentObject(target, OBJ_BITMAP) == background) {
        if (!ReadFromTarget(target, part, area, memory, bytes)) std::fill(memory, memory + count, 0u);
        return bytes;
    }
    // Bottom-up on both sides: scan lines then count from the bottom without ambiguity.
    BITMAPINFO info = Info32(width, height);
    const UINT start = static_cast<UINT>(height - part.bottom), lines = static_cast<UINT>(part.Height());
    std::uint32_t *bottomRow = memory + static_cast<std::ptrdiff_t>(area.bottom - part.bottom) * area.Width();
    if (part.left == 0 && part.right == width && area.Width() == width) {
        if (GetDIBits(target, background, start, lines, bottomRow, &info, DIB_RGB_COLORS) != static_cast<int>(lines))
            std::fill(memory, memory + count, 0u);
        return 0;
    }
    // Otherwise through a band of whole snapshot rows, a few at a time, so the
    // working memory stays near the visible area.
    const UINT chunk = static_cast<UINT>(std::max<std::int32_t>(1, kBandPixels / width));
    std::uint32_t *band = Grow(bandMemory, static_cast<std::size_t>(width) * std::min(chunk, lines));
    bytes = static_cast<std::size_t>(width) * std::min(chunk, lines) * 4;
    for (std::int32_t top = part.top; top < part.bottom; top += static_cast<std::int32_t>(chunk)) {
        const std::int32_t bottom = std::min(part.bottom, top + static_cast<std::int32_t>(chunk));
        const UINT rows = static_cast<UINT>(bottom - top);
        if (GetDIBits(target, background, static_cast<UINT>(height - bottom), rows, band, &info, DIB_RGB_COLORS) !=
            static_cast<int>(rows)) {
            std::fill(memory, memory + count, 0u);
            return bytes;
        }
        // Band row m is snapshot row bottom - 1 - m, the canvas memory's row area.bottom - bottom + m.
        for (UINT m = 0; m < rows; ++m)
            std::memcpy(memory + static_cast<std::ptrdiff_t>(area.bottom - bottom + static_cast<std::int32_t>(m)) *
                                     area.Width() + (part.left - area.left),
                        band + static_cast<std::ptrdiff_t>(m) * width + part.left,
                        static_cast<std::size_t>(part.Width()) * sizeof(std::uint32_t));
    }
    return bytes;
}

// A picture that is not a plain 32-bit DIB section (a device-dependent bitmap, a
// palette-based DIB): the source pixels the visible area reads, converted by GDI.
bool ConvertPicture(HDC target, HBITMAP picture, HPALETTE palette, const PixelBox &source, PictureView &view,
                    std::size_t &bytes) {
    HDC pictureDc = CreateCompatibleDC(target);
    HDC copyDc = CreateCompatibleDC(target);
    BITMAPINFO info = Info32(source.Width(), -source.Height());
    void *bits = nullptr;
    HBITMAP copy = copyDc ? CreateDIBSection(copyDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    bool done = false;
    if (pictureDc && copy) {
        HPALETTE oldPalette = palette ? SelectPalette(pictureDc, palette, FALSE) : nullptr;
        HGDIOBJ oldPicture = SelectObject(pictureDc, picture);
        HGDIOBJ oldCopy = SelectObject(copyDc, copy);
        if (oldPicture) {
            done = BitBlt(copyDc, 0, 0, source.Width(), source.Height(), pictureDc, source.left, source.top,
                          SRCCOPY) != FALSE;
            GdiFlush();
        }
        if (done) {
            const std::size_t count = static_cast<std::size_t>(source.Width()) * static_cast<std::size_t>(source.Height());
            std::uint32_t *memory = Grow(pictureMemory, count);
            std::memcpy(memory, bits, count * sizeof(std::uint32_t));
            view.origin = memory;
            view.stride = source.Width();
            view.originX = source.left;
            view.originY = source.top;
            bytes = count * 4 * 2;
        }
        SelectObject(copyDc, oldCopy);
        if (oldPicture) SelectObject(pictureDc, oldPicture);
        if (oldPalette) SelectPalette(pictureDc, oldPalette, FALSE);
    }
    if (copy) DeleteObject(copy);
    if (copyDc) DeleteDC(copyDc);
    if (pictureDc) DeleteDC(pictureDc);
    return done;
}

// The clock label, drawn with GDI in a fresh memory context's default font: its
// pixels do not depend on what lies beneath, since its rectangle is filled first.
bool RenderClockLabel(HDC target, const LabelOffset &offset, const PixelBox &visible, LabelView &label,
                      std::size_t &bytes) {
    HDC dc = CreateCompatibleDC(target);
    if (!dc) return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[9];
    FormatClock(now.wHour, now.wMinute, now.wSecond, text);
    RECT measured = {0, 0, 0, 0};
    DrawTextA(dc, text, 8, &measured, DT_CALCRECT | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const PixelBox box = ClockLabelBox(measured.right - measured.left, measured.bottom - measured.top, offset);
    bool done = false;
    if (!VisibleArea(visible, box.left, box.top, box.Width(), box.Height()).Empty()) {
        BITMAPINFO info = Info32(box.Width(), -box.Height());
        void *bits = nullptr;
        HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (surface) {
            HGDIOBJ old = SelectObject(dc, surface);
            RECT local = {0, 0, box.Width(), box.Height()};
            FillRect(dc, &local, GetSysColorBrush(COLOR_BTNFACE));
            const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            const int oldMode = SetBkMode(dc, TRANSPARENT);
            DrawTextA(dc, text, 8, &local, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
            SetTextColor(dc, oldColour);
            SetBkMode(dc, oldMode);
            DrawEdge(dc, &local, EDGE_RAISED, BF_RECT);
            GdiFlush();
            const std::size_t count = static_cast<std::size_t>(box.Width()) * static_cast<std::size_t>(box.Height());
            std::uint32_t *memory = Grow(labelMemory, count);
            std::memcpy(memory, bits, count * sizeof(std::uint32_t));
            label.pixels = memory;
            label.box = box;
            bytes = count * 4 * 2;
            SelectObject(dc, old);
            DeleteObject(surface);
            done = true;
        }
    }
    DeleteDC(dc);
    return done;
}

} // namespace

std::size_t LastComposeFrameBytes() { return lastFrameBytes; }

void ComposeFrame(HDC target, int32_t x, int32_t y, HPALETTE palette, HBITMAP picture, int32_t scale,
                  int32_t level, HBITMAP background, BOOL frame, int32_t style, BOOL clock, const SIZE *reference) {
    lastFrameBytes = 0;
    PictureInfo info;
    if (!target || !picture || !ReadPicture(picture, info)) return;

    // The reference size only places the clock label; the screen's is asked for
    // only then, since the question costs a tenth of a frame under Wine.
    std::int32_t referenceWidth = 0, referenceHeight = 0;
    BITMAP backgroundHeader = {};
    if (background && GetObjectA(background, sizeof(backgroundHeader), &backgroundHeader) == sizeof(BITMAP)) {
        referenceWidth = backgroundHeader.bmWidth;
        referenceHeight = std::abs(backgroundHeader.bmHeight);
    } else {
        background = nullptr; // not a bitmap: composed over black
        if (clock && !reference) {
            referenceWidth = GetSystemMetrics(SM_CXSCREEN);
            referenceHeight = GetSystemMetrics(SM_CYSCREEN);
        }
    }

    if (reference) {
        referenceWidth = reference->cx;
        referenceHeight = reference->cy;
    }

    level = ClampLevel(level);
    std::int32_t w = 0, h = 0;
    if (!ScalePictureSize(info.width, info.height, scale, w, h) || w <= 0 || h <= 0) return;

    // Only what the target can show is composed: a picture larger than the
    // screen costs no more than the screen.
    RECT clip;
    const int region = GetClipBox(target, &clip);
    if (region == ERROR || region == NULLREGION) return;
    const PixelBox area = VisibleArea({clip.left, clip.top, clip.right, clip.bottom}, x, y, w, h);
    if (area.Empty()) return;

    const MaskRows mask(style, level, w, h);
    const std::size_t count = static_cast<std::size_t>(area.Width()) * static_cast<std::size_t>(area.Height());
    std::uint32_t *memory = Grow(canvasMemory, count);
    std::size_t bytes = count * 4;
    // Bottom-up, like the snapshot's scan lines read into it.
    const PixelCanvas canvas{memory + static_cast<std::ptrdiff_t>(area.Height() - 1) * area.Width(), -area.Width(),
                             area};
    if (!mask.AllWhite()) {
        if (background)
            bytes += ReadBackground(target, background, backgroundHeader.bmWidth, std::abs(backgroundHeader.bmHeight), area, memory);
        else
            std::fill(memory, memory + count, 0u);
    }

    FrameJob job;
    job.x = x;
    job.y = y;
    job.width = w;
    job.height = h;
    job.mask = &mask;
    job.frame = frame != FALSE;
    bool pictureReady = mask.AllBlack();
    if (!mask.AllBlack()) {
        FindTopRow(target, picture, info);
        job.picture = {info.top, info.stride, 0, 0, info.width, info.height};
        const PixelBox visible{area.left - x, area.top - y, area.right - x, area.bottom - y};
        if (info.top) {
            pictureReady = true;
        } else {
            PixelBox source;
            NearestSourceRange(visible.left, visible.right, info.width, w, source.left, source.right);
            NearestSourceRange(visible.top, visible.bottom, info.height, h, source.top, source.bottom);
            std::size_t converted = 0;
            pictureReady = ConvertPicture(target, picture, palette, source, job.picture, converted);
            job.picture.width = info.width;
            job.picture.height = info.height;
            bytes += converted;
        }
        if (clock) {
            std::size_t labelBytes = 0;
            const LabelOffset offset = ClockLabelOffset(w, h, referenceWidth, referenceHeight, job.frame);
            RenderClockLabel(target, offset, visible, job.label, labelBytes);
            bytes += labelBytes;
        }
    }
    if (!pictureReady) return;

    HPALETTE oldPalette = nullptr;
    if (palette) {
        oldPalette = SelectPalette(target, palette, FALSE);
        RealizePalette(target);
    }
    composer.Compose(job, canvas);
    BITMAPINFO out = Info32(area.Width(), area.Height());
    SetDIBitsToDevice(target, area.left, area.top, static_cast<DWORD>(area.Width()),
                      static_cast<DWORD>(area.Height()), 0, 0, 0, static_cast<UINT>(area.Height()), memory, &out,
                      DIB_RGB_COLORS);
    if (oldPalette) SelectPalette(target, oldPalette, FALSE);
    lastFrameBytes = bytes + composer.ScratchBytes();
}
