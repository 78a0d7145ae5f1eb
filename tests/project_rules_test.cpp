#include "project/rules.h"

#include <gtest/gtest.h>

#include <string>

namespace kest {
namespace {

TEST(ProjectRules, LinesAreClearedByType) {
    // type, keeps its prompt, keeps its lookup key, takes input
    const struct {
        u8 type;
        bool prompt, key, input;
    } cases[] = {
        {kFieldEmpty, false, false, false},        {kFieldText, true, true, true},
        {kFieldInteger, true, true, true},         {kFieldReal, true, true, true},
        {kFieldLetter, true, true, true},          {kFieldAutoSign, true, true, true},
        {kFieldBoolean, true, true, true},         {kFieldLookup, true, true, false},
        {kFieldFixedData, true, false, false},     {kFieldHeading, true, false, false},
        {kFieldCounter, true, false, false},       {kFieldPassDown, true, false, false},
        {kFieldContinuation, false, false, false}, {13, true, false, false},  // a code a damaged file may hold
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        FormRecord f{};
        f.lineType[3] = c.type;
        f.lineLookupKey[3] = 7;
        set_cell(f.prompt[3], "Prompt");
        clear_line_by_type(f, 3);
        EXPECT_EQ(cell_text(f.prompt[3]), c.prompt ? "Prompt" : "");
        EXPECT_EQ(f.lineLookupKey[3], c.key ? 7 : 0);
        EXPECT_EQ(is_input_line(c.type), c.input);
        EXPECT_EQ(count_entry_lines(f), c.input ? 4 : 0);
    }
}

TEST(ProjectRules, RecountingCountsWithoutPaddingOrClamping) {
    Project p{};
    set_cell(p.menus[2].items[0], "eins");
    set_cell(p.menus[2].items[4], std::string(17, ' ') + "X");
    p.menus[2].titleEnabled = 1;
    set_cell(p.menus[2].title, "Titel");
    FormRecord& f = p.forms[2];
    f.font = 1;
    f.lineType[1] = kFieldInteger;
    f.lineType[6] = kFieldText;  // a large-font form keeps it until it is normalised
    f.maxLength[1] = 60;
    f.lineType[2] = kFieldContinuation;
    set_cell(f.prompt[2], "weg");
    p = recounted_menus_and_forms(p);
    EXPECT_EQ(p.menus[2].itemCount, 2);
    EXPECT_EQ(cell_text(p.menus[2].title), "Titel");
    EXPECT_EQ(cell_text(p.menus[2].items[0]), "eins");
    EXPECT_EQ(f.entryLineCount, 7);
    EXPECT_EQ(f.maxLength[1], 60);
    EXPECT_EQ(cell_text(f.prompt[2]), "");

    p = normalised_menus_and_forms(p);
    EXPECT_EQ(p.menus[2].itemCount, 2);
    EXPECT_EQ(cell_text(p.menus[2].title), "Titel" + std::string(15, ' '));
    EXPECT_EQ(f.entryLineCount, 2);
    EXPECT_EQ(f.maxLength[1], 50);
}

}  // namespace
}  // namespace kest
