// The settings store against the real registry API, with HKEY_CURRENT_USER
// redirected to a scratch key so the user's own settings stay untouched.
#include <gtest/gtest.h>

#include <memory>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/support/scratch_hive.h"

namespace {

constexpr char kSubkey[] = "Control Panel\\Screen Saver.Quillomir";

class SettingsStore : public testing::Test {
protected:
    void SetUp() override {
        hive_ = std::make_unique<ScratchHive>(testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(hive_->Ready());
        scratch_ = hive_->Key();
    }
    void TearDown() override {
        ReleaseImages(&settings_);
        hive_.reset();
    }

    HKEY OpenSettingsKey() {
        HKEY key = nullptr;
        RegOpenKeyExA(scratch_, kSubkey, 0, KEY_ALL_ACCESS, &key);
        return key;
    }
    void PutDword(const char *name, DWORD value) {
        RegSetKeyValueA(scratch_, kSubkey, name, REG_DWORD, &value, sizeof(value));
    }
    void PutString(const char *name, const std::string &value) {
        RegSetKeyValueA(scratch_, kSubkey, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    }
    void PutBytes(const char *name, DWORD type, const void *data, DWORD size) {
        RegSetKeyValueA(scratch_, kSubkey, name, type, data, size);
    }
    bool HasValue(const char *name) {
        return RegGetValueA(scratch_, kSubkey, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    DWORD TypeOf(const char *name) {
        DWORD type = REG_NONE;
        RegGetValueA(scratch_, kSubkey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr);
        return type;
    }
    std::string StringOf(const char *name) {
        char value[1024] = "";
        DWORD size = sizeof(value);
        RegGetValueA(scratch_, kSubkey, name, RRF_RT_REG_SZ, nullptr, value, &size);
        return value;
    }
    void GiveImages(std::int32_t count) {
        ReleaseImages(&settings_);
        settings_.ImageCount = count;
        settings_.Images = static_cast<PictureSlot *>(calloc(count, sizeof(PictureSlot)));
        for (std::int32_t i = 0; i < count; ++i)
            snprintf(settings_.Images[i].path, kSlotSize, "C:\\pictures\\%d.jpg", i);
    }
    Settings Reloaded() {
        Settings loaded = {};
        LoadSettings(&loaded);
        return loaded;
    }

    std::unique_ptr<ScratchHive> hive_;
    HKEY scratch_ = nullptr;
    Settings settings_ = {};
};

} // namespace

TEST_F(SettingsStore, MissingKeyIsCreatedAndEveryFieldTakesItsDefault) {
    std::strcpy(settings_.FileDirectory, "C:\\kept");
    LoadSettings(&settings_);
    EXPECT_EQ(settings_.DisplayDuration, 5);
    EXPECT_EQ(settings_.ImageSize, 100);
    EXPECT_EQ(settings_.RefreshSpeed, 25);
    EXPECT_EQ(settings_.ClearScreen, 0);
    EXPECT_EQ(settings_.RemoveBitmaps, 1);
    EXPECT_EQ(settings_.FilterIndex, 1);
    EXPECT_EQ(settings_.FadeInStyle, 0);
    EXPECT_EQ(settings_.FadeOutStyle, 1);
    EXPECT_EQ(settings_.StepSize, 10);
    EXPECT_EQ(settings_.DisplayTime, 1);
    EXPECT_EQ(settings_.CenterPicture, 0);
    EXPECT_EQ(settings_.RestrictSize, 0);
    EXPECT_EQ(settings_.MaxWidth, 640);
    EXPECT_EQ(settings_.MaxHeight, 480);
    EXPECT_EQ(settings_.ImageCount, 0);
    EXPECT_EQ(settings_.Images, nullptr);
    EXPECT_STREQ(settings_.FileDirectory, "C:\\kept");

    HKEY key = OpenSettingsKey();
    ASSERT_NE(key, nullptr) << "the key is created on first load";
    char keyClass[64] = "";
    DWORD classSize = sizeof(keyClass), values = 99;
    RegQueryInfoKeyA(key, keyClass, &classSize, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_STREQ(keyClass, "Directory");
    EXPECT_EQ(values, 0u) << "loading writes nothing";
}

TEST_F(SettingsStore, SaveWritesEveryValueWithItsTypeAndLoadsItBack) {
    LoadSettings(&settings_);
    settings_.DisplayDuration = 12;
    settings_.ImageSize = 75;
    settings_.RefreshSpeed = 40;
    settings_.ClearScreen = 1;
    settings_.RemoveBitmaps = 0;
    settings_.FilterIndex = 3;
    settings_.FadeInStyle = 7;
    settings_.FadeOutStyle = 8;
    settings_.StepSize = 4;
    settings_.DisplayTime = 0;
    settings_.CenterPicture = 1;
    settings_.RestrictSize = 1;
    settings_.MaxWidth = 800;
    settings_.MaxHeight = -600;
    std::strcpy(settings_.FileDirectory, "D:\\photos");
    GiveImages(2);
    SaveSettings(&settings_);

    for (const char *name : {"DisplayDuration", "ImageSize", "RefreshSpeed", "ClearScreen", "RemoveBitmaps",
                             "FilterIndex", "FadeInStyle", "FadeOutStyle", "StepSize", "DisplayTime",
                             "CenterPicture", "RestrictSize", "MaxWidth", "MaxHeight", "ImageCount"})
        EXPECT_EQ(TypeOf(name), static_cast<DWORD>(REG_DWORD)) << name;
    for (const char *name : {"FileDirectory", "Image00000", "Image00001"})
        EXPECT_EQ(TypeOf(name), static_cast<DWORD>(REG_SZ)) << name;
    EXPECT_EQ(StringOf("Image00001"), "C:\\pictures\\1.jpg");
    EXPECT_FALSE(HasValue("Image00002"));

    Settings loaded = Reloaded();
    EXPECT_EQ(loaded.DisplayDuration, 12);
    EXPECT_EQ(loaded.ImageSize, 75);
    EXPECT_EQ(loaded.RefreshSpeed, 40);
    EXPECT_EQ(loaded.ClearScreen, 1);
    EXPECT_EQ(loaded.RemoveBitmaps, 0);
    EXPECT_EQ(loaded.FilterIndex, 3);
    EXPECT_EQ(loaded.FadeInStyle, 7);
    EXPECT_EQ(loaded.FadeOutStyle, 8);
    EXPECT_EQ(loaded.StepSize, 4);
    EXPECT_EQ(loaded.DisplayTime, 0);
    EXPECT_EQ(loaded.CenterPicture, 1);
    EXPECT_EQ(loaded.RestrictSize, 1);
    EXPECT_EQ(loaded.MaxWidth, 800);
    EXPECT_EQ(loaded.MaxHeight, -600);
    EXPECT_STREQ(loaded.FileDirectory, "D:\\photos");
    ASSERT_EQ(loaded.ImageCount, 2);
    EXPECT_STREQ(loaded.Images[0].path, "C:\\pictures\\0.jpg");
    EXPECT_STREQ(loaded.Images[1].path, "C:\\pictures\\1.jpg");
    ReleaseImages(&loaded);
}

TEST_F(SettingsStore, MissingPictureValueGivesAnEmptySlotThatStaysInTheList) {
    PutDword("ImageCount", 3);
    PutString("Image00000", "C:\\a.jpg");
    PutString("Image00002", "C:\\c.gif");
    LoadSettings(&settings_);
    ASSERT_EQ(settings_.ImageCount, 3);
    EXPECT_STREQ(settings_.Images[0].path, "C:\\a.jpg");
    EXPECT_STREQ(settings_.Images[1].path, "");
    EXPECT_STREQ(settings_.Images[2].path, "C:\\c.gif");
}

TEST_F(SettingsStore, SavingAShorterListRemovesTheStalePictureValues) {
    GiveImages(5);
    SaveSettings(&settings_);
    ASSERT_TRUE(HasValue("Image00004"));
    PutString("Image00009", "C:\\beyond the count.jpg"); // not part of the stored list

    GiveImages(2);
    std::strcpy(settings_.Images[1].path, "C:\\new.bmp");
    SaveSettings(&settings_);
    EXPECT_EQ(TypeOf("ImageCount"), static_cast<DWORD>(REG_DWORD));
    Settings loaded = Reloaded();
    EXPECT_EQ(loaded.ImageCount, 2);
    ReleaseImages(&loaded);
    EXPECT_EQ(StringOf("Image00000"), "C:\\pictures\\0.jpg");
    EXPECT_EQ(StringOf("Image00001"), "C:\\new.bmp");
    for (const char *name : {"Image00002", "Image00003", "Image00004"}) EXPECT_FALSE(HasValue(name)) << name;
    EXPECT_TRUE(HasValue("Image00009")) << "only the old list's names are removed";

    GiveImages(0);
    SaveSettings(&settings_);
    EXPECT_FALSE(HasValue("Image00000"));
    EXPECT_FALSE(HasValue("Image00001"));
}

// Values written by other tools, each of a type the store does not write: a
// number of any other type is read as text, a REG_DWORD that is not 4 bytes
// long as its bytes (or the default when longer), a text of any type up to
// its first NUL.
TEST_F(SettingsStore, ValuesOfEveryOtherTypeAreReadByTheStoreRules) {
    struct Stored {
        DWORD type;
        std::string bytes;
        std::int32_t value; // kDefault: the field's default
    };
    constexpr std::int32_t kDefault = INT32_MIN;
    const Stored kinds[] = {
        {REG_SZ, std::string("30\0", 3), 30},
        {REG_SZ, std::string("abc\0", 4), 0},
        {REG_EXPAND_SZ, std::string("  -20 percent\0", 14), -20},
        {REG_MULTI_SZ, std::string("17\0\0", 4), 17},
        {REG_BINARY, std::string("\x1e\0\0\0", 4), 0},
        {REG_QWORD, std::string("\x1e\0\0\0\0\0\0\0", 8), 0},
        {REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x1e", 4), 0},
        {REG_DWORD, std::string("\x20\x03", 2), 800},
        {REG_DWORD, std::string(8, '\x01'), kDefault},
        {REG_NONE, std::string(), 0},
        {REG_SZ, std::string(100, '7'), kDefault}, // too long to be a number
        {REG_SZ, "99999999999", INT32_MAX},        // without its NUL, and saturated
    };
    const struct {
        const char *name;
        std::int32_t Settings::*field;
        std::int32_t defaultValue;
    } fields[] = {{"DisplayDuration", &Settings::DisplayDuration, 5}, {"ImageSize", &Settings::ImageSize, 100},
                  {"RefreshSpeed", &Settings::RefreshSpeed, 25},       {"ClearScreen", &Settings::ClearScreen, 0},
                  {"RemoveBitmaps", &Settings::RemoveBitmaps, 1},      {"FilterIndex", &Settings::FilterIndex, 1},
                  {"FadeInStyle", &Settings::FadeInStyle, 0},          {"FadeOutStyle", &Settings::FadeOutStyle, 1},
                  {"StepSize", &Settings::StepSize, 10},               {"DisplayTime", &Settings::DisplayTime, 1},
                  {"CenterPicture", &Settings::CenterPicture, 0},      {"RestrictSize", &Settings::RestrictSize, 0},
                  {"MaxWidth", &Settings::MaxWidth, 640},              {"MaxHeight", &Settings::MaxHeight, 480}};
    for (int shift : {0, 5}) { // every field meets two kinds, every kind two fields
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            const Stored &kind = kinds[(i + shift) % std::size(kinds)];
            PutBytes(fields[i].name, kind.type, kind.bytes.data(), static_cast<DWORD>(kind.bytes.size()));
        }
        PutBytes("ImageCount", REG_SZ, "3", 1);
        PutBytes("Image00000", REG_EXPAND_SZ, "%TEMP%\\a.jpg", 13);
        PutBytes("Image00001", REG_MULTI_SZ, "C:\\b.gif\0C:\\c.gif\0", 19);
        PutBytes("Image00002", REG_DWORD, "AB\0\0", 4);
        PutBytes("FileDirectory", REG_BINARY, "D:\\x", 4);
        Settings loaded = Reloaded();
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            const Stored &kind = kinds[(i + shift) % std::size(kinds)];
            EXPECT_EQ(loaded.*fields[i].field, kind.value == kDefault ? fields[i].defaultValue : kind.value)
                << fields[i].name << " stored as type " << kind.type;
        }
        ASSERT_EQ(loaded.ImageCount, 3);
        EXPECT_STREQ(loaded.Images[0].path, "%TEMP%\\a.jpg");
        EXPECT_STREQ(loaded.Images[1].path, "C:\\b.gif");
        EXPECT_STREQ(loaded.Images[2].path, "AB");
        EXPECT_STREQ(loaded.FileDirectory, "D:\\x");
        ReleaseImages(&loaded);
    }
}

TEST_F(SettingsStore, OversizedFileDirectoryIsNotReadAndTheFieldKeepsItsContent) {
    std::strcpy(settings_.FileDirectory, "C:\\before");
    PutString("FileDirectory", std::string(300, 'd'));
    LoadSettings(&settings_);
    EXPECT_STREQ(settings_.FileDirectory, "C:\\before");

    PutString("FileDirectory", std::string(255, 'e')); // with its NUL exactly 256 bytes: fits
    Settings loaded = Reloaded();
    EXPECT_EQ(std::string(loaded.FileDirectory), std::string(255, 'e'));
    ReleaseImages(&loaded);
}

TEST_F(SettingsStore, NegativeOrAbsurdImageCountGivesAnEmptyList) {
    for (DWORD count : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 2000000000u}) {
        PutDword("ImageCount", count);
        PutString("Image00000", "C:\\a.jpg");
        Settings loaded = Reloaded();
        EXPECT_EQ(loaded.ImageCount, 0) << count;
        EXPECT_EQ(loaded.Images, nullptr) << count;
        ReleaseImages(&loaded);
    }
    PutString("ImageCount", "-3");
    Settings loaded = Reloaded();
    EXPECT_EQ(loaded.ImageCount, 0);
    ReleaseImages(&loaded);
}

TEST_F(SettingsStore, LongStoredPathsNeverRunPastTheirSlot) {
    PutDword("ImageCount", 4);
    PutString("Image00000", std::string(300, 'x'));    // too long: left empty
    PutString("Image00001", std::string(255, 'y'));    // the longest path that fits
    std::vector<char> noTerminator(256, 'z');          // a value stored without its NUL
    PutBytes("Image00002", REG_SZ, noTerminator.data(), 256);
    PutString("Image00003", "C:\\after.jpg");
    LoadSettings(&settings_);
    ASSERT_EQ(settings_.ImageCount, 4);
    EXPECT_STREQ(settings_.Images[0].path, "");
    EXPECT_EQ(std::string(settings_.Images[1].path), std::string(255, 'y'));
    EXPECT_EQ(settings_.Images[2].path[255], '\0');
    EXPECT_EQ(std::string(settings_.Images[2].path), std::string(255, 'z'));
    EXPECT_STREQ(settings_.Images[3].path, "C:\\after.jpg");

    // A slot with no NUL is saved as its first 255 characters, never more.
    std::memset(settings_.Images[3].path, 'w', kSlotSize);
    SaveSettings(&settings_);
    EXPECT_EQ(StringOf("Image00003"), std::string(255, 'w'));
}
