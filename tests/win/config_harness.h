// Shared by the in-process tests of the configuration dialogs: a scratch
// per-user registry, a modal dialog run on a thread of its own (so the test
// thread can click and type into it as a user would), file drops and reads of
// window state.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace config_test {

constexpr char kSettingsKey[] = "Control Panel\\Screen Saver.Quillomir";

// HKEY_CURRENT_USER redirected to a scratch key for the object's life.
class ScratchRegistry {
public:
    explicit ScratchRegistry(const std::string &name);
    ~ScratchRegistry();
    void PutDword(const char *name, DWORD value);
    void PutString(const char *name, const std::string &value);
    void PutImages(const std::vector<std::string> &paths);
    std::optional<DWORD> Dword(const char *name) const;
    std::optional<std::string> String(const char *name) const;
    // Every value of the settings key, as name=type:data lines, for "nothing changed" checks.
    std::string Snapshot() const;

private:
    std::string path_;
    HKEY scratch_ = nullptr;
};

// A modal dialog on its own thread; the destructor closes whatever it left open.
class ModalThread {
public:
    explicit ModalThread(std::function<INT_PTR()> run);
    ~ModalThread();
    ModalThread(const ModalThread &) = delete;
    ModalThread &operator=(const ModalThread &) = delete;

    // A visible top-level window of the thread with this caption (any caption when null),
    // owned by the given window when one is given.
    HWND WaitForWindow(const char *caption, HWND owner = nullptr, DWORD timeoutMs = 5000);
    // The same, without waiting.
    HWND FindWindowNow(const char *caption, HWND owner = nullptr);
    // The dialog's result once it has ended; nothing if it is still open at the deadline.
    std::optional<INT_PTR> WaitForResult(DWORD timeoutMs = 5000);
    bool Running() const;
    // Runs the work on the dialog's thread, between two of its messages, and waits for it.
    void RunOnThread(const std::function<void()> &work);

private:
    static DWORD WINAPI Main(void *self);
    std::function<INT_PTR()> run_;
    INT_PTR result_ = -2;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

// A real drop handle for the files, as the shell posts with WM_DROPFILES; the receiver frees it.
HDROP MakeDrop(const std::vector<std::string> &files);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
std::vector<std::string> ListItems(HWND list);
// The static with id 65535 of a message box.
std::string MessageBoxText(HWND box);
// Selects an item as a click does: the selection, then the notification the list sends.
void ClickListItem(HWND dialog, int index);


// A 24-bit bitmap file of the size with a known pattern, written to a temporary path.
std::string WriteTestBitmap(const char *name, int width, int height);
// The pattern's colour (0x00RRGGBB) at a pixel of such a file.
COLORREF TestBitmapColour(int x, int y);

} // namespace config_test
