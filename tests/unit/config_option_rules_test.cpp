// The configuration dialogs' rules: scroll requests and their clamping, the
// value labels, and the centring sums.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "config_ui/option_rules.h"
#include "resources/resource.h"

namespace {

std::int32_t Scrolled(int request, std::int32_t position, std::int32_t minimum, std::int32_t maximum,
                      std::int32_t thumb = 0) {
    std::int32_t moved = -12345;
    EXPECT_TRUE(ScrolledPosition(request, position, minimum, maximum, thumb, &moved)) << "request " << request;
    return moved;
}

TEST(ConfigScrollRequests, LineAndPageStepsStopAtTheEnds) {
    EXPECT_EQ(Scrolled(kLineLeft, 30, 0, 60), 29);
    EXPECT_EQ(Scrolled(kLineRight, 30, 0, 60), 31);
    EXPECT_EQ(Scrolled(kLineLeft, 0, 0, 60), 0);
    EXPECT_EQ(Scrolled(kLineRight, 60, 0, 60), 60);
    EXPECT_EQ(Scrolled(kPageRight, 55, 0, 60), 60); // duration bar
    EXPECT_EQ(Scrolled(kPageLeft, 5, 1, 50), 1);    // speed bar
    EXPECT_EQ(Scrolled(kPageLeft, 75, 50, 150), 65);
    EXPECT_EQ(Scrolled(kPageRight, 75, 50, 150), 85);
    // A stored 100 sits at the end of a 0..60 bar: the first step left starts there.
    EXPECT_EQ(Scrolled(kLineLeft, 60, 0, 60), 59);
}

TEST(ConfigScrollRequests, EndsAndThumbGoWhereTheyPoint) {
    EXPECT_EQ(Scrolled(kLeftEnd, 30, 1, 50), 1);
    EXPECT_EQ(Scrolled(kRightEnd, 30, 1, 50), 50);
    EXPECT_EQ(Scrolled(kThumbTrack, 30, 50, 150, 123), 123);
    EXPECT_EQ(Scrolled(kThumbPosition, 30, 50, 150, 77), 77);
    // A thumb position outside the range (only a forged message carries one) is held inside it.
    EXPECT_EQ(Scrolled(kThumbTrack, 30, 0, 60, 65535), 60);
    EXPECT_EQ(Scrolled(kThumbPosition, 30, 50, 150, 0), 50);
}

TEST(ConfigScrollRequests, EndOfScrollingAndUnknownCodesMoveNothing) {
    for (int request : {8, 9, -1, 100}) {
        std::int32_t moved = 42;
        EXPECT_FALSE(ScrolledPosition(request, 30, 0, 60, 10, &moved)) << request;
        EXPECT_EQ(moved, 42);
    }
}

TEST(ConfigScrollRequests, ExtremePositionsDoNotOverflow) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(Scrolled(kPageLeft, kMin, kMin, kMax), kMin);
    EXPECT_EQ(Scrolled(kPageRight, kMax, kMin, kMax), kMax);
    EXPECT_EQ(Scrolled(kLineLeft, kMin, kMin, 0), kMin);
}

TEST(ConfigOptionBars, EachBarWritesItsOwnLabelWithItsUnit) {
    struct Case {
        int bar, label;
        std::int32_t value;
        const char *text;
    } cases[] = {
        {IDC_DURATION_BAR, IDC_DURATION_LABEL, 100, "100 secs"},
        {IDC_IMAGE_SIZE_BAR, IDC_IMAGE_SIZE_LABEL, 50, "50 %"},
        {IDC_SPEED_BAR, IDC_SPEED_LABEL, 25, "25 fps"},
        {IDC_STEP_BAR, IDC_STEP_LABEL, -3, "-3 ppf"},
    };
    for (const Case &c : cases) {
        const OptionBar *bar = FindOptionBar(c.bar);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->labelId, c.label);
        char text[kLabelTextSize];
        FormatOptionLabel(*bar, c.value, text);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(LabelNumber(text), c.value); // what the commit reads back
    }
    EXPECT_EQ(FindOptionBar(IDC_FILE_LIST), nullptr) << "a bar of no label only moves";
}

TEST(ConfigOptionBars, LabelNumberReadsTheLeadingInteger) {
    EXPECT_EQ(LabelNumber("  42 secs"), 42);
    EXPECT_EQ(LabelNumber("+7 %"), 7);
    EXPECT_EQ(LabelNumber("-12 fps"), -12);
    EXPECT_EQ(LabelNumber("secs"), 0);
    EXPECT_EQ(LabelNumber(""), 0);
    EXPECT_EQ(LabelNumber("99999999999999 ppf"), std::numeric_limits<std::int32_t>::max());
}

TEST(ConfigCentring, HalvesAreTruncatedAndTheStartNeverGoesBelowZero) {
    EXPECT_EQ(CentredStart(0, 1024, 400), 312);
    EXPECT_EQ(CentredStart(100, 301, 101), 100 + 150 - 50);
    EXPECT_EQ(CentredStart(0, 1024, 3000), 0); // larger than the screen: held at the left edge
    EXPECT_EQ(CentredStart(-500, 200, 100), 0);
    EXPECT_EQ(CentredStart(std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(), 0),
              std::numeric_limits<std::int32_t>::max());
}

} // namespace
