// Loading and releasing the slideshow's picture triple.
#include "slideshow/picture_win.h"

#include "picture_loader/picture_loader.h"

void ReleasePicture(Picture &picture) {
    if (picture.bitmap) DeleteObject(picture.bitmap);
    if (picture.palette) DeleteObject(picture.palette);
    picture = Picture{};
}

bool LoadPicture(HWND window, const char *path, Picture &picture) {
    ReleasePicture(picture);
    HDC dc = GetDC(window);
    Picture loaded;
    const int ok = LoadFileGraphic(dc, path, &loaded.size, &loaded.palette, &loaded.bitmap, 0);
    ReleaseDC(window, dc);
    if (!ok || !loaded.bitmap) {
        ReleasePicture(loaded); // a loader that half-failed leaves nothing with us
        return false;
    }
    picture = loaded;
    return true;
}
