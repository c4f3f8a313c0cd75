// Frame composition in software. Each mask row is taken as whole runs: a white
// run receives picture pixels in one copy, a black run is never touched, so the
// background piece already in the canvas shows there. Dissolve rows, a fine
// repeating pattern, are copied one lit pattern column at a time instead.
#include "slideshow/compose.h"

#include <algorithm>
#include <cstring>

namespace {
// Above this many runs a row is cheaper built once and copied from.
constexpr std::size_t kDirectSpanLimit = 4;

std::int32_t Narrow(std::int64_t v) { return static_cast<std::int32_t>(v); }
} // namespace

std::int32_t ClampLevel(std::int32_t level) { return std::clamp(level, 0, 100); }

bool ScalePictureSize(std::int32_t pictureWidth, std::int32_t pictureHeight, std::int32_t scale,
                      std::int32_t &width, std::int32_t &height) {
    const std::int64_t s = std::max(scale, 0);
    const std::int64_t w = std::int64_t{pictureWidth} * s / 100;
    const std::int64_t h = std::int64_t{pictureHeight} * s / 100;
    if (w > kMaxScaledSide || h > kMaxScaledSide) return false;
    width = Narrow(w);
    height = Narrow(h);
    return true;
}

PixelBox VisibleArea(const PixelBox &clip, std::int32_t x, std::int32_t y, std::int32_t width,
                     std::int32_t height) {
    const std::int64_t left = std::max<std::int64_t>(clip.left, x);
    const std::int64_t top = std::max<std::int64_t>(clip.top, y);
    const std::int64_t right = std::min<std::int64_t>(clip.right, std::int64_t{x} + std::max(width, 0));
    const std::int64_t bottom = std::min<std::int64_t>(clip.bottom, std::int64_t{y} + std::max(height, 0));
    if (left >= right || top >= bottom) return {0, 0, 0, 0};
    return {Narrow(left), Narrow(top), Narrow(right), Narrow(bottom)};
}

std::int32_t NearestSource(std::int32_t p, std::int32_t size, std::int32_t scaled) {
    return Narrow((2 * std::int64_t{p} + 1) * size / (2 * std::int64_t{scaled}));
}

void NearestSourceRange(std::int32_t from, std::int32_t to, std::int32_t size, std::int32_t scaled,
                        std::int32_t &first, std::int32_t &last) {
    if (from >= to) {
        first = last = 0;
        return;
    }
    first = NearestSource(from, size, scaled);
    last = NearestSource(to - 1, size, scaled) + 1;
}

LabelOffset ClockLabelOffset(std::int32_t width, std::int32_t height, std::int32_t referenceWidth,
                             std::int32_t referenceHeight, bool frame) {
    LabelOffset offset{6, 6};
    if (frame) offset = {7, 7};
    if (width >= referenceWidth) offset.dx += (width - referenceWidth) / 2;
    if (height >= referenceHeight) offset.dy += (height - referenceHeight) / 2;
    return offset;
}

PixelBox ClockLabelBox(std::int32_t textWidth, std::int32_t textHeight, const LabelOffset &offset) {
    return {offset.dx - 6, offset.dy - 6, offset.dx + textWidth + 6, offset.dy + textHeight + 6};
}

void FormatClock(std::int32_t hour, std::int32_t minute, std::int32_t second, char (&text)[9]) {
    const std::int32_t parts[3] = {hour, minute, second};
    for (int i = 0; i < 3; ++i) {
        const std::int32_t v = std::clamp(parts[i], 0, 99);
        text[i * 3] = static_cast<char>('0' + v / 10);
        text[i * 3 + 1] = static_cast<char>('0' + v % 10);
        if (i < 2) text[i * 3 + 2] = ':';
    }
    text[8] = '\0';
}

void FrameComposer::PictureRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to,
                               std::uint32_t *out) const {
    const std::size_t n = static_cast<std::size_t>(to - from);
    const PictureView &pic = job.picture;
    if (job.frame && (py == 0 || py == job.height - 1)) {
        std::fill(out, out + n, 0u);
    } else {
        const std::int32_t sy = NearestSource(py, pic.height, job.height);
        const std::uint32_t *src = pic.origin + (sy - pic.originY) * pic.stride;
        if (identityColumns_) {
            std::memcpy(out, src + (from - pic.originX), n * sizeof(std::uint32_t));
        } else {
            const std::int32_t *column = columns_.data() + (from - columnsFrom_);
            for (std::size_t i = 0; i < n; ++i) out[i] = src[column[i]];
        }
        if (job.frame) {
            if (from == 0) out[0] = 0;
            if (to == job.width) out[n - 1] = 0;
        }
    }
    const LabelView &label = job.label;
    if (label.pixels && py >= label.box.top && py < label.box.bottom) {
        const std::int32_t a = std::max(from, label.box.left), b = std::min(to, label.box.right);
        if (a < b) {
            const std::uint32_t *src = label.pixels +
                                       static_cast<std::ptrdiff_t>(py - label.box.top) * label.box.Width() +
                                       (a - label.box.left);
            std::memcpy(out + (a - from), src, static_cast<std::size_t>(b - a) * sizeof(std::uint32_t));
        }
    }
}

void FrameComposer::DitheredRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to,
                                std::uint8_t bits, std::uint32_t *out) const {
    const std::size_t n = static_cast<std::size_t>(to - from);
    const PictureView &pic = job.picture;
    auto lit = [bits](std::int32_t px) { return ((bits >> (px & 7)) & 1u) != 0; };
    const bool frameRow = job.frame && (py == 0 || py == job.height - 1);
    const std::uint32_t *src = pic.origin + (NearestSource(py, pic.height, job.height) - pic.originY) * pic.stride;
    // One pass per lit column of the 8-pixel pattern: strided copies, no per-pixel test.
    for (std::size_t phase = 0; phase < 8 && phase < n; ++phase) {
        if (!lit(from + static_cast<std::int32_t>(phase))) continue;
        if (frameRow) {
            for (std::size_t i = phase; i < n; i += 8) out[i] = 0;
        } else if (identityColumns_) {
            const std::uint32_t *row = src + (from - pic.originX);
            for (std::size_t i = phase; i < n; i += 8) out[i] = row[i];
        } else {
            const std::int32_t *column = columns_.data() + (from - columnsFrom_);
            for (std::size_t i = phase; i < n; i += 8) out[i] = src[column[i]];
        }
    }
    if (job.frame && !frameRow) {
        if (from == 0 && lit(0)) out[0] = 0;
        if (to == job.width && lit(job.width - 1)) out[n - 1] = 0;
    }
    const LabelView &label = job.label;
    if (label.pixels && py >= label.box.top && py < label.box.bottom) {
        const std::uint32_t *labelRow =
            label.pixels + static_cast<std::ptrdiff_t>(py - label.box.top) * label.box.Width();
        const std::int32_t a = std::max(from, label.box.left), b = std::min(to, label.box.right);
        for (std::int32_t px = a; px < b; ++px)
            if (lit(px)) out[px - from] = labelRow[px - label.box.left];
    }
}

void FrameComposer::Compose(const FrameJob &job, const PixelCanvas &canvas) {
    scratchBytes_ = 0;
    const PixelBox area = VisibleArea(canvas.box, job.x, job.y, job.width, job.height);
    if (area.Empty() || !job.mask) return;
    const std::int32_t from = area.left - job.x, to = area.right - job.x;
    const std::size_t n = static_cast<std::size_t>(to - from);

    identityColumns_ = job.width == job.picture.width;
    columnsFrom_ = from;
    if (!identityColumns_) {
        if (columns_.size() < n) columns_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            columns_[i] = NearestSource(from + static_cast<std::int32_t>(i), job.picture.width, job.width) -
                          job.picture.originX;
        scratchBytes_ += n * sizeof(std::int32_t);
    }
    bool rowUsed = false;
    auto row = [&]() {
        if (row_.size() < n) row_.resize(n);
        rowUsed = true;
        return row_.data();
    };

    for (std::int32_t ty = area.top; ty < area.bottom; ++ty) {
        const std::int32_t py = ty - job.y;
        std::uint32_t *out = canvas.top + static_cast<std::ptrdiff_t>(ty - canvas.box.top) * canvas.stride +
                             (area.left - canvas.box.left);
        if (job.mask->Dithered()) {
            const std::uint8_t bits = job.mask->DitherBits(py);
            if (bits == 0xFF)
                PictureRow(job, py, from, to, out);
            else if (bits != 0)
                DitheredRow(job, py, from, to, bits, out);
            continue;
        }
        job.mask->Spans(py, from, to, spans_);
        if (spans_.size() <= kDirectSpanLimit) {
            for (const MaskSpan &span : spans_) PictureRow(job, py, span.begin, span.end, out + (span.begin - from));
            continue;
        }
        std::uint32_t *picture = row();
        PictureRow(job, py, from, to, picture);
        for (const MaskSpan &span : spans_)
            std::memcpy(out + (span.begin - from), picture + (span.begin - from),
                        static_cast<std::size_t>(span.end - span.begin) * sizeof(std::uint32_t));
    }
    if (rowUsed) scratchBytes_ += n * sizeof(std::uint32_t);
    scratchBytes_ += spans_.capacity() * sizeof(MaskSpan);
}
