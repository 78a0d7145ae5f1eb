// The Win32 dialog layer of agkest and tamplo: a dialog (modal, or a property sheet's
// page) whose controls are reached through DialogAccess (platform/dialog_access.h), so
// that the logic of a dialog never sees a window handle. One static procedure finds the
// object again; the face only forwards notifications by control id and shows the logic's
// state.
//
// Which notifications reach on_command (told apart by the control's window class):
//   edit field  EN_CHANGE only (also when the program puts a text into it, so the logic
//               hears its own corrections again, as the test dialog echoes them)
//   combo box   every notification (the logic stores the selection each time)
//   button      BN_CLICKED (push buttons, check boxes, radio buttons)
//   no control  menu commands, accelerators, Enter (IDOK) and Esc (IDCANCEL)
// Other controls (statics, list views) forward nothing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/dialog_access.h"

namespace kest::win32 {

// True when a WM_COMMAND from a control of that window class with that notification
// code is handed to the logic. An empty class name: no control (menu, accelerator).
bool forwards_notification(const std::string& controlClass, int notification);

class Dialog : public DialogAccess {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the modal dialog from the program's template; the result of end() (IDOK,
    // IDCANCEL).
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

    // The dialog's window (owner of the dialogs it opens); null before WM_INITDIALOG.
    HWND handle() const { return hwnd_; }

protected:
    virtual void on_init() {}
    // A forwarded WM_COMMAND (see above); the default ends the dialog on OK and Cancel.
    virtual void on_command(int id);
    // WM_NOTIFY; true when handled, with the dialog's result in `result`.
    virtual bool on_notify(const NMHDR& header, LRESULT& result);
    // Ends the dialog when the logic says so.
    void follow(DialogResult result);
    // Ends the modal dialog. Notifications that arrive while it closes (a combo box that
    // loses the focus as its window goes) no longer reach the logic, so that nothing is
    // stored after OK or Cancel has been handled.
    void end(INT_PTR result) {
        ended_ = true;
        EndDialog(hwnd_, result);
    }

    // Keeps the object with its window (at WM_INITDIALOG) and handles every later message.
    void bind(HWND hwnd);
    static Dialog* bound(HWND hwnd);
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    bool ended_ = false;
};

// A modal dialog whose logic needs nothing from Windows: the logic fills the controls at
// WM_INITDIALOG, hears every forwarded notification and says when the dialog closes.
template <class Logic>
class LogicDialog final : public Dialog {
public:
    explicit LogicDialog(Logic& logic) : logic_(logic) {}

private:
    void on_init() override { logic_.init(*this); }
    void on_command(int id) override { follow(logic_.command(*this, id)); }
    Logic& logic_;
};

// A page of a property sheet on the same layer: WM_INITDIALOG is the page's creation
// (on its first showing), PSN_SETACTIVE each showing, PSN_APPLY the sheet's OK and
// PSN_QUERYCANCEL its Cancel. A page never ends a dialog itself.
class PropertyPage : public Dialog {
public:
    // The page's entry for PropertySheetA; the object must outlive the sheet.
    PROPSHEETPAGEA describe(HINSTANCE instance, const char* templateName);

protected:
    virtual void on_activate() {}
    virtual void on_apply() {}
    virtual void on_cancel() {}
    bool on_notify(const NMHDR& header, LRESULT& result) override;
    void on_command(int) override {}

private:
    static INT_PTR CALLBACK page_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace kest::win32
