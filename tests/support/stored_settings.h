// The number options as the registry holds them, in the order the store reads and writes them.
#pragma once

#include <cstdint>

#include "resources/resource.h"
#include "settings/settings.h"

struct StoredField {
    const char *name;
    int id;
    std::int32_t Settings::*field;
    std::int32_t defaultValue;
};
inline const StoredField kStoredFields[] = {
    {"DisplayDuration", IDS_DISPLAY_DURATION, &Settings::DisplayDuration, 5},
    {"ImageSize", IDS_IMAGE_SIZE, &Settings::ImageSize, 100},
    {"RefreshSpeed", IDS_REFRESH_SPEED, &Settings::RefreshSpeed, 25},
    {"ClearScreen", IDS_CLEAR_SCREEN, &Settings::ClearScreen, 0},
    {"RemoveBitmaps", IDS_REMOVE_BITMAPS, &Settings::RemoveBitmaps, 1},
    {"FilterIndex", IDS_FILTER_INDEX, &Settings::FilterIndex, 1},
    {"FadeInStyle", IDS_FADE_IN_STYLE, &Settings::FadeInStyle, 0},
    {"FadeOutStyle", IDS_FADE_OUT_STYLE, &Settings::FadeOutStyle, 1},
    {"StepSize", IDS_STEP_SIZE, &Settings::StepSize, 10},
    {"DisplayTime", IDS_DISPLAY_TIME, &Settings::DisplayTime, 1},
    {"CenterPicture", IDS_CENTER_PICTURE, &Settings::CenterPicture, 0},
    {"RestrictSize", IDS_RESTRICT_SIZE, &Settings::RestrictSize, 0},
    {"MaxWidth", IDS_MAX_WIDTH, &Settings::MaxWidth, 640},
    {"MaxHeight", IDS_MAX_HEIGHT, &Settings::MaxHeight, 480}};
