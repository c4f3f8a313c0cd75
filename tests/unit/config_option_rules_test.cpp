// The configuration dialogs' rules: scroll requests and their clamping, the
// value labels, the Picture Size presets, the centring sums and the icon size.
#include <gtest/gtest.h>

#include <cstdint>

#include "config_ui/option_rules.h"
#include "resources/resource.h"

namespace {

TEST(ConfigScrollRequests, StepsStopAtTheEndsAndEndOfScrollingMovesNothing) {
    const struct {
        int request;
        std::int32_t position, minimum, maximum, thumb, moved;
    } cases[] = {
        {kLineLeft, 30, 0, 60, 0, 29},     {kLineRight, 30, 0, 60, 0, 31},     {kLineLeft, 0, 0, 60, 0, 0},
        {kLineRight, 60, 0, 60, 0, 60},    {kPageRight, 55, 0, 60, 0, 60},     {kPageLeft, 5, 1, 50, 0, 1},
        {kPageLeft, 75, 50, 150, 0, 65},   {kPageRight, 75, 50, 150, 0, 85},   {kLeftEnd, 30, 1, 50, 0, 1},
        {kRightEnd, 30, 1, 50, 0, 50},     {kThumbTrack, 30, 50, 150, 123, 123}, {kThumbPosition, 30, 50, 150, 77, 77},
        {kThumbTrack, 30, 0, 60, 65535, 60}, {kThumbPosition, 30, 50, 150, 0, 50},
    };
    for (const auto &c : cases) {
        std::int32_t moved = -1;
        EXPECT_TRUE(ScrolledPosition(c.request, c.position, c.minimum, c.maximum, c.thumb, &moved));
        EXPECT_EQ(moved, c.moved) << "request " << c.request << " from " << c.position;
    }
    std::int32_t moved = 42;
    EXPECT_FALSE(ScrolledPosition(8, 30, 0, 60, 10, &moved));
    EXPECT_EQ(moved, 42);
}

TEST(ConfigOptionBars, EachBarHasItsRangeAndWritesItsOwnLabelWhichTheCommitReadsBack) {
    const struct {
        int bar, label;
        std::int32_t minimum, maximum, value;
        const char *text;
    } cases[] = {{IDC_DURATION_BAR, IDC_DURATION_LABEL, 0, 60, 100, "100 secs"},
                 {IDC_IMAGE_SIZE_BAR, IDC_IMAGE_SIZE_LABEL, 50, 150, 50, "50 %"},
                 {IDC_SPEED_BAR, IDC_SPEED_LABEL, 1, 50, 25, "25 fps"},
                 {IDC_STEP_BAR, IDC_STEP_LABEL, 1, 50, -3, "-3 ppf"}};
    for (const auto &c : cases) {
        const OptionBar *bar = FindOptionBar(c.bar);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->labelId, c.label);
        EXPECT_EQ(bar->minimum, c.minimum);
        EXPECT_EQ(bar->maximum, c.maximum);
        char text[kLabelTextSize];
        FormatOptionLabel(*bar, c.value, text);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(LabelNumber(text), c.value);
    }
    EXPECT_EQ(FindOptionBar(IDC_FILE_LIST), nullptr);
}

TEST(ConfigPictureSize, APresetShowsItsButtonAnyOtherValueShowsOther) {
    EXPECT_EQ(SizeGroupButtonFor(kWidthGroup, 640), IDC_WIDTH_640);
    EXPECT_EQ(SizeGroupButtonFor(kWidthGroup, 1024), IDC_WIDTH_1024);
    EXPECT_EQ(SizeGroupButtonFor(kWidthGroup, 768), IDC_WIDTH_OTHER);
    EXPECT_EQ(SizeGroupButtonFor(kHeightGroup, 768), IDC_HEIGHT_768);
    EXPECT_EQ(SizeGroupButtonFor(kHeightGroup, 0), IDC_HEIGHT_OTHER);
}

TEST(ConfigGeometry, CentringTruncatesHalvesStopsAtZeroAndIconsFitTheirButtons) {
    EXPECT_EQ(CentredStart(100, 301, 101), 100 + 150 - 50);
    EXPECT_EQ(CentredStart(0, 1024, 3000), 0);
    EXPECT_EQ(CentredStart(-500, 200, 100), 0);
    EXPECT_EQ(ButtonIconSize(40, 32), 32); // the largest drawn icon that fits the button
    EXPECT_EQ(ButtonIconSize(31, 40), 24);
    EXPECT_EQ(ButtonIconSize(20, 20), 16);
    EXPECT_EQ(ButtonIconSize(10, 10), 16);
}

} // namespace
