// The real saver on two monitors of different sizes (tests/e2e/monitors.sh
// gives it a display with two): each monitor runs its own show over its own
// part of the desktop, and input anywhere closes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/e2e.h"

using e2e::Saver;

namespace {

constexpr std::uint32_t kDesktop = 0x00A000, kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0;

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoA(monitor, &info);
    auto &list = *reinterpret_cast<std::vector<RECT> *>(data);
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        list.insert(list.begin(), info.rcMonitor);
    else
        list.push_back(info.rcMonitor);
    return TRUE;
}

// The monitors, primary first.
std::vector<RECT> Monitors() {
    std::vector<RECT> list;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

// Where a w x h picture lies when centred on the monitor, in screen coordinates.
RECT Centred(const RECT &monitor, int w, int h) {
    const int left = monitor.left + (monitor.right - monitor.left) / 2 - w / 2;
    const int top = monitor.top + (monitor.bottom - monitor.top) / 2 - h / 2;
    return {left, top, left + w, top + h};
}

int CentreX(const RECT &r) { return (r.left + r.right) / 2; }
int CentreY(const RECT &r) { return (r.top + r.bottom) / 2; }

class MonitorsE2E : public testing::Test {
protected:
    void SetUp() override {
        monitors_ = Monitors();
        ASSERT_EQ(monitors_.size(), 2u) << "needs a display with two monitors";
        ASSERT_TRUE(e2e::ClearSettings());
        const std::string red = e2e::ScratchPath("red.bmp"), blue = e2e::ScratchPath("blue.bmp");
        ASSERT_TRUE(e2e::WriteSolidBmp(red, 400, 300, kRed));
        ASSERT_TRUE(e2e::WriteSolidBmp(blue, 200, 160, kBlue));
        ASSERT_TRUE(e2e::WriteSettingDword("ImageCount", 2));
        ASSERT_TRUE(e2e::WriteSettingString("Image00000", red));
        ASSERT_TRUE(e2e::WriteSettingString("Image00001", blue));
        for (const auto &[name, value] : {std::pair{"CenterPicture", 1}, {"FadeInStyle", 1}, {"FadeOutStyle", 2}})
            ASSERT_TRUE(e2e::WriteSettingDword(name, value));
        e2e::MoveCursorTo(monitors_[0].left + 5, monitors_[0].top + 5);
    }
    void TearDown() override { e2e::ClearSettings(); }

    std::vector<RECT> monitors_;
};

} // namespace

TEST_F(MonitorsE2E, EachMonitorShowsItsOwnPictureCentredOnItAndBothAdvance) {
    ASSERT_TRUE(e2e::WriteSettingDword("DisplayTime", 1));
    ASSERT_TRUE(e2e::WriteSettingDword("DisplayDuration", 2));
    e2e::Desktop desktop(kDesktop);
    Saver saver = Saver::Start("/s");
    HWND window = saver.WaitForWindow("WindowsScreenSaverClass", "Screen Saver");
    ASSERT_NE(window, nullptr);
    RECT covered;
    GetWindowRect(window, &covered);
    EXPECT_EQ(covered.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(covered.right - covered.left, GetSystemMetrics(SM_CXVIRTUALSCREEN)) << "covers every monitor";

    // The primary starts at the first picture, the second monitor at the second.
    const RECT red = Centred(monitors_[0], 400, 300), blue = Centred(monitors_[1], 200, 160);
    e2e::Screenshot shot;
    ASSERT_TRUE(e2e::WaitUntil([&] {
        shot = e2e::CaptureScreen();
        return shot.At(CentreX(red), CentreY(red)) == kRed && shot.At(CentreX(blue), CentreY(blue)) == kBlue;
    }));
    for (const RECT &r : {red, blue}) {
        EXPECT_EQ(shot.At(r.left, CentreY(r)), kBlack) << "frame line, left";
        EXPECT_EQ(shot.At(r.right - 1, CentreY(r)), kBlack) << "frame line, right";
        EXPECT_EQ(shot.At(CentreX(r), r.bottom - 1), kBlack) << "frame line, bottom";
        EXPECT_EQ(shot.At(r.left - 1, CentreY(r)), kDesktop) << "the desktop around it";
        EXPECT_EQ(shot.At(r.right, CentreY(r)), kDesktop);
        // The clock label in the picture's top-left corner, on neither other corner.
        const COLORREF c = GetSysColor(COLOR_BTNFACE);
        const std::uint32_t face = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        EXPECT_GT(shot.Share({r.left, r.top, r.left + 40, r.top + 20}, face), 0.3);
        EXPECT_EQ(shot.Share({r.right - 40, r.top, r.right, r.top + 20}, face), 0.0);
        EXPECT_EQ(shot.Share({r.left, r.bottom - 20, r.left + 40, r.bottom}, face), 0.0);
    }

    // After the hold each goes on to its next picture: the primary to the
    // second, the other monitor round to the first.
    const RECT blueOnPrimary = Centred(monitors_[0], 200, 160), redOnSecond = Centred(monitors_[1], 400, 300);
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            shot = e2e::CaptureScreen();
            return shot.At(CentreX(blueOnPrimary), CentreY(blueOnPrimary)) == kBlue &&
                   shot.At(CentreX(redOnSecond), CentreY(redOnSecond)) == kRed;
        },
        8000));
    EXPECT_EQ(shot.At(CentreX(red), red.top + 2), kDesktop) << "the first picture faded out on the primary";

    // A move on the second monitor wakes it.
    e2e::MoveCursorTo(monitors_[1].left + 40, monitors_[1].top + 40);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

TEST_F(MonitorsE2E, ClearScreenLeavesEveryMonitorBlackAndAClickOnEitherCloses) {
    ASSERT_TRUE(e2e::WriteSettingDword("ClearScreen", 1));
    ASSERT_TRUE(e2e::WriteSettingDword("DisplayDuration", 60));
    e2e::Desktop desktop(kDesktop);
    for (const RECT &monitor : monitors_) {
        Saver saver = Saver::Start("/s");
        ASSERT_NE(saver.WaitForWindow("WindowsScreenSaverClass", "Screen Saver"), nullptr);
        const RECT blue = Centred(monitors_[1], 200, 160);
        e2e::Screenshot shot;
        ASSERT_TRUE(e2e::WaitUntil([&] { return (shot = e2e::CaptureScreen()).At(CentreX(blue), CentreY(blue)) == kBlue; }));
        for (const RECT &m : monitors_)
            EXPECT_EQ(shot.At(m.left + 2, m.bottom - 3), kBlack) << "no desktop left on any monitor";
        e2e::MoveCursorTo(monitor.left + 3, monitor.top + 3);
        e2e::Settle(300);
        if (saver.IsRunning()) e2e::PressMouseButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
}
