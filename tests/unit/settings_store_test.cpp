// The load and save algorithms over a recording in-memory store: the order of
// the writes, and a save cut short after any write never losing a list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
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
// With writesLeft set, the process "dies" after that many changes: the rest
// are lost.
class RecordingStore : public SettingsBackend {
public:
    std::map<std::string, std::string> text;
    std::map<std::string, std::int32_t> integers;
    std::vector<std::string> log;
    bool opens = true;
    int openCount = 0, closeCount = 0;
    int writesLeft = -1;

    bool Alive() {
        if (writesLeft == 0) return false;
        if (writesLeft > 0) --writesLeft;
        return true;
    }

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
        if (!Alive()) return;
        integers[kNames.at(id)] = value;
        log.push_back("set " + kNames.at(id));
    }
    void WriteText(const char *name, const char *value) override {
        if (!Alive()) return;
        text[name] = value;
        log.push_back(std::string("set ") + name);
    }
    void WriteTextById(int id, const char *value) override { WriteText(kNames.at(id).c_str(), value); }
    void DeleteValue(const char *name) override {
        if (!Alive()) return;
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
    settings.Images = static_cast<PictureSlot *>(std::calloc(static_cast<std::size_t>(count > 0 ? count : 1), sizeof(PictureSlot)));
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
        "set MaxWidth",        "set MaxHeight",     "set FileDirectory", "set Image00000",
        "set Image00001",      "set ImageCount",    "delete Image00003", "delete Image00002"};
    EXPECT_EQ(store.log, expected);
    EXPECT_EQ(store.integers["ImageCount"], 2);
    EXPECT_EQ(store.text["Image00001"], "P1");
    EXPECT_EQ(store.openCount, 1);
    EXPECT_EQ(store.closeCount, 1);
}

// Old and new lists of other lengths, or an empty one: whatever write the
// save dies after, the list loaded then holds only pictures of the two lists,
// each in its place, and is empty only where one of them was.
TEST(SettingsStoreAlgorithm, ASaveCutShortAfterAnyWriteLeavesOnlyOldAndNewPictures) {
    const struct {
        int oldCount, newCount;
    } cases[] = {{3, 5}, {5, 2}, {4, 0}, {0, 3}, {2, 2}, {0, 0}};
    for (const auto &c : cases) {
        std::vector<std::string> oldList, newList;
        for (int i = 0; i < c.oldCount; ++i) oldList.push_back("old" + std::to_string(i));
        for (int i = 0; i < c.newCount; ++i) newList.push_back("new" + std::to_string(i));
        Settings saved = WithImages(c.newCount);
        for (int i = 0; i < c.newCount; ++i) std::snprintf(saved.Images[i].path, kSlotSize, "new%d", i);
        auto saveCutAfter = [&](int writes) {
            auto store = std::make_unique<RecordingStore>();
            store->integers["ImageCount"] = c.oldCount;
            for (int i = 0; i < c.oldCount; ++i) store->text["Image0000" + std::to_string(i)] = oldList[i];
            store->writesLeft = writes;
            SaveSettingsTo(*store, &saved);
            store->writesLeft = -1;
            return store;
        };
        const int allWrites = static_cast<int>(saveCutAfter(-1)->log.size());
        for (int k = 0; k <= allWrites; ++k) {
            SCOPED_TRACE(std::to_string(c.oldCount) + " -> " + std::to_string(c.newCount) + ", cut after " +
                         std::to_string(k) + " writes");
            auto store = saveCutAfter(k);
            Settings loaded = {};
            LoadSettingsFrom(*store, &loaded);
            std::vector<std::string> list;
            for (int i = 0; i < loaded.ImageCount; ++i) list.push_back(loaded.Images[i].path);
            ReleaseImages(&loaded);

            for (std::size_t i = 0; i < list.size(); ++i)
                EXPECT_TRUE((i < oldList.size() && list[i] == oldList[i]) || (i < newList.size() && list[i] == newList[i]))
                    << "slot " << i << " holds \"" << list[i] << "\"";
            EXPECT_TRUE(list.size() == oldList.size() || list.size() == newList.size());
            if (list.empty()) {
                EXPECT_TRUE(oldList.empty() || newList.empty());
            }
            if (k == allWrites) {
                EXPECT_EQ(list, newList);
            }
        }
        ReleaseImages(&saved);
    }
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
