// The full-screen slideshow: window timers and self-posted commands take each
// picture through loading, placement, fade-in, hold, and fade-out or the
// collage stamp. One show per process; its state lives here.
#include "slideshow/slideshow.h"

#include <cstdlib>

#include "host/host.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "slideshow/compose_frame.h"
#include "slideshow/picture_win.h"
#include "slideshow/slideshow_rules.h"

static Settings settings = {};
static std::int32_t nextSlot = 0;
static Picture picture;
static std::int32_t pictureX = 0, pictureY = 0, pictureScale = 100;
static std::int32_t level = 0;
static std::int32_t style = 0;
static HBITMAP snapshot = nullptr;
// What lay on screen before the window covered it; becomes the first snapshot.
static HBITMAP beneath = nullptr;

static int DrawRandom() { return std::rand(); }

static void ReleaseBitmap(HBITMAP &bitmap) {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
}

static void Redraw(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

static void PostCommand(HWND window, WPARAM command) { PostMessageA(window, WM_COMMAND, command, 0); }

// Copies the screen under the window-to-be, where the window's own context
// cannot show it (Wine and composited desktops give each window a fresh surface).
static HBITMAP CaptureScreen(int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

static void OnCreate(HWND window, const CREATESTRUCTA *create) {
    std::srand(GetTickCount());
    LoadSettings(&settings);
    level = 0;
    nextSlot = 0;
    if (!settings.ClearScreen) beneath = CaptureScreen(create->cx, create->cy);
    PostCommand(window, CMD_NEXT_PICTURE);
}

static void OnEraseBackground(HWND window, HDC dc) {
    ReleaseBitmap(snapshot);
    RECT client;
    GetClientRect(window, &client);
    if (settings.ClearScreen) {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ReleaseBitmap(beneath);
        return;
    }
    HDC memory = CreateCompatibleDC(dc);
    if (beneath) {
        // First erase: show the desktop as it was and keep it as the snapshot.
        HGDIOBJ old = SelectObject(memory, beneath);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        snapshot = beneath;
        beneath = nullptr;
    } else {
        snapshot = CreateCompatibleBitmap(dc, client.right, client.bottom);
        if (snapshot) {
            HGDIOBJ old = SelectObject(memory, snapshot);
            BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
            SelectObject(memory, old);
        }
    }
    DeleteDC(memory);
}

static void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (picture.Loaded())
        ComposeFrame(dc, pictureX, pictureY, picture.palette, picture.bitmap, pictureScale, level, snapshot, TRUE,
                     style, settings.DisplayTime ? TRUE : FALSE);
    EndPaint(window, &paint);
}

static void PlacePicture(HWND window) {
    pictureScale = EffectiveScale(settings.ImageSize, settings.RestrictSize != 0, settings.MaxWidth,
                                  settings.MaxHeight, picture.size.cx, picture.size.cy);
    RECT r;
    GetWindowRect(window, &r);
    const bool centre = settings.CenterPicture != 0;
    pictureX = PlaceAxis(r.right - r.left, picture.size.cx, pictureScale, centre, DrawRandom);
    pictureY = PlaceAxis(r.bottom - r.top, picture.size.cy, pictureScale, centre, DrawRandom);
}

static void OnFadeInStep(HWND window) {
    bool done = false;
    level = FadeInLevel(level, LevelStep(settings.StepSize), &done);
    if (done) {
        KillTimer(window, TIMER_FADE_IN);
        SetTimer(window, TIMER_HOLD, HoldTimerPeriod(settings.DisplayDuration), nullptr);
        SetTimer(window, TIMER_CLOCK, 500, nullptr);
    }
    Redraw(window);
}

static void OnFadeOutStep(HWND window) {
    bool done = false;
    level = FadeOutLevel(level, LevelStep(settings.StepSize), &done);
    if (done) {
        KillTimer(window, TIMER_FADE_OUT);
        PostCommand(window, CMD_NEXT_PICTURE);
    }
    Redraw(window);
}

static void OnNextPicture(HWND window) {
    if (settings.ImageCount <= 0 || !settings.Images) return;
    const char *path = settings.Images[nextSlot].path;
    if (path[0]) {
        if (LoadPicture(window, path, picture)) {
            PlacePicture(window);
        } else {
            ReleaseBitmap(snapshot); // later frames go over black until the next erase
        }
    }
    nextSlot = nextSlot + 1 >= settings.ImageCount ? 0 : nextSlot + 1;
    style = ChooseFadeInStyle(settings.FadeInStyle, DrawRandom);
    if (style == 0) level = 100;
    SetTimer(window, TIMER_FADE_IN, FadeTimerPeriod(settings.RefreshSpeed), nullptr);
    OnFadeInStep(window);
}

// Collage: the finished picture becomes part of the background, without its clock.
static void StampIntoSnapshot(HWND window) {
    if (!picture.Loaded() || !snapshot) return;
    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    HGDIOBJ old = SelectObject(memory, snapshot);
    ComposeFrame(memory, pictureX, pictureY, picture.palette, picture.bitmap, pictureScale, 100, snapshot, TRUE, 0,
                 FALSE);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
}

static void OnHoldEnd(HWND window) {
    KillTimer(window, TIMER_HOLD);
    KillTimer(window, TIMER_CLOCK);
    if (settings.RemoveBitmaps) {
        style = ChooseFadeOutStyle(style, settings.FadeOutStyle, DrawRandom);
        if (style == 0) level = 0;
        SetTimer(window, TIMER_FADE_OUT, FadeTimerPeriod(settings.RefreshSpeed), nullptr);
        return;
    }
    StampIntoSnapshot(window);
    level = 0;
    PostCommand(window, CMD_NEXT_PICTURE);
}

static void OnTimer(HWND window, WPARAM id) {
    switch (id) {
    case TIMER_FADE_IN: PostCommand(window, CMD_FADE_IN_STEP); break;
    case TIMER_FADE_OUT: PostCommand(window, CMD_FADE_OUT_STEP); break;
    case TIMER_CLOCK: Redraw(window); break;
    case TIMER_HOLD: OnHoldEnd(window); break;
    default: break;
    }
}

static void OnCommand(HWND window, WPARAM command) {
    switch (command) {
    case CMD_NEXT_PICTURE: OnNextPicture(window); break;
    case CMD_FADE_IN_STEP: OnFadeInStep(window); break;
    case CMD_FADE_OUT_STEP: OnFadeOutStep(window); break;
    default: break;
    }
}

static void OnDestroy(HWND window) {
    KillTimer(window, TIMER_HOLD);
    KillTimer(window, TIMER_CLOCK);
    KillTimer(window, TIMER_FADE_IN);
    KillTimer(window, TIMER_FADE_OUT);
    ReleaseBitmap(snapshot);
    ReleaseBitmap(beneath);
    ReleasePicture(picture);
    ReleaseImages(&settings);
}

LRESULT SlideshowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(window, reinterpret_cast<const CREATESTRUCTA *>(lParam)); break;
    case WM_ERASEBKGND:
        OnEraseBackground(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: OnPaint(window); break;
    case WM_COMMAND: OnCommand(window, wParam); break;
    case WM_TIMER: OnTimer(window, wParam); break;
    case WM_DESTROY: OnDestroy(window); break;
    default: break;
    }
    return DefaultSaverHandling(window, message, wParam, lParam);
}
