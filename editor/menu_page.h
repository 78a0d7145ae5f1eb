// The menu page of the editor sheet ("Benutzermenü", template MENUDLG): the ten user menus
// (font, title, ten items with their targets, the target of ESC, the three record
// options) and the project-wide option that the collected data of each form goes into a
// file of its own. It works on a working copy taken when the page is first shown and
// written back on the sheet's OK.
#pragma once

#include <array>
#include <cstddef>

#include "editor/menu_page_ids.h"
#include "editor/property_sheet.h"
#include "platform/dialog_access.h"
#include "project/limits.h"
#include "project/project.h"

namespace kest::editor {

namespace menu_page {
inline constexpr std::size_t kTitleLimit = kSmallFontWidth;  // for both fonts
}  // namespace menu_page

struct MenuWorkingCopy {
    std::array<MenuRecord, kMenuCount> menus{};
    u8 separateFilePerForm = 0;
};

class MenuPage final : public SheetPage {
public:
    void load(const Project& project) override;
    // Writes the ten menus and separateFilePerForm; nothing else of the options.
    void commit(Project& project, EditorState& state) override;

    // Fills the lists and shows menu 1.
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

    const MenuWorkingCopy& working() const { return copy_; }
    int current() const { return current_; }
    std::size_t item_limit() const { return itemLimit_; }

private:
    MenuRecord& menu() { return copy_.menus[static_cast<std::size_t>(current_)]; }
    void show(DialogAccess& dialog);
    void apply_item_in_each_rule(DialogAccess& dialog);
    void reset(DialogAccess& dialog);

    MenuWorkingCopy copy_;
    int current_ = 0;
    std::size_t itemLimit_ = kSmallFontWidth;
};

}  // namespace kest::editor
