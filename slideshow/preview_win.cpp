// Preview slideshow. For now every message goes straight on to the default
// saver handling, so the preview shows its black class background.
#include "slideshow/slideshow.h"

#include "host/host.h"

LRESULT PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultSaverHandling(window, message, wParam, lParam);
}
