// The menu page of the editor sheet ("Benutzermenü", template MENUDLG): the ten user menus
// (font, title, ten items with their targets, the target of ESC, the three record
// options) and the project-wide option that the collected data of each form goes into a
// file of its own. It works on a working copy taken when the page is first shown and
// written back on the sheet's OK.
#pragma once

#include <array>
#include <cstddef>

#include "editor/dialog_access.h"
#include "editor/property_sheet.h"
#include "project/project.h"

namespace kest::editor {

namespace menu_page {
inline constexpr int kMenuList = 690;        // "Name :", "Menü  1" to "Menü  10"
inline constexpr int kFontList = 691;        // "Schriftart :", "klein" / "groß"
inline constexpr int kEscList = 692;         // "Esc :"
inline constexpr int kTitleCheck = 101;      // "Menü-Überschrift"
inline constexpr int kSaveTitleCheck = 102;  // "Überschrift speichern (als einzelnen Datensatz)"
inline constexpr int kSaveItemCheck = 103;   // "Menüpunkt speichern (als einzelnen Datensatz)"
inline constexpr int kItemInEachCheck = 104; // "Menüpunkt speichern (in jedem Datensatz)"
inline constexpr int kSeparateFileCheck = 105;
inline constexpr int kDefaultsButton = 201;  // "Grundeinstellungen"
inline constexpr int kTitleEdit = 591;
inline constexpr int kFirstItemEdit = 501;   // 501-510, "#1" to "#10"
inline constexpr int kFirstTargetList = 601; // 601-610, "Sprung zu"
inline constexpr std::size_t kTitleLimit = 20;
}  // namespace menu_page

struct MenuWorkingCopy {
    std::array<MenuRecord, kMenuCount> menus{};
    u8 separateFilePerForm = 0;
};

// Characters an item may have in a menu of this font: 15 in the large font, 20 in the small.
std::size_t menu_item_limit(u8 font);

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
    std::size_t itemLimit_ = 20;
};

}  // namespace kest::editor
