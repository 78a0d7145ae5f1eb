// The system settings dialog of the settings page ("Systemeinstellungen"): the terminal's
// ports, rate, backlight, deletion and acknowledge options. Every change goes into the
// page's working copy at once; Cancel puts back the copy as it was when the dialog opened.
#pragma once

#include "editor/system_settings_ids.h"
#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

class SystemSettingsDialog {
public:
    explicit SystemSettingsDialog(ApplicationOptions& workingCopy) : copy_(workingCopy), backup_(workingCopy) {}

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    void update_enabling(DialogAccess& dialog);
    void number(DialogAccess& dialog, int id, unsigned limit, u8& stored);

    ApplicationOptions& copy_;
    ApplicationOptions backup_;
};

}  // namespace kest::editor
