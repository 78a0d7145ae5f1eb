// The keyboard-wedge dialog of the settings page ("Tastatureinstellungen"): how the
// terminal types collected data into a host's keyboard line. It opens from the page's
// working copy; OK writes the copy and, at once, the project's table, whether the sheet
// is later closed with OK or Cancel. Cancel changes nothing.
#pragma once

#include "editor/keyboard_wedge_ids.h"
#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

// Copies the five bytes the generator edits (type, flags, pause, time-out, CR/LF); the
// rest of the table is carried through as it is.
void copy_wedge_settings(const KeyboardWedgeSettings& from, KeyboardWedgeSettings& to);

class KeyboardWedgeDialog {
public:
    KeyboardWedgeDialog(KeyboardWedgeSettings& workingCopy, KeyboardWedgeSettings& project)
        : copy_(workingCopy), project_(project) {}

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    void store(const DialogAccess& dialog);

    KeyboardWedgeSettings& copy_;
    KeyboardWedgeSettings& project_;
};

}  // namespace kest::editor
