// Settings value rules at their limits. Numbers as text, picture value names, defaults, the order of the
// writes and a save cut short are the settings_values fuzzer's properties, replayed over its seeds.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "settings/settings.h"
#include "settings/settings_rules.h"

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
    EXPECT_TRUE(StoredText(bytes(std::string("a\0b", 3)), 3, slot, kSlotSize));
    EXPECT_STREQ(slot, "a");
    EXPECT_TRUE(StorePathInSlot(full.substr(1).c_str(), slot, kSlotSize)) << "255 characters fit";
    EXPECT_FALSE(StorePathInSlot(full.c_str(), slot, kSlotSize));
    EXPECT_STREQ(slot, "") << "a path too long leaves the slot empty";
    EXPECT_EQ(SlotArrayBytes(3), 768u);
    for (std::int32_t count : {0, -1, INT_MIN, kMaxImageCount + 1, INT_MAX}) EXPECT_EQ(SlotArrayBytes(count), 0u);
}
