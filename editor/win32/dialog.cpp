#include "editor/win32/dialog.h"

namespace kest::win32 {

INT_PTR Dialog::run(HWND owner, const char* templateName) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), templateName, owner, &Dialog::procedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        self->on_init();
        return TRUE;
    }
    if (!self || message != WM_COMMAND) return FALSE;
    int id = LOWORD(wParam);
    int notification = HIWORD(wParam);
    if (self->on_command(id, notification)) return TRUE;
    if (id == IDOK) {
        self->on_ok();
        return TRUE;
    }
    if (id == IDCANCEL) {
        self->on_cancel();
        return TRUE;
    }
    return FALSE;
}

std::string Dialog::text(int id) const {
    char buffer[512] = {};
    GetDlgItemTextA(hwnd_, id, buffer, sizeof buffer);
    return buffer;
}

void Dialog::set_text(int id, const std::string& text) { SetDlgItemTextA(hwnd_, id, text.c_str()); }

void Dialog::fill_list(int id, const std::vector<std::string>& entries, int selected) {
    SendDlgItemMessageA(hwnd_, id, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
        SendDlgItemMessageA(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendDlgItemMessageA(hwnd_, id, CB_SETCURSEL, selected, 0);
}

int Dialog::list_selection(int id) const {
    return static_cast<int>(SendDlgItemMessageA(hwnd_, id, CB_GETCURSEL, 0, 0));
}

}  // namespace kest::win32
