// The settings store in the registry (HKEY_CURRENT_USER redirected to a scratch key): values of any type
// that other tools or a hand wrote, then a save writing each with its own type and no stale picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <tuple>

#include "tests/support/e2e.h"
#include "tests/support/scratch_hive.h"
#include "tests/support/stored_settings.h"

TEST(SettingsStore, ValuesOfAnyTypeLoadAndASaveWritesEachWithItsType) {
    ScratchHive hive("SettingsStore");
    ASSERT_TRUE(hive.Ready());
    auto put = [&](const char *name, DWORD type, const std::string &bytes) {
        RegSetKeyValueA(hive.Key(), e2e::kSettingsKey, name, type, bytes.data(), DWORD(bytes.size()));
    };
    // A number of another type is read as text, a REG_DWORD of another length as its bytes; one too long to
    // read takes its default (INT32_MIN here), as a missing one (the last) does.
    const std::tuple<DWORD, std::string, std::int32_t> kinds[] = {{REG_SZ, std::string("30\0", 3), 30},
                                                                  {REG_BINARY, " -20", -20},
                                                                  {REG_DWORD, "\x20\x03", 800},
                                                                  {REG_SZ, std::string(100, '7'), INT32_MIN}};
    for (std::size_t i = 0; i + 1 < std::size(kStoredFields); ++i)
        put(kStoredFields[i].name, std::get<0>(kinds[i % 4]), std::get<1>(kinds[i % 4]));
    put("ImageCount", REG_SZ, "3");
    put("Image00000", REG_EXPAND_SZ, std::string("%TEMP%/a.jpg \0", 14)); // shown as stored, of any type
    put("Image00001", REG_SZ, std::string(255, 'y')); // the system counts the NUL behind it: it fits its slot
    put("Image00002", REG_SZ, std::string(256, 'z')); // one more: too long for it
    put("FileDirectory", REG_SZ, std::string(300, 'd'));
    Settings settings = {};
    std::strcpy(settings.FileDirectory, "C:\\before");
    LoadSettings(&settings);
    for (std::size_t i = 0; i < std::size(kStoredFields); ++i) {
        const std::int32_t stored = i + 1 < std::size(kStoredFields) ? std::get<2>(kinds[i % 4]) : INT32_MIN;
        EXPECT_EQ(settings.*kStoredFields[i].field, stored == INT32_MIN ? kStoredFields[i].defaultValue : stored)
            << kStoredFields[i].name;
    }
    EXPECT_STREQ(settings.FileDirectory, "C:\\before") << "too long to read: the field keeps what it held";
    ASSERT_EQ(settings.ImageCount, 3);
    const std::string paths[] = {"%TEMP%/a.jpg ", std::string(255, 'y'), ""};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(settings.Images[i].path, paths[i]) << i;

    hive.SetString("Image00009", "C:\\not in the list.jpg");
    settings.ImageCount = 1;
    SaveSettings(&settings);
    ReleaseImages(&settings);
    for (const StoredField &f : kStoredFields)
        EXPECT_EQ(e2e::ReadDword(e2e::kSettingsKey, f.name), DWORD(settings.*f.field))
            << f.name << " as a REG_DWORD";
    EXPECT_EQ(e2e::ReadDword(e2e::kSettingsKey, "ImageCount"), 1u);
    EXPECT_EQ(e2e::ReadString(e2e::kSettingsKey, "Image00000"), "%TEMP%/a.jpg ") << "as a REG_SZ";
    EXPECT_EQ(e2e::ReadString(e2e::kSettingsKey, "FileDirectory"), "C:\\before");
    for (const char *gone : {"Image00001", "Image00002"})
        EXPECT_FALSE(e2e::ReadString(e2e::kSettingsKey, gone)) << gone;
    EXPECT_TRUE(e2e::ReadString(e2e::kSettingsKey, "Image00009")) << "only the old list's pictures are removed";
}
