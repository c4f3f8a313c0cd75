// The saver window: one class for full screen and preview, the message filter in
// front of the slideshow, and the close rules behind it. State is per process:
// one saver window at most.
#include "host/host.h"

#include "host/close_rules.h"
#include "host/password.h"
#include "module/module.h"
#include "slideshow/slideshow.h"

namespace {
constexpr char kClassName[] = "WindowsScreenSaverClass";
constexpr char kFullScreenTitle[] = "Screen Saver";
constexpr char kPreviewTitle[] = "Preview";
constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kPreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;

using ImmAssociateContextFn = HIMC(WINAPI *)(HWND, HIMC);
} // namespace

static HWND saverWindow = nullptr;
static bool previewMode = false;
static POINT startPoint = {0, 0};
static HMODULE immModule = nullptr;
static ImmAssociateContextFn immAssociateContext = nullptr;
static HIMC savedInputContext = nullptr;

void HideCursor() { SetCursor(nullptr); }

// The slideshow answers a message itself, or leaves it to the close rules.
static LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    const bool answered = previewMode ? PreviewProc(window, message, wParam, lParam, &answer)
                                      : SlideshowProc(window, message, wParam, lParam, &answer);
    return answered ? answer : DefaultSaverHandling(window, message, wParam, lParam);
}

// The whole virtual screen, every monitor; the primary screen where the
// platform knows no virtual screen (Windows 95).
static RECT VirtualScreen() {
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + width, top + height};
}

static void DetachInputMethod(HWND window) {
    // Only a module the process already has: loading IMM32 ourselves would
    // change the process for nothing.
    immModule = GetModuleHandleA("IMM32.DLL");
    if (!immModule) return;
    immAssociateContext = reinterpret_cast<ImmAssociateContextFn>(
        reinterpret_cast<void *>(GetProcAddress(immModule, "ImmAssociateContext")));
    if (immAssociateContext) savedInputContext = immAssociateContext(window, nullptr);
}

static void RestoreInputMethod(HWND window) {
    if (immModule && immAssociateContext && savedInputContext)
        immAssociateContext(window, savedInputContext);
}

static void OnCreate(HWND window) {
    DetachInputMethod(window);
    GetCursorPos(&startPoint);
    if (!previewMode) HideCursor();
}

static void OnDestroy(HWND window) {
    RestoreInputMethod(window);
    PostQuitMessage(0);
}

static void ForwardHelpToParent(HWND window, UINT message, LPARAM lParam) {
    HWND parent = GetParent(window);
    if (!parent || !IsWindow(parent)) return;
    const WPARAM wParam = reinterpret_cast<WPARAM>(parent);
    if (PostMessageA(parent, message, wParam, lParam)) return;
    // WM_HELP carries a pointer, which the platform refuses to post; a send
    // copies what it points to, so the host still gets its help request.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(parent, message, wParam, lParam, SMTO_ABORTIFHUNG, 1000, &ignored);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        break;
    case WM_DESTROY:
        OnDestroy(window);
        break;
    case WM_SETTEXT:
        return 0; // the title never changes
    case WM_DISPLAYCHANGE:
        if (!previewMode) {
            // Monitors came or went: cover the new virtual screen before the shows follow it.
            const RECT screen = VirtualScreen();
            SetWindowPos(window, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                         screen.bottom - screen.top, SWP_NOACTIVATE);
        }
        break;
    case WM_PAINT:
        if (CloseConfirmed()) return DefWindowProcA(window, message, wParam, lParam);
        if (!previewMode) HideCursor();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (previewMode) {
            ForwardHelpToParent(window, message, lParam);
            return 1;
        }
        break;
    case WM_SYSCOMMAND:
        if (!previewMode && IsRefusedSysCommand(static_cast<std::uint32_t>(wParam))) return 0;
        break;
    case WM_TIMER:
        if (CloseConfirmed()) return 0;
        Sleep(0); // let other work run before the next frame
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (CloseConfirmed()) return DefWindowProcA(window, message, wParam, lParam);
        break;
    default:
        break;
    }
    return PassOn(window, message, wParam, lParam);
}

static void RequestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

static void OnMouseMove(HWND window) {
    // The message's own coordinates are client-relative and may be synthetic;
    // the cursor's screen position is what the user moved.
    POINT now;
    if (!GetCursorPos(&now)) return;
    if (IsWakeDistance(WakeDistance(now.x, now.y, startPoint.x, startPoint.y))) {
        RequestClose(window);
        startPoint = now;
    }
}

LRESULT DefaultSaverHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (previewMode || CloseConfirmed()) return DefWindowProcA(window, message, wParam, lParam);

    if (message == WM_CLOSE && RunningOnWin9x() && !ConfirmClose(window)) {
        GetCursorPos(&startPoint);
        return 0;
    }
    if (message == WM_VERIFY_PASSWORD && RunningOnWin9x()) return AnswerVerifyPassword(window);
    if (message == WM_CLOSE || message == WM_VERIFY_PASSWORD || PasswordCheckInProgress())
        return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_SETCURSOR:
        HideCursor();
        return 1;
    case WM_ACTIVATEAPP:
        if (wParam == 0) RequestClose(window);
        break;
    case WM_SHOWWINDOW:
        if (wParam) HideCursor();
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        RequestClose(window);
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(window);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND CreateSaverWindow(HWND parent, const RECT &area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    WNDCLASSA windowClass = {};
    windowClass.style = kClassStyle;
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return nullptr;
    if (parent)
        return CreateWindowExA(0, kClassName, kPreviewTitle, kPreviewStyle, 0, 0, width, height,
                               parent, nullptr, ModuleInstance(), nullptr);
    return CreateWindowExA(WS_EX_TOPMOST, kClassName, kFullScreenTitle, kFullScreenStyle, area.left, area.top,
                           width, height, nullptr, nullptr, ModuleInstance(), nullptr);
}

static LONG RunMessageLoop() {
    MSG message = {};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) continue; // nothing valid to dispatch; keep waiting for WM_QUIT
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<LONG>(message.wParam);
}

LONG RunSaverWindow(HWND parent) {
    RECT area = {};
    if (parent) {
        RECT client = {};
        GetClientRect(parent, &client);
        area = {0, 0, client.right, client.bottom};
        previewMode = true;
    } else {
        area = VirtualScreen();
        HWND running = FindWindowA(kClassName, kFullScreenTitle);
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordVerifier();
    }

    // A window that never existed is a failure, not a clean run: -1.
    LONG result = -1;
    saverWindow = CreateSaverWindow(parent, area);
    if (saverWindow) {
        if (!parent) SetForegroundWindow(saverWindow);
        result = RunMessageLoop();
    }
    UnloadPasswordVerifier();
    return result;
}
