// Nothing in the dialogs is clipped at the display's resolution: every text
// fits its control, every icon its button, every control the dialog. Run at
// 96 DPI with the other tests and at 144 DPI by tests/win/config_high_dpi.sh.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "config_ui/config_ui.h"
#include "module/module.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/win/config_harness.h"

using config_test::WindowText;

namespace {

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// The size the text needs in the control's font, wrapped at the width when wrap is set.
SIZE TextExtent(HWND control, const std::string &text, int wrapWidth) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, wrapWidth > 0 ? wrapWidth : 10000, 0};
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE IconSize(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return SIZE{0, 0};
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    SIZE size = {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

int DialogUnitsX(HWND dialog, int units) {
    RECT r = {0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}

// Every problem found in one dialog, one line each.
std::vector<std::string> Clippings(HWND dialog) {
    std::vector<std::string> problems;
    RECT area = {};
    GetClientRect(dialog, &area);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string kind = ClassOf(child), text = WindowText(child);
        const std::string name = kind + " " + std::to_string(GetDlgCtrlID(child)) + " \"" + text + "\"";
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        RECT r = {};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
        if (r.left < 0 || r.top < 0 || r.right > area.right || r.bottom > area.bottom)
            problems.push_back(name + " runs out of the dialog");
        RECT client = {};
        GetClientRect(child, &client);
        if (kind == "Button" && (style & BS_ICON)) {
            const SIZE icon = IconSize(reinterpret_cast<HICON>(SendMessageA(child, BM_GETIMAGE, IMAGE_ICON, 0)));
            if (icon.cx == 0 || icon.cx > client.right - 2 * edge || icon.cy > client.bottom - 2 * edge)
                problems.push_back(name + ": icon " + std::to_string(icon.cx) + " in " +
                                   std::to_string(client.right) + "x" + std::to_string(client.bottom));
        } else if (kind == "Button") {
            SIZE ideal = {0, 0};
            SendMessageA(child, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
            const SIZE textSize = TextExtent(child, text, 0);
            const int box = (style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON
                                ? 2 * edge + 2
                                : GetSystemMetrics(SM_CXMENUCHECK) + 4;
            const int needed = std::max<int>(ideal.cx, textSize.cx + box);
            if (needed > client.right || textSize.cy > client.bottom)
                problems.push_back(name + " needs " + std::to_string(needed) + "x" + std::to_string(textSize.cy) +
                                   ", has " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
        } else if (kind == "Static" && ((style & SS_TYPEMASK) == SS_LEFT || (style & SS_TYPEMASK) == SS_RIGHT)) {
            // Wrapped at the control's width, the text must not need more lines than it has.
            const SIZE wrapped = TextExtent(child, text, client.right);
            const SIZE line = TextExtent(child, text, 0);
            if (wrapped.cx > client.right || wrapped.cy > client.bottom)
                problems.push_back(name + " needs " + std::to_string(line.cx) + "x" + std::to_string(wrapped.cy) +
                                   " (one line " + std::to_string(line.cx) + "), has " +
                                   std::to_string(client.right) + "x" + std::to_string(client.bottom) +
                                   " (one dialog unit is " + std::to_string(DialogUnitsX(dialog, 100)) + "/100 px)");
        } else if (kind == "ComboBox") {
            const LRESULT count = SendMessageA(child, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                char item[64] = "";
                SendMessageA(child, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
                const int needed = TextExtent(child, item, 0).cx + GetSystemMetrics(SM_CXVSCROLL) + 3 * edge;
                if (needed > client.right)
                    problems.push_back(name + " item \"" + item + "\" needs " + std::to_string(needed) + ", has " +
                                       std::to_string(client.right));
            }
        }
    }
    return problems;
}

std::string Lines(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines) text += line + "\n";
    return text;
}

class DialogLayout : public testing::Test {
protected:
    void SetUp() override {
        RegisterDialogClasses(ModuleInstance());
        HDC screen = GetDC(nullptr);
        dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        // The high-DPI run says which DPI it set up, so a setting Wine ignored cannot pass unseen.
        if (const char *expected = std::getenv("QUILLOMIR_EXPECT_DPI")) {
            ASSERT_EQ(dpi_, std::atoi(expected));
        }
    }
    int dpi_ = 96;
};

TEST_F(DialogLayout, ConfigurationDialogShowsEveryTextAndIconWhole) {
    config_test::ScratchRegistry registry("DialogLayout");
    // The widest labels a user meets: a stored value beyond its bar, and the bars' maximums.
    registry.PutDword("DisplayDuration", 100);
    registry.PutDword("ImageSize", 150);
    registry.PutDword("RefreshSpeed", 50);
    registry.PutDword("StepSize", 50);
    HWND dialog = CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_CONFIG), nullptr, ConfigDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Lines(Clippings(dialog)), "") << "at " << dpi_ << " DPI";
    DestroyWindow(dialog);
}

TEST_F(DialogLayout, AboutAndPictureSizeShowEveryTextWhole) {
    HWND about = CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutDialogProc, 0);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(Lines(Clippings(about)), "") << "at " << dpi_ << " DPI";
    DestroyWindow(about);

    Settings settings = {};
    settings.MaxWidth = -10000; // the widest "Other" value
    settings.MaxHeight = 768;
    HWND size = CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_PICTURE_SIZE), nullptr,
                                   PictureSizeDialogProc, reinterpret_cast<LPARAM>(&settings));
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(Lines(Clippings(size)), "") << "at " << dpi_ << " DPI";
    DestroyWindow(size);
}

} // namespace
