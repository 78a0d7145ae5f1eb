// The field detail dialogs as the form page opens them: modal, owned by the page, on the
// page's working copy.
#pragma once

#include "editor/form_working_copy.h"
#include "platform/win32/dialog.h"

namespace kest::win32 {

class Win32FormDetailDialogs final : public editor::FormDetailDialogs {
public:
    // `page`: the form page, owner of the dialogs (its window exists once they can open).
    explicit Win32FormDetailDialogs(const Dialog& page) : page_(page) {}

    void advance(editor::FormWorkingCopy& copy) override;
    void lookup_advance(editor::FormWorkingCopy& copy) override;
    void date_time_stamp(editor::FormWorkingCopy& copy) override;

private:
    const Dialog& page_;
};

}  // namespace kest::win32
