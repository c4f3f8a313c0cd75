// The process-wide module state, written once at entry.
#include "module/module.h"

static HINSTANCE moduleInstance = nullptr;
static bool runningOnWin9x = false;

HINSTANCE ModuleInstance() { return moduleInstance; }
bool RunningOnWin9x() { return runningOnWin9x; }

void InitModuleState(HINSTANCE instance) {
    moduleInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version); // 148
    runningOnWin9x = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}
