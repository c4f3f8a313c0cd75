// The About dialog (IDD_ABOUT), the configuration dialog's help page.
// Stateless; only OK, Enter, the close box and Alt+F4 close it (not Escape).
#include "config_ui/dialogs.h"

#include "module/module.h"
#include "resources/resource.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        char name[64] = "";
        if (LoadStringA(ModuleInstance(), IDS_DISPLAY_NAME, name, sizeof(name)) > 0)
            SetDlgItemTextA(dialog, IDC_DESCRIPTION, name);
        CentreWindow(dialog);
        return FALSE;
    }
    case WM_COMMAND:
        if (wParam == IDOK) PostMessageA(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}
