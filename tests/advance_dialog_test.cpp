#include "editor/advance_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "editor/grid_dialog.h"
#include "project/defaults.h"
#include "tests/support/map_dialog.h"
#include "tests/support/scripted_ui.h"

namespace kest::editor {
namespace {

using testing::MapDialog;
FormWorkingCopy defaults_copy(int form, int line) {
    Project project{};
    reset_to_defaults(project);
    FormWorkingCopy copy;
    std::memcpy(copy.forms.data(), project.forms, sizeof project.forms);
    copy.currentForm = form;
    copy.selectedLine = line;
    return copy;
}

// A line dialog opened on its face, as the form page opens it.
template <class Dlg>
struct Open {
    Dlg dlg;
    MapDialog face;
    explicit Open(FormWorkingCopy& copy) : dlg(copy) {
        face.attach(dlg);
        dlg.init(face);
    }
    // The grid run from a prefix or suffix field: clicks on codes, then OK or Cancel.
    void grid(int field, std::initializer_list<int> codes, int button) {
        testing::ScriptedUi ui;
        GridDlg grid(dlg.codes(field), ui);
        MapDialog gridFace;
        gridFace.attach(grid);
        grid.init(gridFace);
        for (int code : codes) grid.click(gridFace, (code / 16 + 1) * 10 + 5, (code % 16 + 1) * 10 + 5, 170, 170);
        gridFace.click(button);
        dlg.show_codes(face, field);
    }
};

bool same_bytes(const FormRecord& a, const FormRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(AdvanceDlg, OpensOnTheSelectedLine) {
    FormWorkingCopy copy = defaults_copy(2, 4);
    FormRecord& f = copy.forms[2];
    f.fixedLengthOn[4] = 1;
    f.fixedLength[4] = 12;
    f.justify[4] = 3;
    f.defaultOn[4] = 1;
    set_cell(f.defaultValue[4], "ABC");
    f.prefixOn[4] = 1;
    const u8 prefix[10] = {2, 'A', 13};
    std::memcpy(f.prefix[4], prefix, 10);
    f.fillChar[4] = '*';
    f.substringStart[4] = 0;
    f.substringCount[4] = 77;
    f.autoEnter[4] = 0;
    Open<AdvanceDlg> open(copy);
    MapDialog& face = open.face;
    EXPECT_EQ(face.text(IDC_LINE_FORM), "Maske #3");
    EXPECT_EQ(face.text(IDC_LINE_LINE), "Zeile #5");
    EXPECT_TRUE(face.checked(IDC_ADV_FIXED));
    EXPECT_EQ(face.text(IDC_ADV_LENGTH), "12");
    EXPECT_EQ(face.lists[IDC_ADV_JUSTIFY].size(), 4u);
    EXPECT_EQ(face.selection(IDC_ADV_JUSTIFY), 3);
    EXPECT_EQ(face.text(IDC_ADV_DEFAULT_VALUE), "ABC");
    EXPECT_EQ(face.text(IDC_LINE_PREFIX_FIELD), "[STX][A][CR]");
    EXPECT_TRUE(face.is_enabled(IDC_LINE_PREFIX_FIELD));
    EXPECT_FALSE(face.checked(IDC_ADV_SUFFIX));
    EXPECT_FALSE(face.is_enabled(IDC_LINE_SUFFIX_FIELD));
    EXPECT_TRUE(face.checked(IDC_ADV_FILL));
    EXPECT_TRUE(copy.fillFlags[2][4]);
    EXPECT_EQ(face.text(IDC_ADV_FILL_CHAR), "*");
    // Substring values out of range are corrected in the record as it opens.
    EXPECT_EQ(face.text(IDC_ADV_START), "1");
    EXPECT_EQ(face.text(IDC_ADV_COUNT), "50");
    EXPECT_EQ(f.substringStart[4], 1);
    EXPECT_EQ(f.substringCount[4], 50);
    EXPECT_FALSE(face.is_enabled(IDC_ADV_START));
    EXPECT_FALSE(face.is_enabled(IDC_ADV_CHECK_TEXT));
    EXPECT_EQ(face.lists[IDC_ADV_AUTO_ENTER], (std::vector<std::string>{"Nein", "Scan+ENTER"}));
    EXPECT_EQ(face.selection(IDC_ADV_AUTO_ENTER), 0);
}

TEST(AdvanceDlg, PlainCheckBoxesToggleTheirFlagAndControls) {
    struct Case {
        int box;
        u8 (FormRecord::*flag)[kFormLines];
        std::vector<int> controls;
    };
    const Case cases[] = {
        {IDC_ADV_FIXED, &FormRecord::fixedLengthOn, {IDC_ADV_LENGTH, IDC_ADV_JUSTIFY}},
        {IDC_ADV_DEFAULT, &FormRecord::defaultOn, {IDC_ADV_DEFAULT_VALUE}},
        {IDC_ADV_PREFIX, &FormRecord::prefixOn, {IDC_LINE_PREFIX_FIELD}},
        {IDC_ADV_SUFFIX, &FormRecord::suffixOn, {IDC_LINE_SUFFIX_FIELD}},
        {IDC_ADV_FILL, nullptr, {IDC_ADV_FILL_CHAR}},
        {IDC_ADV_SUBSTRING, &FormRecord::substringOn, {IDC_ADV_START, IDC_ADV_COUNT}},
        {IDC_ADV_CHECK_PREFIX, &FormRecord::checkPrefixOn, {IDC_ADV_CHECK_TEXT}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        FormWorkingCopy copy = defaults_copy(0, 1);
        Open<AdvanceDlg> open(copy);
        auto flag = [&] { return c.flag ? (copy.forms[0].*c.flag)[1] != 0 : copy.fillFlags[0][1]; };
        for (bool on : {true, false}) {
            open.face.click(c.box);  // a plain box: the logic turns it
            EXPECT_EQ(open.face.checked(c.box), on);
            EXPECT_EQ(flag(), on);
            for (int id : c.controls) EXPECT_EQ(open.face.is_enabled(id), on) << id;
        }
    }
}

TEST(AdvanceDlg, FieldRulesCutReplaceAndPutBack) {
    struct Case {
        int id;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {IDC_ADV_DEFAULT_VALUE, "ABCDEFGHIJKL", "ABCDEFGHI"},
        {IDC_ADV_FILL_CHAR, "#+-", "#"},
        {IDC_ADV_CHECK_TEXT, "1234567", "12345"},
        {IDC_ADV_START, "abc", "1"},
        {IDC_ADV_COUNT, "xy", "0"},
        {IDC_ADV_LENGTH, "q", "1"},
        {IDC_ADV_LENGTH, "300", "0"},  // above a byte: the stored length stays
        {IDC_ADV_COUNT, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        FormWorkingCopy copy = defaults_copy(0, 7);
        Open<AdvanceDlg> open(copy);
        open.face.type(c.id, c.typed);
        EXPECT_EQ(open.face.text(c.id), c.shown);
        const FormRecord& f = copy.forms[0];
        switch (c.id) {
        case IDC_ADV_DEFAULT_VALUE: EXPECT_EQ(cell_text(f.defaultValue[7]), c.shown); break;
        case IDC_ADV_FILL_CHAR: EXPECT_EQ(f.fillChar[7], '#'); break;
        case IDC_ADV_CHECK_TEXT: EXPECT_EQ(cell_text(f.checkPrefix[7]), c.shown); break;
        case IDC_ADV_START: EXPECT_EQ(f.substringStart[7], 1); break;
        case IDC_ADV_COUNT: EXPECT_EQ(f.substringCount[7], 0); break;
        case IDC_ADV_LENGTH: EXPECT_EQ(f.fixedLength[7], std::string(c.shown) == "1" ? 1 : 0); break;
        }
        // The next field after the line's slot is untouched.
        EXPECT_EQ(f.prefixOn[0], 0);
        EXPECT_EQ(f.autoEnter[0], 1);
    }
}

TEST(AdvanceDlg, OkCorrectsSubstringAndClearsAFillThatIsSwitchedOff) {
    FormWorkingCopy copy = defaults_copy(1, 0);
    copy.forms[1].fillChar[0] = '_';
    Open<AdvanceDlg> first(copy);
    first.face.type(IDC_ADV_COUNT, "letters");  // shows "0", stores 0
    first.face.type(IDC_ADV_START, "");         // stores 0
    first.face.click(IDC_ADV_FILL);             // off
    EXPECT_EQ(copy.forms[1].fillChar[0], '_');  // kept until OK
    EXPECT_EQ(first.face.click(kIdOk), DialogResult::CloseOk);
    EXPECT_EQ(copy.forms[1].substringCount[0], 50);
    EXPECT_EQ(copy.forms[1].substringStart[0], 1);
    EXPECT_EQ(copy.forms[1].fillChar[0], 0);

    Open<AdvanceDlg> again(copy);
    EXPECT_FALSE(again.face.checked(IDC_ADV_FILL));
    EXPECT_EQ(again.face.text(IDC_ADV_FILL_CHAR), "");
    EXPECT_FALSE(again.face.is_enabled(IDC_ADV_FILL_CHAR));
}

TEST(AdvanceDlg, TenCodePrefixOnTheLastLineFillsItsSlotOnly) {
    FormWorkingCopy copy = defaults_copy(9, 7);
    const FormRecord before = copy.forms[9];
    Open<AdvanceDlg> open(copy);
    open.face.click(IDC_ADV_PREFIX);
    open.grid(IDC_LINE_PREFIX_FIELD, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, kIdOk);
    EXPECT_EQ(open.face.text(IDC_LINE_PREFIX_FIELD), "[SOH][STX][ETX][EOT][ENQ][ACK][BEL][BS][HT][LF]");
    open.face.click(kIdOk);
    FormRecord expected = before;
    expected.prefixOn[7] = 1;
    for (u8 i = 0; i < 10; ++i) expected.prefix[7][i] = static_cast<u8>(i + 1);
    expected.substringStart[7] = 1;  // corrected as the dialog opened
    expected.substringCount[7] = 20;
    EXPECT_TRUE(same_bytes(copy.forms[9], expected));

    Open<AdvanceDlg> again(copy);
    EXPECT_EQ(again.face.text(IDC_LINE_PREFIX_FIELD), "[SOH][STX][ETX][EOT][ENQ][ACK][BEL][BS][HT][LF]");
}

TEST(AdvanceDlg, CancelPutsTheWholeFormBack) {
    FormWorkingCopy copy = defaults_copy(4, 2);
    FormRecord& f = copy.forms[4];
    const u8 stored[10] = {'A', 'B'};
    std::memcpy(f.suffix[2], stored, 10);
    f.fillChar[2] = '.';
    const FormRecord before = f;
    Open<AdvanceDlg> open(copy);
    open.grid(IDC_LINE_SUFFIX_FIELD, {'X', 'Y'}, kIdOk);
    EXPECT_EQ(open.face.text(IDC_LINE_SUFFIX_FIELD), "[A][B][X][Y]");
    open.grid(IDC_LINE_PREFIX_FIELD, {'Q'}, kIdCancel);
    EXPECT_EQ(open.face.text(IDC_LINE_PREFIX_FIELD), "");
    open.face.click(IDC_ADV_FILL);
    open.face.type(IDC_ADV_DEFAULT_VALUE, "12");
    open.face.click(IDC_ADV_SUBSTRING);
    open.face.choose(IDC_ADV_AUTO_ENTER, 0);
    EXPECT_EQ(open.face.click(kIdCancel), DialogResult::CloseCancel);
    EXPECT_TRUE(same_bytes(f, before));
    EXPECT_TRUE(copy.fillFlags[4][2]);
}

TEST(AdvanceDlg, TypingIntoThePrefixFieldStoresNothing) {
    FormWorkingCopy copy = defaults_copy(0, 0);
    Open<AdvanceDlg> open(copy);
    open.face.type(IDC_LINE_PREFIX_FIELD, "[A]");
    open.face.click(kIdOk);
    EXPECT_EQ(copy.forms[0].prefix[0][0], 0);
}

TEST(LookupAdvanceDlg, StoreBoxEnablesTheOtherBoxesAndOkClearsTheFill) {
    FormWorkingCopy copy = defaults_copy(3, 6);
    FormRecord& f = copy.forms[3];
    f.fillChar[6] = '*';
    f.fixedLengthOn[6] = 1;
    f.fixedLength[6] = 8;
    Open<LookupAdvanceDlg> open(copy);
    MapDialog& face = open.face;
    EXPECT_EQ(face.text(IDC_LINE_LINE), "Zeile #7");
    EXPECT_FALSE(face.checked(IDC_LKADV_STORE));
    for (int box : {IDC_LKADV_FIXED, IDC_LKADV_PREFIX, IDC_LKADV_SUFFIX}) EXPECT_FALSE(face.is_enabled(box)) << box;
    EXPECT_TRUE(face.is_enabled(IDC_LKADV_LENGTH));  // follows "feste Länge" alone
    EXPECT_EQ(face.text(IDC_LKADV_LENGTH), "8");
    face.click(IDC_LKADV_STORE);
    EXPECT_EQ(f.defaultOn[6], 1);
    for (int box : {IDC_LKADV_FIXED, IDC_LKADV_PREFIX, IDC_LKADV_SUFFIX}) EXPECT_TRUE(face.is_enabled(box)) << box;
    face.click(IDC_LKADV_FIXED);
    EXPECT_EQ(f.fixedLengthOn[6], 0);
    EXPECT_FALSE(face.is_enabled(IDC_LKADV_LENGTH));
    EXPECT_FALSE(face.is_enabled(IDC_LKADV_JUSTIFY));
    face.type(IDC_LKADV_LENGTH, "x");
    EXPECT_EQ(f.fixedLength[6], 1);
    face.choose(IDC_LKADV_JUSTIFY, 2);
    EXPECT_EQ(f.justify[6], 2);
    face.click(IDC_LKADV_PREFIX);
    open.grid(IDC_LINE_PREFIX_FIELD, {'#'}, kIdOk);
    EXPECT_EQ(face.click(kIdOk), DialogResult::CloseOk);
    EXPECT_EQ(f.fillChar[6], 0);
    EXPECT_EQ(f.prefixOn[6], 1);
    EXPECT_EQ(read_codes(f.prefix[6]), CodeSequence{'#'});
}

TEST(LookupAdvanceDlg, CancelPutsTheFormBack) {
    FormWorkingCopy copy = defaults_copy(0, 0);
    copy.forms[0].fillChar[0] = '*';
    const FormRecord before = copy.forms[0];
    Open<LookupAdvanceDlg> open(copy);
    open.face.click(IDC_LKADV_STORE);
    open.face.click(IDC_LKADV_FIXED);
    open.face.type(IDC_LKADV_LENGTH, "9");
    open.grid(IDC_LINE_SUFFIX_FIELD, {'S'}, kIdOk);
    EXPECT_EQ(open.face.click(kIdCancel), DialogResult::CloseCancel);
    EXPECT_TRUE(same_bytes(copy.forms[0], before));
}

}  // namespace
}  // namespace kest::editor
