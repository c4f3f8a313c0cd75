// Command-line scan: program name, switch character, mode and window handle.
#include <gtest/gtest.h>

#include <string>

#include "host/command_line.h"

namespace {

std::string Arguments(const char *commandLine) { return SkipProgramName(commandLine, StepOneByte); }

LaunchMode ModeOf(const char *argumentText) { return ClassifySwitch(*FindSwitch(argumentText)); }

// Steps two bytes over a lead byte, as a double-byte code page would.
const char *StepDoubleByte(const char *p) {
    if (!*p) return p;
    if (static_cast<unsigned char>(*p) >= 0x81 && p[1]) return p + 2;
    return p + 1;
}

} // namespace

TEST(SkipProgramName, PlainQuotedAndUnclosedNames) {
    EXPECT_EQ(Arguments("Quillomir.scr /s"), "/s");
    EXPECT_EQ(Arguments("Quillomir.scr \t\r\n  /p 123"), "/p 123");
    EXPECT_EQ(Arguments("\"C:\\Program Files\\My Savers\\Quillomir.scr\" /s"), "/s");
    EXPECT_EQ(Arguments("\"C:\\a b\\x.scr\"/c"), "/c");
    EXPECT_EQ(Arguments("\"C:\\no end\\x.scr /s"), ""); // the open quote takes the whole line
    EXPECT_EQ(Arguments("Quillomir.scr"), "");
    EXPECT_EQ(Arguments(""), "");
    // Bytes of 0x80 and above belong to the name; control characters end it.
    EXPECT_EQ(Arguments("Qu\xE9\xA0.scr\x01s"), "s");
}

TEST(SkipProgramName, QuotedNameStepsOverDoubleByteCharacters) {
    // The second byte of the lead pair is a quote code and must not end the name.
    const char line[] = "\"C:\\\x81\"x.scr\" /s";
    EXPECT_EQ(std::string(SkipProgramName(line, StepDoubleByte)), "/s");
    EXPECT_EQ(std::string(SkipProgramName(line, StepOneByte)), "x.scr\" /s");
}

TEST(FindSwitch, SkipsOnlySpacesDashesAndSlashes) {
    EXPECT_EQ(ModeOf(""), LaunchMode::Config);
    EXPECT_EQ(ModeOf("  - / -//  "), LaunchMode::Config);
    EXPECT_EQ(ModeOf("\ts"), LaunchMode::Unknown); // a tab is a switch character
    EXPECT_EQ(ModeOf("-/ -s"), LaunchMode::FullScreen);
}

TEST(ClassifySwitch, EveryRowOfTheTableInBothCases) {
    EXPECT_EQ(ModeOf("/S"), LaunchMode::FullScreen);
    EXPECT_EQ(ModeOf("-s"), LaunchMode::FullScreen);
    EXPECT_EQ(ModeOf("s"), LaunchMode::FullScreen);
    EXPECT_EQ(ModeOf("s and more words"), LaunchMode::FullScreen);
    EXPECT_EQ(ModeOf("/c"), LaunchMode::ConfigForeground);
    EXPECT_EQ(ModeOf("/C:123"), LaunchMode::ConfigForeground);
    EXPECT_EQ(ModeOf("/p 42"), LaunchMode::Preview);
    EXPECT_EQ(ModeOf("/P42"), LaunchMode::Preview);
    EXPECT_EQ(ModeOf("/l 42"), LaunchMode::Preview);
    EXPECT_EQ(ModeOf("/L"), LaunchMode::Preview);
    EXPECT_EQ(ModeOf("/a"), LaunchMode::ChangePassword);
    EXPECT_EQ(ModeOf("/A 7"), LaunchMode::ChangePassword);
    for (char c = 't'; c <= 'z'; ++c) EXPECT_EQ(ClassifySwitch(c), LaunchMode::Unknown) << c;
    EXPECT_EQ(ModeOf("/?"), LaunchMode::Unknown);
    EXPECT_EQ(ModeOf("/b"), LaunchMode::Unknown);
    EXPECT_EQ(ModeOf("/1"), LaunchMode::Unknown);
    EXPECT_EQ(ClassifySwitch('\x80'), LaunchMode::Unknown);
    EXPECT_EQ(ClassifySwitch('\xF3'), LaunchMode::Unknown); // 's' | 0x80 is not an "s"
    EXPECT_EQ(ClassifySwitch('\xD3'), LaunchMode::Unknown);
}

TEST(SkipSwitchLetter, StepsOverTheLetterAndSpacesOnly) {
    EXPECT_STREQ(SkipSwitchLetter("p   123"), "123");
    EXPECT_STREQ(SkipSwitchLetter("p123"), "123");
    EXPECT_STREQ(SkipSwitchLetter("p:123"), ":123");
    EXPECT_STREQ(SkipSwitchLetter("p\t123"), "\t123");
    EXPECT_STREQ(SkipSwitchLetter("p"), "");
}

TEST(ParseWindowHandle, DigitsFromTheStartModuloTwoToThe32) {
    EXPECT_EQ(ParseWindowHandle("123"), 123u);
    EXPECT_EQ(ParseWindowHandle("0042 7"), 42u);
    EXPECT_EQ(ParseWindowHandle("12ab"), 12u);
    EXPECT_EQ(ParseWindowHandle(":123"), 0u);
    EXPECT_EQ(ParseWindowHandle("-5"), 0u);
    EXPECT_EQ(ParseWindowHandle("0x1F"), 0u);
    EXPECT_EQ(ParseWindowHandle(""), 0u);
    EXPECT_EQ(ParseWindowHandle("4294967295"), 4294967295u);
    EXPECT_EQ(ParseWindowHandle("4294967296"), 0u);
    EXPECT_EQ(ParseWindowHandle("4294967297"), 1u);
    EXPECT_EQ(ParseWindowHandle("99999999999999999999"), 1661992959u); // 10^20 - 1 mod 2^32
}
