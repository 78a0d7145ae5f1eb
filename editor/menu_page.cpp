#include "editor/menu_page.h"

#include <algorithm>
#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "project/defaults.h"
#include "project/names.h"
#include "project/rules.h"

namespace kest::editor {
namespace {

using namespace menu_page;

std::vector<std::string> target_entries() {
    std::vector<std::string> entries;
    for (unsigned target = 0; target < jump::kCount; ++target) entries.push_back(names::jump_target(target));
    return entries;
}

u8 flag(bool on) { return on ? 1 : 0; }

}  // namespace

void MenuPage::load(const Project& project) {
    std::copy(std::begin(project.menus), std::end(project.menus), copy_.menus.begin());
    copy_.separateFilePerForm = project.options.separateFilePerForm;
    current_ = 0;
}

void MenuPage::commit(Project& project, EditorState&) {
    std::copy(copy_.menus.begin(), copy_.menus.end(), std::begin(project.menus));
    project.options.separateFilePerForm = copy_.separateFilePerForm;
}

void MenuPage::init(DialogAccess& dialog) {
    std::vector<std::string> menus;
    for (int i = 0; i < kMenuCount; ++i) menus.push_back(names::jump_target(jump::menu(i)));
    dialog.set_list(IDC_MENU_NAME, menus);
    dialog.set_list(IDC_MENU_FONT, {"klein", "gro\xDF"});
    const std::vector<std::string> targets = target_entries();
    dialog.set_list(IDC_MENU_ESC, targets);
    for (int i = 0; i < kMenuItems; ++i) dialog.set_list(IDC_MENU_TARGET + i, targets);
    current_ = 0;
    show(dialog);
}

// The limit is taken from the menu's font before its texts go into the edits: their echo
// cuts to it, and the limit of the menu shown before would cut a small-font menu's items
// to 15 characters just by looking at it.
void MenuPage::show(DialogAccess& dialog) {
    MenuRecord& m = menu();
    itemLimit_ = static_cast<std::size_t>(line_width(m.font));
    dialog.select(IDC_MENU_NAME, current_);
    dialog.select(IDC_MENU_FONT, m.font);
    dialog.select(IDC_MENU_ESC, m.escTarget);
    dialog.set_checked(IDC_MENU_TITLE_ON, m.titleEnabled != 0);
    dialog.enable(IDC_MENU_TITLE, m.titleEnabled != 0);
    dialog.set_text(IDC_MENU_TITLE, cell_text(m.title));
    for (int i = 0; i < kMenuItems; ++i) {
        dialog.set_text(IDC_MENU_ITEM + i, cell_text(m.items[i]));
        dialog.select(IDC_MENU_TARGET + i, m.itemTarget[i]);
    }
    dialog.set_checked(IDC_MENU_SAVE_TITLE, m.saveTitle != 0);
    dialog.set_checked(IDC_MENU_SAVE_ITEM, m.saveItemSeparately != 0);
    dialog.set_checked(IDC_MENU_SEPARATE_FILE, copy_.separateFilePerForm != 0);
    apply_item_in_each_rule(dialog);
}

// With one file per form, the item goes into each record exactly when the title or the
// item is stored as a record of its own. The option is project-wide, so every menu
// follows it, not only the one shown.
void MenuPage::apply_item_in_each_rule(DialogAccess& dialog) {
    const bool separate = copy_.separateFilePerForm != 0;
    for (MenuRecord& m : copy_.menus) {
        const bool stored = m.saveTitle != 0 || m.saveItemSeparately != 0;
        if (separate || !stored) m.saveItemInEachRecord = flag(separate && stored);
    }
    const MenuRecord& m = menu();
    dialog.enable(IDC_MENU_ITEM_IN_EACH, !separate && (m.saveTitle != 0 || m.saveItemSeparately != 0));
    dialog.set_checked(IDC_MENU_ITEM_IN_EACH, m.saveItemInEachRecord != 0);
}

void MenuPage::reset(DialogAccess& dialog) {
    for (MenuRecord& m : copy_.menus) menu_defaults(m);
    copy_.separateFilePerForm = 0;
    current_ = 0;
    show(dialog);
}

DialogResult MenuPage::command(DialogAccess& dialog, int id) {
    MenuRecord& m = menu();
    if (id >= IDC_MENU_ITEM && id < IDC_MENU_ITEM + kMenuItems) {
        if (auto text = text_edit(dialog, id, itemLimit_)) set_cell(m.items[id - IDC_MENU_ITEM], *text);
        return DialogResult::Stay;
    }
    if (id >= IDC_MENU_TARGET && id < IDC_MENU_TARGET + kMenuItems) {
        store_selection(dialog, id, m.itemTarget[id - IDC_MENU_TARGET]);
        return DialogResult::Stay;
    }
    switch (id) {
    case IDC_MENU_NAME: {
        const int index = dialog.selection(IDC_MENU_NAME);
        if (index >= 0 && index < kMenuCount && index != current_) {
            current_ = index;
            show(dialog);
        }
        break;
    }
    case IDC_MENU_FONT: store_selection(dialog, id, m.font); break;
    case IDC_MENU_ESC: store_selection(dialog, id, m.escTarget); break;
    case IDC_MENU_TITLE_ON:
        m.titleEnabled = flag(dialog.checked(id));
        dialog.enable(IDC_MENU_TITLE, m.titleEnabled != 0);
        break;
    case IDC_MENU_TITLE:
        if (auto text = text_edit(dialog, id, kTitleLimit)) set_cell(m.title, *text);
        break;
    case IDC_MENU_SAVE_TITLE:
        m.saveTitle = flag(dialog.checked(id));
        apply_item_in_each_rule(dialog);
        break;
    case IDC_MENU_SAVE_ITEM:
        m.saveItemSeparately = flag(dialog.checked(id));
        apply_item_in_each_rule(dialog);
        break;
    case IDC_MENU_ITEM_IN_EACH: m.saveItemInEachRecord = flag(dialog.checked(id)); break;
    case IDC_MENU_SEPARATE_FILE:
        copy_.separateFilePerForm = flag(dialog.checked(id));
        apply_item_in_each_rule(dialog);
        break;
    case IDC_MENU_DEFAULTS: reset(dialog); break;
    default: break;
    }
    return DialogResult::Stay;
}

}  // namespace kest::editor
