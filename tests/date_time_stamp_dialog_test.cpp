#include "editor/date_time_stamp_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "project/defaults.h"
#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using testing::MapDialog;

struct Open {
    FormWorkingCopy copy;
    DateTimeStampDlg dlg{copy};
    MapDialog face;
    explicit Open(int form = 0) {
        Project project{};
        reset_to_defaults(project);
        std::memcpy(copy.forms.data(), project.forms, sizeof project.forms);
        copy.currentForm = form;
        face.attach(dlg);
        dlg.init(face);
    }
    FormRecord& f() { return copy.forms[static_cast<std::size_t>(copy.currentForm)]; }
};

TEST(DateTimeStampDlg, OpensWithListsBoxesAndPreviews) {
    Open open(6);
    MapDialog& face = open.face;
    EXPECT_EQ(face.lists[IDC_STAMP_POSITION],
              (std::vector<std::string>{"<leer>", "vor den Datensatz", "an das Ende des Datensatzes"}));
    EXPECT_EQ(face.lists[IDC_STAMP_ORDER],
              (std::vector<std::string>{"Jahr.Monat.Tag", "Monat.Tag.Jahr", "Tag.Monat.Jahr"}));
    EXPECT_EQ(face.selection(IDC_STAMP_YEAR_DIGITS), 0);
    EXPECT_EQ(face.text(IDC_STAMP_DATE_SEP), ".");
    EXPECT_EQ(face.text(IDC_STAMP_TIME_SEP), ":");
    EXPECT_TRUE(face.checked(IDC_STAMP_SPLIT));
    EXPECT_TRUE(face.checked(IDC_STAMP_SECOND));
    EXPECT_EQ(face.text(IDC_STAMP_DATE_GROUP), "Datumformat : JJJJ.MM.TT");
    EXPECT_EQ(face.text(IDC_STAMP_TIME_GROUP), "Zeitformat : HH:MM:SS");
}

TEST(DateTimeStampDlg, PreviewsFollowEveryControl) {
    struct Step {
        int id;
        int index;  // list entry or -1 for a click, -2 for typing `text`
        const char* text;
        const char* date;
        const char* time;
    };
    // One run through the dialog; each step's previews afterwards.
    const Step steps[] = {
        {IDC_STAMP_ORDER, 2, "", "Datumformat : TT.MM.JJJJ", "Zeitformat : HH:MM:SS"},
        {IDC_STAMP_YEAR_DIGITS, 1, "", "Datumformat : TT.MM.JJ", "Zeitformat : HH:MM:SS"},
        {IDC_STAMP_DAY, -1, "", "Datumformat : MM.JJ", "Zeitformat : HH:MM:SS"},
        {IDC_STAMP_DATE_SEP, -2, "-/", "Datumformat : MM-JJ", "Zeitformat : HH:MM:SS"},
        {IDC_STAMP_DATE_SEP, -2, "", "Datumformat : MMJJ", "Zeitformat : HH:MM:SS"},  // no zero byte shown
        {IDC_STAMP_DATE_SEP_ON, -1, "", "Datumformat : MMJJ", "Zeitformat : HH:MM:SS"},
        {IDC_STAMP_ORDER, 0, "", "Datumformat : JJMM", "Zeitformat : HH:MM:SS"},
        {IDC_STAMP_MONTH, -1, "", "Datumformat : JJ", "Zeitformat : HH:MM:SS"},
        {IDC_STAMP_YEAR, -1, "", "Datumformat : ", "Zeitformat : HH:MM:SS"},
        {IDC_STAMP_HOUR, -1, "", "Datumformat : ", "Zeitformat : MM:SS"},
        {IDC_STAMP_TIME_SEP, -2, " ", "Datumformat : ", "Zeitformat : MM SS"},
        {IDC_STAMP_TIME_SEP_ON, -1, "", "Datumformat : ", "Zeitformat : MMSS"},
        {IDC_STAMP_MINUTE, -1, "", "Datumformat : ", "Zeitformat : SS"},
        {IDC_STAMP_SECOND, -1, "", "Datumformat : ", "Zeitformat : "},
        {IDC_STAMP_HOUR, -1, "", "Datumformat : ", "Zeitformat : HH"},
    };
    Open open;
    for (const auto& s : steps) {
        SCOPED_TRACE(std::to_string(s.id) + " " + s.date + " " + s.time);
        if (s.index >= 0)
            open.face.choose(s.id, s.index);
        else if (s.index == -1)
            open.face.click(s.id);
        else
            open.face.type(s.id, s.text);
        EXPECT_EQ(open.face.text(IDC_STAMP_DATE_GROUP), s.date);
        EXPECT_EQ(open.face.text(IDC_STAMP_TIME_GROUP), s.time);
    }
    const FormRecord& f = open.f();
    EXPECT_EQ(f.dateOrder, 0);
    EXPECT_EQ(f.yearDigits, 1);
    EXPECT_EQ(f.dayOn + f.monthOn + f.yearOn + f.dateSepOn, 0);
    EXPECT_EQ(f.dateSep[0], 0);
    EXPECT_EQ(std::string(f.timeSep), " ");
    EXPECT_EQ(open.face.text(IDC_STAMP_DATE_SEP), "");
}

TEST(DateTimeStampDlg, SeparatorKeepsOneCharacter) {
    Open open;
    open.face.type(IDC_STAMP_TIME_SEP, "ab");
    EXPECT_EQ(open.face.text(IDC_STAMP_TIME_SEP), "a");
    EXPECT_EQ(open.f().timeSep[0], 'a');
    EXPECT_EQ(open.f().timeSep[1], 0);
}

TEST(DateTimeStampDlg, NoStampKeepsTheOtherSettingsAndCancelRestores) {
    Open open(3);
    open.f().stampPosition = 2;
    open.dlg.init(open.face);
    const FormRecord before = open.f();
    open.face.choose(IDC_STAMP_POSITION, 0);
    EXPECT_EQ(open.face.click(kIdOk), DialogResult::CloseOk);
    FormRecord expected = before;
    expected.stampPosition = 0;
    EXPECT_EQ(std::memcmp(&open.f(), &expected, sizeof expected), 0);

    open.dlg.init(open.face);
    const FormRecord opened = open.f();
    open.face.choose(IDC_STAMP_POSITION, 1);
    open.face.click(IDC_STAMP_SPLIT);
    open.face.type(IDC_STAMP_DATE_SEP, "/");
    open.face.choose(IDC_STAMP_ORDER, 1);
    EXPECT_EQ(open.face.click(kIdCancel), DialogResult::CloseCancel);
    EXPECT_EQ(std::memcmp(&open.f(), &opened, sizeof opened), 0);
}

}  // namespace
}  // namespace kest::editor
