// The Windows 9x screen-saver password as a user meets it: the saver runs in
// Wine's Windows 98 mode from a folder of its own with the stand-in
// PASSWORD.CPL and MPR.DLL beside it; the prompt and the change dialog are
// driven through their controls, never by activating a window of the test.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "standins/password_store_win.h"
#include "standins/standin_resource.h"
#include "tests/support/e2e.h"

using e2e::Saver;

namespace {

constexpr char kSaverClass[] = "WindowsScreenSaverClass";
constexpr char kSaverTitle[] = "Screen Saver";
constexpr char kPromptCaption[] = "Windows Screen Saver";
constexpr char kChangeCaption[] = "Change Password";
constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\Quillomir.scr";
constexpr char kDesktop[] = "Control Panel\\Desktop";
constexpr char kUsePassword[] = "ScreenSaveUsePassword";
// Where Wine keeps SPI_SCREENSAVERRUNNING when it is set without updating the profile.
constexpr char kRunningKey[] = "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop";
constexpr char kRunningValue[] = "WINE_ScreenSaverRunning";
// Well past the 200 ms in which a further close request is refused without asking.
constexpr DWORD kPastRefusalMs = 300;

// A registry value under HKEY_CURRENT_USER, put back as it was at the end.
class SavedValue {
public:
    SavedValue(const char *subkey, const char *name) : subkey_(subkey), name_(name) {
        DWORD size = sizeof(data_);
        existed_ = RegGetValueA(HKEY_CURRENT_USER, subkey, name, RRF_RT_ANY | RRF_NOEXPAND, &type_, data_,
                                &size) == ERROR_SUCCESS;
        size_ = size;
        RegDeleteKeyValueA(HKEY_CURRENT_USER, subkey, name);
    }
    ~SavedValue() {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, subkey_, name_);
        if (existed_) RegSetKeyValueA(HKEY_CURRENT_USER, subkey_, name_, type_, data_, size_);
    }
    SavedValue(const SavedValue &) = delete;
    SavedValue &operator=(const SavedValue &) = delete;

private:
    const char *subkey_;
    const char *name_;
    bool existed_ = false;
    DWORD type_ = 0, size_ = 0;
    BYTE data_[1024] = {};
};

std::optional<std::string> RawValue(const char *subkey, const char *name) {
    char data[1024];
    DWORD size = sizeof(data);
    if (RegGetValueA(HKEY_CURRENT_USER, subkey, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::string(data, size);
}

// What Wine records of the saver's SPI_SCREENSAVERRUNNING calls: nothing, "1" or "0".
std::optional<std::string> SaverRunningState() {
    auto state = e2e::ReadString(kRunningKey, kRunningValue);
    return state;
}

struct ProcessWindowSearch {
    DWORD processId;
    const char *caption;
    bool messageBox;
    HWND found;
    int count;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<ProcessWindowSearch *>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char text[256] = "";
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    GetClassNameA(window, text, sizeof(text));
    if (std::string(text) != "#32770") return TRUE;
    GetWindowTextA(window, text, sizeof(text));
    if (std::string(text) != search->caption) return TRUE;
    // A message box's text is the static control 65535.
    if ((GetDlgItem(window, 0xFFFF) != nullptr) != search->messageBox) return TRUE;
    search->found = window;
    ++search->count;
    return TRUE;
}

// A visible dialog (or message box) of the process with the caption, waited for.
HWND WaitForDialog(const Saver &saver, const char *caption, bool messageBox = false,
                   DWORD timeoutMs = e2e::kDefaultTimeoutMs) {
    ProcessWindowSearch search{saver.ProcessId(), caption, messageBox, nullptr, 0};
    e2e::WaitUntil([&] {
        search.found = nullptr;
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

int CountDialogs(const Saver &saver, const char *caption) {
    ProcessWindowSearch search{saver.ProcessId(), caption, false, nullptr, 0};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

std::string MessageBoxText(HWND box) {
    char text[512] = "";
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof(text));
    return text;
}

// Types into a control of another process as its own edit would receive it.
void Type(HWND dialog, int id, const char *text) { SetDlgItemTextA(dialog, id, text); }
void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool CursorHidden() {
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    return GetCursorInfo(&cursor) && cursor.hCursor == nullptr;
}

// A plain top-level window of the test, to own the change dialog.
class OwnerWindow {
public:
    OwnerWindow() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QuillomirPasswordOwner";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "QuillomirPasswordOwner", "Display Properties",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        e2e::Settle(100);
    }
    ~OwnerWindow() {
        if (IsWindow(window)) DestroyWindow(window);
        e2e::PumpMessages();
    }
    OwnerWindow(const OwnerWindow &) = delete;
    OwnerWindow &operator=(const OwnerWindow &) = delete;
    HWND window;
};

class Win98Password : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kAppDefaults, "Version", REG_SZ, "win98", 6), ERROR_SUCCESS);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunningKey, kRunningValue);
        folder_ = e2e::BinPath("password_e2e");
        CreateDirectoryA(folder_.c_str(), nullptr);
        ClearFolder();
        ASSERT_TRUE(CopyFileA(e2e::BinPath("Quillomir.scr").c_str(), InFolder("Quillomir.scr").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(e2e::BinPath("gfxlib.dll").c_str(), InFolder("gfxlib.dll").c_str(), FALSE));
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kAppDefaults);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunningKey, kRunningValue);
        ClearFolder();
        RemoveDirectoryA(folder_.c_str());
    }

    std::string InFolder(const char *fileName) const { return folder_ + "\\" + fileName; }
    void ClearFolder() {
        for (const char *name : {"Quillomir.scr", "gfxlib.dll", "PASSWORD.CPL", "MPR.DLL"})
            DeleteFileA(InFolder(name).c_str());
    }
    // Copies a stand-in from build/standins/ beside the saver, under the given name.
    void PlaceStandin(const char *standin, const char *asName) {
        ASSERT_TRUE(CopyFileA(e2e::BinPath((std::string("..\\standins\\") + standin).c_str()).c_str(),
                              InFolder(asName).c_str(), FALSE));
    }
    void RequirePassword(DWORD value) {
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, kUsePassword, REG_DWORD, &value, sizeof(value)),
                  ERROR_SUCCESS);
    }
    // Wine prefers its own MPR.DLL; this makes the saver take the one beside it.
    void PreferStandinMpr() {
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + "\\DllOverrides").c_str(),
                                  "mpr", REG_SZ, "native,builtin", 15),
                  ERROR_SUCCESS);
    }
    void RunInNtMode() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kAppDefaults, "Version"); }

    Saver Start(const std::string &arguments) {
        const std::string path = InFolder("Quillomir.scr");
        return Saver::StartCommandLine(path, "\"" + path + "\" " + arguments);
    }

    // The full-screen saver, started with the cursor at a known place well away from the prompt.
    HWND StartFullScreen(std::optional<Saver> &saver) {
        e2e::MoveCursorTo(kStartX, kStartY);
        saver.emplace(Start("/s"));
        HWND window = saver->WaitForWindow(kSaverClass, kSaverTitle);
        e2e::Settle(300); // shown and active before input arrives
        return window;
    }
    // A mouse move of more than 4 pixels, which asks for the password.
    static void Nudge() {
        static int step = 0;
        step = (step + 1) % 4;
        e2e::MoveCursorTo(kStartX + 6 * step, kStartY + 6);
    }

    static constexpr int kStartX = 80, kStartY = 80;
    SavedValue usePassword_{kDesktop, kUsePassword};
    SavedValue storedPassword_{kDesktop, kPasswordHashValue};
    std::string folder_;
};

} // namespace

TEST_F(Win98Password, WrongPasswordKeepsTheSaverAndTheRightOneClosesIt) {
    PlaceStandin("PASSWORD.CPL", "PASSWORD.CPL");
    RequirePassword(1);
    ASSERT_TRUE(StorePassword("Marigold 42"));
    std::optional<Saver> saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SaverRunningState(), "1") << "switched on before the window existed";

    Nudge();
    HWND prompt = WaitForDialog(*saver, kPromptCaption);
    ASSERT_NE(prompt, nullptr) << "the move asks for the password";
    EXPECT_EQ(GetWindow(prompt, GW_OWNER), window);
    // Over the prompt the user sees a cursor; it must not stay once the prompt is gone.
    RECT promptRect;
    GetWindowRect(prompt, &promptRect);
    e2e::MoveCursorTo(promptRect.left + 20, promptRect.top + 40);
    ASSERT_TRUE(e2e::WaitUntil([] { return !CursorHidden(); }, 1000));
    Type(prompt, IDC_PASSWORD, "marigold 42");
    Click(prompt, IDOK);
    // Queued behind the click: it arrives within 200 ms of the refused check.
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(prompt));
    EXPECT_FALSE(WaitForDialog(*saver, kPromptCaption, false, 600)) << "no prompt inside 200 ms";
    EXPECT_TRUE(saver->IsRunning());
    EXPECT_TRUE(e2e::WaitUntil(CursorHidden, 1000)) << "the cursor stays hidden";

    Nudge();
    prompt = WaitForDialog(*saver, kPromptCaption);
    ASSERT_NE(prompt, nullptr) << "a later move asks again";
    Type(prompt, IDC_PASSWORD, "Marigold 42");
    Click(prompt, IDOK);
    EXPECT_EQ(saver->WaitForExit(), 0);
    EXPECT_EQ(SaverRunningState(), "0") << "switched off after the loop";
}

TEST_F(Win98Password, EmptyOrCancelledPromptKeepsTheSaverAndInputMeanwhileDoesNotStack) {
    PlaceStandin("PASSWORD.CPL", "PASSWORD.CPL");
    RequirePassword(1);
    ASSERT_TRUE(StorePassword("Marigold 42"));
    std::optional<Saver> saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);

    Nudge();
    HWND prompt = WaitForDialog(*saver, kPromptCaption);
    ASSERT_NE(prompt, nullptr);
    Click(prompt, IDOK); // nothing typed
    ASSERT_TRUE(e2e::WaitForWindowGone(prompt));
    e2e::Settle(kPastRefusalMs);
    EXPECT_TRUE(saver->IsRunning());

    Nudge();
    prompt = WaitForDialog(*saver, kPromptCaption);
    ASSERT_NE(prompt, nullptr);
    // Everything that would close the saver, while the prompt is up.
    for (int i = 0; i < 5; ++i) {
        e2e::MoveCursorTo(kStartX + 20 * i, kStartY + 10 * (i % 2));
        PostMessageA(window, WM_KEYDOWN, 'Q', 0);
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    e2e::Settle(200);
    EXPECT_EQ(CountDialogs(*saver, kPromptCaption), 1) << "still the one prompt";
    Click(prompt, IDCANCEL);
    ASSERT_TRUE(e2e::WaitForWindowGone(prompt));
    EXPECT_FALSE(WaitForDialog(*saver, kPromptCaption, false, kPastRefusalMs + 500))
        << "no close request was left over to ask again";
    EXPECT_TRUE(saver->IsRunning());
}

TEST_F(Win98Password, WithoutAUsablePasswordSetupTheFirstInputCloses) {
    ASSERT_TRUE(StorePassword("Marigold 42"));
    struct Case {
        const char *name;
        std::optional<DWORD> usePassword;
        const char *passwordCpl; // stand-in copied as PASSWORD.CPL, if any
    };
    const Case cases[] = {
        {"password not required", 0, "PASSWORD.CPL"},
        {"no ScreenSaveUsePassword value", std::nullopt, "PASSWORD.CPL"},
        {"PASSWORD.CPL absent", 1, nullptr},
        {"PASSWORD.CPL without VerifyScreenSavePwd", 1, "MPR.DLL"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(InFolder("PASSWORD.CPL").c_str());
        if (c.passwordCpl) PlaceStandin(c.passwordCpl, "PASSWORD.CPL");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, kUsePassword);
        if (c.usePassword) RequirePassword(*c.usePassword);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunningKey, kRunningValue);

        std::optional<Saver> saver;
        ASSERT_NE(StartFullScreen(saver), nullptr);
        Nudge();
        EXPECT_EQ(saver->WaitForExit(), 0);
        EXPECT_FALSE(WaitForDialog(*saver, kPromptCaption, false, 0));
        EXPECT_EQ(SaverRunningState(), std::nullopt) << "the system's saver-running state is never touched";
    }
}

TEST_F(Win98Password, ChangeDialogSetsThePasswordThatThePromptThenAccepts) {
    PlaceStandin("MPR.DLL", "MPR.DLL");
    PreferStandinMpr();
    {
        OwnerWindow owner;
        Saver change = Start("/a " + std::to_string(reinterpret_cast<UINT_PTR>(owner.window)));
        HWND dialog = WaitForDialog(change, kChangeCaption);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.window);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_OLD_PASSWORD))) << "no password set yet";

        Type(dialog, IDC_NEW_PASSWORD, "Tulip 7");
        Type(dialog, IDC_CONFIRM_PASSWORD, "Tulip 8");
        Click(dialog, IDOK);
        HWND box = WaitForDialog(change, kChangeCaption, true);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(MessageBoxText(box).find("do not match"), std::string::npos) << MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(e2e::WaitForWindowGone(box));
        EXPECT_EQ(RawValue(kDesktop, kPasswordHashValue), std::nullopt) << "nothing stored yet";

        Type(dialog, IDC_NEW_PASSWORD, "Tulip 7");
        Type(dialog, IDC_CONFIRM_PASSWORD, "Tulip 7");
        Click(dialog, IDOK);
        box = WaitForDialog(change, kChangeCaption, true);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(MessageBoxText(box).find("has been changed"), std::string::npos) << MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(change.WaitForExit(), 0);
    }
    const auto stored = RawValue(kDesktop, kPasswordHashValue);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->find("Tulip"), std::string::npos) << "a hash, never the password itself";

    PlaceStandin("PASSWORD.CPL", "PASSWORD.CPL");
    RequirePassword(1);
    std::optional<Saver> saver;
    ASSERT_NE(StartFullScreen(saver), nullptr);
    Nudge();
    HWND prompt = WaitForDialog(*saver, kPromptCaption);
    ASSERT_NE(prompt, nullptr);
    Type(prompt, IDC_PASSWORD, "Tulip 8");
    Click(prompt, IDOK);
    ASSERT_TRUE(e2e::WaitForWindowGone(prompt));
    e2e::Settle(kPastRefusalMs);
    EXPECT_TRUE(saver->IsRunning());
    Nudge();
    prompt = WaitForDialog(*saver, kPromptCaption);
    ASSERT_NE(prompt, nullptr);
    Type(prompt, IDC_PASSWORD, "Tulip 7");
    Click(prompt, IDOK);
    EXPECT_EQ(saver->WaitForExit(), 0);
}

TEST_F(Win98Password, ChangeDialogWithoutAHandleIsOwnedByTheForegroundWindowAndKeepsTheOldPassword) {
    PlaceStandin("MPR.DLL", "MPR.DLL");
    PreferStandinMpr();
    ASSERT_TRUE(StorePassword("Marigold 42"));
    const auto before = RawValue(kDesktop, kPasswordHashValue);

    OwnerWindow owner;
    SetForegroundWindow(owner.window);
    ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == owner.window; }));
    Saver change = Start("/a");
    HWND dialog = WaitForDialog(change, kChangeCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.window);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_OLD_PASSWORD)));

    Type(dialog, IDC_OLD_PASSWORD, "Marigold 41");
    Type(dialog, IDC_NEW_PASSWORD, "Tulip 7");
    Type(dialog, IDC_CONFIRM_PASSWORD, "Tulip 7");
    Click(dialog, IDOK);
    HWND box = WaitForDialog(change, kChangeCaption, true);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find("old password is not correct"), std::string::npos) << MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitForWindowGone(box));
    Click(dialog, IDCANCEL);
    EXPECT_EQ(change.WaitForExit(), 0) << "0 whatever the user did";
    EXPECT_EQ(RawValue(kDesktop, kPasswordHashValue), before);
}

TEST_F(Win98Password, ChangeSwitchOnWindowsNtShowsNothingAndEndsWithMinusOne) {
    PlaceStandin("MPR.DLL", "MPR.DLL");
    PreferStandinMpr();
    RunInNtMode();
    Saver change = Start("/a");
    bool dialogSeen = false;
    std::optional<LONG> code;
    e2e::WaitUntil([&] {
        dialogSeen = dialogSeen || WaitForDialog(change, kChangeCaption, false, 0) != nullptr;
        code = change.WaitForExit(0);
        return code.has_value();
    });
    EXPECT_EQ(code, -1);
    EXPECT_FALSE(dialogSeen);
    EXPECT_EQ(RawValue(kDesktop, kPasswordHashValue), std::nullopt);
}
