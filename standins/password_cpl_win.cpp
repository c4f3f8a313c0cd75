// Stand-in for the Windows 9x PASSWORD.CPL: VerifyScreenSavePwd asks for the
// screen-saver password in a modal prompt owned by the saver window. It grants
// only for the stored password; a wrong or empty one, a cancel, a prompt that
// cannot open and a store that is missing or damaged all refuse.
#include <windows.h>

#include "standins/password_record.h"
#include "standins/password_store_win.h"
#include "standins/sha256.h"
#include "standins/standin_resource.h"

namespace {
// Ends the prompt only for the right password; no other path can produce it
// (IDOK, IDCANCEL and the failure value -1 all refuse).
constexpr INT_PTR kRightPassword = 0x600D;

HINSTANCE module = nullptr;

void OnInitDialog(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_PASSWORD, EM_LIMITTEXT, kMaxPasswordLength, 0);
    const char *reason = nullptr;
    switch (StoredPasswordState()) {
    case StoredState::Present: break;
    case StoredState::NotSet:
        reason = "No screen saver password has been set, so none can be accepted.";
        break;
    case StoredState::Damaged:
        reason = "The stored screen saver password cannot be read, so none can be accepted.";
        break;
    }
    if (reason) {
        SetDlgItemTextA(dialog, IDC_PROMPT_TEXT, reason);
        EnableWindow(GetDlgItem(dialog, IDC_PASSWORD), FALSE);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        SendMessageA(dialog, DM_SETDEFID, IDCANCEL, 0);
        SetFocus(GetDlgItem(dialog, IDCANCEL));
    } else {
        SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
    }
    // Above the topmost saver window that owns it.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void OnOk(HWND dialog) {
    // One byte more than the limit, so an over-long text set from outside fails.
    char typed[kMaxPasswordLength + 2] = "";
    GetDlgItemTextA(dialog, IDC_PASSWORD, typed, sizeof(typed));
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const bool right = CheckStoredPassword(typed) == StoredCheck::Right;
    SetCursor(previous);
    WipeBytes(typed, sizeof(typed));
    if (!right) MessageBeep(MB_ICONHAND);
    EndDialog(dialog, right ? kRightPassword : 0);
}

INT_PTR CALLBACK VerifyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE; // focus set above
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (IsWindowEnabled(GetDlgItem(dialog, IDOK))) OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
    const INT_PTR result =
        DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_VERIFY_PASSWORD), owner, VerifyDialogProc, 0);
    return result == kRightPassword ? TRUE : FALSE;
}
