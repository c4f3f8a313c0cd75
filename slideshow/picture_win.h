// The picture triple the slideshow and the preview own: loaded through the
// image library, released by its owner.
#pragma once

#include <windows.h>

struct Picture {
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    SIZE size = {0, 0};
    bool Loaded() const { return bitmap != nullptr; }
};

// Deletes the bitmap and palette, each when present.
void ReleasePicture(Picture &picture);

// Releases the current picture, then loads the file with the window's device
// context; on failure the picture stays absent.
bool LoadPicture(HWND window, const char *path, Picture &picture);
