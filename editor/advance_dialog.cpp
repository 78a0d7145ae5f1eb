#include "editor/advance_dialog.h"

#include <initializer_list>
#include <vector>

#include "editor/edit_rules.h"
#include "project/limits.h"
#include "project/names.h"

namespace kest::editor {

namespace {

// The byte fields of these dialogs hold 0-255; a larger number is refused like any number
// above a field's limit. Only 0-kMaxFieldLength mean something to the terminal; the
// substring values are corrected on OK.
constexpr unsigned kByteLimit = 255;
constexpr const char* kAutoEnter[] = {"Nein", "Scan+ENTER"};

// A plain check box of a line flag and the controls it enables.
struct Box {
    int id;
    u8 (FormRecord::*flag)[kFormLines];
    std::initializer_list<int> controls;
};

void enable_all(DialogAccess& dialog, std::initializer_list<int> ids, bool on) {
    for (int id : ids) dialog.enable(id, on);
}

void show_box(DialogAccess& dialog, int box, bool on, std::initializer_list<int> controls) {
    dialog.set_checked(box, on);
    enable_all(dialog, controls, on);
}

void store_number(DialogAccess& dialog, int id, u8& byte, const char* replacement) {
    if (auto value = number_edit(dialog, id, kByteLimit, byte, replacement)) byte = static_cast<u8>(*value);
}

template <std::size_t N>
void show_list(DialogAccess& dialog, int id, const char* const (&list)[N], u8 value) {
    dialog.set_list(id, {std::begin(list), std::end(list)});
    dialog.select(id, value);
}

void fix_substring(FormRecord& f, int n) {
    if (f.substringStart[n] == 0) f.substringStart[n] = 1;
    if (f.substringCount[n] == 0 || f.substringCount[n] > kMaxFieldLength) f.substringCount[n] = kMaxFieldLength;
}

}  // namespace

void LineDetailDlg::open(DialogAccess& dialog) {
    take_backup();
    dialog.set_text(IDC_LINE_FORM, "Maske #" + std::to_string(form_ + 1));
    dialog.set_text(IDC_LINE_LINE, "Zeile #" + std::to_string(line_ + 1));
    FormRecord& f = form();
    const int n = line_;
    show_box(dialog, ids_.fixedBox, f.fixedLengthOn[n], {ids_.lengthEdit, ids_.justifyList});
    dialog.set_text(ids_.lengthEdit, std::to_string(f.fixedLength[n]));
    show_list(dialog, ids_.justifyList, names::kJustify, f.justify[n]);
    prefix_ = read_codes(f.prefix[n]);
    suffix_ = read_codes(f.suffix[n]);
    show_box(dialog, ids_.prefixBox, f.prefixOn[n], {IDC_LINE_PREFIX_FIELD});
    show_box(dialog, ids_.suffixBox, f.suffixOn[n], {IDC_LINE_SUFFIX_FIELD});
    show_codes(dialog, IDC_LINE_PREFIX_FIELD);
    show_codes(dialog, IDC_LINE_SUFFIX_FIELD);
}

bool LineDetailDlg::line_command(DialogAccess& dialog, int id) {
    FormRecord& f = form();
    const int n = line_;
    const Box boxes[] = {
        {ids_.fixedBox, &FormRecord::fixedLengthOn, {ids_.lengthEdit, ids_.justifyList}},
        {ids_.prefixBox, &FormRecord::prefixOn, {IDC_LINE_PREFIX_FIELD}},
        {ids_.suffixBox, &FormRecord::suffixOn, {IDC_LINE_SUFFIX_FIELD}},
    };
    for (const Box& box : boxes) {
        if (box.id == id) {
            enable_all(dialog, box.controls, toggle(dialog, id, (f.*box.flag)[n]));
            return true;
        }
    }
    if (id == ids_.lengthEdit)
        store_number(dialog, id, f.fixedLength[n], "1");
    else if (id == ids_.justifyList)
        store_selection(dialog, id, f.justify[n]);
    else
        return false;
    return true;
}

void LineDetailDlg::store_codes() {
    write_codes(form().prefix[line_], prefix_);
    write_codes(form().suffix[line_], suffix_);
}

void AdvanceDlg::init(DialogAccess& dialog) {
    open(dialog);
    FormRecord& f = form();
    const int n = line_;
    fill_flag() = f.fillChar[n] != 0;
    fillBackup_ = fill_flag();

    show_box(dialog, IDC_ADV_DEFAULT, f.defaultOn[n], {IDC_ADV_DEFAULT_VALUE});
    dialog.set_text(IDC_ADV_DEFAULT_VALUE, cell_text(f.defaultValue[n]));

    show_box(dialog, IDC_ADV_FILL, fill_flag(), {IDC_ADV_FILL_CHAR});
    dialog.set_text(IDC_ADV_FILL_CHAR, f.fillChar[n] ? std::string(1, static_cast<char>(f.fillChar[n])) : "");

    fix_substring(f, n);
    show_box(dialog, IDC_ADV_SUBSTRING, f.substringOn[n], {IDC_ADV_START, IDC_ADV_COUNT});
    dialog.set_text(IDC_ADV_START, std::to_string(f.substringStart[n]));
    dialog.set_text(IDC_ADV_COUNT, std::to_string(f.substringCount[n]));

    show_box(dialog, IDC_ADV_CHECK_PREFIX, f.checkPrefixOn[n], {IDC_ADV_CHECK_TEXT});
    dialog.set_text(IDC_ADV_CHECK_TEXT, cell_text(f.checkPrefix[n]));

    show_list(dialog, IDC_ADV_AUTO_ENTER, kAutoEnter, f.autoEnter[n]);
}

DialogResult AdvanceDlg::command(DialogAccess& dialog, int id) {
    if (line_command(dialog, id)) return DialogResult::Stay;
    FormRecord& f = form();
    const int n = line_;
    const Box boxes[] = {
        {IDC_ADV_DEFAULT, &FormRecord::defaultOn, {IDC_ADV_DEFAULT_VALUE}},
        {IDC_ADV_SUBSTRING, &FormRecord::substringOn, {IDC_ADV_START, IDC_ADV_COUNT}},
        {IDC_ADV_CHECK_PREFIX, &FormRecord::checkPrefixOn, {IDC_ADV_CHECK_TEXT}},
    };
    for (const Box& box : boxes)
        if (box.id == id) enable_all(dialog, box.controls, toggle(dialog, id, (f.*box.flag)[n]));
    switch (id) {
    case IDC_ADV_FILL: {
        u8 flag = fill_flag();
        fill_flag() = toggle(dialog, id, flag);
        dialog.enable(IDC_ADV_FILL_CHAR, fill_flag());
        break;
    }
    case IDC_ADV_DEFAULT_VALUE:
        if (auto text = text_edit(dialog, id, sizeof f.defaultValue[n] - 1)) set_cell(f.defaultValue[n], *text);
        break;
    case IDC_ADV_FILL_CHAR:
        // One character is stored; the field never shows more than that.
        if (auto text = text_edit(dialog, id, 1)) f.fillChar[n] = text->empty() ? 0 : static_cast<u8>((*text)[0]);
        break;
    case IDC_ADV_START: store_number(dialog, id, f.substringStart[n], "1"); break;
    case IDC_ADV_COUNT: store_number(dialog, id, f.substringCount[n], "0"); break;
    case IDC_ADV_CHECK_TEXT:
        if (auto text = text_edit(dialog, id, sizeof f.checkPrefix[n] - 1)) set_cell(f.checkPrefix[n], *text);
        break;
    case IDC_ADV_AUTO_ENTER: store_selection(dialog, id, f.autoEnter[n]); break;
    case kIdOk:
        if (!fill_flag()) f.fillChar[n] = 0;
        fix_substring(f, n);
        store_codes();
        return DialogResult::CloseOk;
    case kIdCancel:
        restore_backup();
        fill_flag() = fillBackup_;
        return DialogResult::CloseCancel;
    default: break;
    }
    return DialogResult::Stay;
}

void LookupAdvanceDlg::init(DialogAccess& dialog) {
    open(dialog);
    const u8 store = form().defaultOn[line_];
    show_box(dialog, IDC_LKADV_STORE, store, {IDC_LKADV_FIXED, IDC_LKADV_PREFIX, IDC_LKADV_SUFFIX});
}

DialogResult LookupAdvanceDlg::command(DialogAccess& dialog, int id) {
    if (line_command(dialog, id)) return DialogResult::Stay;
    FormRecord& f = form();
    switch (id) {
    case IDC_LKADV_STORE:
        enable_all(dialog, {IDC_LKADV_FIXED, IDC_LKADV_PREFIX, IDC_LKADV_SUFFIX},
                   toggle(dialog, id, f.defaultOn[line_]));
        break;
    case kIdOk:
        f.fillChar[line_] = 0;
        store_codes();
        return DialogResult::CloseOk;
    case kIdCancel: restore_backup(); return DialogResult::CloseCancel;
    default: break;
    }
    return DialogResult::Stay;
}

}  // namespace kest::editor
