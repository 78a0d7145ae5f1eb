// The face of "GridDlg": paints the grid and the result field from the portable paint plans
// and forwards clicks in the grid to the logic.
#pragma once

#include "editor/grid_dialog.h"
#include "platform/win32/dialog.h"
#include "platform/win32/win32_ui.h"

namespace kest::win32 {

class GridFace final : public Dialog {
public:
    // `field`: the prefix or suffix field it was opened from; the grid opens next to it, so
    // that the field stays in sight.
    GridFace(editor::CodeSequence& target, HWND field)
        : field_(field), ui_(GetModuleHandleA(nullptr)), logic_(target, ui_) {}

protected:
    void on_init() override;
    void on_command(int id) override;

private:
    static LRESULT CALLBACK cells_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    static LRESULT CALLBACK result_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self);
    void repaint();
    void place_beside_field();

    HWND field_;
    Win32Ui ui_;
    editor::GridDlg logic_;
};

}  // namespace kest::win32
