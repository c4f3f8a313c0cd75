// The Picture Size dialog, the picture viewer and CentreWindow, hosted in the
// test process from the linked templates and driven through their windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "config_ui/config_ui.h"
#include "module/module.h"
#include "picture_loader/picture_loader.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/support/e2e.h"
#include "tests/support/gdi_probe.h"
#include "tests/win/config_harness.h"

using config_test::ItemText;
using config_test::ModalThread;
using config_test::WindowText;

namespace {

class PictureSize : public testing::Test {
protected:
    HWND Open(std::int32_t width, std::int32_t height) {
        settings_.MaxWidth = width;
        settings_.MaxHeight = height;
        modal_ = std::make_unique<ModalThread>([this] {
            return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_PICTURE_SIZE), nullptr,
                                   PictureSizeDialogProc, reinterpret_cast<LPARAM>(&settings_));
        });
        dialog_ = modal_->WaitForWindow("Picture Size");
        return dialog_;
    }
    bool Checked(int id) const { return SendDlgItemMessageA(dialog_, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
    void Click(int id) { SendDlgItemMessageA(dialog_, id, BM_CLICK, 0, 0); }
    std::optional<INT_PTR> Press(WPARAM command) {
        PostMessageA(dialog_, WM_COMMAND, command, 0);
        return modal_->WaitForResult();
    }

    Settings settings_ = {};
    std::unique_ptr<ModalThread> modal_;
    HWND dialog_ = nullptr;
};

TEST_F(PictureSize, PresetsAreCheckedAndOtherValuesShownInTheirEdit) {
    ASSERT_NE(Open(800, 555), nullptr);
    EXPECT_TRUE(Checked(IDC_WIDTH_800));
    EXPECT_FALSE(Checked(IDC_WIDTH_OTHER));
    EXPECT_EQ(ItemText(dialog_, IDC_WIDTH_EDIT), "");
    EXPECT_FALSE(Enabled(IDC_WIDTH_EDIT));
    EXPECT_TRUE(Checked(IDC_HEIGHT_OTHER));
    EXPECT_EQ(ItemText(dialog_, IDC_HEIGHT_EDIT), "555");
    EXPECT_TRUE(Enabled(IDC_HEIGHT_EDIT));
    EXPECT_EQ(Press(IDOK), 1);
    EXPECT_EQ(settings_.MaxWidth, 800);
    EXPECT_EQ(settings_.MaxHeight, 555);

    ASSERT_NE(Open(700, 768), nullptr);
    EXPECT_TRUE(Checked(IDC_WIDTH_OTHER));
    EXPECT_EQ(ItemText(dialog_, IDC_WIDTH_EDIT), "700");
    EXPECT_TRUE(Enabled(IDC_WIDTH_EDIT));
    EXPECT_TRUE(Checked(IDC_HEIGHT_768));
    EXPECT_FALSE(Enabled(IDC_HEIGHT_EDIT));
    EXPECT_EQ(Press(IDCANCEL), 0);

    ASSERT_NE(Open(-20, 0), nullptr);
    EXPECT_EQ(ItemText(dialog_, IDC_WIDTH_EDIT), "-20") << "shown as a signed number";
    EXPECT_EQ(ItemText(dialog_, IDC_HEIGHT_EDIT), "0");
    EXPECT_EQ(Press(IDCANCEL), 0);
}

TEST_F(PictureSize, EveryRadioClickRederivesBothEdits) {
    ASSERT_NE(Open(640, 480), nullptr);
    Click(IDC_WIDTH_OTHER);
    EXPECT_TRUE(Enabled(IDC_WIDTH_EDIT));
    EXPECT_FALSE(Enabled(IDC_HEIGHT_EDIT));
    EnableWindow(GetDlgItem(dialog_, IDC_HEIGHT_EDIT), TRUE); // out of step on purpose
    EnableWindow(GetDlgItem(dialog_, IDC_WIDTH_EDIT), FALSE);
    Click(IDC_HEIGHT_600);
    EXPECT_TRUE(Enabled(IDC_WIDTH_EDIT));
    EXPECT_FALSE(Enabled(IDC_HEIGHT_EDIT));
    Click(IDC_WIDTH_1024);
    EXPECT_FALSE(Enabled(IDC_WIDTH_EDIT));
    EXPECT_EQ(Press(IDOK), 1);
    EXPECT_EQ(settings_.MaxWidth, 1024);
    EXPECT_EQ(settings_.MaxHeight, 600);
}

TEST_F(PictureSize, OtherTakesAnyWholeNumberAndFallsBackWhenTheTextIsNotOne) {
    struct Case {
        const char *width, *height;
        std::int32_t maxWidth, maxHeight;
    } cases[] = {
        {"", "", 640, 480},
        {"abc", "x12", 640, 480},
        {"0", "-300", 0, -300},
        {"1920", "1200", 1920, 1200},
        {"99999999999", "-99999999999", 640, 480}, // beyond 32 bits: not a number the platform reads
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.width) + " x " + c.height);
        ASSERT_NE(Open(1024, 768), nullptr);
        Click(IDC_WIDTH_OTHER);
        Click(IDC_HEIGHT_OTHER);
        SetDlgItemTextA(dialog_, IDC_WIDTH_EDIT, c.width);
        SetDlgItemTextA(dialog_, IDC_HEIGHT_EDIT, c.height);
        EXPECT_EQ(Press(IDOK), 1);
        EXPECT_EQ(settings_.MaxWidth, c.maxWidth);
        EXPECT_EQ(settings_.MaxHeight, c.maxHeight);
    }
}

TEST_F(PictureSize, EscapeCancelAndTheCloseBoxLeaveTheRecordAlone) {
    for (UINT message : {static_cast<UINT>(WM_COMMAND), static_cast<UINT>(WM_SYSCOMMAND)}) {
        ASSERT_NE(Open(700, 500), nullptr);
        Click(IDC_WIDTH_800);
        Click(IDC_HEIGHT_OTHER);
        SetDlgItemTextA(dialog_, IDC_HEIGHT_EDIT, "9");
        if (message == WM_COMMAND)
            PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
        else
            PostMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(modal_->WaitForResult(), 0);
        EXPECT_EQ(settings_.MaxWidth, 700);
        EXPECT_EQ(settings_.MaxHeight, 500);
    }
}

// The viewer on its own thread, owned by a window of that thread as the configuration dialog owns it.
class Viewer : public testing::Test {
protected:
    static void SetUpTestSuite() {
        picture_ = config_test::WriteTestBitmap("quillomir_viewer.bmp", 120, 80);
    }
    static void TearDownTestSuite() { DeleteFileA(picture_.c_str()); }

    HWND Open(const std::string &path) {
        path_ = path;
        modal_ = std::make_unique<ModalThread>([this] {
            HWND owner = CreateWindowExA(0, "STATIC", "Owner", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                         nullptr, ModuleInstance(), nullptr);
            const INT_PTR result = ShowPictureViewer(owner, path_.c_str());
            DestroyWindow(owner);
            return result;
        });
        viewer_ = modal_->WaitForWindow(path_.c_str());
        return viewer_;
    }

    static std::string picture_;
    std::string path_;
    std::unique_ptr<ModalThread> modal_;
    HWND viewer_ = nullptr;
};
std::string Viewer::picture_;

TEST_F(Viewer, ShowsThePictureAtItsOwnSizeUnderItsPath) {
    ASSERT_NE(Open(picture_), nullptr);
    EXPECT_EQ(WindowText(viewer_), picture_);
    RECT client = {};
    GetClientRect(viewer_, &client);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(client.bottom, 80);
    RECT frame = {};
    GetWindowRect(viewer_, &frame);
    EXPECT_EQ(frame.left, 200 - (frame.right - frame.left) / 2) << "centred over its owner";
    EXPECT_EQ(frame.top, 150 - (frame.bottom - frame.top) / 2);

    ASSERT_TRUE(e2e::WaitUntil([&] {
        HDC dc = GetDC(viewer_);
        const bool drawn = GetPixel(dc, 10, 20) == RGB(255, 0, 0) && GetPixel(dc, 100, 20) == RGB(0, 255, 0);
        ReleaseDC(viewer_, dc);
        return drawn;
    }, 2000)) << "the picture is painted";
    HDC dc = GetDC(viewer_);
    for (POINT p : {POINT{5, 70}, POINT{110, 70}, POINT{30, 30}, POINT{119, 79}}) {
        const COLORREF want = config_test::TestBitmapColour(p.x, p.y);
        EXPECT_EQ(GetPixel(dc, p.x, p.y), RGB(want >> 16, (want >> 8) & 0xFF, want & 0xFF)) << p.x << "," << p.y;
    }
    ReleaseDC(viewer_, dc);
    PostMessageA(viewer_, WM_CLOSE, 0, 0);
    EXPECT_EQ(modal_->WaitForResult(), 0);
}

TEST_F(Viewer, ClosesOnACharacterAClickEnterEscapeOrItsCloseBox) {
    struct Event {
        const char *name;
        UINT message;
        WPARAM wParam;
    } events[] = {
        {"character", WM_CHAR, 'q'},        {"left click", WM_LBUTTONDOWN, MK_LBUTTON},
        {"right click", WM_RBUTTONDOWN, MK_RBUTTON}, {"Enter", WM_COMMAND, IDOK},
        {"Escape", WM_COMMAND, IDCANCEL},   {"close box", WM_SYSCOMMAND, SC_CLOSE},
    };
    for (const Event &event : events) {
        SCOPED_TRACE(event.name);
        ASSERT_NE(Open(picture_), nullptr);
        // Keys that type nothing and mouse movement leave it open.
        PostMessageA(viewer_, WM_KEYDOWN, VK_LEFT, 0);
        PostMessageA(viewer_, WM_KEYDOWN, VK_F5, 0);
        PostMessageA(viewer_, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
        PostMessageA(viewer_, WM_COMMAND, 1000, 0);
        e2e::Settle(100);
        ASSERT_TRUE(IsWindow(viewer_));
        PostMessageA(viewer_, event.message, event.wParam, MAKELPARAM(10, 10));
        EXPECT_EQ(modal_->WaitForResult(), 0);
        EXPECT_FALSE(IsWindow(viewer_));
    }
}

TEST_F(Viewer, APictureThatCannotBeReadOpensNothing) {
    for (const char *path : {"C:\\no\\such\\picture.jpg", ""}) {
        path_ = path;
        modal_ = std::make_unique<ModalThread>([this] {
            HWND owner = CreateWindowExA(0, "STATIC", "Owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         ModuleInstance(), nullptr);
            const INT_PTR result = ShowPictureViewer(owner, path_.c_str());
            DestroyWindow(owner);
            return result;
        });
        EXPECT_EQ(modal_->WaitForResult(), 0) << path;
    }
}

TEST_F(Viewer, ClosingReleasesThePicturesGdiObjects) {
    ASSERT_NE(Open(picture_), nullptr); // the first run loads what the platform keeps for good
    PostMessageA(viewer_, WM_CLOSE, 0, 0);
    ASSERT_EQ(modal_->WaitForResult(), 0);
    const int before = FreeGdiRoom();
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(Open(picture_), nullptr);
        PostMessageA(viewer_, i % 2 ? WM_CHAR : WM_CLOSE, 'x', 0);
        ASSERT_EQ(modal_->WaitForResult(), 0);
    }
    EXPECT_GE(FreeGdiRoom(), before - 3) << "bitmap and palette are deleted at every close";
}

TEST_F(Viewer, APictureLargerThanTheScreenStartsAtTheScreensEdge) {
    const std::string big = config_test::WriteTestBitmap("quillomir_viewer_big.bmp", 1300, 900);
    ASSERT_NE(Open(big), nullptr);
    RECT frame = {}, client = {};
    GetWindowRect(viewer_, &frame);
    GetClientRect(viewer_, &client);
    EXPECT_EQ(client.right, 1300);
    EXPECT_EQ(client.bottom, 900);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    PostMessageA(viewer_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(modal_->WaitForResult(), 0);
    DeleteFileA(big.c_str());
}

TEST(CentreWindow, CentresOverTheOwnerOrTheDesktopAndStopsAtTheLeftAndTopEdges) {
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 50, 401, 301, nullptr, nullptr, nullptr, nullptr);
    HWND owned = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 101, owner, nullptr, nullptr, nullptr);
    HWND alone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 7, 7, 2000, 99, nullptr, nullptr, nullptr, nullptr);
    CentreWindow(owned);
    RECT r = {};
    GetWindowRect(owned, &r);
    EXPECT_EQ(r.left, 100 + 200 - 100);
    EXPECT_EQ(r.top, 50 + 150 - 50);
    EXPECT_EQ(r.right - r.left, 200) << "the size stays";
    EXPECT_EQ(r.bottom - r.top, 101);

    CentreWindow(alone);
    GetWindowRect(alone, &r);
    EXPECT_EQ(r.left, 0) << "wider than the screen: held at the left edge";
    EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 99 / 2);

    SetWindowPos(owner, nullptr, -300, -200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CentreWindow(owned);
    GetWindowRect(owned, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    DestroyWindow(owned);
    DestroyWindow(alone);
    DestroyWindow(owner);
}

} // namespace
