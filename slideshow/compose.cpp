// Frame composition in software. Each mask row is taken as whole runs: a white
// run receives picture pixels in one copy, a black run is never touched, so the
// background piece already in the canvas shows there. Dissolve rows, a fine
// repeating pattern, are copied one lit pattern column at a time instead.
#include "slideshow/compose.h"

#include <algorithm>
#include <cstring>

// Selecting between two rows four pixels at a time takes SSE2, which every x86
// since 2001 has, eight at a time AVX2 (since 2013, where the system saves its
// registers: the runtime check asks both), and scaling up four pixels at a time
// SSSE3 (since 2006); older processors take the plain paths (QUILLOMIR_NO_SIMD
// builds only those, so that their tests run on any machine; QUILLOMIR_NO_AVX2
// leaves out the eight-pixel paths, so that the SSE2 ones can be tested here).
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__)) && !defined(QUILLOMIR_NO_SIMD)
#include <immintrin.h>
#define QUILLOMIR_SSE2 1
#endif

namespace {
// Above this many runs a row is cheaper built once and copied from.
constexpr std::size_t kDirectSpanLimit = 4;
// Runs shorter than this on average (a fine vertical mesh) touch every cache line
// of both rows anyway: such rows are selected eight pixels at a time with AVX2
// rather than copied run by run.
constexpr std::int64_t kSelectRun = 32;

std::int32_t Narrow(std::int64_t v) { return static_cast<std::int32_t>(v); }

// Short runs are copied inline: a call costs more than they do.
void CopyRun(std::uint32_t *out, const std::uint32_t *in, std::size_t n) {
    if (n >= 16) {
        std::memcpy(out, in, n * sizeof(std::uint32_t));
        return;
    }
    for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
}

#ifdef QUILLOMIR_SSE2
bool HasSse2() {
    static const bool has = __builtin_cpu_supports("sse2");
    return has;
}

bool HasAvx2() {
#ifdef QUILLOMIR_NO_AVX2
    return false;
#else
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#endif
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

// Each group of four output pixels is a shuffle of the four source pixels from base.
__attribute__((target("ssse3"))) void ShuffleGroups(const std::uint32_t *source, const std::int32_t *base,
                                                    const std::uint8_t *shuffle, std::size_t groups,
                                                    std::uint32_t *out) {
    for (std::size_t g = 0; g < groups; ++g) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + base[g]));
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i *>(shuffle + 16 * g));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 4 * g), _mm_shuffle_epi8(v, m));
    }
}

// Rows of a large picture or snapshot lie pages apart, where the processor's
// own prefetcher stops: the next row is asked for while this one is composed.
__attribute__((target("sse2"))) void PrefetchRow(const std::uint32_t *row, std::size_t n) {
    for (std::size_t i = 0; i < n; i += 16) _mm_prefetch(reinterpret_cast<const char *>(row + i), _MM_HINT_T0);
}

// out[k] = mask[k % period] ? lit[k] : unlit[k], the mask's entries all bits
// set or clear; period is 8 or at least n.
__attribute__((target("sse2"))) void SelectSse2(const std::uint32_t *lit, const std::uint32_t *unlit,
                                                const std::uint32_t *mask, std::size_t period, std::uint32_t *out,
                                                std::size_t n) {
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i *>(mask + (period == 8 ? i & 7 : i)));
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(lit + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(unlit + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i),
                         _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b)));
    }
    for (; i < n; ++i) out[i] = mask[period == 8 ? i & 7 : i] ? lit[i] : unlit[i];
}

// Where the processor (and its system) has AVX2: out[k] = mask[k % 8] ? lit[k] :
// unlit[k], eight pixels at a time: the whole pattern in one register.
__attribute__((target("avx2"))) void SelectPatternAvx2(const std::uint32_t *lit, const std::uint32_t *unlit,
                                                       const std::uint32_t (&mask)[8], std::uint32_t *out,
                                                       std::size_t n) {
    const __m256i m = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(mask));
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i),
                            _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(unlit + i)),
                                               _mm256_loadu_si256(reinterpret_cast<const __m256i *>(lit + i)), m));
    for (; i < n; ++i) out[i] = mask[i & 7] ? lit[i] : unlit[i];
}

// out[k] = mask[k] ? lit[k] : unlit[k], the mask one byte a pixel (0 or 0xFF):
// a quarter of the memory a mask of pixels would stream through.
__attribute__((target("avx2"))) void SelectBytesAvx2(const std::uint32_t *lit, const std::uint32_t *unlit,
                                                     const std::uint8_t *mask, std::uint32_t *out, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i m = _mm256_cvtepi8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(mask + i)));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i),
                            _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(unlit + i)),
                                               _mm256_loadu_si256(reinterpret_cast<const __m256i *>(lit + i)), m));
    }
    for (; i < n; ++i) out[i] = mask[i] ? lit[i] : unlit[i];
}

__attribute__((target("sse2"))) inline void CopyQuads(std::uint32_t *out, const std::uint32_t *in, std::size_t n) {
    if (n >= 256) {
        std::memcpy(out, in, n * sizeof(std::uint32_t));
        return;
    }
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i)));
    for (; i < n; ++i) out[i] = in[i];
}

// A row of many long runs: the background's gaps and the picture's runs in
// turn, inline with no call per run, so every pixel is written once.
__attribute__((target("sse2"))) void CopyRunsSse2(const MaskSpan *spans, std::size_t count,
                                                  const std::uint32_t *picture, const std::uint32_t *background,
                                                  std::int32_t from, std::int32_t to, std::uint32_t *out) {
    std::int32_t x = from;
    for (std::size_t k = 0; k < count; ++k) {
        const std::int32_t begin = spans[k].begin - from, end = spans[k].end - from;
        CopyQuads(out + (x - from), background + (x - from), static_cast<std::size_t>(begin - (x - from)));
        CopyQuads(out + begin, picture + begin, static_cast<std::size_t>(end - begin));
        x = spans[k].end;
    }
    CopyQuads(out + (x - from), background + (x - from), static_cast<std::size_t>(to - x));
}
#endif

// out[k] takes lit[k] where bit (phase + k) % 8 of the pattern is set, else
// unlit[k]: in one pass with SSE2, else the bulk copied from the source with
// more pixels and the rest one pattern column at a time.
void SelectPattern(const std::uint32_t *lit, const std::uint32_t *unlit, std::uint8_t bits, std::int32_t phase,
                   std::uint32_t *out, std::size_t n) {
#ifdef QUILLOMIR_SSE2
    if (HasSse2()) {
        std::uint32_t mask[8];
        for (std::size_t k = 0; k < 8; ++k)
            mask[k] = (bits >> ((static_cast<std::size_t>(phase) + k) & 7)) & 1u ? ~0u : 0u;
        if (HasAvx2()) return SelectPatternAvx2(lit, unlit, mask, out, n);
        return SelectSse2(lit, unlit, mask, 8, out, n);
    }
#endif
    int count = 0;
    for (int i = 0; i < 8; ++i) count += (bits >> i) & 1;
    const bool mostlyLit = count >= 4;
    CopyRun(out, mostlyLit ? lit : unlit, n);
    const std::uint32_t *other = mostlyLit ? unlit : lit;
    for (std::size_t k = 0; k < 8 && k < n; ++k) {
        const bool isLit = (bits >> ((static_cast<std::size_t>(phase) + k) & 7)) & 1u;
        if (isLit == mostlyLit) continue;
        for (std::size_t i = k; i < n; i += 8) out[i] = other[i];
    }
}
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

void FrameComposer::GatherColumns(const std::uint32_t *source, std::size_t first, std::size_t count,
                                  std::uint32_t *out) const {
    const std::int32_t *column = columns_.data();
    std::size_t i = first;
    const std::size_t end = first + count;
#ifdef QUILLOMIR_SSE2
    if (!groupBase_.empty()) {
        for (; i < end && i % 4 != 0; ++i) *out++ = source[column[i]];
        const std::size_t groups = (end - i) / 4;
        ShuffleGroups(source, groupBase_.data() + i / 4, groupShuffle_.data() + 16 * (i / 4), groups, out);
        out += 4 * groups;
        i += 4 * groups;
    }
#endif
    for (; i < end; ++i) *out++ = source[column[i]];
}

void FrameComposer::PlanGroups(std::size_t n) {
    groupBase_.clear();
    groupShuffle_.clear();
#ifdef QUILLOMIR_SSE2
    // Only when every group of four reads at most four neighbouring source
    // pixels (scaling up), all within the columns this area reads.
    if (!HasSsse3() || n < 4 || columns_[n - 1] - columns_[0] < 3) return;
    const std::int32_t high = columns_[n - 1];
    for (std::size_t i = 0; i + 4 <= n; i += 4)
        if (columns_[i + 3] - columns_[i] > 3) return;
    for (std::size_t i = 0; i + 4 <= n; i += 4) {
        const std::int32_t base = std::min(columns_[i], high - 3);
        groupBase_.push_back(base);
        for (std::size_t k = 0; k < 4; ++k)
            for (std::int32_t b = 0; b < 4; ++b)
                groupShuffle_.push_back(static_cast<std::uint8_t>(4 * (columns_[i + k] - base) + b));
    }
#endif
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
        if (identityColumns_)
            std::memcpy(out, src + (from - pic.originX), n * sizeof(std::uint32_t));
        else
            GatherColumns(src, static_cast<std::size_t>(from - columnsFrom_), n, out);
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

void FrameComposer::BackgroundRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to,
                                  std::uint8_t bits, std::uint32_t *out) const {
    const BackgroundView &bg = *job.background;
    const std::int64_t n = to - from;
    const std::int32_t ty = job.y + py;
    // Columns a .. b - 1 of the run lie in the view; the rest is black.
    const std::int64_t base = std::int64_t{job.x} + from - bg.box.left;
    std::int64_t a = 0, b = 0;
    const std::uint32_t *row = nullptr;
    if (ty >= bg.box.top && ty < bg.box.bottom) {
        a = std::clamp<std::int64_t>(-base, 0, n);
        b = std::clamp<std::int64_t>(bg.box.Width() - base, 0, n);
        row = bg.top + static_cast<std::ptrdiff_t>(ty - bg.box.top) * bg.stride;
    }
    if (bits == 0xFF) {
        std::fill(out, out + a, 0u);
        if (a < b) std::memcpy(out + a, row + base + a, static_cast<std::size_t>(b - a) * sizeof(std::uint32_t));
        std::fill(out + std::max(a, b), out + n, 0u);
        return;
    }
    for (std::int64_t phase = 0; phase < 8 && phase < n; ++phase) {
        if (!((bits >> ((from + phase) & 7)) & 1u)) continue;
        std::int64_t k = phase;
        for (; k < n && k < a; k += 8) out[k] = 0;
        for (; k < b; k += 8) out[k] = row[base + k];
        for (; k < n; k += 8) out[k] = 0;
    }
}

void FrameComposer::RowSpans(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to) {
    const std::int64_t key = job.mask->RowKey(py);
    if (spansKept_ && key == spansKey_ && from == spansFrom_ && to == spansTo_) return;
    job.mask->Spans(py, from, to, spans_);
    spansKept_ = true;
    spansKey_ = key;
    spansFrom_ = from;
    spansTo_ = to;
}

const std::uint32_t *FrameComposer::ScaledRow(const FrameJob &job, std::int32_t py, std::int32_t from,
                                              std::int32_t to) {
    const PictureView &pic = job.picture;
    const std::int32_t sy = NearestSource(py, pic.height, job.height);
    const std::uint32_t *src = pic.origin + (sy - pic.originY) * pic.stride;
    if (identityColumns_) return src + (from - pic.originX);
    if (scaledKept_ && sy == scaledSource_ && from == scaledFrom_ && to == scaledTo_) return scaledRow_.data();
    const std::size_t n = static_cast<std::size_t>(to - from);
    if (scaledRow_.size() < n) scaledRow_.resize(n);
    GatherColumns(src, static_cast<std::size_t>(from - columnsFrom_), n, scaledRow_.data());
    scaledKept_ = true;
    scaledSource_ = sy;
    scaledFrom_ = from;
    scaledTo_ = to;
    return scaledRow_.data();
}

const std::uint32_t *FrameComposer::BackgroundPixels(const FrameJob &job, std::int32_t py, std::int32_t from,
                                                     std::int32_t to) {
    const BackgroundView &bg = *job.background;
    const std::int32_t ty = job.y + py;
    const std::int64_t left = std::int64_t{job.x} + from, right = std::int64_t{job.x} + to;
    if (ty >= bg.box.top && ty < bg.box.bottom && left >= bg.box.left && right <= bg.box.right)
        return bg.top + static_cast<std::ptrdiff_t>(ty - bg.box.top) * bg.stride + (left - bg.box.left);
    const std::size_t n = static_cast<std::size_t>(to - from);
    if (backgroundRow_.size() < n) backgroundRow_.resize(n);
    BackgroundRow(job, py, from, to, 0xFF, backgroundRow_.data());
    return backgroundRow_.data();
}

void FrameComposer::PlainRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to,
                             std::uint32_t *out) {
    const std::size_t n = static_cast<std::size_t>(to - from);
    const std::uint32_t *background = BackgroundPixels(job, py, from, to);
    const std::int32_t sy = NearestSource(py, job.picture.height, job.height);
    bool first = false, last = false; // whether the picture's edge columns are revealed
    if (job.mask->Patterned()) {
        const std::uint8_t bits = job.mask->PatternBits(py);
        if (bits == 0)
            CopyRun(out, background, n);
        else if (bits == 0xFF)
            CopyRun(out, ScaledRow(job, py, from, to), n);
        else {
            PrefetchNext(job, py, from, to);
            SelectPattern(ScaledRow(job, py, from, to), background, bits, from & 7, out, n);
        }
        first = bits & 1u;
        last = (bits >> ((job.width - 1) & 7)) & 1u;
        lastOut_ = nullptr;
    } else {
        // A row of the same runs from the same source row as the last one
        // takes its picture pixels from there: a copy instead of a gather.
        const bool again = lastOut_ && spansKept_ && job.mask->RowKey(py) == spansKey_ && sy == lastSource_;
        RowSpans(job, py, from, to);
        const std::uint32_t *picture = nullptr;
        if (again)
            picture = lastOut_;
        else if (identityColumns_ || spans_.size() > kDirectSpanLimit)
            picture = spans_.empty() ? nullptr : ScaledRow(job, py, from, to);
#ifdef QUILLOMIR_SSE2
        if (picture && spans_.size() > kDirectSpanLimit && HasSse2()) {
            // Short runs are selected four or eight pixels at a time, longer ones copied.
            std::int64_t white = 0;
            for (const MaskSpan &span : spans_) white += span.end - span.begin;
            if (HasAvx2() && white < kSelectRun * static_cast<std::int64_t>(spans_.size())) {
                PrefetchNext(job, py, from, to);
                SelectBytesAvx2(picture, background, SpanBytes(job, py, from, to), out, n);
            } else if (!HasAvx2() && white < 8 * static_cast<std::int64_t>(spans_.size())) {
                PrefetchNext(job, py, from, to);
                SelectSse2(picture, background, SpanMask(job, py, from, to), n, out, n);
            } else
                CopyRunsSse2(spans_.data(), spans_.size(), picture, background, from, to, out);
        } else
#endif
        {
            const std::uint32_t *source = job.picture.origin + (sy - job.picture.originY) * job.picture.stride;
            std::int32_t x = from;
            for (const MaskSpan &span : spans_) {
                CopyRun(out + (x - from), background + (x - from), static_cast<std::size_t>(span.begin - x));
                const std::size_t length = static_cast<std::size_t>(span.end - span.begin);
                if (picture)
                    CopyRun(out + (span.begin - from), picture + (span.begin - from), length);
                else
                    GatherColumns(source, static_cast<std::size_t>(span.begin - columnsFrom_), length,
                                  out + (span.begin - from));
                x = span.end;
            }
            CopyRun(out + (x - from), background + (x - from), static_cast<std::size_t>(to - x));
        }
        first = !spans_.empty() && spans_.front().begin == 0;
        last = !spans_.empty() && spans_.back().end == job.width;
        lastOut_ = out;
        lastSource_ = sy;
    }
    if (job.frame) {
        if (from == 0 && first) out[0] = 0;
        if (to == job.width && last) out[n - 1] = 0;
    }
}

const std::uint8_t *FrameComposer::SpanBytes(const FrameJob &job, std::int32_t py, std::int32_t from,
                                            std::int32_t to) {
    const std::int64_t key = job.mask->RowKey(py);
    if (maskKept_ && key == maskKey_) return maskBytes_.data();
    const std::size_t n = static_cast<std::size_t>(to - from);
    if (maskBytes_.size() < n) maskBytes_.resize(n);
    std::fill(maskBytes_.begin(), maskBytes_.begin() + static_cast<std::ptrdiff_t>(n), std::uint8_t{0});
    for (const MaskSpan &span : spans_)
        std::fill(maskBytes_.begin() + (span.begin - from), maskBytes_.begin() + (span.end - from), std::uint8_t{0xFF});
    maskKept_ = true;
    maskKey_ = key;
    return maskBytes_.data();
}

const std::uint32_t *FrameComposer::SpanMask(const FrameJob &job, std::int32_t py, std::int32_t from,
                                             std::int32_t to) {
    const std::int64_t key = job.mask->RowKey(py);
    if (maskKept_ && key == maskKey_) return maskRow_.data();
    const std::size_t n = static_cast<std::size_t>(to - from);
    if (maskRow_.size() < n) maskRow_.resize(n);
    std::fill(maskRow_.begin(), maskRow_.begin() + static_cast<std::ptrdiff_t>(n), 0u);
    for (const MaskSpan &span : spans_)
        std::fill(maskRow_.begin() + (span.begin - from), maskRow_.begin() + (span.end - from), ~0u);
    maskKept_ = true;
    maskKey_ = key;
    return maskRow_.data();
}

void FrameComposer::SpanRow(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to,
                            std::uint32_t *out) {
    RowSpans(job, py, from, to);
    if (job.background) { // the black gaps between the runs
        std::int32_t x = from;
        for (const MaskSpan &span : spans_) {
            if (span.begin > x) BackgroundRow(job, py, x, span.begin, 0xFF, out + (x - from));
            x = span.end;
        }
        if (x < to) BackgroundRow(job, py, x, to, 0xFF, out + (x - from));
    }
    if (spans_.size() <= kDirectSpanLimit) {
        for (const MaskSpan &span : spans_) PictureRow(job, py, span.begin, span.end, out + (span.begin - from));
        return;
    }
    const std::size_t n = static_cast<std::size_t>(to - from);
    if (row_.size() < n) row_.resize(n);
    PictureRow(job, py, from, to, row_.data());
    for (const MaskSpan &span : spans_)
        std::memcpy(out + (span.begin - from), row_.data() + (span.begin - from),
                    static_cast<std::size_t>(span.end - span.begin) * sizeof(std::uint32_t));
}

std::uint32_t *FrameComposer::CanvasRow(const PixelCanvas &canvas, std::int32_t ty, std::int32_t tx) const {
    return canvas.top + static_cast<std::ptrdiff_t>(ty - canvas.box.top) * canvas.stride + (tx - canvas.box.left);
}

bool FrameComposer::Prepare(const FrameJob &job, const PixelCanvas &canvas, PixelBox &area) {
    scratchBytes_ = 0;
    area = VisibleArea(canvas.box, job.x, job.y, job.width, job.height);
    if (area.Empty() || !job.mask) return false;
    const std::int32_t from = area.left - job.x, to = area.right - job.x;
    identityColumns_ = job.width == job.picture.width;
    // The column map lasts while the visible columns and the scaling stay.
    if (!identityColumns_ && (from != columnsFrom_ || to != columnsTo_ || job.width != columnsWidth_ ||
                              job.picture.width != columnsSource_ || job.picture.originX != columnsOrigin_)) {
        const std::size_t n = static_cast<std::size_t>(to - from);
        if (columns_.size() < n) columns_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            columns_[i] = NearestSource(from + static_cast<std::int32_t>(i), job.picture.width, job.width) -
                          job.picture.originX;
        columnsFrom_ = from;
        columnsTo_ = to;
        columnsWidth_ = job.width;
        columnsSource_ = job.picture.width;
        columnsOrigin_ = job.picture.originX;
        PlanGroups(n);
    }
    scratchBytes_ =
        (columns_.capacity() + row_.capacity() + scaledRow_.capacity() + backgroundRow_.capacity() +
         maskRow_.capacity() + groupBase_.capacity()) *
            sizeof(std::uint32_t) +
        groupShuffle_.capacity() + maskBytes_.capacity() +
        (spans_.capacity() + revealed_.capacity() + hidden_.capacity() + before_.capacity() + after_.capacity()) *
            sizeof(MaskSpan);
    return true;
}

void FrameComposer::PrefetchNext(const FrameJob &job, std::int32_t py, std::int32_t from, std::int32_t to) const {
#ifdef QUILLOMIR_SSE2
    if (py >= lastRow_ || !HasSse2()) return;
    const PictureView &pic = job.picture;
    const std::int32_t sy = NearestSource(py, pic.height, job.height);
    const std::int32_t next = NearestSource(py + 1, pic.height, job.height);
    if (next != sy && pic.origin) {
        const std::uint32_t *src = pic.origin + (next - pic.originY) * pic.stride;
        if (identityColumns_)
            PrefetchRow(src + (from - pic.originX), static_cast<std::size_t>(to - from));
        else
            PrefetchRow(src + columns_[static_cast<std::size_t>(from - columnsFrom_)],
                        static_cast<std::size_t>(columns_[static_cast<std::size_t>(to - 1 - columnsFrom_)] -
                                                 columns_[static_cast<std::size_t>(from - columnsFrom_)] + 1));
    }
    if (!job.background) return;
    const BackgroundView &bg = *job.background;
    const std::int32_t ty = job.y + py + 1;
    const std::int64_t left = std::max<std::int64_t>(std::int64_t{job.x} + from, bg.box.left);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{job.x} + to, bg.box.right);
    if (ty >= bg.box.top && ty < bg.box.bottom && left < right)
        PrefetchRow(bg.top + static_cast<std::ptrdiff_t>(ty - bg.box.top) * bg.stride + (left - bg.box.left),
                    static_cast<std::size_t>(right - left));
#else
    (void)job, (void)py, (void)from, (void)to;
#endif
}

void FrameComposer::Compose(const FrameJob &job, const PixelCanvas &canvas, const PixelBox &box) {
    PixelBox visible;
    if (!Prepare(job, canvas, visible)) return;
    const PixelBox area = VisibleArea(box, visible.left, visible.top, visible.Width(), visible.Height());
    if (area.Empty()) return;
    const std::int32_t from = area.left - job.x, to = area.right - job.x;
    const LabelView &label = job.label;
    spansKept_ = scaledKept_ = maskKept_ = false;
    lastOut_ = nullptr;
    lastRow_ = area.bottom - 1 - job.y;
    for (std::int32_t ty = area.top; ty < area.bottom; ++ty) {
        const std::int32_t py = ty - job.y;
        std::uint32_t *out = CanvasRow(canvas, ty, area.left);
        const bool frameRow = job.frame && (py == 0 || py == job.height - 1);
        const bool labelRow = label.pixels && py >= label.box.top && py < label.box.bottom;
        if (job.background && !frameRow && !labelRow) {
            PlainRow(job, py, from, to, out);
            continue;
        }
        lastOut_ = nullptr;
        if (!job.mask->Patterned()) {
            SpanRow(job, py, from, to, out);
            continue;
        }
        const std::uint8_t bits = job.mask->PatternBits(py);
        if (bits != 0xFF && job.background)
            BackgroundRow(job, py, from, to, static_cast<std::uint8_t>(~bits), out);
        if (bits == 0xFF)
            PictureRow(job, py, from, to, out);
        else if (bits != 0)
            DitheredRow(job, py, from, to, bits, out);
    }
}

void FrameComposer::FindChanges(const FrameJob &job, const MaskRows &before, const PixelBox &visible,
                                ChangedArea &changed) {
    const PixelBox area = VisibleArea(visible, job.x, job.y, job.width, job.height);
    if (area.Empty() || !job.mask) return;
    const std::int32_t from = area.left - job.x, to = area.right - job.x;
    if (before.Patterned() && job.mask->Patterned()) {
        // A switched cell of the pattern touches every eighth pixel of its rows.
        for (std::int32_t ty = area.top; ty < area.bottom; ++ty)
            if (before.PatternBits(ty - job.y) != job.mask->PatternBits(ty - job.y))
                changed.AddRun(ty, area.left, area.right);
        return;
    }
    RowBand bands[2];
    MaskChangedRows(before, *job.mask, bands);
    if (bands[1].top < bands[0].top) std::swap(bands[0], bands[1]);
    if (bands[1].top <= bands[0].bottom) { // overlapping bands are read once
        bands[0].bottom = std::max(bands[0].bottom, bands[1].bottom);
        bands[1] = {0, 0};
    }
    for (const RowBand &band : bands) {
        const std::int32_t top = std::max(area.top, job.y + band.top);
        const std::int32_t bottom = std::min(area.bottom, job.y + band.bottom);
        for (std::int32_t ty = top; ty < bottom; ++ty) {
            MaskRowChange(before, *job.mask, ty - job.y, from, to, revealed_, hidden_, before_, after_);
            // Both kinds of run, left to right.
            std::size_t r = 0, h = 0;
            while (r < revealed_.size() || h < hidden_.size()) {
                const bool takeRevealed =
                    h == hidden_.size() || (r < revealed_.size() && revealed_[r].begin < hidden_[h].begin);
                const MaskSpan &span = takeRevealed ? revealed_[r++] : hidden_[h++];
                changed.AddRun(ty, job.x + span.begin, job.x + span.end);
            }
        }
    }
}

void ChangedArea::Clear() {
    open_.clear();
    closed_.clear();
    next_.clear();
    cursor_ = 0;
    started_ = false;
}

void ChangedArea::AddBox(const PixelBox &box) {
    if (!box.Empty()) closed_.push_back(box);
}

void ChangedArea::NextRow(std::int32_t y) {
    // Rectangles the last row did not grow are finished; so is everything when a row was skipped.
    for (std::size_t i = cursor_; i < open_.size(); ++i) closed_.push_back(open_[i].box);
    open_.clear();
    if (started_ && y == row_ + 1) open_.swap(next_);
    for (const Open &o : next_) closed_.push_back(o.box);
    next_.clear();
    cursor_ = 0;
    row_ = y;
    started_ = true;
}

bool ChangedArea::Grow(Open &o, std::int32_t y, std::int32_t begin, std::int32_t end) {
    // Runs far apart stay apart, however cheap joining them looks for one row:
    // the arcs of a ring each grow down their own side.
    if (begin > o.box.right + kJoinGap || end < o.box.left - kJoinGap) return false;
    const std::int64_t left = std::min(o.box.left, begin), right = std::max(o.box.right, end);
    const std::int64_t pixels = o.pixels + (end - begin);
    if ((right - left) * (std::int64_t{y} + 1 - o.box.top) > 2 * pixels + kCallPixels) return false;
    o.box = {static_cast<std::int32_t>(left), o.box.top, static_cast<std::int32_t>(right), y + 1};
    o.pixels = pixels;
    return true;
}

void ChangedArea::AddRun(std::int32_t y, std::int32_t begin, std::int32_t end) {
    if (begin >= end) return;
    if (!started_ || y != row_) NextRow(y);
    // Last row's rectangles lie left to right, as do this row's runs: one that
    // ends well before this run can take no later run either.
    while (cursor_ < open_.size() && open_[cursor_].box.right < begin - kJoinGap) {
        closed_.push_back(open_[cursor_].box);
        ++cursor_;
    }
    if (!next_.empty() && Grow(next_.back(), y, begin, end)) return;
    for (std::size_t i = cursor_; i < open_.size() && open_[i].box.left <= end + kJoinGap; ++i) {
        if (!Grow(open_[i], y, begin, end)) continue;
        // Taken into this row; the ones it passed over are finished.
        for (std::size_t k = cursor_; k < i; ++k) closed_.push_back(open_[k].box);
        next_.push_back(open_[i]);
        cursor_ = i + 1;
        return;
    }
    next_.push_back({{begin, y, end, y + 1}, end - begin});
}

const std::vector<PixelBox> &ChangedArea::Boxes() {
    for (std::size_t i = cursor_; i < open_.size(); ++i) closed_.push_back(open_[i].box);
    for (const Open &o : next_) closed_.push_back(o.box);
    open_.clear();
    next_.clear();
    cursor_ = 0;
    started_ = false;
    return closed_;
}
