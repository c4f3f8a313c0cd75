// HKEY_CURRENT_USER redirected to a scratch key for the life of the object,
// so tests that host the saver in process never touch the user's settings.
#pragma once

#include <windows.h>

#include <string>

class ScratchHive {
public:
    explicit ScratchHive(const std::string &name);
    ~ScratchHive();
    ScratchHive(const ScratchHive &) = delete;
    ScratchHive &operator=(const ScratchHive &) = delete;

    bool Ready() const { return key_ != nullptr; }
    // The scratch key that stands in for HKEY_CURRENT_USER.
    HKEY Key() const { return key_; }
    // Writes a value of the saver's settings key inside the scratch hive.
    void SetDword(const char *name, DWORD value);
    void SetString(const char *name, const std::string &value);

private:
    std::string path_;
    HKEY key_ = nullptr;
};
