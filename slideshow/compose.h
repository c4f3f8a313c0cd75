// Frame composition on 32-bit pixels: the scaled picture with its frame line and
// clock label, revealed through the transition mask over a background piece, for
// just the part of the target that can be seen, whole or only where the mask
// changed since the last frame. Also the arithmetic around it: scaled size,
// label placement and text. Pure: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "slideshow/masks.h"

// Scaled sides beyond this are refused: the frame then draws nothing.
constexpr std::int32_t kMaxScaledSide = 1 << 30;

// Half-open rectangle in target coordinates.
struct PixelBox {
    std::int32_t left, top, right, bottom;
    bool Empty() const { return left >= right || top >= bottom; }
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
};

std::int32_t ClampLevel(std::int32_t level);

// w = W x scale / 100 and h = H x scale / 100 (product first), a negative scale
// counting as 0. False when a side would exceed kMaxScaledSide.
bool ScalePictureSize(std::int32_t pictureWidth, std::int32_t pictureHeight, std::int32_t scale,
                      std::int32_t &width, std::int32_t &height);

// The part of the picture's rectangle (x, y, x + w, y + h) inside the clip box.
PixelBox VisibleArea(const PixelBox &clip, std::int32_t x, std::int32_t y, std::int32_t width,
                     std::int32_t height);

// Nearest-pixel scaling: the source index for position p of a side scaled from
// size to scaled (sampled at the pixel's centre), and the source range
// [first, last) that positions from .. to - 1 read.
std::int32_t NearestSource(std::int32_t p, std::int32_t size, std::int32_t scaled);
void NearestSourceRange(std::int32_t from, std::int32_t to, std::int32_t size, std::int32_t scaled,
                        std::int32_t &first, std::int32_t &last);

// The clock label's offsets: 6 each, 7 with the frame line, plus half of what the
// picture exceeds the reference size by (centred on a picture larger than the screen).
struct LabelOffset {
    std::int32_t dx, dy;
};
LabelOffset ClockLabelOffset(std::int32_t width, std::int32_t height, std::int32_t referenceWidth,
                             std::int32_t referenceHeight, bool frame);
// The label's rectangle in picture coordinates: the measured text (from 0, 0)
// grown by 6 on every side and moved by the offsets.
PixelBox ClockLabelBox(std::int32_t textWidth, std::int32_t textHeight, const LabelOffset &offset);

// hh:mm:ss with leading zeros, NUL-terminated.
void FormatClock(std::int32_t hour, std::int32_t minute, std::int32_t second, char (&text)[9]);

// Read access to the picture's pixels: (x, y) of the full W x H picture lies at
// origin[(y - originY) * stride + (x - originX)]; only the rows and columns that
// the visible area reads need to be present.
struct PictureView {
    const std::uint32_t *origin = nullptr;
    std::ptrdiff_t stride = 0;
    std::int32_t originX = 0, originY = 0;
    std::int32_t width = 0, height = 0;
};

// The clock label's pixels, top-down and packed, placed at box in picture coordinates.
struct LabelView {
    const std::uint32_t *pixels = nullptr;
    PixelBox box{0, 0, 0, 0};
};

// The surface composed into: the area box of the target; row r of it starts at
// top + r x stride (stride may be negative for bottom-up memory).
struct PixelCanvas {
    std::uint32_t *top = nullptr;
    std::ptrdiff_t stride = 0;
    PixelBox box{0, 0, 0, 0};
};

// The background in target coordinates: pixel (x, y) of box lies at
// top[(y - box.top) * stride + (x - box.left)]; outside box it is black.
struct BackgroundView {
    const std::uint32_t *top = nullptr;
    std::ptrdiff_t stride = 0;
    PixelBox box{0, 0, 0, 0};
};

struct FrameJob {
    PictureView picture;
    std::int32_t x = 0, y = 0, width = 0, height = 0; // the scaled picture on the target
    const MaskRows *mask = nullptr;
    bool frame = false;
    LabelView label; // no pixels: no label
    // Null: the canvas already holds the background piece, and only the
    // picture's pixels are written.
    const BackgroundView *background = nullptr;
};

// Rectangles (target coordinates) that cover every pixel a frame changed, few
// enough to be drawn and copied one by one: runs that nearly touch, in the same
// or consecutive rows, are joined while the joined rectangle stays at most twice
// the pixels it carries plus what one more copy call is worth.
class ChangedArea {
public:
    static constexpr std::int64_t kCallPixels = 4096;
    static constexpr std::int32_t kJoinGap = 64;

    void Clear();
    // A run of row y, columns begin .. end - 1. Rows come in increasing order,
    // each row's runs left to right.
    void AddRun(std::int32_t y, std::int32_t begin, std::int32_t end);
    // A whole box, at any time.
    void AddBox(const PixelBox &box);
    // Every rectangle, the open ones closed.
    const std::vector<PixelBox> &Boxes();

private:
    struct Open {
        PixelBox box;
        std::int64_t pixels; // changed pixels it carries
    };
    void NextRow(std::int32_t y);
    bool Grow(Open &open, std::int32_t y, std::int32_t begin, std::int32_t end);
    std::vector<Open> open_; // grown by the last row, left to right
    std::vector<Open> next_; // grown by this row
    std::vector<PixelBox> closed_;
    std::size_t cursor_ = 0; // open_ before it is finished
    std::int32_t row_ = 0;
    bool started_ = false;
};

// Keeps its row scratch between frames so a frame allocates nothing once warm.
class FrameComposer {
public:
    // Writes the visible part of the picture's rectangle within box: the
    // picture layer (scaled picture, frame line, label) where the mask is
    // white, the background where it is black. Pixels elsewhere stay untouched.
    void Compose(const FrameJob &job, const PixelCanvas &canvas, const PixelBox &box);
    void Compose(const FrameJob &job, const PixelCanvas &canvas) { Compose(job, canvas, canvas.box); }
    // Records in changed the visible pixels whose mask differs between
    // `before` and job.mask (same picture size and place).
    void FindChanges(const FrameJob &job, const MaskRows &before, const PixelBox &visible, ChangedArea &changed);
    // Bytes of scratch the last frame used.
    std::size_t ScratchBytes() const { return scratchBytes_; }

private:
    // Source pixels of visible columns first .. first + count - 1 (indexes into columns_).
    void GatherColumns(const std::uint32_t *source, std::size_t first, std::size_t count,
                       std::uint32_t *out) const;
    // The shuffles that scale up four columns at a time, when the processor and the scale allow.
    void PlanGroups(std::size_t n);
    // Asks for the picture's and the background's pixels of the row after py,
    // for rows that read both whole: elsewhere it would double what is read.
    void PrefetchNext(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to) const;
    // Sets up the column map for the visible area; false when nothing is visible.
    bool Prepare(const FrameJob &job, const PixelCanvas &canvas, PixelBox &area);
    std::uint32_t *CanvasRow(const PixelCanvas &canvas, std::int32_t ty, std::int32_t tx) const;
    void PictureRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to,
                    std::uint32_t *out) const;
    void DitheredRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to, std::uint8_t bits,
                     std::uint32_t *out) const;
    // Background pixels of picture row py, columns from .. to - 1, at the
    // phases (x % 8) whose bit is set.
    void BackgroundRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to, std::uint8_t bits,
                       std::uint32_t *out) const;
    void SpanRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to, std::uint32_t *out);
    // The whole row with every pixel written, for rows without frame line or label.
    void PlainRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to, std::uint32_t *out);
    // The mask's runs of row py into spans_, kept while rows share them.
    void RowSpans(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to);
    // Row py of the scaled picture alone (no frame line, no label), in place
    // when unscaled, else gathered once per source row.
    const std::uint32_t *ScaledRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to);
    // Row py's runs as a mask of all-set and all-clear pixels, kept while rows share them.
    const std::uint32_t *SpanMask(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to);
    // The same, a byte a pixel.
    const std::uint8_t *SpanBytes(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to);
    // The background of row py, in place when the view holds all of it.
    const std::uint32_t *BackgroundPixels(const FrameJob &job, std::int32_t py, std::int32_t from,
                                          std::int32_t to);

    std::vector<std::int32_t> columns_; // source column per visible column
    std::vector<std::int32_t> groupBase_;    // per four visible columns: the first source column read
    std::vector<std::uint8_t> groupShuffle_; // and the bytes taken from there
    std::vector<std::uint32_t> row_, scaledRow_, backgroundRow_, maskRow_;
    std::vector<std::uint8_t> maskBytes_;
    const std::uint32_t *lastOut_ = nullptr; // the last plain row of runs composed
    std::int32_t lastRow_ = 0;               // the last picture row of the area composed
    std::int64_t spansKey_ = 0, maskKey_ = 0;
    std::int32_t spansFrom_ = 0, spansTo_ = 0, scaledSource_ = 0, scaledFrom_ = 0, scaledTo_ = 0, lastSource_ = 0;
    bool spansKept_ = false, scaledKept_ = false, maskKept_ = false;
    std::vector<MaskSpan> spans_, revealed_, hidden_, before_, after_;
    std::int32_t columnsFrom_ = 0, columnsTo_ = 0, columnsWidth_ = 0, columnsSource_ = 0, columnsOrigin_ = 0;
    bool identityColumns_ = false;
    std::size_t scratchBytes_ = 0;
};
