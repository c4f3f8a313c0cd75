// The screen-saver host: process entry, modes, the saver window and its close rules.
// The module state (module/module.h) is set once by DispatchMode.
#pragma once

#include <windows.h>

// Process entry: reads the command line, runs one mode, ends the process.
[[noreturn]] void RunFromCommandLine();

// Runs the mode that the argument text selects; the result is the exit code.
LONG DispatchMode(HINSTANCE instance, const char *argumentText);

// Full screen without a parent, preview inside the parent; returns when the window is gone.
LONG RunSaverWindow(HWND parent);

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSaverHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Hides the cursor (SetCursor with none).
void HideCursor();
