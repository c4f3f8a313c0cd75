// The slideshow hosted in the test process: what the preview draws (a child
// window of another process is not drawn under Wine), and that picture cycles
// and monitor layout changes leave no GDI object behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "host/host.h"
#include "module/module.h"
#include "tests/support/e2e.h"
#include "tests/support/gdi_probe.h"
#include "tests/support/scratch_hive.h" // the settings below go to it

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
    const LONG result = RunSaverWindow(parent);
    UnregisterClassA("WindowsScreenSaverClass", ModuleInstance()); // for the next run
    return result;
}

std::uint32_t ClientPixel(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return e2e::CaptureScreen().At(p.x, p.y);
}

} // namespace

TEST(SlideshowInProcess, PreviewShowsEachPictureFittedAndCentredOnBlackInTurnAtItsPeriod) {
    // 640 x 480 in 152 x 112: 147 x 110 at (3, 1); a period of 1000 ms (no fade terms at step 200).
    ScratchHive hive("Preview");
    const std::string red = e2e::ScratchPath("preview-red.bmp"), blue = e2e::ScratchPath("preview-blue.bmp");
    ASSERT_TRUE(hive.Ready() && e2e::WriteSolidBmp(red, 640, 480, 0xFF0000) &&
                e2e::WriteSolidBmp(blue, 640, 480, 0x0000FF) &&
                e2e::WriteSettings({red, blue}, "DisplayDuration=1 StepSize=200"));
    std::string edges;          // each pair just outside the picture, then just inside
    std::vector<DWORD> changes; // when the centre turned red, then blue
    int ticks = 0;
    auto step = [&](HWND preview) {
        if (ClientPixel(preview, 76, 56) == (changes.empty() ? 0xFF0000u : 0x0000FFu)) {
            for (POINT p : {POINT{2, 56}, {3, 56}, {150, 56}, {149, 56}, {76, 0}, {76, 1}, {76, 111}, {76, 110}})
                if (changes.empty()) edges += ClientPixel(preview, p.x, p.y) ? "+" : "0";
            changes.push_back(GetTickCount());
        }
        return changes.size() < 2 && ++ticks < 60;
    };
    HWND host = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr,
                                nullptr, nullptr, nullptr);
    EXPECT_EQ(RunWatched(host, step), 0);
    EXPECT_EQ(edges, "0+0+0+0+");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_NEAR(changes[1] - changes[0], 1000.0, 250.0);
}

TEST(SlideshowInProcess, PictureCyclesAndLayoutChangesLeaveNoGdiObjectBehind) {
    // A picture larger than the screen, one through the library's codecs, a missing one and an empty slot.
    ScratchHive hive("Soak");
    const std::string large = e2e::ScratchPath("soak-large.bmp");
    ASSERT_TRUE(hive.Ready() && e2e::WriteSolidBmp(large, 1600, 1200, 0x336699));
    ASSERT_TRUE(e2e::WriteSettings(
        {large, e2e::BinPath("testdata\\gfxlib\\jpeg_exif6.jpg"), e2e::ScratchPath("missing.jpg"), ""},
        "RefreshSpeed=50 StepSize=50 DisplayDuration=0 FadeOutStyle=0"));
    // Every second the monitor layout "changes", so the shows are rebuilt.
    auto show = [](int ticks) {
        int tick = 0;
        return RunWatched(nullptr, [&](HWND saver) {
            if (++tick % 20 == 10) PostMessageA(saver, WM_DISPLAYCHANGE, 32, 0);
            return tick < ticks;
        });
    };
    ASSERT_EQ(show(30), 0); // takes the one-time objects (fonts, system brushes, the codecs' own)
    const int before = FreeGdiRoom();
    EXPECT_EQ(show(300), 0); // 15 s of pictures
    EXPECT_EQ(before - FreeGdiRoom(), 0) << "GDI objects left behind";
}
