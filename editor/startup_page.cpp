#include "editor/startup_page.h"

#include <vector>

#include "editor/edit_rules.h"
#include "project/defaults.h"
#include "project/limits.h"
#include "project/project_file.h"

namespace kest::editor {
namespace {

using namespace startup_page;

constexpr int kUtilitiesTable = 1;

bool wide(int table) { return text_table_info(table).cellSize == kCell20; }

std::string delimiter_text(u8 code) { return code == 0 ? std::string() : std::string(1, static_cast<char>(code)); }

FileDialogRequest import_request() {
    FileDialogRequest r;
    r.filters = {{"Application Generator Files (*.AGX)", "*.AGX"}};
    r.mustExist = true;
    r.hideReadOnly = true;
    return r;
}

}  // namespace

std::string catalogue_label(int table, bool largeTitles) {
    const TextTableInfo& info = text_table_info(table);
    const std::string label = info.label;
    if (!largeTitles || !wide(table)) return label;
    return label.substr(0, label.rfind('(')) + "(" + std::to_string(info.shownLarge) + "x15)";
}

std::string guide_text(int table, int row, bool largeTitles) {
    if (table == kUtilitiesTable && row == 4) return "5. Datum && Zeit setzen";
    if (table == kUtilitiesTable && row == 6 && !largeTitles) return "7. Speicher && Batterie";
    return title_default_row(table, row, largeTitles);
}

StartupPage::StartupPage(UserInterface& ui) : ui_(ui) {}

void StartupPage::load(const Project& project) {
    const ApplicationOptions& o = project.options;
    Working& w = *w_;
    w.startObject = o.startObject;
    w.delimiter1 = o.delimiter1;
    w.delimiter2 = o.delimiter2;
    // A second delimiter counts even without a first one, so that OK keeps it.
    w.delimiterCount = o.delimiter2 != 0 ? 2 : o.delimiter1 != 0 ? 1 : 0;
    w.largeTitles = o.largeTitles;
    w.texts = project.texts;
    w.textsChanged = false;
    selected_ = 0;
    syncGuard_ = false;
}

void StartupPage::commit(Project& project, EditorState&) {
    ApplicationOptions& o = project.options;
    const Working& w = *w_;
    o.delimiter1 = w.delimiter1;
    o.startObject = w.startObject;
    o.delimiter2 = w.delimiter2;
    o.largeTitles = w.largeTitles;
    if (w.delimiterCount < 2) o.delimiter2 = 0;
    if (w.delimiterCount == 0) o.delimiter1 = 0;
    if (w.textsChanged) project.texts = w.texts;
}

void StartupPage::init(DialogAccess& dialog) {
    dialog.set_list(IDC_STARTUP_START, {"Maske 1", "Men\xFC 1"});
    dialog.set_list(IDC_STARTUP_COUNT, {"<leer>", " 1 ", " 2 "});
    dialog.set_checked(IDC_STARTUP_LARGE_TITLES, w_->largeTitles != 0);
    fill_catalogue(dialog);
    show_values(dialog);
    show_table(dialog);
}

void StartupPage::fill_catalogue(DialogAccess& dialog) {
    std::vector<std::string> labels;
    for (int table = 0; table < kTextTableCount; ++table)
        labels.push_back(catalogue_label(table, w_->largeTitles != 0));
    dialog.set_list(IDC_STARTUP_TABLE, labels);
    dialog.select(IDC_STARTUP_TABLE, selected_);
}

void StartupPage::show_values(DialogAccess& dialog) {
    showing_ = true;
    dialog.select(IDC_STARTUP_START, w_->startObject);
    dialog.select(IDC_STARTUP_COUNT, w_->delimiterCount);
    for (int k = 0; k < 2; ++k) {
        dialog.set_text(IDC_STARTUP_CODE + k, std::to_string(delimiter(k)));
        dialog.set_text(IDC_STARTUP_CHAR + k, delimiter_text(delimiter(k)));
    }
    showing_ = false;
    enable_delimiters(dialog);
    dialog.select(IDC_STARTUP_TABLE, selected_);
}

void StartupPage::enable_delimiters(DialogAccess& dialog) {
    for (int k = 0; k < 2; ++k) {
        const bool on = w_->delimiterCount > k;
        dialog.enable(IDC_STARTUP_CODE + k, on);
        dialog.enable(IDC_STARTUP_CHAR + k, on);
    }
}

// Rows the table does not show are blanked and disabled. Filling the edits stores nothing:
// a blanked row would otherwise store its spaces into a row that the terminal shows (the
// fourth row of the main menu), and a large-title row of 16 characters would lose its last.
void StartupPage::show_table(DialogAccess& dialog) {
    const TextTableInfo& info = text_table_info(selected_);
    const bool large = w_->largeTitles != 0;
    lineWidth_ = wide(selected_) && !large ? kSmallFontWidth : kLargeFontWidth;
    rowsShown_ = large ? info.shownLarge : info.shownSmall;
    const std::string blank(lineWidth_, ' ');
    showing_ = true;
    for (int row = 0; row < kRows; ++row) {
        const bool shown = row < rowsShown_;
        dialog.set_text(IDC_STARTUP_GUIDE + row, shown ? guide_text(selected_, row, large) : blank);
        dialog.set_text(IDC_STARTUP_ROW + row,
                        shown ? cell_text(text_cell(w_->texts, selected_, row), info.cellSize) : blank);
        dialog.enable(IDC_STARTUP_GUIDE + row, shown);
        dialog.enable(IDC_STARTUP_ROW + row, shown);
    }
    showing_ = false;
}

void StartupPage::sync(DialogAccess& dialog, int id, const std::string& text) {
    syncGuard_ = true;
    dialog.set_text(id, text);
    syncGuard_ = false;
}

// The code box: a number up to 255 is the delimiter; a letter becomes 0, and a number
// above 255 puts the delimiter's code back.
void StartupPage::code_changed(DialogAccess& dialog, int k) {
    const auto code = number_edit(dialog, IDC_STARTUP_CODE + k, 0xFF, delimiter(k));
    if (!code) return;
    delimiter(k) = static_cast<u8>(*code);
    sync(dialog, IDC_STARTUP_CHAR + k, delimiter_text(delimiter(k)));
}

// The character box holds one character (none is 0); a longer text is cut to its first.
void StartupPage::char_changed(DialogAccess& dialog, int k) {
    const int id = IDC_STARTUP_CHAR + k;
    const std::string text = dialog.text(id);
    if (text.size() > 1) {
        dialog.set_text(id, text.substr(0, 1));
        return;
    }
    delimiter(k) = text.empty() ? 0 : static_cast<u8>(text[0]);
    sync(dialog, IDC_STARTUP_CODE + k, std::to_string(delimiter(k)));
}

void StartupPage::row_changed(DialogAccess& dialog, int row) {
    if (row >= rowsShown_) return;
    if (auto text = text_edit(dialog, IDC_STARTUP_ROW + row, lineWidth_)) {
        set_cell(text_cell(w_->texts, selected_, row), text_table_info(selected_).cellSize, *text);
        w_->textsChanged = true;
    }
}

void StartupPage::switch_large_titles(DialogAccess& dialog) {
    w_->largeTitles = dialog.checked(IDC_STARTUP_LARGE_TITLES) ? 1 : 0;
    dialog.set_checked(IDC_STARTUP_LARGE_TITLES, w_->largeTitles != 0);
    fill_catalogue(dialog);
    apply_large_titles(w_->texts, w_->largeTitles != 0);
    w_->textsChanged = true;
    show_table(dialog);
}

void StartupPage::reset(DialogAccess& dialog) {
    Working& w = *w_;
    w.startObject = 0;
    w.delimiterCount = 1;
    w.delimiter1 = ';';
    w.delimiter2 = 0;
    syncGuard_ = false;
    selected_ = 0;
    text_defaults(w.texts, w.largeTitles != 0);
    w.textsChanged = true;
    show_values(dialog);
    show_table(dialog);
}

// The texts and the title setting of another project file, current or older layout. The
// file is read whole into a project of its own first: a file that is not a project or is
// cut short changes nothing here.
bool StartupPage::import_texts(DialogAccess& dialog) {
    const auto chosen = ui_.choose_open_file(import_request());
    if (!chosen) return false;
    auto source = std::make_unique<Project>();
    reset_to_defaults(*source);  // an older file supplies only some of the rows
    const ProjectReadResult result = read_project_file(*chosen, *source);
    if (result.status == ProjectReadResult::Status::CannotOpen) return false;
    if (!result.ok()) {
        ui_.message(kFormatErrorText, kErrorCaption, Icon::Warning, Buttons::Ok);
        return false;
    }
    w_->texts = source->texts;
    w_->largeTitles = source->options.largeTitles;
    w_->textsChanged = true;
    dialog.set_checked(IDC_STARTUP_LARGE_TITLES, w_->largeTitles != 0);
    fill_catalogue(dialog);
    selected_ = 0;
    dialog.select(IDC_STARTUP_TABLE, selected_);
    show_table(dialog);
    return true;
}

DialogResult StartupPage::command(DialogAccess& dialog, int id) {
    const bool edit = id >= 501 && id <= 599;
    if (edit && (showing_ || syncGuard_)) return DialogResult::Stay;  // the page's own filling
    if (id >= IDC_STARTUP_ROW && id < IDC_STARTUP_ROW + kRows) {
        row_changed(dialog, id - IDC_STARTUP_ROW);
        return DialogResult::Stay;
    }
    switch (id) {
    case IDC_STARTUP_CODE:
    case IDC_STARTUP_CODE + 1: code_changed(dialog, id - IDC_STARTUP_CODE); break;
    case IDC_STARTUP_CHAR:
    case IDC_STARTUP_CHAR + 1: char_changed(dialog, id - IDC_STARTUP_CHAR); break;
    case IDC_STARTUP_COUNT:
        store_selection(dialog, id, w_->delimiterCount);
        enable_delimiters(dialog);
        break;
    case IDC_STARTUP_START: store_selection(dialog, id, w_->startObject); break;
    case IDC_STARTUP_TABLE: {
        const int index = dialog.selection(id);
        if (index >= 0 && index < kTextTableCount) {
            selected_ = index;
            show_table(dialog);
        }
        break;
    }
    case IDC_STARTUP_LARGE_TITLES: switch_large_titles(dialog); break;
    case IDC_STARTUP_IMPORT: import_texts(dialog); break;
    case IDC_STARTUP_DEFAULTS: reset(dialog); break;
    default: break;
    }
    return DialogResult::Stay;
}

}  // namespace kest::editor
