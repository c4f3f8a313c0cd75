// Launch modes as the desktop or a user starts them: which window appears,
// what ends it, and the exit code the process ends with. The preview's run is
// in saver_window_e2e.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/support/e2e.h"

namespace {
enum class Shows { DialogWithoutOwner, DialogOfForeground, FullScreen, Nothing };
} // namespace

TEST(LaunchModesE2E, EachCommandLineRunsItsModeUntilTheUserEndsItAndExitsWithItsCode) {
    HWND host = CreateWindowExA(0, "STATIC", "Display Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200,
                                150, nullptr, nullptr, nullptr, nullptr);
    // The program name quoted as the desktop writes it; the process is the built saver.
    const std::string name = "\"C:\\My Savers\\Quillomir.scr\" ";
    // The full-screen saver ends on the key, or the button, or else when another application comes first.
    const std::tuple<std::string, Shows, WORD, DWORD> rows[] = {
        {name, Shows::DialogWithoutOwner, 0, 0},
        {name + "/c", Shows::DialogOfForeground, 0, 0},
        {name + "/S", Shows::FullScreen, 'Q', 0},
        {name + "-s", Shows::FullScreen, VK_MENU, 0},
        {name + "s and more", Shows::FullScreen, 0, MOUSEEVENTF_LEFTDOWN},
        {name + "/s", Shows::FullScreen, 0, MOUSEEVENTF_RIGHTDOWN},
        {name + "/s", Shows::FullScreen, 0, MOUSEEVENTF_MIDDLEDOWN},
        {name + "/s", Shows::FullScreen, 0, 0},
        {name + "/p", Shows::Nothing, 0, 0}, // no window to run in
        {name + "/a", Shows::Nothing, 0, 0}, // no saver password on Windows NT
        {name + "/t", Shows::Nothing, 0, 0},
    };
    for (const auto &[commandLine, shows, key, button] : rows) {
        SCOPED_TRACE(commandLine);
        SetForegroundWindow(host);
        ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == host; }));
        e2e::Saver saver = e2e::Saver::StartCommandLine(e2e::BinPath("Quillomir.scr"), commandLine);
        if (shows == Shows::FullScreen) {
            ASSERT_NE(saver.WaitForWindow("WindowsScreenSaverClass", "Screen Saver"), nullptr);
            e2e::Settle(300); // shown and active before input arrives
            if (key) e2e::PressKey(key);
            if (button) e2e::PressMouseButton(button, button << 1); // the release is the next flag
            if (!key && !button) SetForegroundWindow(host);
        } else if (shows != Shows::Nothing) {
            HWND dialog = saver.WaitForWindow("#32770", "Quillomir");
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), shows == Shows::DialogOfForeground ? host : nullptr);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        EXPECT_EQ(saver.WaitForExit(), shows == Shows::Nothing ? -1 : 0);
    }
    DestroyWindow(host);
}
