// The Picture Size dialog (IDD_PICTURE_SIZE): edits MaxWidth and MaxHeight of the
// configuration dialog's record, written on OK only. It never touches the
// store; the configuration dialog's OK does.
#include "config_ui/dialogs.h"

#include <initializer_list>

#include "config_ui/option_rules.h"
#include "resources/resource.h"
#include "settings/settings.h"

// The record being edited, from WM_INITDIALOG on.
static Settings *sizeSettings;

static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

static void EnableOtherEdits(HWND dialog) {
    for (const SizeGroup *group : {&kWidthGroup, &kHeightGroup})
        EnableWindow(GetDlgItem(dialog, group->editId), Checked(dialog, group->otherButton));
}

static void ShowGroup(HWND dialog, const SizeGroup &group, std::int32_t value) {
    const int button = SizeGroupButtonFor(group, value);
    CheckDlgButton(dialog, button, BST_CHECKED);
    if (button == group.otherButton) SetDlgItemInt(dialog, group.editId, static_cast<UINT>(value), TRUE);
    EnableWindow(GetDlgItem(dialog, group.editId), Checked(dialog, group.otherButton));
}

// The checked button's value; "Other" reads the edit, with the fallback for
// text that is not a whole number. Any number is taken as typed.
static std::int32_t ReadGroup(HWND dialog, const SizeGroup &group, std::int32_t value) {
    for (int i = 0; i < 3; ++i)
        if (Checked(dialog, group.presetButtons[i])) value = group.presetValues[i];
    if (Checked(dialog, group.otherButton)) {
        BOOL readable = FALSE;
        const UINT typed = GetDlgItemInt(dialog, group.editId, &readable, TRUE);
        value = readable ? static_cast<std::int32_t>(typed) : group.fallback;
    }
    return value;
}

static BOOL OnInitDialog(HWND dialog, Settings *settings) {
    sizeSettings = settings;
    if (!settings) { // nothing to edit
        EndDialog(dialog, 0);
        return TRUE;
    }
    CentreWindow(dialog);
    ShowGroup(dialog, kWidthGroup, settings->MaxWidth);
    ShowGroup(dialog, kHeightGroup, settings->MaxHeight);
    return FALSE;
}

static void OnCommand(HWND dialog, WPARAM wParam) {
    switch (wParam) {
    case IDC_WIDTH_640: case IDC_WIDTH_800: case IDC_WIDTH_1024: case IDC_WIDTH_OTHER:
    case IDC_HEIGHT_480: case IDC_HEIGHT_600: case IDC_HEIGHT_768: case IDC_HEIGHT_OTHER:
        EnableOtherEdits(dialog);
        break;
    case IDOK:
        sizeSettings->MaxWidth = ReadGroup(dialog, kWidthGroup, sizeSettings->MaxWidth);
        sizeSettings->MaxHeight = ReadGroup(dialog, kHeightGroup, sizeSettings->MaxHeight);
        EndDialog(dialog, 1);
        break;
    case IDCANCEL: PostMessageA(dialog, WM_CLOSE, 0, 0); break;
    default: break;
    }
}

INT_PTR CALLBACK PictureSizeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<Settings *>(lParam));
    case WM_COMMAND: OnCommand(dialog, wParam); return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}
