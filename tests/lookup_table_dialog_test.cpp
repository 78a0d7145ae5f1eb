// "LookupCsvDlg" on a map: the definition and separator it starts with, the conversion on
// every change, "Senden" only for a table that converts, and what "Lookupdatei laden" does
// with a table and with a text file.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "editor/lookup_table_dialog.h"
#include "project/defaults.h"
#include "tests/support/map_dialog.h"
#include "tests/support/scripted_ui.h"

namespace kest::editor {
namespace {

using testing::MapDialog;

std::span<const std::uint8_t> bytes_of(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class LookupTableDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<Project> project = std::make_unique<Project>();
    // A spreadsheet's export: UTF-8, ',' between the cells, a header row none of whose
    // names fits its field.
    std::string csv = "Artikelnummer,Bezeichnung\r\n4711,M\xC3\xBCller\r\n4712,Mutter\r\n";
    MapDialog dialog;

    void SetUp() override {
        std::memset(project.get(), 0, sizeof(Project));
        reset_to_defaults(*project);
        project->lookups[0].loadable = 0;  // the first one may not be loaded: the second is chosen
        LookupRecord& l = project->lookups[1];
        l.fieldCount = 2;
        l.fieldLength[0] = 4, l.fieldLength[1] = 10;
        l.separator = ';';
    }
};

TEST_F(LookupTableDialogTest, StartsWithTheFirstLoadableLookupAndTheTablesSeparator) {
    LookupTableDialog logic(*project, bytes_of(csv));
    dialog.attach(logic);
    logic.init(dialog);
    EXPECT_EQ(dialog.lists[IDC_TABLE_LOOKUP],
              (std::vector<std::string>{"1. Lookupdatei", "2. Lookupdatei", "3. Lookupdatei"}));
    EXPECT_EQ(dialog.selection(IDC_TABLE_LOOKUP), 1);
    EXPECT_EQ(dialog.selection(IDC_TABLE_SEPARATOR), 1);  // ','
    EXPECT_TRUE(dialog.checked(IDC_TABLE_HEADER));
    EXPECT_EQ(dialog.text(IDC_TABLE_RESULT), "2 Datens\xE4tze");
    EXPECT_TRUE(dialog.is_enabled(kIdOk));
    EXPECT_EQ(dialog.click(kIdOk), DialogResult::CloseOk);
    EXPECT_EQ(logic.result().lines, (std::vector<std::string>{"4711;M\xFCller", "4712;Mutter"}));
}

TEST_F(LookupTableDialogTest, EveryChangeConvertsAgainAndSendingWaitsForATableThatConverts) {
    LookupTableDialog logic(*project, bytes_of(csv));
    dialog.attach(logic);
    logic.init(dialog);
    struct Step {
        const char* name;
        std::function<void()> act;
        std::string result;
        bool sendable;
    };
    const Step steps[] = {
        {"a lookup without fields", [&] { dialog.choose(IDC_TABLE_LOOKUP, 2); },
         "Die Tabelle kann nicht gesendet werden:\nDie Lookupdatei hat keine Felder (Anzahl Felder 0)!", false},
        {"back to the second", [&] { dialog.choose(IDC_TABLE_LOOKUP, 1); }, "2 Datens\xE4tze", true},
        {"the header row as a record", [&] { dialog.click_check(IDC_TABLE_HEADER, false); },
         "Die Tabelle kann nicht gesendet werden:\nZeile 1, Spalte 1: \"Artikelnummer\" hat 13 Zeichen, Feld #1 nur "
         "4!\n"
         "Zeile 1, Spalte 2: \"Bezeichnung\" hat 11 Zeichen, Feld #2 nur 10!",
         false},
        {"header again", [&] { dialog.click_check(IDC_TABLE_HEADER, true); }, "2 Datens\xE4tze", true},
        {"';' divides nothing", [&] { dialog.choose(IDC_TABLE_SEPARATOR, 0); },
         "Die Tabelle kann nicht gesendet werden:\nDie Tabelle hat 1 Spalten f\xFCr 2 Felder!", false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(dialog.text(IDC_TABLE_RESULT), s.result);
        EXPECT_EQ(dialog.is_enabled(kIdOk), s.sendable);
        EXPECT_EQ(dialog.click(kIdOk), s.sendable ? DialogResult::CloseOk : DialogResult::Stay);
    }
    EXPECT_EQ(dialog.click(kIdCancel), DialogResult::CloseCancel);
}

TEST_F(LookupTableDialogTest, LookupLoadTakesTablesThroughTheDialogAndTextFilesThroughTheRules) {
    testing::ScriptedUi ui;
    int shown = 0;
    auto run = [&](bool ok) {
        return [&, ok](LookupTableDialog& logic) {
            ++shown;
            logic.init(dialog);
            return ok;
        };
    };
    PreparedLookup p = prepare_lookup_load(*project, "C:\\DATEN\\ARTIKEL.CSV", bytes_of(csv), ui, run(true));
    EXPECT_EQ(p.lines, (std::vector<std::string>{"4711;M\xFCller", "4712;Mutter"}));
    EXPECT_FALSE(p.cancelled);
    p = prepare_lookup_load(*project, "artikel.csv", bytes_of(csv), ui, run(false));
    EXPECT_TRUE(p.cancelled);
    EXPECT_EQ(shown, 2);
    // A text file is not a table: checked and told in boxes, no dialog.
    p = prepare_lookup_load(*project, "artikel.txt", bytes_of(std::string("\xFF\xFE", 2)), ui, run(true));
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(p.refused());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
}

}  // namespace
}  // namespace kest::editor
