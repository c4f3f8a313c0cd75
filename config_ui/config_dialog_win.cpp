// The configuration dialog (IDD_CONFIG): shows the options of its own
// Settings record, routes the list commands to picture_list_win.cpp, commits
// through the value labels' text on OK and drops everything on Cancel. The
// store is written only by the commit, and never while the list is lost.
#include "config_ui/dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "config_ui/option_rules.h"
#include "config_ui/picture_list.h"
#include "module/module.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "settings/settings_rules.h"

// The dialog's record: zero-filled at start, kept for the whole process.
static Settings dialogSettings;

// The buttons' icons, in the order initialisation loads them.
struct ButtonIcon {
    int buttonId;
    int iconId;
};
static const ButtonIcon kButtonIcons[] = {
    {IDC_ADD, IDI_ADD},   {IDC_DELETE, IDI_DELETE}, {IDC_UP, IDI_UP},         {IDC_DOWN, IDI_DOWN},
    {IDC_CLEAR_ALL, IDI_CLEAR_ALL}, {IDC_SHOW, IDI_SHOW}, {IDC_HAYULP, IDI_HAYULP},
};

struct CheckBox {
    int id;
    std::int32_t Settings::*field;
};
static const CheckBox kCheckBoxes[] = {
    {IDC_CLEAR_SCREEN, &Settings::ClearScreen},     {IDC_REMOVE_BITMAPS, &Settings::RemoveBitmaps},
    {IDC_DISPLAY_TIME, &Settings::DisplayTime},     {IDC_CENTER_PICTURE, &Settings::CenterPicture},
    {IDC_RESTRICT_SIZE, &Settings::RestrictSize},
};

// The field each entry of kOptionBars shows.
static std::int32_t Settings::*const kOptionFields[kOptionBarCount] = {
    &Settings::DisplayDuration, &Settings::ImageSize, &Settings::RefreshSpeed, &Settings::StepSize};

BOOL RegisterDialogClasses(HINSTANCE) {
    // The manifest asks for version 6 of the common controls; load them before any dialog.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    return TRUE;
}

static void MessageToUser(HWND dialog, const char *text) {
    char caption[64] = "";
    LoadStringA(ModuleInstance(), IDS_DISPLAY_NAME, caption, sizeof(caption));
    MessageBoxA(dialog, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

// Icons drawn at 16, 24 and 32 pixels: take the largest the button shows whole.
static void SetButtonIcons(HWND dialog) {
    for (const ButtonIcon &entry : kButtonIcons) {
        HWND button = GetDlgItem(dialog, entry.buttonId);
        RECT client = {};
        GetClientRect(button, &client);
        const int border = 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
        const int size = ButtonIconSize(client.right - border, client.bottom - border);
        HANDLE icon = LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(entry.iconId), IMAGE_ICON, size, size, 0);
        SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
}

static void DestroyButtonIcons(HWND dialog) {
    for (const ButtonIcon &entry : kButtonIcons) {
        HWND button = GetDlgItem(dialog, entry.buttonId);
        HICON icon = reinterpret_cast<HICON>(SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, 0));
        if (icon) DestroyIcon(icon);
    }
}

static void FillStyleList(HWND dialog, int listId, const char *const *texts, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        SendDlgItemMessageA(dialog, listId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
}

// An index outside the list leaves it without a selection.
static void SelectStyle(HWND dialog, int listId, std::int32_t index) {
    const LRESULT count = SendDlgItemMessageA(dialog, listId, CB_GETCOUNT, 0, 0);
    const WPARAM item = index >= 0 && index < count ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
    SendDlgItemMessageA(dialog, listId, CB_SETCURSEL, item, 0);
}

// Filled with its drawing off: with it on, every item added updates the
// scroll bar, which made a list of 10,000 pictures open noticeably late.
static void FillPictureList(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    const std::int32_t count = dialogSettings.Images ? dialogSettings.ImageCount : 0;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_INITSTORAGE, static_cast<WPARAM>(count), static_cast<LPARAM>(count) * 64);
    for (std::int32_t i = 0; i < count; ++i) {
        const PictureSlot &slot = dialogSettings.Images[i];
        const std::string text(slot.path, SlotTextLength(slot.path, kSlotSize));
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

static void EnableFadeOutList(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDC_FADE_OUT_LIST),
                 IsDlgButtonChecked(dialog, IDC_REMOVE_BITMAPS) == BST_CHECKED);
}

static BOOL OnInitDialog(HWND dialog) {
    char caption[64] = "";
    if (LoadStringA(ModuleInstance(), IDS_DISPLAY_NAME, caption, sizeof(caption)) > 0)
        SetWindowTextA(dialog, caption);
    CentreWindow(dialog);
    SetButtonIcons(dialog);
    for (int barId : {IDC_DURATION_BAR, IDC_SPEED_BAR, IDC_IMAGE_SIZE_BAR, IDC_STEP_BAR}) {
        const OptionBar *bar = FindOptionBar(barId);
        SetScrollRange(GetDlgItem(dialog, barId), SB_CTL, bar->minimum, bar->maximum, FALSE);
    }
    FillStyleList(dialog, IDC_FADE_IN_LIST, kFadeInStyles, kFadeInStyleCount);
    FillStyleList(dialog, IDC_FADE_OUT_LIST, kFadeOutStyles, kFadeOutStyleCount);

    ReleaseImages(&dialogSettings); // a record left by an earlier dialog of this process
    dialogSettings.FilterIndex = 1;
    dialogSettings.FileDirectory[0] = '\0';
    LoadSettings(&dialogSettings);
    FillPictureList(dialog);

    for (std::size_t i = 0; i < kOptionBarCount; ++i) {
        const OptionBar &bar = kOptionBars[i];
        const std::int32_t value = dialogSettings.*kOptionFields[i];
        char label[kLabelTextSize];
        FormatOptionLabel(bar, value, label);
        SetDlgItemTextA(dialog, bar.labelId, label);
        SetScrollPos(GetDlgItem(dialog, bar.barId), SB_CTL, value, TRUE);
    }
    for (const CheckBox &box : kCheckBoxes)
        CheckDlgButton(dialog, box.id, dialogSettings.*box.field != 0 ? BST_CHECKED : BST_UNCHECKED);
    SelectStyle(dialog, IDC_FADE_IN_LIST, dialogSettings.FadeInStyle);
    SelectStyle(dialog, IDC_FADE_OUT_LIST, dialogSettings.FadeOutStyle);
    if (dialogSettings.ImageCount != 0) SendDlgItemMessageA(dialog, IDC_FILE_LIST, LB_SETCURSEL, 0, 0);
    EnableFadeOutList(dialog);
    UpdateListButtons(dialog);
    return TRUE;
}

static void OnHScroll(HWND dialog, HWND bar, int request, int thumb) {
    if (!bar) return;
    int position = GetScrollPos(bar, SB_CTL), minimum = 0, maximum = 0;
    GetScrollRange(bar, SB_CTL, &minimum, &maximum);
    std::int32_t moved = 0;
    if (!ScrolledPosition(request, position, minimum, maximum, thumb, &moved)) return;
    SetScrollPos(bar, SB_CTL, moved, TRUE);
    if (const OptionBar *option = FindOptionBar(GetDlgCtrlID(bar))) {
        char label[kLabelTextSize];
        FormatOptionLabel(*option, moved, label);
        SetDlgItemTextA(dialog, option->labelId, label);
    }
}

// Copies item i into a slot; an item too long for one (none is let in) leaves it empty.
static void CopyItemToSlot(HWND list, std::int32_t item, PictureSlot *slot) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(item), 0);
    if (length == LB_ERR) return;
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
    StorePathInSlot(text.data(), slot->path, kSlotSize);
}

// The new slot array is filled before the old one goes: when it cannot be
// had, the record, the store and the dialog stay as they are.
static bool TakeListIntoRecord(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    const LRESULT items = SendMessageA(list, LB_GETCOUNT, 0, 0);
    const std::int32_t count = items == LB_ERR ? 0 : static_cast<std::int32_t>(items);
    PictureSlot *slots = nullptr;
    if (count > 0) {
        const std::size_t bytes = SlotArrayBytes(count);
        if (bytes == 0) {
            const std::string text = "The list holds " + std::to_string(count) +
                                     " pictures, more than can be stored (" + std::to_string(kMaxImageCount) +
                                     "). Nothing has been saved: remove some pictures and press OK again.";
            MessageToUser(dialog, text.c_str());
            return false;
        }
        slots = static_cast<PictureSlot *>(std::calloc(1, bytes));
        if (!slots) {
            MessageToUser(dialog, "There is not enough memory to store the picture list. Nothing has been "
                                  "saved: close other programs or remove some pictures, and press OK again.");
            return false;
        }
        for (std::int32_t i = 0; i < count; ++i) CopyItemToSlot(list, i, &slots[i]);
    }
    ReleaseImages(&dialogSettings);
    dialogSettings.Images = slots;
    dialogSettings.ImageCount = count;
    return true;
}

static std::int32_t SelectedStyle(HWND dialog, int listId) {
    const LRESULT index = SendDlgItemMessageA(dialog, listId, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<std::int32_t>(index);
}

static void Commit(HWND dialog) {
    if (!TakeListIntoRecord(dialog)) return;
    for (std::size_t i = 0; i < kOptionBarCount; ++i) {
        char text[kLabelTextSize] = "";
        GetDlgItemTextA(dialog, kOptionBars[i].labelId, text, sizeof(text));
        dialogSettings.*kOptionFields[i] = LabelNumber(text);
    }
    for (const CheckBox &box : kCheckBoxes)
        dialogSettings.*box.field = IsDlgButtonChecked(dialog, box.id) == BST_CHECKED ? 1 : 0;
    dialogSettings.FadeInStyle = SelectedStyle(dialog, IDC_FADE_IN_LIST);
    dialogSettings.FadeOutStyle = SelectedStyle(dialog, IDC_FADE_OUT_LIST);
    SaveSettings(&dialogSettings);
    ReleaseImages(&dialogSettings);
    EndDialog(dialog, 1);
}

static void Discard(HWND dialog) {
    ReleaseImages(&dialogSettings);
    EndDialog(dialog, 0);
}

static void OnCommand(HWND dialog, WPARAM wParam) {
    if (LOWORD(wParam) == IDC_FILE_LIST) {
        if (HIWORD(wParam) == LBN_DBLCLK) PostMessageA(dialog, WM_COMMAND, IDC_SHOW, 0);
        UpdateListButtons(dialog);
    }
    switch (wParam) {
    case IDOK: Commit(dialog); break;
    case IDCANCEL: Discard(dialog); break;
    case IDC_UP: MovePictureUp(dialog); UpdateListButtons(dialog); break;
    case IDC_ADD: AddPictures(dialog, &dialogSettings); UpdateListButtons(dialog); break;
    case IDC_DELETE: DeletePicture(dialog); UpdateListButtons(dialog); break;
    case IDC_DOWN: MovePictureDown(dialog); UpdateListButtons(dialog); break;
    case IDC_CLEAR_ALL: ClearPictures(dialog); UpdateListButtons(dialog); break;
    case IDC_REMOVE_BITMAPS: EnableFadeOutList(dialog); break;
    case IDC_SHOW: ShowSelectedPicture(dialog); break;
    case IDC_HAYULP:
        DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUT), dialog, AboutDialogProc, 0);
        break;
    case IDC_RESTRICT_SIZE:
        // Only a click that checks the box asks for the sizes.
        if (IsDlgButtonChecked(dialog, IDC_RESTRICT_SIZE) == BST_CHECKED)
            DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_PICTURE_SIZE), dialog, PictureSizeDialogProc,
                            reinterpret_cast<LPARAM>(&dialogSettings));
        break;
    default: break;
    }
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_HSCROLL:
        OnHScroll(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_COMMAND: OnCommand(dialog, wParam); return TRUE;
    case WM_DROPFILES: DropPictures(dialog, reinterpret_cast<HDROP>(wParam)); return TRUE;
    case WM_HELP: PostMessageA(dialog, WM_COMMAND, IDC_HAYULP, 0); return TRUE;
    case WM_CLOSE: PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); return TRUE;
    case WM_DESTROY:
        // The icons were loaded for this window; a dialog torn down without OK or Cancel frees its list too.
        DestroyButtonIcons(dialog);
        ReleaseImages(&dialogSettings);
        return FALSE;
    default: return FALSE;
    }
}

INT_PTR ShowConfigDialog(HWND owner) {
    RegisterDialogClasses(ModuleInstance());
    return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_CONFIG), owner, ConfigDialogProc, 0);
}
