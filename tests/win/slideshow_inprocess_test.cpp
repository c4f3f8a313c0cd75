// The slideshow hosted in the test process: what the preview draws (a child
// window of another process is not drawn under Wine), that a paint the system
// asks for draws the whole frame again, and that hundreds of picture cycles
// leave no GDI object behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "host/host.h"
#include "module/module.h"
#include "resources/resource.h"
#include "tests/support/e2e.h"
#include "tests/support/gdi_probe.h"
#include "tests/support/scratch_hive.h"

namespace {

void NameSlot(char (&name)[16], int i) { std::snprintf(name, sizeof(name), "Image%05d", i); }

// Colour of the pixel in the window's client area, read from the screen.
std::uint32_t ClientPixel(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

struct PreviewRun {
    HWND parent = nullptr;
    HWND preview = nullptr;
    std::vector<std::pair<DWORD, std::uint32_t>> centre; // (tick, colour) at each sample
    std::string edges;                                   // pixels along the picture's edges, once it shows
    DWORD start = 0;
};
PreviewRun *run = nullptr;

void CALLBACK Sample(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!run->preview) {
        run->preview = FindWindowExA(run->parent, nullptr, "WindowsScreenSaverClass", "Preview");
        run->start = GetTickCount();
    }
    const DWORD now = GetTickCount() - run->start;
    run->centre.emplace_back(now, ClientPixel(run->preview, 76, 56));
    if (run->edges.empty() && run->centre.back().second == 0xFF0000) {
        // Each pair: just outside the picture, then just inside it.
        for (const POINT &p : {POINT{2, 56}, POINT{3, 56}, POINT{150, 56}, POINT{149, 56}, POINT{76, 0},
                               POINT{76, 1}, POINT{76, 111}, POINT{76, 110}, POINT{1, 1}})
            run->edges += ClientPixel(run->preview, p.x, p.y) ? "+" : "0";
    }
    if (now > 2600) {
        KillTimer(nullptr, timer);
        DestroyWindow(run->parent);
    }
}

} // namespace

TEST(SlideshowInProcess, PreviewShowsTheFittedPictureCentredOnBlackAndChangesAtItsPeriod) {
    ScratchHive hive("PreviewDraws");
    ASSERT_TRUE(hive.Ready());
    const std::string red = e2e::ScratchPath("preview-red.bmp"), blue = e2e::ScratchPath("preview-blue.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(red, 640, 480, 0xFF0000));
    ASSERT_TRUE(e2e::WriteSolidBmp(blue, 640, 480, 0x0000FF));
    hive.SetDword("ImageCount", 2);
    hive.SetString("Image00000", red);
    hive.SetString("Image00001", blue);
    hive.SetDword("DisplayDuration", 1); // P = 1000 ms: no fade terms at step 200
    hive.SetDword("StepSize", 200);

    RECT r = {0, 0, 152, 112};
    AdjustWindowRect(&r, WS_POPUP | WS_BORDER, FALSE);
    PreviewRun state;
    run = &state;
    state.parent = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 100,
                                   r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(state.parent, nullptr);
    SetTimer(nullptr, 0, 50, Sample);
    EXPECT_EQ(RunSaverWindow(state.parent), 0);
    run = nullptr;

    // 640 x 480 in 152 x 112: drawn 147 x 110 at (3, 1), black around it.
    EXPECT_EQ(state.edges, "0+0+0+0+0");

    // Red first, blue after one period, red again after the next.
    std::vector<std::pair<DWORD, std::uint32_t>> changes;
    for (const auto &sample : state.centre)
        if (changes.empty() || changes.back().second != sample.second) changes.push_back(sample);
    std::string seen;
    for (const auto &c : changes) seen += std::to_string(c.first) + ":" + std::to_string(c.second) + " ";
    size_t first = 0;
    while (first < changes.size() && changes[first].second != 0xFF0000) ++first;
    ASSERT_LT(first + 2, changes.size()) << seen;
    EXPECT_EQ(changes[first + 1].second, 0x0000FFu) << seen;
    EXPECT_EQ(changes[first + 2].second, 0xFF0000u) << seen;
    const DWORD period = changes[first + 2].first - changes[first + 1].first;
    EXPECT_GE(period, 850u) << seen;
    EXPECT_LE(period, 1250u) << seen;
}

namespace {
struct ExposeRun {
    HWND saver = nullptr;
    DWORD start = 0;
    int step = 0;
    std::uint32_t before = 1, scribbled = 1, after = 1;
};
ExposeRun *expose = nullptr;

// Once the picture is held, spoils part of the window as another window lying
// over it would, then asks for the window to be painted, as the system does.
void CALLBACK ExposeStep(HWND, UINT, UINT_PTR timer, DWORD) {
    ExposeRun &e = *expose;
    if (!e.saver) {
        e.saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
        e.start = GetTickCount();
        return;
    }
    const DWORD now = GetTickCount() - e.start;
    RECT client;
    GetClientRect(e.saver, &client);
    const int cx = client.right / 2, cy = client.bottom / 2;
    RECT spoilt = {cx - 20, cy - 20, cx + 20, cy + 20};
    if (e.step == 0 && now > 600) {
        e.before = ClientPixel(e.saver, cx, cy);
        HDC dc = GetDC(e.saver);
        FillRect(dc, &spoilt, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ReleaseDC(e.saver, dc);
        e.step = 1;
    } else if (e.step == 1 && now > 900) {
        e.scribbled = ClientPixel(e.saver, cx, cy);
        InvalidateRect(e.saver, nullptr, FALSE);
        e.step = 2;
    } else if (e.step == 2 && now > 1200) {
        e.after = ClientPixel(e.saver, cx, cy);
        KillTimer(nullptr, timer);
        PostMessageA(e.saver, WM_CLOSE, 0, 0);
    }
}
} // namespace

TEST(SlideshowInProcess, APaintTheSystemAsksForDrawsTheWholeFrameAgain) {
    // Frames of a show draw only what changed since the last one; a paint the
    // saver did not ask for must not, since the window's pixels may be lost.
    ScratchHive hive("Expose");
    ASSERT_TRUE(hive.Ready());
    const std::string red = e2e::ScratchPath("expose-red.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(red, 400, 300, 0xFF0000));
    hive.SetDword("ImageCount", 1);
    hive.SetString("Image00000", red);
    hive.SetDword("FadeInStyle", 1); // Instant Display
    hive.SetDword("DisplayDuration", 60);
    hive.SetDword("DisplayTime", 0);
    hive.SetDword("CenterPicture", 1);
    ExposeRun state;
    expose = &state;
    SetTimer(nullptr, 0, 50, ExposeStep);
    EXPECT_EQ(RunSaverWindow(nullptr), 0);
    expose = nullptr;
    EXPECT_EQ(state.before, 0xFF0000u);
    EXPECT_EQ(state.scribbled, 0xFFFFFFu);
    EXPECT_EQ(state.after, 0xFF0000u);
}

namespace {
int cyclesLeft = 0;
HHOOK cycleHook = nullptr;

// Counts the next-picture commands the saver takes from its queue, and now
// and then tells it the monitor layout changed, so it rebuilds its shows.
LRESULT CALLBACK CountCycles(int code, WPARAM wParam, LPARAM lParam) {
    const MSG *message = reinterpret_cast<const MSG *>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_COMMAND &&
        message->wParam == CMD_NEXT_PICTURE) {
        if (--cyclesLeft == 0) PostMessageA(message->hwnd, WM_CLOSE, 0, 0);
        if (cyclesLeft % 40 == 20) PostMessageA(message->hwnd, WM_DISPLAYCHANGE, 32, 0);
    }
    return CallNextHookEx(cycleHook, code, wParam, lParam);
}
} // namespace

TEST(SlideshowInProcess, FiveHundredCyclesAndLayoutChangesLeaveNoGdiObjectBehind) {
    ScratchHive hive("Soak");
    ASSERT_TRUE(hive.Ready());
    // Every kind of file the image library meets, a missing one, and an empty slot last.
    std::istringstream files("jpeg_baseline.jpg jpeg_progressive.jpg jpeg_exif6.jpg gif_plain.gif "
                             "gif_transparent.gif bmp8_rle.bmp bmp24.bmp bmp32.bmp png_alpha.png bmp4.bmp "
                             "jpeg_grey.jpg bmp1.bmp jpeg_huge_header.jpg png_huge_header.png tiff_plain.tif "
                             "missing.jpg gif_interlaced.gif jpeg_cmyk.jpg bmp16.bmp");
    int slot = 0;
    char name[16];
    for (std::string file; files >> file;) {
        NameSlot(name, slot++);
        hive.SetString(name, e2e::BinPath("testdata\\gfxlib\\") + file);
    }
    NameSlot(name, slot++);
    hive.SetString(name, "");
    const std::string large = e2e::ScratchPath("soak-large.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(large, 1600, 1200, 0x336699));
    hive.SetString("Image00020", large);
    hive.SetDword("ImageCount", 21);
    hive.SetDword("RefreshSpeed", 50);
    hive.SetDword("StepSize", 50);
    hive.SetDword("DisplayDuration", 0);
    hive.SetDword("FadeOutStyle", 0);

    // A short first show takes the one-time objects (fonts, system brushes,
    // the codecs' own); the long second one must add nothing to them.
    auto show = [](int cycles) {
        cyclesLeft = cycles;
        cycleHook = SetWindowsHookExA(WH_GETMESSAGE, CountCycles, nullptr, GetCurrentThreadId());
        const LONG result = RunSaverWindow(nullptr);
        UnhookWindowsHookEx(cycleHook);
        UnregisterClassA("WindowsScreenSaverClass", ModuleInstance());
        return result;
    };
    ASSERT_EQ(show(25), 0);
    const int before = FreeGdiRoom();
    EXPECT_EQ(show(500), 0);
    const int after = FreeGdiRoom();

    EXPECT_EQ(cyclesLeft, 0) << "the show ran its cycles";
    EXPECT_EQ(before - after, 0) << "GDI objects left behind";
}
