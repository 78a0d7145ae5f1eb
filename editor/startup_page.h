// The startup page of the editor sheet ("Startup", template STARTUPDLG): whether the
// application starts with form 1 or menu 1, the field delimiters the terminal puts between
// the fields of a record, large titles, and the twenty-six tables of the terminal's own
// screen texts, which it can reset to the defaults or import from another project file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "editor/property_sheet.h"
#include "editor/startup_page_ids.h"
#include "platform/dialog_access.h"
#include "platform/user_interface.h"
#include "project/limits.h"
#include "project/project.h"

namespace kest::editor {

namespace startup_page {
inline constexpr int kRows = 8;
}  // namespace startup_page

// The label of a text table in the selector. With large titles the 21-byte tables hold
// 15-character lines, and some of them fewer rows: "Fehlermeldungen (5x15)".
std::string catalogue_label(int table, bool largeTitles);

// The guide of a row: the default row under the title setting, as a static shows it
// ("&&" shows one ampersand).
std::string guide_text(int table, int row, bool largeTitles);

class StartupPage final : public SheetPage {
public:
    // The state the page edits, as it goes back into the project on OK.
    struct Working {
        u8 startObject = 0;
        u8 delimiterCount = 0;  // 0, 1 or 2
        u8 delimiter1 = 0;
        u8 delimiter2 = 0;
        u8 largeTitles = 0;
        TextTables texts{};
        bool textsChanged = false;
    };

    explicit StartupPage(UserInterface& ui);

    void load(const Project& project) override;
    // Writes startObject, the delimiters (those the count leaves out as 0) and largeTitles;
    // the texts only when they were changed.
    void commit(Project& project, EditorState& state) override;

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

    const Working& working() const { return *w_; }
    int selected() const { return selected_; }
    std::size_t line_width() const { return lineWidth_; }
    int rows_shown() const { return rowsShown_; }

private:
    void fill_catalogue(DialogAccess& dialog);
    void show_values(DialogAccess& dialog);
    void enable_delimiters(DialogAccess& dialog);
    void show_table(DialogAccess& dialog);
    void code_changed(DialogAccess& dialog, int k);
    void char_changed(DialogAccess& dialog, int k);
    void row_changed(DialogAccess& dialog, int row);
    // Puts a text into the other box of a delimiter without that box's echo storing it.
    void sync(DialogAccess& dialog, int id, const std::string& text);
    void switch_large_titles(DialogAccess& dialog);
    void reset(DialogAccess& dialog);
    bool import_texts(DialogAccess& dialog);
    u8& delimiter(int k) { return k == 0 ? w_->delimiter1 : w_->delimiter2; }

    UserInterface& ui_;
    std::unique_ptr<Working> w_ = std::make_unique<Working>();
    int selected_ = 0;
    std::size_t lineWidth_ = kLargeFontWidth;
    int rowsShown_ = 0;
    bool syncGuard_ = false;
    // Set while the page itself fills its edits: their echo stores nothing, so looking at
    // a table or at the delimiters never changes them.
    bool showing_ = false;
};

}  // namespace kest::editor
