// Process-wide state that every folder may read: the module instance (for
// classes, templates, strings and icons) and whether the process runs on
// Windows 9x. Set once by the process entry before any mode runs.
#pragma once

#include <windows.h>

// Records the instance and asks the platform which family it is.
void InitModuleState(HINSTANCE instance);

HINSTANCE ModuleInstance();
bool RunningOnWin9x();
