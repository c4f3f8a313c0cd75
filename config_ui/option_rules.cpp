// The configuration dialogs' rules. Sums are taken in 64 bits and held in
// range, so no request or rectangle can overflow a 32-bit value.
#include "config_ui/option_rules.h"

#include <algorithm>
#include <initializer_list>
#include <cstdio>
#include <limits>

#include "resources/resource.h"
#include "settings/settings_rules.h"

const OptionBar kOptionBars[kOptionBarCount] = {
    {IDC_DURATION_BAR, IDC_DURATION_LABEL, "%i secs", 0, 60},
    {IDC_IMAGE_SIZE_BAR, IDC_IMAGE_SIZE_LABEL, "%i %%", 50, 150},
    {IDC_SPEED_BAR, IDC_SPEED_LABEL, "%i fps", 1, 50},
    {IDC_STEP_BAR, IDC_STEP_LABEL, "%i ppf", 1, 50},
};

const OptionBar *FindOptionBar(int barId) {
    for (const OptionBar &bar : kOptionBars)
        if (bar.barId == barId) return &bar;
    return nullptr;
}

static std::int32_t AtLeast(std::int64_t value, std::int32_t minimum) {
    return static_cast<std::int32_t>(std::max<std::int64_t>(value, minimum));
}

static std::int32_t AtMost(std::int64_t value, std::int32_t maximum) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, maximum));
}

bool ScrolledPosition(int request, std::int32_t position, std::int32_t minimum, std::int32_t maximum,
                      std::int32_t thumb, std::int32_t *newPosition) {
    const std::int64_t here = position;
    switch (request) {
    case kLineLeft: *newPosition = AtLeast(here - kLineStep, minimum); return true;
    case kLineRight: *newPosition = AtMost(here + kLineStep, maximum); return true;
    case kPageLeft: *newPosition = AtLeast(here - kPageStep, minimum); return true;
    case kPageRight: *newPosition = AtMost(here + kPageStep, maximum); return true;
    case kThumbPosition:
    case kThumbTrack: *newPosition = AtMost(AtLeast(thumb, minimum), maximum); return true;
    case kLeftEnd: *newPosition = minimum; return true;
    case kRightEnd: *newPosition = maximum; return true;
    default: return false;
    }
}

void FormatOptionLabel(const OptionBar &bar, std::int32_t value, char (&text)[kLabelTextSize]) {
    std::snprintf(text, sizeof(text), bar.format, static_cast<int>(value));
}

std::int32_t LabelNumber(const char *text) { return ParseIntegerText(text); }

const char *const kFadeInStyles[kFadeInStyleCount] = {
    "Random", "Instant Display", "Dissolve", "Horizontal Mesh",
    "Vertical Mesh", "Ellipse Inwards", "Ellipse Outwards", "Four Corners",
};

const char *const kFadeOutStyles[kFadeOutStyleCount] = {
    "Reverse", "Random", "Instant Display", "Dissolve", "Horizontal Mesh",
    "Vertical Mesh", "Ellipse Inwards", "Ellipse Outwards", "Four Corners",
};

const SizeGroup kWidthGroup = {
    {IDC_WIDTH_640, IDC_WIDTH_800, IDC_WIDTH_1024}, {640, 800, 1024}, IDC_WIDTH_OTHER, IDC_WIDTH_EDIT, 640};
const SizeGroup kHeightGroup = {
    {IDC_HEIGHT_480, IDC_HEIGHT_600, IDC_HEIGHT_768}, {480, 600, 768}, IDC_HEIGHT_OTHER, IDC_HEIGHT_EDIT, 480};

int SizeGroupButtonFor(const SizeGroup &group, std::int32_t value) {
    for (int i = 0; i < 3; ++i)
        if (group.presetValues[i] == value) return group.presetButtons[i];
    return group.otherButton;
}

std::int32_t CentredStart(std::int32_t referenceStart, std::int32_t referenceExtent, std::int32_t windowExtent) {
    const std::int64_t start = std::int64_t{referenceStart} + referenceExtent / 2 - windowExtent / 2;
    if (start < 0) return 0;
    return AtMost(start, std::numeric_limits<std::int32_t>::max());
}

int ButtonIconSize(int innerWidth, int innerHeight) {
    const int room = std::min(innerWidth, innerHeight);
    for (int size : {32, 24})
        if (size <= room) return size;
    return 16;
}
