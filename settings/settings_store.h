// The load and save algorithms of the settings record, over a small seam that
// says where values live: the registry on Windows, a recording fake in tests.
// Pure: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"

// The store's operations. Names given by number come from the program's
// string table; an operation whose name is missing reads and writes nothing.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual std::int32_t ReadInteger(int nameId, std::int32_t defaultValue) = 0;
    // Copies the value into destination when it fits (NUL included), the
    // default when the value is missing; leaves it unchanged otherwise.
    virtual void ReadText(const char *name, char *destination, std::size_t size, const char *defaultText) = 0;
    virtual void ReadTextById(int nameId, char *destination, std::size_t size, const char *defaultText) = 0;
    virtual void WriteInteger(int nameId, std::int32_t value) = 0;
    virtual void WriteText(const char *name, const char *text) = 0;
    virtual void WriteTextById(int nameId, const char *text) = 0;
    virtual void DeleteValue(const char *name) = 0;
    virtual std::vector<std::string> ValueNames() = 0;
};

void LoadSettingsFrom(SettingsBackend &store, Settings *settings);
void SaveSettingsTo(SettingsBackend &store, const Settings *settings);
