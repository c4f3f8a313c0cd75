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

} // namespace

TEST_F(SlideshowE2E, CentredPictureWithItsFrameLineAndTheClock) {
    List({red_});
    Set("FadeInStyle", 1); // Instant Display
    Set("DisplayTime", 1);
    Set("DisplayDuration", 60);
    e2e::Desktop desktop(kDesktop);
    Saver saver = StartFullScreen();
    // 400 x 300 centred on 1024 x 768: (312, 234) to (712, 534).
    e2e::Screenshot shot;
    ASSERT_TRUE(WaitForColour(512, 400, kRed, shot));

    EXPECT_EQ(shot.At(312, 400), kBlack) << "frame line, left";
    EXPECT_EQ(shot.At(711, 400), kBlack) << "frame line, right";
    EXPECT_EQ(shot.At(512, 234), kBlack) << "frame line, top";
    EXPECT_EQ(shot.At(512, 533), kBlack) << "frame line, bottom";
    EXPECT_EQ(shot.At(313, 400), kRed);
    EXPECT_EQ(shot.At(710, 532), kRed);
    EXPECT_EQ(shot.At(311, 400), kDesktop) << "the desktop around the picture";
    EXPECT_EQ(shot.At(712, 400), kDesktop);
    EXPECT_EQ(shot.At(5, 5), kDesktop);

    // The label starts one pixel inside the frame line: its raised edge, then its face.
    // (What it reads is compared with the literal drawing in process.)
    const std::uint32_t face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(shot.At(312 + 4, 234 + 4), (face & 0xFF) << 16 | (face & 0xFF00) | (face >> 16 & 0xFF));
    EXPECT_EQ(shot.At(312 + 4, 234 + 60), kRed) << "the label is no taller than a line of text";
    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST_F(SlideshowE2E, AFadeCaughtHalfwayShowsItsShapeOverTheDesktop) {
    Set("RefreshSpeed", 1); // one frame at level 50 that lasts a second
    Set("StepSize", 50);
    List({red_});
    Set("FadeInStyle", 7); // Four Corners
    e2e::Desktop desktop(kDesktop);
    Saver saver = StartFullScreen();
    // Picture at (312, 234), 400 x 300: at level 50 its corners 100 x 75 show, the desktop between them.
    e2e::Screenshot shot;
    ASSERT_TRUE(WaitForColour(362, 270, kRed, shot));
    for (const POINT &p : {POINT{662, 270}, POINT{362, 500}, POINT{662, 500}}) EXPECT_EQ(shot.At(p.x, p.y), kRed);
    for (const POINT &p : {POINT{512, 384}, POINT{470, 270}, POINT{362, 384}})
        EXPECT_EQ(shot.At(p.x, p.y), kDesktop);
    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST_F(SlideshowE2E, CollageKeepsEarlierPicturesClearScreenStartsFromBlackOrEachIsRemoved) {
    Set("DisplayDuration", 0);
    Set("FadeInStyle", 1);
    Set("FadeOutStyle", 2); // Instant Display
    List({red_, blue_});
    struct Case {
        DWORD remove, clear;
        std::uint32_t underBlue, corner;
    } cases[] = {{0, 0, kRed, kDesktop}, {0, 1, kRed, kBlack}, {1, 0, kDesktop, kDesktop}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "RemoveBitmaps " << c.remove << " ClearScreen " << c.clear);
        Set("RemoveBitmaps", c.remove);
        Set("ClearScreen", c.clear);
        e2e::Desktop desktop(kDesktop);
        Saver saver = StartFullScreen();
        e2e::Screenshot shot;
        ASSERT_TRUE(WaitForColour(512, 384, kBlue, shot)); // the small blue picture, second
        EXPECT_EQ(shot.At(400, 300), c.underBlue) << "where the red picture was";
        EXPECT_EQ(shot.At(100, 100), c.corner);
        e2e::PressKey(VK_SPACE);
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
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
