// The two exports of gfxlib.dll. Owns the COM lifetime of each call (safe
// whether or not the calling thread has COM already) and the hand-over of the
// picture triple; no exception and no half-made object leaves a call.
#include <windows.h>
#include <objbase.h>

#include "gfxlib/decode_win.h"
#include "picture_loader/picture_loader.h"

namespace {

// Joins the caller's apartment, or makes one for the call. A thread already
// in the multithreaded apartment keeps it: WIC works there too.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope &) = delete;
    ComScope &operator=(const ComScope &) = delete;
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

HBITMAP DecodeWithCom(HDC dc, const char *path, SIZE *size) {
    ComScope com;
    if (!com.Usable()) return nullptr;
    return DecodePictureFile(dc, path, size);
}

HPALETTE MakeHalftonePalette(HDC dc) {
    if (dc) return CreateHalftonePalette(dc);
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HPALETTE palette = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    return palette;
}

int LoadTriple(HDC dc, const char *path, SIZE *size, HPALETTE *palette, HBITMAP *bitmap) {
    SIZE decodedSize{};
    HBITMAP picture = DecodeWithCom(dc, path, &decodedSize);
    if (!picture) return 0;
    HPALETTE halftone = MakeHalftonePalette(dc);
    if (!halftone) {
        DeleteObject(picture);
        return 0;
    }
    *size = decodedSize;
    *palette = halftone;
    *bitmap = picture;
    return 1;
}

int Paint(HDC dc, int x, int y, HPALETTE palette, HBITMAP bitmap) {
    BITMAP header;
    if (!dc || !bitmap || GetObjectA(bitmap, sizeof header, &header) != sizeof header) return 0;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return 0;
    HPALETTE oldPalette = nullptr;
    if (palette) {
        oldPalette = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    BOOL painted = FALSE;
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap); // fails if another context holds it
    if (oldBitmap) {
        painted = BitBlt(dc, x, y, header.bmWidth, header.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
    }
    DeleteDC(memory);
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    return painted ? 1 : 0;
}

} // namespace

// The flag is accepted and ignored: the slideshow scales from the true size
// and the viewer shows it, so both want the same full picture.
extern "C" int WINAPI LoadFileGraphic(HDC dc, const char *path, SIZE *size, HPALETTE *palette, HBITMAP *bitmap,
                                      int /*flag*/) {
    // Cleared first, so a caller that deletes after a failure deletes nothing.
    if (size) *size = SIZE{0, 0};
    if (palette) *palette = nullptr;
    if (bitmap) *bitmap = nullptr;
    if (!path || !*path || !size || !palette || !bitmap) return 0;
    try {
        return LoadTriple(dc, path, size, palette, bitmap);
    } catch (...) {
        return 0; // out of memory for a strip: the holders have released the rest
    }
}

extern "C" int WINAPI DrawBitmap(HDC dc, int x, int y, HPALETTE palette, HBITMAP bitmap) {
    return Paint(dc, x, y, palette, bitmap);
}
