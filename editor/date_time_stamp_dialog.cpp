#include "editor/date_time_stamp_dialog.h"

#include <vector>

#include "editor/edit_rules.h"
#include "project/names.h"

namespace kest::editor {

namespace {

// The parts of a format in the order given, each after the first present one preceded by
// the separator. An empty separator (its code 0) adds nothing: the terminal writes none.
std::string join_parts(const std::vector<std::pair<bool, const char*>>& parts, bool separatorOn, char separator) {
    std::string text;
    bool any = false;
    for (const auto& [on, part] : parts) {
        if (!on) continue;
        if (any && separatorOn && separator != '\0') text += separator;
        text += part;
        any = true;
    }
    return text;
}

template <std::size_t N>
void show_list(DialogAccess& dialog, int id, const char* const (&list)[N], u8 value) {
    dialog.set_list(id, {std::begin(list), std::end(list)});
    dialog.select(id, value);
}

// The separator rule: one character is stored, a longer text is cut to it and put back.
void store_separator(DialogAccess& dialog, int id, char (&separator)[2]) {
    if (auto text = text_edit(dialog, id, 1)) {
        separator[0] = text->empty() ? '\0' : (*text)[0];
        separator[1] = '\0';
    }
}

}  // namespace

std::string date_preview(const FormRecord& f) {
    const std::pair<bool, const char*> year{f.yearOn != 0, f.yearDigits == 1 ? "JJ" : "JJJJ"};
    const std::pair<bool, const char*> month{f.monthOn != 0, "MM"};
    const std::pair<bool, const char*> day{f.dayOn != 0, "TT"};
    std::vector<std::pair<bool, const char*>> parts;
    switch (f.dateOrder) {
    case 0: parts = {year, month, day}; break;
    case 1: parts = {month, day, year}; break;
    case 2: parts = {day, month, year}; break;
    default: break;  // the terminal writes no date for another order
    }
    return "Datumformat : " + join_parts(parts, f.dateSepOn != 0, f.dateSep[0]);
}

std::string time_preview(const FormRecord& f) {
    return "Zeitformat : " + join_parts({{f.hourOn != 0, "HH"}, {f.minuteOn != 0, "MM"}, {f.secondOn != 0, "SS"}},
                                        f.timeSepOn != 0, f.timeSep[0]);
}

void DateTimeStampDlg::init(DialogAccess& dialog) {
    take_backup();
    FormRecord& f = form();
    show_list(dialog, IDC_STAMP_POSITION, names::kStampPositions, f.stampPosition);
    show_list(dialog, IDC_STAMP_YEAR_DIGITS, names::kYearDigits, f.yearDigits);
    show_list(dialog, IDC_STAMP_ORDER, names::kDateOrders, f.dateOrder);
    dialog.set_text(IDC_STAMP_DATE_SEP, cell_text(f.dateSep));
    dialog.set_text(IDC_STAMP_TIME_SEP, cell_text(f.timeSep));
    const std::pair<int, u8> boxes[] = {
        {IDC_STAMP_SPLIT, f.stampSplit}, {IDC_STAMP_YEAR, f.yearOn},           {IDC_STAMP_MONTH, f.monthOn},
        {IDC_STAMP_DAY, f.dayOn},        {IDC_STAMP_DATE_SEP_ON, f.dateSepOn}, {IDC_STAMP_HOUR, f.hourOn},
        {IDC_STAMP_MINUTE, f.minuteOn},  {IDC_STAMP_SECOND, f.secondOn},       {IDC_STAMP_TIME_SEP_ON, f.timeSepOn},
    };
    for (const auto& [id, flag] : boxes) dialog.set_checked(id, flag != 0);
    show_previews(dialog);
}

void DateTimeStampDlg::show_previews(DialogAccess& dialog) {
    dialog.set_text(IDC_STAMP_DATE_GROUP, date_preview(form()));
    dialog.set_text(IDC_STAMP_TIME_GROUP, time_preview(form()));
}

DialogResult DateTimeStampDlg::command(DialogAccess& dialog, int id) {
    FormRecord& f = form();
    switch (id) {
    case IDC_STAMP_SPLIT: toggle(dialog, id, f.stampSplit); break;
    case IDC_STAMP_YEAR: toggle(dialog, id, f.yearOn); break;
    case IDC_STAMP_MONTH: toggle(dialog, id, f.monthOn); break;
    case IDC_STAMP_DAY: toggle(dialog, id, f.dayOn); break;
    case IDC_STAMP_DATE_SEP_ON: toggle(dialog, id, f.dateSepOn); break;
    case IDC_STAMP_HOUR: toggle(dialog, id, f.hourOn); break;
    case IDC_STAMP_MINUTE: toggle(dialog, id, f.minuteOn); break;
    case IDC_STAMP_SECOND: toggle(dialog, id, f.secondOn); break;
    case IDC_STAMP_TIME_SEP_ON: toggle(dialog, id, f.timeSepOn); break;
    case IDC_STAMP_DATE_SEP: store_separator(dialog, id, f.dateSep); break;
    case IDC_STAMP_TIME_SEP: store_separator(dialog, id, f.timeSep); break;
    case IDC_STAMP_POSITION: store_selection(dialog, id, f.stampPosition); return DialogResult::Stay;
    case IDC_STAMP_YEAR_DIGITS: store_selection(dialog, id, f.yearDigits); break;
    case IDC_STAMP_ORDER: store_selection(dialog, id, f.dateOrder); break;
    case kIdOk: return DialogResult::CloseOk;
    case kIdCancel: restore_backup(); return DialogResult::CloseCancel;
    default: return DialogResult::Stay;
    }
    show_previews(dialog);
    return DialogResult::Stay;
}

}  // namespace kest::editor
