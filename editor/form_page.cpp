#include "editor/form_page.h"

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "project/defaults.h"
#include "project/names.h"
#include "project/rules.h"
#include "simulator/form_preparation.h"

namespace kest::editor {
namespace {

std::vector<std::string> numbered(std::size_t count, std::string (*name)(unsigned), unsigned first = 0) {
    std::vector<std::string> list;
    for (unsigned i = 0; i < count; ++i) list.push_back(name(first + i));
    return list;
}

bool in_line_range(int id, int first) { return id >= first && id < first + kFormLines; }

}  // namespace

LineControls line_rule(unsigned type) {
    switch (type) {
    case kFieldText:
    case kFieldInteger:
    case kFieldReal:
    case kFieldLetter:
    case kFieldAutoSign: return {true, true, true, true, true};
    case kFieldBoolean: return {true, true, true, true, false};
    case kFieldLookup: return {true, true, false, true, false};
    case kFieldFixedData: return {true, true, false, false, false};
    case kFieldHeading:
    case kFieldCounter:
    case kFieldPassDown: return {true, false, false, false, false};
    default: return {};  // "<leer>", "Erweiterung", or a code outside the list
    }
}

void reset_form(FormRecord& form) { form_defaults(form, jump::form(0)); }

void FormPage::load(const Project& project) {
    std::copy(std::begin(project.forms), std::end(project.forms), copy_.forms.begin());
    copy_.currentForm = 0;
    copy_.selectedLine = 0;
    copy_.fillFlags = {};
}

void FormPage::commit(Project& project, EditorState& state) {
    std::copy(copy_.forms.begin(), copy_.forms.end(), std::begin(project.forms));
    state.modified = true;
    project = normalised_forms(project);
}

void FormPage::follow_up(Project& project, EditorState&, SheetHost& host) {
    project = sim::prepared_forms(project);
    host.prepare_forms();
    host.restart_simulation();
}

void FormPage::init(DialogAccess& dialog) {
    const std::vector<std::string> jumps = numbered(jump::kCount, names::jump_target);
    dialog.set_list(IDC_FORM_NAME, numbered(kFormCount, names::jump_target, jump::form(0)));
    dialog.set_list(IDC_FORM_FONT, {"klein", "gro\xDF"});
    dialog.set_list(IDC_FORM_ESC, jumps);
    dialog.set_list(IDC_FORM_NEXT, jumps);
    dialog.set_list(IDC_FORM_LOOKUP_FILE, names::entries(names::kLookupFiles));
    dialog.set_list(IDC_FORM_RECORD, names::entries(names::kRecordActions));
    for (int f = 0; f < kFormLines; ++f) {
        dialog.set_list(IDC_FORM_TYPE + f, names::entries(names::kFieldTypes));
        dialog.set_list(IDC_FORM_SOURCE + f, names::entries(names::kLineSources));
        dialog.set_list(IDC_FORM_LOOKUP + f, numbered(kLookupKeyCount, names::lookup_key));
    }
    copy_.currentForm = 0;
    show_form(dialog, true);
}

// Putting the texts into the edits raises their change notifications, so every display
// text and length passes the edit rules: over-long texts are cut, Boolean lines get 1.
void FormPage::show_form(DialogAccess& dialog, bool selectName) {
    if (selectName) dialog.select(IDC_FORM_NAME, copy_.currentForm);
    const FormRecord& f = form();
    show_selection(dialog, IDC_FORM_FONT, f.font, 2);
    show_selection(dialog, IDC_FORM_ESC, f.escTarget, jump::kCount);
    show_selection(dialog, IDC_FORM_NEXT, f.nextTarget, jump::kCount);
    show_selection(dialog, IDC_FORM_LOOKUP_FILE, f.lookupFile, std::size(names::kLookupFiles));
    show_selection(dialog, IDC_FORM_RECORD, f.recordAction, std::size(names::kRecordActions));
    for (int line = 0; line < kFormLines; ++line) {
        show_prompt(dialog, line);
        show_selection(dialog, IDC_FORM_TYPE + line, form().lineType[line], std::size(names::kFieldTypes));
        show_selection(dialog, IDC_FORM_SOURCE + line, form().lineSource[line], std::size(names::kLineSources));
        show_selection(dialog, IDC_FORM_LOOKUP + line, form().lineLookupKey[line], kLookupKeyCount);
        show_length(dialog, IDC_FORM_MIN + line, form().minLength[line]);
        show_length(dialog, IDC_FORM_MAX + line, form().maxLength[line]);
    }
    apply_font_rule(dialog);
}

void FormPage::show_prompt(DialogAccess& dialog, int line) {
    dialog.set_text(IDC_FORM_PROMPT + line, cell_text(form().prompt[line]));
}

void FormPage::show_length(DialogAccess& dialog, int id, u8 value) { dialog.set_text(id, std::to_string(value)); }

void FormPage::enable_line(DialogAccess& dialog, int line) {
    const bool usable = line < line_count(form().font);
    const LineControls on = usable ? line_rule(form().lineType[line]) : LineControls{};
    dialog.enable(IDC_FORM_TYPE + line, usable);
    dialog.enable(IDC_FORM_PROMPT + line, on.prompt);
    dialog.enable(IDC_FORM_MORE + line, on.more);
    dialog.enable(IDC_FORM_SOURCE + line, on.source);
    dialog.enable(IDC_FORM_LOOKUP + line, on.lookup);
    dialog.enable(IDC_FORM_MIN + line, on.lengths);
    dialog.enable(IDC_FORM_MAX + line, on.lengths);
}

// Large font: lines 5-8 do not exist (their data stays as it is); small font: every line
// follows the line rule.
void FormPage::apply_font_rule(DialogAccess& dialog) {
    for (int line = 0; line < kFormLines; ++line) enable_line(dialog, line);
}

DialogResult FormPage::command(DialogAccess& dialog, int id) {
    FormRecord& f = form();
    if (id == IDC_FORM_NAME) {
        const int chosen = dialog.selection(IDC_FORM_NAME);
        if (chosen >= 0 && chosen < kFormCount && chosen != copy_.currentForm) {
            copy_.currentForm = chosen;
            show_form(dialog, false);
        }
    } else if (id == IDC_FORM_FONT) {
        font_changed(dialog);
    } else if (id == IDC_FORM_ESC) {
        store_selection(dialog, id, f.escTarget);
    } else if (id == IDC_FORM_NEXT) {
        store_selection(dialog, id, f.nextTarget);
    } else if (id == IDC_FORM_LOOKUP_FILE) {
        store_selection(dialog, id, f.lookupFile);
    } else if (id == IDC_FORM_RECORD) {
        store_selection(dialog, id, f.recordAction);
    } else if (in_line_range(id, IDC_FORM_TYPE)) {
        type_changed(dialog, id - IDC_FORM_TYPE);
    } else if (in_line_range(id, IDC_FORM_SOURCE)) {
        store_selection(dialog, id, f.lineSource[id - IDC_FORM_SOURCE]);
    } else if (in_line_range(id, IDC_FORM_LOOKUP)) {
        store_selection(dialog, id, f.lineLookupKey[id - IDC_FORM_LOOKUP]);
    } else if (in_line_range(id, IDC_FORM_PROMPT)) {
        prompt_changed(dialog, id - IDC_FORM_PROMPT);
    } else if (in_line_range(id, IDC_FORM_MIN)) {
        length_changed(dialog, id, f.minLength[id - IDC_FORM_MIN], id - IDC_FORM_MIN);
    } else if (in_line_range(id, IDC_FORM_MAX)) {
        length_changed(dialog, id, f.maxLength[id - IDC_FORM_MAX], id - IDC_FORM_MAX);
    } else if (in_line_range(id, IDC_FORM_MORE)) {
        copy_.selectedLine = id - IDC_FORM_MORE;
        if (f.lineType[copy_.selectedLine] == kFieldLookup) {
            dialogs_.lookup_advance(copy_);
        } else {
            dialogs_.advance(copy_);
        }
    } else if (id == IDC_FORM_STAMP) {
        dialogs_.date_time_stamp(copy_);
    } else if (id == IDC_FORM_RESET) {
        reset(dialog);
    }
    return DialogResult::Stay;
}

void FormPage::prompt_changed(DialogAccess& dialog, int line) {
    const auto text = text_edit(dialog, IDC_FORM_PROMPT + line, static_cast<std::size_t>(text_limit()));
    if (text) set_cell(form().prompt[line], *text);
}

// A Boolean line's lengths are 1 whatever is typed, and the edit shows so.
void FormPage::length_changed(DialogAccess& dialog, int id, u8& length, int line) {
    const auto value = number_edit(dialog, id, kMaxFieldLength, length);
    if (!value) return;
    if (form().lineType[line] != kFieldBoolean) {
        length = static_cast<u8>(*value);
        return;
    }
    length = 1;
    if (dialog.text(id) != "1") dialog.set_text(id, "1");
}

void FormPage::type_changed(DialogAccess& dialog, int line) {
    FormRecord& f = form();
    if (!store_selection(dialog, IDC_FORM_TYPE + line, f.lineType[line])) return;
    const u8 type = f.lineType[line];
    if (type == kFieldEmpty || type >= kFieldHeading) {
        // No detail dialog for these types: no default value, no fill character.
        f.defaultOn[line] = 0;
        std::memset(f.defaultValue[line], 0, sizeof f.defaultValue[line]);
        f.fillChar[line] = 0;
        copy_.fillFlags[static_cast<std::size_t>(copy_.currentForm)][static_cast<std::size_t>(line)] = false;
    }
    if (type == kFieldBoolean) {
        f.minLength[line] = 1;
        f.maxLength[line] = 1;
        show_length(dialog, IDC_FORM_MIN + line, 1);
        show_length(dialog, IDC_FORM_MAX + line, 1);
    }
    enable_line(dialog, line);
}

// The display texts are shown again, so that a switch to the large font cuts them to its
// 15 columns at once (OK must not commit 20-character texts into a 15-column form).
void FormPage::font_changed(DialogAccess& dialog) {
    if (!store_selection(dialog, IDC_FORM_FONT, form().font)) return;
    for (int line = 0; line < kFormLines; ++line) show_prompt(dialog, line);
    apply_font_rule(dialog);
}

void FormPage::reset(DialogAccess& dialog) {
    for (FormRecord& f : copy_.forms) reset_form(f);
    copy_.fillFlags = {};
    copy_.currentForm = 0;
    show_form(dialog, true);
}

}  // namespace kest::editor
