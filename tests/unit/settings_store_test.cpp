// The load and save algorithms over a recording in-memory store: the order of
// the writes, and a save that never loses the list it replaces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings/settings_store.h"

namespace {

const std::map<int, std::string> kNames = {
    {IDS_IMAGE_COUNT, "ImageCount"},       {IDS_FILE_DIRECTORY, "FileDirectory"},
    {IDS_DISPLAY_DURATION, "DisplayDuration"}, {IDS_IMAGE_SIZE, "ImageSize"},
    {IDS_REFRESH_SPEED, "RefreshSpeed"},   {IDS_CLEAR_SCREEN, "ClearScreen"},
    {IDS_REMOVE_BITMAPS, "RemoveBitmaps"}, {IDS_FILTER_INDEX, "FilterIndex"},
    {IDS_FADE_IN_STYLE, "FadeInStyle"},    {IDS_FADE_OUT_STYLE, "FadeOutStyle"},
    {IDS_STEP_SIZE, "StepSize"},           {IDS_DISPLAY_TIME, "DisplayTime"},
    {IDS_CENTER_PICTURE, "CenterPicture"}, {IDS_RESTRICT_SIZE, "RestrictSize"},
    {IDS_MAX_WIDTH, "MaxWidth"},           {IDS_MAX_HEIGHT, "MaxHeight"},
};

// Values in memory, every change logged as "set NAME" or "delete NAME".
class RecordingStore : public SettingsBackend {
public:
    std::map<std::string, std::string> text;
    std::map<std::string, std::int32_t> integers;
    std::vector<std::string> log;
    bool opens = true;
    int openCount = 0, closeCount = 0;

    bool Open() override { return ++openCount, opens; }
    void Close() override { ++closeCount; }
    std::int32_t ReadInteger(int id, std::int32_t defaultValue) override {
        auto found = integers.find(kNames.at(id));
        return found == integers.end() ? defaultValue : found->second;
    }
    void ReadText(const char *name, char *destination, std::size_t size, const char *defaultText) override {
        auto found = text.find(name);
        const std::string value = found == text.end() ? defaultText : found->second;
        if (value.size() < size) std::memmove(destination, value.c_str(), value.size() + 1);
    }
    void ReadTextById(int id, char *destination, std::size_t size, const char *defaultText) override {
        ReadText(kNames.at(id).c_str(), destination, size, defaultText);
    }
    void WriteInteger(int id, std::int32_t value) override {
        integers[kNames.at(id)] = value;
        log.push_back("set " + kNames.at(id));
    }
    void WriteText(const char *name, const char *value) override {
        text[name] = value;
        log.push_back(std::string("set ") + name);
    }
    void WriteTextById(int id, const char *value) override { WriteText(kNames.at(id).c_str(), value); }
    void DeleteValue(const char *name) override {
        text.erase(name);
        log.push_back(std::string("delete ") + name);
    }
    std::vector<std::string> ValueNames() override {
        std::vector<std::string> names;
        for (auto &entry : integers) names.push_back(entry.first);
        for (auto &entry : text) names.push_back(entry.first);
        return names;
    }
};

Settings WithImages(std::int32_t count) {
    Settings settings = {};
    settings.ImageCount = count;
    settings.Images = static_cast<PictureSlot *>(std::calloc(count, sizeof(PictureSlot)));
    for (std::int32_t i = 0; i < count; ++i) std::snprintf(settings.Images[i].path, kSlotSize, "P%d", i);
    return settings;
}

} // namespace

TEST(SettingsStoreAlgorithm, SaveWritesTheValuesInTheirOrderAndTheListBeforeRemovingStaleNames) {
    RecordingStore store;
    store.integers["ImageCount"] = 4;
    for (const char *name : {"Image00000", "Image00001", "Image00002", "Image00003"}) store.text[name] = "old";
    Settings settings = WithImages(2);
    SaveSettingsTo(store, &settings);
    ReleaseImages(&settings);

    const std::vector<std::string> expected = {
        "set DisplayDuration", "set ImageSize",     "set RefreshSpeed",  "set ClearScreen",
        "set RemoveBitmaps",   "set FilterIndex",   "set FadeInStyle",   "set FadeOutStyle",
        "set StepSize",        "set DisplayTime",   "set CenterPicture", "set RestrictSize",
        "set MaxWidth",        "set MaxHeight",     "set FileDirectory", "set ImageCount",
        "set Image00000",      "set Image00001",    "delete Image00002", "delete Image00003"};
    EXPECT_EQ(store.log, expected);
    EXPECT_EQ(store.integers["ImageCount"], 2);
    EXPECT_EQ(store.text["Image00001"], "P1");
    EXPECT_EQ(store.openCount, 1);
    EXPECT_EQ(store.closeCount, 1);
}

TEST(SettingsStoreAlgorithm, AnUnopenableStoreLeavesTheRecordAndWritesNothing) {
    RecordingStore store;
    store.opens = false;
    Settings settings = {};
    settings.DisplayDuration = 77;
    LoadSettingsFrom(store, &settings);
    EXPECT_EQ(settings.DisplayDuration, 77);
    SaveSettingsTo(store, &settings);
    EXPECT_TRUE(store.log.empty());
    EXPECT_EQ(store.closeCount, 0);
}

TEST(SettingsStoreAlgorithm, ADamagedOldCountRemovesOnlyTheNamesThatExist) {
    RecordingStore store;
    store.integers["ImageCount"] = 2000000000;
    store.text["Image00005"] = "old";
    store.text["Image00000x"] = "not ours";
    Settings settings = WithImages(1);
    SaveSettingsTo(store, &settings);
    ReleaseImages(&settings);
    EXPECT_EQ(store.log.back(), "delete Image00005");
    EXPECT_EQ(store.text.count("Image00000x"), 1u);
}

TEST(SettingsStoreAlgorithm, ANegativeCountIsSavedAsAnEmptyList) {
    RecordingStore store;
    Settings settings = {};
    settings.ImageCount = -4;
    SaveSettingsTo(store, &settings);
    EXPECT_EQ(store.integers["ImageCount"], 0);
}

TEST(SettingsStoreAlgorithm, LoadReadsAGappedListIntoEmptySlots) {
    RecordingStore store;
    store.integers["ImageCount"] = 3;
    store.text["Image00000"] = "C:\\a.jpg";
    store.text["Image00002"] = "C:\\c.gif";
    Settings settings = {};
    LoadSettingsFrom(store, &settings);
    ASSERT_EQ(settings.ImageCount, 3);
    EXPECT_STREQ(settings.Images[0].path, "C:\\a.jpg");
    EXPECT_STREQ(settings.Images[1].path, "");
    EXPECT_STREQ(settings.Images[2].path, "C:\\c.gif");
    EXPECT_EQ(settings.RemoveBitmaps, 1);
    ReleaseImages(&settings);
}
