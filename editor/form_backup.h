// What the three field detail dialogs share: they edit the current form of the form page's
// working copy in place, and Cancel (also Esc and the close box) puts back the whole form
// as it was when the dialog opened. Check boxes are plain: the logic turns them.
#pragma once

#include <algorithm>

#include "editor/form_working_copy.h"
#include "platform/dialog_access.h"

namespace kest::editor {

class FormBackup {
protected:
    explicit FormBackup(FormWorkingCopy& copy) : copy_(copy) {}

    FormRecord& form() { return copy_.forms[static_cast<std::size_t>(form_)]; }
    // At opening: the form and line the page points at, and the form as it is.
    void take_backup() {
        form_ = std::clamp(copy_.currentForm, 0, kFormCount - 1);
        line_ = std::clamp(copy_.selectedLine, 0, kFormLines - 1);
        backup_ = form();
    }
    void restore_backup() { form() = backup_; }

    // A click on a plain check box: the flag becomes the opposite of the box, and the box
    // shows it. Returns the new state.
    static bool toggle(DialogAccess& dialog, int id, u8& flag) {
        const bool on = !dialog.checked(id);
        flag = on ? 1 : 0;
        dialog.set_checked(id, on);
        return on;
    }

    FormWorkingCopy& copy_;
    int form_ = 0;  // current form, 0-9
    int line_ = 0;  // selected line, 0-7

private:
    FormRecord backup_{};
};

}  // namespace kest::editor
