#include "editor/startup_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "project/defaults.h"
#include "project/project_file.h"
#include "tests/support/map_dialog.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace kest::editor {
namespace {

using namespace startup_page;
using testing::MapDialog;

std::unique_ptr<Project> default_project() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    reset_to_defaults(*p);
    return p;
}

// The page opened on a default project that the test may change first.
struct StartupSheet {
    std::unique_ptr<Project> project = default_project();
    EditorState state;
    testing::ScriptedUi ui;
    StartupPage page{ui};
    MapDialog face;

    void open() {
        page.load(*project);
        face.attach(page);
        page.init(face);
    }
    const StartupPage::Working& w() const { return page.working(); }
    std::string row(int table, int r) const {
        return cell_text(text_cell(w().texts, table, r), text_table_info(table).cellSize);
    }
    void ok() { page.commit(*project, state); }
};

TEST(StartupPage, CatalogueLabelsFollowTheTitleSetting) {
    struct Case {
        int table;
        const char* small;
        const char* large;
    };
    const Case cases[] = {
        {0, "Hauptmen\xFC (3x15)", "Hauptmen\xFC (3x15)"},
        {1, "Utilities (8x20)", "Utilities (8x15)"},
        {8, "Empfangsschnittst. (6x20)", "Empfangsschnittst. (5x15)"},
        {12, "Eintrittsoptionen (6x20)", "Eintrittsoptionen (4x15)"},
        {13, "alle Einstellungen (8x20)", "alle Einstellungen (6x15)"},
        {16, "Telefonnummer (4x20)", "Telefonnummer (2x15)"},
        {23, "Fehlermeldungen (6x20)", "Fehlermeldungen (5x15)"},
        {25, "Misc - continuous (3x20)", "Misc - continuous (3x15)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(catalogue_label(c.table, false), c.small);
        EXPECT_EQ(catalogue_label(c.table, true), c.large);
    }
}

TEST(StartupPage, ShowsTheRowsOfTheSelectedTable) {
    struct Case {
        int table;
        bool large;
        int rows;
        std::size_t width;
    };
    const Case cases[] = {
        {0, false, 3, 15},  // "Hauptmenü (3x15)": 3 of its 4 rows
        {3, false, 4, 15},  // "Quittierung (3x15)": all 4
        {16, false, 4, 20}, {16, true, 2, 15}, {13, true, 6, 15}, {24, true, 8, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        StartupSheet s;
        s.project->options.largeTitles = c.large;
        s.open();
        s.face.choose(IDC_STARTUP_TABLE, c.table);
        EXPECT_EQ(s.page.line_width(), c.width);
        for (int r = 0; r < kRows; ++r) {
            const bool shown = r < c.rows;
            EXPECT_EQ(s.face.is_enabled(IDC_STARTUP_ROW + r), shown) << r;
            EXPECT_EQ(s.face.is_enabled(IDC_STARTUP_GUIDE + r), shown) << r;
            if (shown) {
                EXPECT_EQ(s.face.text(IDC_STARTUP_ROW + r), s.row(c.table, r));
            } else {
                EXPECT_EQ(s.face.text(IDC_STARTUP_ROW + r), std::string(c.width, ' '));
                EXPECT_EQ(s.face.text(IDC_STARTUP_GUIDE + r), std::string(c.width, ' '));
            }
        }
    }
}

TEST(StartupPage, UtilitiesGuidesDoubleTheAmpersand) {
    StartupSheet s;
    s.open();
    s.face.choose(IDC_STARTUP_TABLE, 1);
    EXPECT_EQ(s.face.text(IDC_STARTUP_GUIDE), "1. Einstellungen    ");
    EXPECT_EQ(s.face.text(IDC_STARTUP_GUIDE + 4), "5. Datum && Zeit setzen");
    EXPECT_EQ(s.face.text(IDC_STARTUP_GUIDE + 6), "7. Speicher && Batterie");
    s.face.click_check(IDC_STARTUP_LARGE_TITLES, true);
    EXPECT_EQ(s.face.text(IDC_STARTUP_GUIDE), "1.Einstellungen ");
    EXPECT_EQ(s.face.text(IDC_STARTUP_GUIDE + 4), "5. Datum && Zeit setzen");
    EXPECT_EQ(s.face.text(IDC_STARTUP_GUIDE + 6), "7.Speicher/Akku ");
}

// Looking at rows stores nothing: the blanked fourth row of the main menu keeps its text,
// and a large-title row of 16 characters keeps its last one.
TEST(StartupPage, ViewingKeepsHiddenAndLongRows) {
    StartupSheet s;
    set_cell(text_cell(*s.project, 0, 3), kCell15, "Start");
    s.project->options.largeTitles = 1;
    apply_large_titles(*s.project, true);
    s.open();
    s.face.choose(IDC_STARTUP_TABLE, 1);
    EXPECT_EQ(s.face.text(IDC_STARTUP_ROW + 2), "3.Daten loeschen");
    s.face.choose(IDC_STARTUP_TABLE, 0);
    EXPECT_FALSE(s.w().textsChanged);
    s.face.type(IDC_STARTUP_ROW, "1.Los");
    s.ok();
    EXPECT_EQ(cell_text(text_cell(*s.project, 0, 0), kCell15), "1.Los");
    EXPECT_EQ(cell_text(text_cell(*s.project, 0, 3), kCell15), "Start");
    EXPECT_EQ(cell_text(text_cell(*s.project, 1, 2), kCell20), "3.Daten loeschen");
}

TEST(StartupPage, TypedRowsAreCutToTheLineWidth) {
    struct Case {
        int table;
        bool large;
        std::string typed;
        std::string kept;
    };
    const std::string k21 = "ABCDEFGHIJKLMNOPQRSTU";
    const Case cases[] = {
        {1, false, k21, k21.substr(0, 20)},  // a 21st character is seen and cut at once
        {1, false, k21.substr(0, 20), k21.substr(0, 20)},
        {1, true, k21.substr(0, 16), k21.substr(0, 15)},
        {2, false, k21.substr(0, 16), k21.substr(0, 15)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        StartupSheet s;
        s.project->options.largeTitles = c.large;
        s.open();
        s.face.choose(IDC_STARTUP_TABLE, c.table);
        s.face.type(IDC_STARTUP_ROW + 1, c.typed);
        EXPECT_EQ(s.face.text(IDC_STARTUP_ROW + 1), c.kept);
        s.ok();
        EXPECT_EQ(cell_text(text_cell(*s.project, c.table, 1), text_table_info(c.table).cellSize), c.kept);
    }
}

// Either box of a delimiter sets it and shows it in the other box.
TEST(StartupPage, DelimiterBoxes) {
    struct Case {
        int id;  // the box typed in
        std::string typed;
        u8 delimiter;
        std::string codeShown;
        std::string charShown;
    };
    const Case cases[] = {
        {IDC_STARTUP_CODE, "65", 65, "65", "A"},   {IDC_STARTUP_CODE, "0", 0, "0", ""},
        {IDC_STARTUP_CODE, "", 0, "", ""},         {IDC_STARTUP_CODE, "9", 9, "9", "\t"},
        {IDC_STARTUP_CODE, "44", 44, "44", ","},   {IDC_STARTUP_CODE, "228", 228, "228", "\xE4"},
        {IDC_STARTUP_CODE, "10", 10, "10", "\n"},  {IDC_STARTUP_CODE, "13", 13, "13", "\r"},
        {IDC_STARTUP_CODE, "256", ';', "59", ";"}, {IDC_STARTUP_CODE, "x", 0, "0", ""},
        {IDC_STARTUP_CHAR, "B", 66, "66", "B"},    {IDC_STARTUP_CHAR, "", 0, "0", ""},
        {IDC_STARTUP_CHAR, "AB", 65, "65", "A"},   {IDC_STARTUP_CHAR, "\xE4", 228, "228", "\xE4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + ": " + c.typed);
        StartupSheet s;
        s.project->options.delimiter2 = '#';
        s.open();
        s.face.type(c.id, c.typed);
        EXPECT_EQ(s.w().delimiter1, c.delimiter);
        EXPECT_EQ(s.face.text(IDC_STARTUP_CODE), c.codeShown);
        EXPECT_EQ(s.face.text(IDC_STARTUP_CHAR), c.charShown);
        EXPECT_EQ(s.w().delimiter2, '#');
        s.ok();
        EXPECT_EQ(s.project->options.delimiter1, c.delimiter);
    }
}

// A Windows edit drops what it cannot show: control characters never come back from the
// character box, so its echo must not store what it reads.
struct ControlCharacterLosingEdits final : DialogAccess {
    MapDialog& face;
    explicit ControlCharacterLosingEdits(MapDialog& f) : face(f) {}
    void set_list(int id, const std::vector<std::string>& e) override { face.set_list(id, e); }
    void select(int id, int index) override { face.select(id, index); }
    int selection(int id) const override { return face.selection(id); }
    void set_text(int id, const std::string& text) override {
        std::string shown;
        for (char c : text)
            if (static_cast<unsigned char>(c) >= 0x20) shown += c;
        face.set_text(id, shown);
    }
    std::string text(int id) const override { return face.text(id); }
    void set_checked(int id, bool on) override { face.set_checked(id, on); }
    bool checked(int id) const override { return face.checked(id); }
    void enable(int id, bool on) override { face.enable(id, on); }
};

TEST(StartupPage, CodesTheCharacterBoxCannotShowSurviveItsEcho) {
    for (const char* code : {"9", "10", "13"}) {
        SCOPED_TRACE(code);
        StartupSheet s;
        s.open();
        ControlCharacterLosingEdits lossy(s.face);
        s.face.texts[IDC_STARTUP_CODE] = code;
        s.page.command(lossy, IDC_STARTUP_CODE);
        EXPECT_EQ(s.face.text(IDC_STARTUP_CHAR), "");
        EXPECT_EQ(s.face.text(IDC_STARTUP_CODE), code);
        EXPECT_EQ(s.w().delimiter1, std::stoi(code));
    }
}

TEST(StartupPage, DelimiterCountFromTheProjectAndOnCommit) {
    struct Case {
        u8 d1, d2;
        int count;
        int chosen;  // -1: left as shown
        u8 stored1, stored2;
    };
    const Case cases[] = {
        {0, 0, 0, -1, 0, 0},         {';', 0, 1, -1, ';', 0},  {0, ',', 2, -1, 0, ','},
        {';', ',', 2, -1, ';', ','}, {';', ',', 2, 1, ';', 0}, {';', ',', 2, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.d1) + "/" + std::to_string(c.d2));
        StartupSheet s;
        s.project->options.delimiter1 = c.d1;
        s.project->options.delimiter2 = c.d2;
        s.open();
        EXPECT_EQ(s.face.selection(IDC_STARTUP_COUNT), c.count);
        if (c.chosen >= 0) s.face.choose(IDC_STARTUP_COUNT, c.chosen);
        const int count = s.face.selection(IDC_STARTUP_COUNT);
        EXPECT_EQ(s.face.is_enabled(IDC_STARTUP_CODE), count >= 1);
        EXPECT_EQ(s.face.is_enabled(IDC_STARTUP_CHAR + 1), count == 2);
        s.ok();
        EXPECT_EQ(s.project->options.delimiter1, c.stored1);
        EXPECT_EQ(s.project->options.delimiter2, c.stored2);
    }
}

TEST(StartupPage, LargeTitlesSwitchReplacesTheWideTablesAndReachesTheProject) {
    StartupSheet s;
    for (int t = 0; t < kTextTableCount; ++t)
        for (int r = 0; r < text_table_info(t).rows; ++r)
            set_cell(text_cell(*s.project, t, r), text_table_info(t).cellSize, "eigen");
    s.open();
    s.face.choose(IDC_STARTUP_TABLE, 23);
    s.face.click_check(IDC_STARTUP_LARGE_TITLES, true);
    EXPECT_EQ(s.face.lists[IDC_STARTUP_TABLE][23], "Fehlermeldungen (5x15)");
    EXPECT_EQ(s.face.selection(IDC_STARTUP_TABLE), 23);
    EXPECT_EQ(s.face.text(IDC_STARTUP_ROW), "Datenty falsch ");
    EXPECT_FALSE(s.face.is_enabled(IDC_STARTUP_ROW + 5));
    s.ok();
    EXPECT_EQ(s.project->options.largeTitles, 1);
    for (int t = 0; t < kTextTableCount; ++t) {
        const TextTableInfo& info = text_table_info(t);
        for (int r = 0; r < info.rows; ++r) {
            const bool replaced = info.cellSize == kCell20 && r < large_title_row_count(t);
            EXPECT_EQ(cell_text(text_cell(*s.project, t, r), info.cellSize), replaced ? large_title_row(t, r) : "eigen")
                << t << "/" << r;
        }
    }
    s.open();
    s.face.click_check(IDC_STARTUP_LARGE_TITLES, false);
    EXPECT_EQ(s.face.lists[IDC_STARTUP_TABLE][23], "Fehlermeldungen (6x20)");
    s.ok();
    EXPECT_EQ(s.project->options.largeTitles, 0);
    for (int t : {1, 7, 23})
        for (int r = 0; r < text_table_info(t).rows; ++r)
            EXPECT_EQ(cell_text(text_cell(*s.project, t, r), kCell20), default_text_row(t, r)) << t << "/" << r;
}

TEST(StartupPage, DefaultsResetValuesAndTexts) {
    StartupSheet s;
    auto& o = s.project->options;
    o.startObject = 1, o.delimiter1 = 0, o.delimiter2 = '#', o.largeTitles = 1;
    set_cell(text_cell(*s.project, 5, 0), kCell15, "eigen");
    set_cell(text_cell(*s.project, 6, 0), kCell20, "eigen");
    s.open();
    s.face.choose(IDC_STARTUP_TABLE, 5);
    s.face.click(IDC_STARTUP_DEFAULTS);
    EXPECT_EQ(s.page.selected(), 0);
    EXPECT_EQ(s.face.selection(IDC_STARTUP_TABLE), 0);
    EXPECT_EQ(s.face.selection(IDC_STARTUP_COUNT), 1);
    EXPECT_EQ(s.face.text(IDC_STARTUP_CODE), "59");
    EXPECT_EQ(s.face.text(IDC_STARTUP_CHAR + 1), "");
    EXPECT_FALSE(s.face.is_enabled(IDC_STARTUP_CODE + 1));
    s.ok();
    EXPECT_EQ(o.startObject, 0);
    EXPECT_EQ(o.delimiter1, ';');
    EXPECT_EQ(o.delimiter2, 0);
    EXPECT_EQ(o.largeTitles, 1);
    EXPECT_EQ(cell_text(text_cell(*s.project, 5, 0), kCell15), default_text_row(5, 0));
    EXPECT_EQ(cell_text(text_cell(*s.project, 6, 0), kCell20), large_title_row(6, 0));
}

TEST(StartupPage, StartObject) {
    StartupSheet s;
    s.open();
    EXPECT_EQ(s.face.lists[IDC_STARTUP_START], (std::vector<std::string>{"Maske 1", "Men\xFC 1"}));
    EXPECT_EQ(s.face.selection(IDC_STARTUP_START), 0);
    s.face.choose(IDC_STARTUP_START, 1);
    EXPECT_EQ(s.project->options.startObject, 0);
    s.ok();
    EXPECT_EQ(s.project->options.startObject, 1);
}

// Files the import is given, and what it makes of them.
TEST(StartupPage, ImportTakesTextsAndTitleSettingOrNothing) {
    testing::TempDir dir;
    auto source = default_project();
    source->options.largeTitles = 1;
    apply_large_titles(*source, true);
    set_cell(text_cell(*source, 5, 2), kCell15, "Importiert");
    const std::vector<u8> current = project_file_bytes(*source);
    testing::TempDir::write(dir.file("current.agx"), current);
    testing::TempDir::write(dir.file("short.agx"), std::vector<u8>(current.begin(), current.begin() + 10000));
    testing::TempDir::write(dir.file("text.agx"), std::vector<u8>{'h', 'a', 'l', 'l', 'o'});
    std::vector<u8> older(kOlderFullSize, 0);
    std::memcpy(older.data(), "Qvx-3.10", 8);
    std::memcpy(&older[8668], "Alt Menue", 9);  // main menu, first row
    testing::TempDir::write(dir.file("older.agx"), older);

    struct Case {
        std::optional<std::string> file;
        bool taken;
        bool formatError;
    };
    const Case cases[] = {
        {"current.agx", true, false}, {"older.agx", true, false},    {"short.agx", false, true},
        {"text.agx", false, true},    {"missing.agx", false, false}, {std::nullopt, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.value_or("(cancelled)"));
        StartupSheet s;
        set_cell(text_cell(*s.project, 0, 0), kCell15, "eigen");
        s.open();
        s.face.choose(IDC_STARTUP_TABLE, 5);
        s.ui.openFiles.push_back(c.file ? std::optional<std::string>(dir.file(*c.file)) : std::nullopt);
        s.face.click(IDC_STARTUP_IMPORT);
        ASSERT_EQ(s.ui.dialogs.size(), 1u);
        EXPECT_EQ(s.ui.dialogs[0].filters.size(), 1u);
        EXPECT_EQ(s.ui.dialogs[0].filters[0].description, "Application Generator Files (*.AGX)");
        EXPECT_EQ(s.ui.texts(),
                  c.formatError ? std::vector<std::string>{kFormatErrorText} : std::vector<std::string>{});
        EXPECT_EQ(s.page.selected(), c.taken ? 0 : 5);
        s.ok();
        const Project& p = *s.project;
        if (c.file == std::string("current.agx")) {
            EXPECT_EQ(std::memcmp(&p.texts, &source->texts, sizeof p.texts), 0);
            EXPECT_EQ(p.options.largeTitles, 1);
            EXPECT_TRUE(s.face.checked(IDC_STARTUP_LARGE_TITLES));
            EXPECT_EQ(s.face.lists[IDC_STARTUP_TABLE][1], "Utilities (8x15)");
        } else if (c.file == std::string("older.agx")) {
            EXPECT_EQ(cell_text(text_cell(p, 0, 0), kCell15), "Alt Menue");
            EXPECT_EQ(cell_text(text_cell(p, 24, 7), kCell15), default_text_row(24, 7));
            EXPECT_EQ(p.options.largeTitles, 0);
        } else {
            EXPECT_EQ(cell_text(text_cell(p, 0, 0), kCell15), "eigen");
            EXPECT_FALSE(s.w().textsChanged);
        }
    }
}

}  // namespace
}  // namespace kest::editor
