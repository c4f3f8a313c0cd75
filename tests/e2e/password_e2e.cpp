// The Windows 9x screen-saver password as a user meets it: the saver runs in
// Wine's Windows 98 mode from a folder of its own with the stand-in
// PASSWORD.CPL and MPR.DLL beside it; the prompt and the change dialog are
// driven through their controls, never by activating a window of the test.
#include <gtest/gtest.h>

#include <string>

#include "standins/password_store_win.h"
#include "standins/standin_resource.h"
#include "tests/support/e2e.h"

using e2e::Saver;

namespace {
constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\Quillomir.scr";
constexpr char kDesktop[] = "Control Panel\\Desktop";
// Where Wine keeps SPI_SCREENSAVERRUNNING when it is set without updating the profile.
constexpr char kRunningKey[] = "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop";
constexpr char kRunningValue[] = "WINE_ScreenSaverRunning";
constexpr const char *kFiles[] = {"Quillomir.scr", "gfxlib.dll", "..\\standins\\PASSWORD.CPL",
                                  "..\\standins\\MPR.DLL"};

// A dialog with the caption once it is up: visible, its controls made.
HWND WaitForDialog(const char *caption, DWORD timeoutMs = e2e::kDefaultTimeoutMs) {
    HWND dialog = nullptr;
    e2e::WaitUntil([&] { return IsWindowVisible(dialog = FindWindowA("#32770", caption)); }, timeoutMs);
    return IsWindowVisible(dialog) ? dialog : nullptr;
}
HWND WaitForPrompt(DWORD timeoutMs = e2e::kDefaultTimeoutMs) {
    return WaitForDialog("Windows Screen Saver", timeoutMs);
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

LRESULT CALLBACK RefuseWindowCreation(int code, WPARAM, LPARAM) { return code == HCBT_CREATEWND ? 1 : 0; }

class Win98Password : public testing::Test {
protected:
    void SetUp() override {
        TearDown(); // whatever an interrupted run left
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (const char *file : kFiles)
            ASSERT_TRUE(CopyFileA(e2e::BinPath(file).c_str(), In(file).c_str(), FALSE));
        // Read as 4 bytes whatever its type; a shorter value's missing high bytes are 0.
        RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "ScreenSaveUsePassword", REG_BINARY, "\1", 1);
        RegSetKeyValueA(HKEY_CURRENT_USER, kAppDefaults, "Version", REG_SZ, "win98", 6);
        // Wine prefers its own MPR.DLL; this makes the saver take the one beside it.
        RegSetKeyValueA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + "\\DllOverrides").c_str(), "mpr", REG_SZ,
                        "native,builtin", 15);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kAppDefaults);
        for (const char *name : {"ScreenSaveUsePassword", kPasswordHashValue})
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, name);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunningKey, kRunningValue);
        for (const char *file : kFiles) DeleteFileA(In(file).c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    std::string In(const std::string &file) const { return folder_ + "\\" + file.substr(file.rfind('\\') + 1); }
    Saver Start(const std::string &arguments) {
        return Saver::StartCommandLine(In("Quillomir.scr"), "\"" + In("Quillomir.scr") + "\" " + arguments);
    }

    std::string folder_ = e2e::BinPath("password_e2e");
};
} // namespace

TEST_F(Win98Password, TheChangedPasswordIsTheOneThatClosesTheSaver) {
    HWND owner = CreateWindowExA(0, "STATIC", "Display Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300,
                                 200, nullptr, nullptr, nullptr, nullptr);
    Saver change = Start("/a " + std::to_string(reinterpret_cast<UINT_PTR>(owner)));
    HWND dialog = WaitForDialog("Change Password");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    SetDlgItemTextA(dialog, IDC_NEW_PASSWORD, "Tulip 7");
    SetDlgItemTextA(dialog, IDC_CONFIRM_PASSWORD, "Tulip 7");
    Click(dialog, IDOK);
    HWND done = nullptr; // "The screen saver password has been changed.", under the dialog's caption
    ASSERT_TRUE(e2e::WaitUntil([&] {
        while ((done = FindWindowExA(nullptr, done, "#32770", "Change Password")) == dialog) {}
        return done != nullptr;
    }));
    PostMessageA(done, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(change.WaitForExit(), 0);
    EXPECT_EQ(CheckStoredPassword("Tulip 7"), StoredCheck::Right);

    // A password is required: the system is told a saver runs, and a move asks for it.
    e2e::MoveCursorTo(80, 80);
    Saver saver = Start("/s");
    HWND window = saver.WaitForWindow("WindowsScreenSaverClass", "Screen Saver");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(e2e::ReadString(kRunningKey, kRunningValue), "1") << "switched on before the window existed";
    e2e::Settle(300); // shown and active before input arrives
    e2e::MoveCursorTo(90, 90);
    HWND prompt = WaitForPrompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(GetWindow(prompt, GW_OWNER), window);
    // Input while the prompt is up asks no second time (any second prompt would outlive this one).
    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_CLOSE}) PostMessageA(window, message, 0, 0);
    e2e::MoveCursorTo(300, 300); // the user moves on while the prompt is up
    SetDlgItemTextA(prompt, IDC_PASSWORD, "tulip 7");
    Click(prompt, IDOK);
    PostMessageA(window, WM_CLOSE, 0, 0); // arrives within 200 ms of the refused check
    ASSERT_TRUE(e2e::WaitForWindowGone(prompt));
    EXPECT_EQ(WaitForPrompt(800), nullptr) << "the wrong password keeps the saver, and nothing asks again";
    EXPECT_TRUE(saver.IsRunning());

    e2e::MoveCursorTo(90, 90);
    prompt = WaitForPrompt();
    ASSERT_NE(prompt, nullptr);
    SetDlgItemTextA(prompt, IDC_PASSWORD, "Tulip 7");
    Click(prompt, IDOK);
    EXPECT_EQ(saver.WaitForExit(), 0);
    EXPECT_EQ(e2e::ReadString(kRunningKey, kRunningValue), "0") << "switched off after the loop";
}

TEST_F(Win98Password, APromptThatCannotOpenNeverLetsTheSaverClose) {
    ASSERT_TRUE(StorePassword("Tulip 7"));
    HMODULE module = LoadLibraryA(In("PASSWORD.CPL").c_str());
    ASSERT_NE(module, nullptr);
    auto verify = reinterpret_cast<BOOL(WINAPI *)(HWND)>(
        reinterpret_cast<void *>(GetProcAddress(module, "VerifyScreenSavePwd")));
    ASSERT_NE(verify, nullptr);
    // The platform answers -1 when the window cannot be made.
    HHOOK refuseWindows = SetWindowsHookExA(WH_CBT, RefuseWindowCreation, nullptr, GetCurrentThreadId());
    EXPECT_FALSE(verify(nullptr));
    UnhookWindowsHookEx(refuseWindows);
    FreeLibrary(module);
}
