// Lookup files built from tables: both layouts of the lookup page's example (max lengths 5,
// 10 and 3: record length 20, starts 1, 7 and 18), header rows, chosen columns, over-long
// values with and without cutting, duplicates, every refusal with its place, the checks of
// the definition and of a file's lines against it.
#include <gtest/gtest.h>

#include <cstring>

#include "project/lookup_table.h"

namespace kest {
namespace {

LookupRecord layout(u8 separator) {
    LookupRecord l{};
    l.fieldCount = 3;
    l.recordLength = 20;
    const u8 starts[] = {1, 7, 18}, lengths[] = {5, 10, 3};
    std::memcpy(l.fieldStart, starts, 3);
    std::memcpy(l.fieldLength, lengths, 3);
    l.separator = separator;
    return l;
}

const LookupRecord kFixed = layout(0);
const LookupRecord kDivided = layout(';');

LookupTable build(const std::string& csv, const LookupRecord& l, LookupBuildOptions options = {}) {
    return build_lookup_table({reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()}, l, options);
}

std::vector<std::string> texts(const std::vector<LookupProblem>& problems) {
    std::vector<std::string> out;
    for (const auto& p : problems) out.push_back(problem_text(p));
    return out;
}

TEST(LookupTable, BothLayoutsAsTheTerminalReadsThem) {
    const std::string csv = "4711;Schraube;12\r\n4712;\"Mutter, M4\";3\r\n47;;\r\n";
    const LookupTable fixed = build(csv, kFixed);
    ASSERT_TRUE(fixed.ok()) << texts(fixed.problems).front();
    EXPECT_EQ(fixed.lines, (std::vector<std::string>{"4711 "
                                                     " "
                                                     "Schraube  "
                                                     " "
                                                     "12 ",
                                                     "4712 "
                                                     " "
                                                     "Mutter, M4"
                                                     " "
                                                     "3  ",
                                                     "47" + std::string(18, ' ')}));
    const LookupTable divided = build(csv, kDivided);
    ASSERT_TRUE(divided.ok());
    EXPECT_EQ(divided.lines, (std::vector<std::string>{"4711;Schraube;12", "4712;Mutter, M4;3", "47;;"}));
    EXPECT_EQ(lookup_file_text(divided.lines), "4711;Schraube;12\r\n4712;Mutter, M4;3\r\n47;;\r\n");
    EXPECT_FALSE(divided.header);
    EXPECT_EQ(divided.separator, U';');
}

TEST(LookupTable, UmlautsFromEveryEncodingBecomeWindows1252) {
    for (const std::string& csv : {std::string("\xEF\xBB\xBFM\xC3\xBC;\xE2\x82\xAC;x\n"), std::string("M\xFC;\x80;x\n"),
                                   std::string("\xFF\xFEM\0\xFC\0;\0\xAC\x20;\0x\0\n\0", 16)}) {
        const LookupTable t = build(csv, kDivided);
        ASSERT_TRUE(t.ok()) << texts(t.problems).front();
        EXPECT_EQ(t.lines, std::vector<std::string>{"M\xFC;\x80;x"});
    }
}

TEST(LookupTable, HeaderRowsAndChosenColumns) {
    struct Case {
        const char* name;
        std::string csv;
        LookupBuildOptions options;
        std::vector<std::string> lines;
        bool header;
    };
    using H = LookupBuildOptions::Header;
    const std::string named = "Nummer;Menge;Bezeichnung;Lager\n4711;12;Schraube;A1\n";
    const Case cases[] = {
        {"no cell of the first record fits: a header", "Artikel;Bezeichnung;Menge\n1;x;2\n", {}, {"1;x;2"}, true},
        {"every cell fits: a record", "Nr;Text;Anz\n1;x;2\n", {}, {"Nr;Text;Anz", "1;x;2"}, false},
        {"--header", "a;b;c\n1;x;2\n", {.header = H::Yes}, {"1;x;2"}, true},
        {"--no-header", "Artikel;Bezeichnung;Menge\n", {.header = H::No}, {}, false},
        {"columns by name", named, {.columns = {"Nummer", "Bezeichnung", "Menge"}}, {"4711;Schraube;12"}, true},
        {"columns by number", named, {.header = H::Yes, .columns = {"1", "4", "2"}}, {"4711;A1;12"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LookupTable t = build(c.csv, kDivided, c.options);
        if (c.lines.empty()) {
            EXPECT_FALSE(t.ok());  // the header row does not fit as a record
            continue;
        }
        ASSERT_TRUE(t.ok()) << texts(t.problems).front();
        EXPECT_EQ(t.lines, c.lines);
        EXPECT_EQ(t.header, c.header);
    }
}

TEST(LookupTable, OverlongValuesRefuseOrAreCut) {
    const std::string csv = "471100;Schraube M4 verzinkt;12\n4712;ok;1234\n";
    const LookupTable refused = build(csv, kFixed);
    EXPECT_TRUE(refused.lines.empty());
    EXPECT_EQ(
        texts(refused.problems),
        (std::vector<std::string>{"line 1, column 1: \"471100\" has 6 characters; field #1 takes 5",
                                  "line 1, column 2: \"Schraube M4 verzinkt\" has 20 characters; field #2 takes 10",
                                  "line 2, column 3: \"1234\" has 4 characters; field #3 takes 3"}));
    for (const LookupRecord& l : {kFixed, kDivided}) {
        const LookupTable cut = build(csv, l, {.cut = true});
        ASSERT_TRUE(cut.ok());
        EXPECT_EQ(cut.cutValues, 3);
        // The first record might be a header row whose names did not all overflow.
        EXPECT_EQ(texts(cut.warnings),
                  std::vector<std::string>{"line 1 was sent as a record with 2 values cut: if it is a header row, give "
                                           "--header"});
        const std::vector<std::string> lines = l.separator
                                                   ? std::vector<std::string>{"47110;Schraube M;12", "4712;ok;123"}
                                                   : std::vector<std::string>{
                                                         "47110"
                                                         " "
                                                         "Schraube M"
                                                         " "
                                                         "12 ",
                                                         "4712 "
                                                         " "
                                                         "ok        "
                                                         " "
                                                         "123"};
        EXPECT_EQ(cut.lines, lines);
    }
    // Blanks at the end of a fixed-length value are the padding: they do not count.
    EXPECT_TRUE(build("4711     ;x;1\n", kFixed).ok());
    EXPECT_FALSE(build("4711     ;x;1\n", kDivided).ok());
}

TEST(LookupTable, RefusalsNameTheirPlace) {
    struct Case {
        std::string csv;
        LookupBuildOptions options;
        std::string problem;
    };
    const Case cases[] = {
        {"1;\"a;b\";2\n", {.separator = U';'}, "line 1, column 2: \"a;b\" holds the separator ';' (U+003B)"},
        {"1,\"a\nb\",2\n", {}, "line 1, column 2: the value holds LF"},
        {"1;x\xE2\x84\xA6;2\n",
         {},
         "line 1, column 2: '\xE2\x84\xA6' (U+2126) has no code in Windows-1252, the "
         "terminal's code page"},
        {"1;x;2\n;y;3\n", {}, "line 2, column 1: the key (field #1) is empty"},
        {"1;x;2\n\n4;y\n", {}, "line 3 has 2 columns, the first record 3"},
        {"1;x\n", {}, "the table has 2 columns for the lookup's 3 fields (--columns chooses them)"},
        {"1;x;2;3\n", {.columns = {"1", "5", "2"}}, "the table has no column \"5\""},
        {"1;x;2\n", {.columns = {"1", "2"}}, "2 columns chosen for the lookup's 3 fields"},
        {"1;\"x\"y;2\n", {}, "line 1, column 2: text after the closing quote"},
        {"a;b;c\n1;\"x;2\n", {}, "line 2, column 2: a quote is not closed"},
        {std::string("1;x\0;2\n", 7),
         {},
         "line 1, character 4: a NUL byte: the file is not text (UTF-16 without a BOM?)"},
        {"\n\n", {}, "the table holds no records"},
        {"1;x;2\n1;y;3\n", {.unique = true}, "line 2: the key \"1\" is also on line 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csv);
        const LookupTable t = build(c.csv, kDivided, c.options);
        EXPECT_TRUE(t.lines.empty());
        ASSERT_EQ(t.problemCount, 1);
        EXPECT_EQ(problem_text(t.problems[0]), c.problem);
    }
}

TEST(LookupTable, DuplicateKeysAreWarningsAndSortingFollowsTheBytes) {
    const std::string csv = "b;1;x\n\xC4;2;x\na;3;x\nb;4;x\nB;5;x\n";
    const LookupTable t = build(csv, kFixed, {.sort = true});
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(texts(t.warnings), std::vector<std::string>{"line 4: the key \"b\" is also on line 1"});
    std::vector<std::string> keys;
    for (const auto& line : t.lines) keys.push_back(line.substr(0, 1) + line.substr(6, 1));
    EXPECT_EQ(keys, (std::vector<std::string>{"B5", "a3", "b1", "b4",
                                              "\xC4"
                                              "2"}));
}

TEST(LookupTable, DefinitionsThatCannotHoldAFile) {
    struct Case {
        const char* name;
        void (*change)(LookupRecord&);
        std::string problem;
    };
    const Case cases[] = {
        {"no fields", [](LookupRecord& l) { l.fieldCount = 0; }, "the lookup has no fields (\"Anzahl Felder\" 0)"},
        {"key outside", [](LookupRecord& l) { l.keyField = 3; },
         "the key field #4 is not one of the lookup's 3 fields"},
        {"length 0", [](LookupRecord& l) { l.fieldLength[1] = 0; }, "field #2 has length 0"},
        {"start 0", [](LookupRecord& l) { l.fieldStart[2] = 0; },
         "field #3 starts at position 0 (positions start at 1)"},
        {"past the record", [](LookupRecord& l) { l.recordLength = 19; },
         "field #3 ends at position 20, past the record length 19"},
        {"overlap", [](LookupRecord& l) { l.fieldStart[1] = 5; }, "fields #1 and #2 overlap"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LookupRecord l = kFixed;
        c.change(l);
        EXPECT_EQ(texts(layout_problems(l)), std::vector<std::string>{c.problem});
        EXPECT_FALSE(build("1;x;2\n", l).ok());
    }
    EXPECT_TRUE(layout_problems(kFixed).empty());
    LookupRecord cr = kDivided;
    cr.separator = 0x0D;
    EXPECT_EQ(texts(layout_problems(cr)), std::vector<std::string>{"the separator (code 13) cannot divide a line"});
    // Divided fields may make a line longer than the terminal takes.
    LookupRecord wide = kDivided;
    wide.fieldLength[1] = 250;
    wide.fieldLength[2] = 250;
    EXPECT_EQ(texts(build("1;" + std::string(250, 'x') + ";" + std::string(40, 'y') + "\n", wide).problems),
              std::vector<std::string>{"line 1 is 293 bytes long; a lookup line has at most 289"});
}

TEST(LookupTable, LinesOfAFileAgainstTheDefinition) {
    const std::pair<std::string, std::string> fixed[] = {
        {std::string(20, 'x'), ""},
        {std::string(19, 'x'), "line 7 has 19 characters; the record length is 20"},
    };
    for (const auto& [line, problem] : fixed) {
        const auto p = check_lookup_line(line, 7, kFixed);
        EXPECT_EQ(p ? problem_text(*p) : "", problem) << line;
    }
    const std::pair<std::string, std::string> divided[] = {
        {"12345;1234567890;123", ""},
        {";;", ""},
        {"1;2", "line 7 has 1 separators; the fields need 2"},
        {"1;2;3;4", "line 7 has 3 separators; the fields need 2"},
        {"1;2;1234", "line 7: field #3 has 4 characters, at most 3"},
    };
    for (const auto& [line, problem] : divided) {
        const auto p = check_lookup_line(line, 7, kDivided);
        EXPECT_EQ(p ? problem_text(*p) : "", problem) << line;
    }
}

}  // namespace
}  // namespace kest
