#include "platform/win32/dialog.h"

namespace kest::win32 {

bool forwards_notification(const std::string& controlClass, int notification) {
    if (controlClass.empty()) return true;
    if (lstrcmpiA(controlClass.c_str(), "Edit") == 0) return notification == EN_CHANGE;
    if (lstrcmpiA(controlClass.c_str(), "ComboBox") == 0) return true;
    if (lstrcmpiA(controlClass.c_str(), "Button") == 0) return notification == BN_CLICKED;
    return false;
}

INT_PTR Dialog::run(HWND owner, const char* templateName) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), templateName, owner, &Dialog::procedure,
                           reinterpret_cast<LPARAM>(this));
}

void Dialog::bind(HWND hwnd) {
    hwnd_ = hwnd;
    ended_ = false;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
}

Dialog* Dialog::bound(HWND hwnd) { return reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER)); }

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->bind(hwnd);
        self->on_init();
        return TRUE;
    }
    Dialog* self = bound(hwnd);
    return self ? self->dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR Dialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (ended_) return TRUE;
        std::string controlClass;
        if (lParam) {
            char name[32] = {};
            GetClassNameA(reinterpret_cast<HWND>(lParam), name, sizeof name);
            controlClass = name;
        }
        if (!forwards_notification(controlClass, HIWORD(wParam))) return FALSE;
        on_command(LOWORD(wParam));
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT result = 0;
        if (!on_notify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

void Dialog::on_command(int id) {
    if (id == IDOK || id == IDCANCEL) end(id);
}

bool Dialog::on_notify(const NMHDR&, LRESULT&) { return false; }

void Dialog::follow(DialogResult result) {
    if (result == DialogResult::CloseOk) end(IDOK);
    if (result == DialogResult::CloseCancel) end(IDCANCEL);
}

void Dialog::set_list(int id, const std::vector<std::string>& entries) {
    SendDlgItemMessageA(hwnd_, id, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
        SendDlgItemMessageA(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

void Dialog::select(int id, int index) { SendDlgItemMessageA(hwnd_, id, CB_SETCURSEL, index, 0); }

int Dialog::selection(int id) const { return static_cast<int>(SendDlgItemMessageA(hwnd_, id, CB_GETCURSEL, 0, 0)); }

void Dialog::set_text(int id, const std::string& text) { SetDlgItemTextA(hwnd_, id, text.c_str()); }

std::string Dialog::text(int id) const {
    HWND control = GetDlgItem(hwnd_, id);
    if (!control) return {};
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    const int n = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

void Dialog::set_checked(int id, bool checked) { CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED); }

bool Dialog::checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

void Dialog::enable(int id, bool enabled) { EnableWindow(GetDlgItem(hwnd_, id), enabled); }

PROPSHEETPAGEA PropertyPage::describe(HINSTANCE instance, const char* templateName) {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.hInstance = instance;
    page.pszTemplate = templateName;
    page.pfnDlgProc = &PropertyPage::page_procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR CALLBACK PropertyPage::page_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<PropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
        self->bind(hwnd);
        self->on_init();
        return TRUE;
    }
    auto* self = static_cast<PropertyPage*>(bound(hwnd));
    return self ? self->dispatch(message, wParam, lParam) : FALSE;
}

bool PropertyPage::on_notify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case PSN_SETACTIVE:
        on_activate();
        result = 0;
        return true;
    case PSN_APPLY:
        on_apply();
        result = PSNRET_NOERROR;
        return true;
    case PSN_QUERYCANCEL:
        on_cancel();
        result = FALSE;  // the sheet may close
        return true;
    }
    return false;
}

}  // namespace kest::win32
