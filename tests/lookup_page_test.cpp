#include "editor/lookup_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "project/defaults.h"
#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using namespace lookup_page;
using testing::MapDialog;

struct Page {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    EditorState state;
    LookupPage logic;
    MapDialog face;

    Page() { reset_to_defaults(*project); }
    void open() {
        face.attach(logic);
        logic.load(*project);
        logic.init(face);
    }
    void commit() { logic.commit(*project, state); }
    const LookupRecord& shown() const {
        return logic.working_copy()[static_cast<std::size_t>(face.selection(IDC_LOOKUP_FILE))];
    }
};

// A text typed into an edit: what is stored and what the edit shows afterwards.
struct Typed {
    const char* typed;
    u8 stored;
    const char* shown;
};

// Three separated fields of max lengths 5, 10 and 3.
void define_separated(Page& p, const char* code) {
    p.face.choose(IDC_LOOKUP_FIELD_COUNT, 3);
    p.face.type(IDC_LOOKUP_LENGTH, "5");
    p.face.type(IDC_LOOKUP_LENGTH + 1, "10");
    p.face.type(IDC_LOOKUP_LENGTH + 2, "3");
    p.face.type(IDC_LOOKUP_SEPARATOR, code);  // disabled in fixed-length mode: not stored there
    p.face.click_check(IDC_LOOKUP_SEPARATED, true);
}

TEST(LookupPage, SeparatedFieldsAreLaidOutOnOk) {
    Page p;
    p.open();
    p.face.choose(IDC_LOOKUP_FILE, 1);
    define_separated(p, "59");
    EXPECT_EQ(p.face.text(IDC_LOOKUP_LENGTH_LABEL), "Max L\xE4nge");
    EXPECT_FALSE(p.face.is_enabled(IDC_LOOKUP_RECORD_LENGTH));
    EXPECT_TRUE(p.face.is_enabled(IDC_LOOKUP_SEPARATOR));
    p.commit();
    const LookupRecord& l = p.project->lookups[1];
    EXPECT_EQ(l.separator, 59);  // the code itself, not the code of its first digit
    EXPECT_EQ(l.recordLength, 20);
    EXPECT_EQ(l.fieldStart[0], 1);
    EXPECT_EQ(l.fieldStart[1], 7);
    EXPECT_EQ(l.fieldStart[2], 18);
    EXPECT_EQ(l.fieldStart[3], 1);  // fields beyond the count are left alone
    EXPECT_EQ(p.project->lookups[0].recordLength, 0);
}

TEST(LookupPage, SeparatedLayoutEdges) {
    struct Case {
        const char* name;
        u8 count;
        u8 length;  // of every field
        u8 recordLength;
        std::vector<u8> starts;
    };
    const Case cases[] = {
        {"no fields", 0, 9, 0, {1, 1}},
        {"one field", 1, 9, 9, {1, 1}},
        {"sum saturates", 8, 250, 255, {1, 252, 255, 255, 255, 255, 255, 255}},
        {"damaged count", 12, 2, 23, {1, 4, 7, 10, 13, 16, 19, 22}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LookupRecord l{};
        std::memset(l.fieldStart, 1, sizeof l.fieldStart);
        std::memset(l.fieldLength, c.length, sizeof l.fieldLength);
        l.fieldCount = c.count;
        l.separator = ';';
        l.reserved[0] = 0xAB;
        lay_out_separated_fields(l);
        EXPECT_EQ(l.recordLength, c.recordLength);
        for (std::size_t k = 0; k < c.starts.size(); ++k) EXPECT_EQ(l.fieldStart[k], c.starts[k]) << k;
        EXPECT_EQ(l.fieldLength[0], c.length);  // never overwritten by a start position
        EXPECT_EQ(l.fieldCount, c.count);
        EXPECT_EQ(l.reserved[0], 0xAB);
    }
    LookupRecord fixed{};
    fixed.fieldCount = 2;
    fixed.fieldStart[1] = 40;
    fixed.recordLength = 77;
    lay_out_separated_fields(fixed);
    EXPECT_EQ(fixed.recordLength, 77);
    EXPECT_EQ(fixed.fieldStart[1], 40);
}

TEST(LookupPage, NumberEdits) {
    const Typed cases[] = {
        {"250", 250, "250"}, {"251", 12, "12"},  // not stored: the stored length comes back
        {"99999", 12, "12"}, {"abc", 0, "0"},   {"", 0, ""}, {"007", 7, "007"},
    };
    const int ids[] = {IDC_LOOKUP_RECORD_LENGTH, IDC_LOOKUP_START, IDC_LOOKUP_START + 7, IDC_LOOKUP_LENGTH,
                       IDC_LOOKUP_LENGTH + 7};
    for (int id : ids) {
        for (const Typed& c : cases) {
            SCOPED_TRACE(std::to_string(id) + " " + c.typed);
            Page p;
            p.open();
            p.face.type(id, "12");
            p.face.type(id, c.typed);
            EXPECT_EQ(p.face.text(id), c.shown);
            p.commit();
            const LookupRecord& l = p.project->lookups[0];
            const u8 stored = id == IDC_LOOKUP_RECORD_LENGTH  ? l.recordLength
                              : id < IDC_LOOKUP_RECORD_LENGTH ? l.fieldStart[id - IDC_LOOKUP_START]
                                                              : l.fieldLength[id - IDC_LOOKUP_LENGTH];
            EXPECT_EQ(stored, c.stored);
        }
    }
}

TEST(LookupPage, FieldCountEnablesItsRows) {
    for (bool separated : {false, true}) {
        SCOPED_TRACE(separated ? "separator" : "fixed");
        Page p;
        p.open();
        if (separated) p.face.click_check(IDC_LOOKUP_SEPARATED, true);
        p.face.choose(IDC_LOOKUP_FIELD_COUNT, 2);
        EXPECT_EQ(p.shown().fieldCount, 2);
        for (int k = 0; k < kLookupFields; ++k) {
            EXPECT_EQ(p.face.is_enabled(IDC_LOOKUP_LENGTH + k), k < 2) << k;
            EXPECT_EQ(p.face.is_enabled(IDC_LOOKUP_KEY + k), k < 2) << k;
            EXPECT_EQ(p.face.is_enabled(IDC_LOOKUP_START + k), k < 2 && !separated) << k;
        }
        p.face.click_check(IDC_LOOKUP_FIXED, true);
        EXPECT_TRUE(p.face.is_enabled(IDC_LOOKUP_START + 1));
        EXPECT_FALSE(p.face.is_enabled(IDC_LOOKUP_START + 2));
        EXPECT_EQ(p.face.text(IDC_LOOKUP_LENGTH_LABEL), "   L\xE4nge");
    }
}

TEST(LookupPage, SeparatorCodeInSeparatorMode) {
    const Typed cases[] = {
        {"44", 44, "44"},  {"255", 255, "255"}, {"0", 59, "59"},  // would mean fixed-length fields under "Trennzeichen"
        {"abc", 59, "59"}, {"256", 59, "59"},   {"", 59, ""},     // left empty for the next code
    };
    for (const Typed& c : cases) {
        SCOPED_TRACE(c.typed);
        Page p;
        p.open();
        define_separated(p, "59");
        p.face.type(IDC_LOOKUP_SEPARATOR, c.typed);
        EXPECT_EQ(p.face.text(IDC_LOOKUP_SEPARATOR), c.shown);
        EXPECT_TRUE(p.face.checked(IDC_LOOKUP_SEPARATED));
        p.commit();
        EXPECT_EQ(p.project->lookups[0].separator, c.stored);
    }
}

// "feste Länge" clears the separator; "Trennzeichen" takes the code still in the edit, or
// keeps the file as it is while the edit holds none.
TEST(LookupPage, ModeRadios) {
    Page p;
    p.open();
    define_separated(p, "59");
    p.face.click_check(IDC_LOOKUP_FIXED, true);
    EXPECT_EQ(p.shown().separator, 0);
    EXPECT_TRUE(p.face.is_enabled(IDC_LOOKUP_RECORD_LENGTH));
    EXPECT_FALSE(p.face.is_enabled(IDC_LOOKUP_SEPARATOR));
    p.face.type(IDC_LOOKUP_SEPARATOR, "59");  // the disabled edit stores nothing in fixed-length mode
    EXPECT_EQ(p.shown().separator, 0);
    p.face.click_check(IDC_LOOKUP_SEPARATED, true);
    EXPECT_EQ(p.shown().separator, 59);

    Page q;
    q.open();  // fixed length: the edit shows "0"
    EXPECT_EQ(q.face.text(IDC_LOOKUP_SEPARATOR), "0");
    q.face.click_check(IDC_LOOKUP_SEPARATED, true);
    EXPECT_EQ(q.shown().separator, 0);
    q.face.type(IDC_LOOKUP_SEPARATOR, "9");
    EXPECT_EQ(q.shown().separator, 9);
}

TEST(LookupPage, EachFileKeepsItsOwnValuesAndShowsItsMode) {
    Page p;
    p.project->lookups[2].separator = ',';
    p.project->lookups[2].keyField = 3;
    p.project->lookups[2].notFoundAction = 2;
    p.project->lookups[2].loadable = 0;
    p.open();
    EXPECT_TRUE(p.face.checked(IDC_LOOKUP_FIXED));
    p.face.type(IDC_LOOKUP_RECORD_LENGTH, "33");
    p.face.choose(IDC_LOOKUP_FILE, 2);
    EXPECT_TRUE(p.face.checked(IDC_LOOKUP_SEPARATED));
    EXPECT_EQ(p.face.text(IDC_LOOKUP_SEPARATOR), "44");
    EXPECT_TRUE(p.face.checked(IDC_LOOKUP_KEY + 3));
    EXPECT_EQ(p.face.selection(IDC_LOOKUP_NOT_FOUND), 2);
    EXPECT_FALSE(p.face.checked(IDC_LOOKUP_LOADABLE));
    p.face.click_check(IDC_LOOKUP_KEY + 5, true);
    EXPECT_FALSE(p.face.checked(IDC_LOOKUP_KEY + 3));
    p.face.choose(IDC_LOOKUP_NOT_FOUND, 3);
    p.face.click_check(IDC_LOOKUP_LOADABLE, true);
    p.face.choose(IDC_LOOKUP_FILE, 0);
    EXPECT_EQ(p.face.text(IDC_LOOKUP_RECORD_LENGTH), "33");
    p.commit();
    EXPECT_EQ(p.project->lookups[0].recordLength, 33);
    EXPECT_EQ(p.project->lookups[2].keyField, 5);
    EXPECT_EQ(p.project->lookups[2].notFoundAction, 3);
    EXPECT_EQ(p.project->lookups[2].loadable, 1);
}

// A damaged field count or key field addresses only the page's eight rows and radios; the
// stored bytes stay as they are unless the user changes them.
TEST(LookupPage, DamagedCountAndKeyField) {
    Page p;
    LookupRecord& l = p.project->lookups[0];
    l.fieldCount = 11;
    l.keyField = 10;
    l.fieldLength[0] = 4;
    p.open();
    EXPECT_EQ(p.face.selection(IDC_LOOKUP_FIELD_COUNT), -1);
    for (int k = 0; k < kLookupFields; ++k) {
        EXPECT_TRUE(p.face.is_enabled(IDC_LOOKUP_LENGTH + k)) << k;
        EXPECT_FALSE(p.face.checked(IDC_LOOKUP_KEY + k)) << k;
    }
    EXPECT_TRUE(p.face.checked(IDC_LOOKUP_FIXED));
    EXPECT_FALSE(p.face.checked(IDC_LOOKUP_SEPARATED));
    p.face.click_check(IDC_LOOKUP_SEPARATED, true);
    p.face.type(IDC_LOOKUP_SEPARATOR, "9");
    p.commit();
    EXPECT_EQ(l.fieldCount, 11);
    EXPECT_EQ(l.keyField, 10);
    EXPECT_EQ(l.fieldLength[0], 4);
}

TEST(LookupPage, DefaultsResetAllThreeFiles) {
    Page p;
    for (auto& l : p.project->lookups) {
        std::memset(&l, 7, 22);
        l.separator = '|';
        l.loadable = 0;
    }
    p.open();
    p.face.choose(IDC_LOOKUP_FILE, 2);
    p.face.click(IDC_LOOKUP_DEFAULTS);
    EXPECT_EQ(p.face.selection(IDC_LOOKUP_FILE), 0);
    EXPECT_TRUE(p.face.checked(IDC_LOOKUP_FIXED));
    EXPECT_TRUE(p.face.checked(IDC_LOOKUP_LOADABLE));
    EXPECT_EQ(p.face.text(IDC_LOOKUP_START + 4), "1");
    p.commit();
    for (const auto& l : p.project->lookups) {
        LookupRecord expected = l;
        lookup_defaults(expected);
        EXPECT_EQ(std::memcmp(&l, &expected, sizeof l), 0);
        EXPECT_EQ(l.separator, 0);
        EXPECT_EQ(l.fieldStart[7], 1);
    }
}

TEST(LookupPage, CancelLeavesTheProject) {
    Page p;
    std::array<SheetPage*, kPageCount> pages{};
    pages[2] = &p.logic;
    SheetSession session(*p.project, p.state, pages);
    session.page_shown(2);
    p.face.attach(p.logic);
    p.logic.init(p.face);
    define_separated(p, "59");
    auto before = std::make_unique<Project>(*p.project);
    session.cancel();
    EXPECT_EQ(std::memcmp(p.project.get(), before.get(), sizeof(Project)), 0);
    session.ok();
    EXPECT_EQ(p.project->lookups[0].recordLength, 20);
}

}  // namespace
}  // namespace kest::editor
