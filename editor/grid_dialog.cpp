#include "editor/grid_dialog.h"

namespace kest::editor {

void GridDlg::init(DialogAccess& dialog) {
    codes_ = {};
    length_ = code_count(target_);
    for (int i = 0; i < length_; ++i) codes_[static_cast<std::size_t>(i)] = target_[static_cast<std::size_t>(i)];
    result_ = code_text(codes_);
    selected_ = {};
    show_result(dialog);
}

DialogResult GridDlg::command(DialogAccess& dialog, int id) {
    switch (id) {
    case IDC_GRID_CLEAR:
        codes_ = {};
        length_ = 0;
        result_.clear();
        show_result(dialog);
        return DialogResult::Stay;
    case kIdOk: target_ = codes_; return DialogResult::CloseOk;
    case kIdCancel: return DialogResult::CloseCancel;
    default: return DialogResult::Stay;
    }
}

bool GridDlg::click(DialogAccess& dialog, int x, int y, int width, int height) {
    const auto cell = GridGeometry(width, height).cell_at(x, y);
    if (!cell || cell->code() == 0) return false;
    selected_ = *cell;
    if (length_ >= kCodeCapacity) {
        ui_.message("Zu viele Zeichen !!!", "Fehler", Icon::Warning, Buttons::Ok);
        return true;
    }
    codes_[static_cast<std::size_t>(length_++)] = static_cast<u8>(cell->code());
    result_ += '[';
    result_ += code_label(cell->code());
    result_ += ']';
    show_result(dialog);
    return true;
}

}  // namespace kest::editor
