// The character grid dialog ("GridDlg", "The Grid Control"): picks up to ten codes one by
// one from the 16 x 16 grid into the prefix or suffix buffer of a line dialog. OK hands the
// chosen codes to that buffer; Cancel leaves it as it was.
#pragma once

#include "editor/code_grid.h"
#include "editor/grid_ids.h"
#include "platform/dialog_access.h"
#include "platform/user_interface.h"

namespace kest::editor {

class GridDlg {
public:
    // `target` is the buffer of the field the grid was opened from.
    GridDlg(CodeSequence& target, UserInterface& ui) : target_(target), ui_(ui) {}

    // Loads the target's codes (up to the first zero) and shows their text; cell "00"/"00"
    // is selected.
    void init(DialogAccess& dialog);
    // "Löschen", OK and Cancel.
    DialogResult command(DialogAccess& dialog, int id);
    // A left click at (x, y) in the grid's client area of the given size: selects the cell
    // and appends its code. Headers, the area outside the cells and the cell of code 0x00
    // (which would end the stored sequence) take no click. True when something changed.
    bool click(DialogAccess& dialog, int x, int y, int width, int height);

    GridCell selected() const { return selected_; }
    const CodeSequence& codes() const { return codes_; }
    int length() const { return length_; }
    const std::string& result_text() const { return result_; }

private:
    void show_result(DialogAccess& dialog) { dialog.set_text(IDC_GRID_RESULT, result_); }

    CodeSequence& target_;
    UserInterface& ui_;
    CodeSequence codes_{};
    int length_ = 0;
    std::string result_;
    GridCell selected_{};
};

}  // namespace kest::editor
