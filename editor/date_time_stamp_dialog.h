// "Datum & Zeit Einstellungen" (DateTimeStampDlg): the date/time stamp that the current
// form adds to its records, with previews of the date and time formats in the captions of
// the two group boxes. Every change goes into the working copy at once; Cancel puts the
// form back. No control is ever disabled.
#pragma once

#include <string>

#include "editor/date_time_stamp_ids.h"
#include "editor/form_backup.h"

namespace kest::editor {

// The previews: "Datumformat : " with "JJJJ"/"JJ", "MM", "TT" in the form's date order, and
// "Zeitformat : " with "HH", "MM", "SS", each part after the first present one preceded by
// the separator when that is on (and not empty).
std::string date_preview(const FormRecord& form);
std::string time_preview(const FormRecord& form);

class DateTimeStampDlg final : public FormBackup {
public:
    explicit DateTimeStampDlg(FormWorkingCopy& copy) : FormBackup(copy) {}
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    void show_previews(DialogAccess& dialog);
};

}  // namespace kest::editor
