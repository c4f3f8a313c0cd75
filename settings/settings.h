// The settings record: every option of the saver and its picture list.
// Pure: each window or dialog owns one instance and releases its slot array
// with ReleaseImages when it ends.
#pragma once

#include <cstdint>

constexpr int kSlotSize = 256;       // one NUL-terminated path of at most 255 characters
constexpr int kFileDirectorySize = 256;

struct PictureSlot {
    char path[kSlotSize];
};

struct Settings {
    std::int32_t ImageCount;
    PictureSlot *Images;             // heap array of ImageCount slots, owned by the record
    char FileDirectory[kFileDirectorySize];
    std::int32_t DisplayDuration;
    std::int32_t ImageSize;
    std::int32_t RefreshSpeed;
    std::int32_t ClearScreen;
    std::int32_t RemoveBitmaps;
    std::int32_t FilterIndex;
    std::int32_t FadeInStyle;
    std::int32_t FadeOutStyle;
    std::int32_t StepSize;
    std::int32_t DisplayTime;
    std::int32_t CenterPicture;
    std::int32_t RestrictSize;
    std::int32_t MaxWidth;
    std::int32_t MaxHeight;
};

// Fills every field from the per-user store; allocates Images. On a store that
// cannot be opened the record is left untouched.
void LoadSettings(Settings *settings);

// Writes every field and the picture list, replacing the stored list.
void SaveSettings(const Settings *settings);

// Frees the slot array and empties the list.
void ReleaseImages(Settings *settings);
