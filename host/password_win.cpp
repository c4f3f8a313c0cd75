// Password support for the saver window. On Windows NT nothing is loaded and a
// close request is granted at once; the Windows 9x verifier and the change
// dialog plug in here.
#include "host/password.h"

#include "host/host.h"

static bool closeConfirmed = false;
static bool passwordCheckInProgress = false;
static HMODULE passwordComponent = nullptr;
static FARPROC passwordVerifier = nullptr;

bool CloseConfirmed() { return closeConfirmed; }
bool PasswordCheckInProgress() { return passwordCheckInProgress; }

void LoadPasswordVerifier() {
    if (!RunningOnWin9x()) return;
}

void UnloadPasswordVerifier() {
    if (!RunningOnWin9x() || !passwordComponent) return;
    FreeLibrary(passwordComponent);
    passwordComponent = nullptr;
    passwordVerifier = nullptr;
}

BOOL ConfirmClose(HWND) {
    if (passwordCheckInProgress || closeConfirmed) return FALSE;
    if (!passwordVerifier) {
        closeConfirmed = true;
        return TRUE;
    }
    return FALSE;
}

LRESULT AnswerVerifyPassword(HWND) { return 1; }

void ChangePassword(HWND owner) {
    using PwdChangePasswordFn = DWORD(WINAPI *)(LPCSTR, HWND, DWORD, LPVOID);
    HMODULE mpr = LoadLibraryA("MPR.DLL");
    if (!mpr) return;
    auto change = reinterpret_cast<PwdChangePasswordFn>(
        reinterpret_cast<void *>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change) change("SCRSAVE", owner, 0, nullptr);
    FreeLibrary(mpr);
}
