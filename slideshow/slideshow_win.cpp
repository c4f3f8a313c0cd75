// The full-screen slideshow: one show per monitor inside the one window, each
// taken through its phases by the show machine on its own timers and posted
// commands. This file turns messages into machine steps and draws the result;
// the settings record and the shows are the one slideshow of the process.
#include "slideshow/slideshow.h"

#include <cstdlib>
#include <vector>

#include "resources/resource.h"
#include "settings/settings.h"
#include "slideshow/compose_frame.h"
#include "slideshow/monitors.h"
#include "slideshow/picture_win.h"
#include "slideshow/show_machine.h"

namespace {

struct Show {
    ShowState state;
    ShowArea area;
    Picture picture;
    HBITMAP snapshot = nullptr;
    HBITMAP beneath = nullptr; // the desktop under this monitor; becomes the first snapshot
    FrameCanvas canvas;        // what the last frame drew, so the next draws only what changed
};

struct Slideshow {
    Settings settings = {};
    std::vector<Show> shows;
    bool redrawing = false; // the paint under way is a show's own frame
};
Slideshow slideshow;

// Show k's timer and command ids are the primary's plus k x SHOW_ID_STRIDE.
struct TimerRole {
    ShowTimer timer;
    UINT_PTR id;
};
constexpr TimerRole kTimers[] = {
    {kFadeInTimer, TIMER_FADE_IN}, {kFadeOutTimer, TIMER_FADE_OUT}, {kHoldTimer, TIMER_HOLD}, {kClockTimer, TIMER_CLOCK}};

UINT_PTR ShowId(std::size_t show, UINT_PTR id) { return id + show * SHOW_ID_STRIDE; }

int DrawRandom() { return std::rand(); }

void ReleaseBitmap(HBITMAP &bitmap) {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
}

RECT AreaRect(const Show &show) {
    return {show.area.left, show.area.top, show.area.left + show.area.width, show.area.top + show.area.height};
}

// The virtual screen's monitors; one over the whole window where the platform
// cannot list them (Windows 95 has no such call).
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    using GetMonitorInfoFn = BOOL(WINAPI *)(HMONITOR, LPMONITORINFO);
    static const auto getInfo = reinterpret_cast<GetMonitorInfoFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetMonitorInfoA")));
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (getInfo && getInfo(monitor, &info)) {
        const RECT &r = info.rcMonitor;
        reinterpret_cast<std::vector<MonitorInfo> *>(data)->push_back(
            {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

std::vector<MonitorInfo> ListMonitors() {
    using EnumFn = BOOL(WINAPI *)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
    const auto enumerate = reinterpret_cast<EnumFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), "EnumDisplayMonitors")));
    std::vector<MonitorInfo> monitors;
    if (enumerate) enumerate(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

// Copies the screen under one monitor's part of the window-to-be, where the
// window's own context cannot show it (Wine and composited desktops give each
// window a fresh surface). Snapshots are bitmaps the compositor reads in place.
HBITMAP CaptureScreen(const ScreenRect &r) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateSnapshotBitmap(r.right - r.left, r.bottom - r.top);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
        SelectObject(memory, old);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void StopTimers(HWND window, std::size_t k) {
    for (UINT_PTR id : {TIMER_HOLD, TIMER_CLOCK, TIMER_FADE_IN, TIMER_FADE_OUT}) KillTimer(window, ShowId(k, id));
}

void ReleaseShow(Show &show) {
    show.canvas.Release();
    ReleaseBitmap(show.snapshot);
    ReleaseBitmap(show.beneath);
    ReleasePicture(show.picture);
}

void PostCommand(HWND window, std::size_t k, UINT_PTR command) {
    PostMessageA(window, WM_COMMAND, ShowId(k, command), 0);
}

// One show per monitor of the window's rectangle; show k starts at slot k,
// or where it stood when the layout changed under it.
void BuildShows(HWND window, const ScreenRect &windowRect, bool captureBeneath) {
    const std::vector<ShowArea> areas = ArrangeShows(windowRect, ListMonitors());
    std::vector<Show> shows(areas.size());
    for (std::size_t k = 0; k < areas.size(); ++k) {
        shows[k].area = areas[k];
        shows[k].state.nextSlot = k < slideshow.shows.size()
                                      ? slideshow.shows[k].state.nextSlot
                                      : FirstSlot(static_cast<std::int32_t>(k), slideshow.settings.ImageCount);
        if (captureBeneath) shows[k].beneath = CaptureScreen(areas[k].screen);
    }
    for (std::size_t k = 0; k < slideshow.shows.size(); ++k) {
        StopTimers(window, k);
        ReleaseShow(slideshow.shows[k]);
    }
    slideshow.shows = std::move(shows);
    for (std::size_t k = 0; k < slideshow.shows.size(); ++k) PostCommand(window, k, CMD_NEXT_PICTURE);
}

void Redraw(HWND window, const Show &show) {
    // Whatever the system asked to be painted meanwhile is painted whole.
    if (GetUpdateRect(window, nullptr, FALSE))
        for (Show &other : slideshow.shows) other.canvas.Invalidate();
    const RECT area = AreaRect(show);
    InvalidateRect(window, &area, FALSE);
    slideshow.redrawing = true;
    UpdateWindow(window);
    slideshow.redrawing = false;
}

// Collage: the finished picture becomes part of its monitor's background.
void StampIntoSnapshot(HWND window, Show &show) {
    if (!show.picture.Loaded() || !show.snapshot) return;
    const SIZE reference = {show.area.width, show.area.height};
    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    HGDIOBJ old = SelectObject(memory, show.snapshot);
    ComposeFrame(memory, show.state.x, show.state.y, show.picture.palette, show.picture.bitmap, show.state.scale, 100,
                 show.snapshot, TRUE, 0, FALSE, &reference);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    show.canvas.Invalidate();
}

void Apply(HWND window, std::size_t k, const ShowEffects &effects) {
    Show &show = slideshow.shows[k];
    for (const TimerRole &role : kTimers)
        if (effects.stop & role.timer) KillTimer(window, ShowId(k, role.id));
    if (effects.stamp) StampIntoSnapshot(window, show);
    if (effects.dropSnapshot) {
        ReleaseBitmap(show.snapshot);
        show.canvas.Invalidate();
    }
    const Settings &settings = slideshow.settings;
    for (const TimerRole &role : kTimers) {
        if (!(effects.start & role.timer)) continue;
        const UINT period = role.timer == kHoldTimer    ? HoldTimerPeriod(settings.DisplayDuration)
                            : role.timer == kClockTimer ? 500u
                                                        : FadeTimerPeriod(settings.RefreshSpeed);
        SetTimer(window, ShowId(k, role.id), period, nullptr);
    }
    switch (effects.post) {
    case ShowCommand::kNone: break;
    case ShowCommand::kNextPicture: PostCommand(window, k, CMD_NEXT_PICTURE); break;
    case ShowCommand::kFadeInStep: PostCommand(window, k, CMD_FADE_IN_STEP); break;
    case ShowCommand::kFadeOutStep: PostCommand(window, k, CMD_FADE_OUT_STEP); break;
    }
    if (effects.redraw) Redraw(window, show);
}

void OnNextPicture(HWND window, std::size_t k) {
    Show &show = slideshow.shows[k];
    const std::int32_t slot = SlotToLoad(show.state, slideshow.settings);
    if (slot < 0) return;
    LoadResult load;
    const char *path = slideshow.settings.Images[slot].path;
    if (path[0]) {
        load.outcome = LoadPicture(window, path, show.picture) ? SlotLoad::kLoaded : SlotLoad::kFailed;
        load.width = show.picture.size.cx;
        load.height = show.picture.size.cy;
        show.canvas.Invalidate();
    }
    Apply(window, k,
          NextPicture(show.state, slideshow.settings, load, show.area.width, show.area.height, DrawRandom));
}

void OnCreate(HWND window, const CREATESTRUCTA *create) {
    std::srand(GetTickCount());
    LoadSettings(&slideshow.settings);
    const ScreenRect windowRect = {create->x, create->y, create->x + create->cx, create->y + create->cy};
    BuildShows(window, windowRect, !slideshow.settings.ClearScreen);
}

void OnEraseBackground(HDC dc) {
    for (Show &show : slideshow.shows) {
        ReleaseBitmap(show.snapshot);
        show.canvas.Invalidate();
        const RECT area = AreaRect(show);
        if (slideshow.settings.ClearScreen) {
            FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            ReleaseBitmap(show.beneath);
            continue;
        }
        HDC memory = CreateCompatibleDC(dc);
        if (show.beneath) {
            // First erase: show the desktop as it was and keep it as the snapshot.
            HGDIOBJ old = SelectObject(memory, show.beneath);
            BitBlt(dc, area.left, area.top, show.area.width, show.area.height, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            show.snapshot = show.beneath;
            show.beneath = nullptr;
        } else {
            show.snapshot = CreateSnapshotBitmap(show.area.width, show.area.height);
            if (show.snapshot) {
                HGDIOBJ old = SelectObject(memory, show.snapshot);
                BitBlt(memory, 0, 0, show.area.width, show.area.height, dc, area.left, area.top, SRCCOPY);
                SelectObject(memory, old);
            }
        }
        DeleteDC(memory);
    }
}

// Each show draws in its own monitor's coordinates, clipped to that monitor,
// so no picture straddles two. A show's own frame draws what changed since its
// last; any other paint (the system's) draws everything it covers.
void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    for (Show &show : slideshow.shows) {
        const RECT area = AreaRect(show);
        RECT overlap;
        if (!show.picture.Loaded() || !IntersectRect(&overlap, &area, &paint.rcPaint)) continue;
        if (!slideshow.redrawing) show.canvas.Invalidate();
        const SIZE reference = {show.area.width, show.area.height};
        const int saved = SaveDC(dc);
        SetViewportOrgEx(dc, area.left, area.top, nullptr);
        IntersectClipRect(dc, 0, 0, show.area.width, show.area.height);
        ComposeFrame(dc, show.state.x, show.state.y, show.picture.palette, show.picture.bitmap, show.state.scale,
                     show.state.level, show.snapshot, TRUE, show.state.style,
                     slideshow.settings.DisplayTime ? TRUE : FALSE, &reference, &show.canvas);
        RestoreDC(dc, saved);
    }
    EndPaint(window, &paint);
}

// Timer and command ids name their show; ids of no show are not ours.
bool SplitId(WPARAM id, std::size_t &show, UINT_PTR &base) {
    show = static_cast<std::size_t>(LOWORD(id) / SHOW_ID_STRIDE);
    base = LOWORD(id) % SHOW_ID_STRIDE;
    return show < slideshow.shows.size();
}

void OnTimer(HWND window, WPARAM id) {
    std::size_t k;
    UINT_PTR base;
    if (!SplitId(id, k, base)) return;
    for (const TimerRole &role : kTimers)
        if (role.id == base)
            Apply(window, k, TimerFired(slideshow.shows[k].state, slideshow.settings, role.timer, DrawRandom));
}

void OnCommand(HWND window, WPARAM command) {
    std::size_t k;
    UINT_PTR base;
    if (!SplitId(command, k, base)) return;
    switch (base) {
    case CMD_NEXT_PICTURE: OnNextPicture(window, k); break;
    case CMD_FADE_IN_STEP: Apply(window, k, FadeInStep(slideshow.shows[k].state, slideshow.settings)); break;
    case CMD_FADE_OUT_STEP: Apply(window, k, FadeOutStep(slideshow.shows[k].state, slideshow.settings)); break;
    default: break;
    }
}

// The window already covers the new virtual screen; each monitor gets a fresh show.
void OnDisplayChange(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    BuildShows(window, {r.left, r.top, r.right, r.bottom}, false);
    InvalidateRect(window, nullptr, TRUE);
}

void OnDestroy(HWND window) {
    for (std::size_t k = 0; k < slideshow.shows.size(); ++k) {
        StopTimers(window, k);
        ReleaseShow(slideshow.shows[k]);
    }
    slideshow.shows.clear();
    ReleaseImages(&slideshow.settings);
}

} // namespace

bool SlideshowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *answer) {
    switch (message) {
    case WM_CREATE: OnCreate(window, reinterpret_cast<const CREATESTRUCTA *>(lParam)); break;
    case WM_ERASEBKGND:
        OnEraseBackground(reinterpret_cast<HDC>(wParam));
        *answer = 0;
        return true;
    case WM_PAINT: OnPaint(window); break;
    case WM_COMMAND: OnCommand(window, wParam); break;
    case WM_TIMER: OnTimer(window, wParam); break;
    case WM_DISPLAYCHANGE: OnDisplayChange(window); break;
    case WM_DESTROY: OnDestroy(window); break;
    default: break;
    }
    return false;
}
