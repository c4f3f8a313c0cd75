// Screen-saver password support (Windows 9x only): the platform's verifier,
// the close check that asks it, and the platform's password-change dialog.
// Owns the close-confirmed and check-in-progress flags; the saver window reads them.
#pragma once

#include <windows.h>

// The private message the saver sends itself to verify the password.
constexpr UINT WM_VERIFY_PASSWORD = WM_APP;

void LoadPasswordVerifier();
void UnloadPasswordVerifier();

// Tells the system whether a screen saver is running (Windows 9x only).
void SignalSaverRunning(bool on);

// Non-zero when the window may close, 0 when it must stay.
BOOL ConfirmClose(HWND window);

// The verifier's answer for the window, or 1 when no verifier is loaded.
LRESULT AnswerVerifyPassword(HWND window);

// Shows the platform's password-change dialog owned by the window.
void ChangePassword(HWND owner);

bool CloseConfirmed();
bool PasswordCheckInProgress();
