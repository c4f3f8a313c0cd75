// The picture list's rules. Lengths are size_t and indexes are checked
// against the count, so no plan or join can step outside its list or buffer.
#include "config_ui/picture_list_rules.h"

#include <algorithm>
#include <initializer_list>
#include <cstring>

void LowerCaseLetters(char *text) {
    for (char *p = text; *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
}

bool NamesPictureFile(const char *path) {
    for (const char *extension : {".gif", ".jpg", ".jpeg", ".bmp"})
        if (std::strstr(path, extension)) return true;
    return false;
}

bool JoinFolderAndName(const char *folder, const char *name, char (&joined)[kPathBufferSize]) {
    const std::size_t folderLength = std::strlen(folder), nameLength = std::strlen(name);
    joined[0] = '\0';
    if (folderLength + 1 + nameLength > kMaxPathLength) return false;
    std::memcpy(joined, folder, folderLength);
    joined[folderLength] = '\\';
    std::memcpy(joined + folderLength + 1, name, nameLength + 1);
    return true;
}

// Length of the string at offset, or size when it has no terminator inside the buffer.
static std::size_t BoundedLength(const char *buffer, std::size_t size, std::size_t offset) {
    if (offset >= size) return size;
    const void *end = std::memchr(buffer + offset, '\0', size - offset);
    return end ? static_cast<std::size_t>(static_cast<const char *>(end) - (buffer + offset)) : size;
}

FileSelection ReadFileSelection(const char *buffer, std::size_t size, std::size_t fileOffset) {
    FileSelection selection;
    const std::size_t firstLength = BoundedLength(buffer, size, 0);
    if (firstLength == 0 || firstLength >= size) return selection;
    const std::string first(buffer, firstLength);
    auto take = [&selection](std::string path) {
        (path.size() <= kMaxPathLength ? selection.accepted : selection.refused).push_back(std::move(path));
    };
    if (firstLength + 1 >= size || buffer[firstLength + 1] == '\0') {
        take(first); // one file: the first string is its full path
        return selection;
    }
    // Several files: names follow the folder; an offset inside the folder would read garbage.
    std::size_t offset = std::max(fileOffset, firstLength + 1);
    for (;;) {
        const std::size_t length = BoundedLength(buffer, size, offset);
        if (length == 0 || length >= size || offset + length >= size) break;
        const std::string name(buffer + offset, length);
        char joined[kPathBufferSize];
        if (JoinFolderAndName(first.c_str(), name.c_str(), joined))
            selection.accepted.emplace_back(joined);
        else
            selection.refused.push_back(first + "\\" + name);
        offset += length + 1;
    }
    return selection;
}

std::string TooLongPathsMessage(const std::vector<std::string> &refused) {
    constexpr std::size_t kNamed = 5; // a long drop must not give a box taller than the screen
    std::string text = refused.size() == 1
                           ? "This file was not added to the list, because its full name is longer than 255 characters:\n\n"
                           : "These files were not added to the list, because their full names are longer than 255 characters:\n\n";
    for (std::size_t i = 0; i < refused.size() && i < kNamed; ++i) text += refused[i] + "\n";
    if (refused.size() > kNamed) text += "... and " + std::to_string(refused.size() - kNamed) + " more.\n";
    text += "\nMove the pictures to a folder with a shorter name and add them again.";
    return text;
}

bool PlanMoveUp(std::int32_t selected, std::int32_t count, ListMovePlan *plan) {
    plan->takeOut.clear();
    plan->select = selected;
    if (selected <= 0 || selected >= count) return false;
    plan->takeOut.push_back(selected);
    for (std::int32_t i = 0; i < count - selected; ++i) plan->takeOut.push_back(selected - 1);
    plan->select = selected - 1;
    return true;
}

bool PlanMoveDown(std::int32_t selected, std::int32_t count, ListMovePlan *plan) {
    plan->takeOut.clear();
    plan->select = selected;
    if (selected < 0 || selected >= count - 1) return false;
    plan->takeOut.push_back(selected + 1);
    for (std::int32_t i = 0; i < count - selected - 1; ++i) plan->takeOut.push_back(selected);
    plan->select = selected + 1;
    return true;
}

ListButtonStates ListButtonRule(std::int32_t selected, std::int32_t count) {
    ListButtonStates states = {true, true, true, true, true, true};
    if (count <= 0) states.remove = states.up = states.down = states.clearAll = states.show = false;
    if (selected >= 0) {
        if (selected == 0) states.up = false;
        if (selected == count - 1) states.down = false;
    } else {
        states.up = states.down = states.remove = states.show = false;
    }
    return states;
}
