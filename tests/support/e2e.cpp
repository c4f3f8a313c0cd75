// End-to-end helpers: processes, windows, input, screen and registry.
#include "tests/support/e2e.h"

#include <cstring>
#include <utility>

namespace e2e {

std::string BinPath(const char *fileName) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char *slash = std::strrchr(path, '\\');
    if (slash) slash[1] = '\0';
    return std::string(path) + fileName;
}

Saver Saver::Start(const std::string &arguments) {
    const std::string path = BinPath("Quillomir.scr");
    return StartCommandLine(path, "\"" + path + "\" " + arguments);
}

Saver Saver::StartCommandLine(const std::string &applicationPath, const std::string &commandLine) {
    Saver saver;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (CreateProcessA(applicationPath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        saver.process_ = info.hProcess;
        saver.processId_ = info.dwProcessId;
    }
    return saver;
}

Saver::Saver(Saver &&other) noexcept
    : process_(std::exchange(other.process_, nullptr)), processId_(other.processId_) {}

Saver::~Saver() {
    Kill();
}

void Saver::Kill() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
}

std::optional<LONG> Saver::WaitForExit(DWORD timeoutMs) {
    if (!process_) return std::nullopt;
    bool exited = WaitUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeoutMs);
    if (!exited) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<LONG>(code);
}

bool Saver::IsRunning() { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

namespace {
struct WindowSearch {
    DWORD processId;
    const char *className;
    const char *title;
    HWND found;
};

bool Matches(HWND window, const char *className, const char *title) {
    char text[256] = "";
    if (className) {
        GetClassNameA(window, text, sizeof(text));
        if (std::strcmp(text, className) != 0) return false;
    }
    if (title) {
        GetWindowTextA(window, text, sizeof(text));
        if (std::strcmp(text, title) != 0) return false;
    }
    return true;
}

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<WindowSearch *>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && Matches(window, search->className, search->title)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND Saver::WaitForWindow(const char *className, const char *title, DWORD timeoutMs) {
    WindowSearch search{processId_, className, title, nullptr};
    WaitUntil([&] {
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

HWND WaitForTopWindow(const char *className, const char *title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowA(className, title)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForChildWindow(HWND parent, const char *className, const char *title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowExA(parent, nullptr, className, title)) != nullptr; },
              timeoutMs);
    return found;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Settle(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        PumpMessages();
        Sleep(10);
    }
}

void MoveCursorTo(int x, int y) { SetCursorPos(x, y); }

static void SendOne(INPUT input) { SendInput(1, &input, sizeof(INPUT)); }

void PressKey(WORD virtualKey) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    SendOne(input);
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    SendOne(input);
}

void PressMouseButton(DWORD downFlag, DWORD upFlag) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = downFlag;
    if (downFlag) SendOne(input);
    input.mi.dwFlags = upFlag;
    if (upFlag) SendOne(input);
}

void ScrollWheel(int delta) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    input.mi.mouseData = static_cast<DWORD>(delta);
    SendOne(input);
}

double Screenshot::Share(const RECT &area, std::uint32_t colour) const {
    long total = 0, matching = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x, ++total)
            if ((At(x, y) & 0xFFFFFF) == colour) ++matching;
    return total ? static_cast<double>(matching) / total : 0.0;
}

Screenshot CaptureScreen() {
    Screenshot shot;
    shot.width = GetSystemMetrics(SM_CXSCREEN);
    shot.height = GetSystemMetrics(SM_CYSCREEN);
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    std::memcpy(shot.pixels.data(), bits, shot.pixels.size() * sizeof(std::uint32_t));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (auto &pixel : shot.pixels) pixel &= 0xFFFFFF;
    return shot;
}

std::optional<DWORD> ReadDword(const char *subkey, const char *name) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, subkey, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::string> ReadString(const char *subkey, const char *name) {
    char value[1024] = "";
    DWORD size = sizeof(value), type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, subkey, name, RRF_RT_ANY, &type, value, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::string(value);
}

bool DeleteTree(const char *subkey) {
    LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, subkey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

} // namespace e2e
