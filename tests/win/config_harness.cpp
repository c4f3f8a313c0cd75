// Helpers of the configuration dialogs' in-process tests.
#include "tests/win/config_harness.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "tests/support/e2e.h"

namespace config_test {

ScratchRegistry::ScratchRegistry(const std::string &name) : path_("Software\\QuillomirTests\\" + name) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch_, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, scratch_);
}

ScratchRegistry::~ScratchRegistry() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(scratch_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

void ScratchRegistry::PutDword(const char *name, DWORD value) {
    RegSetKeyValueA(scratch_, kSettingsKey, name, REG_DWORD, &value, sizeof(value));
}

void ScratchRegistry::PutString(const char *name, const std::string &value) {
    RegSetKeyValueA(scratch_, kSettingsKey, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void ScratchRegistry::PutImages(const std::vector<std::string> &paths) {
    PutDword("ImageCount", static_cast<DWORD>(paths.size()));
    for (size_t i = 0; i < paths.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "Image%05u", static_cast<unsigned>(i));
        PutString(name, paths[i]);
    }
}

std::optional<DWORD> ScratchRegistry::Dword(const char *name) const {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegGetValueA(scratch_, kSettingsKey, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::string> ScratchRegistry::String(const char *name) const {
    char value[2048] = "";
    DWORD size = sizeof(value), type = 0;
    if (RegGetValueA(scratch_, kSettingsKey, name, RRF_RT_ANY, &type, value, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::string(value);
}

std::string ScratchRegistry::Snapshot() const {
    std::string text;
    HKEY key = nullptr;
    if (RegOpenKeyExA(scratch_, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[2048];
        DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        text += std::string(name) + "=" + std::to_string(type) + ":";
        if (type == REG_DWORD) text += std::to_string(*reinterpret_cast<DWORD *>(data));
        else text += std::string(reinterpret_cast<char *>(data), dataSize);
        text += "\n";
    }
    RegCloseKey(key);
    return text;
}

ModalThread::ModalThread(std::function<INT_PTR()> run) : run_(std::move(run)) {
    thread_ = CreateThread(nullptr, 0, Main, this, 0, &threadId_);
}

DWORD WINAPI ModalThread::Main(void *self) {
    auto *me = static_cast<ModalThread *>(self);
    me->result_ = me->run_();
    return 0;
}

namespace {
struct Search {
    const char *caption;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<Search *>(data);
    if (!IsWindowVisible(window)) return TRUE;
    if (search->caption && WindowText(window) != search->caption) return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

HWND ModalThread::FindWindowNow(const char *caption, HWND owner) {
    Search search{caption, owner, nullptr};
    EnumThreadWindows(threadId_, MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ModalThread::WaitForWindow(const char *caption, HWND owner, DWORD timeoutMs) {
    HWND found = nullptr;
    e2e::WaitUntil([&] { return (found = FindWindowNow(caption, owner)) != nullptr; }, timeoutMs);
    return found;
}

bool ModalThread::Running() const { return WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; }

std::optional<INT_PTR> ModalThread::WaitForResult(DWORD timeoutMs) {
    if (!e2e::WaitUntil([&] { return !Running(); }, timeoutMs)) return std::nullopt;
    return result_;
}

namespace {
const std::function<void()> *pendingWork = nullptr;

LRESULT CALLBACK RunPendingWork(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && pendingWork) {
        (*pendingWork)();
        pendingWork = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

void ModalThread::RunOnThread(const std::function<void()> &work) {
    pendingWork = &work;
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, RunPendingWork, nullptr, threadId_);
    PostThreadMessageA(threadId_, WM_NULL, 0, 0);
    e2e::WaitUntil([] { return pendingWork == nullptr; }, 60000);
    UnhookWindowsHookEx(hook);
}

namespace {
BOOL CALLBACK CloseOne(HWND window, LPARAM) {
    // Cancel where there is one, No for a question; the About dialog and the viewer close on WM_CLOSE.
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(window, WM_COMMAND, IDNO, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}
} // namespace

ModalThread::~ModalThread() {
    for (int round = 0; round < 50 && Running(); ++round) {
        EnumThreadWindows(threadId_, CloseOne, 0);
        e2e::WaitUntil([&] { return !Running(); }, 100);
    }
    CloseHandle(thread_);
}

HDROP MakeDrop(const std::vector<std::string> &files) {
    size_t chars = 1;
    for (const std::string &f : files) chars += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars);
    auto *drop = static_cast<DROPFILES *>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char *list = reinterpret_cast<char *>(drop + 1);
    for (const std::string &f : files) {
        std::memcpy(list, f.c_str(), f.size() + 1);
        list += f.size() + 1;
    }
    *list = '\0';
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<size_t>(length) + 2, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    return text.data();
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        items.emplace_back(text.data());
    }
    return items;
}

std::string MessageBoxText(HWND box) { return ItemText(box, 0xFFFF); }

void ClickListItem(HWND dialog, int index) {
    HWND list = GetDlgItem(dialog, 1002);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1002, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}


COLORREF TestBitmapColour(int x, int y) {
    // Quarters in red, green, blue and white, with a black line on the diagonal.
    if (x == y) return 0x000000;
    return y < 40 ? (x < 60 ? 0xFF0000 : 0x00FF00) : (x < 60 ? 0x0000FF : 0xFFFFFF);
}

std::string WriteTestBitmap(const char *name, int width, int height) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<unsigned char> pixels(info.biSizeImage, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = TestBitmapColour(x, y);
            unsigned char *p = &pixels[static_cast<size_t>((height - 1 - y) * stride + x * 3)];
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out) return path;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
    return path;
}

} // namespace config_test
