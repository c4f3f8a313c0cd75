// Launch modes as the desktop or a user starts them: which window appears,
// and the exit code the process ends with.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/e2e.h"

using e2e::Saver;

namespace {

constexpr char kSaverClass[] = "WindowsScreenSaverClass";
constexpr char kDialogClass[] = "#32770";

// The configuration dialog opens; Cancel ends the process with 0.
void ExpectConfigDialog(Saver &saver, HWND expectedOwner) {
    HWND dialog = saver.WaitForWindow(kDialogClass, "Quillomir");
    ASSERT_NE(dialog, nullptr) << "no configuration dialog";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), expectedOwner);
    EXPECT_EQ(saver.WaitForWindow(kSaverClass, nullptr, 0), nullptr);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

// The full-screen saver appears; a key press ends it with 0.
void ExpectFullScreen(Saver &saver) {
    HWND window = saver.WaitForWindow(kSaverClass, "Screen Saver");
    ASSERT_NE(window, nullptr) << "no full-screen saver";
    e2e::Settle(200);
    e2e::PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0);
}

// Ends at once with -1 and shows no window of its own.
void ExpectRefused(const std::string &arguments) {
    Saver saver = Saver::Start(arguments);
    ASSERT_TRUE(saver.Started());
    EXPECT_EQ(saver.WaitForExit(), -1) << "arguments: [" << arguments << "]";
}

// A visible top-level window of the test's own, for owners and preview parents.
class HostWindow {
public:
    HostWindow(int clientWidth = 152, int clientHeight = 112) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QuillomirTestHost";
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassA(&windowClass);
        RECT r = {0, 0, clientWidth, clientHeight};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        window = CreateWindowExA(0, "QuillomirTestHost", "Test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                 r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                                 nullptr);
        SetForegroundWindow(window);
        e2e::Settle(100);
    }
    ~HostWindow() {
        if (IsWindow(window)) DestroyWindow(window);
        e2e::PumpMessages();
    }
    std::string Number() const { return std::to_string(reinterpret_cast<UINT_PTR>(window)); }
    HWND window;

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
};

} // namespace

TEST(LaunchModesE2E, NoSwitchOpensTheConfigurationDialogWithNoOwner) {
    for (const char *arguments : {"", "   ", " -/ -- //"}) {
        SCOPED_TRACE(std::string("arguments: [") + arguments + "]");
        Saver saver = Saver::Start(arguments);
        ExpectConfigDialog(saver, nullptr);
    }
}

TEST(LaunchModesE2E, ConfigSwitchOwnsTheDialogByTheForegroundWindow) {
    HostWindow foreground;
    HostWindow other;
    SetForegroundWindow(foreground.window);
    e2e::Settle(100);
    ASSERT_EQ(GetForegroundWindow(), foreground.window);
    for (std::string arguments : {std::string("/c"), std::string("-C"), "c:" + other.Number()}) {
        SCOPED_TRACE("arguments: " + arguments);
        Saver saver = Saver::Start(arguments);
        ExpectConfigDialog(saver, foreground.window); // the number after c: is never read
        SetForegroundWindow(foreground.window);
        e2e::Settle(50);
    }
}

TEST(LaunchModesE2E, OkInTheConfigurationDialogStoresTheSettingsAndExitsWithOne) {
    ASSERT_TRUE(e2e::ClearSettings());
    for (const char *arguments : {"", "/c", "c:123"}) {
        SCOPED_TRACE(std::string("arguments: [") + arguments + "]");
        Saver saver = Saver::Start(arguments);
        HWND dialog = saver.WaitForWindow(kDialogClass, "Quillomir");
        ASSERT_NE(dialog, nullptr);
        HWND duration = GetDlgItem(dialog, 1015);
        SendMessageA(dialog, WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(duration)); // 5 + 1 secs
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        EXPECT_EQ(saver.WaitForExit(), 1);
        EXPECT_EQ(e2e::ReadDword(e2e::kSettingsKey, "DisplayDuration"), 6u);
        EXPECT_EQ(e2e::ReadDword(e2e::kSettingsKey, "ImageCount"), 0u);
        ASSERT_TRUE(e2e::ClearSettings());
    }
}

TEST(LaunchModesE2E, EverySpellingOfTheSaverSwitchRunsFullScreen) {
    for (const char *arguments : {"/S", "-s", "s", "s and more words", "/s /p 123"}) {
        SCOPED_TRACE(std::string("arguments: ") + arguments);
        Saver saver = Saver::Start(arguments);
        ExpectFullScreen(saver);
    }
}

TEST(LaunchModesE2E, PreviewSwitchesRunInsideTheGivenWindow) {
    for (const char *spelling : {"/p ", "/p", "-P   ", "/l ", "L"}) {
        HostWindow parent;
        const std::string arguments = spelling + parent.Number();
        SCOPED_TRACE("arguments: " + arguments);
        Saver saver = Saver::Start(arguments);
        HWND preview = e2e::WaitForChildWindow(parent.window, kSaverClass, "Preview");
        ASSERT_NE(preview, nullptr);
        DWORD owner = 0;
        GetWindowThreadProcessId(preview, &owner);
        EXPECT_EQ(owner, saver.ProcessId());
        DestroyWindow(parent.window); // the host ends the preview by destroying its window
        EXPECT_EQ(saver.WaitForExit(), 0);
    }
}

TEST(LaunchModesE2E, PreviewWithoutAUsableWindowEndsWithMinusOne) {
    HostWindow parent;
    ExpectRefused("/p:" + parent.Number()); // the colon stops the number at 0
    ExpectRefused("/p");
    ExpectRefused("/p 0");
    ExpectRefused("/l abc");
    HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const std::string goneNumber = std::to_string(reinterpret_cast<UINT_PTR>(gone));
    DestroyWindow(gone);
    ExpectRefused("/p " + goneNumber); // names no window
}

TEST(LaunchModesE2E, PasswordSwitchOnWindowsNtEndsWithMinusOneAndNoDialog) {
    ExpectRefused("/a");
    ExpectRefused("-A 0");
}

TEST(LaunchModesE2E, UnknownSwitchesEndWithMinusOne) {
    for (char letter = 't'; letter <= 'z'; ++letter) ExpectRefused(std::string("/") + letter);
    ExpectRefused("/?");
    ExpectRefused("/\ts");
    ExpectRefused("/b");
    ExpectRefused("/1");
}

// A copy of the saver in a folder whose name has spaces, with the DLLs it needs.
class SpacedCopy : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "Quillomir Test Folder";
        CreateDirectoryA(folder_.c_str(), nullptr);
        path_ = folder_ + "\\Quillomir.scr";
        ASSERT_TRUE(CopyFileA(e2e::BinPath("Quillomir.scr").c_str(), path_.c_str(), FALSE));
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(e2e::BinPath("*.dll").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                CopyFileA(e2e::BinPath(found.cFileName).c_str(), (folder_ + "\\" + found.cFileName).c_str(),
                          FALSE);
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
    }
    std::string folder_, path_;
};

TEST_F(SpacedCopy, QuotedProgramNameWithSpacesIsSkippedWhole) {
    Saver saver = Saver::StartCommandLine(path_, "\"" + path_ + "\" /s");
    ExpectFullScreen(saver);
}

TEST_F(SpacedCopy, UnclosedQuoteTakesTheWholeLineAndOpensTheDialog) {
    Saver saver = Saver::StartCommandLine(path_, "\"" + path_ + " /s");
    ExpectConfigDialog(saver, nullptr);
}
