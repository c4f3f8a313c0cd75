// Settings value rules: numbers kept as text, picture value names, slot limits.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "settings/settings.h"
#include "settings/settings_rules.h"

TEST(ParseIntegerText, LeadingIntegerLikeAtoi) {
    EXPECT_EQ(ParseIntegerText("30"), 30);
    EXPECT_EQ(ParseIntegerText("  \t-12xyz"), -12);
    EXPECT_EQ(ParseIntegerText("+7"), 7);
    EXPECT_EQ(ParseIntegerText("abc"), 0);
    EXPECT_EQ(ParseIntegerText(""), 0);
    EXPECT_EQ(ParseIntegerText("- 5"), 0);
    EXPECT_EQ(ParseIntegerText("2147483647"), INT_MAX);
    EXPECT_EQ(ParseIntegerText("-2147483648"), INT_MIN);
}

TEST(ParseIntegerText, OutOfRangeSaturates) {
    EXPECT_EQ(ParseIntegerText("2147483648"), INT_MAX);
    EXPECT_EQ(ParseIntegerText("99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseIntegerText("-99999999999999999999999999"), INT_MIN);
}

TEST(ImageValueName, FormatsAndParsesTheSameNames) {
    char name[kImageValueNameSize];
    FormatImageValueName(0, name);
    EXPECT_STREQ(name, "Image00000");
    FormatImageValueName(42, name);
    EXPECT_STREQ(name, "Image00042");
    FormatImageValueName(123456, name);
    EXPECT_STREQ(name, "Image123456");
    FormatImageValueName(INT_MAX, name);
    EXPECT_STREQ(name, "Image2147483647");

    std::int32_t index = -1;
    EXPECT_TRUE(ParseImageValueName("Image00002", &index));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(ParseImageValueName("Image123456", &index));
    EXPECT_EQ(index, 123456);
    EXPECT_FALSE(ParseImageValueName("Image0002", &index));   // too few digits
    EXPECT_FALSE(ParseImageValueName("Image000002", &index)); // not how index 2 is written
    EXPECT_FALSE(ParseImageValueName("Image0000x", &index));
    EXPECT_FALSE(ParseImageValueName("ImageCount", &index));
    EXPECT_FALSE(ParseImageValueName("image00001", &index));
    EXPECT_FALSE(ParseImageValueName("Image99999999999", &index));
}

TEST(SlotArrayBytes, NegativeZeroAndAbsurdCountsGiveNoArray) {
    EXPECT_EQ(SlotArrayBytes(3), 768u);
    EXPECT_EQ(SlotArrayBytes(kMaxImageCount), static_cast<std::size_t>(kMaxImageCount) * 256u);
    EXPECT_EQ(SlotArrayBytes(0), 0u);
    EXPECT_EQ(SlotArrayBytes(-1), 0u);
    EXPECT_EQ(SlotArrayBytes(INT_MIN), 0u);
    EXPECT_EQ(SlotArrayBytes(kMaxImageCount + 1), 0u);
    EXPECT_EQ(SlotArrayBytes(INT_MAX), 0u); // 2^31 x 256 would not fit a 32-bit size
}

TEST(Slots, PathsNeverRunPastTheSlot) {
    PictureSlot slot;
    std::memset(slot.path, 'x', sizeof(slot.path));
    EXPECT_TRUE(StorePathInSlot("C:\\a.jpg", slot.path, kSlotSize));
    EXPECT_STREQ(slot.path, "C:\\a.jpg");

    char longest[kSlotSize];
    std::memset(longest, 'a', sizeof(longest));
    longest[255] = '\0';
    EXPECT_TRUE(StorePathInSlot(longest, slot.path, kSlotSize)); // 255 characters fit
    EXPECT_EQ(std::strlen(slot.path), 255u);

    char tooLong[300];
    std::memset(tooLong, 'b', sizeof(tooLong));
    tooLong[256] = '\0';
    EXPECT_FALSE(StorePathInSlot(tooLong, slot.path, kSlotSize)); // refused, slot left empty
    EXPECT_STREQ(slot.path, "");

    std::memset(slot.path, 'c', sizeof(slot.path)); // no NUL at all
    EXPECT_EQ(SlotTextLength(slot.path, kSlotSize), 255u);
    EXPECT_EQ(SlotTextLength("abc", 4), 3u);
}

TEST(StoredValues, NumbersAndTextsReadAsTheStoreRulesSayUpToTheirLimits) {
    const std::string ones(64, '1'); // 64 bytes of text, no NUL: read, and saturated
    EXPECT_EQ(StoredInteger(1, reinterpret_cast<const std::uint8_t *>(ones.data()), 64, 7), INT_MAX);
    EXPECT_EQ(StoredInteger(1, nullptr, 65, 7), 7); // longer: unreadable
    const std::uint8_t dword[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(StoredInteger(kRegDword, dword, 4, 7), 0x04030201);
    EXPECT_EQ(StoredInteger(kRegDword, dword, 2, 7), 0x0201);
    EXPECT_EQ(StoredInteger(kRegDword, dword, 5, 7), 7);

    char slot[kSlotSize] = "kept";
    std::string text(kSlotSize, 'p');
    auto bytes = [&] { return reinterpret_cast<const std::uint8_t *>(text.data()); };
    EXPECT_FALSE(StoredText(bytes(), kSlotSize + 1, slot, kSlotSize)); // too long: unchanged
    EXPECT_STREQ(slot, "kept");
    EXPECT_TRUE(StoredText(bytes(), kSlotSize, slot, kSlotSize)); // no NUL: the last byte makes room
    EXPECT_EQ(std::string(slot), std::string(kSlotSize - 1, 'p'));
    text = std::string("a\0b", 3);
    EXPECT_TRUE(StoredText(bytes(), 3, slot, kSlotSize));
    EXPECT_STREQ(slot, "a");
}
