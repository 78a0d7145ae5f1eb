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
    using namespace stamp_ids;
    take_backup();
    FormRecord& f = form();
    show_list(dialog, kPositionList, names::kStampPositions, f.stampPosition);
    show_list(dialog, kYearDigitsList, names::kYearDigits, f.yearDigits);
    show_list(dialog, kOrderList, names::kDateOrders, f.dateOrder);
    dialog.set_text(kDateSepEdit, cell_text(f.dateSep));
    dialog.set_text(kTimeSepEdit, cell_text(f.timeSep));
    const std::pair<int, u8> boxes[] = {
        {kSplit, f.stampSplit}, {kYear, f.yearOn},         {kMonth, f.monthOn},
        {kDay, f.dayOn},        {kDateSepOn, f.dateSepOn}, {kHour, f.hourOn},
        {kMinute, f.minuteOn},  {kSecond, f.secondOn},     {kTimeSepOn, f.timeSepOn},
    };
    for (const auto& [id, flag] : boxes) dialog.set_checked(id, flag != 0);
    show_previews(dialog);
}

void DateTimeStampDlg::show_previews(DialogAccess& dialog) {
    dialog.set_text(stamp_ids::kDateGroup, date_preview(form()));
    dialog.set_text(stamp_ids::kTimeGroup, time_preview(form()));
}

DialogResult DateTimeStampDlg::command(DialogAccess& dialog, int id) {
    using namespace stamp_ids;
    FormRecord& f = form();
    switch (id) {
    case kSplit: toggle(dialog, id, f.stampSplit); break;
    case kYear: toggle(dialog, id, f.yearOn); break;
    case kMonth: toggle(dialog, id, f.monthOn); break;
    case kDay: toggle(dialog, id, f.dayOn); break;
    case kDateSepOn: toggle(dialog, id, f.dateSepOn); break;
    case kHour: toggle(dialog, id, f.hourOn); break;
    case kMinute: toggle(dialog, id, f.minuteOn); break;
    case kSecond: toggle(dialog, id, f.secondOn); break;
    case kTimeSepOn: toggle(dialog, id, f.timeSepOn); break;
    case kDateSepEdit: store_separator(dialog, id, f.dateSep); break;
    case kTimeSepEdit: store_separator(dialog, id, f.timeSep); break;
    case kPositionList: store_selection(dialog, id, f.stampPosition); return DialogResult::Stay;
    case kYearDigitsList: store_selection(dialog, id, f.yearDigits); break;
    case kOrderList: store_selection(dialog, id, f.dateOrder); break;
    case kIdOk: return DialogResult::CloseOk;
    case kIdCancel: restore_backup(); return DialogResult::CloseCancel;
    default: return DialogResult::Stay;
    }
    show_previews(dialog);
    return DialogResult::Stay;
}

}  // namespace kest::editor
