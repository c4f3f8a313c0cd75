// The configuration dialogs' rules: scroll requests, value labels, Picture Size presets, centring and
// icon sizes; the drop filter, open-file selections, Up and Down moves and the list buttons' states.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "config_ui/option_rules.h"
#include "config_ui/picture_list_rules.h"
#include "resources/resource.h"

namespace {

TEST(ConfigScrollRequests, StepsStopAtTheEndsAndEndOfScrollingMovesNothing) {
    const std::tuple<int, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t> cases[] = {
        {kLineLeft, 30, 0, 60, 0, 29},    {kLineRight, 30, 0, 60, 0, 31},        {kPageRight, 55, 0, 60, 0, 60},
        {kPageLeft, 5, 1, 50, 0, 1},      {kPageLeft, 75, 50, 150, 0, 65},       {kPageRight, 75, 50, 150, 0, 85},
        {kLeftEnd, 30, 1, 50, 0, 1},      {kRightEnd, 30, 1, 50, 0, 50},         {kThumbTrack, 30, 0, 60, 65535, 60},
        {kThumbTrack, 30, 50, 150, 123, 123}, {kThumbPosition, 30, 50, 150, 0, 50},
    };
    std::int32_t moved = -1; // no two cases in a row move to the same place
    for (const auto &[request, position, minimum, maximum, thumb, expected] : cases) {
        EXPECT_TRUE(ScrolledPosition(request, position, minimum, maximum, thumb, &moved));
        EXPECT_EQ(moved, expected) << "request " << request << " from " << position;
    }
    EXPECT_FALSE(ScrolledPosition(8, 30, 0, 60, 10, &moved)) << "the end of scrolling moves nothing";
}

TEST(ConfigOptionBars, EachBarHasItsRangeAndWritesItsOwnLabelWhichTheCommitReadsBack) {
    const std::tuple<int, std::int32_t, std::int32_t, std::int32_t, const char *> cases[] = {
        {IDC_DURATION_BAR, 0, 60, 100, "100 secs"}, {IDC_IMAGE_SIZE_BAR, 50, 150, 50, "50 %"},
        {IDC_SPEED_BAR, 1, 50, 25, "25 fps"},       {IDC_STEP_BAR, 1, 50, -3, "-3 ppf"}};
    for (const auto &[id, minimum, maximum, value, shown] : cases) {
        const OptionBar *bar = FindOptionBar(id);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->minimum * 1000 + bar->maximum, minimum * 1000 + maximum) << "the range of " << id;
        char text[kLabelTextSize];
        FormatOptionLabel(*bar, value, text);
        EXPECT_STREQ(text, shown);
        EXPECT_EQ(LabelNumber(text), value);
    }
}

TEST(ConfigPictureSize, APresetShowsItsButtonAnyOtherValueShowsOther) {
    for (int width : {640, 800, 1024}) EXPECT_NE(SizeGroupButtonFor(kWidthGroup, width), IDC_WIDTH_OTHER) << width;
    for (int height : {480, 600, 768}) EXPECT_NE(SizeGroupButtonFor(kHeightGroup, height), IDC_HEIGHT_OTHER);
    EXPECT_EQ(SizeGroupButtonFor(kHeightGroup, 768), IDC_HEIGHT_768);
    EXPECT_EQ(SizeGroupButtonFor(kWidthGroup, 768), IDC_WIDTH_OTHER);
}

TEST(ConfigGeometry, CentringTruncatesHalvesStopsAtZeroAndIconsFitTheirButtons) {
    EXPECT_EQ(CentredStart(100, 301, 101), 200); // halves truncated: 100 + 150 - 50
    EXPECT_EQ(CentredStart(0, 1024, 3000), 0);
    EXPECT_EQ(ButtonIconSize(40, 32), 32); // the largest drawn icon that fits the button
    EXPECT_EQ(ButtonIconSize(31, 40), 24);
    EXPECT_EQ(ButtonIconSize(10, 10), 16);
}

using Paths = std::vector<std::string>;

TEST(ConfigDropFilter, LowerCasesLettersOnlyAndLooksForFourExtensionsAnywhere) {
    std::string path = "C:\\My Pictures\\HOLIDAY.JPG \xC4@[`{Z";
    LowerCaseLetters(path.data());
    EXPECT_EQ(path, "c:\\my pictures\\holiday.jpg \xC4@[`{z");
    for (const char *picture : {"a.gif", "a.jpg", "a.jpeg", "a.bmp", "c:\\old.gif\\notes.txt"})
        EXPECT_TRUE(NamesPictureFile(picture)) << picture;
    for (const char *other : {"c:\\notes.txt", "a.png", "a.JPG", "agif", "a.jp"})
        EXPECT_FALSE(NamesPictureFile(other)) << other;
}

// An open-file result: the strings, each ending in a zero byte, then zero bytes.
FileSelection Read(const Paths &strings, std::size_t fileOffset, std::size_t size = 1024) {
    std::string buffer;
    for (const std::string &s : strings) buffer += s + '\0';
    buffer.resize(size, '\0');
    return ReadFileSelection(buffer.data(), size, fileOffset);
}

TEST(ConfigFileSelection, OnePathOrAFolderJoinedToEachNameInTheDialogsOrder) {
    EXPECT_EQ(Read({"C:\\Pictures\\Sea.JPG"}, 12).accepted, Paths{"C:\\Pictures\\Sea.JPG"});
    const Paths several = {"C:\\Pictures\\b.jpg", "C:\\Pictures\\a.gif", "C:\\Pictures\\b.jpg"};
    EXPECT_EQ(Read({"C:\\Pictures", "b.jpg", "a.gif", "b.jpg"}, 12).accepted, several);
    EXPECT_EQ(Read({"D:\\", "x.bmp"}, 4).accepted, Paths{"D:\\\\x.bmp"}) << "a root folder keeps its backslash";
    // No terminator inside the buffer, or a name cut by its end: nothing is made up.
    EXPECT_TRUE(ReadFileSelection(std::string(16, 'x').data(), 16, 0).accepted.empty());
    const FileSelection cut = Read({"C:", "a.jpg"}, 3, 8);
    EXPECT_TRUE(cut.accepted.empty() && cut.refused.empty());
}

TEST(ConfigFileSelection, PathsOver255AreRefusedWholeAndNamedInTheMessage) {
    const std::string folder = "C:\\" + std::string(240, 'f'), fits(11, 'n'), over(12, 'n'); // 255 and 256 joined
    const FileSelection selection = Read({folder, "a.jpg", over, fits}, folder.size() + 1);
    EXPECT_EQ(selection.accepted, (Paths{folder + "\\a.jpg", folder + "\\" + fits}));
    EXPECT_EQ(selection.refused, Paths{folder + "\\" + over});
    EXPECT_EQ(Read({folder + "\\" + fits}, 3).accepted.size() + Read({folder + "\\" + over}, 3).refused.size(), 2u);

    Paths refused = {"c:\\x.jpg"};
    EXPECT_EQ(TooLongPathsMessage(refused).rfind("This file was", 0), 0u);
    for (int i = 1; i < 8; ++i) refused.push_back("c:\\long\\" + std::to_string(i) + ".jpg");
    const std::string text = TooLongPathsMessage(refused); // the first five, then how many more
    EXPECT_TRUE(text.find("c:\\long\\4.jpg") != text.npos && text.find("c:\\long\\5.jpg") == text.npos &&
                text.find("3 more") != text.npos);
}

// The list after a plan is carried out as the list box does it, with the row it selects.
std::string Moved(bool (*plan)(std::int32_t, std::int32_t, ListMovePlan *), std::int32_t selected) {
    std::string items = "abcde";
    ListMovePlan moves;
    if (!plan(selected, 5, &moves)) return "no move";
    for (std::int32_t index : moves.takeOut) {
        items += items.at(static_cast<std::size_t>(index));
        items.erase(static_cast<std::size_t>(index), 1);
    }
    return items + " " + std::to_string(moves.select);
}

TEST(ConfigListMoves, UpAndDownSwapNeighboursByTakingOutAndAppending) {
    const char *const up[] = {"no move", "no move", "bacde 0", "acbde 1", "abdce 2", "abced 3", "no move"};
    const char *const down[] = {"no move", "bacde 1", "acbde 2", "abdce 3", "abced 4", "no move", "no move"};
    for (std::int32_t s = -1; s <= 5; ++s) {
        EXPECT_EQ(Moved(PlanMoveUp, s), up[s + 1]) << "up from " << s;
        EXPECT_EQ(Moved(PlanMoveDown, s), down[s + 1]) << "down from " << s;
    }
}

TEST(ConfigListButtons, StatesFollowTheSelectionAndTheCount) {
    const std::tuple<std::int32_t, std::int32_t, const char *> cases[] = { // Add, Delete, Up, Down, Clear all, Show
        {-1, 0, "+-----"}, {-1, 3, "+---+-"}, {0, 1, "++--++"}, {0, 3, "++-+++"},
        {1, 3, "++++++"},  {2, 3, "+++-++"},  {-1, -1, "+-----"}};
    for (const auto &[selected, count, expected] : cases) {
        const ListButtonStates s = ListButtonRule(selected, count);
        std::string states;
        for (bool on : {s.add, s.remove, s.up, s.down, s.clearAll, s.show}) states += on ? '+' : '-';
        EXPECT_EQ(states, expected) << "selected " << selected << " of " << count;
    }
}

} // namespace
