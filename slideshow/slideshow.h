// The slideshow engine's message handlers, called by the saver window procedure.
// Each answers true when it has answered the message itself (the result in
// *answer); otherwise the host's default saver handling follows.
#pragma once

#include <windows.h>

// Full-screen slideshow: one show per monitor.
bool SlideshowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *answer);

// Preview slideshow inside the display settings' window.
bool PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *answer);
