// The picture list's commands on list box 1002 of the configuration dialog:
// Add, Drop, Delete, Up, Down, Clear all, Show, and the list buttons' states.
// A path too long for a picture slot is refused with a message, never cut.
#include "config_ui/picture_list.h"

#include <cderr.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "config_ui/dialogs.h"
#include "config_ui/picture_list_rules.h"
#include "module/module.h"
#include "resources/resource.h"

namespace {

// Five filters, each a description and a pattern; the literal's own NUL ends the list.
constexpr char kFilters[] =
    "Supported Images (*.jpg;*.jpeg;*.gif;*.bmp)\0*.jpg;*.jpeg;*.gif;*.bmp\0"
    "JPEG Images (*.jpg;*.jpeg)\0*.jpg;*.jpeg\0"
    "GIF Images (*.gif)\0*.gif\0"
    "Windows Bitmaps (*.bmp)\0*.bmp\0"
    "All Files (*.*)\0*.*\0";
constexpr std::int32_t kFilterCount = 5;

// Room for a few hundred names chosen at once; a choice that still does not
// fit is reported rather than dropped without a word.
constexpr DWORD kFileBufferSize = 64 * 1024;

constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;

HWND PictureList(HWND dialog) { return GetDlgItem(dialog, IDC_FILE_LIST); }

LRESULT Selection(HWND list) { return SendMessageA(list, LB_GETCURSEL, 0, 0); }

void Append(HWND list, const char *path) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
}

// The item's whole text, whatever its length.
std::string ItemText(HWND list, WPARAM item) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, item, 0);
    if (length == LB_ERR) return std::string();
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.data());
}

void Warn(HWND dialog, const std::string &text) {
    char caption[64] = "";
    LoadStringA(ModuleInstance(), IDS_DISPLAY_NAME, caption, sizeof(caption));
    MessageBoxA(dialog, text.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
}

void ApplyMovePlan(HWND list, const ListMovePlan &plan) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (std::int32_t index : plan.takeOut) {
        const std::string text = ItemText(list, static_cast<WPARAM>(index));
        SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        Append(list, text.c_str());
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(plan.select), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

} // namespace

void AddPictures(HWND dialog, Settings *settings) {
    std::vector<char> files(kFileBufferSize, '\0');
    OPENFILENAMEA request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // 76 bytes
    request.hwndOwner = dialog;
    request.hInstance = ModuleInstance();
    request.lpstrFilter = kFilters;
    // A stored number that names no filter starts on the first one.
    const bool knownFilter = settings->FilterIndex >= 1 && settings->FilterIndex <= kFilterCount;
    request.nFilterIndex = knownFilter ? static_cast<DWORD>(settings->FilterIndex) : 1;
    request.lpstrFile = files.data();
    request.nMaxFile = kFileBufferSize;
    request.lpstrInitialDir = settings->FileDirectory;
    request.lpstrTitle = "Add an Image";
    request.Flags = kOpenFlags;
    request.lpstrDefExt = "jpg";
    if (!GetOpenFileNameA(&request)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            Warn(dialog, "Too many files were chosen at once, and none was added. Add them in smaller groups.");
        return;
    }

    const FileSelection selection = ReadFileSelection(files.data(), files.size(), request.nFileOffset);
    HWND list = PictureList(dialog);
    for (const std::string &path : selection.accepted) Append(list, path.c_str());

    // The dialog left the process in the chosen folder; a folder too long to keep is not kept cut.
    char directory[kFileDirectorySize] = "";
    const DWORD length = GetCurrentDirectoryA(sizeof(directory), directory);
    if (length > 0 && length < sizeof(directory)) std::memcpy(settings->FileDirectory, directory, length + 1);
    settings->FilterIndex = static_cast<std::int32_t>(request.nFilterIndex);

    if (!selection.refused.empty()) Warn(dialog, TooLongPathsMessage(selection.refused));
}

void DropPictures(HWND dialog, HDROP drop) {
    HWND list = PictureList(dialog);
    std::vector<std::string> refused;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Fetched whole, so a long path is refused by name instead of cut by the platform.
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::vector<char> path(length + 1, '\0');
        if (DragQueryFileA(drop, i, path.data(), length + 1) == 0) continue;
        LowerCaseLetters(path.data());
        if (!NamesPictureFile(path.data())) continue;
        if (std::strlen(path.data()) > kMaxPathLength)
            refused.emplace_back(path.data());
        else
            Append(list, path.data());
    }
    DragFinish(drop);
    if (!refused.empty()) Warn(dialog, TooLongPathsMessage(refused));
}

void DeletePicture(HWND dialog) {
    HWND list = PictureList(dialog);
    const LRESULT selected = Selection(list);
    if (selected == LB_ERR) return;
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    SendMessageA(list, LB_SETCURSEL, selected < count ? static_cast<WPARAM>(selected) : static_cast<WPARAM>(-1), 0);
}

void MovePictureUp(HWND dialog) {
    HWND list = PictureList(dialog);
    ListMovePlan plan;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (PlanMoveUp(static_cast<std::int32_t>(Selection(list)), static_cast<std::int32_t>(count), &plan))
        ApplyMovePlan(list, plan);
}

void MovePictureDown(HWND dialog) {
    HWND list = PictureList(dialog);
    ListMovePlan plan;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (PlanMoveDown(static_cast<std::int32_t>(Selection(list)), static_cast<std::int32_t>(count), &plan))
        ApplyMovePlan(list, plan);
}

void ClearPictures(HWND dialog) {
    if (MessageBoxA(dialog, "Do you really want to delete all the bitmaps out of the list?", "Question",
                    MB_YESNO | MB_ICONQUESTION) == IDYES)
        SendMessageA(PictureList(dialog), LB_RESETCONTENT, 0, 0);
}

void ShowSelectedPicture(HWND dialog) {
    HWND list = PictureList(dialog);
    const LRESULT selected = Selection(list);
    if (selected == LB_ERR) return;
    const std::string path = ItemText(list, static_cast<WPARAM>(selected));
    ShowPictureViewer(dialog, path.c_str());
}

void UpdateListButtons(HWND dialog) {
    HWND list = PictureList(dialog);
    const LRESULT selected = Selection(list);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    const ListButtonStates states =
        ListButtonRule(static_cast<std::int32_t>(selected), static_cast<std::int32_t>(count));
    const struct {
        int id;
        bool enabled;
    } buttons[] = {{IDC_ADD, states.add},   {IDC_DELETE, states.remove},       {IDC_UP, states.up},
                   {IDC_DOWN, states.down}, {IDC_CLEAR_ALL, states.clearAll}, {IDC_SHOW, states.show}};
    HWND focus = GetFocus();
    bool focusLost = false;
    for (const auto &button : buttons) {
        HWND window = GetDlgItem(dialog, button.id);
        EnableWindow(window, button.enabled);
        if (window == focus && !button.enabled) focusLost = true;
    }
    // A keyboard user who just emptied the list keeps a place to type in.
    if (focusLost) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
}
