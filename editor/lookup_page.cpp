#include "editor/lookup_page.h"

#include <algorithm>
#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "project/defaults.h"
#include "project/names.h"

namespace kest::editor {

namespace {

using namespace lookup_page;

constexpr unsigned kByteCeiling = 255;

// The rows a damaged field count above 8 can address are the eight of the page.
int field_rows(const LookupRecord& lookup) { return std::min<int>(lookup.fieldCount, kLookupFields); }

}  // namespace

void lay_out_separated_fields(LookupRecord& lookup) {
    if (lookup.separator == 0) return;
    const int n = field_rows(lookup);
    unsigned length = 0;
    if (n > 0) {
        length = static_cast<unsigned>(n - 1);
        for (int k = 0; k < n; ++k) length += lookup.fieldLength[k];
    }
    lookup.recordLength = static_cast<u8>(std::min(length, kByteCeiling));
    lookup.fieldStart[0] = 1;
    for (int k = 1; k < n; ++k) {
        const unsigned start = lookup.fieldStart[k - 1] + lookup.fieldLength[k - 1] + 1u;
        lookup.fieldStart[k] = static_cast<u8>(std::min(start, kByteCeiling));
    }
}

void LookupPage::load(const Project& project) {
    std::copy(std::begin(project.lookups), std::end(project.lookups), lookups_.begin());
    current_ = 0;
}

void LookupPage::commit(Project& project, EditorState&) {
    for (LookupRecord& lookup : lookups_) lay_out_separated_fields(lookup);
    std::copy(lookups_.begin(), lookups_.end(), std::begin(project.lookups));
}

void LookupPage::init(DialogAccess& dialog) {
    dialog.set_list(IDC_LOOKUP_FILE, {names::kLookupFiles + 1, std::end(names::kLookupFiles)});
    std::vector<std::string> counts;
    for (int n = 0; n <= kLookupFields; ++n) counts.push_back(" " + std::to_string(n));
    dialog.set_list(IDC_LOOKUP_FIELD_COUNT, counts);
    dialog.set_list(IDC_LOOKUP_NOT_FOUND, {std::begin(names::kNotFoundActions), std::end(names::kNotFoundActions)});
    current_ = 0;
    show(dialog);
}

// The current lookup file on the controls. Every number put into an edit comes back
// through the edit's own change notification, which stores what it already holds.
void LookupPage::show(DialogAccess& dialog) {
    const LookupRecord& l = current();
    dialog.select(IDC_LOOKUP_FILE, current_);
    separatorMode_ = l.separator != 0;
    show_mode(dialog);
    dialog.set_text(IDC_LOOKUP_SEPARATOR, std::to_string(l.separator));
    dialog.set_text(IDC_LOOKUP_RECORD_LENGTH, std::to_string(l.recordLength));
    show_selection(dialog, IDC_LOOKUP_FIELD_COUNT, l.fieldCount, kLookupFields + 1);
    dialog.set_checked(IDC_LOOKUP_LOADABLE, l.loadable != 0);
    show_selection(dialog, IDC_LOOKUP_NOT_FOUND, l.notFoundAction, std::size(names::kNotFoundActions));
    for (int k = 0; k < kLookupFields; ++k) {
        dialog.set_text(IDC_LOOKUP_START + k, std::to_string(l.fieldStart[k]));
        dialog.set_text(IDC_LOOKUP_LENGTH + k, std::to_string(l.fieldLength[k]));
    }
    // A damaged key field above 7 checks no radio (and no control of another group).
    check_radio(dialog, IDC_LOOKUP_KEY, kLookupFields, l.keyField);
    enable_rows(dialog);
}

void LookupPage::show_mode(DialogAccess& dialog) {
    check_radio(dialog, IDC_LOOKUP_FIXED, 2, separatorMode_ ? 1 : 0);
    dialog.set_text(IDC_LOOKUP_LENGTH_LABEL, separatorMode_ ? kMaxLengthLabel : kFixedLengthLabel);
    dialog.enable(IDC_LOOKUP_RECORD_LENGTH, !separatorMode_);
    dialog.enable(IDC_LOOKUP_SEPARATOR, separatorMode_);
}

// The rows of the fields 1 to fieldCount are enabled (their start positions only for
// fixed-length fields: separated ones are laid out on OK), the others disabled.
void LookupPage::enable_rows(DialogAccess& dialog) {
    const int n = field_rows(current());
    for (int k = 0; k < kLookupFields; ++k) {
        dialog.enable(IDC_LOOKUP_LENGTH + k, k < n);
        dialog.enable(IDC_LOOKUP_KEY + k, k < n);
        dialog.enable(IDC_LOOKUP_START + k, k < n && !separatorMode_);
    }
}

// "Trennzeichen": the separator is the code in 519. Without a usable code (0, an empty
// edit) the separator stays what it was until one is typed.
void LookupPage::choose_separator_mode(DialogAccess& dialog) {
    separatorMode_ = true;
    const EditNumber code = parse_edit_number(dialog.text(IDC_LOOKUP_SEPARATOR));
    if (code.kind == EditNumber::Kind::Number && code.value >= 1 && code.value <= kByteCeiling) {
        current().separator = static_cast<u8>(code.value);
    }
    show_mode(dialog);
    enable_rows(dialog);
}

// The separator's code, in separator mode only (the edit is disabled otherwise). A code of
// 1-255 is stored; 0, letters or a number above 255 would turn the file into fixed-length
// fields under a "Trennzeichen" radio, so the stored code is kept and shown again. An
// empty edit keeps the code too and is left empty for the next code to be typed.
void LookupPage::separator_changed(DialogAccess& dialog) {
    if (!separatorMode_) return;
    const std::string text = dialog.text(IDC_LOOKUP_SEPARATOR);
    const EditNumber code = parse_edit_number(text);
    if (code.kind == EditNumber::Kind::Empty) return;
    if (code.kind == EditNumber::Kind::Number && code.value >= 1 && code.value <= kByteCeiling) {
        current().separator = static_cast<u8>(code.value);
        return;
    }
    const std::string back = std::to_string(current().separator);
    if (back != text) dialog.set_text(IDC_LOOKUP_SEPARATOR, back);
}

void LookupPage::number_changed(DialogAccess& dialog, int id, u8& byte) {
    if (auto value = number_edit(dialog, id, kNumberLimit, byte)) byte = static_cast<u8>(*value);
}

DialogResult LookupPage::command(DialogAccess& dialog, int id) {
    LookupRecord& l = current();
    if (id >= IDC_LOOKUP_START && id < IDC_LOOKUP_START + kLookupFields) {
        number_changed(dialog, id, l.fieldStart[id - IDC_LOOKUP_START]);
    } else if (id >= IDC_LOOKUP_LENGTH && id < IDC_LOOKUP_LENGTH + kLookupFields) {
        number_changed(dialog, id, l.fieldLength[id - IDC_LOOKUP_LENGTH]);
    } else if (id >= IDC_LOOKUP_KEY && id < IDC_LOOKUP_KEY + kLookupFields) {
        l.keyField = static_cast<u8>(id - IDC_LOOKUP_KEY);
        check_radio(dialog, IDC_LOOKUP_KEY, kLookupFields, l.keyField);
    }
    switch (id) {
    case IDC_LOOKUP_FILE: {
        const int index = dialog.selection(IDC_LOOKUP_FILE);
        if (index >= 0 && index < kLookupCount) {
            current_ = index;
            show(dialog);
        }
        break;
    }
    case IDC_LOOKUP_RECORD_LENGTH: number_changed(dialog, id, l.recordLength); break;
    case IDC_LOOKUP_SEPARATOR: separator_changed(dialog); break;
    case IDC_LOOKUP_FIELD_COUNT:
        if (store_selection(dialog, IDC_LOOKUP_FIELD_COUNT, l.fieldCount)) enable_rows(dialog);
        break;
    case IDC_LOOKUP_NOT_FOUND: store_selection(dialog, IDC_LOOKUP_NOT_FOUND, l.notFoundAction); break;
    case IDC_LOOKUP_LOADABLE: l.loadable = dialog.checked(IDC_LOOKUP_LOADABLE) ? 1 : 0; break;
    case IDC_LOOKUP_FIXED:
        separatorMode_ = false;
        l.separator = 0;
        show_mode(dialog);
        enable_rows(dialog);
        break;
    case IDC_LOOKUP_SEPARATED: choose_separator_mode(dialog); break;
    case IDC_LOOKUP_DEFAULTS:
        for (LookupRecord& lookup : lookups_) lookup_defaults(lookup);
        current_ = 0;
        show(dialog);
        break;
    default: break;
    }
    return DialogResult::Stay;
}

}  // namespace kest::editor
