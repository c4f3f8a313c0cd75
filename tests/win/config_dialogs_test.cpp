// The configuration dialog and the Picture Size, About and viewer dialogs it
// opens, hosted in the test process. The dialog runs modally on a thread of its
// own, so the test thread can click, scroll, drop and answer as a user does;
// the per-user registry is a scratch key.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config_ui/config_ui.h"
#include "resources/resource.h"
#include "tests/support/e2e.h"
#include "tests/support/gdi_probe.h"
#include "tests/support/scratch_hive.h"

namespace {

using Items = std::vector<std::string>;

std::string Text(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

struct Search {
    std::string caption;
    HWND owner, found;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<Search *>(data);
    if (IsWindowVisible(window) && Text(window) == search->caption && GetWindow(window, GW_OWNER) == search->owner)
        search->found = window;
    return !search->found;
}

DWORD WINAPI RunDialog(void *result) {
    *static_cast<INT_PTR *>(result) = ShowConfigDialog(nullptr);
    return 0;
}

class ConfigDialog : public testing::Test {
protected:
    HWND Open() {
        thread_ = CreateThread(nullptr, 0, RunDialog, &result_, 0, &threadId_);
        return dialog_ = Wait("Quillomir", nullptr);
    }
    // A visible window of the dialog's thread with the caption and owner.
    HWND Wait(const std::string &caption, HWND owner, DWORD timeoutMs = 5000) {
        Search search{caption, owner, nullptr};
        e2e::WaitUntil([&] { return !EnumThreadWindows(threadId_, Match, reinterpret_cast<LPARAM>(&search)) &&
                                    search.found; }, timeoutMs);
        return search.found;
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    void Press(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }
    HWND PressFor(int id, const std::string &caption) { // a press that opens a window over the dialog
        PostMessageA(Item(id), BM_CLICK, 0, 0);
        return Wait(caption, dialog_);
    }
    void Scroll(int bar, int request) {
        SendMessageA(dialog_, WM_HSCROLL, static_cast<WPARAM>(request), reinterpret_cast<LPARAM>(Item(bar)));
    }
    void Click(int row) { // the selection, then the notification the list sends
        SendMessageA(Item(IDC_FILE_LIST), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_FILE_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(IDC_FILE_LIST)));
    }
    Items List() const {
        Items items(static_cast<size_t>(SendMessageA(Item(IDC_FILE_LIST), LB_GETCOUNT, 0, 0)));
        for (size_t i = 0; i < items.size(); ++i) {
            char text[1024] = "";
            SendMessageA(Item(IDC_FILE_LIST), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            items[i] = text;
        }
        return items;
    }
    std::string Buttons() const { // Add, Delete, Up, Down, Clear all, Show: + when enabled
        std::string states;
        for (int id : {IDC_ADD, IDC_DELETE, IDC_UP, IDC_DOWN, IDC_CLEAR_ALL, IDC_SHOW})
            states += IsWindowEnabled(Item(id)) ? '+' : '-';
        return states;
    }
    std::optional<INT_PTR> End(UINT message, WPARAM wParam) {
        PostMessageA(dialog_, message, wParam, 0);
        if (WaitForSingleObject(thread_, 5000) != WAIT_OBJECT_0) return std::nullopt;
        return result_;
    }
    void PutImages(const Items &paths) {
        hive_.SetDword("ImageCount", static_cast<DWORD>(paths.size()));
        for (size_t i = 0; i < paths.size(); ++i) hive_.SetString(("Image0000" + std::to_string(i)).c_str(), paths[i]);
    }
    static std::optional<DWORD> Stored(const char *name) { return e2e::ReadDword(e2e::kSettingsKey, name); }
    static std::optional<std::string> StoredText(const char *name) { return e2e::ReadString(e2e::kSettingsKey, name); }

    ScratchHive hive_{testing::UnitTest::GetInstance()->current_test_info()->name()};
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    INT_PTR result_ = -2;
    HWND dialog_ = nullptr;
};

TEST_F(ConfigDialog, ShowsTheStoredOptionsAndOkStoresWhatTheControlsShow) {
    const struct {
        const char *name;
        DWORD stored, saved;
    } values[] = {{"DisplayDuration", 100, 59}, {"ImageSize", 75, 150}, {"RefreshSpeed", 30, 10},
                  {"StepSize", 5, 1},           {"ClearScreen", 1, 1},  {"RemoveBitmaps", 0, 0},
                  {"DisplayTime", 0, 0},        {"CenterPicture", 1, 0}, {"RestrictSize", 1, 1},
                  {"FadeInStyle", 8, 0},        {"FadeOutStyle", 3, 3}, {"FilterIndex", 4, 4},
                  {"MaxWidth", 700, 700},       {"MaxHeight", 500, 500}};
    for (const auto &value : values) hive_.SetDword(value.name, value.stored);
    hive_.SetString("FileDirectory", "C:\\Pictures");
    PutImages({"C:\\Pictures\\Sea.jpg", "C:\\Pictures\\Hill.GIF"});
    ASSERT_NE(Open(), nullptr);
    std::string shown;
    for (int id : {IDC_DURATION_LABEL, IDC_IMAGE_SIZE_LABEL, IDC_SPEED_LABEL, IDC_STEP_LABEL})
        shown += Text(Item(id)) + "|";
    for (int id : {IDC_CLEAR_SCREEN, IDC_REMOVE_BITMAPS, IDC_DISPLAY_TIME, IDC_CENTER_PICTURE, IDC_RESTRICT_SIZE})
        shown += IsDlgButtonChecked(dialog_, id) == BST_CHECKED ? '1' : '0';
    EXPECT_EQ(shown, "100 secs|75 %|30 fps|5 ppf|10011");
    EXPECT_EQ(SendMessageA(Item(IDC_FADE_IN_LIST), CB_GETCURSEL, 0, 0), CB_ERR) << "no such style";
    EXPECT_EQ(Text(Item(IDC_FADE_OUT_LIST)), "Dissolve");
    EXPECT_EQ(List(), (Items{"C:\\Pictures\\Sea.jpg", "C:\\Pictures\\Hill.GIF"}));
    EXPECT_EQ(Buttons(), "++-+++") << "the first picture is selected";

    Scroll(IDC_DURATION_BAR, SB_LINELEFT); // from the thumb, held at the bar's end
    Scroll(IDC_IMAGE_SIZE_BAR, SB_RIGHT);
    Scroll(IDC_SPEED_BAR, SB_PAGELEFT);
    Scroll(IDC_SPEED_BAR, SB_PAGELEFT);
    Scroll(IDC_SPEED_BAR, SB_ENDSCROLL);
    Scroll(IDC_STEP_BAR, SB_LEFT);
    EXPECT_EQ(Text(Item(IDC_DURATION_LABEL)), "59 secs");
    EXPECT_EQ(GetScrollPos(Item(IDC_SPEED_BAR), SB_CTL), 10);
    Press(IDC_CENTER_PICTURE);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FADE_OUT_LIST))) << "pictures are not removed";
    Press(IDC_REMOVE_BITMAPS);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_FADE_OUT_LIST)));
    Press(IDC_REMOVE_BITMAPS);
    EXPECT_EQ(End(WM_COMMAND, IDOK), 1);
    for (const auto &value : values) EXPECT_EQ(Stored(value.name), value.saved) << value.name;
    EXPECT_EQ(StoredText("Image00001"), "C:\\Pictures\\Hill.GIF");
    EXPECT_EQ(StoredText("FileDirectory"), "C:\\Pictures");
}

TEST_F(ConfigDialog, DeleteUpAndDownKeepTheSelectionAndTheButtonsInStep) {
    PutImages({"A", "B", "C"});
    ASSERT_NE(Open(), nullptr);
    Click(1);
    Press(IDC_UP);
    EXPECT_EQ(List(), (Items{"B", "A", "C"}));
    EXPECT_EQ(Buttons(), "++-+++") << "B is selected on the top row";
    Press(IDC_DOWN);
    EXPECT_EQ(List(), (Items{"A", "B", "C"}));
    EXPECT_EQ(SendMessageA(Item(IDC_FILE_LIST), LB_GETCURSEL, 0, 0), 1);
    Click(2);
    EXPECT_EQ(Buttons(), "+++-++");
    Press(IDC_DELETE);
    EXPECT_EQ(Buttons(), "+---+-") << "deleting the last row leaves no selection";
    Click(0);
    Press(IDC_DELETE);
    EXPECT_EQ(List(), Items{"B"});
    EXPECT_EQ(Buttons(), "++--++") << "the next picture takes the selection";
    Press(IDC_DELETE);
    EXPECT_EQ(Buttons(), "+-----");
    EXPECT_EQ(End(WM_COMMAND, IDOK), 1);
    EXPECT_EQ(Stored("ImageCount"), 0u);
}

TEST_F(ConfigDialog, ClearAllAsksFirstAndCancelKeepsTheStoredList) {
    PutImages({"C:\\a.jpg", "C:\\b.jpg"});
    ASSERT_NE(Open(), nullptr);
    for (WPARAM answer : {IDNO, IDYES}) {
        HWND box = PressFor(IDC_CLEAR_ALL, "Question");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(Text(GetDlgItem(box, 0xFFFF)), "Do you really want to delete all the bitmaps out of the list?");
        PostMessageA(box, WM_COMMAND, answer, 0);
        ASSERT_TRUE(e2e::WaitForWindowGone(box));
        EXPECT_EQ(List().size(), answer == IDNO ? 2u : 0u);
    }
    EXPECT_EQ(Buttons(), "+-----");
    EXPECT_EQ(End(WM_COMMAND, IDCANCEL), 0);
    EXPECT_EQ(Stored("ImageCount"), 2u);
    EXPECT_FALSE(Stored("ClearScreen").has_value()) << "Cancel writes nothing";
}

TEST_F(ConfigDialog, DroppedPicturesAreAddedLowerCasedAndATooLongPathIsNamed) {
    ASSERT_NE(Open(), nullptr);
    std::string files = std::string("C:\\Photos\\HOLIDAY.JPG|C:\\notes.txt|C:\\Old.GIF\\readme.txt|C:\\") +
                        std::string(241, 'F') + "\\Picture.JPG|D:\\Scan.Bmp|C:\\x.jpeg|C:\\Photos\\HOLIDAY.JPG|";
    for (char &c : files) c = c == '|' ? '\0' : c;
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + files.size() + 1); // as the shell makes it
    auto *header = static_cast<DROPFILES *>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(header + 1, files.data(), files.size());
    GlobalUnlock(drop);
    PostMessageA(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    HWND message = Wait("Quillomir", dialog_);
    ASSERT_NE(message, nullptr);
    EXPECT_NE(Text(GetDlgItem(message, 0xFFFF)).find("ff\\picture.jpg"), std::string::npos);
    PostMessageA(message, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(message));
    EXPECT_EQ(List(), (Items{"c:\\photos\\holiday.jpg", "c:\\old.gif\\readme.txt", "d:\\scan.bmp", "c:\\x.jpeg",
                             "c:\\photos\\holiday.jpg"}));
}

TEST_F(ConfigDialog, AddAppendsTheChosenFilesAndRemembersTheFolderAndFilter) {
    const std::string folder = e2e::ScratchPath("Add Folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char *name : {"b.jpg", "a.gif", "Notes.TXT"})
        CloseHandle(CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    hive_.SetString("FileDirectory", folder); // the names below are relative to it
    hive_.SetDword("FilterIndex", 4);
    ASSERT_NE(Open(), nullptr);
    LRESULT filter = 3;
    for (const char *names : {"\"b.jpg\" \"a.gif\"", "Notes.TXT"}) {
        HWND open = PressFor(IDC_ADD, "Add an Image");
        ASSERT_NE(open, nullptr);
        HWND filters = GetDlgItem(open, cmb1);
        EXPECT_EQ(SendMessageA(filters, CB_GETCURSEL, 0, 0), filter) << "the remembered filter";
        SendMessageA(filters, CB_SETCURSEL, 4, 0); // All Files
        SendMessageA(open, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(filters));
        SetDlgItemTextA(open, cmb13, names);
        PostMessageA(open, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(e2e::WaitForWindowGone(open));
        filter = 4;
    }
    EXPECT_EQ(List(), (Items{folder + "\\b.jpg", folder + "\\a.gif", folder + "\\Notes.TXT"}));
    EXPECT_EQ(Buttons(), "+---+-");
    EXPECT_EQ(End(WM_COMMAND, IDOK), 1);
    EXPECT_EQ(StoredText("FileDirectory"), folder);
    EXPECT_EQ(Stored("FilterIndex"), 5u);
}

TEST_F(ConfigDialog, RestrictSizeAsksForTheSizesOnlyWhenAClickChecksIt) {
    hive_.SetDword("MaxWidth", 700);
    hive_.SetDword("MaxHeight", 600);
    ASSERT_NE(Open(), nullptr);
    HWND size = PressFor(IDC_RESTRICT_SIZE, "Picture Size");
    ASSERT_NE(size, nullptr);
    auto shown = [&size] {
        std::string text;
        for (int id : {IDC_WIDTH_640, IDC_WIDTH_800, IDC_WIDTH_1024, IDC_WIDTH_OTHER, IDC_HEIGHT_480, IDC_HEIGHT_600,
                       IDC_HEIGHT_768, IDC_HEIGHT_OTHER})
            text += IsDlgButtonChecked(size, id) == BST_CHECKED ? '1' : '0';
        for (int id : {IDC_WIDTH_EDIT, IDC_HEIGHT_EDIT})
            text += " " + Text(GetDlgItem(size, id)) + (IsWindowEnabled(GetDlgItem(size, id)) ? "+" : "-");
        return text;
    };
    EXPECT_EQ(shown(), "00010100 700+ -");
    EnableWindow(GetDlgItem(size, IDC_WIDTH_EDIT), FALSE); // out of step: any radio click puts both edits right
    SendMessageA(GetDlgItem(size, IDC_HEIGHT_OTHER), BM_CLICK, 0, 0);
    SetDlgItemTextA(size, IDC_HEIGHT_EDIT, "abc");
    EXPECT_EQ(shown(), "00010001 700+ abc+");
    PostMessageA(size, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(size));
    PostMessageA(Item(IDC_RESTRICT_SIZE), BM_CLICK, 0, 0); // unchecks: nothing opens
    EXPECT_EQ(Wait("Picture Size", dialog_, 300), nullptr);
    size = PressFor(IDC_RESTRICT_SIZE, "Picture Size");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(shown(), "00011000 700+ -") << "an unreadable height gave the fallback";
    SendMessageA(GetDlgItem(size, IDC_WIDTH_1024), BM_CLICK, 0, 0);
    PostMessageA(size, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(size));
    EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_RESTRICT_SIZE), BST_CHECKED);
    EXPECT_EQ(End(WM_COMMAND, IDOK), 1);
    EXPECT_EQ(Stored("RestrictSize"), 1u);
    EXPECT_EQ(Stored("MaxWidth"), 700u);
    EXPECT_EQ(Stored("MaxHeight"), 480u);
}

TEST_F(ConfigDialog, HelpOpensAboutAndShowOpensTheViewerUntilAClickOrAKey) {
    const std::string picture = e2e::ScratchPath("show.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(picture, 120, 80, 0x00FF00));
    PutImages({picture, "C:\\missing.jpg"});
    ASSERT_NE(Open(), nullptr);
    for (bool f1 : {true, false}) {
        HELPINFO help = {};
        help.cbSize = sizeof(help);
        if (f1) SendMessageA(dialog_, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        HWND about = f1 ? Wait("About", dialog_) : PressFor(IDC_HAYULP, "About");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(Text(GetDlgItem(about, IDC_DESCRIPTION)), "Quillomir");
        PostMessageA(about, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(e2e::WaitForWindowGone(about));
    }
    const std::pair<UINT, WPARAM> closers[] = {{WM_CHAR, 'q'},        {WM_LBUTTONDOWN, MK_LBUTTON},
                                               {WM_RBUTTONDOWN, 0},    {WM_COMMAND, IDOK},
                                               {WM_COMMAND, IDCANCEL}, {WM_SYSCOMMAND, SC_CLOSE}};
    int gdiRoom = 0;
    for (const auto &[message, wParam] : closers) {
        SCOPED_TRACE(message);
        if (message == WM_CHAR) { // a real double-click on the first row
            RECT row = {};
            SendMessageA(Item(IDC_FILE_LIST), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
            MapWindowPoints(Item(IDC_FILE_LIST), nullptr, reinterpret_cast<POINT *>(&row), 2);
            e2e::MoveCursorTo(row.left + 10, row.top + 2);
            for (int i = 0; i < 2; ++i) e2e::PressMouseButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        }
        HWND viewer = message == WM_CHAR ? Wait(picture, dialog_) : PressFor(IDC_SHOW, picture);
        ASSERT_NE(viewer, nullptr) << "the caption is the path as the list holds it";
        RECT client = {}, frame = {}, over = {};
        GetClientRect(viewer, &client);
        GetWindowRect(viewer, &frame);
        GetWindowRect(dialog_, &over);
        EXPECT_EQ(client.right * 1000 + client.bottom, 120080) << "the picture's own size";
        EXPECT_EQ(frame.left - over.left, (over.right - over.left) / 2 - (frame.right - frame.left) / 2);
        EXPECT_EQ(frame.top - over.top, (over.bottom - over.top) / 2 - (frame.bottom - frame.top) / 2);
        HDC dc = GetDC(viewer);
        e2e::WaitUntil([&] { return GetPixel(dc, 0, 0) == RGB(0, 255, 0); }, 1000);
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0));
        EXPECT_EQ(GetPixel(dc, 119, 79), RGB(0, 255, 0));
        ReleaseDC(viewer, dc);
        PostMessageA(viewer, WM_KEYDOWN, VK_F5, 0); // types nothing
        PostMessageA(viewer, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
        e2e::Settle(100);
        ASSERT_TRUE(IsWindow(viewer));
        PostMessageA(viewer, message, wParam, MAKELPARAM(10, 10));
        ASSERT_TRUE(e2e::WaitForWindowGone(viewer));
        if (!gdiRoom) gdiRoom = FreeGdiRoom(); // after the first, which loads what the platform keeps
    }
    EXPECT_GE(FreeGdiRoom(), gdiRoom - 3) << "bitmap and palette are deleted at every close";
    Click(1);
    PostMessageA(Item(IDC_SHOW), BM_CLICK, 0, 0);
    EXPECT_EQ(Wait("C:\\missing.jpg", dialog_, 500), nullptr) << "a picture that cannot be read opens nothing";
    EXPECT_EQ(End(WM_CLOSE, 0), 0);
    EXPECT_FALSE(Stored("ImageSize").has_value()) << "the close box is Cancel";
}

} // namespace
