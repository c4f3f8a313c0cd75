// Decisions of the picture list's editing: which dropped files are pictures,
// how a multiple selection becomes paths, the 255-character limit, Up and
// Down as take-out-and-append moves, and which list buttons are enabled.
// Pure: no platform headers; the list box work is in picture_list_win.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Every place that holds an item's text outside the list holds 256 bytes.
constexpr std::size_t kPathBufferSize = 256;
constexpr std::size_t kMaxPathLength = kPathBufferSize - 1;

// The letters A to Z become a to z; every other byte stays.
void LowerCaseLetters(char *text);

// True when the path contains ".gif", ".jpg", ".jpeg" or ".bmp" anywhere.
// Compares as written: callers lower-case the path first.
bool NamesPictureFile(const char *path);

// folder + "\" + name, as "%s\%s" writes it (a folder ending in a backslash
// gives two in a row). False, with an empty buffer, when the result would
// not fit in 255 characters: a shortened path would name another file.
bool JoinFolderAndName(const char *folder, const char *name, char (&joined)[kPathBufferSize]);

// What an open-file dialog's result buffer names: one full path, or a folder
// followed by names. Paths that fit go to accepted, the others (whole) to
// refused, both in the dialog's order. Never reads past size bytes.
struct FileSelection {
    std::vector<std::string> accepted;
    std::vector<std::string> refused;
};
FileSelection ReadFileSelection(const char *buffer, std::size_t size, std::size_t fileOffset);

// The message that names the paths refused for being too long.
std::string TooLongPathsMessage(const std::vector<std::string> &refused);

// Up and Down move items only by taking one out and appending it at the end.
// A plan lists the indexes to take out, in order, and the index to select.
struct ListMovePlan {
    std::vector<std::int32_t> takeOut;
    std::int32_t select;
};
// False (and an empty plan) when Up has nothing to do: no selection, or the first item.
bool PlanMoveUp(std::int32_t selected, std::int32_t count, ListMovePlan *plan);
// False when Down has nothing to do: no selection, or the last item.
bool PlanMoveDown(std::int32_t selected, std::int32_t count, ListMovePlan *plan);

// Which list buttons are enabled for the selection (-1: none) and the item
// count (negative: the list reported an error).
struct ListButtonStates {
    bool add, remove, up, down, clearAll, show;
};
ListButtonStates ListButtonRule(std::int32_t selected, std::int32_t count);
