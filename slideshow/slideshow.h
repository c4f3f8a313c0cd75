// The slideshow engine's message handlers, called by the saver window procedure.
#pragma once

#include <windows.h>

// Full-screen slideshow; ends every message in DefaultSaverHandling.
LRESULT SlideshowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Preview slideshow; ends every message in DefaultSaverHandling.
LRESULT PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
