// Password support for the saver window on Windows 9x: loads PASSWORD.CPL when
// the user's desktop settings require a password, runs the close check through
// it, and opens MPR.DLL's change dialog. On NT nothing here is loaded or read.
// Never shows anything itself: every prompt belongs to the platform component.
#include "host/password.h"

#include "host/host.h"
#include "host/password_rules.h"
#include "module/module.h"

namespace {
using VerifyScreenSavePwdFn = BOOL(WINAPI *)(HWND);
using PwdChangePasswordFn = DWORD(WINAPI *)(LPCSTR, HWND, DWORD, LPVOID);

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kUsePasswordValue[] = "ScreenSaveUsePassword";
constexpr UINT kScreenSaverRunning = 97; // SPI_SCREENSAVERRUNNING

template <typename Fn> Fn LookUp(HMODULE module, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

// The close check's view of this window and of the platform.
class SaverCheckPlatform final : public CloseCheckPlatform {
public:
    explicit SaverCheckPlatform(HWND window) : window_(window) {}
    std::uint32_t TickCount() override { return GetTickCount(); }
    void RemovePendingTimers() override {
        MSG ignored;
        for (int i = 0; i < 2; ++i)
            PeekMessageA(&ignored, window_, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    }
    bool AskVerifier() override { return SendMessageA(window_, WM_VERIFY_PASSWORD, 0, 0) != 0; }
    void HideCursor() override { ::HideCursor(); }

private:
    HWND window_;
};
} // namespace

static CloseCheck closeCheck;
static HMODULE passwordComponent = nullptr;
static VerifyScreenSavePwdFn passwordVerifier = nullptr;

bool CloseConfirmed() { return closeCheck.CloseConfirmed(); }
bool PasswordCheckInProgress() { return closeCheck.InProgress(); }

void SignalSaverRunning(bool on) {
    if (!RunningOnWin9x()) return;
    UINT previous = 0; // the call reports the previous state here; not used
    SystemParametersInfoA(kScreenSaverRunning, on ? TRUE : FALSE, &previous, 0);
}

static bool PasswordRequiredIn(HKEY desktop) {
    // A shorter value keeps its missing high bytes 0; a longer one fails the read.
    DWORD value = 0;
    DWORD size = sizeof(value);
    return RegQueryValueExA(desktop, kUsePasswordValue, nullptr, nullptr,
                            reinterpret_cast<BYTE *>(&value), &size) == ERROR_SUCCESS &&
           value != 0;
}

void LoadPasswordVerifier() {
    if (!RunningOnWin9x()) return;
    HKEY desktop = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kDesktopKey, &desktop) != ERROR_SUCCESS) return;
    if (PasswordRequiredIn(desktop)) {
        passwordComponent = LoadLibraryA("PASSWORD.CPL");
        if (passwordComponent) {
            passwordVerifier = LookUp<VerifyScreenSavePwdFn>(passwordComponent, "VerifyScreenSavePwd");
            if (passwordVerifier)
                SignalSaverRunning(true);
            else
                UnloadPasswordVerifier();
        }
    }
    RegCloseKey(desktop);
}

void UnloadPasswordVerifier() {
    if (!RunningOnWin9x() || !passwordComponent) return;
    FreeLibrary(passwordComponent);
    passwordComponent = nullptr;
    if (passwordVerifier) {
        passwordVerifier = nullptr;
        SignalSaverRunning(false);
    }
}

BOOL ConfirmClose(HWND window) {
    SaverCheckPlatform platform(window);
    return closeCheck.Confirm(passwordVerifier != nullptr, platform) ? TRUE : FALSE;
}

LRESULT AnswerVerifyPassword(HWND window) {
    if (!passwordVerifier) return 1;
    return passwordVerifier(window);
}

void ChangePassword(HWND owner) {
    HMODULE mpr = LoadLibraryA("MPR.DLL");
    if (!mpr) return;
    auto change = LookUp<PwdChangePasswordFn>(mpr, "PwdChangePasswordA");
    if (change) change("SCRSAVE", owner, 0, nullptr);
    FreeLibrary(mpr);
}
