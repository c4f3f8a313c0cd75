// The configuration dialog hosted in the test process from its linked
// template, driven through its windows as a click, a key or a drop drives it,
// with the per-user registry redirected to a scratch key.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config_ui/config_ui.h"
#include "module/module.h"
#include "resources/resource.h"
#include "tests/support/e2e.h"
#include "tests/win/config_harness.h"

using config_test::ClickListItem;
using config_test::ItemText;
using config_test::ListItems;
using config_test::MessageBoxText;
using config_test::ModalThread;
using config_test::ScratchRegistry;
using config_test::WindowText;

namespace {

std::string Lowered(std::string text) {
    for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class ConfigDialog : public testing::Test {
protected:
    ConfigDialog() : registry_(testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    // Opens the dialog as the launcher does, with no owner.
    HWND Open() {
        modal_ = std::make_unique<ModalThread>([] { return ShowConfigDialog(nullptr); });
        dialog_ = modal_->WaitForWindow("Quillomir");
        return dialog_;
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    // A button press that opens nothing modal: handled before this returns.
    void Press(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }
    // A press that may open a modal window: the test waits for that window instead.
    void PressLater(int id) { PostMessageA(Item(id), BM_CLICK, 0, 0); }
    void Scroll(int barId, int request, int thumb = 0) {
        SendMessageA(dialog_, WM_HSCROLL, MAKEWPARAM(request, thumb), reinterpret_cast<LPARAM>(Item(barId)));
    }
    int Thumb(int barId) const { return GetScrollPos(Item(barId), SB_CTL); }
    bool Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    LRESULT ComboSelection(int id) const { return SendMessageA(Item(id), CB_GETCURSEL, 0, 0); }
    LRESULT ListSelection() const { return SendMessageA(Item(IDC_FILE_LIST), LB_GETCURSEL, 0, 0); }
    std::vector<std::string> Items() const { return ListItems(Item(IDC_FILE_LIST)); }
    std::string Enabled() const {
        // Add, Delete, Up, Down, Clear all, Show as + or -.
        std::string states;
        for (int id : {IDC_ADD, IDC_DELETE, IDC_UP, IDC_DOWN, IDC_CLEAR_ALL, IDC_SHOW})
            states += IsWindowEnabled(Item(id)) ? '+' : '-';
        return states;
    }
    std::optional<INT_PTR> Ok() {
        PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
        return modal_->WaitForResult();
    }
    std::optional<INT_PTR> Cancel() {
        PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
        return modal_->WaitForResult();
    }
    // A window the dialog opened over itself.
    HWND WaitForModal(const char *caption) { return modal_->WaitForWindow(caption, dialog_); }
    // The focus of the dialog's thread, where the keyboard goes.
    HWND Focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &info);
        return info.hwndFocus;
    }

    ScratchRegistry registry_;
    std::unique_ptr<ModalThread> modal_;
    HWND dialog_ = nullptr;
};

TEST_F(ConfigDialog, ShowsEveryStoredOptionAndOkStoresThemUnchanged) {
    registry_.PutDword("DisplayDuration", 100); // beyond its bar
    registry_.PutDword("ImageSize", 75);
    registry_.PutDword("RefreshSpeed", 30);
    registry_.PutDword("StepSize", 5);
    registry_.PutDword("ClearScreen", 1);
    registry_.PutDword("RemoveBitmaps", 0);
    registry_.PutDword("DisplayTime", 0);
    registry_.PutDword("CenterPicture", 1);
    registry_.PutDword("RestrictSize", 1);
    registry_.PutDword("FadeInStyle", 3);
    registry_.PutDword("FadeOutStyle", 8);
    registry_.PutDword("FilterIndex", 4);
    registry_.PutDword("MaxWidth", 700);
    registry_.PutDword("MaxHeight", 500);
    registry_.PutString("FileDirectory", "C:\\Pictures");
    // Paths as other tools write them (forward slashes, trailing spaces) are shown and kept as they are.
    const std::vector<std::string> paths = {"C:\\Pictures\\Sea.jpg", "C:\\Pictures\\Hill.GIF",
                                            "C:/Pictures/Forward.bmp", "C:\\Pictures\\Trailing.jpg  "};
    registry_.PutImages(paths);
    ASSERT_NE(Open(), nullptr);

    EXPECT_EQ(WindowText(dialog_), "Quillomir");
    EXPECT_EQ(ItemText(dialog_, IDC_DURATION_LABEL), "100 secs");
    EXPECT_EQ(Thumb(IDC_DURATION_BAR), 60);
    EXPECT_EQ(ItemText(dialog_, IDC_IMAGE_SIZE_LABEL), "75 %");
    EXPECT_EQ(Thumb(IDC_IMAGE_SIZE_BAR), 75);
    EXPECT_EQ(ItemText(dialog_, IDC_SPEED_LABEL), "30 fps");
    EXPECT_EQ(ItemText(dialog_, IDC_STEP_LABEL), "5 ppf");
    EXPECT_TRUE(Checked(IDC_CLEAR_SCREEN));
    EXPECT_FALSE(Checked(IDC_REMOVE_BITMAPS));
    EXPECT_FALSE(Checked(IDC_DISPLAY_TIME));
    EXPECT_TRUE(Checked(IDC_CENTER_PICTURE));
    EXPECT_TRUE(Checked(IDC_RESTRICT_SIZE));
    EXPECT_EQ(ComboSelection(IDC_FADE_IN_LIST), 3);
    EXPECT_EQ(ComboSelection(IDC_FADE_OUT_LIST), 8);
    EXPECT_EQ(ItemText(dialog_, IDC_FADE_IN_LIST), "Horizontal Mesh");
    EXPECT_EQ(ItemText(dialog_, IDC_FADE_OUT_LIST), "Four Corners");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FADE_OUT_LIST))) << "fade-out list follows box 1009";
    EXPECT_EQ(Items(), paths);
    EXPECT_EQ(ListSelection(), 0);
    EXPECT_EQ(Enabled(), "++-+++");
    EXPECT_NE(SendMessageA(Item(IDC_ADD), BM_GETIMAGE, IMAGE_ICON, 0), 0) << "icon buttons show icons";
    EXPECT_EQ(ItemText(dialog_, IDC_ADD), "&Add") << "and keep their texts";

    const std::string before = registry_.Snapshot();
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.Snapshot(), before) << "every value is stored as it was read";
}

TEST_F(ConfigDialog, AnEmptyStoreShowsTheDefaultsAndCancelWritesNothing) {
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(ItemText(dialog_, IDC_DURATION_LABEL), "5 secs");
    EXPECT_EQ(ItemText(dialog_, IDC_IMAGE_SIZE_LABEL), "100 %");
    EXPECT_EQ(ItemText(dialog_, IDC_SPEED_LABEL), "25 fps");
    EXPECT_EQ(ItemText(dialog_, IDC_STEP_LABEL), "10 ppf");
    EXPECT_EQ(ComboSelection(IDC_FADE_IN_LIST), 0);
    EXPECT_EQ(ComboSelection(IDC_FADE_OUT_LIST), 1);
    EXPECT_TRUE(Checked(IDC_REMOVE_BITMAPS));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_FADE_OUT_LIST)));
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(Enabled(), "+-----");
    Scroll(IDC_DURATION_BAR, SB_PAGERIGHT);
    Press(IDC_CENTER_PICTURE);
    EXPECT_EQ(Cancel(), 0);
    EXPECT_EQ(registry_.Snapshot(), "") << "the key exists, empty";
}

TEST_F(ConfigDialog, ScrollingMovesThumbAndLabelAndOkCommitsTheLabels) {
    registry_.PutDword("DisplayDuration", 100);
    registry_.PutDword("RefreshSpeed", 5);
    ASSERT_NE(Open(), nullptr);
    Scroll(IDC_DURATION_BAR, SB_LINELEFT);
    EXPECT_EQ(ItemText(dialog_, IDC_DURATION_LABEL), "59 secs") << "the step starts from the clamped thumb";
    EXPECT_EQ(Thumb(IDC_DURATION_BAR), 59);
    Scroll(IDC_DURATION_BAR, SB_THUMBTRACK, 55);
    EXPECT_EQ(ItemText(dialog_, IDC_DURATION_LABEL), "55 secs") << "the label follows a drag";
    Scroll(IDC_DURATION_BAR, SB_PAGERIGHT);
    Scroll(IDC_DURATION_BAR, SB_ENDSCROLL);
    EXPECT_EQ(ItemText(dialog_, IDC_DURATION_LABEL), "60 secs");
    Scroll(IDC_SPEED_BAR, SB_PAGELEFT);
    EXPECT_EQ(ItemText(dialog_, IDC_SPEED_LABEL), "1 fps");
    Scroll(IDC_IMAGE_SIZE_BAR, SB_RIGHT);
    EXPECT_EQ(ItemText(dialog_, IDC_IMAGE_SIZE_LABEL), "150 %");
    Scroll(IDC_STEP_BAR, SB_LEFT);
    EXPECT_EQ(ItemText(dialog_, IDC_STEP_LABEL), "1 ppf");
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.Dword("DisplayDuration"), 60u);
    EXPECT_EQ(registry_.Dword("RefreshSpeed"), 1u);
    EXPECT_EQ(registry_.Dword("ImageSize"), 150u);
    EXPECT_EQ(registry_.Dword("StepSize"), 1u);
}

TEST_F(ConfigDialog, CancelEscapeAndTheCloseBoxDropEveryChange) {
    registry_.PutDword("DisplayDuration", 7);
    registry_.PutDword("RestrictSize", 0);
    registry_.PutString("FileDirectory", "C:\\Old");
    registry_.PutImages({"C:\\a.jpg", "C:\\b.jpg"});
    const std::string before = registry_.Snapshot();
    for (UINT closing : {static_cast<UINT>(WM_COMMAND), static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_SYSCOMMAND)}) {
        SCOPED_TRACE(closing);
        ASSERT_NE(Open(), nullptr);
        Scroll(IDC_DURATION_BAR, SB_RIGHT);
        Press(IDC_CLEAR_SCREEN);
        Press(IDC_DELETE);
        PressLater(IDC_RESTRICT_SIZE); // sizes set in the Picture Size dialog are dropped too
        HWND size = WaitForModal("Picture Size");
        ASSERT_NE(size, nullptr);
        SendMessageA(GetDlgItem(size, IDC_WIDTH_1024), BM_CLICK, 0, 0);
        PostMessageA(size, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(e2e::WaitForWindowGone(size));
        if (closing == WM_COMMAND) PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0); // Cancel, and Escape
        if (closing == WM_CLOSE) PostMessageA(dialog_, WM_CLOSE, 0, 0);            // Alt+F4
        if (closing == WM_SYSCOMMAND) PostMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0); // the close box
        EXPECT_EQ(modal_->WaitForResult(), 0);
        EXPECT_EQ(registry_.Snapshot(), before);
    }
}

TEST_F(ConfigDialog, AFadeIndexOutsideItsListSelectsNothingAndOkStoresZero) {
    registry_.PutDword("FadeInStyle", 8);
    registry_.PutDword("FadeOutStyle", 0xFFFFFFFF);
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(ComboSelection(IDC_FADE_IN_LIST), CB_ERR);
    EXPECT_EQ(ComboSelection(IDC_FADE_OUT_LIST), CB_ERR);
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.Dword("FadeInStyle"), 0u);
    EXPECT_EQ(registry_.Dword("FadeOutStyle"), 0u);
}

TEST_F(ConfigDialog, TheRemoveBoxSwitchesTheFadeOutListButOkStoresItsSelection) {
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(Checked(IDC_REMOVE_BITMAPS));
    SendMessageA(Item(IDC_FADE_OUT_LIST), CB_SETCURSEL, 5, 0);
    Press(IDC_REMOVE_BITMAPS);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FADE_OUT_LIST)));
    Press(IDC_REMOVE_BITMAPS);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_FADE_OUT_LIST)));
    Press(IDC_REMOVE_BITMAPS);
    Press(IDC_DISPLAY_TIME);
    Press(IDC_CLEAR_SCREEN);
    SendMessageA(Item(IDC_FADE_IN_LIST), CB_SETCURSEL, 7, 0);
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.Dword("RemoveBitmaps"), 0u);
    EXPECT_EQ(registry_.Dword("FadeOutStyle"), 5u);
    EXPECT_EQ(registry_.Dword("FadeInStyle"), 7u);
    EXPECT_EQ(registry_.Dword("DisplayTime"), 0u);
    EXPECT_EQ(registry_.Dword("ClearScreen"), 1u);
}

TEST_F(ConfigDialog, DeleteUpAndDownKeepTheSelectionAndTheButtonsInStep) {
    registry_.PutImages({"A", "B", "C"});
    ASSERT_NE(Open(), nullptr);
    ClickListItem(dialog_, 1);
    Press(IDC_UP);
    EXPECT_EQ(Items(), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(ListSelection(), 0);
    EXPECT_EQ(Enabled(), "++-+++") << "Up is off on the top row";
    Press(IDC_UP); // disabled: a click does nothing
    EXPECT_EQ(Items(), (std::vector<std::string>{"B", "A", "C"}));
    Press(IDC_DOWN);
    EXPECT_EQ(Items(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(ListSelection(), 1);
    ClickListItem(dialog_, 0);
    Press(IDC_DOWN);
    EXPECT_EQ(Items(), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(ListSelection(), 1);
    EXPECT_EQ(Enabled(), "++++++");

    ClickListItem(dialog_, 2);
    EXPECT_EQ(Enabled(), "+++-++") << "Down is off on the last row";
    Press(IDC_DELETE);
    EXPECT_EQ(Items(), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(ListSelection(), LB_ERR) << "deleting the last item leaves no selection";
    EXPECT_EQ(Enabled(), "+---+-");
    ClickListItem(dialog_, 0);
    SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_DELETE)), TRUE);
    Press(IDC_DELETE);
    EXPECT_EQ(Items(), std::vector<std::string>{"A"});
    EXPECT_EQ(ListSelection(), 0) << "the item that followed takes the selection";
    EXPECT_EQ(Focus(), Item(IDC_DELETE));
    Press(IDC_DELETE);
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(Enabled(), "+-----") << "deleting the only item also disables Clear all";
    EXPECT_EQ(Focus(), Item(IDC_FILE_LIST)) << "the keyboard is not left on a disabled button";
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.Dword("ImageCount"), 0u);
    EXPECT_FALSE(registry_.String("Image00000").has_value());
}

TEST_F(ConfigDialog, ClearAllAsksAndEmptiesTheListOnlyOnYes) {
    registry_.PutImages({"C:\\a.jpg", "C:\\b.jpg", "C:\\c.jpg"});
    ASSERT_NE(Open(), nullptr);
    for (int answer : {IDNO, IDYES}) {
        PressLater(IDC_CLEAR_ALL);
        HWND box = WaitForModal("Question");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), "Do you really want to delete all the bitmaps out of the list?");
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialog_);
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        ASSERT_TRUE(e2e::WaitForWindowGone(box));
        SendMessageA(dialog_, WM_NULL, 0, 0); // handled once the command has finished
        EXPECT_EQ(Items().size(), answer == IDNO ? 3u : 0u);
    }
    EXPECT_EQ(Enabled(), "+-----");
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.Dword("ImageCount"), 0u) << "an empty list commits ImageCount 0";
    EXPECT_FALSE(registry_.String("Image00000").has_value());
}

TEST_F(ConfigDialog, DroppedPicturesAreAddedLowerCasedAndOthersSkipped) {
    ASSERT_NE(Open(), nullptr);
    HDROP drop = config_test::MakeDrop({"C:\\Photos\\HOLIDAY.JPG", "C:\\Photos\\notes.txt",
                                        "C:\\Old.GIF\\readme.txt", "D:\\Scan.Bmp", "C:\\x.jpeg",
                                        "C:\\Photos\\HOLIDAY.JPG"});
    SendMessageA(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(Items(), (std::vector<std::string>{"c:\\photos\\holiday.jpg", "c:\\old.gif\\readme.txt",
                                                 "d:\\scan.bmp", "c:\\x.jpeg", "c:\\photos\\holiday.jpg"}));
    EXPECT_EQ(Enabled(), "+-----") << "a drop does not update the buttons";
    ClickListItem(dialog_, 4);
    EXPECT_EQ(Enabled(), "+++-++");
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.Dword("ImageCount"), 5u);
    EXPECT_EQ(registry_.String("Image00001"), "c:\\old.gif\\readme.txt");
    EXPECT_EQ(registry_.String("Image00004"), "c:\\photos\\holiday.jpg");
}

TEST_F(ConfigDialog, ADroppedPathTooLongForASlotIsNamedAndTheRestAdded) {
    ASSERT_NE(Open(), nullptr);
    const std::string longPath = "C:\\" + std::string(241, 'F') + "\\Picture.JPG"; // 255 + 1 characters
    ASSERT_EQ(longPath.size(), 256u);
    const std::string fits = "C:\\" + std::string(240, 'g') + "\\Pict.jpg";    // 253 characters
    HDROP drop = config_test::MakeDrop({"C:\\before.gif", longPath, fits, "C:\\after.bmp"});
    PostMessageA(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    HWND message = WaitForModal("Quillomir");
    ASSERT_NE(message, nullptr) << "a message names the refused file";
    EXPECT_NE(MessageBoxText(message).find(Lowered(longPath)), std::string::npos) << MessageBoxText(message);
    PostMessageA(message, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(message));
    EXPECT_EQ(Items(), (std::vector<std::string>{"c:\\before.gif", Lowered(fits), "c:\\after.bmp"}));
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.String("Image00001"), Lowered(fits));
}

TEST_F(ConfigDialog, RestrictSizeAsksForTheSizesOnlyWhenAClickChecksIt) {
    registry_.PutDword("RestrictSize", 0);
    ASSERT_NE(Open(), nullptr);
    PressLater(IDC_RESTRICT_SIZE);
    HWND size = WaitForModal("Picture Size");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(GetWindow(size, GW_OWNER), dialog_);
    EXPECT_TRUE(SendMessageA(GetDlgItem(size, IDC_WIDTH_640), BM_GETCHECK, 0, 0) == BST_CHECKED);
    SendMessageA(GetDlgItem(size, IDC_WIDTH_OTHER), BM_CLICK, 0, 0);
    SetDlgItemTextA(size, IDC_WIDTH_EDIT, "1280");
    SendMessageA(GetDlgItem(size, IDC_HEIGHT_768), BM_CLICK, 0, 0);
    PostMessageA(size, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(size));

    PressLater(IDC_RESTRICT_SIZE); // unchecks: nothing opens
    e2e::Settle(300);
    EXPECT_EQ(modal_->FindWindowNow("Picture Size"), nullptr);
    EXPECT_FALSE(Checked(IDC_RESTRICT_SIZE));

    PressLater(IDC_RESTRICT_SIZE); // checks again: the sizes so far are shown
    size = WaitForModal("Picture Size");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(ItemText(size, IDC_WIDTH_EDIT), "1280");
    EXPECT_TRUE(SendMessageA(GetDlgItem(size, IDC_HEIGHT_768), BM_GETCHECK, 0, 0) == BST_CHECKED);
    PostMessageA(size, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(size));
    EXPECT_TRUE(Checked(IDC_RESTRICT_SIZE)) << "cancelling the sizes leaves the box checked";

    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(registry_.Dword("RestrictSize"), 1u);
    EXPECT_EQ(registry_.Dword("MaxWidth"), 1280u);
    EXPECT_EQ(registry_.Dword("MaxHeight"), 768u);
}

TEST_F(ConfigDialog, F1AndTheHelpButtonOpenTheAboutDialogWhichEscapeDoesNotClose) {
    ASSERT_NE(Open(), nullptr);
    for (bool byKey : {true, false}) {
        SCOPED_TRACE(byKey ? "F1" : "button");
        if (byKey) {
            HELPINFO help = {sizeof(help), HELPINFO_WINDOW, IDC_FILE_LIST, Item(IDC_FILE_LIST), 0, {0, 0}};
            SendMessageA(dialog_, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        } else {
            PressLater(IDC_HAYULP);
        }
        HWND about = WaitForModal("About");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(GetWindow(about, GW_OWNER), dialog_);
        EXPECT_EQ(ItemText(about, IDC_DESCRIPTION), "Quillomir");
        PostMessageA(about, WM_COMMAND, IDCANCEL, 0); // Escape
        e2e::Settle(200);
        EXPECT_TRUE(IsWindow(about)) << "Escape leaves the About dialog open";
        if (byKey)
            PostMessageA(about, WM_COMMAND, IDOK, 0);
        else
            PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(e2e::WaitForWindowGone(about));
    }
    EXPECT_EQ(Cancel(), 0);
}

TEST_F(ConfigDialog, ADoubleClickOrShowOpensTheViewerOnTheSelectedPicture) {
    const std::string picture = config_test::WriteTestBitmap("quillomir_config_show.bmp", 120, 80);
    registry_.PutImages({"C:\\missing.jpg", picture});
    ASSERT_NE(Open(), nullptr);
    ClickListItem(dialog_, 1);
    PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_FILE_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(Item(IDC_FILE_LIST)));
    HWND viewer = WaitForModal(picture.c_str());
    ASSERT_NE(viewer, nullptr) << "the viewer's caption is the path as the list holds it";
    EXPECT_EQ(GetWindow(viewer, GW_OWNER), dialog_);
    PostMessageA(viewer, WM_CHAR, 'x', 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(viewer));

    PressLater(IDC_SHOW);
    viewer = WaitForModal(picture.c_str());
    ASSERT_NE(viewer, nullptr);
    PostMessageA(viewer, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(viewer));

    // A picture that cannot be read: nothing opens, no message, the dialog is as it was.
    ClickListItem(dialog_, 0);
    PressLater(IDC_SHOW);
    e2e::Settle(300);
    SendMessageA(dialog_, WM_NULL, 0, 0);
    EXPECT_EQ(modal_->FindWindowNow("C:\\missing.jpg"), nullptr);
    EXPECT_EQ(modal_->FindWindowNow(nullptr), dialog_);
    EXPECT_EQ(ListSelection(), 0);
    DeleteFileA(picture.c_str());
    EXPECT_EQ(Cancel(), 0);
}

TEST_F(ConfigDialog, AListTooLongToStoreIsRefusedAndTheStoredListKept) {
    registry_.PutImages({"C:\\kept.jpg"});
    const std::string before = registry_.Snapshot();
    ASSERT_NE(Open(), nullptr);
    HWND list = Item(IDC_FILE_LIST);
    constexpr int kTooMany = 100001;
    modal_->RunOnThread([list] { // on the list's own thread: a hundred thousand cross-thread calls take long
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        SendMessageA(list, LB_INITSTORAGE, kTooMany, kTooMany * 8);
        for (int i = 1; i < kTooMany; ++i) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("C:\\x.jpg"));
    });
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), kTooMany);
    PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
    HWND message = WaitForModal("Quillomir");
    ASSERT_NE(message, nullptr);
    EXPECT_NE(MessageBoxText(message).find("100001"), std::string::npos) << MessageBoxText(message);
    PostMessageA(message, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(message));
    EXPECT_TRUE(modal_->Running()) << "the dialog stays open";
    EXPECT_EQ(registry_.Snapshot(), before);
    EXPECT_EQ(Cancel(), 0);
    EXPECT_EQ(registry_.Snapshot(), before);
}

} // namespace
