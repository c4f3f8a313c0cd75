// The configuration dialog as a user meets it: the real saver started with
// /c, clicked, scrolled and typed into with real input, the registry read
// after it ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/support/e2e.h"

namespace {

POINT CentreOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClickAt(POINT p) {
    e2e::MoveCursorTo(p.x, p.y);
    e2e::Settle(30);
    e2e::PressMouseButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    e2e::Settle(60);
}

class ConfigDialogE2E : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(e2e::ClearSettings()); }
    void TearDown() override { e2e::ClearSettings(); }
    HWND Start() {
        saver_ = std::make_unique<e2e::Saver>(e2e::Saver::Start("/c"));
        dialog_ = Window("Quillomir");
        if (dialog_) SetForegroundWindow(dialog_);
        e2e::Settle(150);
        return dialog_;
    }
    HWND Window(const std::string &caption) {
        HWND found = nullptr;
        e2e::WaitUntil([&] { return (found = saver_->WaitForWindow("#32770", caption.c_str(), 0)) && IsWindowVisible(found); });
        return found;
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    static std::optional<DWORD> Stored(const char *name) { return e2e::ReadDword(e2e::kSettingsKey, name); }

    std::unique_ptr<e2e::Saver> saver_;
    HWND dialog_ = nullptr;
};

TEST_F(ConfigDialogE2E, ClicksScrollingAndTypingReachTheRegistryOnEnter) {
    ASSERT_NE(Start(), nullptr);
    ClickAt(CentreOf(Item(1024))); // "Display the picture in the center of the screen"
    RECT bar = {};
    GetWindowRect(Item(1015), &bar); // the duration bar's right arrow, twice
    for (int i = 0; i < 2; ++i) ClickAt(POINT{bar.right - 4, (bar.top + bar.bottom) / 2});
    ClickAt(CentreOf(Item(1026))); // "Restrict size" asks for the sizes
    HWND size = Window("Picture Size");
    ASSERT_NE(size, nullptr);
    ClickAt(CentreOf(GetDlgItem(size, 1030))); // width "Other"
    ClickAt(CentreOf(GetDlgItem(size, 1036)));
    for (char digit : std::string("1280")) e2e::PressKey(static_cast<WORD>(digit));
    e2e::Settle(100);
    e2e::PressKey(VK_RETURN); // OK, the default button
    ASSERT_TRUE(e2e::WaitForWindowGone(size));
    e2e::Settle(100);
    e2e::PressKey(VK_RETURN);
    EXPECT_EQ(saver_->WaitForExit(), 1);
    EXPECT_EQ(Stored("CenterPicture"), 1u);
    EXPECT_EQ(Stored("DisplayDuration"), 7u);
    EXPECT_EQ(Stored("RestrictSize"), 1u);
    EXPECT_EQ(Stored("MaxWidth"), 1280u);
}

TEST_F(ConfigDialogE2E, ADoubleClickShowsThePictureAndEscapeDropsEveryChange) {
    const std::string picture = e2e::ScratchPath("viewer.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(picture, 200, 120, 0xFF0000));
    ASSERT_TRUE(e2e::WriteSettingDword("ImageCount", 1));
    ASSERT_TRUE(e2e::WriteSettingString("Image00000", picture));
    ASSERT_NE(Start(), nullptr);
    ClickAt(CentreOf(Item(1008))); // "Clear screen when screen-saver starts"
    RECT row = {};
    SendMessageA(Item(1002), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    MapWindowPoints(Item(1002), nullptr, reinterpret_cast<POINT *>(&row), 2);
    e2e::MoveCursorTo((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    e2e::Settle(30);
    for (int i = 0; i < 2; ++i) e2e::PressMouseButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    HWND viewer = Window(picture);
    ASSERT_NE(viewer, nullptr);
    e2e::Settle(200);
    const POINT inside = CentreOf(viewer);
    EXPECT_EQ(e2e::CaptureScreen().At(inside.x, inside.y), 0xFF0000u) << "the picture is on screen";
    e2e::PressKey(VK_F5);
    e2e::Settle(200);
    ASSERT_TRUE(IsWindow(viewer)) << "a key that types nothing leaves it open";
    e2e::PressKey('A');
    ASSERT_TRUE(e2e::WaitForWindowGone(viewer));
    e2e::Settle(100);
    e2e::PressKey(VK_ESCAPE);
    EXPECT_EQ(saver_->WaitForExit(), 0);
    EXPECT_FALSE(Stored("ClearScreen").has_value());
}

} // namespace
