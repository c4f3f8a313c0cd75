// The image library gfxlib.dll as the saver calls it: a file becomes a
// picture triple (bitmap, palette, size) that the caller owns and deletes.
// Exported by name, stdcall, so that any program can call it.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Decodes a JPEG, GIF, PNG or Windows bitmap file, shown upright. Non-zero on
// success with all three outputs set: a top-down 32-bit DIB section, a
// halftone palette, and the bitmap's size. Zero on any failure, with the
// outputs cleared and nothing left allocated. The flag (0 slideshow and
// preview, 1 viewer) changes nothing; see docs/gfxlib.md.
int WINAPI LoadFileGraphic(HDC dc, const char *path, SIZE *size, HPALETTE *palette, HBITMAP *bitmap, int flag);

// Paints the bitmap at its own size with its top-left corner at (x, y),
// through the palette when one is given. Non-zero on success.
int WINAPI DrawBitmap(HDC dc, int x, int y, HPALETTE palette, HBITMAP bitmap);

#ifdef __cplusplus
}
#endif
