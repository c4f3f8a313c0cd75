// The configuration dialog as a user meets it: the real saver started with
// /c, its windows found by caption, clicked, scrolled and typed into with real
// input where the dialog has the focus, and the registry read after OK.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/e2e.h"

using e2e::Saver;

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr char kSubkey[] = "Control Panel\\Screen Saver.Quillomir";

// Asked of the control itself: another process's edit keeps its text where GetWindowText does not look.
std::string TextOf(HWND window) {
    char text[1024] = "";
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// List items cross processes intact only through the wide messages.
std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[1024] = L"";
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        char text[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        items.emplace_back(text);
    }
    return items;
}

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

// Types the text on the keyboard, one key press per character (digits and letters).
void Type(const char *text) {
    for (const char *c = text; *c; ++c) e2e::PressKey(static_cast<WORD>(VkKeyScanA(*c) & 0xFF));
}

struct IdSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM data) {
    auto *search = reinterpret_cast<IdSearch *>(data);
    if (GetDlgCtrlID(child) != search->id || !IsWindowVisible(child)) return TRUE;
    search->found = child;
    return FALSE;
}

// The control with the id anywhere inside the window (the file dialog nests its controls).
HWND Descendant(HWND window, int id) {
    IdSearch search{id, nullptr};
    EnumChildWindows(window, MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ConfigDialogE2E : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(e2e::ClearSettings()); }
    void TearDown() override { e2e::ClearSettings(); }

    HWND Start() {
        saver_ = std::make_unique<Saver>(Saver::Start("/c"));
        dialog_ = saver_->WaitForWindow(kDialogClass, "Quillomir");
        if (dialog_) SetForegroundWindow(dialog_);
        e2e::Settle(150);
        return dialog_;
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    HWND WaitForOwned(const char *caption) {
        HWND found = nullptr;
        e2e::WaitUntil([&] {
            found = saver_->WaitForWindow(kDialogClass, caption, 0);
            return found && IsWindowVisible(found);
        });
        return found;
    }
    static std::optional<DWORD> Stored(const char *name) { return e2e::ReadDword(kSubkey, name); }
    static std::optional<std::string> StoredText(const char *name) { return e2e::ReadString(kSubkey, name); }

    std::unique_ptr<Saver> saver_;
    HWND dialog_ = nullptr;
};

TEST_F(ConfigDialogE2E, ClicksScrollingAndTypingReachTheRegistryOnEnter) {
    ASSERT_NE(Start(), nullptr);
    ClickAt(CentreOf(Item(1024))); // "Display the picture in the center of the screen"
    EXPECT_EQ(SendMessageA(Item(1024), BM_GETCHECK, 0, 0), BST_CHECKED);

    RECT bar = {};
    GetWindowRect(Item(1015), &bar); // duration: its right arrow, twice
    const POINT rightArrow = {bar.right - 4, (bar.top + bar.bottom) / 2};
    ClickAt(rightArrow);
    ClickAt(rightArrow);
    EXPECT_EQ(TextOf(Item(1018)), "7 secs");

    ClickAt(CentreOf(Item(1026))); // "Restrict size" opens the Picture Size dialog
    HWND size = WaitForOwned("Picture Size");
    ASSERT_NE(size, nullptr);
    ClickAt(CentreOf(GetDlgItem(size, 1030))); // width "Other"
    ClickAt(CentreOf(GetDlgItem(size, 1036)));
    Type("1280");
    EXPECT_TRUE(e2e::WaitUntil([&] { return TextOf(GetDlgItem(size, 1036)) == "1280"; }, 2000));
    e2e::PressKey(VK_RETURN); // OK, the default button
    ASSERT_TRUE(e2e::WaitForWindowGone(size));

    e2e::Settle(100);
    e2e::PressKey(VK_RETURN); // OK of the configuration dialog
    EXPECT_EQ(saver_->WaitForExit(), 1);
    EXPECT_EQ(Stored("CenterPicture"), 1u);
    EXPECT_EQ(Stored("DisplayDuration"), 7u);
    EXPECT_EQ(Stored("RestrictSize"), 1u);
    EXPECT_EQ(Stored("MaxWidth"), 1280u);
    EXPECT_EQ(Stored("MaxHeight"), 480u);
    EXPECT_EQ(Stored("ImageCount"), 0u);
}

TEST_F(ConfigDialogE2E, EscapeDropsTheChangesAndExitsWithZero) {
    ASSERT_TRUE(e2e::WriteSettingDword("DisplayDuration", 33));
    ASSERT_NE(Start(), nullptr);
    ClickAt(CentreOf(Item(1008)));
    SendMessageA(dialog_, WM_HSCROLL, SB_LEFT, reinterpret_cast<LPARAM>(Item(1015)));
    e2e::PressKey(VK_ESCAPE);
    EXPECT_EQ(saver_->WaitForExit(), 0);
    EXPECT_EQ(Stored("DisplayDuration"), 33u);
    EXPECT_FALSE(Stored("ClearScreen").has_value());
}

// A folder of files to choose from; the Add dialog only insists that they exist.
class AddE2E : public ConfigDialogE2E {
protected:
    void SetUp() override {
        ConfigDialogE2E::SetUp();
        folder_ = e2e::ScratchPath("Add Folder");
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (const char *name : {"b.jpg", "a.gif", "Notes.TXT"}) {
            HANDLE file = CreateFileA((folder_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                      nullptr);
            CloseHandle(file);
        }
        ASSERT_TRUE(e2e::WriteSettingString("FileDirectory", folder_));
    }
    // Opens Add, optionally picks the last filter, puts in the file names and presses Open.
    void Choose(const std::string &names, bool lastFilter = false) {
        PostMessageA(Item(1004), BM_CLICK, 0, 0);
        HWND open = WaitForOwned("Add an Image");
        ASSERT_NE(open, nullptr);
        if (lastFilter) { // the file-type list, opened with a click; End and Enter pick its last entry
            HWND filters = Descendant(open, 0x470);
            ASSERT_NE(filters, nullptr);
            SetForegroundWindow(open);
            ClickAt(CentreOf(filters));
            e2e::PressKey(VK_END);
            e2e::PressKey(VK_RETURN);
            ASSERT_TRUE(e2e::WaitUntil([&] {
                return SendMessageA(filters, CB_GETCURSEL, 0, 0) == SendMessageA(filters, CB_GETCOUNT, 0, 0) - 1;
            }));
        }
        HWND name = Descendant(open, 0x47c); // the file-name box
        if (!name) name = Descendant(open, 0x480);
        ASSERT_NE(name, nullptr);
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(names.c_str()));
        PostMessageA(open, WM_COMMAND, IDOK, 0); // Open
        ASSERT_TRUE(e2e::WaitForWindowGone(open));
        e2e::Settle(100);
    }
    std::string folder_;
};

TEST_F(AddE2E, ChosenFilesAreAddedInOrderAndTheFolderAndFilterRemembered) {
    ASSERT_NE(Start(), nullptr);
    ASSERT_NO_FATAL_FAILURE(Choose("\"b.jpg\" \"a.gif\""));
    EXPECT_EQ(ListItems(Item(1002)), (std::vector<std::string>{folder_ + "\\b.jpg", folder_ + "\\a.gif"}));
    EXPECT_TRUE(IsWindowEnabled(Item(1007))) << "the buttons follow an Add";
    ASSERT_NO_FATAL_FAILURE(Choose("Notes.TXT", true)); // "All Files": any file goes in, with its case kept
    EXPECT_EQ(ListItems(Item(1002)).size(), 3u);
    EXPECT_EQ(ListItems(Item(1002)).back(), folder_ + "\\Notes.TXT");
    PostMessageA(Item(1), BM_CLICK, 0, 0);
    EXPECT_EQ(saver_->WaitForExit(), 1);
    EXPECT_EQ(Stored("ImageCount"), 3u);
    EXPECT_EQ(StoredText("Image00000"), folder_ + "\\b.jpg");
    EXPECT_EQ(StoredText("Image00001"), folder_ + "\\a.gif");
    EXPECT_EQ(StoredText("Image00002"), folder_ + "\\Notes.TXT");
    EXPECT_EQ(StoredText("FileDirectory"), folder_);
    EXPECT_EQ(Stored("FilterIndex"), 5u);
}

TEST_F(AddE2E, APathLongerThan255CharactersIsRefusedByName) {
    // Nested folders so the whole path is 256 characters or more but each name is short.
    std::string deep = folder_;
    while (deep.size() < 236) {
        deep += "\\" + std::string(std::min<size_t>(40, 236 - deep.size() + 8), 'd');
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    ASSERT_LT(deep.size(), 250u);
    const std::string longPath = deep + "\\" + std::string(252 - deep.size(), 'p') + ".jpg";
    ASSERT_EQ(longPath.size(), 257u);
    ASSERT_LT(longPath.size(), static_cast<size_t>(MAX_PATH));
    HANDLE file = CreateFileA(longPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    ASSERT_NE(Start(), nullptr);
    PostMessageA(Item(1004), BM_CLICK, 0, 0);
    HWND open = WaitForOwned("Add an Image");
    ASSERT_NE(open, nullptr);
    HWND name = Descendant(open, 0x47c);
    if (!name) name = Descendant(open, 0x480);
    ASSERT_NE(name, nullptr);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longPath.c_str()));
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(open));
    HWND message = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] {
        message = saver_->WaitForWindow(kDialogClass, "Quillomir", 0);
        return message && message != dialog_;
    })) << "a message names the file";
    EXPECT_NE(TextOf(GetDlgItem(message, 0xFFFF)).find(longPath), std::string::npos);
    PostMessageA(message, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(message));
    EXPECT_TRUE(ListItems(Item(1002)).empty());
    PostMessageA(Item(2), BM_CLICK, 0, 0);
    EXPECT_EQ(saver_->WaitForExit(), 0);
}

TEST_F(ConfigDialogE2E, TheViewerOpensOnADoubleClickAndClosesOnATypedCharacterOrAClick) {
    const std::string picture = e2e::ScratchPath("viewer.bmp");
    ASSERT_TRUE(e2e::WriteSolidBmp(picture, 200, 120, 0xFF0000));
    ASSERT_TRUE(e2e::WriteSettingDword("ImageCount", 1));
    ASSERT_TRUE(e2e::WriteSettingString("Image00000", picture));
    ASSERT_NE(Start(), nullptr);

    RECT item = {};
    SendMessageA(Item(1002), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(Item(1002), nullptr, reinterpret_cast<POINT *>(&item), 2);
    e2e::MoveCursorTo((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    e2e::Settle(30);
    e2e::PressMouseButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    e2e::PressMouseButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    HWND viewer = WaitForOwned(picture.c_str());
    ASSERT_NE(viewer, nullptr) << "a double-click shows the picture";
    RECT client = {};
    GetClientRect(viewer, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 120);
    e2e::Settle(200);
    const POINT inside = CentreOf(viewer);
    EXPECT_EQ(e2e::CaptureScreen().At(inside.x, inside.y), 0xFF0000u) << "the picture is on screen";
    e2e::PressKey(VK_LEFT);
    e2e::PressKey(VK_F5);
    e2e::Settle(200);
    ASSERT_TRUE(IsWindow(viewer)) << "keys that type nothing leave it open";
    e2e::PressKey('A');
    EXPECT_TRUE(e2e::WaitForWindowGone(viewer)) << "a typed character closes it";

    ClickAt(CentreOf(Item(1020))); // Show
    viewer = WaitForOwned(picture.c_str());
    ASSERT_NE(viewer, nullptr);
    e2e::Settle(100);
    ClickAt(CentreOf(viewer));
    EXPECT_TRUE(e2e::WaitForWindowGone(viewer)) << "a click closes it";
    PostMessageA(Item(2), BM_CLICK, 0, 0);
    EXPECT_EQ(saver_->WaitForExit(), 0);
}

} // namespace
