// The picture list's rules: the drop filter, the "%s\%s" join and its
// 255-character refusal, reading an open-file selection, Up and Down as
// take-out-and-append moves, and the list buttons' states.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "config_ui/picture_list_rules.h"

namespace {

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
    std::vector<char> buffer(size, '\0');
    std::size_t at = 0;
    for (const std::string &s : strings) {
        s.copy(buffer.data() + at, s.size());
        at += s.size() + 1;
    }
    return ReadFileSelection(buffer.data(), size, fileOffset);
}

TEST(ConfigFileSelection, OnePathOrAFolderJoinedToEachNameInTheDialogsOrder) {
    EXPECT_EQ(Read({"C:\\Pictures\\Sea.JPG"}, 12).accepted, Paths{"C:\\Pictures\\Sea.JPG"});
    const Paths several = {"C:\\Pictures\\b.jpg", "C:\\Pictures\\a.gif", "C:\\Pictures\\b.jpg"};
    EXPECT_EQ(Read({"C:\\Pictures", "b.jpg", "a.gif", "b.jpg"}, 12).accepted, several);
    EXPECT_EQ(Read({"C:\\Pictures", "b.jpg", "a.gif", "b.jpg"}, 3).accepted, several) << "offset inside the folder";
    EXPECT_EQ(Read({"D:\\", "x.bmp"}, 4).accepted, Paths{"D:\\\\x.bmp"}) << "a root folder keeps its backslash";
    // No terminator inside the buffer, or a name cut by its end: nothing is made up.
    EXPECT_TRUE(ReadFileSelection(std::string(16, 'x').data(), 16, 0).accepted.empty());
    const FileSelection cut = Read({"C:", "a.jpg"}, 3, 8);
    EXPECT_TRUE(cut.accepted.empty() && cut.refused.empty());
}

TEST(ConfigFileSelection, PathsOver255AreRefusedWholeAndNamedInTheMessage) {
    const std::string folder = "C:\\" + std::string(240, 'f'), longName(13, 'n');
    const FileSelection selection = Read({folder, "a.jpg", longName + ".jpg", "b.jpg"}, folder.size() + 1);
    EXPECT_EQ(selection.accepted, (Paths{folder + "\\a.jpg", folder + "\\b.jpg"}));
    EXPECT_EQ(selection.refused, Paths{folder + "\\" + longName + ".jpg"});
    EXPECT_EQ(Read({folder + "\\" + std::string(11, 'n')}, 3).accepted.size(), 1u) << "255 characters fit";
    EXPECT_EQ(Read({folder + "\\" + std::string(12, 'n')}, 3).refused.size(), 1u);
    char joined[kPathBufferSize];
    EXPECT_TRUE(JoinFolderAndName(folder.c_str(), std::string(11, 'n').c_str(), joined));
    EXPECT_FALSE(JoinFolderAndName(folder.c_str(), std::string(12, 'n').c_str(), joined));
    EXPECT_STREQ(joined, "") << "never a shortened path";

    Paths refused;
    for (int i = 0; i < 8; ++i) refused.push_back("c:\\long\\" + std::to_string(i) + ".jpg");
    const std::string text = TooLongPathsMessage(refused);
    EXPECT_NE(text.find("c:\\long\\4.jpg"), std::string::npos);
    EXPECT_EQ(text.find("c:\\long\\5.jpg"), std::string::npos);
    EXPECT_NE(text.find("3 more"), std::string::npos);
}

TEST(ConfigListMoves, UpAndDownSwapNeighboursByTakingOutAndAppending) {
    const Paths items = {"a", "b", "c", "d", "e"};
    const std::int32_t n = 5;
    auto apply = [&items](const ListMovePlan &plan) {
        Paths moved = items;
        for (std::int32_t index : plan.takeOut) {
            const std::string item = moved.at(static_cast<std::size_t>(index));
            moved.erase(moved.begin() + index);
            moved.push_back(item);
        }
        return moved;
    };
    for (std::int32_t s = -1; s <= n; ++s) {
        SCOPED_TRACE(s);
        ListMovePlan up, down;
        const bool movesUp = s >= 1 && s < n, movesDown = s >= 0 && s < n - 1;
        EXPECT_EQ(PlanMoveUp(s, n, &up), movesUp);
        EXPECT_EQ(PlanMoveDown(s, n, &down), movesDown);
        Paths swapped = items;
        if (movesUp) {
            std::swap(swapped[s - 1], swapped[s]);
            EXPECT_EQ(apply(up), swapped);
            EXPECT_EQ(up.select, s - 1);
        } else {
            EXPECT_TRUE(up.takeOut.empty());
        }
        swapped = items;
        if (movesDown) {
            std::swap(swapped[s], swapped[s + 1]);
            EXPECT_EQ(apply(down), swapped);
            EXPECT_EQ(down.select, s + 1);
        }
    }
}

TEST(ConfigListButtons, StatesFollowTheSelectionAndTheCount) {
    const struct {
        std::int32_t selected, count;
        const char *states; // add, remove, up, down, clear all, show
    } cases[] = {{-1, 0, "+-----"}, {-1, 3, "+---+-"}, {0, 1, "++--++"}, {0, 3, "++-+++"},
                 {1, 3, "++++++"},  {2, 3, "+++-++"},  {-1, -1, "+-----"}};
    for (const auto &c : cases) {
        const ListButtonStates s = ListButtonRule(c.selected, c.count);
        std::string states;
        for (bool on : {s.add, s.remove, s.up, s.down, s.clearAll, s.show}) states += on ? '+' : '-';
        EXPECT_EQ(states, c.states) << "selected " << c.selected << " of " << c.count;
    }
}

} // namespace
