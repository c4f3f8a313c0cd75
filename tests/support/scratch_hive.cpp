// Scratch per-user hive for in-process tests.
#include "tests/support/scratch_hive.h"

namespace {
constexpr char kSettingsKey[] = "Control Panel\\Screen Saver.Quillomir";
}

ScratchHive::ScratchHive(const std::string &name) : path_("Software\\QuillomirTests\\" + name) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS) {
        key_ = nullptr;
        return;
    }
    RegOverridePredefKey(HKEY_CURRENT_USER, key_);
}

ScratchHive::~ScratchHive() {
    if (!key_) return;
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

void ScratchHive::SetDword(const char *name, DWORD value) {
    RegSetKeyValueA(key_, kSettingsKey, name, REG_DWORD, &value, sizeof(value));
}

void ScratchHive::SetString(const char *name, const std::string &value) {
    RegSetKeyValueA(key_, kSettingsKey, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}
