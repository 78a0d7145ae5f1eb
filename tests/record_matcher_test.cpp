#include "records/record_matcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "project/defaults.h"

namespace kest::records {
namespace {

// A project whose forms store nothing but those a case sets up.
std::unique_ptr<Project> quiet_project() {
    auto project = std::make_unique<Project>();
    reset_to_defaults(*project);
    for (FormRecord& form : project->forms) form.recordAction = kRecordOutput;
    project->options.delimiter1 = ';';
    project->options.delimiter2 = 0;
    return project;
}

void set_line(FormRecord& form, int line, u8 type, const char* prompt) {
    form.lineType[line] = type;
    set_cell(form.prompt[line], prompt);
    form.maxLength[line] = 50;
}

// Form 1 storing a text line "Artikel" and a number line "Menge".
FormRecord& two_fields(Project& p) {
    FormRecord& f = p.forms[0];
    f.recordAction = kRecordStore;
    set_line(f, 0, kFieldText, "Artikel");
    set_line(f, 1, kFieldInteger, "Menge");
    return f;
}

struct Case {
    const char* name;
    std::function<void(Project&)> setup;
    std::string record;
    MatchKind kind;
    std::vector<std::string> inputs;  // lines 0, 1, ... of form 1
    bool cut = false;
};

TEST(RecordMatcher, Edges) {
    const std::string longest(160, 'X');  // the most a line takes
    const std::vector<Case> cases = {
        {"plain", [](Project& p) { two_fields(p); }, "4006381333931;12", MatchKind::kForm, {"4006381333931", "12"}},
        {"a value holding the delimiter reads two ways",
         [](Project& p) { two_fields(p).lineType[1] = kFieldText; },
         "a;b;c",
         MatchKind::kAmbiguous,
         {}},
        {"the line's type tells where the delimiter belongs",
         [](Project& p) { two_fields(p); },
         "a;b;12",
         MatchKind::kForm,
         {"a;b", "12"}},
        {"a fixed length tells where the delimiter belongs",
         [](Project& p) {
             FormRecord& f = two_fields(p);
             f.lineType[1] = kFieldText;
             f.fixedLengthOn[1] = 1, f.fixedLength[1] = 3, f.justify[1] = 3;
         },
         "a;b;0;c",
         MatchKind::kForm,
         {"a;b", ";c"}},
        {"a default value the line's type does not take",
         [](Project& p) {
             FormRecord& f = two_fields(p);
             f.defaultOn[1] = 1;
             std::memcpy(f.defaultValue[1], "n/a", 4);
         },
         "abc;n/a",
         MatchKind::kForm,
         {"abc", "n/a"}},
        {"an empty first field leaves out its delimiter",
         [](Project& p) { two_fields(p); },
         "12",
         MatchKind::kForm,
         {"", "12"}},
        {"an empty last field keeps its delimiter",
         [](Project& p) { two_fields(p); },
         "abc;",
         MatchKind::kForm,
         {"abc", ""}},
        {"no field typed is an empty record", [](Project& p) { two_fields(p); }, "", MatchKind::kForm, {"", ""}},
        {"prefix and suffix codes are not the value",
         [](Project& p) {
             FormRecord& f = two_fields(p);
             f.prefixOn[0] = 1, std::memcpy(f.prefix[0], "<<", 2);
             f.suffixOn[1] = 1, std::memcpy(f.suffix[1], ">", 1);
         },
         "<<abc;5>",
         MatchKind::kForm,
         {"abc", "5"}},
        {"missing codes fit no form",
         [](Project& p) {
             FormRecord& f = two_fields(p);
             f.prefixOn[0] = 1, std::memcpy(f.prefix[0], "<<", 2);
         },
         "abc;5",
         MatchKind::kUnmatched,
         {}},
        {"a record at the pass-down buffer's capacity",
         [](Project& p) {
             FormRecord& f = two_fields(p);
             f.lineType[1] = kFieldText;
             for (int line : {0, 1}) f.fixedLengthOn[line] = 1, f.fixedLength[line] = 255, f.justify[line] = 0;
         },
         longest + std::string(95, ' ') + ";" + std::string(151, 'Y'),
         MatchKind::kForm,
         {longest, std::string(151, 'Y')},
         true},
        {"a stamp with every part off leaves only its delimiter",
         [](Project& p) {
             FormRecord& f = two_fields(p);
             f.stampPosition = 2;
             f.yearOn = f.monthOn = f.dayOn = f.hourOn = f.minuteOn = f.secondOn = 0;
             f.stampSplit = 1;
         },
         "abc;5;;",
         MatchKind::kForm,
         {"abc", "5"}},
        {"two forms alike",
         [](Project& p) {
             two_fields(p);
             p.forms[1] = p.forms[0];
         },
         "abc;5",
         MatchKind::kAmbiguous,
         {}},
        {"a menu title saved as a record",
         [](Project& p) {
             two_fields(p).fixedLengthOn[0] = 1;
             p.forms[0].fixedLength[0] = 3;
             MenuRecord& m = p.menus[2];
             m.titleEnabled = 1, m.saveTitle = 1;
             set_cell(m.title, "LAGER");
         },
         "LAGER",
         MatchKind::kMenu,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto project = quiet_project();
        c.setup(*project);
        const ProjectLayouts layouts = project_layouts(*project);
        const RecordMatch m = match_record(layouts, c.record);
        ASSERT_EQ(m.kind, c.kind);
        if (c.kind != MatchKind::kForm) continue;
        EXPECT_EQ(m.split.form, 0);
        EXPECT_EQ(m.split.cut, c.cut);
        for (std::size_t line = 0; line < c.inputs.size(); ++line) EXPECT_EQ(m.split.inputs[line], c.inputs[line]);
    }
}

// Every justification pads on its own side with its own fill, and loses only that fill.
TEST(RecordMatcher, JustificationsGiveTheInputBack) {
    struct Justify {
        u8 code;
        std::string record;
    };
    for (const Justify& j :
         {Justify{0, "A B;7  "}, Justify{1, "A B;  7"}, Justify{2, "A B;700"}, Justify{3, "A B;007"}}) {
        SCOPED_TRACE(j.code);
        auto project = quiet_project();
        FormRecord& f = two_fields(*project);
        f.fixedLengthOn[1] = 1, f.fixedLength[1] = 3, f.justify[1] = j.code;
        const RecordMatch m = match_record(project_layouts(*project), j.record);
        ASSERT_EQ(m.kind, MatchKind::kForm);
        EXPECT_EQ(m.split.inputs[0], "A B");
        EXPECT_EQ(m.split.inputs[1], "7");
    }
}

TEST(RecordMatcher, StampBeforeTheFieldsInTheProjectsFormat) {
    auto project = quiet_project();
    FormRecord& f = two_fields(*project);
    f.stampPosition = 1, f.stampSplit = 1, f.dateOrder = 2;
    f.yearOn = f.monthOn = f.dayOn = f.hourOn = f.minuteOn = 1, f.secondOn = 0, f.yearDigits = 1;
    f.dateSepOn = f.timeSepOn = 1;
    std::memcpy(f.dateSep, ".", 2);
    std::memcpy(f.timeSep, ":", 2);
    const ProjectLayouts layouts = project_layouts(*project);
    const RecordMatch m = match_record(layouts, "08.12.26;14:03:;abc;5");
    ASSERT_EQ(m.kind, MatchKind::kForm);
    EXPECT_EQ(iso_date(m.split.stamp), "2026-12-08");
    EXPECT_EQ(iso_time(m.split.stamp), "14:03");
    EXPECT_EQ(m.split.stamp.dateText, "08.12.26");
    EXPECT_EQ(m.split.inputs[1], "5");
    EXPECT_EQ(match_record(layouts, "08.13.26;14:03:;abc;5").kind, MatchKind::kUnmatched) << "no month 13";
    EXPECT_EQ(match_record(layouts, "abc;5").kind, MatchKind::kUnmatched);
    ASSERT_EQ(layouts.forms.size(), 1u);
    std::vector<std::string> names;
    for (const Column& c : layouts.forms[0].columns) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Artikel", "Menge", "Datum", "Zeit"}));
}

TEST(RecordMatcher, ChosenFormSettlesWhatSeveralFit) {
    auto project = quiet_project();
    two_fields(*project);
    project->forms[3] = project->forms[0];
    const ProjectLayouts layouts = project_layouts(*project);
    const RecordMatch m = match_record(layouts, "abc;5", 3);
    ASSERT_EQ(m.kind, MatchKind::kForm);
    EXPECT_EQ(m.split.form, 3);
    const RecordMatch both = match_record(layouts, "abc;5");
    EXPECT_EQ(both.forms, (std::vector<int>{0, 3}));
}

TEST(RecordLayout, ColumnNamesAreUnique) {
    auto project = quiet_project();
    FormRecord& f = two_fields(*project);
    set_line(f, 1, kFieldText, " Artikel ");
    set_line(f, 2, kFieldText, "");
    set_line(f, 3, kFieldContinuation, "");
    set_line(f, 4, kFieldFixedData, "LAGER1");
    set_line(f, 5, kFieldInteger, "Zeile");
    const ProjectLayouts layouts = project_layouts(*project);
    ASSERT_EQ(layouts.forms.size(), 1u);
    std::vector<std::string> names;
    for (const Column& c : layouts.forms[0].columns) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Artikel 1", "Artikel 2", "Zeile 3", "LAGER1", "Zeile 6"}));
}

}  // namespace
}  // namespace kest::records
