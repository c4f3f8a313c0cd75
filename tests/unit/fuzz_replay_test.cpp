// Every input kept for a fuzz target (its seeds and what a fuzzer once found trouble with) through the target,
// natively under the sanitizers and under Wine; and the settings rules at limits no fuzz input reaches.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "settings/settings.h"
#include "settings/settings_rules.h"
#include "tests/fuzz/fuzz_targets.h"
#include "tests/support/test_files.h"

TEST(FuzzRegressions, EveryKeptInputRunsCleanThroughItsParser) {
    int replayed = 0;
    for (const FuzzTarget &target : kFuzzTargets)
        for (const char *folder : {"fuzz/seeds/", "fuzz/regressions/"})
            for (const std::string &path : FilesIn(folder + std::string(target.name))) {
                SCOPED_TRACE(path);
                const std::vector<std::uint8_t> bytes = ReadBytes(path);
                target.run(bytes.data(), bytes.size());
                ++replayed;
            }
    EXPECT_GE(replayed, 30);
}

// A value record holds at most 255 bytes; a slot 256.
TEST(SettingsRules, StoredValuesAndPathsAtTheirLimits) {
    const std::string ones(64, '1'), dword("\x01\x02\x03\x04\x05", 5), full(kSlotSize, 'p');
    auto bytes = [](const std::string &text) { return reinterpret_cast<const std::uint8_t *>(text.data()); };
    EXPECT_EQ(StoredInteger(1, bytes(ones), 64, 7), INT_MAX) << "64 bytes of text without a NUL are read";
    EXPECT_EQ(StoredInteger(1, nullptr, 65, 7), 7);
    EXPECT_EQ(StoredInteger(kRegDword, bytes(dword), 2, 7), 0x0201) << "a short REG_DWORD lacks its high bytes";
    EXPECT_EQ(StoredInteger(kRegDword, bytes(dword), 5, 7), 7);
    char slot[kSlotSize] = "kept";
    EXPECT_FALSE(StoredText(bytes(full), kSlotSize + 1, slot, kSlotSize));
    EXPECT_STREQ(slot, "kept");
    EXPECT_TRUE(StoredText(bytes(full), kSlotSize, slot, kSlotSize) && slot == full.substr(1))
        << "no NUL: room made";
    EXPECT_TRUE(StorePathInSlot("C:\\a.jpg", slot, kSlotSize) && slot == std::string("C:\\a.jpg"));
    EXPECT_FALSE(StorePathInSlot(full.c_str(), slot, kSlotSize));
    EXPECT_STREQ(slot, "") << "a path too long leaves the slot empty";
    std::memset(slot, 'c', sizeof slot);
    EXPECT_EQ(SlotTextLength(slot, kSlotSize), 255u);
    for (std::int32_t count : {0, -1, INT_MIN, kMaxImageCount + 1, INT_MAX}) EXPECT_EQ(SlotArrayBytes(count), 0u);
    EXPECT_NE(SlotArrayBytes(kMaxImageCount), 0u) << "the longest list is kept";
}
