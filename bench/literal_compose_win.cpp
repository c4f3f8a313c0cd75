// The literal GDI compositor: every step of the original algorithm, in its order,
// with no shortcut. The numbers (sizes, ellipse box, grey, label offsets) come
// from the saver's pure formulas; the pixels come from GDI surfaces alone.
#include "bench/literal_compose_win.h"

#include <algorithm>

#include "slideshow/compose.h"
#include "slideshow/masks.h"

namespace {

void FillWhite(HDC dc, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    RECT r = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

void DrawMask(HDC mask, std::int32_t w, std::int32_t h, std::int32_t style, std::int32_t level) {
    if (level >= 100) {
        PatBlt(mask, 0, 0, w, h, WHITENESS);
        return;
    }
    PatBlt(mask, 0, 0, w, h, BLACKNESS);
    if (level <= 0) return;
    const std::int64_t L = level;
    switch (style) {
    case kDissolve: {
        const BYTE g = DissolveGrey(level);
        HBRUSH grey = CreateSolidBrush(RGB(g, g, g));
        RECT all = {0, 0, w, h};
        FillRect(mask, &all, grey);
        DeleteObject(grey);
        break;
    }
    case kHorizontalMesh: {
        const std::int64_t s = w / 100, n = w * L / 100;
        for (std::int64_t k = 0; k < h; ++k)
            if (k % 2 == 0)
                FillWhite(mask, w - n, k * s, w, k * s + s);
            else
                FillWhite(mask, 0, k * s, n, k * s + s);
        break;
    }
    case kVerticalMesh: {
        const std::int64_t s = h / 100, n = h * L / 100;
        for (std::int64_t k = 0; k < w; ++k)
            if (k % 2 == 0)
                FillWhite(mask, k * s, h - n, k * s + s, h);
            else
                FillWhite(mask, k * s, 0, k * s + s, n);
        break;
    }
    case kEllipseInwards:
    case kEllipseOutwards: {
        const bool outwards = style == kEllipseOutwards;
        const EllipseBox box = EllipseBoxFor({0, 0, w, h}, outwards ? level : 100 - level);
        if (!outwards) PatBlt(mask, 0, 0, w, h, WHITENESS);
        HGDIOBJ oldPen = SelectObject(mask, GetStockObject(NULL_PEN));
        HGDIOBJ oldBrush = SelectObject(mask, GetStockObject(outwards ? WHITE_BRUSH : BLACK_BRUSH));
        Ellipse(mask, static_cast<int>(box.left), static_cast<int>(box.top), static_cast<int>(box.right),
                static_cast<int>(box.bottom));
        SelectObject(mask, oldBrush);
        SelectObject(mask, oldPen);
        break;
    }
    case kFourCorners: {
        const std::int64_t cw = w * L / 200, ch = h * L / 200;
        FillWhite(mask, 0, 0, cw, ch);
        FillWhite(mask, w - cw, 0, w, ch);
        FillWhite(mask, 0, h - ch, cw, h);
        FillWhite(mask, w - cw, h - ch, w, h);
        break;
    }
    default: PatBlt(mask, 0, 0, w, h, WHITENESS); break;
    }
}

void DrawLabel(HDC dc, std::int32_t w, std::int32_t h, std::int32_t referenceWidth, std::int32_t referenceHeight,
               bool frame) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[9];
    FormatClock(now.wHour, now.wMinute, now.wSecond, text);
    RECT r = {0, 0, 0, 0};
    DrawTextA(dc, text, 8, &r, DT_CALCRECT | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    InflateRect(&r, 6, 6);
    const LabelOffset offset = ClockLabelOffset(w, h, referenceWidth, referenceHeight, frame);
    OffsetRect(&r, offset.dx, offset.dy);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, 8, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
}

} // namespace

void LiteralComposeFrame(HDC target, int32_t x, int32_t y, HPALETTE palette, HBITMAP picture, int32_t scale,
                         int32_t level, HBITMAP background, BOOL frame, int32_t style, BOOL clock) {
    BITMAP header = {};
    if (GetObjectA(picture, sizeof(header), &header) != sizeof(header)) return;
    const std::int32_t pictureHeight = header.bmHeight < 0 ? -header.bmHeight : header.bmHeight;
    std::int32_t referenceWidth = GetSystemMetrics(SM_CXSCREEN), referenceHeight = GetSystemMetrics(SM_CYSCREEN);
    BITMAP backgroundHeader = {};
    if (background && GetObjectA(background, sizeof(backgroundHeader), &backgroundHeader) == sizeof(BITMAP)) {
        referenceWidth = backgroundHeader.bmWidth;
        referenceHeight = backgroundHeader.bmHeight;
    }
    level = ClampLevel(level);
    std::int32_t w = 0, h = 0;
    if (!ScalePictureSize(header.bmWidth, pictureHeight, scale, w, h) || w <= 0 || h <= 0) return;

    HDC P = CreateCompatibleDC(target), B = CreateCompatibleDC(target), C = CreateCompatibleDC(target),
        M = CreateCompatibleDC(target);
    HDC K = background ? CreateCompatibleDC(target) : nullptr;
    HBITMAP bitmapB = CreateBitmap(w, h, header.bmPlanes, header.bmBitsPixel, nullptr);
    HBITMAP bitmapC = CreateBitmap(w, h, header.bmPlanes, header.bmBitsPixel, nullptr);
    HBITMAP bitmapM = CreateBitmap(w, h, 1, 1, nullptr);
    HGDIOBJ oldM = SelectObject(M, bitmapM);

    DrawMask(M, w, h, style, level);

    HPALETTE oldPaletteB = SelectPalette(B, palette, FALSE), oldPaletteP = SelectPalette(P, palette, FALSE),
             oldPaletteC = SelectPalette(C, palette, FALSE);
    HPALETTE oldPaletteK = K ? SelectPalette(K, palette, FALSE) : nullptr;
    HPALETTE oldPaletteTarget = SelectPalette(target, palette, FALSE);
    RealizePalette(target);

    HGDIOBJ oldP = SelectObject(P, picture), oldB = SelectObject(B, bitmapB);
    HGDIOBJ oldK = K ? SelectObject(K, background) : nullptr;
    HGDIOBJ oldC = SelectObject(C, bitmapC);

    StretchBlt(B, 0, 0, w, h, P, 0, 0, header.bmWidth, pictureHeight, SRCCOPY);
    if (frame) {
        RECT all = {0, 0, w, h};
        FrameRect(B, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    if (clock) DrawLabel(B, w, h, referenceWidth, referenceHeight, frame != FALSE);
    if (K)
        BitBlt(C, 0, 0, w, h, K, x, y, SRCCOPY);
    else
        PatBlt(C, 0, 0, w, h, BLACKNESS);

    BitBlt(B, 0, 0, w, h, M, 0, 0, SRCAND);
    PatBlt(M, 0, 0, w, h, DSTINVERT);
    BitBlt(C, 0, 0, w, h, M, 0, 0, SRCAND);
    BitBlt(B, 0, 0, w, h, C, 0, 0, SRCPAINT);
    BitBlt(target, x, y, w, h, B, 0, 0, SRCCOPY);

    if (oldPaletteC) SelectPalette(C, oldPaletteC, FALSE);
    if (oldPaletteK) SelectPalette(K, oldPaletteK, FALSE);
    if (oldPaletteB) SelectPalette(B, oldPaletteB, FALSE);
    if (oldPaletteP) SelectPalette(P, oldPaletteP, FALSE);
    if (oldPaletteTarget) SelectPalette(target, oldPaletteTarget, FALSE);
    SelectObject(C, oldC);
    if (K && oldK) SelectObject(K, oldK);
    SelectObject(B, oldB);
    SelectObject(P, oldP);
    SelectObject(M, oldM);
    DeleteObject(bitmapC);
    DeleteObject(bitmapB);
    DeleteObject(bitmapM);
    DeleteDC(P);
    DeleteDC(B);
    DeleteDC(M);
    if (K) DeleteDC(K);
    DeleteDC(C);
}
