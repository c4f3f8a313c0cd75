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
    settings->DisplayDuration = store.ReadInteger(IDS_DISPLAY_DURATION, 5);
    settings->ImageSize = store.ReadInteger(IDS_IMAGE_SIZE, 100);
    settings->RefreshSpeed = store.ReadInteger(IDS_REFRESH_SPEED, 25);
    settings->ClearScreen = store.ReadInteger(IDS_CLEAR_SCREEN, 0);
    settings->RemoveBitmaps = store.ReadInteger(IDS_REMOVE_BITMAPS, 1);
    settings->FilterIndex = store.ReadInteger(IDS_FILTER_INDEX, 1);
    settings->FadeInStyle = store.ReadInteger(IDS_FADE_IN_STYLE, 0);
    settings->FadeOutStyle = store.ReadInteger(IDS_FADE_OUT_STYLE, 1);
    settings->StepSize = store.ReadInteger(IDS_STEP_SIZE, 10);
    settings->DisplayTime = store.ReadInteger(IDS_DISPLAY_TIME, 1);
    settings->CenterPicture = store.ReadInteger(IDS_CENTER_PICTURE, 0);
    settings->RestrictSize = store.ReadInteger(IDS_RESTRICT_SIZE, 0);
    settings->MaxWidth = store.ReadInteger(IDS_MAX_WIDTH, 640);
    settings->MaxHeight = store.ReadInteger(IDS_MAX_HEIGHT, 480);
    store.ReadTextById(IDS_FILE_DIRECTORY, settings->FileDirectory, kFileDirectorySize, settings->FileDirectory);
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
    store.WriteInteger(IDS_DISPLAY_DURATION, settings->DisplayDuration);
    store.WriteInteger(IDS_IMAGE_SIZE, settings->ImageSize);
    store.WriteInteger(IDS_REFRESH_SPEED, settings->RefreshSpeed);
    store.WriteInteger(IDS_CLEAR_SCREEN, settings->ClearScreen);
    store.WriteInteger(IDS_REMOVE_BITMAPS, settings->RemoveBitmaps);
    store.WriteInteger(IDS_FILTER_INDEX, settings->FilterIndex);
    store.WriteInteger(IDS_FADE_IN_STYLE, settings->FadeInStyle);
    store.WriteInteger(IDS_FADE_OUT_STYLE, settings->FadeOutStyle);
    store.WriteInteger(IDS_STEP_SIZE, settings->StepSize);
    store.WriteInteger(IDS_DISPLAY_TIME, settings->DisplayTime);
    store.WriteInteger(IDS_CENTER_PICTURE, settings->CenterPicture);
    store.WriteInteger(IDS_RESTRICT_SIZE, settings->RestrictSize);
    store.WriteInteger(IDS_MAX_WIDTH, settings->MaxWidth);
    store.WriteInteger(IDS_MAX_HEIGHT, settings->MaxHeight);
    store.WriteTextById(IDS_FILE_DIRECTORY,
                        std::string(settings->FileDirectory,
                                    SlotTextLength(settings->FileDirectory, kFileDirectorySize))
                            .c_str());

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
