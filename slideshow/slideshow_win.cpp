// Full-screen slideshow controller. For now every message goes straight on to
// the default saver handling, so the window shows its black class background.
#include "slideshow/slideshow.h"

#include "host/host.h"

LRESULT SlideshowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultSaverHandling(window, message, wParam, lParam);
}
