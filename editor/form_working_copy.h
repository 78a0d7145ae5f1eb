// The form page's working copy of the ten forms, and the page state the field detail
// dialogs ("mehr...", "Zeitzusatz") work on: they edit line `selectedLine` of form
// `currentForm` in place, while the sheet is open; only the sheet's OK commits the copy.
#pragma once

#include <array>

#include "project/project.h"

namespace kest::editor {

struct FormWorkingCopy {
    std::array<FormRecord, kFormCount> forms{};
    int currentForm = 0;   // the form shown on the page, 0-9
    int selectedLine = 0;  // the line whose "mehr..." was pressed last, 0-7
    // The state of each line's "Füllzeichen" box (form x line); not saved.
    std::array<std::array<bool, kFormLines>, kFormCount> fillFlags{};

    FormRecord& current() { return forms[static_cast<std::size_t>(currentForm)]; }
};

// Opens the field detail dialogs from the form page. The Win32 face implements it with the
// modal dialogs, owned by the page; tests record the calls or run the dialog logic.
class FormDetailDialogs {
public:
    virtual ~FormDetailDialogs() = default;
    virtual void advance(FormWorkingCopy& copy) = 0;          // "Eigenschaften" of the selected line
    virtual void lookup_advance(FormWorkingCopy& copy) = 0;   // "Einstellungen" of a "Lookup" line
    virtual void date_time_stamp(FormWorkingCopy& copy) = 0;  // "Datum & Zeit Einstellungen" of the form
};

}  // namespace kest::editor
