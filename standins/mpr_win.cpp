// Stand-in for the Windows 9x MPR.DLL, for the screen-saver provider only:
// PwdChangePasswordA("SCRSAVE", owner, 0, 0) runs a modal dialog for the old
// password, the new one and its confirmation, and stores the new one as a
// salted hash. Exports nothing else, so it must never replace a system MPR.DLL.
#include <windows.h>

#include "standins/password_record.h"
#include "standins/password_store_win.h"
#include "standins/sha256.h"
#include "standins/standin_resource.h"

namespace {
constexpr char kCaption[] = "Change Password";
HINSTANCE module = nullptr;

// A password field's text, wiped when it goes out of scope.
struct Field {
    char text[kMaxPasswordLength + 2] = ""; // one more than the limit: over-long text is caught
    Field(HWND dialog, int id) { GetDlgItemTextA(dialog, id, text, sizeof(text)); }
    ~Field() { WipeBytes(text, sizeof(text)); }
    Field(const Field &) = delete;
    Field &operator=(const Field &) = delete;
};

void Complain(HWND dialog, const char *text, int focusId, bool clearNew) {
    MessageBoxA(dialog, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
    if (clearNew) {
        SetDlgItemTextA(dialog, IDC_NEW_PASSWORD, "");
        SetDlgItemTextA(dialog, IDC_CONFIRM_PASSWORD, "");
    }
    HWND field = GetDlgItem(dialog, focusId);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

void OnInitDialog(HWND dialog) {
    for (int id : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD})
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, kMaxPasswordLength, 0);
    const StoredState state = StoredPasswordState();
    if (state == StoredState::Present) {
        SetFocus(GetDlgItem(dialog, IDC_OLD_PASSWORD));
        return;
    }
    // Nothing readable to confirm: the old password is not asked for.
    SetDlgItemTextA(dialog, IDC_PROMPT_TEXT,
                    state == StoredState::NotSet
                        ? "No screen saver password is set yet. Type the new password twice."
                        : "The stored screen saver password cannot be read. Type a new password twice to replace it.");
    EnableWindow(GetDlgItem(dialog, IDC_OLD_LABEL), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_OLD_PASSWORD), FALSE);
    SetFocus(GetDlgItem(dialog, IDC_NEW_PASSWORD));
}

void OnOk(HWND dialog) {
    const Field oldPassword(dialog, IDC_OLD_PASSWORD);
    const Field newPassword(dialog, IDC_NEW_PASSWORD);
    const Field confirmation(dialog, IDC_CONFIRM_PASSWORD);
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    // Only a readable record that the old password does not match refuses.
    const bool oldAccepted = CheckStoredPassword(oldPassword.text) != StoredCheck::Wrong;
    SetCursor(previous);
    switch (JudgePasswordChange(oldAccepted, newPassword.text, confirmation.text)) {
    case PasswordChange::WrongOld:
        Complain(dialog, "The old password is not correct. Type it again.", IDC_OLD_PASSWORD, false);
        return;
    case PasswordChange::EmptyNew:
        Complain(dialog, "The new password must not be empty.", IDC_NEW_PASSWORD, true);
        return;
    case PasswordChange::TooLong:
        Complain(dialog, "The new password is too long.", IDC_NEW_PASSWORD, true);
        return;
    case PasswordChange::Mismatch:
        Complain(dialog, "The new password and its confirmation do not match. Type them again.",
                 IDC_NEW_PASSWORD, true);
        return;
    case PasswordChange::Accept:
        break;
    }
    if (!StorePassword(newPassword.text)) {
        MessageBoxA(dialog, "The new password could not be stored. The old one still applies.", kCaption,
                    MB_OK | MB_ICONERROR);
        return;
    }
    MessageBoxA(dialog, "The screen saver password has been changed.", kCaption, MB_OK | MB_ICONINFORMATION);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK ChangeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE; // focus set above
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
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

extern "C" DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD, LPVOID) {
    if (!provider || lstrcmpiA(provider, "SCRSAVE") != 0) return ERROR_BAD_PROVIDER;
    const INT_PTR result =
        DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_CHANGE_PASSWORD), owner, ChangeDialogProc, 0);
    if (result == IDOK) return ERROR_SUCCESS;
    if (result == IDCANCEL) return ERROR_CANCELLED;
    return ERROR_GEN_FAILURE;
}
