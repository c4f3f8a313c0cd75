// Decoding a picture file with the platform's codecs (WIC) into a top-down
// 32-bit DIB section. The caller initialises COM around the call.
#pragma once

#include <windows.h>

// The upright picture and its size, or null (size untouched) on any failure,
// with nothing left allocated.
HBITMAP DecodePictureFile(HDC dc, const char *path, SIZE *size);
