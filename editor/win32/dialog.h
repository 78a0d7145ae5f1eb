// A thin wrapper around a modal dialog: one static dialog procedure that finds the object
// again, virtual handlers for initialisation and commands, and the few control helpers the
// dialogs of agkest need. The dialog's rules live in its portable logic; this only shows
// the logic's state and forwards control notifications by control id.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kest::win32 {

class Dialog {
public:
    virtual ~Dialog() = default;
    // Runs the dialog from the named template; the result of end() (IDOK, IDCANCEL).
    INT_PTR run(HWND owner, const char* templateName);

protected:
    virtual void on_init() {}
    // A control notification; return true when handled.
    virtual bool on_command(int /*id*/, int /*notification*/) { return false; }
    virtual void on_ok() { end(IDOK); }
    virtual void on_cancel() { end(IDCANCEL); }

    HWND handle() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    void end(INT_PTR result) { EndDialog(hwnd_, result); }
    std::string text(int id) const;
    void set_text(int id, const std::string& text);
    void fill_list(int id, const std::vector<std::string>& entries, int selected);
    int list_selection(int id) const;

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace kest::win32
