// The settings store in the registry under HKEY_CURRENT_USER. The key is open
// only inside one LoadSettings or SaveSettings call; value names come from the
// program's string table.
#include "settings/settings.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "module/module.h"
#include "resources/resource.h"
#include "settings/settings_rules.h"
#include "settings/settings_store.h"

namespace {

constexpr DWORD kNameSize = 64;

class RegistryBackend : public SettingsBackend {
public:
    bool Open() override {
        char subkey[kNameSize], displayName[kNameSize], keyClass[kNameSize];
        if (!LoadName(IDS_KEY_PREFIX, subkey) || !LoadName(IDS_DISPLAY_NAME, displayName) ||
            !LoadName(IDS_KEY_CLASS, keyClass))
            return false;
        // The composed subkey is held in the prefix's 64 bytes.
        if (std::strlen(subkey) + std::strlen(displayName) >= kNameSize) return false;
        std::strcat(subkey, displayName);
        DWORD disposition = 0;
        return RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                               nullptr, &key_, &disposition) == ERROR_SUCCESS;
    }

    void Close() override {
        RegFlushKey(key_);
        RegCloseKey(key_);
        key_ = nullptr;
    }

    // One read decides: a missing value takes the default, one too big for the
    // buffer reports its size, and the pure rules judge type and bytes.
    std::int32_t ReadInteger(int nameId, std::int32_t defaultValue) override {
        char name[kNameSize];
        if (!LoadName(nameId, name)) return 0;
        BYTE bytes[kIntegerTextBytes];
        DWORD type = 0, size = sizeof(bytes);
        const LONG status = RegQueryValueExA(key_, name, nullptr, &type, bytes, &size);
        if (status == ERROR_MORE_DATA) return StoredInteger(type, nullptr, size, defaultValue);
        if (status != ERROR_SUCCESS) return defaultValue;
        return StoredInteger(type, bytes, size, defaultValue);
    }

    void ReadText(const char *name, char *destination, std::size_t size, const char *defaultText) override {
        std::vector<BYTE> bytes(size);
        DWORD stored = static_cast<DWORD>(size);
        const LONG status = RegQueryValueExA(key_, name, nullptr, nullptr, bytes.data(), &stored);
        if (status == ERROR_MORE_DATA) return; // too long: the destination keeps what it held
        if (status != ERROR_SUCCESS) {
            if (defaultText != destination) StorePathInSlot(defaultText, destination, size);
            return;
        }
        StoredText(bytes.data(), stored, destination, size);
    }

    void ReadTextById(int nameId, char *destination, std::size_t size, const char *defaultText) override {
        char name[kNameSize];
        if (LoadName(nameId, name)) ReadText(name, destination, size, defaultText);
    }

    void WriteInteger(int nameId, std::int32_t value) override {
        char name[kNameSize];
        if (!LoadName(nameId, name)) return;
        DWORD data = static_cast<DWORD>(value);
        RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof(data));
    }

    void WriteText(const char *name, const char *text) override {
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                       static_cast<DWORD>(std::strlen(text) + 1));
    }

    void WriteTextById(int nameId, const char *text) override {
        char name[kNameSize];
        if (LoadName(nameId, name)) WriteText(name, text);
    }

    void DeleteValue(const char *name) override { RegDeleteValueA(key_, name); }

    std::vector<std::string> ValueNames() override {
        std::vector<std::string> names;
        char name[kNameSize];
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = kNameSize;
            LONG status = RegEnumValueA(key_, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_MORE_DATA) continue; // a name too long to be ours
            if (status != ERROR_SUCCESS) break;
            names.emplace_back(name);
        }
        return names;
    }

private:
    static bool LoadName(int id, char (&name)[kNameSize]) {
        return LoadStringA(ModuleInstance(), static_cast<UINT>(id), name, kNameSize) > 0;
    }

    HKEY key_ = nullptr;
};

} // namespace

void LoadSettings(Settings *settings) {
    RegistryBackend store;
    LoadSettingsFrom(store, settings);
}

void SaveSettings(const Settings *settings) {
    RegistryBackend store;
    SaveSettingsTo(store, settings);
}
