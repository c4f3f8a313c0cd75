// End-to-end helpers: start the real saver as a user would, find its windows,
// give it input, read its exit code, the screen and the registry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kDefaultTimeoutMs = 5000;

// Full path of a file beside the test executable (build/bin).
std::string BinPath(const char *fileName);

// The running saver process. Killed on destruction if still alive.
class Saver {
public:
    // Starts "<bin>\Quillomir.scr" followed by a space and the arguments.
    static Saver Start(const std::string &arguments);
    // Starts with an exact command line (program name and all).
    static Saver StartCommandLine(const std::string &applicationPath, const std::string &commandLine);

    Saver(Saver &&other) noexcept;
    Saver &operator=(Saver &&) = delete;
    ~Saver();

    bool Started() const { return process_ != nullptr; }
    DWORD ProcessId() const { return processId_; }

    // Exit code as the Windows process reports it; nothing if still running at the deadline.
    std::optional<LONG> WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs);
    bool IsRunning();
    // Top-level window of this process with the class and title, waited for.
    HWND WaitForWindow(const char *className, const char *title, DWORD timeoutMs = kDefaultTimeoutMs);

private:
    Saver() = default;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// A child of the parent with the class and title, waited for.
HWND WaitForChildWindow(HWND parent, const char *className, const char *title,
                        DWORD timeoutMs = kDefaultTimeoutMs);
// Polls until the window no longer exists.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);
// Polls until the predicate holds or the deadline passes; pumps this thread's messages meanwhile.
template <typename Predicate> bool WaitUntil(Predicate predicate, DWORD timeoutMs = kDefaultTimeoutMs);
// Handles the messages queued for this thread's windows.
void PumpMessages();
// Pumps messages for the given time; for letting the other process react, never as a wait for a result.
void Settle(DWORD ms);

// Input, as a user gives it.
void MoveCursorTo(int x, int y);
void PressKey(WORD virtualKey);
void PressMouseButton(DWORD downFlag, DWORD upFlag);
void ScrollWheel(int delta);

// The whole virtual screen (every monitor) as 0x00RRGGBB pixels, row by row
// from the top; At takes screen coordinates.
struct Screenshot {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y - top) * width + static_cast<size_t>(x - left)];
    }
    // Share of pixels in the rectangle that equal the colour.
    double Share(const RECT &area, std::uint32_t colour) const;
};
Screenshot CaptureScreen();
// Captures the screen until the capture, left in shot, shows what the predicate asks.
bool WaitForScreen(Screenshot &shot, const std::function<bool(const Screenshot &)> &seen,
                   DWORD timeoutMs = kDefaultTimeoutMs);
// The same for one pixel of one colour.
bool WaitForPixel(Screenshot &shot, int x, int y, std::uint32_t colour, DWORD timeoutMs = kDefaultTimeoutMs);

// Registry under HKEY_CURRENT_USER.
std::optional<DWORD> ReadDword(const char *subkey, const char *name);
std::optional<std::string> ReadString(const char *subkey, const char *name);

template <typename Predicate> bool WaitUntil(Predicate predicate, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (predicate()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

// Writes a 24-bit bottom-up Windows bitmap of one colour (0x00RRGGBB).
bool WriteSolidBmp(const std::string &path, int width, int height, std::uint32_t colour);
// A file path in the test's own scratch folder (created on first use).
std::string ScratchPath(const char *fileName);

// The saver's settings key under HKEY_CURRENT_USER, for tests to fill before a start.
constexpr char kSettingsKey[] = "Control Panel\\Screen Saver.Quillomir";
// The picture list (ImageCount and its Image%05u values) and number options
// written as "Name=value Name=value".
bool WriteSettings(const std::vector<std::string> &pictures, const std::string &numbers = "");
// Removes the key, so the saver starts from its defaults.
bool ClearSettings();

// A system colour (COLOR_...) as 0x00RRGGBB, as screenshots hold it.
std::uint32_t SystemColour(int index);

// A full-screen window of one colour under everything else: a desktop with a
// known look for the saver to show through. Shown without taking activation.
class Desktop {
public:
    explicit Desktop(std::uint32_t colour);
    ~Desktop();
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

private:
    HWND window_ = nullptr;
    HBRUSH brush_ = nullptr;
};

// CPU time (user and kernel) the process has used, in milliseconds.
std::uint64_t ProcessCpuMs(DWORD processId);

} // namespace e2e
