#include "editor/form_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/advance_dialog.h"
#include "project/defaults.h"
#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using testing::MapDialog;

// Records which detail dialog the page opened, on which form and line; its "Eigenschaften"
// ticks "Füllzeichen".
struct DetailLog final : FormDetailDialogs {
    std::vector<std::string> calls;
    void record(const char* name, const FormWorkingCopy& c) {
        calls.push_back(std::string(name) + " " + std::to_string(c.currentForm) + "/" + std::to_string(c.selectedLine));
    }
    void advance(FormWorkingCopy& c) override {
        record("advance", c);
        c.fillFlags[static_cast<std::size_t>(c.currentForm)][static_cast<std::size_t>(c.selectedLine)] = true;
    }
    void lookup_advance(FormWorkingCopy& c) override { record("lookup", c); }
    void date_time_stamp(FormWorkingCopy& c) override { record("stamp", c); }
};

// A default project whose form 1 has a text line and an integer line.
struct Page {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    DetailLog details;
    FormPage page{details};
    MapDialog face;

    Page() {
        reset_to_defaults(*project);
        FormRecord& f = project->forms[0];
        f.lineType[0] = kFieldText;
        set_cell(f.prompt[0], "Artikel:");
        f.minLength[0] = 3;
        f.maxLength[0] = 30;
        f.lineType[1] = kFieldInteger;
        set_cell(f.prompt[1], "Menge:");
    }
    void open() {
        page.load(*project);
        face.attach(page);
        page.init(face);
    }
    const FormRecord& form(int i) const { return page.working_copy().forms[static_cast<std::size_t>(i)]; }
    bool line_enabled(int line, int first) const { return face.is_enabled(first + line); }
};

TEST(FormPage, ShowsFormOneWithItsListsAndValues) {
    Page p;
    p.project->forms[0].escTarget = 13;
    p.project->forms[0].lineLookupKey[1] = 24;
    p.open();
    const auto& jumps = p.face.lists[IDC_FORM_ESC];
    ASSERT_EQ(jumps.size(), 21u);
    EXPECT_EQ(jumps[0], "Startmaske");
    EXPECT_EQ(jumps[1], "Maske  1");
    EXPECT_EQ(jumps[20], "Men\xFC  10");
    EXPECT_EQ(p.face.lists[IDC_FORM_NEXT], jumps);
    EXPECT_EQ(p.face.lists[IDC_FORM_NAME].back(), "Maske  10");
    EXPECT_EQ(p.face.lists[IDC_FORM_FONT], (std::vector<std::string>{"klein", "gro\xDF"}));
    EXPECT_EQ(p.face.lists[IDC_FORM_TYPE + 7].size(), 13u);
    EXPECT_EQ(p.face.lists[IDC_FORM_TYPE][9],
              "\xDC"
              "berschrift");
    EXPECT_EQ(p.face.lists[IDC_FORM_LOOKUP + 3].size(), 25u);
    EXPECT_EQ(p.face.lists[IDC_FORM_LOOKUP][17], "+ Feld 1");
    EXPECT_EQ(p.face.lists[IDC_FORM_RECORD].size(), 6u);
    EXPECT_EQ(p.face.selection(IDC_FORM_NAME), 0);
    EXPECT_EQ(p.face.selection(IDC_FORM_ESC), 13);
    EXPECT_EQ(p.face.selection(IDC_FORM_TYPE + 1), kFieldInteger);
    EXPECT_EQ(p.face.selection(IDC_FORM_LOOKUP + 1), 24);
    EXPECT_EQ(p.face.text(IDC_FORM_PROMPT), "Artikel:");
    EXPECT_EQ(p.face.text(IDC_FORM_MIN), "3");
    EXPECT_EQ(p.face.text(IDC_FORM_MAX), "30");
    // Choosing the form on show again changes nothing.
    const int echoes = p.face.echoes;
    p.face.choose(IDC_FORM_NAME, 0);
    EXPECT_EQ(p.face.echoes, echoes);
    EXPECT_EQ(std::memcmp(&p.form(0), &p.project->forms[0], sizeof(FormRecord)), 0);
}

TEST(FormPage, LineRuleEnablesTheControlsOfEachType) {
    struct Case {
        int type;
        bool prompt, more, source, lookup, lengths;
    };
    const Case cases[] = {
        {0, false, false, false, false, false},  {1, true, true, true, true, true},
        {5, true, true, true, true, true},       {6, true, true, true, true, false},
        {7, true, true, false, true, false},     {8, true, true, false, false, false},
        {9, true, false, false, false, false},   {11, true, false, false, false, false},
        {12, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Page p;
        p.open();
        p.face.choose(IDC_FORM_TYPE + 6, c.type);
        EXPECT_EQ(p.form(0).lineType[6], c.type);
        EXPECT_TRUE(p.line_enabled(6, IDC_FORM_TYPE));
        EXPECT_EQ(p.line_enabled(6, IDC_FORM_PROMPT), c.prompt);
        EXPECT_EQ(p.line_enabled(6, IDC_FORM_MORE), c.more);
        EXPECT_EQ(p.line_enabled(6, IDC_FORM_SOURCE), c.source);
        EXPECT_EQ(p.line_enabled(6, IDC_FORM_LOOKUP), c.lookup);
        EXPECT_EQ(p.line_enabled(6, IDC_FORM_MIN), c.lengths);
        EXPECT_EQ(p.line_enabled(6, IDC_FORM_MAX), c.lengths);
    }
}

TEST(FormPage, LargeFontDisablesLinesFiveToEightAndSmallRestoresThemByType) {
    Page p;
    p.project->forms[0].lineType[4] = kFieldLookup;
    p.project->forms[0].lineType[7] = kFieldText;
    set_cell(p.project->forms[0].prompt[7], "Zeile 8");
    p.open();
    const FormRecord before = p.form(0);
    p.face.choose(IDC_FORM_FONT, 1);
    EXPECT_EQ(p.form(0).font, 1);
    for (int line = 4; line < kFormLines; ++line) {
        for (int first : {IDC_FORM_TYPE, IDC_FORM_PROMPT, IDC_FORM_MORE, IDC_FORM_SOURCE, IDC_FORM_LOOKUP, IDC_FORM_MIN,
                          IDC_FORM_MAX}) {
            EXPECT_FALSE(p.line_enabled(line, first)) << "line " << line << " control " << first;
        }
    }
    EXPECT_TRUE(p.line_enabled(0, IDC_FORM_MIN));
    p.face.choose(IDC_FORM_FONT, 0);
    for (int line = 4; line < kFormLines; ++line) EXPECT_TRUE(p.line_enabled(line, IDC_FORM_TYPE));
    EXPECT_TRUE(p.line_enabled(4, IDC_FORM_LOOKUP));
    EXPECT_FALSE(p.line_enabled(4, IDC_FORM_SOURCE));
    EXPECT_TRUE(p.line_enabled(7, IDC_FORM_MAX));
    EXPECT_FALSE(p.line_enabled(5, IDC_FORM_PROMPT));
    FormRecord after = p.form(0);
    after.font = before.font;
    EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0);
}

TEST(FormPage, DisplayTextsAreCutToTheFontsWidth) {
    Page p;
    set_cell(p.project->forms[0].prompt[2], "ABCDEFGHIJKLMNOPQRST");
    p.project->forms[1].font = 1;
    set_cell(p.project->forms[1].prompt[0], "abcdefghijklmnopqrst");
    p.open();
    // Typing beyond 20 characters in the small font.
    p.face.type(IDC_FORM_PROMPT + 3, "123456789012345678901");
    EXPECT_EQ(p.face.text(IDC_FORM_PROMPT + 3), "12345678901234567890");
    EXPECT_EQ(cell_text(p.form(0).prompt[3]), "12345678901234567890");
    // Switching to the large font cuts the texts at once.
    p.face.choose(IDC_FORM_FONT, 1);
    EXPECT_EQ(cell_text(p.form(0).prompt[2]), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(p.face.text(IDC_FORM_PROMPT + 2), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(cell_text(p.form(0).prompt[3]), "123456789012345");
    // A form shown with the large font.
    p.face.choose(IDC_FORM_NAME, 1);
    EXPECT_EQ(cell_text(p.form(1).prompt[0]), "abcdefghijklmno");
    EXPECT_EQ(p.face.selection(IDC_FORM_FONT), 1);
}

TEST(FormPage, LengthEditsStoreNumbersUpToFiftyAndShowWhatIsStored) {
    struct Case {
        const char* typed;
        int stored;
        const char* shown;
    };
    const Case cases[] = {
        {"12", 12, "12"},          {"50", 50, "50"}, {"60", 30, "30"}, {"300", 30, "30"},
        {"99999999999", 30, "30"}, {"x", 0, "0"},    {"4a", 0, "0"},   {"", 0, ""},
    };
    for (int id : {IDC_FORM_MIN, IDC_FORM_MAX}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(id) + " " + c.typed);
            Page p;
            p.project->forms[0].minLength[0] = 30;
            p.project->forms[0].maxLength[0] = 30;
            p.open();
            p.face.type(id, c.typed);
            const FormRecord& f = p.form(0);
            EXPECT_EQ(id == IDC_FORM_MIN ? f.minLength[0] : f.maxLength[0], c.stored);
            EXPECT_EQ(p.face.text(id), c.shown);
        }
    }
}

TEST(FormPage, BooleanLinesHaveLengthsOne) {
    Page p;
    p.project->forms[0].lineType[3] = kFieldBoolean;  // stored with 0 and 50
    p.open();
    EXPECT_EQ(p.form(0).minLength[3], 1);
    EXPECT_EQ(p.form(0).maxLength[3], 1);
    EXPECT_EQ(p.face.text(IDC_FORM_MAX + 3), "1");
    // Choosing "Boolean" sets and shows 1 and 1 at once.
    p.face.choose(IDC_FORM_TYPE + 1, kFieldBoolean);
    EXPECT_EQ(p.form(0).minLength[1], 1);
    EXPECT_EQ(p.form(0).maxLength[1], 1);
    EXPECT_EQ(p.face.text(IDC_FORM_MIN + 1), "1");
    for (const char* typed : {"7", "", "x", "80"}) {
        SCOPED_TRACE(typed);
        p.face.type(IDC_FORM_MAX + 1, typed);
        EXPECT_EQ(p.form(0).maxLength[1], 1);
        EXPECT_EQ(p.face.text(IDC_FORM_MAX + 1), "1");
    }
}

TEST(FormPage, TypeWithoutDetailsClearsDefaultValueAndFillCharacter) {
    Page p;
    FormRecord& f = p.project->forms[0];
    f.defaultOn[0] = 1;
    set_cell(f.defaultValue[0], "4711");
    f.fillChar[0] = '*';
    f.defaultOn[1] = 1;
    set_cell(f.defaultValue[1], "12");
    p.open();
    p.face.click(IDC_FORM_MORE);
    p.face.choose(IDC_FORM_TYPE + 1, kFieldFixedData);  // a type with details keeps them
    EXPECT_EQ(cell_text(p.form(0).defaultValue[1]), "12");
    p.face.choose(IDC_FORM_TYPE, kFieldHeading);
    p.face.choose(IDC_FORM_TYPE, kFieldText);
    EXPECT_EQ(p.form(0).defaultOn[0], 0);
    EXPECT_EQ(p.form(0).fillChar[0], 0);
    EXPECT_FALSE(p.page.working_copy().fillFlags[0][0]);
    // What "mehr..." then shows.
    FormWorkingCopy copy = p.page.working_copy();
    AdvanceDlg advance(copy);
    MapDialog dialog;
    dialog.attach(advance);
    advance.init(dialog);
    EXPECT_EQ(dialog.text(IDC_ADV_DEFAULT_VALUE), "");
    EXPECT_FALSE(dialog.checked(IDC_ADV_DEFAULT));
    EXPECT_FALSE(dialog.checked(IDC_ADV_FILL));
    EXPECT_EQ(dialog.text(IDC_ADV_FILL_CHAR), "");
}

TEST(FormPage, CodesOutsideTheListsAreKeptWhenTheListsNotify) {
    Page p;
    FormRecord& f = p.project->forms[0];
    f.font = 7;
    f.escTarget = 40;
    f.recordAction = 9;
    f.lineType[2] = 13;
    f.lineSource[0] = 5;
    p.open();
    for (int id : {IDC_FORM_FONT, IDC_FORM_ESC, IDC_FORM_RECORD, IDC_FORM_TYPE + 2, IDC_FORM_SOURCE}) {
        EXPECT_EQ(p.face.selection(id), -1);
        p.face.click(id);
    }
    EXPECT_EQ(p.form(0).font, 7);
    EXPECT_EQ(p.form(0).escTarget, 40);
    EXPECT_EQ(p.form(0).recordAction, 9);
    EXPECT_EQ(p.form(0).lineType[2], 13);
    EXPECT_EQ(p.form(0).lineSource[0], 5);
    EXPECT_FALSE(p.line_enabled(2, IDC_FORM_PROMPT));
    EXPECT_FALSE(p.line_enabled(6, IDC_FORM_TYPE));  // a nonzero font is the large font
}

TEST(FormPage, ResetGivesAllTenFormsTheirDefaultsAndShowsFormOne) {
    Page p;
    for (FormRecord& f : p.project->forms) {
        f.font = 1;
        f.nextTarget = 12;
        f.lineType[0] = kFieldText;
        f.reserved[0] = 0x5A;
    }
    p.open();
    p.face.choose(IDC_FORM_NAME, 4);
    p.face.choose(IDC_FORM_TYPE + 2, kFieldText);
    p.face.click(IDC_FORM_RESET);
    FormRecord expected = p.project->forms[0];
    form_defaults(expected, 1);
    for (int i = 0; i < kFormCount; ++i) {
        EXPECT_EQ(std::memcmp(&p.form(i), &expected, sizeof expected), 0) << "form " << i + 1;
    }
    EXPECT_EQ(p.page.working_copy().currentForm, 0);
    EXPECT_EQ(p.face.selection(IDC_FORM_NAME), 0);
    EXPECT_EQ(p.face.selection(IDC_FORM_NEXT), 1);
    EXPECT_EQ(p.face.text(IDC_FORM_MAX + 7), "50");
    EXPECT_TRUE(p.line_enabled(7, IDC_FORM_TYPE));
}

TEST(FormPage, DetailButtonsOpenTheDialogOfTheLineOnTheShownForm) {
    Page p;
    p.project->forms[2].lineType[5] = kFieldLookup;
    p.open();
    p.face.choose(IDC_FORM_NAME, 2);
    p.face.click(IDC_FORM_MORE + 5);
    p.face.click(IDC_FORM_MORE + 1);
    p.face.click(IDC_FORM_STAMP);
    EXPECT_EQ(p.details.calls, (std::vector<std::string>{"lookup 2/5", "advance 2/1", "stamp 2/1"}));
}

struct FollowUpLog final : SheetHost {
    std::vector<std::string> calls;
    void prepare_forms() override { calls.push_back("prepare"); }
    void restart_simulation() override { calls.push_back("restart"); }
};

TEST(FormPage, OkCommitsNormalisedFormsMarksModifiedAndRestartsTheSimulation) {
    Page p;
    EditorState state;
    FollowUpLog host;
    SheetSession session(*p.project, state, host, {&p.page, nullptr, nullptr, nullptr, nullptr, nullptr});
    session.page_shown(0);
    p.face.attach(p.page);
    p.page.init(p.face);
    p.face.type(IDC_FORM_PROMPT, "Nummer:");
    p.face.type(IDC_FORM_MIN + 1, "40");
    p.face.type(IDC_FORM_MAX + 1, "20");
    p.face.choose(IDC_FORM_TYPE + 2, kFieldFixedData);
    p.face.choose(IDC_FORM_LOOKUP + 2, 3);
    EXPECT_FALSE(state.modified);
    EXPECT_TRUE(host.calls.empty());
    session.ok();
    const FormRecord& f = p.project->forms[0];
    EXPECT_EQ(cell_text(f.prompt[0]), "Nummer:");
    EXPECT_EQ(f.minLength[1], 20);  // normalised: at most the maximum
    EXPECT_EQ(f.lineType[2], kFieldFixedData);
    EXPECT_EQ(f.lineLookupKey[2], 0);
    EXPECT_TRUE(state.modified);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"prepare", "restart"}));
}

TEST(FormPage, CancelLeavesProjectAndModifiedFlagAlone) {
    Page p;
    EditorState state;
    FollowUpLog host;
    SheetSession session(*p.project, state, host, {&p.page, nullptr, nullptr, nullptr, nullptr, nullptr});
    const auto before = std::make_unique<Project>(*p.project);
    session.page_shown(0);
    p.face.attach(p.page);
    p.page.init(p.face);
    p.face.choose(IDC_FORM_FONT, 1);
    p.face.type(IDC_FORM_PROMPT + 1, "Anzahl:");
    p.face.click(IDC_FORM_RESET);
    session.cancel();
    EXPECT_EQ(std::memcmp(p.project.get(), before.get(), sizeof(Project)), 0);
    EXPECT_FALSE(state.modified);
    EXPECT_TRUE(host.calls.empty());
}

}  // namespace
}  // namespace kest::editor
