// The picture viewer (IDD_PICTURE_VIEWER): one picture at its own size, loaded by
// gfxlib.dll, closed by a typed character, a click, Enter, Escape or its close
// box. It owns the picture's bitmap and palette from the load until it closes.
#include "config_ui/dialogs.h"

#include "module/module.h"
#include "picture_loader/picture_loader.h"
#include "resources/resource.h"

// One viewer at a time: it is modal over the configuration dialog.
static SIZE pictureSize;
static HPALETTE picturePalette;
static HBITMAP pictureBitmap;

static BOOL OnInitDialog(HWND dialog, const char *path) {
    SetWindowTextA(dialog, path);
    HDC dc = GetDC(dialog);
    const int loaded = LoadFileGraphic(dc, path, &pictureSize, &picturePalette, &pictureBitmap, 1);
    ReleaseDC(dialog, dc);
    if (!loaded) {
        picturePalette = nullptr; // nothing of a failed load is ours to delete
        pictureBitmap = nullptr;
        EndDialog(dialog, 0);
        return TRUE;
    }
    // The window's own styles, so the frame the platform draws leaves exactly the picture inside.
    RECT frame = {0, 0, pictureSize.cx, pictureSize.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CentreWindow(dialog);
    return FALSE;
}

static void OnPaint(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (pictureBitmap) DrawBitmap(dc, 0, 0, picturePalette, pictureBitmap);
    EndPaint(dialog, &paint);
}

// Handles are cleared as they go, so a second close event deletes nothing twice.
static void CloseViewer(HWND dialog) {
    if (picturePalette) DeleteObject(picturePalette);
    if (pictureBitmap) DeleteObject(pictureBitmap);
    picturePalette = nullptr;
    pictureBitmap = nullptr;
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK PictureViewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<const char *>(lParam));
    case WM_PAINT: OnPaint(dialog); return TRUE;
    case WM_ACTIVATE:
        if (wParam != 0) {
            InvalidateRect(dialog, nullptr, TRUE);
            UpdateWindow(dialog);
        }
        return TRUE;
    case WM_CLOSE:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: CloseViewer(dialog); return TRUE;
    case WM_COMMAND:
        if (wParam == IDOK || wParam == IDCANCEL) PostMessageA(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    default: return FALSE;
    }
}

INT_PTR ShowPictureViewer(HWND owner, const char *path) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    if (!instance) instance = ModuleInstance();
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PICTURE_VIEWER), owner, PictureViewerDialogProc,
                           reinterpret_cast<LPARAM>(path));
}
