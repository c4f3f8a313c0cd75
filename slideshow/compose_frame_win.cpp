// ComposeFrame on GDI: composes the part of the picture the target can show (its
// clip box) in software (slideshow/compose) on a 32-bit surface, and copies it to
// the target. Pictures and snapshots that are plain 32-bit DIB sections are read
// in place; anything else goes through GDI, and is then drawn whole every frame.
// With a show's FrameCanvas the surface and the last frame's inputs survive the
// call; without one, everything made here is released before it returns.
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
// Frames are composed and copied a band of rows at a time on a surface this
// large, so that the copy reads what the composition just left in the cache.
constexpr std::int32_t kStagingPixels = 1 << 17;

enum class RowOrder { kUnknown, kTopDown, kBottomUp };

// A bitmap's pixels as the compositor can read them in place.
struct Pixels32 {
    std::int32_t width = 0, height = 0;
    std::uint32_t *bits = nullptr; // a plain 32-bit DIB section's memory, else null
    std::ptrdiff_t stride = 0;     // in pixels
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

bool ReadPixels(HBITMAP bitmap, Pixels32 &pixels) {
    DIBSECTION dib = {};
    const int size = GetObjectA(bitmap, sizeof(dib), &dib);
    if (size != sizeof(DIBSECTION) && size != sizeof(BITMAP)) return false;
    pixels.width = dib.dsBm.bmWidth;
    pixels.height = std::abs(dib.dsBm.bmHeight);
    if (size == sizeof(DIBSECTION) && PlainRgb32(dib)) {
        pixels.bits = static_cast<std::uint32_t *>(dib.dsBm.bmBits);
        pixels.stride = dib.dsBm.bmWidthBytes / 4;
    }
    return pixels.width > 0 && pixels.height > 0;
}

// GetObject reports every DIB section's height as positive (Windows and Wine
// alike), so the order of its rows in memory is asked of GDI: the first pixel in
// memory is changed for a moment and read back as the top row's. No content can
// fool it, unlike comparing rows. The pixel is restored before anything else runs.
RowOrder ProbeRowOrder(HDC dc, HBITMAP bitmap, const Pixels32 &pixels, std::vector<std::uint32_t> &scratch) {
    if (pixels.height == 1) return RowOrder::kTopDown;
    std::uint32_t *first = pixels.bits;
    const std::uint32_t last = pixels.bits[(pixels.height - 1) * pixels.stride] & 0xFFFFFF;
    const std::uint32_t saved = *first, marker = ~last & 0xFFFFFF;
    *first = marker;
    GdiFlush();
    BITMAPINFO info = Info32(pixels.width, pixels.height); // bottom-up: the top row is scan line height - 1
    std::uint32_t *row = Grow(scratch, static_cast<std::size_t>(pixels.width));
    const int read = GetDIBits(dc, bitmap, static_cast<UINT>(pixels.height - 1), 1, row, &info, DIB_RGB_COLORS);
    *first = saved;
    if (read != 1) return RowOrder::kUnknown;
    if ((row[0] & 0xFFFFFF) == marker) return RowOrder::kTopDown;
    if ((row[0] & 0xFFFFFF) == last) return RowOrder::kBottomUp;
    return RowOrder::kUnknown;
}

// The top row and the step between rows, when the order is known.
bool TopRow(const Pixels32 &pixels, RowOrder order, const std::uint32_t *&top, std::ptrdiff_t &stride) {
    if (!pixels.bits || order == RowOrder::kUnknown) return false;
    top = pixels.bits;
    stride = pixels.stride;
    if (order == RowOrder::kBottomUp) {
        top = pixels.bits + (pixels.height - 1) * pixels.stride;
        stride = -pixels.stride;
    }
    return true;
}

std::size_t lastFrameBytes = 0;

bool operator!=(const PixelBox &a, const PixelBox &b) {
    return a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom;
}

} // namespace

struct FrameCanvas::State {
    // The staging surface: a bottom-up 32-bit DIB section of width x rows, in its own context.
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    std::uint32_t *bits = nullptr;
    std::int32_t width = 0, rows = 0;

    // The last frame, valid while the target shows it over area.
    bool valid = false;
    PixelBox area{0, 0, 0, 0};
    HBITMAP picture = nullptr, background = nullptr;
    std::int32_t x = 0, y = 0, w = 0, h = 0, level = 0, style = 0;
    bool frame = false, clock = false;
    // The clock label, kept while its text and place stay.
    LabelView label;
    char labelText[9] = {};
    LabelOffset labelOffset{0, 0};

    // Row orders found once per bitmap.
    HBITMAP probedPicture = nullptr, probedBackground = nullptr;
    RowOrder pictureRows = RowOrder::kUnknown, backgroundRows = RowOrder::kUnknown;

    FrameComposer composer;
    ChangedArea changed;
    std::vector<std::uint32_t> bandMemory, pictureMemory, labelMemory, probeMemory;

    ~State() { FreeSurface(); }

    void FreeSurface() {
        if (dc) {
            SelectObject(dc, oldBitmap);
            DeleteDC(dc);
        }
        if (bitmap) DeleteObject(bitmap);
        dc = nullptr;
        bitmap = nullptr;
        bits = nullptr;
        width = rows = 0;
        valid = false;
    }

    // A surface as wide as the visible area and a band of it high.
    bool Surface(std::int32_t areaWidth, std::int32_t areaHeight) {
        const std::int32_t bandRows = std::max(1, std::min(areaHeight, kStagingPixels / areaWidth));
        if (bits && width == areaWidth && rows == bandRows) return true;
        FreeSurface();
        dc = CreateCompatibleDC(nullptr);
        if (!dc) return false;
        BITMAPINFO info = Info32(areaWidth, bandRows);
        void *memory = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
        if (!bitmap) {
            DeleteDC(dc);
            dc = nullptr;
            return false;
        }
        oldBitmap = SelectObject(dc, bitmap);
        bits = static_cast<std::uint32_t *>(memory);
        width = areaWidth;
        rows = bandRows;
        return true;
    }

    RowOrder Rows(HDC dc, HBITMAP bitmap, const Pixels32 &pixels, HBITMAP &probed, RowOrder &order) {
        if (!pixels.bits) return RowOrder::kUnknown;
        if (probed != bitmap) {
            order = ProbeRowOrder(dc, bitmap, pixels, probeMemory);
            probed = bitmap;
        }
        return order;
    }
};

FrameCanvas::FrameCanvas() : state_(new State) {}
FrameCanvas::~FrameCanvas() = default;
FrameCanvas::FrameCanvas(FrameCanvas &&) noexcept = default;
FrameCanvas &FrameCanvas::operator=(FrameCanvas &&) noexcept = default;

void FrameCanvas::Invalidate() {
    if (!state_) return;
    state_->valid = false;
    // A handle may come back for another bitmap once its first is deleted.
    state_->probedPicture = state_->probedBackground = nullptr;
}

void FrameCanvas::Release() {
    if (!state_) return;
    state_->FreeSurface();
    Invalidate();
}

HBITMAP CreateSnapshotBitmap(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info = Info32(width, -height);
    void *bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

std::size_t LastComposeFrameBytes() { return lastFrameBytes; }

namespace {

// Bottom-up memory for the rows of area: its bottom row first, stride pixels apart.
struct BottomUp {
    std::uint32_t *memory;
    std::ptrdiff_t stride;
    std::uint32_t *Row(const PixelBox &area, std::int32_t ty) const {
        return memory + static_cast<std::ptrdiff_t>(area.bottom - 1 - ty) * stride;
    }
};

// Copies a top-down DIB's rows into the bottom-up memory at rows top.. of the area.
void CopyIntoCanvas(const std::uint32_t *source, std::int32_t sourceWidth, const PixelBox &part,
                    const PixelBox &area, const BottomUp &memory) {
    for (std::int32_t ty = part.top; ty < part.bottom; ++ty) {
        std::uint32_t *out = memory.Row(area, ty) + (part.left - area.left);
        std::memcpy(out, source + static_cast<std::ptrdiff_t>(ty - part.top) * sourceWidth,
                    static_cast<std::size_t>(part.Width()) * sizeof(std::uint32_t));
    }
}

// The background when it is the very bitmap the target draws into (the collage
// stamp) and not a DIB section: a bitmap selected into a context is read through
// that context.
bool ReadFromTarget(HDC target, const PixelBox &part, const PixelBox &area, const BottomUp &memory,
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

// Fills the bottom-up memory with the background piece through GDI, for a
// background that cannot be read in place; outside the snapshot it is black.
std::size_t ReadBackground(HDC target, HBITMAP background, std::int32_t width, std::int32_t height,
                           const PixelBox &area, const BottomUp &memory, std::vector<std::uint32_t> &bandMemory) {
    auto black = [&] {
        for (std::int32_t ty = area.top; ty < area.bottom; ++ty)
            std::fill(memory.Row(area, ty), memory.Row(area, ty) + area.Width(), 0u);
    };
    const PixelBox part = VisibleArea(area, 0, 0, width, height);
    if (part.Empty() || part != area) black();
    if (part.Empty()) return 0;

    std::size_t bytes = 0;
    if (GetCurrentObject(target, OBJ_BITMAP) == background) {
        if (!ReadFromTarget(target, part, area, memory, bytes)) black();
        return bytes;
    }
    // Bottom-up on both sides: scan lines then count from the bottom without ambiguity.
    BITMAPINFO info = Info32(width, height);
    const UINT lines = static_cast<UINT>(part.Height());
    if (part.left == 0 && part.right == width && area.Width() == width && memory.stride == width) {
        if (GetDIBits(target, background, static_cast<UINT>(height - part.bottom), lines,
                      memory.Row(area, part.bottom - 1), &info, DIB_RGB_COLORS) != static_cast<int>(lines))
            black();
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
            black();
            return bytes;
        }
        // Band row m is snapshot row bottom - 1 - m.
        for (UINT m = 0; m < rows; ++m)
            std::memcpy(memory.Row(area, bottom - 1 - static_cast<std::int32_t>(m)) + (part.left - area.left),
                        band + static_cast<std::ptrdiff_t>(m) * width + part.left,
                        static_cast<std::size_t>(part.Width()) * sizeof(std::uint32_t));
    }
    return bytes;
}

// A picture that cannot be read in place (a device-dependent bitmap, a
// palette-based DIB): the source pixels the visible area reads, converted by GDI.
bool ConvertPicture(HDC target, HBITMAP picture, HPALETTE palette, const PixelBox &source, PictureView &view,
                    std::vector<std::uint32_t> &pictureMemory, std::size_t &bytes) {
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
void RenderClockLabel(HDC target, const char (&text)[9], const LabelOffset &offset, LabelView &label,
                      std::vector<std::uint32_t> &labelMemory) {
    label = LabelView{};
    HDC dc = CreateCompatibleDC(target);
    if (!dc) return;
    RECT measured = {0, 0, 0, 0};
    DrawTextA(dc, text, 8, &measured, DT_CALCRECT | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const PixelBox box = ClockLabelBox(measured.right - measured.left, measured.bottom - measured.top, offset);
    if (!box.Empty()) {
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
            SelectObject(dc, old);
            DeleteObject(surface);
        }
    }
    DeleteDC(dc);
}

// The label's rectangle on the target, within the visible area.
PixelBox LabelOnTarget(const LabelView &label, std::int32_t x, std::int32_t y, const PixelBox &area) {
    if (!label.pixels) return {0, 0, 0, 0};
    return VisibleArea(area, x + label.box.left, y + label.box.top, label.box.Width(), label.box.Height());
}

// What one frame reads besides the job: the background when it must go through GDI.
struct Sources {
    HBITMAP background;
    std::int32_t backgroundWidth, backgroundHeight;
    bool backgroundViaGdi;
};

// Composes box band by band on the staging surface, copying each band to the
// target as soon as it is done.
std::size_t DrawBox(HDC target, FrameCanvas::State &s, const FrameJob &job, const Sources &sources,
                    const PixelBox &box) {
    std::size_t bytes = 0;
    for (std::int32_t top = box.top; top < box.bottom; top += s.rows) {
        const PixelBox band{box.left, top, box.right, std::min(box.bottom, top + s.rows)};
        // The band sits in the surface's top rows, which come last in its memory.
        if (sources.backgroundViaGdi)
            bytes = std::max(
                bytes,
                ReadBackground(target, sources.background, sources.backgroundWidth, sources.backgroundHeight, band,
                               {s.bits + static_cast<std::ptrdiff_t>(s.rows - band.Height()) * s.width, s.width},
                               s.bandMemory));
        s.composer.Compose(job, {s.bits + static_cast<std::ptrdiff_t>(s.rows - 1) * s.width, -s.width, band},
                           band);
        BitBlt(target, band.left, band.top, band.Width(), band.Height(), s.dc, 0, 0, SRCCOPY);
    }
    return bytes;
}

} // namespace

void ComposeFrame(HDC target, int32_t x, int32_t y, HPALETTE palette, HBITMAP picture, int32_t scale,
                  int32_t level, HBITMAP background, BOOL frame, int32_t style, BOOL clock, const SIZE *reference,
                  FrameCanvas *canvas) {
    lastFrameBytes = 0;
    FrameCanvas local;
    FrameCanvas::State &s = *(canvas && canvas->state_ ? canvas : &local)->state_;
    Pixels32 pic;
    if (!target || !picture || !ReadPixels(picture, pic)) {
        s.valid = false;
        return;
    }

    // The reference size only places the clock label; the screen's is asked for
    // only then, since the question costs a tenth of a frame under Wine.
    std::int32_t referenceWidth = 0, referenceHeight = 0;
    Pixels32 back;
    const bool hasBackground = background && ReadPixels(background, back);
    if (hasBackground) {
        referenceWidth = back.width;
        referenceHeight = back.height;
    } else if (clock && !reference) {
        referenceWidth = GetSystemMetrics(SM_CXSCREEN);
        referenceHeight = GetSystemMetrics(SM_CYSCREEN);
    }
    if (reference) {
        referenceWidth = reference->cx;
        referenceHeight = reference->cy;
    }

    level = ClampLevel(level);
    std::int32_t w = 0, h = 0;
    RECT clip;
    const int region = GetClipBox(target, &clip);
    PixelBox area{0, 0, 0, 0};
    if (ScalePictureSize(pic.width, pic.height, scale, w, h) && w > 0 && h > 0 && region != ERROR &&
        region != NULLREGION)
        area = VisibleArea({clip.left, clip.top, clip.right, clip.bottom}, x, y, w, h);
    // Only what the target can show is composed: a picture larger than the
    // screen costs no more than the screen.
    if (area.Empty() || !s.Surface(area.Width(), area.Height())) {
        s.valid = false;
        return;
    }

    const MaskRows mask(style, level, w, h);
    FrameJob job;
    job.x = x;
    job.y = y;
    job.width = w;
    job.height = h;
    job.mask = &mask;
    job.frame = frame != FALSE;
    const PixelBox visible{area.left - x, area.top - y, area.right - x, area.bottom - y};
    std::size_t bytes = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.rows) * 4;

    // The picture, in place or converted for this frame.
    GdiFlush();
    bool inPlace = TopRow(pic, s.Rows(target, picture, pic, s.probedPicture, s.pictureRows), job.picture.origin,
                          job.picture.stride);
    job.picture.width = pic.width;
    job.picture.height = pic.height;
    if (!inPlace && !mask.AllBlack()) {
        PixelBox source;
        NearestSourceRange(visible.left, visible.right, pic.width, w, source.left, source.right);
        NearestSourceRange(visible.top, visible.bottom, pic.height, h, source.top, source.bottom);
        std::size_t converted = 0;
        if (!ConvertPicture(target, picture, palette, source, job.picture, s.pictureMemory, converted)) {
            s.valid = false;
            return;
        }
        bytes += converted;
    }

    // The background, in place, black, or read through GDI band by band.
    BackgroundView view;
    if (hasBackground) {
        const std::uint32_t *top = nullptr;
        std::ptrdiff_t stride = 0;
        if (TopRow(back, s.Rows(target, background, back, s.probedBackground, s.backgroundRows), top, stride))
            view = {top, stride, {0, 0, back.width, back.height}};
        else
            inPlace = false;
    }
    if (!hasBackground || view.top) job.background = &view;

    const bool same = s.valid && inPlace && !(s.area != area) && s.picture == picture &&
                      s.background == background && s.x == x && s.y == y && s.w == w && s.h == h &&
                      s.frame == job.frame && s.clock == (clock != FALSE);

    // The label is drawn again only when its text or place changed.
    char text[9] = {};
    bool labelChanged = false;
    const PixelBox oldLabel = same ? LabelOnTarget(s.label, x, y, area) : PixelBox{0, 0, 0, 0};
    if (clock) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        FormatClock(now.wHour, now.wMinute, now.wSecond, text);
        const LabelOffset offset = ClockLabelOffset(w, h, referenceWidth, referenceHeight, job.frame);
        if (!s.label.pixels || std::strcmp(text, s.labelText) != 0 || offset.dx != s.labelOffset.dx ||
            offset.dy != s.labelOffset.dy) {
            RenderClockLabel(target, text, offset, s.label, s.labelMemory);
            std::memcpy(s.labelText, text, sizeof(text));
            s.labelOffset = offset;
            labelChanged = true;
        }
        job.label = s.label;
        if (s.label.pixels) bytes += s.labelMemory.capacity() * sizeof(std::uint32_t);
    }

    const Sources sources{background, back.width, back.height,
                          hasBackground && !job.background && !mask.AllWhite()};
    // A palette changes no pixel on a device without one (any true-colour
    // screen), and under Wine selecting one into a window's context hands the
    // window's pending drawing to the X server there and then.
    HPALETTE oldPalette = nullptr;
    if (palette && (GetDeviceCaps(target, RASTERCAPS) & RC_PALETTE)) {
        oldPalette = SelectPalette(target, palette, FALSE);
        RealizePalette(target);
    }
    if (same) {
        s.changed.Clear();
        if (s.level != level || s.style != style) {
            const MaskRows before(s.style, s.level, w, h);
            s.composer.FindChanges(job, before, area, s.changed);
        }
        if (labelChanged) {
            s.changed.AddBox(oldLabel);
            s.changed.AddBox(LabelOnTarget(s.label, x, y, area));
        }
        for (const PixelBox &box : s.changed.Boxes()) DrawBox(target, s, job, sources, box);
    } else {
        bytes += DrawBox(target, s, job, sources, area);
    }
    if (oldPalette) SelectPalette(target, oldPalette, FALSE);

    // Remembered for the next frame when it can be drawn from this one.
    s.valid = inPlace;
    s.area = area;
    s.picture = picture;
    s.background = background;
    s.x = x;
    s.y = y;
    s.w = w;
    s.h = h;
    s.level = level;
    s.style = style;
    s.frame = job.frame;
    s.clock = clock != FALSE;
    lastFrameBytes = bytes + s.composer.ScratchBytes();
}
