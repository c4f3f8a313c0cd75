// The slideshow hosted in the test process: what the preview draws (a child
// window of another process is not drawn under Wine), and that hundreds of
// picture cycles leave no GDI object behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
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
    std::uint32_t corner = 0xFFFFFFFF;
    int fitLeft = -1, fitTop = -1, fitRight = -1, fitBottom = -1;
    DWORD start = 0;
};
PreviewRun *run = nullptr;

// Finds the picture's edges along the middle row and column.
void MeasureFit() {
    const int cx = 76, cy = 56;
    for (int x = 0; x < 152 && run->fitLeft < 0; ++x)
        if (ClientPixel(run->preview, x, cy) != 0) run->fitLeft = x;
    for (int x = 151; x >= 0 && run->fitRight < 0; --x)
        if (ClientPixel(run->preview, x, cy) != 0) run->fitRight = x + 1;
    for (int y = 0; y < 112 && run->fitTop < 0; ++y)
        if (ClientPixel(run->preview, cx, y) != 0) run->fitTop = y;
    for (int y = 111; y >= 0 && run->fitBottom < 0; --y)
        if (ClientPixel(run->preview, cx, y) != 0) run->fitBottom = y + 1;
}

void CALLBACK Sample(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!run->preview) {
        run->preview = FindWindowExA(run->parent, nullptr, "WindowsScreenSaverClass", "Preview");
        run->start = GetTickCount();
    }
    const DWORD now = GetTickCount() - run->start;
    run->centre.emplace_back(now, ClientPixel(run->preview, 76, 56));
    if (run->fitLeft < 0 && run->centre.back().second == 0xFF0000) {
        MeasureFit();
        run->corner = ClientPixel(run->preview, 1, 1);
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
    EXPECT_EQ(state.fitLeft, 3);
    EXPECT_EQ(state.fitTop, 1);
    EXPECT_EQ(state.fitRight, 150);
    EXPECT_EQ(state.fitBottom, 111);
    EXPECT_EQ(state.corner, 0u);

    // Red first, blue after one period, red again after the next.
    std::vector<std::pair<DWORD, std::uint32_t>> changes;
    for (const auto &sample : state.centre)
        if (changes.empty() || changes.back().second != sample.second) changes.push_back(sample);
    std::string seen;
    for (const auto &c : changes) seen += std::to_string(c.first) + ":" + std::to_string(c.second) + " ";
    ASSERT_GE(changes.size(), 3u) << seen;
    size_t first = 0;
    while (first < changes.size() && changes[first].second != 0xFF0000) ++first;
    ASSERT_LE(first + 2, changes.size() - 1) << seen;
    EXPECT_EQ(changes[first + 1].second, 0x0000FFu) << seen;
    EXPECT_EQ(changes[first + 2].second, 0xFF0000u) << seen;
    const DWORD period = changes[first + 2].first - changes[first + 1].first;
    EXPECT_GE(period, 850u) << seen;
    EXPECT_LE(period, 1250u) << seen;
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
    const char *files[] = {"jpeg_baseline.jpg", "jpeg_progressive.jpg", "jpeg_exif6.jpg", "gif_plain.gif",
                           "gif_transparent.gif", "bmp8_rle.bmp",   "bmp24.bmp",       "bmp32.bmp",
                           "png_alpha.png",     "bmp4.bmp",       "jpeg_grey.jpg",   "bmp1.bmp",
                           "jpeg_huge_header.jpg", "png_huge_header.png", "tiff_plain.tif", "missing.jpg",
                           "gif_interlaced.gif", "jpeg_cmyk.jpg", "bmp16.bmp",       ""};
    int slot = 0;
    for (const char *file : files) {
        char name[16];
        NameSlot(name, slot++);
        hive.SetString(name, *file ? e2e::BinPath("testdata\\gfxlib\\") + file : "");
    }
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
