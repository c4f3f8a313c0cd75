// The settings record's registry store under HKEY_CURRENT_USER. The key is
// open only inside one LoadSettings or SaveSettings call; value names come
// from the string table.
#include "settings/settings.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"
#include "resources/resource.h"
#include "settings/settings_rules.h"

namespace {
constexpr DWORD kNameSize = 64;
constexpr DWORD kIntegerTextSize = 64;
} // namespace

static HKEY settingsKey = nullptr;

static bool LoadValueName(UINT id, char (&name)[kNameSize]) {
    return LoadStringA(ModuleInstance(), id, name, kNameSize) > 0;
}

static bool OpenKey() {
    char subkey[kNameSize], displayName[kNameSize], keyClass[kNameSize];
    if (!LoadValueName(IDS_KEY_PREFIX, subkey) || !LoadValueName(IDS_DISPLAY_NAME, displayName) ||
        !LoadValueName(IDS_KEY_CLASS, keyClass))
        return false;
    if (std::strlen(subkey) + std::strlen(displayName) >= kNameSize) return false;
    std::strcat(subkey, displayName);
    DWORD disposition = 0;
    return RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, keyClass, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, &settingsKey, &disposition) == ERROR_SUCCESS;
}

static void CloseKey() {
    RegFlushKey(settingsKey);
    RegCloseKey(settingsKey);
    settingsKey = nullptr;
}

static std::int32_t ReadInteger(UINT id, std::int32_t defaultValue) {
    char name[kNameSize];
    if (!LoadValueName(id, name)) return 0;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(settingsKey, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return defaultValue;
    if (type == REG_DWORD) {
        DWORD value = 0;
        size = sizeof(value);
        if (RegQueryValueExA(settingsKey, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&value),
                             &size) != ERROR_SUCCESS)
            return defaultValue;
        return static_cast<std::int32_t>(value);
    }
    // A number kept as text; one too long for the buffer counts as unreadable.
    char text[kIntegerTextSize + 1] = {};
    size = kIntegerTextSize;
    if (RegQueryValueExA(settingsKey, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size) !=
        ERROR_SUCCESS)
        return defaultValue;
    return ParseIntegerText(text);
}

static void ReadText(const char *name, char *destination, DWORD size, const char *defaultText) {
    DWORD type = 0, stored = 0;
    if (RegQueryValueExA(settingsKey, name, nullptr, &type, nullptr, &stored) != ERROR_SUCCESS) {
        if (defaultText != destination) StorePathInSlot(defaultText, destination, size);
        return;
    }
    if (stored > size) return; // too long: the destination keeps what it held
    std::vector<char> value(size + 1, '\0');
    DWORD read = size;
    if (RegQueryValueExA(settingsKey, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value.data()),
                         &read) != ERROR_SUCCESS)
        return;
    // A value stored without its NUL must still end inside the destination.
    value[read < size ? read : size - 1] = '\0';
    std::memcpy(destination, value.data(), size);
}

static void ReadTextById(UINT id, char *destination, DWORD size, const char *defaultText) {
    char name[kNameSize];
    if (!LoadValueName(id, name)) return;
    ReadText(name, destination, size, defaultText);
}

static void WriteInteger(UINT id, std::int32_t value) {
    char name[kNameSize];
    if (!LoadValueName(id, name)) return;
    DWORD data = static_cast<DWORD>(value);
    RegSetValueExA(settingsKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof(data));
}

static void WriteText(const char *name, const char *text, std::size_t capacity) {
    // The stored text never reaches past the field or slot it comes from.
    std::string bounded(text, SlotTextLength(text, capacity));
    RegSetValueExA(settingsKey, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(bounded.c_str()),
                   static_cast<DWORD>(bounded.size() + 1));
}

static void WriteTextById(UINT id, const char *text, std::size_t capacity) {
    char name[kNameSize];
    if (!LoadValueName(id, name)) return;
    WriteText(name, text, capacity);
}

static void DeleteValue(const char *name) { RegDeleteValueA(settingsKey, name); }

void ReleaseImages(Settings *settings) {
    std::free(settings->Images);
    settings->Images = nullptr;
    settings->ImageCount = 0;
}

static void LoadImages(Settings *settings) {
    const std::int32_t count = ReadInteger(IDS_IMAGE_COUNT, 0);
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
        ReadText(name, settings->Images[i].path, kSlotSize, settings->Images[i].path);
    }
}

void LoadSettings(Settings *settings) {
    if (!OpenKey()) return;
    settings->DisplayDuration = ReadInteger(IDS_DISPLAY_DURATION, 5);
    settings->ImageSize = ReadInteger(IDS_IMAGE_SIZE, 100);
    settings->RefreshSpeed = ReadInteger(IDS_REFRESH_SPEED, 25);
    settings->ClearScreen = ReadInteger(IDS_CLEAR_SCREEN, 0);
    settings->RemoveBitmaps = ReadInteger(IDS_REMOVE_BITMAPS, 1);
    settings->FilterIndex = ReadInteger(IDS_FILTER_INDEX, 1);
    settings->FadeInStyle = ReadInteger(IDS_FADE_IN_STYLE, 0);
    settings->FadeOutStyle = ReadInteger(IDS_FADE_OUT_STYLE, 1);
    settings->StepSize = ReadInteger(IDS_STEP_SIZE, 10);
    settings->DisplayTime = ReadInteger(IDS_DISPLAY_TIME, 1);
    settings->CenterPicture = ReadInteger(IDS_CENTER_PICTURE, 0);
    settings->RestrictSize = ReadInteger(IDS_RESTRICT_SIZE, 0);
    settings->MaxWidth = ReadInteger(IDS_MAX_WIDTH, 640);
    settings->MaxHeight = ReadInteger(IDS_MAX_HEIGHT, 480);
    ReadTextById(IDS_FILE_DIRECTORY, settings->FileDirectory, kFileDirectorySize, settings->FileDirectory);
    LoadImages(settings);
    CloseKey();
}

// Deletes the picture values from the new count up to the old one. The names
// are collected from the key itself, so a damaged old count costs nothing.
static void DeleteStaleImages(std::int32_t newCount, std::int32_t oldCount) {
    if (oldCount <= newCount) return;
    std::vector<std::string> stale;
    char name[kNameSize];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = kNameSize;
        LONG status = RegEnumValueA(settingsKey, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) continue; // a name too long to be ours
        std::int32_t index = 0;
        if (ParseImageValueName(name, &index) && index >= newCount && index < oldCount)
            stale.emplace_back(name);
    }
    for (const std::string &value : stale) DeleteValue(value.c_str());
}

void SaveSettings(const Settings *settings) {
    if (!OpenKey()) return;
    WriteInteger(IDS_DISPLAY_DURATION, settings->DisplayDuration);
    WriteInteger(IDS_IMAGE_SIZE, settings->ImageSize);
    WriteInteger(IDS_REFRESH_SPEED, settings->RefreshSpeed);
    WriteInteger(IDS_CLEAR_SCREEN, settings->ClearScreen);
    WriteInteger(IDS_REMOVE_BITMAPS, settings->RemoveBitmaps);
    WriteInteger(IDS_FILTER_INDEX, settings->FilterIndex);
    WriteInteger(IDS_FADE_IN_STYLE, settings->FadeInStyle);
    WriteInteger(IDS_FADE_OUT_STYLE, settings->FadeOutStyle);
    WriteInteger(IDS_STEP_SIZE, settings->StepSize);
    WriteInteger(IDS_DISPLAY_TIME, settings->DisplayTime);
    WriteInteger(IDS_CENTER_PICTURE, settings->CenterPicture);
    WriteInteger(IDS_RESTRICT_SIZE, settings->RestrictSize);
    WriteInteger(IDS_MAX_WIDTH, settings->MaxWidth);
    WriteInteger(IDS_MAX_HEIGHT, settings->MaxHeight);
    WriteTextById(IDS_FILE_DIRECTORY, settings->FileDirectory, kFileDirectorySize);

    // New list first, stale names last: an interrupted save never loses the list.
    const std::int32_t oldCount = ReadInteger(IDS_IMAGE_COUNT, 0);
    const std::int32_t newCount = settings->Images && settings->ImageCount > 0 ? settings->ImageCount : 0;
    WriteInteger(IDS_IMAGE_COUNT, newCount);
    for (std::int32_t i = 0; i < newCount; ++i) {
        char name[kImageValueNameSize];
        FormatImageValueName(i, name);
        WriteText(name, settings->Images[i].path, kSlotSize);
    }
    DeleteStaleImages(newCount, oldCount);
    CloseKey();
}
