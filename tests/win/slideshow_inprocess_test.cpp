// The slideshow hosted in the test process, on a thread of its own as in a
// saver's process: what the preview draws (a child window of another process
// is not drawn under Wine), and that picture cycles and monitor layout changes
// leave no GDI object behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "host/host.h"
#include "module/module.h"
#include "tests/support/e2e.h"
#include "tests/support/gdi_probe.h"
#include "tests/support/scratch_hive.h" // the settings below go to it

TEST(SlideshowInProcess, PreviewShowsEachPictureFittedAndCentredOnBlackInTurnAtItsPeriod) {
    // 640 x 480 in 152 x 112: 147 x 110 at (3, 1); a period of 1000 ms (no fade terms at step 200).
    ScratchHive hive("Preview");
    const std::string red = e2e::ScratchPath("preview-red.bmp"), blue = e2e::ScratchPath("preview-blue.bmp");
    ASSERT_TRUE(hive.Ready() && e2e::WriteSolidBmp(red, 640, 480, 0xFF0000) &&
                e2e::WriteSolidBmp(blue, 640, 480, 0x0000FF) &&
                e2e::WriteSettings({red, blue}, "DisplayDuration=1 StepSize=200"));
    auto at = [](int x, int y) { return e2e::CaptureScreen().At(100 + x, 100 + y); }; // in the host below
    HWND host = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr,
                                nullptr, nullptr, nullptr);
    LONG result = -1;
    std::thread saver([&] { result = RunSaverWindow(host); });
    HWND preview = nullptr;
    EXPECT_TRUE(e2e::WaitUntil([&] {
        preview = FindWindowExA(host, nullptr, "WindowsScreenSaverClass", "Preview");
        return preview && at(76, 56) == 0xFF0000;
    }));
    const DWORD shown = GetTickCount();
    std::string edges; // each pair just outside the picture, then just inside
    for (POINT p : {POINT{2, 56}, {3, 56}, {150, 56}, {149, 56}, {76, 0}, {76, 1}, {76, 111}, {76, 110}})
        edges += at(p.x, p.y) ? "+" : "0";
    EXPECT_EQ(edges, "0+0+0+0+");
    EXPECT_TRUE(e2e::WaitUntil([&] { return at(76, 56) == 0x0000FF; }, 2000));
    EXPECT_NEAR(GetTickCount() - shown, 1000.0, 250.0);
    DestroyWindow(host); // as the display settings end a preview
    saver.join();
    EXPECT_EQ(result, 0);
}

TEST(SlideshowInProcess, PictureCyclesAndLayoutChangesLeaveNoGdiObjectBehind) {
    // A collage (frames of a show, stamps) of a picture larger than the screen, one through the library's
    // codecs, a missing one and an empty slot.
    ScratchHive hive("Soak");
    const std::string large = e2e::ScratchPath("soak-large.bmp");
    ASSERT_TRUE(hive.Ready() && e2e::WriteSolidBmp(large, 1600, 1200, 0x336699));
    ASSERT_TRUE(e2e::WriteSettings(
        {large, e2e::BinPath("testdata\\gfxlib\\jpeg_exif6.jpg"), e2e::ScratchPath("missing.jpg"), ""},
        "RefreshSpeed=50 StepSize=50 DisplayDuration=0 RemoveBitmaps=0"));
    // Ten times a second the monitor layout "changes", so the shows are rebuilt, with and without a snapshot.
    auto show = [](int seconds) {
        LONG result = -1;
        std::thread saver([&] { result = RunSaverWindow(nullptr); });
        HWND window = nullptr;
        e2e::WaitUntil([&] { return (window = FindWindowA("WindowsScreenSaverClass", nullptr)) != nullptr; });
        for (int s = 0; s < seconds * 10; ++s) PostMessageA(window, WM_DISPLAYCHANGE, 32, 0), e2e::Settle(100);
        const bool drawn = e2e::WaitUntil([] { // and the new shows cover the screen
            const e2e::Screenshot s = e2e::CaptureScreen();
            return s.Share({0, 0, s.width, s.height}, 0x336699) > 0.5;
        }, 3000);
        PostMessageA(window, WM_CLOSE, 0, 0);
        saver.join();
        UnregisterClassA("WindowsScreenSaverClass", ModuleInstance());
        return drawn ? result : -2;
    };
    ASSERT_EQ(show(2), 0); // takes the one-time objects (fonts, system brushes, the codecs' own)
    const int before = FreeGdiRoom();
    for (int run = 0; run < 5; ++run) EXPECT_EQ(show(3), 0); // each ends in a state of its own
    EXPECT_EQ(before - FreeGdiRoom(), 0) << "GDI objects left behind";
}
