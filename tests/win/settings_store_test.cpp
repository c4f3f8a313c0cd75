// The settings store in the registry (HKEY_CURRENT_USER redirected to a scratch key): values of any type
// that other tools or a hand wrote, then a save writing each with its own type and no stale picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <tuple>

#include "tests/support/scratch_hive.h"
#include "tests/support/stored_settings.h"

TEST(SettingsStore, ValuesOfAnyTypeLoadAndASaveWritesEachWithItsType) {
    constexpr DWORD kMissing = 0xFFFFFFFF;
    constexpr std::int32_t kDefault = INT32_MIN;
    ScratchHive hive("SettingsStore");
    ASSERT_TRUE(hive.Ready());
    auto put = [&](const char *name, DWORD type, const std::string &bytes) {
        RegSetKeyValueA(hive.Key(), "Control Panel\\Screen Saver.Quillomir", name, type, bytes.data(),
                        DWORD(bytes.size()));
    };
    auto typeOf = [&](const char *name) {
        DWORD type = kMissing;
        RegGetValueA(hive.Key(), "Control Panel\\Screen Saver.Quillomir", name, RRF_RT_ANY, &type, nullptr,
                     nullptr);
        return type;
    };
    // A number of another type is read as text, a REG_DWORD of another length
    // as its bytes; one too long to read takes its default, as a missing one does.
    const std::tuple<DWORD, std::string, std::int32_t> kinds[] = {
        {REG_SZ, std::string("30\0", 3), 30},
        {REG_EXPAND_SZ, std::string("abc\0", 4), 0},
        {REG_BINARY, " -20", -20},
        {REG_DWORD, "\x20\x03", 800},
        {REG_DWORD, std::string(8, '\1'), kDefault},
        {REG_SZ, std::string(100, '7'), kDefault},
        {REG_SZ, "99999999999", INT32_MAX}};                       // without its NUL, saturated
    for (std::size_t i = 0; i + 1 < std::size(kStoredFields); ++i) // the last is missing
        put(kStoredFields[i].name, std::get<0>(kinds[i % 7]), std::get<1>(kinds[i % 7]));
    put("ImageCount", REG_SZ, "4");
    put("Image00000", REG_EXPAND_SZ, std::string("%TEMP%/a.jpg \0", 14)); // shown as stored, of any type
    put("Image00001", REG_SZ, std::string(300, 'x'));                     // too long for its slot
    put("Image00002", REG_SZ, std::string(255, 'y') + '\0');
    put("Image00003", REG_SZ, std::string(256, 'z')); // without its NUL: the slot keeps 255
    put("FileDirectory", REG_SZ, std::string(300, 'd'));
    Settings settings = {};
    std::strcpy(settings.FileDirectory, "C:\\before");
    LoadSettings(&settings);
    for (std::size_t i = 0; i < std::size(kStoredFields); ++i) {
        const std::int32_t stored = i + 1 < std::size(kStoredFields) ? std::get<2>(kinds[i % 7]) : kDefault;
        EXPECT_EQ(settings.*kStoredFields[i].field, stored == kDefault ? kStoredFields[i].defaultValue : stored)
            << i;
    }
    EXPECT_STREQ(settings.FileDirectory, "C:\\before") << "too long to read: the field keeps what it held";
    ASSERT_EQ(settings.ImageCount, 4);
    const std::string paths[] = {"%TEMP%/a.jpg ", "", std::string(255, 'y'), std::string(255, 'z')};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(settings.Images[i].path, paths[i]) << i;

    hive.SetString("Image00009", "C:\\not in the list.jpg");
    for (const StoredField &f : kStoredFields) settings.*f.field = -f.id * 1000;
    settings.ImageCount = 1;
    SaveSettings(&settings);
    for (const StoredField &f : kStoredFields) EXPECT_EQ(typeOf(f.name), DWORD{REG_DWORD}) << f.name;
    const std::pair<const char *, DWORD> types[] = {{"ImageCount", REG_DWORD}, {"FileDirectory", REG_SZ},
                                                    {"Image00000", REG_SZ},    {"Image00001", kMissing},
                                                    {"Image00003", kMissing},  {"Image00009", REG_SZ}};
    for (auto [name, type] : types) EXPECT_EQ(typeOf(name), type) << name << ": only the old list's pictures go";
    Settings loaded = {};
    LoadSettings(&loaded);
    for (const StoredField &f : kStoredFields) EXPECT_EQ(loaded.*f.field, settings.*f.field) << f.name;
    EXPECT_EQ(loaded.ImageCount, 1);
    ReleaseImages(&loaded);
    ReleaseImages(&settings);
}
