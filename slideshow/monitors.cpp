// Monitor areas inside the full-screen window, primary first.
#include "slideshow/monitors.h"

#include <algorithm>

namespace {

ShowArea AreaOf(const ScreenRect &window, const ScreenRect &monitor) {
    ShowArea area;
    area.screen = {std::max(window.left, monitor.left), std::max(window.top, monitor.top),
                   std::min(window.right, monitor.right), std::min(window.bottom, monitor.bottom)};
    area.left = area.screen.left - window.left;
    area.top = area.screen.top - window.top;
    area.width = area.screen.right - area.screen.left;
    area.height = area.screen.bottom - area.screen.top;
    return area;
}

} // namespace

std::vector<ShowArea> ArrangeShows(const ScreenRect &window, const std::vector<MonitorInfo> &monitors) {
    std::vector<ShowArea> areas;
    for (int pass = 0; pass < 2; ++pass) {
        for (const MonitorInfo &monitor : monitors) {
            if (monitor.primary != (pass == 0)) continue;
            const ShowArea area = AreaOf(window, monitor.rect);
            if (area.width > 0 && area.height > 0) areas.push_back(area);
        }
    }
    if (areas.empty()) {
        const ShowArea whole = AreaOf(window, window);
        if (whole.width > 0 && whole.height > 0) areas.push_back(whole);
    }
    return areas;
}

std::int32_t FirstSlot(std::int32_t showIndex, std::int32_t imageCount) {
    return imageCount > 0 && showIndex >= 0 ? showIndex % imageCount : 0;
}
