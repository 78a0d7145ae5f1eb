#include "editor/barcode_settings_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/main_commands.h"
#include "project/defaults.h"
#include "support/scripted_ui.h"
#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using namespace barcode_page;
using testing::MapDialog;

// Runs the parameter dialogs on test dialogs: each run clicks the given controls and
// closes with the given button.
struct Dialogs final : SymbologyDialogRunner {
    std::vector<int> clicks;
    int close = kIdOk;
    std::vector<std::string> opened;

    void run(const SymbologyDialogSpec& layout, BarcodeSettings& settings) override {
        opened.push_back(layout.templateName);
        MapDialog face;
        SymbologyDialog logic(layout, settings);
        face.attach(logic);
        logic.init(face);
        for (int id : clicks) face.click(id);
        face.click(close);
    }
};

struct Page {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    EditorState state;
    Dialogs dialogs;
    BarcodeSettingsPage logic{*project, dialogs};
    MapDialog face;

    explicit Page(bool defaults = true) {
        if (defaults) reset_to_defaults(*project);
    }
    void open() {
        face.attach(logic);
        logic.load(*project);
        logic.init(face);
    }
    u8& byte(int i) { return project->barcode.bytes[i]; }
};

TEST(BarcodeSettingsPage, ShowsTheProjectsSettings) {
    Page p;
    p.byte(2) |= 0x04;  // "Telepen"
    p.open();
    EXPECT_EQ(p.face.lists[IDC_BARCODE_SCAN_MODE].size(), 9u);
    EXPECT_EQ(p.face.lists[IDC_BARCODE_SCAN_MODE][6], "Laser");
    EXPECT_EQ(p.face.lists[IDC_BARCODE_SECURITY],
              (std::vector<std::string>{"Standard", "Einfach", "Zweifach", "Dreifach"}));
    EXPECT_EQ(p.face.selection(IDC_BARCODE_SCAN_MODE), 6);
    EXPECT_EQ(p.face.selection(IDC_BARCODE_SECURITY), 0);
    EXPECT_EQ(p.face.text(IDC_BARCODE_TIMEOUT), "3");
    for (const auto& box : barcode_enable_boxes()) {
        EXPECT_EQ(p.face.checked(box.id), ((p.byte(box.byte) >> box.bit) & 1) != 0) << box.id;
    }
    EXPECT_TRUE(p.face.checked(101));
    EXPECT_TRUE(p.face.checked(123));
    EXPECT_FALSE(p.face.checked(108));
}

// OK writes the page's own controls into their bits only; each box turns over its bit.
TEST(BarcodeSettingsPage, OkWritesEachControlIntoItsBits) {
    for (const auto& box : barcode_enable_boxes()) {
        for (u8 fill : {u8{0x00}, u8{0xFF}}) {
            SCOPED_TRACE(std::to_string(box.id) + " fill " + std::to_string(fill));
            Page p(false);
            std::memset(p.project->barcode.bytes, fill, 23);  // 0xFF: scan mode 15, outside the list, kept
            BarcodeSettings expected = p.project->barcode;
            expected.bytes[box.byte] ^= static_cast<u8>(1u << box.bit);
            p.open();
            p.face.click(box.id);
            EXPECT_EQ(p.face.checked(box.id), fill == 0);
            p.logic.commit(*p.project, p.state);
            EXPECT_EQ(std::memcmp(p.project->barcode.bytes, expected.bytes, 23), 0);
        }
    }
    Page p;
    p.open();
    p.face.choose(IDC_BARCODE_SCAN_MODE, 8);
    p.face.choose(IDC_BARCODE_SECURITY, 3);
    p.face.type(IDC_BARCODE_TIMEOUT, "200");
    p.byte(20) = 0x6A;
    p.byte(11) = 0xA3;
    p.logic.commit(*p.project, p.state);
    EXPECT_EQ(p.byte(20), 0x8A);  // "Aiming", low nibble kept
    EXPECT_EQ(p.byte(11), 0xAF);  // "Dreifach" in bits 3-2 only
    EXPECT_EQ(p.byte(21), 200);
}

TEST(BarcodeSettingsPage, TimeoutEdit) {
    struct Case {
        const char* typed;
        const char* shown;
        u8 stored;
    };
    const Case cases[] = {
        {"255", "255", 255}, {"256", "17", 17},  // does not fit the byte: the last value comes back
        {"abc", "0", 0},     {"", "", 0},       {"07", "07", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Page p;
        p.open();
        p.face.type(IDC_BARCODE_TIMEOUT, "17");
        p.face.type(IDC_BARCODE_TIMEOUT, c.typed);
        EXPECT_EQ(p.face.text(IDC_BARCODE_TIMEOUT), c.shown);
        p.logic.commit(*p.project, p.state);
        EXPECT_EQ(p.byte(21), c.stored);
    }
}

// The page never shown (no controls) writes nothing on OK.
TEST(BarcodeSettingsPage, CommitWithoutControlsWritesNothing) {
    Page p;
    const BarcodeSettings before = p.project->barcode;
    p.logic.commit(*p.project, p.state);
    EXPECT_EQ(std::memcmp(p.project->barcode.bytes, before.bytes, 23), 0);
}

TEST(BarcodeSettingsPage, ParameterButtonsOpenTheirDialogOverTheProject) {
    Page p;
    p.open();
    for (int id = 201; id <= 224; ++id) {
        if (id != IDC_BARCODE_DEFAULTS) p.face.click(id);
    }
    EXPECT_EQ(p.dialogs.opened,
              (std::vector<std::string>{"Code39Dlg", "ItalyPharmaDlg", "FrenchPharmaDlg", "Industrial25Dlg",
                                        "Interleave25Dlg", "Matrix25Dlg", "CodabarDlg", "MSIDlg", "PlesseyDlg",
                                        "UPCEDlg", "EAN8Dlg", "EAN13Dlg", "TelepenDlg"}));
}

// "EAN8Dlg" and the page share byte 11: the dialog's OK and the page's OK keep each other's bits.
TEST(BarcodeSettingsPage, DialogAndPageShareAByte) {
    Page p;
    p.open();
    p.dialogs.clicks = {101};  // "zu EAN13 konvertieren"
    p.face.click(216);
    EXPECT_EQ(p.byte(11), 0x80);
    p.face.click(IDC_BARCODE_INVERTED);
    p.face.choose(IDC_BARCODE_SECURITY, 2);
    p.logic.commit(*p.project, p.state);
    EXPECT_EQ(p.byte(11), 0x80 | 0x10 | 0x08);
}

// The sheet's Cancel drops what the page's controls hold but not what a dialog stored.
TEST(BarcodeSettingsPage, SheetCancelKeepsDialogChangesOnly) {
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        Page p;
        std::array<SheetPage*, kPageCount> pages{};
        pages[3] = &p.logic;
        SheetSession session(*p.project, p.state, pages);
        session.page_shown(3);
        p.open();
        p.face.click(101);         // "Code 39" unchecked
        p.dialogs.clicks = {101};  // "Start/Stop Zeichen übertragen"
        p.face.click(201);
        if (ok)
            session.ok();
        else
            session.cancel();
        EXPECT_EQ(p.byte(0) & 0x80, ok ? 0 : 0x80);
        EXPECT_EQ(p.byte(5) & 0x80, 0x80);
    }
}

TEST(BarcodeSettingsPage, DefaultsAtOnceKeepingTheTerminalsBits) {
    Page p(false);
    for (int i = 0; i < 23; ++i) p.byte(i) = static_cast<u8>(0x5A + 37 * i);
    p.open();
    p.face.click(101);
    p.face.type(IDC_BARCODE_TIMEOUT, "99");
    auto expected = std::make_unique<Project>(*p.project);
    barcode_defaults(*expected);
    p.face.click(IDC_BARCODE_DEFAULTS);
    EXPECT_EQ(std::memcmp(p.project->barcode.bytes, expected->barcode.bytes, 23), 0);
    for (int i : {3, 4, 8}) EXPECT_EQ(p.byte(i), static_cast<u8>(0x5A + 37 * i)) << i;
    EXPECT_EQ(p.byte(2) & 0x01, (0x5A + 37 * 2) & 0x01);
    EXPECT_EQ(p.byte(7) & 0x07, (0x5A + 37 * 7) & 0x07);
    EXPECT_EQ(p.byte(11) & 0x20, (0x5A + 37 * 11) & 0x20);
    // The page shows the defaults, and its OK leaves them as they are.
    EXPECT_TRUE(p.face.checked(101));
    EXPECT_EQ(p.face.text(IDC_BARCODE_TIMEOUT), "3");
    p.logic.commit(*p.project, p.state);
    EXPECT_EQ(std::memcmp(p.project->barcode.bytes, expected->barcode.bytes, 23), 0);
}

// Changes that reach the project behind the sheet's Cancel mark the project modified, so
// that New, Open and Close ask before they are lost.
TEST(BarcodeSettingsPage, ChangesSurvivingCancelMarkTheProjectModified) {
    struct Case {
        const char* name;
        int button;
        std::vector<int> clicks;
        int close;
        bool modified;
    };
    const Case cases[] = {
        {"dialog OK", 216, {102}, kIdOk, true},
        {"dialog cancelled", 216, {102}, kIdCancel, false},
        {"dialog OK without change", 219, {}, kIdOk, false},
        {"defaults over changed bits", IDC_BARCODE_DEFAULTS, {}, kIdOk, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Page p;
        p.byte(9) = 0x00;
        struct Host final : CommandHost {
            std::function<void()> sheet;
            bool open_file() override { return false; }
            bool save_file() override { return false; }
            bool save_file_as() override { return false; }
            void set_defaults() override {}
            void run_sheet() override { sheet(); }
        } host;
        host.sheet = [&] {
            std::array<SheetPage*, kPageCount> pages{};
            pages[3] = &p.logic;
            SheetSession session(*p.project, p.state, pages);
            session.page_shown(3);
            p.open();
            p.dialogs.clicks = c.clicks;
            p.dialogs.close = c.close;
            p.face.click(c.button);
            session.cancel();
        };
        testing::ScriptedUi ui;
        MainCommands commands(*p.project, p.state, ui, host);
        commands.edit();
        EXPECT_EQ(p.state.modified, c.modified);
    }
}

}  // namespace
}  // namespace kest::editor
