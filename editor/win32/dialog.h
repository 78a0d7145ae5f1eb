// A thin wrapper around a modal dialog: one static dialog procedure that finds the object
// again, and the control access that page and dialog logic works through. The rules live
// in the portable logic; the face only forwards notifications by control id and shows
// the logic's state.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "editor/dialog_access.h"

namespace kest::win32 {

class Dialog : public editor::DialogAccess {
public:
    // Runs the dialog from the named template; the result of end() (IDOK, IDCANCEL).
    INT_PTR run(HWND owner, const char* templateName);

    // DialogAccess over the dialog's controls.
    void set_list(int id, const std::vector<std::string>& entries) override;
    void select(int id, int index) override;
    int selection(int id) const override;
    void set_text(int id, const std::string& text) override;
    std::string text(int id) const override;
    void set_checked(int id, bool checked) override;
    bool checked(int id) const override;
    void enable(int id, bool enabled) override;

protected:
    virtual void on_init() {}
    // Every WM_COMMAND; the default ends the dialog on OK and Cancel.
    virtual void on_command(int id, int notification);
    // Ends the dialog when the logic says so.
    void follow(editor::DialogResult result);

    HWND handle() const { return hwnd_; }
    void end(INT_PTR result) { EndDialog(hwnd_, result); }

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace kest::win32
