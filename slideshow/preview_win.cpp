// The preview slideshow inside the display settings' small window: each
// picture fitted and centred on black, changed at the full-screen pace.
// One preview per process; its state is one struct.
#include "slideshow/slideshow.h"

#include "resources/resource.h"
#include "settings/settings.h"
#include "slideshow/compose_frame.h"
#include "slideshow/picture_win.h"
#include "slideshow/slideshow_rules.h"

namespace {

struct Preview {
    Settings settings = {};
    std::int32_t nextSlot = 0;
    Picture picture;
};
Preview preview;

void OnCreate(HWND window) {
    LoadSettings(&preview.settings);
    preview.nextSlot = 0;
    PostMessageA(window, WM_COMMAND, CMD_NEXT_PICTURE, 0);
    SetTimer(window, TIMER_HOLD,
             PreviewPeriod(preview.settings.RefreshSpeed, preview.settings.StepSize, preview.settings.DisplayDuration,
                           preview.settings.RemoveBitmaps != 0),
             nullptr);
}

void OnNextPicture(HWND window) {
    if (preview.settings.ImageCount <= 0 || !preview.settings.Images) return;
    const char *path = preview.settings.Images[preview.nextSlot].path;
    if (path[0]) LoadPicture(window, path, preview.picture);
    preview.nextSlot = preview.nextSlot + 1 >= preview.settings.ImageCount ? 0 : preview.nextSlot + 1;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (preview.picture.Loaded()) {
        const PreviewFit fit = FitPreview(client.right, client.bottom, preview.picture.size.cx, preview.picture.size.cy);
        ComposeFrame(dc, client.left + fit.x, client.top + fit.y, preview.picture.palette, preview.picture.bitmap, fit.scale, 100,
                     nullptr, FALSE, 0, FALSE);
    }
    EndPaint(window, &paint);
}

void OnDestroy(HWND window) {
    KillTimer(window, TIMER_HOLD);
    ReleasePicture(preview.picture);
    ReleaseImages(&preview.settings);
}

} // namespace

bool PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT *answer) {
    switch (message) {
    case WM_CREATE: OnCreate(window); break;
    case WM_ERASEBKGND:
        *answer = 1; // the paint fills the window itself
        return true;
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
    return false;
}
