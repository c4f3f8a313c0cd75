// End-to-end helpers: processes, windows, input, screen and registry.
#include "tests/support/e2e.h"

#include <cstdio>
#include <cstring>
#include <sstream>
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
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
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

HWND Saver::WaitForWindow(const char *className, const char *title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] {
        while ((found = FindWindowExA(nullptr, found, className, title))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == processId_) return true;
        }
        return false;
    }, timeoutMs);
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
    Screenshot shot{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), {}};
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, shot.left, shot.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    GetDIBits(memory, bitmap, 0, shot.height, shot.pixels.data(), &info, DIB_RGB_COLORS); // top-down rows
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (auto &pixel : shot.pixels) pixel &= 0xFFFFFF;
    return shot;
}

bool WaitForScreen(Screenshot &shot, const std::function<bool(const Screenshot &)> &seen, DWORD timeoutMs) {
    return WaitUntil([&] { return seen(shot = CaptureScreen()); }, timeoutMs);
}

bool WaitForPixel(Screenshot &shot, int x, int y, std::uint32_t colour, DWORD timeoutMs) {
    return WaitForScreen(shot, [&](const Screenshot &s) { return s.At(x, y) == colour; }, timeoutMs);
}

std::optional<DWORD> ReadDword(const char *subkey, const char *name) {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueA(HKEY_CURRENT_USER, subkey, name, RRF_RT_REG_DWORD, nullptr, &value, &size)) return std::nullopt;
    return value;
}

std::optional<std::string> ReadString(const char *subkey, const char *name) {
    char value[1024] = "";
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_CURRENT_USER, subkey, name, RRF_RT_REG_SZ, nullptr, value, &size)) return std::nullopt;
    return std::string(value);
}

bool WriteSolidBmp(const std::string &path, int width, int height, std::uint32_t colour) {
    const DWORD rowBytes = (width * 3 + 3) & ~3, offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file = {0x4D42, offset + rowBytes * height, 0, 0, offset};
    const BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string bytes = std::string(reinterpret_cast<const char *>(&file), sizeof(file)) +
                        std::string(reinterpret_cast<const char *>(&info), sizeof(info));
    std::string row(rowBytes, '\0');
    for (DWORD i = 0; i < DWORD(width) * 3; ++i) row[i] = static_cast<char>(colour >> (i % 3 * 8));
    for (int y = 0; y < height; ++y) bytes += row;
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(out, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(out);
    return ok;
}

std::string ScratchPath(const char *fileName) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "quillomir-e2e";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + fileName;
}

static bool WriteSetting(const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

static bool WriteSettingDword(const char *name, DWORD value) { return WriteSetting(name, REG_DWORD, &value, sizeof(value)); }

static bool WriteSettingString(const char *name, const std::string &value) {
    return WriteSetting(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool WriteSettings(const std::vector<std::string> &pictures, const std::string &numbers) {
    bool ok = WriteSettingDword("ImageCount", static_cast<DWORD>(pictures.size()));
    for (size_t i = 0; i < pictures.size(); ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "Image%05u", static_cast<unsigned>(i));
        ok = WriteSettingString(name, pictures[i]) && ok;
    }
    std::istringstream pairs(numbers);
    for (std::string pair; pairs >> pair;) {
        const size_t equals = pair.find('=');
        ok = equals != std::string::npos &&
             WriteSettingDword(pair.substr(0, equals).c_str(), std::stoul(pair.substr(equals + 1))) && ok;
    }
    return ok;
}

std::uint32_t SystemColour(int index) {
    const COLORREF c = GetSysColor(index);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

bool ClearSettings() {
    const LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

Desktop::Desktop(std::uint32_t colour) {
    brush_ = CreateSolidBrush(RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = brush_;
    windowClass.lpszClassName = "QuillomirTestDesktop";
    UnregisterClassA(windowClass.lpszClassName, windowClass.hInstance);
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(WS_EX_NOACTIVATE, windowClass.lpszClassName, "Desktop", WS_POPUP,
                              GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr,
                              windowClass.hInstance, nullptr);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    Settle(200);
}

Desktop::~Desktop() {
    DestroyWindow(window_);
    PumpMessages();
    DeleteObject(brush_);
}

std::uint64_t ProcessCpuMs(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process) return 0;
    FILETIME created, exited, kernel, user;
    std::uint64_t ms = 0;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        auto value = [](const FILETIME &t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
        ms = (value(kernel) + value(user)) / 10000;
    }
    CloseHandle(process);
    return ms;
}

} // namespace e2e
