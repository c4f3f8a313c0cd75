// Times one frame three ways on the same window and frames: the literal GDI
// compositor, ComposeFrame, and the floor (one copy of a screen-sized 32-bit
// memory bitmap to the window). Prints one machine-readable line per case, a
// table, and whether the targets are met (exit code 1 when one is not).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/literal_compose_win.h"
#include "slideshow/compose_frame.h"

namespace {

constexpr int kFrames = 25;      // medians over these
constexpr int kWarmFrames = 2;   // first frames fault in scratch and caches
constexpr double kLiteralTarget = 10.0; // at least this much faster, picture larger than the screen
constexpr double kFloorTarget = 8.0;    // at most this many floors, every case
constexpr std::size_t kSlackBytes = 576 * 1024; // working memory beyond the visible area's pixels

struct Screen {
    int width, height;
};
struct PictureCase {
    int width, height, scale;
};
struct Mode {
    int style, level;
    BOOL clock;
};

struct Result {
    std::string name;
    Screen screen;
    PictureCase picture;
    Mode mode;
    double literalMs, oursMs, floorMs;
    std::size_t frameBytes;
    bool largerThanScreen;
};

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Draw> double TimeMs(Draw draw) {
    const double start = NowMs();
    draw();
    GdiFlush();
    return NowMs() - start;
}

// The literal way runs on its own: its picture-sized surfaces, allocated and
// freed every frame, would slow whatever ran next. Ours and the floor take
// turns frame by frame, so a busy moment of the machine falls on both alike.
// The message queue is left alone while timing: Wine would hand the window's
// pixels to the X server meanwhile, which is no part of a frame's cost.
template <typename A, typename B, typename C>
void MedianMs(A literal, B ours, C floor, double &literalMs, double &oursMs, double &floorMs) {
    std::vector<double> times[3];
    for (int i = 0; i < kWarmFrames + kFrames; ++i) {
        const double t = TimeMs(literal);
        if (i >= kWarmFrames) times[0].push_back(t);
    }
    for (int i = 0; i < kWarmFrames + kFrames; ++i) {
        const double a = TimeMs(ours), b = TimeMs(floor);
        if (i < kWarmFrames) continue;
        times[1].push_back(a);
        times[2].push_back(b);
    }
    literalMs = Median(times[0]);
    oursMs = Median(times[1]);
    floorMs = Median(times[2]);
}

HBITMAP MakeDib(HDC dc, int width, int height, std::uint32_t **bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    *bits = static_cast<std::uint32_t *>(memory);
    return bitmap;
}

// A photo-like picture: smooth gradients with fine detail, every pixel written.
HBITMAP MakePicture(HDC dc, int width, int height) {
    std::uint32_t *bits = nullptr;
    HBITMAP bitmap = MakeDib(dc, width, height, &bits);
    if (!bitmap) return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[static_cast<std::size_t>(y) * width + x] =
                (((x * 255 / width) & 0xFF) << 16) | (((y * 255 / height) & 0xFF) << 8) | ((x ^ y) & 0xFF);
    return bitmap;
}

// The desktop snapshot: a bitmap compatible with the window, as the slideshow takes it.
HBITMAP MakeSnapshot(HDC window, int width, int height) {
    HBITMAP snapshot = CreateCompatibleBitmap(window, width, height);
    std::uint32_t *bits = nullptr;
    HBITMAP pattern = MakeDib(window, width, height, &bits);
    for (int i = 0; i < width * height; ++i) bits[i] = 0x203040u + static_cast<std::uint32_t>((i * 2654435761u) >> 24);
    HDC from = CreateCompatibleDC(window), to = CreateCompatibleDC(window);
    HGDIOBJ oldFrom = SelectObject(from, pattern), oldTo = SelectObject(to, snapshot);
    BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(pattern);
    return snapshot;
}

std::string CaseName(const Screen &s, const PictureCase &p, const Mode &m) {
    char name[128];
    std::snprintf(name, sizeof(name), "%dx%d/%dx%d@%d/style%d-L%d%s", s.width, s.height, p.width, p.height, p.scale,
                  m.style, m.level, m.clock ? "-clock" : "");
    return name;
}

void RunScreen(const Screen &screen, std::vector<Result> &results) {
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "ComposeBench", "Compose benchmark", WS_POPUP | WS_VISIBLE, 0, 0,
                                  screen.width, screen.height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) return;
    PumpMessages();
    HDC dc = GetDC(window);
    HBITMAP snapshot = MakeSnapshot(dc, screen.width, screen.height);
    HPALETTE palette = CreateHalftonePalette(dc);

    std::uint32_t *floorBits = nullptr;
    HBITMAP floorBitmap = MakeDib(dc, screen.width, screen.height, &floorBits);
    std::fill(floorBits, floorBits + static_cast<std::size_t>(screen.width) * screen.height, 0x336699u);
    HDC floorDc = CreateCompatibleDC(dc);
    HGDIOBJ oldFloor = SelectObject(floorDc, floorBitmap);

    const PictureCase pictures[] = {{800, 600, 100}, {4000, 3000, 100}, {1600, 1200, 150}};
    const Mode modes[] = {{1, 50, FALSE}, {2, 50, FALSE}, {5, 50, FALSE}, {0, 100, TRUE}};
    for (const PictureCase &p : pictures) {
        HBITMAP picture = MakePicture(dc, p.width, p.height);
        if (!picture) continue;
        const int sw = p.width * p.scale / 100, sh = p.height * p.scale / 100;
        const int x = screen.width / 2 - sw / 2, y = screen.height / 2 - sh / 2;
        for (const Mode &m : modes) {
            Result r{CaseName(screen, p, m), screen, p, m, 0, 0, 0, 0, sw > screen.width || sh > screen.height};
            MedianMs([&] { LiteralComposeFrame(dc, x, y, palette, picture, p.scale, m.level, snapshot, TRUE, m.style,
                                               m.clock); },
                     [&] {
                         ComposeFrame(dc, x, y, palette, picture, p.scale, m.level, snapshot, TRUE, m.style, m.clock);
                         r.frameBytes = std::max(r.frameBytes, LastComposeFrameBytes());
                     },
                     [&] { BitBlt(dc, 0, 0, screen.width, screen.height, floorDc, 0, 0, SRCCOPY); }, r.literalMs,
                     r.oursMs, r.floorMs);
            std::printf("case=%s literal_ms=%.3f ours_ms=%.3f floor_ms=%.3f ours_vs_literal=%.4f ours_vs_floor=%.2f "
                        "frame_bytes=%u\n",
                        r.name.c_str(), r.literalMs, r.oursMs, r.floorMs, r.oursMs / r.literalMs, r.oursMs / r.floorMs,
                        static_cast<unsigned>(r.frameBytes));
            std::fflush(stdout);
            results.push_back(r);
            PumpMessages();
        }
        DeleteObject(picture);
    }
    SelectObject(floorDc, oldFloor);
    DeleteDC(floorDc);
    DeleteObject(floorBitmap);
    DeleteObject(palette);
    DeleteObject(snapshot);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    PumpMessages();
}

const char *StyleName(int style) {
    static const char *names[] = {"Instant Display", "Dissolve", "Horizontal Mesh", "Vertical Mesh",
                                  "Ellipse Inwards", "Ellipse Outwards", "Four Corners"};
    return style >= 0 && style <= 6 ? names[style] : "?";
}

} // namespace

int main() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "ComposeBench";
    RegisterClassA(&windowClass);

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %dx%d, %d frames per median\n", screenWidth, screenHeight, kFrames);
    std::vector<Result> results;
    for (const Screen &s : {Screen{1024, 768}, Screen{1920, 1080}}) {
        // A smaller screen is a window of its size: the snapshot and the floor follow the window.
        if (s.width > screenWidth || s.height > screenHeight) {
            std::printf("skipped %dx%d: the screen is %dx%d\n", s.width, s.height, screenWidth, screenHeight);
            continue;
        }
        RunScreen(s, results);
    }

    std::printf("\n| Screen | Picture | Scale | Style | Level | Clock | Literal ms | Ours ms | Floor ms | Ours / literal | "
                "Ours / floor | Frame KiB |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    bool met = !results.empty();
    for (const Result &r : results) {
        std::printf("| %dx%d | %dx%d | %d %% | %s | %d | %s | %.2f | %.2f | %.2f | %.3f | %.1f | %u |\n",
                    r.screen.width, r.screen.height, r.picture.width, r.picture.height, r.picture.scale,
                    StyleName(r.mode.style), r.mode.level, r.mode.clock ? "on" : "off", r.literalMs, r.oursMs,
                    r.floorMs, r.oursMs / r.literalMs, r.oursMs / r.floorMs, static_cast<unsigned>(r.frameBytes / 1024));
        // Working memory: the visible area, a band of snapshot rows, the label and row scratch.
        const std::size_t visible = static_cast<std::size_t>(std::min(r.screen.width, r.picture.width * r.picture.scale / 100)) *
                                    std::min(r.screen.height, r.picture.height * r.picture.scale / 100) * 4;
        if (r.frameBytes > visible + kSlackBytes) met = false;
        if (r.oursMs > kFloorTarget * r.floorMs) met = false;
        if (r.largerThanScreen && r.literalMs < kLiteralTarget * r.oursMs) met = false;
    }
    std::printf("\ntargets (>= %.0fx faster than literal for pictures larger than the screen, <= %.0fx the floor, "
                "working memory at most the visible area's pixels + %u KiB): %s\n",
                kLiteralTarget, kFloorTarget, static_cast<unsigned>(kSlackBytes / 1024), met ? "met" : "NOT met");
    return met ? 0 : 1;
}
