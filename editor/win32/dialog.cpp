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
    self->on_command(LOWORD(wParam), HIWORD(wParam));
    return TRUE;
}

void Dialog::on_command(int id, int) {
    if (id == IDOK || id == IDCANCEL) end(id);
}

void Dialog::follow(editor::DialogResult result) {
    if (result == editor::DialogResult::CloseOk) end(IDOK);
    if (result == editor::DialogResult::CloseCancel) end(IDCANCEL);
}

void Dialog::set_list(int id, const std::vector<std::string>& entries) {
    SendDlgItemMessageA(hwnd_, id, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
        SendDlgItemMessageA(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

void Dialog::select(int id, int index) { SendDlgItemMessageA(hwnd_, id, CB_SETCURSEL, index, 0); }

int Dialog::selection(int id) const {
    return static_cast<int>(SendDlgItemMessageA(hwnd_, id, CB_GETCURSEL, 0, 0));
}

void Dialog::set_text(int id, const std::string& text) { SetDlgItemTextA(hwnd_, id, text.c_str()); }

std::string Dialog::text(int id) const {
    char buffer[512] = {};
    GetDlgItemTextA(hwnd_, id, buffer, sizeof buffer);
    return buffer;
}

void Dialog::set_checked(int id, bool checked) {
    CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Dialog::checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

void Dialog::enable(int id, bool enabled) { EnableWindow(GetDlgItem(hwnd_, id), enabled); }

}  // namespace kest::win32
