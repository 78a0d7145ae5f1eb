// The detail dialogs of one form line, opened by "mehr..." of the form page: "Eigenschaften"
// (AdvanceDlg) for every line type with options except "Lookup", and "Einstellungen"
// (LookupAdvanceDlg) for a "Lookup" line. Both edit line `selectedLine` of the current form
// in place. Their prefix and suffix fields are read-only: a click opens the character grid
// on the field's code buffer, and the line dialog's OK writes the buffers into the line.
#pragma once

#include <string>

#include "editor/code_grid.h"
#include "editor/form_backup.h"

namespace kest::editor {

// Controls shared by both line dialogs.
namespace line_ids {
inline constexpr int kFormLabel = 401;    // "Maske #" and the form number
inline constexpr int kLineLabel = 402;    // "Zeile #" and the line number
inline constexpr int kPrefixField = 503;  // opens the grid
inline constexpr int kSuffixField = 504;  // opens the grid
}  // namespace line_ids

namespace advance_ids {
inline constexpr int kFixedLength = 101;   // "feste Datenlänge"
inline constexpr int kDefault = 102;       // "Voreinstellung"
inline constexpr int kPrefix = 103;        // "Präfix"
inline constexpr int kSuffix = 104;        // "Suffix"
inline constexpr int kFill = 105;          // "Füllzeichen"
inline constexpr int kSubstring = 111;     // "Teilstring aus Barcode"
inline constexpr int kCheckPrefix = 114;   // "Präfix prüfen"
inline constexpr int kLengthEdit = 501;
inline constexpr int kDefaultEdit = 502;
inline constexpr int kFillEdit = 505;
inline constexpr int kStartEdit = 512;     // "Startposition :"
inline constexpr int kCountEdit = 513;     // "Anzahl Zeichen :"
inline constexpr int kCheckPrefixEdit = 514;
inline constexpr int kJustifyList = 601;
inline constexpr int kAutoEnterList = 615;  // "Auto ENTER :"
}  // namespace advance_ids

namespace lookup_advance_ids {
inline constexpr int kStore = 101;         // "Felddaten speichern"
inline constexpr int kFixedLength = 102;   // "feste Länge"
inline constexpr int kPrefix = 103;
inline constexpr int kSuffix = 104;
inline constexpr int kLengthEdit = 502;
inline constexpr int kJustifyList = 602;
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
    bool& fill_flag() {
        return copy_.fillFlags[static_cast<std::size_t>(form_)][static_cast<std::size_t>(line_)];
    }
    bool fillBackup_ = false;
};

class LookupAdvanceDlg final : public LineDetailDlg {
public:
    explicit LookupAdvanceDlg(FormWorkingCopy& copy)
        : LineDetailDlg(copy, {lookup_advance_ids::kFixedLength, lookup_advance_ids::kPrefix,
                               lookup_advance_ids::kSuffix, lookup_advance_ids::kLengthEdit,
                               lookup_advance_ids::kJustifyList}) {}
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);
};

}  // namespace kest::editor
