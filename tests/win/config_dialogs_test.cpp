// The configuration dialog and the dialogs it opens, hosted in the test process: it runs modally on a thread
// of its own, so the test thread can click, scroll, drop and answer as a user does. HKCU is a scratch key.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config_ui/config_ui.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/support/e2e.h"
#include "tests/support/gdi_probe.h"
#include "tests/support/scratch_hive.h"

namespace {

std::string Text(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

DWORD WINAPI RunDialog(void *result) {
    *static_cast<INT_PTR *>(result) = ShowConfigDialog(nullptr);
    return 0;
}

class ConfigDialog : public testing::Test {
protected:
    HWND Open(const std::vector<std::string> &pictures, const std::string &numbers = "") {
        e2e::WriteSettings(pictures, numbers);
        thread_ = CreateThread(nullptr, 0, RunDialog, &result_, 0, nullptr);
        return dialog_ = Wait("Quillomir");
    }
    HWND Wait(const char *caption, DWORD timeoutMs = 5000) { // the topmost visible window with the caption
        HWND found = nullptr;
        e2e::WaitUntil([&] { return IsWindowVisible(found = FindWindowA(nullptr, caption)); }, timeoutMs);
        return found;
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    std::string Press(int id) { // and what the list shows afterwards
        SendMessageA(Item(id), BM_CLICK, 0, 0);
        return List();
    }
    HWND PressFor(int id, const char *caption, DWORD timeoutMs = 5000) { // for a window over the dialog
        PostMessageA(Item(id), BM_CLICK, 0, 0);
        return Wait(caption, timeoutMs);
    }
    void Answer(HWND window, WPARAM command) { // and wait until it is gone
        PostMessageA(window, WM_COMMAND, command, 0);
        ASSERT_TRUE(e2e::WaitForWindowGone(window));
    }
    std::string Click(int row) { // the selection, then the notification the list sends
        SendMessageA(Item(IDC_FILE_LIST), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_FILE_LIST, LBN_SELCHANGE), 0);
        return List();
    }
    // The rows, each followed by "|", then Add, Delete, Up, Down, Clear all and Show: + when enabled.
    std::string List() const {
        std::string shown;
        for (WPARAM i = 0; i < static_cast<WPARAM>(SendMessageA(Item(IDC_FILE_LIST), LB_GETCOUNT, 0, 0)); ++i) {
            char text[1024] = "";
            SendMessageA(Item(IDC_FILE_LIST), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            shown += std::string(text) + "|";
        }
        for (int id : {IDC_ADD, IDC_DELETE, IDC_UP, IDC_DOWN, IDC_CLEAR_ALL, IDC_SHOW})
            shown += IsWindowEnabled(Item(id)) ? '+' : '-';
        return shown;
    }
    INT_PTR End(UINT message, WPARAM wParam) { // the dialog's result; -2 while it is still open
        PostMessageA(dialog_, message, wParam, 0);
        return WaitForSingleObject(thread_, 5000) == WAIT_OBJECT_0 ? result_ : -2;
    }
    static std::string Stored(const char *name) { // the stored value as text, "" when there is none
        if (auto value = e2e::ReadDword(e2e::kSettingsKey, name)) return std::to_string(*value);
        return e2e::ReadString(e2e::kSettingsKey, name).value_or("");
    }

    ScratchHive hive_{testing::UnitTest::GetInstance()->current_test_info()->name()};
    HANDLE thread_ = nullptr;
    INT_PTR result_ = -2;
    HWND dialog_ = nullptr;
};

TEST_F(ConfigDialog, ShowsTheStoredOptionsAddsAndDropsAndOkStoresWhatTheDialogShows) {
    const std::string folder = e2e::ScratchPath("Add Folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char *name : {"b.jpg", "a.gif", "Notes.TXT"}) e2e::WriteSolidBmp(folder + "\\" + name, 1, 1, 0);
    hive_.SetString("FileDirectory", folder); // the names Add is given are relative to it
    const std::tuple<const char *, DWORD, DWORD> values[] = { // stored, then saved
        {"DisplayDuration", 100, 59}, {"ImageSize", 75, 150}, {"RefreshSpeed", 30, 20}, {"StepSize", 5, 1},
        {"ClearScreen", 1, 1},        {"RemoveBitmaps", 0, 1}, {"DisplayTime", 0, 0},   {"CenterPicture", 1, 1},
        {"RestrictSize", 1, 1},       {"FadeInStyle", 8, 0},   {"FadeOutStyle", 3, 3},  {"MaxWidth", 700, 700},
        {"MaxHeight", 600, 480},      {"FilterIndex", 4, 5},   {"ImageCount", 2, 8}};
    for (const auto &[name, stored, saved] : values) hive_.SetDword(name, stored);
    ASSERT_NE(Open({"C:\\Pictures\\Sea.jpg", "C:/Pictures/Hill.GIF  "}), nullptr); // kept as other tools wrote them
    std::string shown;
    for (int id : {IDC_DURATION_LABEL, IDC_IMAGE_SIZE_LABEL, IDC_SPEED_LABEL, IDC_STEP_LABEL, IDC_FADE_IN_LIST,
                   IDC_FADE_OUT_LIST})
        shown += Text(Item(id)) + "|"; // a fade-in of 8 names no item: none is selected
    for (int id : {IDC_CLEAR_SCREEN, IDC_REMOVE_BITMAPS, IDC_DISPLAY_TIME, IDC_CENTER_PICTURE, IDC_RESTRICT_SIZE})
        shown += IsDlgButtonChecked(dialog_, id) == BST_CHECKED ? '1' : '0';
    shown += IsWindowEnabled(Item(IDC_FADE_OUT_LIST)) ? "+" : "-"; // only while pictures are removed
    EXPECT_EQ(shown, "100 secs|75 %|30 fps|5 ppf||Dissolve|10011-");
    EXPECT_EQ(List(), "C:\\Pictures\\Sea.jpg|C:/Pictures/Hill.GIF  |++-+++") << "the first picture is selected";

    // The duration steps from its thumb, held at the bar's end.
    for (auto [bar, request] : {std::pair{IDC_DURATION_BAR, SB_LINELEFT}, {IDC_IMAGE_SIZE_BAR, SB_RIGHT},
                                {IDC_SPEED_BAR, SB_PAGELEFT}, {IDC_STEP_BAR, SB_LEFT}})
        SendMessageA(dialog_, WM_HSCROLL, static_cast<WPARAM>(request), reinterpret_cast<LPARAM>(Item(bar)));
    Press(IDC_REMOVE_BITMAPS);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_FADE_OUT_LIST)));

    // Only a click that checks "Restrict size" asks for the sizes; Cancel there keeps them.
    auto edits = [](HWND size) { // the width's "Other" text, then + for each "Other" edit enabled
        const auto on = [size](int id) { return IsWindowEnabled(GetDlgItem(size, id)) ? "+" : "-"; };
        return Text(GetDlgItem(size, IDC_WIDTH_EDIT)) + on(IDC_WIDTH_EDIT) + on(IDC_HEIGHT_EDIT);
    };
    for (WPARAM answer : {IDCANCEL, IDOK}) {
        EXPECT_EQ(PressFor(IDC_RESTRICT_SIZE, "Picture Size", 300), nullptr);
        HWND size = PressFor(IDC_RESTRICT_SIZE, "Picture Size");
        EXPECT_TRUE(IsDlgButtonChecked(size, IDC_WIDTH_OTHER) && IsDlgButtonChecked(size, IDC_HEIGHT_600));
        EXPECT_EQ(edits(size), "700+-");
        SendMessageA(GetDlgItem(size, answer == IDOK ? IDC_HEIGHT_OTHER : IDC_WIDTH_1024), BM_CLICK, 0, 0);
        SetDlgItemTextA(size, IDC_HEIGHT_EDIT, "abc"); // not a number: the fallback
        EXPECT_EQ(edits(size), answer == IDOK ? "700++" : "700--");
        Answer(size, answer);
    }

    HWND open = PressFor(IDC_ADD, "Add an Image");
    HWND filters = GetDlgItem(open, cmb1);
    EXPECT_EQ(SendMessageA(filters, CB_GETCURSEL, 0, 0), 3) << "the stored filter";
    SendMessageA(filters, CB_SETCURSEL, 4, 0); // All Files: any file goes in, named as it is
    SendMessageA(open, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(filters));
    SetDlgItemTextA(open, cmb13, "\"b.jpg\" \"Notes.TXT\" \"a.gif\"");
    Answer(open, IDOK);
    EXPECT_EQ(List(), "C:\\Pictures\\Sea.jpg|C:/Pictures/Hill.GIF  |" + folder + "\\b.jpg|" + folder +
                          "\\Notes.TXT|" + folder + "\\a.gif|++-+++");

    std::string files = "C:\\Photos\\HOLIDAY.JPG|C:\\notes.txt|C:\\" + std::string(241, 'F') +
                        "\\Picture.JPG|C:\\Old.GIF\\read.me|D:\\Scan.Bmp|";
    for (char &c : files) c = c == '|' ? '\0' : c;
    auto *drop = static_cast<DROPFILES *>(GlobalAlloc(GPTR, sizeof(DROPFILES) + files.size() + 1)); // as the shell
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(drop + 1, files.data(), files.size());
    PostMessageA(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    HWND message = nullptr; // a message over the dialog names the path too long to keep
    ASSERT_TRUE(e2e::WaitUntil([&] { return (message = FindWindowA(nullptr, "Quillomir")) != dialog_; }));
    Answer(message, IDOK);
    EXPECT_EQ(End(WM_COMMAND, IDOK), 1);
    for (const auto &[name, stored, saved] : values) EXPECT_EQ(Stored(name), std::to_string(saved)) << name;
    EXPECT_EQ(Stored("Image00001"), "C:/Pictures/Hill.GIF  ") << "as the list showed it";
    EXPECT_EQ(Stored("Image00006"), "c:\\old.gif\\read.me") << "dropped paths lower-cased and filtered";
    EXPECT_EQ(Stored("FileDirectory"), folder);
}

TEST_F(ConfigDialog, HelpShowAndTheListButtonsDoTheirPartsAndCancelStoresNothing) {
    const std::string picture = e2e::ScratchPath("show.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(picture, 120, 80, 0x00FF00));
    ASSERT_NE(Open({picture, "C:\\missing.jpg", "C:\\third.jpg"}), nullptr);
    SendMessageA(dialog_, WM_HELP, 0, 0); // F1, which does what the help button does
    HWND about = Wait("About");
    EXPECT_EQ(Text(GetDlgItem(about, IDC_DESCRIPTION)), "Quillomir");
    Answer(about, IDOK);
    SetWindowPos(dialog_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER); // off the desktop's centre
    int gdiRoom = 0;
    for (const auto &[message, wParam] : {std::pair<UINT, WPARAM>{WM_CHAR, 'q'}, {WM_LBUTTONDOWN, 0},
                                          {WM_RBUTTONDOWN, 0}, {WM_COMMAND, IDOK}, {WM_COMMAND, IDCANCEL}}) {
        if (message == WM_CHAR) // a double-click on the first row, as the list box receives one
            for (UINT click : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
                PostMessageA(Item(IDC_FILE_LIST), click, click == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(10, 2));
        HWND viewer = message == WM_CHAR ? Wait(picture.c_str()) : PressFor(IDC_SHOW, picture.c_str());
        ASSERT_NE(viewer, nullptr) << "the caption is the path as the list holds it";
        RECT client = {}, frame = {}, over = {};
        GetClientRect(viewer, &client);
        GetWindowRect(viewer, &frame);
        GetWindowRect(dialog_, &over);
        EXPECT_EQ(client.right * 1000 + client.bottom, 120080) << "the picture's own size";
        EXPECT_EQ(frame.left - over.left, (over.right - over.left) / 2 - (frame.right - frame.left) / 2);
        EXPECT_EQ(frame.top - over.top, (over.bottom - over.top) / 2 - (frame.bottom - frame.top) / 2);
        HDC dc = GetDC(viewer); // the whole picture drawn, corner to corner
        auto green = [&](int x, int y) { return GetPixel(dc, x, y) == RGB(0, 255, 0); };
        EXPECT_TRUE(e2e::WaitUntil([&] { return green(0, 0) && green(119, 79); }, 1000));
        ReleaseDC(viewer, dc);
        PostMessageA(viewer, message, wParam, MAKELPARAM(10, 10));
        ASSERT_TRUE(e2e::WaitForWindowGone(viewer));
        if (!gdiRoom) gdiRoom = FreeGdiRoom(); // after the first, which loads what the platform keeps
    }
    EXPECT_GE(FreeGdiRoom(), gdiRoom - 3) << "bitmap and palette are deleted at every close";
    Click(1);
    EXPECT_EQ(PressFor(IDC_SHOW, "C:\\missing.jpg", 500), nullptr) << "a picture that cannot be read opens nothing";

    const std::string missing = "C:\\missing.jpg|", third = "C:\\third.jpg|";
    EXPECT_EQ(Press(IDC_UP), missing + picture + "|" + third + "++-+++");
    EXPECT_EQ(Press(IDC_DOWN), picture + "|" + missing + third + "++++++");
    EXPECT_EQ(Press(IDC_DELETE), picture + "|" + third + "+++-++") << "the next picture takes the selection";
    EXPECT_EQ(Press(IDC_DELETE), picture + "|+---+-") << "deleting the last row leaves no selection";
    EXPECT_EQ(Click(0), picture + "|++--++");
    for (WPARAM answer : {IDNO, IDYES}) {
        Answer(PressFor(IDC_CLEAR_ALL, "Question"), answer);
        EXPECT_EQ(List(), answer == IDNO ? picture + "|++--++" : "+-----");
    }
    EXPECT_EQ(End(WM_CLOSE, 0), 0);
    EXPECT_EQ(Stored("ImageSize") + Stored("ImageCount"), "3") << "the close box is Cancel";
}

// Every text fits its control and every icon its button at the display's DPI: run with the others at
// 96 DPI, and at 144 by tests/win/config_high_dpi.sh, which sets QUILLOMIR_EXPECT_DPI.
TEST(DialogLayout, EveryTextAndIconShowsWhole) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const char *expected = std::getenv("QUILLOMIR_EXPECT_DPI"); // a DPI Wine ignored cannot pass unseen
    ASSERT_EQ(dpi, expected ? std::atoi(expected) : dpi);
    ScratchHive hive("DialogLayout");
    Settings settings = {}; // what the Picture Size dialog edits
    const std::pair<int, DLGPROC> dialogs[] = {
        {IDD_CONFIG, ConfigDialogProc}, {IDD_ABOUT, AboutDialogProc}, {IDD_PICTURE_SIZE, PictureSizeDialogProc}};
    for (const auto &[id, proc] : dialogs) {
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, proc,
                                         reinterpret_cast<LPARAM>(&settings));
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char kind[32] = "";
            GetClassNameA(child, kind, sizeof(kind));
            const LONG style = GetWindowLongA(child, GWL_STYLE);
            const bool isStatic = std::string(kind) == "Static";
            if (isStatic ? (style & SS_TYPEMASK) > SS_RIGHT : std::string(kind) != "Button")
                continue; // icons, frames
            RECT has = {}, needs = {};
            GetClientRect(child, &has);
            ICONINFO icon = {};
            BITMAP bitmap = {};
            if (!isStatic && (style & BS_ICON)) { // the icon with the button's edges
                GetIconInfo(reinterpret_cast<HICON>(SendMessageA(child, BM_GETIMAGE, IMAGE_ICON, 0)), &icon);
                GetObjectA(icon.hbmColor, sizeof(bitmap), &bitmap);
                needs = {0, 0, bitmap.bmWidth ? bitmap.bmWidth + 4 : 9999, bitmap.bmHeight + 4};
                DeleteObject(icon.hbmColor), DeleteObject(icon.hbmMask);
            } else { // the text in the control's font, a static's wrapped at its width, a button's with a box
                needs.right = isStatic ? has.right : 9999;
                HDC dc = GetDC(child);
                HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0)));
                DrawTextA(dc, Text(child).c_str(), -1, &needs, DT_CALCRECT | (isStatic ? DT_WORDBREAK : DT_SINGLELINE));
                SelectObject(dc, font);
                ReleaseDC(child, dc);
                needs.right += isStatic ? 0 : GetSystemMetrics(SM_CXMENUCHECK) + 4;
            }
            EXPECT_TRUE(needs.right <= has.right && needs.bottom <= has.bottom) << kind << " " << GetDlgCtrlID(child)
                << " of dialog " << id << " needs " << needs.right << "x" << needs.bottom << " at " << dpi << " DPI";
        }
        DestroyWindow(dialog);
    }
}

} // namespace
