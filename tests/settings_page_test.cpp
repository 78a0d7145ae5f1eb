#include "editor/settings_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/keyboard_wedge_dialog.h"
#include "editor/menu_page.h"
#include "editor/startup_page.h"
#include "editor/system_settings_dialog.h"
#include "project/defaults.h"
#include "tests/support/map_dialog.h"
#include "tests/support/scripted_ui.h"

namespace kest::editor {
namespace {

using testing::MapDialog;
using Script = std::function<void(MapDialog&)>;

constexpr int kSettingsIndex = 4;

// Runs the page's dialogs on map dialogs: the script plays the user, ending with OK or Cancel.
struct ScriptedDialogs final : SettingsDialogs {
    Script wedge, system;
    void keyboard_wedge(KeyboardWedgeDialog& logic) override { run(logic, wedge); }
    void system_settings(SystemSettingsDialog& logic) override { run(logic, system); }
    template <class Logic>
    static void run(Logic& logic, const Script& script) {
        MapDialog face;
        face.attach(logic);
        logic.init(face);
        if (script) script(face);
    }
};

const u8* bytes(const ApplicationOptions& o) { return reinterpret_cast<const u8*>(&o); }

struct Sheet {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    EditorState state;
    testing::ScriptedUi ui;
    ScriptedDialogs dialogs;
    std::unique_ptr<SettingsPage> page;
    std::unique_ptr<SheetSession> session;
    MapDialog face;

    Sheet() { reset_to_defaults(*project); }

    // Opens the sheet and shows the settings page; `others` take the other places.
    void open(std::array<SheetPage*, kPageCount> pages = {}) {
        page = std::make_unique<SettingsPage>(*project, ui, dialogs);
        pages[kSettingsIndex] = page.get();
        session = std::make_unique<SheetSession>(*project, state, pages);
        face = MapDialog{};
        session->page_shown(kSettingsIndex);
        face.attach(*page);
        page->init(face);
    }
    std::vector<std::string> warnings() const { return ui.texts(); }
};

TEST(SettingsPage, OpensWithPasswordAreasAndTheFunctionOfFnZero) {
    Sheet s;
    set_cell(s.project->options.password, "Geheim7");
    s.project->options.protectedArea[2] = 1;
    s.project->options.functionKey[0] = 18;
    s.open();
    EXPECT_EQ(s.face.text(IDC_SETTINGS_PASSWORD), "Geheim7");
    for (int i = 0; i < kSettingsAreaCount; ++i) EXPECT_EQ(s.face.checked(IDC_SETTINGS_AREA + i), i == 2) << i;
    EXPECT_EQ(s.face.lists[IDC_SETTINGS_KEY].size(), 10u);
    EXPECT_EQ(s.face.lists[IDC_SETTINGS_KEY][9], " FN+9");
    EXPECT_EQ(s.face.lists[IDC_SETTINGS_FUNCTION].size(), 19u);
    EXPECT_EQ(s.face.selection(IDC_SETTINGS_KEY), 0);
    EXPECT_EQ(s.face.selection(IDC_SETTINGS_FUNCTION), 18);
    EXPECT_TRUE(s.warnings().empty());
}

TEST(SettingsPage, PasswordIsCheckedOnEveryChange) {
    const std::string tooLong = kPasswordTooLong, invalid = kPasswordInvalid;
    struct Case {
        const char* typed;
        const char* kept;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"Ab09Z", "Ab09Z", {}},
        {"abcdefghij", "abcdefghij", {}},
        {"abcdefghijk", "abcdefghij", {tooLong}},  // the eleventh character
        {"ab1 ", "ab1", {invalid}},
        {"a.b-c", "abc", {invalid}},  // two pasted at once, one warning
        {"\xFC"
         "ber",
         "ber",
         {invalid}},  // letters are A-Z and a-z only
        {"abc def.ghij", "abcdefgh", {tooLong, invalid}},
        {"", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Sheet s;
        set_cell(s.project->options.password, "old");
        s.open();
        s.face.type(IDC_SETTINGS_PASSWORD, c.typed);
        EXPECT_EQ(s.face.text(IDC_SETTINGS_PASSWORD), c.kept);
        EXPECT_EQ(s.warnings(), c.warnings);
        for (const auto& m : s.ui.messages) {
            EXPECT_EQ(m.caption, "Warnung");
            EXPECT_EQ(m.icon, Icon::Warning);
        }
        s.session->ok();
        char expected[12] = {};
        std::memcpy(expected, c.kept, std::strlen(c.kept));
        EXPECT_EQ(std::memcmp(s.project->options.password, expected, sizeof expected), 0);
    }
}

TEST(SettingsPage, StoredPasswordWithASpaceWarnsWhenThePageOpens) {
    Sheet s;
    set_cell(s.project->options.password, "ab cd");
    s.open();
    EXPECT_EQ(s.warnings(), std::vector<std::string>{kPasswordInvalid});
    EXPECT_EQ(s.face.text(IDC_SETTINGS_PASSWORD), "abcd");
    s.session->ok();
    EXPECT_EQ(cell_text(s.project->options.password), "abcd");
}

TEST(SettingsPage, ProtectedAreasReachTheProjectOnlyOnOk) {
    struct Case {
        std::vector<int> clicks;
        bool ok;
        u8 shown;  // every flag, on the page
    };
    const Case cases[] = {
        {{IDC_SETTINGS_ALL}, false, 1},
        {{IDC_SETTINGS_ALL}, true, 1},
        {{IDC_SETTINGS_ALL, IDC_SETTINGS_NONE}, true, 0},
    };
    for (const auto& c : cases) {
        Sheet s;
        const Project before = *s.project;
        s.open();
        for (int id : c.clicks) s.face.click(id);
        for (int i = 0; i < kSettingsAreaCount; ++i) EXPECT_EQ(s.face.checked(IDC_SETTINGS_AREA + i), c.shown != 0);
        if (c.ok) {
            s.session->ok();
            for (u8 flag : s.project->options.protectedArea) EXPECT_EQ(flag, c.shown);
        } else {
            s.session->cancel();
            EXPECT_EQ(std::memcmp(s.project.get(), &before, sizeof before), 0);
        }
    }
}

TEST(SettingsPage, EachCheckBoxIsItsOwnArea) {
    Sheet s;
    s.open();
    s.face.click_check(IDC_SETTINGS_AREA + 3, true);
    s.face.click_check(IDC_SETTINGS_AREA + 11, true);
    s.face.click_check(IDC_SETTINGS_AREA + 11, false);
    s.session->ok();
    const u8 expected[12] = {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(s.project->options.protectedArea, expected, 12), 0);
}

TEST(SettingsPage, FunctionKeysStoreAtTheirByteAndShowAgain) {
    Sheet s;
    s.open();
    s.face.choose(IDC_SETTINGS_KEY, 3);
    s.face.choose(IDC_SETTINGS_FUNCTION, 7);  // "Scannertest"
    EXPECT_EQ(s.face.lists[IDC_SETTINGS_FUNCTION][7], "Scannertest");
    s.face.choose(IDC_SETTINGS_KEY, 9);
    EXPECT_EQ(s.face.selection(IDC_SETTINGS_FUNCTION), 0);
    s.face.choose(IDC_SETTINGS_FUNCTION, 18);
    s.face.choose(IDC_SETTINGS_KEY, 3);
    EXPECT_EQ(s.face.selection(IDC_SETTINGS_FUNCTION), 7);
    s.session->ok();
    EXPECT_EQ(bytes(s.project->options)[61], 7);
    EXPECT_EQ(bytes(s.project->options)[67], 18);
    EXPECT_EQ(bytes(s.project->options)[68], 0);

    s.open();  // a new sheet on the saved project
    s.face.choose(IDC_SETTINGS_KEY, 3);
    EXPECT_EQ(s.face.selection(IDC_SETTINGS_FUNCTION), 7);
}

TEST(SettingsPage, FunctionCodeOutsideTheListShowsNoneAndStaysStored) {
    Sheet s;
    s.project->options.functionKey[0] = 40;
    s.open();
    EXPECT_EQ(s.face.selection(IDC_SETTINGS_FUNCTION), -1);
    s.face.notify(IDC_SETTINGS_FUNCTION);
    s.session->ok();
    EXPECT_EQ(s.project->options.functionKey[0], 40);
}

// A page that commits bytes outside the settings page's part, as the menu page (byte 4)
// and the startup page (bytes 1-3 and 68) do.
struct OtherPage final : SheetPage {
    std::vector<std::size_t> offsets;
    void load(const Project&) override {}
    void commit(Project& project, EditorState&) override {
        for (std::size_t at : offsets) reinterpret_cast<u8*>(&project.options)[at] = 0xA5;
    }
};

TEST(SettingsPage, OkCommitsOnlyThePagesOwnBytes) {
    Sheet s;
    OtherPage menu, startup;
    menu.offsets = {4};
    startup.offsets = {1, 2, 3, 68};
    s.open({nullptr, &menu, nullptr, nullptr, nullptr, &startup});
    s.session->page_shown(1);
    s.session->page_shown(5);
    s.face.choose(IDC_SETTINGS_KEY, 9);
    s.face.choose(IDC_SETTINGS_FUNCTION, 2);
    // Bytes another part of the program changed while the sheet was open stay as well.
    s.project->options.optionByte = 0x5A;
    s.project->options.reserved[198] = 0x5A;
    s.session->ok();
    const u8* o = bytes(s.project->options);
    for (std::size_t at : {1, 2, 3, 4, 68}) EXPECT_EQ(o[at], 0xA5) << at;
    EXPECT_EQ(o[0], 0x5A);
    EXPECT_EQ(o[267], 0x5A);
    EXPECT_EQ(o[67], 2);
}

// The whole sheet: the menu page sets one file per form, the startup page large titles, and
// the settings page, committed between them, keeps both.
TEST(SettingsPage, SheetOkKeepsWhatTheMenuAndStartupPagesSet) {
    Sheet s;
    MenuPage menu;
    StartupPage startup(s.ui);
    s.open({nullptr, &menu, nullptr, nullptr, nullptr, &startup});
    s.face.choose(IDC_SETTINGS_KEY, 9);
    s.face.choose(IDC_SETTINGS_FUNCTION, 5);
    MapDialog menuFace, startupFace;
    s.session->page_shown(page::kMenu);
    menuFace.attach(menu);
    menu.init(menuFace);
    menuFace.click_check(IDC_MENU_SEPARATE_FILE, true);
    s.session->page_shown(page::kStartup);
    startupFace.attach(startup);
    startup.init(startupFace);
    startupFace.click_check(IDC_STARTUP_LARGE_TITLES, true);
    s.session->ok();
    EXPECT_EQ(s.project->options.separateFilePerForm, 1);
    EXPECT_EQ(s.project->options.largeTitles, 1);
    EXPECT_EQ(s.project->options.functionKey[9], 5);
}

TEST(SettingsPage, DefaultsReachTheProjectOnTheSheetsOk) {
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok);
        Sheet s;
        ApplicationOptions& o = s.project->options;
        set_cell(o.password, "pw1");
        std::memset(o.protectedArea, 1, sizeof o.protectedArea);
        std::memset(o.functionKey, 5, sizeof o.functionKey);
        o.sendPort = 3, o.receivePort = 2, o.terminalBaud = 4, o.backlight = 1, o.backlightOff = 9;
        o.deleteAfterSend = 1, o.ackDisplay = 2, o.ackTime = 0;
        s.project->wedge = {5, 0xFF, 10, 20, 0, {}};
        o.separateFilePerForm = 1;
        o.largeTitles = 1;
        const Project before = *s.project;
        s.open();
        s.face.choose(IDC_SETTINGS_KEY, 4);
        s.face.click(IDC_SETTINGS_DEFAULTS);
        EXPECT_EQ(s.face.text(IDC_SETTINGS_PASSWORD), "");
        EXPECT_FALSE(s.face.checked(IDC_SETTINGS_AREA));
        EXPECT_EQ(s.face.selection(IDC_SETTINGS_KEY), 0);
        EXPECT_EQ(s.face.selection(IDC_SETTINGS_FUNCTION), 0);
        if (!ok) {
            s.session->cancel();
            EXPECT_EQ(std::memcmp(s.project.get(), &before, sizeof before), 0);
            continue;
        }
        s.session->ok();
        const u8 system[] = {0, 0, 0, 0, 2, 0, 1, 6};  // bytes 27-33 and the send port
        const u8 got[] = {o.sendPort,     o.receivePort,     o.terminalBaud, o.backlight,
                          o.backlightOff, o.deleteAfterSend, o.ackDisplay,   o.ackTime};
        EXPECT_EQ(std::memcmp(got, system, sizeof system), 0);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(o.protectedArea[i] | o.password[i], 0) << i;
        for (u8 key : o.functionKey) EXPECT_EQ(key, 0);
        const KeyboardWedgeSettings& w = s.project->wedge;
        EXPECT_EQ(w.keyboardType | w.wedgeFlags | w.charPause | w.linkTimeout, 0);
        EXPECT_EQ(w.appendCrLf, 1);
        EXPECT_EQ(o.separateFilePerForm, 1);
        EXPECT_EQ(o.largeTitles, 1);
    }
}

TEST(SettingsPage, WedgeDialogsOkSurvivesTheSheetsCancel) {
    Sheet s;
    s.dialogs.wedge = [](MapDialog& d) {
        d.choose(IDC_WEDGE_TYPE, 8);
        d.type(IDC_WEDGE_PAUSE, "40");
        d.click(kIdOk);
    };
    s.open();
    s.face.click(IDC_SETTINGS_WEDGE);
    s.session->cancel();
    EXPECT_EQ(s.project->wedge.keyboardType, 8);
    EXPECT_EQ(s.project->wedge.charPause, 40);

    // The dialog opens from the page's copy, which its OK updated: a second visit and
    // Cancel in the dialog leave the values, and the sheet's OK commits them.
    s.dialogs.wedge = [](MapDialog& d) {
        EXPECT_EQ(d.selection(IDC_WEDGE_TYPE), 8);
        d.choose(IDC_WEDGE_TYPE, 1);
        d.click(kIdCancel);
    };
    s.open();
    s.face.click(IDC_SETTINGS_WEDGE);
    s.session->ok();
    EXPECT_EQ(s.project->wedge.keyboardType, 8);
}

TEST(SettingsPage, SystemSettingsGoIntoThePagesCopy) {
    for (bool sheetOk : {true, false}) {
        SCOPED_TRACE(sheetOk);
        Sheet s;
        s.dialogs.system = [](MapDialog& d) {
            d.choose(IDC_SYSTEM_BAUD_RATE, 4);
            d.type(IDC_SYSTEM_BACKLIGHT_TIME, "12");  // refused: the previous value stays
            d.click(kIdOk);
        };
        s.open();
        s.face.click(IDC_SETTINGS_SYSTEM);
        // A second visit opens from the changed copy; its Cancel puts that copy back.
        s.dialogs.system = [](MapDialog& d) {
            EXPECT_EQ(d.selection(IDC_SYSTEM_BAUD_RATE), 4);
            d.choose(IDC_SYSTEM_BAUD_RATE, 1);
            d.click(kIdCancel);
        };
        s.face.click(IDC_SETTINGS_SYSTEM);
        sheetOk ? s.session->ok() : s.session->cancel();
        EXPECT_EQ(s.project->options.terminalBaud, sheetOk ? 4 : 0);
        EXPECT_EQ(s.project->options.backlightOff, 2);
    }
}

}  // namespace
}  // namespace kest::editor
