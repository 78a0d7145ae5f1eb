// A lookup file checked before it is sent: what is refused (and where), what is converted,
// what goes out byte for byte, and the lines against a lookup definition.
#include <gtest/gtest.h>

#include <cstring>

#include "session/lookup_file.h"
#include "tests/support/scripted_ui.h"

namespace kest {
namespace {

PreparedLookup prepare(const std::string& bytes, const LookupFileRules& rules = {}) {
    return prepare_lookup_file({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, rules);
}

std::string first_problem(const PreparedLookup& p) { return p.refused() ? problem_text(p.problems[0]) : ""; }

TEST(LookupFile, RefusedBeforeAnythingIsSent) {
    const std::string srec = "S00F000068656C6C6F202020202000003C\r\nS1130000285F245F2212226A000424290008237C2A\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is empty"},
        {"\r\n\n", "the file is empty"},
        {std::string("\xFF\xFE"
                     "4\0"
                     "7\0",
                     6),
         "the file is UTF-16 text"},
        {std::string("\xFE\xFF\0"
                     "4",
                     4),
         "the file is UTF-16 text"},
        {std::string("4711;a\r\n47\0"
                     "12",
                     11),
         "line 2, character 3: a NUL byte: the file is not text (UTF-16 without a BOM?)"},
        {std::string(kProjectTag, sizeof kProjectTag) + std::string(100, '\0'),
         "not a lookup file: this is a project file"},
        {"Qvx-4.00 and more", "not a lookup file: this is a project file"},
        {"\r\n  " + srec, "not a lookup file: this is an object program (S-records)"},
        {"\xEF\xBB\xBF"
         "ok\r\nM\xFCller",
         "line 2, character 2: the bytes are not UTF-8 text"},
        {"ok\r\nx \xE2\x84\xA6",
         "line 2, character 3: '\xE2\x84\xA6' (U+2126) has no code in Windows-1252, the "
         "terminal's code page"},
        {"a\n" + std::string(290, 'x'), "line 2 is 290 bytes long; a lookup line has at most 289"},
    };
    for (const auto& [bytes, problem] : cases) {
        SCOPED_TRACE(problem);
        const PreparedLookup p = prepare(bytes);
        EXPECT_EQ(first_problem(p), problem);
    }
    // A key that looks like a record type is no object program without its checksum.
    EXPECT_FALSE(prepare("S1130000;Schraube\r\n").refused());
}

TEST(LookupFile, ConvertedOrSentAsItIs) {
    struct Case {
        const char* name;
        std::string bytes;
        LookupFileRules rules;
        std::vector<std::string> lines;
        std::vector<LookupNote> notes;
    };
    using N = LookupNote;
    const Case cases[] = {
        {"ASCII", "4711;a\r\n4712;b", {}, {"4711;a", "4712;b"}, {}},
        {"Windows-1252 byte for byte", "M\xFCller\x81\r\n", {}, {"M\xFCller\x81"}, {}},
        {"UTF-8", "M\xC3\xBCller \xE2\x82\xAC\n", {}, {"M\xFCller \x80"}, {N::FromUtf8}},
        {"UTF-8 BOM, ASCII",
         "\xEF\xBB\xBF"
         "a\n",
         {},
         {"a"},
         {N::BomDropped}},
        {"UTF-8 BOM and umlauts", "\xEF\xBB\xBF\xC3\x84\n", {}, {"\xC4"}, {N::BomDropped, N::FromUtf8}},
        {"--raw", "\xEF\xBB\xBF\xC3\x84\n", {.raw = true}, {"\xEF\xBB\xBF\xC3\x84"}, {}},
        {"--allow-empty", "", {.allowEmpty = true}, {}, {}},
        {"--allow-empty, line ends only", "\r\n\r\n", {.allowEmpty = true}, {"", ""}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PreparedLookup p = prepare(c.bytes, c.rules);
        EXPECT_FALSE(p.refused()) << first_problem(p);
        EXPECT_EQ(p.lines, c.lines);
        EXPECT_EQ(p.notes, c.notes);
    }
}

TEST(LookupFile, LinesAgainstTheDefinitionNameTheFirstMismatches) {
    LookupRecord fixed{};
    fixed.recordLength = 6;
    fixed.fieldCount = 2;
    fixed.fieldStart[0] = 1, fixed.fieldLength[0] = 4;
    fixed.fieldStart[1] = 5, fixed.fieldLength[1] = 2;
    std::string file;
    for (int i = 1; i <= 9; ++i) file += (i == 2 ? "4711ab" : "4711a") + std::string("\r\n");
    const PreparedLookup p = prepare(file, {.layout = &fixed});
    EXPECT_EQ(p.problemCount, 8);
    ASSERT_EQ(p.problems.size(), kMaxNamedMismatches);
    EXPECT_EQ(problem_text(p.problems[0]), "line 1 has 5 characters; the record length is 6");
    EXPECT_EQ(p.problems[1].line, 3);

    LookupRecord divided = fixed;
    divided.separator = '|';
    EXPECT_EQ(first_problem(prepare("4711|ab\r\n4712|abc\r\n", {.layout = &divided})),
              "line 2: field #2 has 3 characters, at most 2");
    EXPECT_FALSE(prepare("4711|ab\r\n|\r\n", {.layout = &divided}).refused());
    divided.fieldCount = 0;
    EXPECT_EQ(first_problem(prepare("4711|ab\r\n", {.layout = &divided})),
              "the lookup has no fields (\"Anzahl Felder\" 0)");
}

TEST(LookupFile, AgkestTellsInItsBoxes) {
    testing::ScriptedUi ui;
    tell_de(prepare("\xEF\xBB\xBF\xC3\x84\n"), ui);
    tell_de(prepare(""), ui);
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[0].caption, "Warnung");
    EXPECT_EQ(ui.messages[1].text,
              "Die Datei ist UTF-8-Text und wird in Windows-1252, dem Zeichensatz des Terminals, gesendet.");
    EXPECT_EQ(ui.messages[2].text, "Die Datei ist leer! Sie w\xFCrde die Lookupdatei im Terminal l\xF6schen.");
    EXPECT_EQ(ui.messages[2].caption, "Fehler");
    EXPECT_EQ(ui.messages[2].icon, Icon::Warning);
}

}  // namespace
}  // namespace kest
