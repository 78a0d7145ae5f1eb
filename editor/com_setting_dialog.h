// The COM port dialog of the generator ("ComSettingDlg"): the port and the rate of the
// transfers. It writes the project's ComSelection directly on OK and does not mark the
// project as modified.
#pragma once

#include "editor/com_setting_ids.h"
#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

class ComSettingDialog {
public:
    explicit ComSettingDialog(ComSelection& selection) : selection_(selection) {}

    // Fills both lists and selects the project's current port and rate.
    void init(DialogAccess& dialog);
    // OK stores both selections into ComSelection; Cancel changes nothing.
    DialogResult command(DialogAccess& dialog, int id);

private:
    ComSelection& selection_;
};

}  // namespace kest::editor
