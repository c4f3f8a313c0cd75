// The configuration dialog. Until its template ships, a placeholder built in
// memory opens instead, captioned with the display name, so the "c" mode and
// the plain start still show the user a window and end cleanly with 0.
#include "config_ui/config_ui.h"

#include <cstring>
#include <vector>

#include "resources/resource.h"

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        char caption[64] = "";
        if (LoadStringA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)),
                        IDS_DISPLAY_NAME, caption, sizeof(caption)) > 0)
            SetWindowTextA(dialog, caption);
        return TRUE;
    }
    case WM_COMMAND:
        if (wParam == IDOK) EndDialog(dialog, 1);
        if (wParam == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

// Appends items to an in-memory dialog template with the alignment it needs.
class TemplateWriter {
public:
    void Word(WORD w) { bytes_.push_back(LOBYTE(w)); bytes_.push_back(HIBYTE(w)); }
    void Dword(DWORD d) { Word(LOWORD(d)); Word(HIWORD(d)); }
    void Text(const char *text) {
        for (const char *p = text; *p; ++p) Word(static_cast<unsigned char>(*p));
        Word(0);
    }
    void AlignDword() { while (bytes_.size() % 4) bytes_.push_back(0); }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const char *text) {
        AlignDword();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(x); Word(y); Word(cx); Word(cy); Word(id);
        Word(0xFFFF); Word(atom);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE *Get() {
        AlignDword();
        return reinterpret_cast<const DLGTEMPLATE *>(bytes_.data());
    }

private:
    std::vector<BYTE> bytes_;
};

} // namespace

INT_PTR ShowPlaceholderConfigDialog(HINSTANCE instance, HWND owner) {
    TemplateWriter t;
    t.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    t.Dword(0);
    t.Word(2);                              // items
    t.Word(0); t.Word(0); t.Word(200); t.Word(60);
    t.Word(0); t.Word(0);                   // no menu, default class
    t.Text("Quillomir");                    // replaced by the display name at initialisation
    t.Word(8); t.Text("MS Sans Serif");
    t.Item(SS_LEFT, 7, 7, 186, 20, 0xFFFF, 0x0082,
           "The settings page is not part of this build yet.");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 143, 38, 50, 14, IDCANCEL, 0x0080, "Close");
    return DialogBoxIndirectParamA(instance, t.Get(), owner, ConfigDialogProc, 0);
}
