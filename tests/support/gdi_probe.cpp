// The GDI capacity probe: brushes until creation fails, then all deleted.
#include "tests/support/gdi_probe.h"

#include <windows.h>

#include <vector>

int FreeGdiRoom() {
    std::vector<HBRUSH> brushes;
    brushes.reserve(70000);
    for (;;) {
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        if (!brush) break;
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes) DeleteObject(brush);
    return static_cast<int>(brushes.size());
}
