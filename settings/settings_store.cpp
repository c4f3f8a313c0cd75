// Load and save of the settings record: which values, in which order, with
// which defaults. The save writes the new pictures, then their count, then
// removes stale names: a save cut short at any write leaves a list of old and
// new pictures, never an empty slot or a lost list.
#include "settings/settings_store.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings/settings_rules.h"

namespace {

// Every option the store keeps beside the picture list, in the order it reads
// and writes them: the value's name (a string id), then either a number field
// with its default or the text field (the folder last used), which keeps what
// it holds when the value is missing.
struct StoredValue {
    int nameId;
    std::int32_t Settings::*number;
    std::int32_t defaultNumber;
    char (Settings::*text)[kFileDirectorySize];
};
constexpr StoredValue kStoredValues[] = {
    {IDS_DISPLAY_DURATION, &Settings::DisplayDuration, 5, nullptr},
    {IDS_IMAGE_SIZE, &Settings::ImageSize, 100, nullptr},
    {IDS_REFRESH_SPEED, &Settings::RefreshSpeed, 25, nullptr},
    {IDS_CLEAR_SCREEN, &Settings::ClearScreen, 0, nullptr},
    {IDS_REMOVE_BITMAPS, &Settings::RemoveBitmaps, 1, nullptr},
    {IDS_FILTER_INDEX, &Settings::FilterIndex, 1, nullptr},
    {IDS_FADE_IN_STYLE, &Settings::FadeInStyle, 0, nullptr},
    {IDS_FADE_OUT_STYLE, &Settings::FadeOutStyle, 1, nullptr},
    {IDS_STEP_SIZE, &Settings::StepSize, 10, nullptr},
    {IDS_DISPLAY_TIME, &Settings::DisplayTime, 1, nullptr},
    {IDS_CENTER_PICTURE, &Settings::CenterPicture, 0, nullptr},
    {IDS_RESTRICT_SIZE, &Settings::RestrictSize, 0, nullptr},
    {IDS_MAX_WIDTH, &Settings::MaxWidth, 640, nullptr},
    {IDS_MAX_HEIGHT, &Settings::MaxHeight, 480, nullptr},
    {IDS_FILE_DIRECTORY, nullptr, 0, &Settings::FileDirectory},
};

} // namespace

static void LoadImages(SettingsBackend &store, Settings *settings) {
    const std::int32_t count = store.ReadInteger(IDS_IMAGE_COUNT, 0);
    const std::size_t bytes = SlotArrayBytes(count);
    settings->ImageCount = 0;
    settings->Images = nullptr;
    if (bytes == 0) return;
    settings->Images = static_cast<PictureSlot *>(std::calloc(1, bytes));
    if (!settings->Images) return;
    settings->ImageCount = count;
    for (std::int32_t i = 0; i < count; ++i) {
        char name[kImageValueNameSize];
        FormatImageValueName(i, name);
        store.ReadText(name, settings->Images[i].path, kSlotSize, settings->Images[i].path);
    }
}

void LoadSettingsFrom(SettingsBackend &store, Settings *settings) {
    if (!store.Open()) return;
    for (const StoredValue &value : kStoredValues) {
        if (value.number) {
            settings->*value.number = store.ReadInteger(value.nameId, value.defaultNumber);
        } else {
            char *text = settings->*value.text;
            store.ReadTextById(value.nameId, text, kFileDirectorySize, text);
        }
    }
    LoadImages(store, settings);
    store.Close();
}

// Removes the old list's names from the new count up; the names come from the
// store itself, so a damaged old count costs nothing. Last name first: a
// registry that keeps its values in order then moves none of the others.
static void DeleteStaleImages(SettingsBackend &store, std::int32_t newCount, std::int32_t oldCount) {
    if (oldCount <= newCount) return;
    std::vector<std::string> stale;
    for (const std::string &name : store.ValueNames()) {
        std::int32_t index = 0;
        if (ParseImageValueName(name.c_str(), &index) && index >= newCount && index < oldCount) stale.push_back(name);
    }
    std::sort(stale.begin(), stale.end());
    for (auto name = stale.rbegin(); name != stale.rend(); ++name) store.DeleteValue(name->c_str());
}

// A slot's text, never read past the slot even when it lacks its NUL.
static std::string SlotText(const char *slot) { return std::string(slot, SlotTextLength(slot, kSlotSize)); }

void SaveSettingsTo(SettingsBackend &store, const Settings *settings) {
    if (!store.Open()) return;
    for (const StoredValue &value : kStoredValues) {
        if (value.number) {
            store.WriteInteger(value.nameId, settings->*value.number);
        } else {
            const char *text = settings->*value.text;
            store.WriteTextById(value.nameId, std::string(text, SlotTextLength(text, kFileDirectorySize)).c_str());
        }
    }

    const std::int32_t oldCount = store.ReadInteger(IDS_IMAGE_COUNT, 0);
    const std::int32_t newCount = settings->Images && settings->ImageCount > 0 ? settings->ImageCount : 0;
    // The count goes last: written first, a longer list would show empty
    // slots (saved as such by the next OK) until its pictures were written.
    for (std::int32_t i = 0; i < newCount; ++i) {
        char name[kImageValueNameSize];
        FormatImageValueName(i, name);
        store.WriteText(name, SlotText(settings->Images[i].path).c_str());
    }
    store.WriteInteger(IDS_IMAGE_COUNT, newCount);
    DeleteStaleImages(store, newCount, oldCount);
    store.Close();
}

void ReleaseImages(Settings *settings) {
    std::free(settings->Images);
    settings->Images = nullptr;
    settings->ImageCount = 0;
}
