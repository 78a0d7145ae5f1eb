#include "editor/menu_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "project/defaults.h"
#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using namespace menu_page;
using testing::MapDialog;

const std::string k20 = "ABCDEFGHIJKLMNOPQRST";

// The page opened on a default project that the test may change first.
struct MenuSheet {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    EditorState state;
    MenuPage page;
    MapDialog face;

    MenuSheet() {
        std::memset(project.get(), 0, sizeof(Project));
        reset_to_defaults(*project);
    }
    MenuRecord& menu(int i) { return project->menus[i]; }
    void open() {
        page.load(*project);
        face.attach(page);
        page.init(face);
    }
    const MenuRecord& edited(int i) const { return page.working().menus[static_cast<std::size_t>(i)]; }
    std::string item(int menu, int i) const { return cell_text(edited(menu).items[i]); }
    void ok() { page.commit(*project, state); }
};

TEST(MenuPage, OpensOnMenuOneWithItsListsAndValues) {
    MenuSheet s;
    s.menu(0).font = 1;
    s.menu(0).escTarget = 12;
    s.menu(0).itemTarget[2] = 5;
    set_cell(s.menu(0).items[1], "Lager");
    s.open();
    ASSERT_EQ(s.face.lists[IDC_MENU_NAME].size(), 10u);
    EXPECT_EQ(s.face.lists[IDC_MENU_NAME][9], "Men\xFC  10");
    EXPECT_EQ(s.face.lists[IDC_MENU_FONT], (std::vector<std::string>{"klein", "gro\xDF"}));
    ASSERT_EQ(s.face.lists[IDC_MENU_ESC].size(), 21u);
    EXPECT_EQ(s.face.lists[IDC_MENU_ESC][0], "Startmaske");
    EXPECT_EQ(s.face.lists[IDC_MENU_TARGET + 9][10], "Maske  10");
    EXPECT_EQ(s.face.lists[IDC_MENU_TARGET + 9][11], "Men\xFC  1");
    EXPECT_EQ(s.face.selection(IDC_MENU_NAME), 0);
    EXPECT_EQ(s.face.selection(IDC_MENU_FONT), 1);
    EXPECT_EQ(s.face.selection(IDC_MENU_ESC), 12);
    EXPECT_EQ(s.face.selection(IDC_MENU_TARGET + 2), 5);
    EXPECT_EQ(s.face.text(IDC_MENU_ITEM + 1), "Lager");
    EXPECT_FALSE(s.face.is_enabled(IDC_MENU_TITLE));
    EXPECT_EQ(s.page.item_limit(), 15u);
}

TEST(MenuPage, ItemAndTitleLimits) {
    struct Case {
        u8 font;
        int id;
        std::string typed;
        std::string kept;
    };
    const Case cases[] = {
        {1, IDC_MENU_ITEM + 3, k20.substr(0, 16), k20.substr(0, 15)},  // 16th character of a large-font item
        {1, IDC_MENU_ITEM, k20.substr(0, 15), k20.substr(0, 15)},
        {0, IDC_MENU_ITEM + 9, k20 + "U", k20},
        {0, IDC_MENU_TITLE, k20 + "UVWXY", k20},  // 25 characters
        {1, IDC_MENU_TITLE, k20 + "UVWXY", k20},  // the title keeps 20 in the large font too
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed + " in " + std::to_string(c.id));
        MenuSheet s;
        s.menu(0).font = c.font;
        s.open();
        s.face.type(c.id, c.typed);
        EXPECT_EQ(s.face.text(c.id), c.kept);
        s.ok();
        const MenuRecord& m = s.project->menus[0];
        EXPECT_EQ(c.id == IDC_MENU_TITLE ? cell_text(m.title) : cell_text(m.items[c.id - IDC_MENU_ITEM]), c.kept);
    }
}

// Looking at a menu must not cut it, whatever was shown before.
TEST(MenuPage, ViewingKeepsEveryItem) {
    MenuSheet s;
    s.menu(0).font = 1;
    for (int i = 0; i < 10; ++i) set_cell(s.menu(1).items[i], k20);
    set_cell(s.menu(1).title, k20);
    s.open();
    s.face.choose(IDC_MENU_NAME, 1);
    EXPECT_EQ(s.page.item_limit(), 20u);
    s.face.choose(IDC_MENU_NAME, 0);
    s.face.choose(IDC_MENU_NAME, 1);
    s.ok();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(cell_text(s.project->menus[1].items[i]), k20) << i;
    EXPECT_EQ(cell_text(s.project->menus[1].title), k20);
}

// The font list changes the font only; the limit follows when the menu is shown again.
TEST(MenuPage, FontChoiceTakesEffectWhenTheMenuIsShownAgain) {
    MenuSheet s;
    set_cell(s.menu(0).items[0], k20);
    s.open();
    s.face.choose(IDC_MENU_FONT, 1);
    EXPECT_EQ(s.edited(0).font, 1);
    EXPECT_EQ(s.page.item_limit(), 20u);
    EXPECT_EQ(s.item(0, 0), k20);
    s.face.choose(IDC_MENU_NAME, 4);
    s.face.choose(IDC_MENU_NAME, 0);
    EXPECT_EQ(s.page.item_limit(), 15u);
    EXPECT_EQ(s.item(0, 0), k20.substr(0, 15));
}

TEST(MenuPage, ItemInEachRecordRule) {
    struct Case {
        bool separate, title, item;
        bool checked, enabled;
    };
    const Case cases[] = {
        {true, true, false, true, false},    {true, false, true, true, false},  {true, false, false, false, false},
        {false, false, false, false, false}, {false, true, false, false, true}, {false, true, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.separate) + std::to_string(c.title) + std::to_string(c.item));
        MenuSheet s;
        s.open();
        s.face.click_check(IDC_MENU_SEPARATE_FILE, c.separate);
        s.face.click_check(IDC_MENU_SAVE_TITLE, c.title);
        s.face.click_check(IDC_MENU_SAVE_ITEM, c.item);
        EXPECT_EQ(s.face.checked(IDC_MENU_ITEM_IN_EACH), c.checked);
        EXPECT_EQ(s.face.is_enabled(IDC_MENU_ITEM_IN_EACH), c.enabled);
        EXPECT_EQ(s.edited(0).saveItemInEachRecord, c.checked ? 1 : 0);
    }
}

TEST(MenuPage, ItemInEachRecordCanBeChosenWithoutOneFilePerForm) {
    MenuSheet s;
    s.open();
    s.face.click_check(IDC_MENU_SAVE_TITLE, true);
    s.face.click_check(IDC_MENU_ITEM_IN_EACH, true);
    EXPECT_EQ(s.edited(0).saveItemInEachRecord, 1);
    s.face.click_check(IDC_MENU_SAVE_TITLE, false);  // neither stored: nothing to put in each record
    EXPECT_EQ(s.edited(0).saveItemInEachRecord, 0);
    EXPECT_FALSE(s.face.is_enabled(IDC_MENU_ITEM_IN_EACH));
}

// One file per form is one byte for the whole project: every menu follows it.
TEST(MenuPage, OneFilePerFormAppliesToAllTenMenus) {
    MenuSheet s;
    s.menu(3).saveTitle = 1;
    s.menu(7).saveItemSeparately = 1;
    s.menu(8).saveItemInEachRecord = 1;  // stores nothing of its own
    s.open();
    s.face.click_check(IDC_MENU_SEPARATE_FILE, true);
    s.ok();
    EXPECT_EQ(s.project->options.separateFilePerForm, 1);
    for (int i = 0; i < kMenuCount; ++i)
        EXPECT_EQ(s.project->menus[i].saveItemInEachRecord, i == 3 || i == 7 ? 1 : 0) << i;
}

TEST(MenuPage, DefaultsClearAllTenMenus) {
    MenuSheet s;
    for (int i = 0; i < kMenuCount; ++i) {
        MenuRecord& m = s.menu(i);
        m.font = 1, m.titleEnabled = 1, m.escTarget = 3, m.saveTitle = 1, m.itemCount = 4, m.runtime = 2;
        set_cell(m.title, "Titel");
        for (int k = 0; k < 10; ++k) set_cell(m.items[k], "Punkt"), m.itemTarget[k] = 15;
    }
    s.project->options.separateFilePerForm = 1;
    s.open();
    s.face.choose(IDC_MENU_NAME, 6);
    s.face.click(IDC_MENU_DEFAULTS);
    EXPECT_EQ(s.page.current(), 0);
    EXPECT_EQ(s.face.selection(IDC_MENU_NAME), 0);
    EXPECT_EQ(s.page.item_limit(), 20u);
    EXPECT_EQ(s.face.text(IDC_MENU_ITEM), "");
    EXPECT_FALSE(s.face.checked(IDC_MENU_SEPARATE_FILE));
    s.ok();
    EXPECT_EQ(s.project->options.separateFilePerForm, 0);
    for (int i = 0; i < kMenuCount; ++i) {
        const MenuRecord& m = s.project->menus[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(
            m.font + m.titleEnabled + m.escTarget + m.saveTitle + m.saveItemInEachRecord + m.itemCount + m.runtime, 0);
        EXPECT_EQ(m.title[0], '\0');
        for (int k = 0; k < 10; ++k) EXPECT_EQ(m.items[k][0] | m.itemTarget[k], 0);
    }
}

TEST(MenuPage, EditsReachTheProjectOnlyThroughCommit) {
    MenuSheet s;
    s.open();
    s.face.choose(IDC_MENU_NAME, 2);
    s.face.click_check(IDC_MENU_TITLE_ON, true);
    EXPECT_TRUE(s.face.is_enabled(IDC_MENU_TITLE));
    s.face.type(IDC_MENU_TITLE, "Wareneingang");
    s.face.type(IDC_MENU_ITEM + 1, "Zweiter");
    s.face.choose(IDC_MENU_TARGET + 1, 12);
    s.face.choose(IDC_MENU_ESC, 11);
    EXPECT_EQ(s.project->menus[2].titleEnabled, 0);
    s.project->options.sendPort = 3;  // another page's byte, changed meanwhile
    s.ok();
    const MenuRecord& m = s.project->menus[2];
    EXPECT_EQ(m.titleEnabled, 1);
    EXPECT_EQ(cell_text(m.title), "Wareneingang");
    EXPECT_EQ(cell_text(m.items[1]), "Zweiter");
    EXPECT_EQ(m.itemTarget[1], 12);
    EXPECT_EQ(m.escTarget, 11);
    EXPECT_EQ(s.project->options.sendPort, 3);
}

}  // namespace
}  // namespace kest::editor
