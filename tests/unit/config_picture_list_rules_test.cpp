// The picture list's rules: the drop filter, the "%s\%s" join and its
// 255-character refusal, reading an open-file selection, Up and Down as
// take-out-and-append moves, and the list buttons' states.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config_ui/picture_list_rules.h"

namespace {

std::string Lowered(std::string text) {
    LowerCaseLetters(text.data());
    return text;
}

TEST(ConfigDropFilter, LowerCasesLettersOnlyAndLooksForFourExtensionsAnywhere) {
    EXPECT_EQ(Lowered("C:\\My Pictures\\HOLIDAY.JPG"), "c:\\my pictures\\holiday.jpg");
    EXPECT_EQ(Lowered("\xC4\xD6-Z@[`{"), "\xC4\xD6-z@[`{"); // bytes beyond A-Z stay
    for (const char *path : {"c:\\a.gif", "c:\\a.jpg", "c:\\a.jpeg", "c:\\a.bmp", "c:\\old.gif\\notes.txt",
                             "c:\\a.jpg.txt", "c:\\x.bmpx"})
        EXPECT_TRUE(NamesPictureFile(path)) << path;
    for (const char *path : {"c:\\notes.txt", "c:\\a.png", "c:\\a.JPG", "c:\\agif", "c:\\a.jp", ""})
        EXPECT_FALSE(NamesPictureFile(path)) << path;
}

TEST(ConfigJoin, FolderBackslashNameUpTo255Characters) {
    char joined[kPathBufferSize];
    ASSERT_TRUE(JoinFolderAndName("c:\\pictures", "a.jpg", joined));
    EXPECT_STREQ(joined, "c:\\pictures\\a.jpg");
    ASSERT_TRUE(JoinFolderAndName("C:\\", "a.jpg", joined)); // a root folder keeps both backslashes
    EXPECT_STREQ(joined, "C:\\\\a.jpg");

    const std::string folder(200, 'f');
    ASSERT_TRUE(JoinFolderAndName(folder.c_str(), std::string(54, 'n').c_str(), joined));
    EXPECT_EQ(std::string(joined).size(), 255u);
    EXPECT_FALSE(JoinFolderAndName(folder.c_str(), std::string(55, 'n').c_str(), joined));
    EXPECT_STREQ(joined, ""); // never a shortened path
    EXPECT_FALSE(JoinFolderAndName(std::string(1000, 'f').c_str(), "a.jpg", joined));
}

// An open-file result buffer: the strings, each ending in a zero byte, and one more.
std::vector<char> Buffer(const std::vector<std::string> &strings, std::size_t size = 1024) {
    std::vector<char> buffer(size, '\0');
    std::size_t at = 0;
    for (const std::string &s : strings) {
        std::copy(s.begin(), s.end(), buffer.begin() + static_cast<std::ptrdiff_t>(at));
        at += s.size() + 1;
    }
    return buffer;
}

TEST(ConfigFileSelection, OneFileIsTheWholePath) {
    const auto buffer = Buffer({"C:\\Pictures\\Sea.JPG"});
    const FileSelection selection = ReadFileSelection(buffer.data(), buffer.size(), 12);
    EXPECT_EQ(selection.accepted, std::vector<std::string>{"C:\\Pictures\\Sea.JPG"}); // case kept
    EXPECT_TRUE(selection.refused.empty());
}

TEST(ConfigFileSelection, SeveralFilesJoinTheFolderInTheDialogsOrder) {
    const auto buffer = Buffer({"C:\\Pictures", "b.jpg", "a.gif", "b.jpg"});
    const FileSelection selection = ReadFileSelection(buffer.data(), buffer.size(), 12);
    EXPECT_EQ(selection.accepted,
              (std::vector<std::string>{"C:\\Pictures\\b.jpg", "C:\\Pictures\\a.gif", "C:\\Pictures\\b.jpg"}));
    // An offset that points into the folder is not believed.
    const FileSelection early = ReadFileSelection(buffer.data(), buffer.size(), 3);
    EXPECT_EQ(early.accepted, selection.accepted);
    const auto root = Buffer({"D:\\", "x.bmp"});
    EXPECT_EQ(ReadFileSelection(root.data(), root.size(), 4).accepted, std::vector<std::string>{"D:\\\\x.bmp"});
}

TEST(ConfigFileSelection, PathsOver255AreRefusedWholeAndTheRestAdded) {
    const std::string folder = "C:\\" + std::string(240, 'f');
    const std::string longName(20, 'n');
    const auto buffer = Buffer({folder, "a.jpg", longName + ".jpg", "b.jpg"});
    const FileSelection selection = ReadFileSelection(buffer.data(), buffer.size(), folder.size() + 1);
    EXPECT_EQ(selection.accepted, (std::vector<std::string>{folder + "\\a.jpg", folder + "\\b.jpg"}));
    EXPECT_EQ(selection.refused, std::vector<std::string>{folder + "\\" + longName + ".jpg"});

    const std::string single = "C:\\" + std::string(253, 's'); // 256 characters
    const auto one = Buffer({single});
    const FileSelection tooLong = ReadFileSelection(one.data(), one.size(), 3);
    EXPECT_TRUE(tooLong.accepted.empty());
    EXPECT_EQ(tooLong.refused, std::vector<std::string>{single});
}

TEST(ConfigFileSelection, NeverReadsPastTheBuffer) {
    // No terminators at all, or a name cut by the buffer's end: nothing is made up.
    std::vector<char> full(16, 'x');
    EXPECT_TRUE(ReadFileSelection(full.data(), full.size(), 0).accepted.empty());
    std::vector<char> cut = {'C', ':', '\0', 'a', '.', 'j', 'p', 'g'};
    const FileSelection selection = ReadFileSelection(cut.data(), cut.size(), 3);
    EXPECT_TRUE(selection.accepted.empty());
    EXPECT_TRUE(selection.refused.empty());
    const auto empty = Buffer({});
    EXPECT_TRUE(ReadFileSelection(empty.data(), empty.size(), 0).accepted.empty());
}

TEST(ConfigFileSelection, TheMessageNamesTheRefusedFilesAndCountsTheRest) {
    const std::string one = TooLongPathsMessage({"c:\\long\\one.jpg"});
    EXPECT_NE(one.find("c:\\long\\one.jpg"), std::string::npos);
    EXPECT_NE(one.find("255"), std::string::npos);
    std::vector<std::string> many;
    for (int i = 0; i < 8; ++i) many.push_back("c:\\long\\" + std::to_string(i) + ".jpg");
    const std::string text = TooLongPathsMessage(many);
    EXPECT_NE(text.find("c:\\long\\4.jpg"), std::string::npos);
    EXPECT_EQ(text.find("c:\\long\\5.jpg"), std::string::npos);
    EXPECT_NE(text.find("3 more"), std::string::npos);
}

// Carries out a plan on a plain list, as the list box does.
std::vector<std::string> Apply(std::vector<std::string> items, const ListMovePlan &plan) {
    for (std::int32_t index : plan.takeOut) {
        EXPECT_GE(index, 0);
        EXPECT_LT(index, static_cast<std::int32_t>(items.size()));
        std::string item = items[static_cast<std::size_t>(index)];
        items.erase(items.begin() + index);
        items.push_back(item);
    }
    return items;
}

const std::vector<std::string> kABC = {"A", "B", "C"};

TEST(ConfigListMoves, UpAndDownSwapNeighboursByTakingOutAndAppending) {
    ListMovePlan plan;
    ASSERT_TRUE(PlanMoveUp(1, 3, &plan));
    EXPECT_EQ(Apply(kABC, plan), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(plan.select, 0);
    ASSERT_TRUE(PlanMoveDown(0, 3, &plan));
    EXPECT_EQ(Apply(kABC, plan), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(plan.select, 1);
    ASSERT_TRUE(PlanMoveUp(2, 3, &plan));
    EXPECT_EQ(Apply(kABC, plan), (std::vector<std::string>{"A", "C", "B"}));
    ASSERT_TRUE(PlanMoveDown(1, 3, &plan));
    EXPECT_EQ(Apply(kABC, plan), (std::vector<std::string>{"A", "C", "B"}));
}

TEST(ConfigListMoves, DownThenUpRestoresTheOrderOnLongerLists) {
    std::vector<std::string> items;
    for (char c = 'a'; c <= 'h'; ++c) items.emplace_back(1, c);
    for (std::int32_t s = 0; s + 1 < static_cast<std::int32_t>(items.size()); ++s) {
        ListMovePlan down, up;
        ASSERT_TRUE(PlanMoveDown(s, 8, &down));
        const auto moved = Apply(items, down);
        EXPECT_EQ(moved[static_cast<std::size_t>(s) + 1], items[static_cast<std::size_t>(s)]);
        ASSERT_TRUE(PlanMoveUp(down.select, 8, &up));
        EXPECT_EQ(Apply(moved, up), items);
        EXPECT_EQ(up.select, s);
    }
}

TEST(ConfigListMoves, NothingMovesAtTheEndsOrWithoutASelection) {
    ListMovePlan plan;
    EXPECT_FALSE(PlanMoveUp(0, 3, &plan));
    EXPECT_FALSE(PlanMoveUp(-1, 3, &plan));
    EXPECT_FALSE(PlanMoveDown(2, 3, &plan));
    EXPECT_FALSE(PlanMoveDown(-1, 3, &plan));
    EXPECT_FALSE(PlanMoveDown(0, 1, &plan));
    EXPECT_FALSE(PlanMoveUp(0, 0, &plan));
    EXPECT_FALSE(PlanMoveUp(5, 3, &plan)); // a selection past the end is no selection
    EXPECT_TRUE(plan.takeOut.empty());
}

TEST(ConfigListButtons, StatesFollowTheSelectionAndTheCount) {
    struct Case {
        std::int32_t selected, count;
        ListButtonStates expected; // add, remove, up, down, clearAll, show
    } cases[] = {
        {-1, 0, {true, false, false, false, false, false}},
        {-1, 3, {true, false, false, false, true, false}}, // after a drop onto nothing selected
        {0, 1, {true, true, false, false, true, true}},
        {0, 3, {true, true, false, true, true, true}},
        {1, 3, {true, true, true, true, true, true}},
        {2, 3, {true, true, true, false, true, true}},
        {-1, -1, {true, false, false, false, false, false}}, // the list reported an error
    };
    for (const Case &c : cases) {
        const ListButtonStates s = ListButtonRule(c.selected, c.count);
        SCOPED_TRACE(testing::Message() << "selected " << c.selected << ", count " << c.count);
        EXPECT_EQ(s.add, c.expected.add);
        EXPECT_EQ(s.remove, c.expected.remove);
        EXPECT_EQ(s.up, c.expected.up);
        EXPECT_EQ(s.down, c.expected.down);
        EXPECT_EQ(s.clearAll, c.expected.clearAll);
        EXPECT_EQ(s.show, c.expected.show);
    }
}

} // namespace
