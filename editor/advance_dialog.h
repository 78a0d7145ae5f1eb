// The detail dialogs of one form line, opened by "mehr..." of the form page: "Eigenschaften"
// (AdvanceDlg) for every line type with options except "Lookup", and "Einstellungen"
// (LookupAdvanceDlg) for a "Lookup" line. Both edit line `selectedLine` of the current form
// in place. Their prefix and suffix fields are read-only: a click opens the character grid
// on the field's code buffer, and the line dialog's OK writes the buffers into the line.
#pragma once

#include <string>

#include "editor/advance_ids.h"
#include "editor/code_grid.h"
#include "editor/form_backup.h"

namespace kest::editor {

// What both line dialogs have: fixed length with alignment, prefix and suffix with their
// code buffers, edited by the character grid.
class LineDetailDlg : public FormBackup {
public:
    // The buffer behind the prefix or suffix field.
    CodeSequence& codes(int fieldId) { return fieldId == IDC_LINE_SUFFIX_FIELD ? suffix_ : prefix_; }
    // After the grid has closed: the field shows its buffer again.
    void show_codes(DialogAccess& dialog, int fieldId) { dialog.set_text(fieldId, code_text(codes(fieldId))); }

protected:
    struct Controls {
        int fixedBox, prefixBox, suffixBox, lengthEdit, justifyList;
    };
    LineDetailDlg(FormWorkingCopy& copy, Controls controls) : FormBackup(copy), ids_(controls) {}
    // Backup, numbers of form and line, and the controls both dialogs have.
    void open(DialogAccess& dialog);
    // The controls both dialogs have; false for any other id.
    bool line_command(DialogAccess& dialog, int id);
    // OK: the buffers go into the line.
    void store_codes();

    const Controls ids_;
    CodeSequence prefix_{};
    CodeSequence suffix_{};
};

class AdvanceDlg final : public LineDetailDlg {
public:
    explicit AdvanceDlg(FormWorkingCopy& copy)
        : LineDetailDlg(copy, {IDC_ADV_FIXED, IDC_ADV_PREFIX, IDC_ADV_SUFFIX, IDC_ADV_LENGTH, IDC_ADV_JUSTIFY}) {}
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    bool& fill_flag() { return copy_.fillFlags[static_cast<std::size_t>(form_)][static_cast<std::size_t>(line_)]; }
    bool fillBackup_ = false;
};

class LookupAdvanceDlg final : public LineDetailDlg {
public:
    explicit LookupAdvanceDlg(FormWorkingCopy& copy)
        : LineDetailDlg(copy,
                        {IDC_LKADV_FIXED, IDC_LKADV_PREFIX, IDC_LKADV_SUFFIX, IDC_LKADV_LENGTH, IDC_LKADV_JUSTIFY}) {}
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);
};

}  // namespace kest::editor
