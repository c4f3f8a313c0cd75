// Command-line scan: program name, switch character, mode and window handle.
#include <gtest/gtest.h>

#include <utility>

#include "host/command_line.h"

namespace {
// Steps two bytes over a lead byte, as a double-byte code page would.
const char *StepDoubleByte(const char *p) {
    return static_cast<unsigned char>(*p) >= 0x81 && p[1] ? p + 2 : StepOneByte(p);
}
} // namespace

TEST(SkipProgramName, PlainQuotedUnclosedAndDoubleByteNames) {
    const std::pair<const char *, const char *> cases[] = {
        {"Quillomir.scr \t\r\n  /p 123", "/p 123"},
        {"\"C:\\My Savers\\Quillomir.scr\" /s", "/s"},
        {"\"C:\\no end\\x.scr /s", ""}, // the open quote takes the whole line
        {"Q\xE9!.scr\x01s", "s"},       // "!" and bytes of 0x80 and above belong to the name
    };
    for (const auto &[line, arguments] : cases)
        EXPECT_STREQ(SkipProgramName(line, StepOneByte), arguments) << line;
    // The lead pair's second byte is a quote code and must not end the name.
    EXPECT_STREQ(SkipProgramName("\"C:\\\x81\"x.scr\" /s", StepDoubleByte), "/s");
}

TEST(ClassifySwitch, TheModeTableInBothCases) {
    const auto expect = [](LaunchMode mode, std::initializer_list<const char *> texts) {
        for (const char *text : texts) EXPECT_EQ(ClassifySwitch(*FindSwitch(text)), mode) << text;
    };
    expect(LaunchMode::Config, {"", "  - / -//  "});
    expect(LaunchMode::ConfigForeground, {"-c", "C:1"});
    expect(LaunchMode::FullScreen, {"/S", "s and more"});
    expect(LaunchMode::Preview, {"/p 42", "L"});
    expect(LaunchMode::ChangePassword, {"A 7"});
    expect(LaunchMode::Unknown, {"\ts", "/?", "/t", "/\xF3"}); // a tab; "s" with the top bit set
}

TEST(ParseWindowHandle, DigitsBehindTheLetterAndItsSpacesModuloTwoToThe32) {
    const std::pair<const char *, std::uint32_t> cases[] = {
        {"p   123", 123},   {"p123", 123}, {"p0042 7", 42}, {"p12ab", 12}, {"p:123", 0},
        {"p\t123", 0},      {"p-5", 0},    {"p0x1F", 0},    {"p", 0},      {"p4294967295", 4294967295u},
        {"p4294967297", 1},
    };
    for (const auto &[text, handle] : cases) EXPECT_EQ(ParseWindowHandle(SkipSwitchLetter(text)), handle) << text;
}
