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

// Controls shared by both line dialogs.
namespace line_ids {
inline constexpr int kFormLabel = IDC_LINE_FORM;            // "Maske #" and the form number
inline constexpr int kLineLabel = IDC_LINE_LINE;            // "Zeile #" and the line number
inline constexpr int kPrefixField = IDC_LINE_PREFIX_FIELD;  // opens the grid
inline constexpr int kSuffixField = IDC_LINE_SUFFIX_FIELD;  // opens the grid
}  // namespace line_ids

namespace advance_ids {
inline constexpr int kFixedLength = IDC_ADV_FIXED;
inline constexpr int kDefault = IDC_ADV_DEFAULT;
inline constexpr int kPrefix = IDC_ADV_PREFIX;
inline constexpr int kSuffix = IDC_ADV_SUFFIX;
inline constexpr int kFill = IDC_ADV_FILL;
inline constexpr int kSubstring = IDC_ADV_SUBSTRING;
inline constexpr int kCheckPrefix = IDC_ADV_CHECK_PREFIX;
inline constexpr int kLengthEdit = IDC_ADV_LENGTH;
inline constexpr int kDefaultEdit = IDC_ADV_DEFAULT_VALUE;
inline constexpr int kFillEdit = IDC_ADV_FILL_CHAR;
inline constexpr int kStartEdit = IDC_ADV_START;
inline constexpr int kCountEdit = IDC_ADV_COUNT;
inline constexpr int kCheckPrefixEdit = IDC_ADV_CHECK_TEXT;
inline constexpr int kJustifyList = IDC_ADV_JUSTIFY;
inline constexpr int kAutoEnterList = IDC_ADV_AUTO_ENTER;
}  // namespace advance_ids

namespace lookup_advance_ids {
inline constexpr int kStore = IDC_LKADV_STORE;
inline constexpr int kFixedLength = IDC_LKADV_FIXED;
inline constexpr int kPrefix = IDC_LKADV_PREFIX;
inline constexpr int kSuffix = IDC_LKADV_SUFFIX;
inline constexpr int kLengthEdit = IDC_LKADV_LENGTH;
inline constexpr int kJustifyList = IDC_LKADV_JUSTIFY;
}  // namespace lookup_advance_ids

// What both line dialogs have: fixed length with alignment, prefix and suffix with their
// code buffers, edited by the character grid.
class LineDetailDlg : public FormBackup {
public:
    // The buffer behind the prefix or suffix field.
    CodeSequence& codes(int fieldId) { return fieldId == line_ids::kSuffixField ? suffix_ : prefix_; }
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
        : LineDetailDlg(copy, {advance_ids::kFixedLength, advance_ids::kPrefix, advance_ids::kSuffix,
                               advance_ids::kLengthEdit, advance_ids::kJustifyList}) {}
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
                        {lookup_advance_ids::kFixedLength, lookup_advance_ids::kPrefix, lookup_advance_ids::kSuffix,
                         lookup_advance_ids::kLengthEdit, lookup_advance_ids::kJustifyList}) {}
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);
};

}  // namespace kest::editor
