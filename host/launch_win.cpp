// Process entry: reads the switch from the command line, records the module
// state and runs exactly one mode, whose result becomes the exit code.
#include "host/host.h"

#include "config_ui/config_ui.h"
#include "host/command_line.h"
#include "host/password.h"
#include "module/module.h"

static const char *CharNextStep(const char *text) { return CharNextA(text); }

static HWND WindowFromNumber(std::uint32_t number) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
    return number != 0 && IsWindow(window) ? window : nullptr;
}

LONG DispatchMode(HINSTANCE instance, const char *argumentText) {
    InitModuleState(instance);
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
        if (!RunningOnWin9x()) return -1;
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
