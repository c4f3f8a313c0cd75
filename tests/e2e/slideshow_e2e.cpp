// The slideshow as a user sees it: settings written first, the real saver
// started over a desktop of a known colour, and the screen read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/e2e.h"

using e2e::Saver;

namespace {

constexpr std::uint32_t kDesktop = 0x00A000; // green
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kBlack = 0x000000;

class SlideshowE2E : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(e2e::ClearSettings());
        red_ = e2e::ScratchPath("red.bmp");
        blue_ = e2e::ScratchPath("blue.bmp");
        ASSERT_TRUE(e2e::WriteSolidBmp(red_, 400, 300, kRed));
        ASSERT_TRUE(e2e::WriteSolidBmp(blue_, 100, 80, kBlue));
        Set("CenterPicture", 1);
        Set("DisplayTime", 0);
        e2e::MoveCursorTo(5, 5);
    }
    void TearDown() override { e2e::ClearSettings(); }

    static void Set(const char *name, DWORD value) { ASSERT_TRUE(e2e::WriteSettingDword(name, value)); }
    static void List(const std::vector<std::string> &paths) {
        Set("ImageCount", static_cast<DWORD>(paths.size()));
        for (size_t i = 0; i < paths.size(); ++i) {
            char name[16];
            std::snprintf(name, sizeof(name), "Image%05u", static_cast<unsigned>(i));
            ASSERT_TRUE(e2e::WriteSettingString(name, paths[i]));
        }
    }
    Saver StartFullScreen() {
        Saver saver = Saver::Start("/s");
        EXPECT_NE(saver.WaitForWindow("WindowsScreenSaverClass", "Screen Saver"), nullptr);
        return saver;
    }
    // Polls the screen until the pixel shows the colour; the capture that saw it.
    static bool WaitForColour(int x, int y, std::uint32_t colour, e2e::Screenshot &shot, DWORD timeoutMs = 5000) {
        return e2e::WaitUntil([&] { return (shot = e2e::CaptureScreen()).At(x, y) == colour; }, timeoutMs);
    }

    std::string red_, blue_;
};

// The clock label exactly as the saver draws it for the text, on a surface of its own.
struct Label {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};
Label RenderLabel(const char *text) {
    Label label;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    RECT measured = {0, 0, 0, 0};
    DrawTextA(dc, text, 8, &measured, DT_CALCRECT | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    label.width = measured.right + 12;
    label.height = measured.bottom + 12;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = label.width;
    info.bmiHeader.biHeight = -label.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, surface);
    RECT box = {0, 0, label.width, label.height};
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, 8, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
    GdiFlush();
    const auto *p = static_cast<const std::uint32_t *>(bits);
    label.pixels.assign(p, p + label.width * label.height);
    for (auto &pixel : label.pixels) pixel &= 0xFFFFFF;
    SelectObject(dc, old);
    DeleteObject(surface);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return label;
}

bool LabelShown(const e2e::Screenshot &shot, int left, int top, const Label &label) {
    for (int y = 0; y < label.height; ++y)
        for (int x = 0; x < label.width; ++x)
            if (shot.At(left + x, top + y) != label.pixels[static_cast<size_t>(y) * label.width + x]) return false;
    return true;
}

std::string ClockText(const SYSTEMTIME &t) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
    return text;
}

} // namespace

TEST_F(SlideshowE2E, CentredPictureWithItsFrameLineAndTheCurrentTime) {
    List({red_});
    Set("FadeInStyle", 1); // Instant Display
    Set("DisplayTime", 1);
    Set("DisplayDuration", 60);
    e2e::Desktop desktop(kDesktop);
    Saver saver = StartFullScreen();
    // 400 x 300 centred on 1024 x 768: (312, 234) to (712, 534).
    e2e::Screenshot shot;
    ASSERT_TRUE(WaitForColour(512, 400, kRed, shot));
    SYSTEMTIME now;
    GetLocalTime(&now);

    EXPECT_EQ(shot.At(312, 400), kBlack) << "frame line, left";
    EXPECT_EQ(shot.At(711, 400), kBlack) << "frame line, right";
    EXPECT_EQ(shot.At(512, 234), kBlack) << "frame line, top";
    EXPECT_EQ(shot.At(512, 533), kBlack) << "frame line, bottom";
    EXPECT_EQ(shot.At(313, 400), kRed);
    EXPECT_EQ(shot.At(710, 532), kRed);
    EXPECT_EQ(shot.At(311, 400), kDesktop) << "the desktop around the picture";
    EXPECT_EQ(shot.At(712, 400), kDesktop);
    EXPECT_EQ(shot.At(5, 5), kDesktop);

    // The label (text grown by 6 on every side, moved by 7) starts one pixel
    // inside the frame line and reads the time.
    bool found = false;
    std::string candidates;
    for (int delta : {0, -1, 1, -2}) {
        FILETIME ft;
        SystemTimeToFileTime(&now, &ft);
        ULARGE_INTEGER t;
        t.LowPart = ft.dwLowDateTime;
        t.HighPart = ft.dwHighDateTime;
        t.QuadPart += static_cast<LONGLONG>(delta) * 10000000LL;
        ft.dwLowDateTime = t.LowPart;
        ft.dwHighDateTime = t.HighPart;
        SYSTEMTIME candidate;
        FileTimeToSystemTime(&ft, &candidate);
        candidates += ClockText(candidate) + " ";
        if (LabelShown(shot, 312 + 1, 234 + 1, RenderLabel(ClockText(candidate).c_str()))) found = true;
    }
    EXPECT_TRUE(found) << "no label reading any of " << candidates;

    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST_F(SlideshowE2E, TransitionsCaughtHalfwayShowTheirShapeOverTheDesktop) {
    Set("RefreshSpeed", 1); // one frame at level 50 that lasts a second
    Set("StepSize", 50);
    List({red_});
    struct Case {
        DWORD fadeIn;
        const char *name;
        std::vector<std::pair<POINT, std::uint32_t>> expected;
    };
    // Picture at (312, 234), 400 x 300; corners 100 x 75 at level 50; the
    // ellipse at level 50 is 282 x 212 around the centre (512, 384). The first
    // point of each case is one the picture covers, so it marks the first frame.
    const Case cases[] = {
        {7, "Four Corners",
         {{{362, 270}, kRed}, {{662, 270}, kRed}, {{362, 500}, kRed}, {{662, 500}, kRed},
          {{512, 384}, kDesktop}, {{470, 270}, kDesktop}, {{362, 384}, kDesktop}}},
        {6, "Ellipse Outwards",
         {{{512, 384}, kRed}, {{400, 384}, kRed}, {{330, 250}, kDesktop}, {{690, 520}, kDesktop}}},
        {5, "Ellipse Inwards",
         {{{316, 238}, kRed}, {{706, 528}, kRed}, {{512, 384}, kDesktop}, {{400, 384}, kDesktop}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Set("FadeInStyle", c.fadeIn);
        e2e::Desktop desktop(kDesktop);
        Saver saver = StartFullScreen();
        e2e::Screenshot shot;
        const POINT first = c.expected.front().first;
        ASSERT_TRUE(WaitForColour(first.x, first.y, c.expected.front().second, shot));
        for (const auto &point : c.expected)
            EXPECT_EQ(shot.At(point.first.x, point.first.y), point.second)
                << "at (" << point.first.x << ", " << point.first.y << ")";
        e2e::PressKey(VK_SPACE);
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
}

TEST_F(SlideshowE2E, CollageKeepsEarlierPicturesAndClearScreenStartsFromBlack) {
    Set("RemoveBitmaps", 0);
    Set("DisplayDuration", 0);
    Set("FadeInStyle", 1);
    List({red_, blue_});
    {
        e2e::Desktop desktop(kDesktop);
        Saver saver = StartFullScreen();
        e2e::Screenshot shot;
        ASSERT_TRUE(WaitForColour(512, 384, kBlue, shot)); // the small blue picture on top
        EXPECT_EQ(shot.At(400, 300), kRed) << "the red picture stays under it";
        EXPECT_EQ(shot.At(100, 100), kDesktop);
        e2e::PressKey(VK_SPACE);
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
    {
        Set("ClearScreen", 1);
        e2e::Desktop desktop(kDesktop);
        Saver saver = StartFullScreen();
        e2e::Screenshot shot;
        ASSERT_TRUE(WaitForColour(512, 384, kBlue, shot));
        EXPECT_EQ(shot.At(400, 300), kRed) << "pictures stay on screen";
        EXPECT_EQ(shot.At(100, 100), kBlack) << "no desktop behind them";
        e2e::PressKey(VK_SPACE);
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
}

TEST_F(SlideshowE2E, PicturesAreRemovedBeforeTheNextWhenAsked) {
    Set("RemoveBitmaps", 1);
    Set("DisplayDuration", 0);
    Set("FadeInStyle", 1);
    Set("FadeOutStyle", 2); // Instant Display
    List({red_, blue_});
    e2e::Desktop desktop(kDesktop);
    Saver saver = StartFullScreen();
    e2e::Screenshot shot;
    ASSERT_TRUE(WaitForColour(512, 384, kBlue, shot));
    EXPECT_EQ(shot.At(400, 300), kDesktop) << "the red picture was faded out";
    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST_F(SlideshowE2E, EmptyListChangesNothingAndStillClosesOnInput) {
    e2e::Desktop desktop(kDesktop);
    Saver saver = StartFullScreen();
    e2e::Settle(1500);
    const e2e::Screenshot shot = e2e::CaptureScreen();
    EXPECT_EQ(shot.Share({0, 0, shot.width, shot.height}, kDesktop), 1.0);
    e2e::MoveCursorTo(50, 50);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST_F(SlideshowE2E, ListOfFilesThatAllFailNeitherCrashesNorSpins) {
    const std::string text = e2e::ScratchPath("notes.jpg");
    HANDLE file = CreateFileA(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "not a picture", 13, &written, nullptr);
    CloseHandle(file);
    List({e2e::ScratchPath("missing.jpg"), text, "", e2e::ScratchPath(""), "C:/no such folder/picture.jpg  "});
    Set("DisplayDuration", 1);
    e2e::Desktop desktop(kDesktop);
    Saver saver = StartFullScreen();
    e2e::Settle(500);
    const std::uint64_t before = e2e::ProcessCpuMs(saver.ProcessId());
    e2e::Settle(3000);
    const std::uint64_t used = e2e::ProcessCpuMs(saver.ProcessId()) - before;
    EXPECT_TRUE(saver.IsRunning());
    EXPECT_LT(used, 600u) << "CPU milliseconds in 3 seconds of failing loads";
    const e2e::Screenshot shot = e2e::CaptureScreen();
    EXPECT_EQ(shot.Share({0, 0, shot.width, shot.height}, kDesktop), 1.0) << "nothing drawn";
    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}
