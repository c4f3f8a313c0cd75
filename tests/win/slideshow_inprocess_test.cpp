// The slideshow hosted in the test process: what the preview draws (a child
// window of another process is not drawn under Wine), that a paint the system
// asks for draws the whole frame again, and that picture cycles and monitor
// layout changes leave no GDI object behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "host/host.h"
#include "module/module.h"
#include "resources/resource.h"
#include "tests/support/e2e.h"
#include "tests/support/gdi_probe.h"
#include "tests/support/scratch_hive.h"

namespace {

std::function<bool(HWND)> watch; // called every 50 ms with the saver's window until it answers false
HWND watchedParent;

void CALLBACK Watch(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND saver = FindWindowExA(watchedParent, nullptr, "WindowsScreenSaverClass", nullptr);
    if (!saver || watch(saver)) return;
    KillTimer(nullptr, timer);
    watchedParent ? DestroyWindow(watchedParent) : PostMessageA(saver, WM_CLOSE, 0, 0); // as a host ends a preview
}

// Runs the saver window (inside parent, or full screen) under watch, then closes it.
LONG RunWatched(HWND parent, std::function<bool(HWND)> step) {
    watch = std::move(step);
    watchedParent = parent;
    SetTimer(nullptr, 0, 50, Watch);
    return RunSaverWindow(parent);
}

// Counts next-picture commands; every tenth the monitor layout "changes", so the shows are rebuilt.
int cycles;
HHOOK hook;
LRESULT CALLBACK CountCycles(int code, WPARAM wParam, LPARAM lParam) {
    const MSG *m = reinterpret_cast<const MSG *>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && m->message == WM_COMMAND && m->wParam == CMD_NEXT_PICTURE)
        PostMessageA(m->hwnd, --cycles == 0 ? WM_CLOSE : cycles % 10 == 5 ? WM_DISPLAYCHANGE : WM_NULL, 32, 0);
    return CallNextHookEx(hook, code, wParam, lParam);
}

std::uint32_t ClientPixel(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return e2e::CaptureScreen().At(p.x, p.y);
}

} // namespace

TEST(SlideshowInProcess, PreviewShowsEachPictureFittedAndCentredOnBlackInTurnAtItsPeriod) {
    ScratchHive hive("Preview");
    const std::string red = e2e::ScratchPath("preview-red.bmp"), blue = e2e::ScratchPath("preview-blue.bmp");
    ASSERT_TRUE(hive.Ready() && e2e::WriteSolidBmp(red, 640, 480, 0xFF0000) &&
                e2e::WriteSolidBmp(blue, 640, 480, 0x0000FF));
    for (const auto &[name, text] : {std::pair{"Image00000", red}, {"Image00001", blue}})
        hive.SetString(name, text);
    for (const auto &[name, value] : {std::pair{"ImageCount", 2}, {"DisplayDuration", 1}, {"StepSize", 200}})
        hive.SetDword(name, value); // a period of 1000 ms: no fade terms at step 200
    HWND parent = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr,
                                  nullptr, nullptr, nullptr);
    std::string edges;
    std::vector<DWORD> changes; // when the centre turned red, blue, red
    const DWORD start = GetTickCount();
    EXPECT_EQ(RunWatched(parent,
                         [&](HWND preview) {
                             if (ClientPixel(preview, 76, 56) != (changes.size() % 2 ? 0x0000FFu : 0xFF0000u))
                                 return GetTickCount() - start < 5000;
                             changes.push_back(GetTickCount());
                             // 640 x 480 in 152 x 112: 147 x 110 at (3, 1), black around it; each pair out, in.
                             for (const POINT &p : {POINT{2, 56}, POINT{3, 56}, POINT{150, 56}, POINT{149, 56},
                                                    POINT{76, 0}, POINT{76, 1}, POINT{76, 111}, POINT{76, 110}})
                                 if (changes.size() == 1) edges += ClientPixel(preview, p.x, p.y) ? "+" : "0";
                             return changes.size() < 3;
                         }),
              0);
    EXPECT_EQ(edges, "0+0+0+0+");
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_NEAR(changes[2] - changes[1], 1000.0, 250.0);
}

TEST(SlideshowInProcess, APaintTheSystemAsksForDrawsTheWholeFrameAgain) {
    // A show's frames draw only what changed; a paint it did not ask for draws all, as pixels may be lost.
    ScratchHive hive("Expose");
    const std::string red = e2e::ScratchPath("expose-red.bmp");
    ASSERT_TRUE(hive.Ready() && e2e::WriteSolidBmp(red, 400, 300, 0xFF0000));
    hive.SetString("Image00000", red);
    for (const auto &[name, value] : {std::pair{"ImageCount", 1},
                                      {"FadeInStyle", 1},
                                      {"DisplayDuration", 60},
                                      {"DisplayTime", 0},
                                      {"CenterPicture", 1}})
        hive.SetDword(name, value);
    std::vector<std::uint32_t> seen; // held, spoilt as another window over it would, painted again
    EXPECT_EQ(RunWatched(nullptr,
                         [&](HWND saver) {
                             seen.push_back(ClientPixel(saver, 512, 384));
                             if (seen.size() == 10) {
                                 HDC dc = GetDC(saver);
                                 const RECT spoilt = {492, 364, 532, 404};
                                 FillRect(dc, &spoilt, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
                                 ReleaseDC(saver, dc);
                             }
                             if (seen.size() == 15) InvalidateRect(saver, nullptr, FALSE);
                             return seen.size() < 20;
                         }),
              0);
    ASSERT_EQ(seen.size(), 20u);
    EXPECT_EQ(seen[9], 0xFF0000u);
    EXPECT_EQ(seen[14], 0xFFFFFFu);
    EXPECT_EQ(seen[19], 0xFF0000u);
}

TEST(SlideshowInProcess, PictureCyclesAndLayoutChangesLeaveNoGdiObjectBehind) {
    ScratchHive hive("Soak");
    const std::string large = e2e::ScratchPath("soak-large.bmp");
    ASSERT_TRUE(hive.Ready() && e2e::WriteSolidBmp(large, 1600, 1200, 0x336699));
    // A picture larger than the screen, one from the library's test files, a missing one and an empty slot.
    for (const auto &[name, text] : {std::pair<const char *, std::string>{"Image00000", large},
                                     {"Image00001", e2e::BinPath("testdata\\gfxlib\\jpeg_exif6.jpg")},
                                     {"Image00002", e2e::ScratchPath("missing.jpg")},
                                     {"Image00003", ""}})
        hive.SetString(name, text);
    for (const auto &[name, value] : {std::pair{"ImageCount", 4},
                                      {"RefreshSpeed", 50},
                                      {"StepSize", 50},
                                      {"DisplayDuration", 0},
                                      {"FadeOutStyle", 0}})
        hive.SetDword(name, value);
    auto show = [](int count) {
        cycles = count;
        hook = SetWindowsHookExA(WH_GETMESSAGE, CountCycles, nullptr, GetCurrentThreadId());
        const LONG result = RunSaverWindow(nullptr);
        UnhookWindowsHookEx(hook);
        UnregisterClassA("WindowsScreenSaverClass", ModuleInstance());
        return result;
    };
    ASSERT_EQ(show(12), 0); // takes the one-time objects (fonts, system brushes, the codecs' own)
    const int before = FreeGdiRoom();
    EXPECT_EQ(show(120), 0);
    EXPECT_EQ(cycles, 0) << "the show ran its cycles";
    EXPECT_EQ(before - FreeGdiRoom(), 0) << "GDI objects left behind";
}
