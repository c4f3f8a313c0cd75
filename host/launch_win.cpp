// Process entry: reads the switch from the command line, records the host state
// and runs exactly one mode, whose result becomes the exit code.
#include "host/host.h"

#include "host/command_line.h"
#include "config_ui/config_ui.h"
#include "host/password.h"
#include "resources/resource.h"

static HINSTANCE moduleInstance = nullptr;
static bool runningOnWin9x = false;

HINSTANCE ModuleInstance() { return moduleInstance; }
bool RunningOnWin9x() { return runningOnWin9x; }

void InitHostState(HINSTANCE instance) {
    moduleInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version); // 148
    runningOnWin9x = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

static const char *CharNextStep(const char *text) { return CharNextA(text); }

static HWND WindowFromNumber(std::uint32_t number) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
    return number != 0 && IsWindow(window) ? window : nullptr;
}

LONG DispatchMode(HINSTANCE instance, const char *argumentText) {
    InitHostState(instance);
    const char *switchPos = FindSwitch(argumentText);
    switch (ClassifySwitch(*switchPos)) {
    case LaunchMode::Config:
        return static_cast<LONG>(ShowConfigDialog(nullptr));
    case LaunchMode::ConfigForeground:
        return static_cast<LONG>(ShowConfigDialog(GetForegroundWindow()));
    case LaunchMode::FullScreen:
        return RunSaverWindow(nullptr);
    case LaunchMode::Preview: {
        HWND parent = WindowFromNumber(ParseWindowHandle(SkipSwitchLetter(switchPos)));
        return parent ? RunSaverWindow(parent) : -1;
    }
    case LaunchMode::ChangePassword: {
        if (!runningOnWin9x) return -1;
        HWND owner = WindowFromNumber(ParseWindowHandle(SkipSwitchLetter(switchPos)));
        ChangePassword(owner ? owner : GetForegroundWindow());
        return 0;
    }
    case LaunchMode::Unknown:
        break;
    }
    return -1;
}

void RunFromCommandLine() {
    const char *arguments = SkipProgramName(GetCommandLineA(), CharNextStep);
    LONG result = DispatchMode(GetModuleHandleA(nullptr), arguments);
    ExitProcess(static_cast<UINT>(result));
}

INT_PTR ShowConfigDialog(HWND owner) {
    RegisterDialogClasses(moduleInstance);
    return DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(IDD_CONFIG), owner, ConfigDialogProc, 0);
}
