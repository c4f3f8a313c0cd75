// The preview slideshow inside the display settings' small window: each
// picture fitted and centred on black, changed at the full-screen pace.
// One preview per process; its state lives here.
#include "slideshow/slideshow.h"

#include "host/host.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "slideshow/compose_frame.h"
#include "slideshow/picture_win.h"
#include "slideshow/slideshow_rules.h"

static Settings settings = {};
static std::int32_t nextSlot = 0;
static Picture picture;

static void OnCreate(HWND window) {
    LoadSettings(&settings);
    nextSlot = 0;
    PostMessageA(window, WM_COMMAND, CMD_NEXT_PICTURE, 0);
    SetTimer(window, TIMER_HOLD,
             PreviewPeriod(settings.RefreshSpeed, settings.StepSize, settings.DisplayDuration,
                           settings.RemoveBitmaps != 0),
             nullptr);
}

static void OnNextPicture(HWND window) {
    if (settings.ImageCount <= 0 || !settings.Images) return;
    const char *path = settings.Images[nextSlot].path;
    if (path[0]) LoadPicture(window, path, picture);
    nextSlot = nextSlot + 1 >= settings.ImageCount ? 0 : nextSlot + 1;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

static void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (picture.Loaded()) {
        const PreviewFit fit = FitPreview(client.right, client.bottom, picture.size.cx, picture.size.cy);
        ComposeFrame(dc, client.left + fit.x, client.top + fit.y, picture.palette, picture.bitmap, fit.scale, 100,
                     nullptr, FALSE, 0, FALSE);
    }
    EndPaint(window, &paint);
}

static void OnDestroy(HWND window) {
    KillTimer(window, TIMER_HOLD);
    ReleasePicture(picture);
    ReleaseImages(&settings);
}

LRESULT PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(window); break;
    case WM_ERASEBKGND: return 1; // the paint fills the window itself
    case WM_PAINT: OnPaint(window); break;
    case WM_COMMAND:
        if (wParam == CMD_NEXT_PICTURE) OnNextPicture(window);
        break;
    case WM_TIMER:
        if (wParam == TIMER_HOLD) PostMessageA(window, WM_COMMAND, CMD_NEXT_PICTURE, 0);
        break;
    case WM_DESTROY: OnDestroy(window); break;
    default: break;
    }
    return DefaultSaverHandling(window, message, wParam, lParam);
}
