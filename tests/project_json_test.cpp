// The project as JSON text: the field description, the reader's faults, the JSON parser and
// the exact code-page conversion it relies on. The round trip over random projects runs
// the program (tests/integration/kest_project_test.cpp).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "common/json.h"
#include "project/project_fields.h"
#include "project/project_json.h"
#include "tests/support/projects.h"

namespace kest {
namespace {

// Counts how often the description names each byte of the tables.
class Coverage {
public:
    explicit Coverage(const Project& p) : base_(reinterpret_cast<const u8*>(&p)), count(sizeof(Project)) {}
    const u8* base_;
    std::vector<int> count;

    template <class F>
    void object(const char*, F&& f) {
        f();
    }
    template <class F>
    void objects(const char*, int n, F&& f) {
        for (int i = 0; i < n; ++i) f(i);
    }
    void info(const char*, int) {}
    void info(const char*, const std::string&) {}
    void number(const char*, const u8& b, unsigned, int = 0) { mark(&b, 1); }
    void flag(const char*, const u8& b) { mark(&b, 1); }
    void font(const char*, const u8& b) { mark(&b, 1); }
    void code(const char*, const char*, const u8& b, const fields::Names&) { mark(&b, 1); }
    void target(const char*, const u8& b) { mark(&b, 1); }
    void cell(const char*, const char* c, std::size_t size, std::size_t) { mark(c, size); }
    void cells(const char*, const char* c, int n, std::size_t size, std::size_t) {
        mark(c, size * static_cast<std::size_t>(n));
    }
    void bytes(const char*, const u8* b, std::size_t size, unsigned) { mark(b, size); }
    void coded_bytes(const char*, const char*, const u8* b, std::size_t size, const fields::Names&) { mark(b, size); }
    void flags(const char*, const u8* b, std::size_t size) { mark(b, size); }
    void codes(const char*, const u8* b, std::size_t size) { mark(b, size); }
    void raw(const char*, const u8* b, std::size_t size) { mark(b, size); }

private:
    void mark(const void* at, std::size_t size) {
        const auto offset = static_cast<std::size_t>(static_cast<const u8*>(at) - base_);
        for (std::size_t i = 0; i < size; ++i) ++count[offset + i];
    }
};

TEST(ProjectFields, NameEveryByteAfterTheTagOnce) {
    const auto p = testing::zero_project();
    Coverage c(*p);
    fields::visit_project(c, *p);
    for (std::size_t i = 0; i < sizeof(Project); ++i)
        ASSERT_EQ(c.count[i], i < sizeof p->version ? 0 : 1) << "offset " << i;
}

TEST(ProjectJson, RandomTablesComeBackByteForByte) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        auto p = testing::zero_project();
        auto* bytes = reinterpret_cast<u8*>(p.get());
        for (std::size_t i = 0; i < sizeof(Project); ++i) bytes[i] = static_cast<u8>(random());
        std::memcpy(p->version.tag, kProjectTag, sizeof kProjectTag);
        const std::string text = project_to_json(*p, "x.agx", false, check_project(*p));
        auto back = testing::new_project();
        ASSERT_EQ(project_from_json(text, *back), "") << round;
        ASSERT_EQ(std::memcmp(back.get(), p.get(), sizeof(Project)), 0) << round;
    }
}

// The default project's text with one piece replaced.
std::string edited(const std::string& from, const std::string& to) {
    std::string text = project_to_json(*testing::new_project(), "x.agx", false, {});
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(ProjectJson, FaultsNameTheLineAndTheField) {
    struct Case {
        const char* name;
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"syntax", edited("\"olderLayout\": false,", "\"olderLayout\": false"),
         "line 5, column 3: ',' or '}' expected"},
        {"not an object", "[1, 2]", "the project is one JSON object"},
        {"tag", edited("\"KEST-1.00\"", "\"Qvx-4.00\""), "tag: is \"Qvx-4.00\""},
        {"unknown key", edited("\"largeTitles\"", "\"largeTitle\""), "settings.largeTitle: unknown key"},
        {"missing key", edited("\"backlight\": false,", ""), "settings: \"backlight\" is missing"},
        {"not a byte", edited("\"optionByte\": 1", "\"optionByte\": 300"), "settings.optionByte: 300 is out of 0-255"},
        {"key field from 1", edited("\"keyField\": 1", "\"keyField\": 0"), "lookups[0].keyField: 0 is out of 1-256"},
        {"wrong kind", edited("\"optionByte\": 1", "\"optionByte\": \"1\""), "settings.optionByte: a number expected"},
        {"name and number",
         edited("\"type\": 0,\n          \"typeName\": \"<leer>\"", "\"type\": 2,\n          \"typeName\": \"Text\""),
         "forms[0].lines[0].typeName: \"Text\" is not the name of type 2 (\"Ganzzahl\")"},
        {"target name", edited("\"name\": \"Startmaske\"", "\"name\": \"Maske  1\""), "forms[0].escTarget.name:"},
        {"order", edited("\"number\": 1", "\"number\": 2"), "forms[0].number: is 2, expected 1"},
        {"list length", edited("\"barcode\": [155, ", "\"barcode\": ["), "barcode: holds 22 entries, expected 23"},
        {"code page", edited("\"password\": \"\"", "\"password\": \"\xCE\xA9\""), "settings.password: holds U+03A9"},
        {"too long", edited("\"password\": \"\"", "\"password\": \"abcdefghijklm\""),
         "is 13 characters long; the cell holds 11"},
        {"zero in a text", edited("\"password\": \"\"", "\"password\": \"a\\u0000b\""), "a text holds no zero byte"},
        {"after too long",
         edited("\"password\": \"\"", "\"password\": \"abc\", \"passwordAfter\": \"010203040506070809\""),
         "settings.passwordAfter: the text, its terminating zero and these bytes do not fit the 12-byte cell"},
        {"hex", edited("\"password\": \"\"", "\"password\": \"a\", \"passwordAfter\": \"0g\""),
         "settings.passwordAfter: hexadecimal digits expected"},
        {"rows after", edited("\"signOn\": [", "\"signOnAfter\": [\"01\"], \"signOn\": ["),
         "texts.signOnAfter: holds 1 entries, expected 4"},
        {"function key name", edited("\"functionKeyNames\": [\"<leer>\"", "\"functionKeyNames\": [\"Programm\""),
         "settings.functionKeyNames[0]: is not the name of functionKeys[0] (\"<leer>\")"},
        {"codes", edited("\"prefix\": []", "\"prefix\": [1,2,3,4,5,6,7,8,9,10,11]"), "prefix: holds at most 10"},
        {"font", edited("\"font\": \"small\"", "\"font\": \"tiny\""), "forms[0].font: \"small\", \"large\" or a byte"},
        {"flag", edited("\"loadable\": true", "\"loadable\": \"yes\""), "lookups[0].loadable: true, false or a byte"},
    };
    for (const Case& c : cases) {
        auto p = testing::new_project();
        const auto before = std::make_unique<Project>(*p);
        const std::string error = project_from_json(c.text, *p);
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << c.name << ": " << error;
        EXPECT_EQ(std::memcmp(p.get(), before.get(), sizeof(Project)), 0) << c.name;
    }
}

TEST(ProjectJson, TextsAreWindows1252AndCellsKeepWhatFollowsTheirZero) {
    auto p = testing::new_project();
    set_cell(p->forms[0].prompt[0],
             "St\xFC"
             "ck \x80");
    std::memcpy(p->menus[0].items[0], "Hi\0lo Welt", 10);
    const std::string text = project_to_json(*p, "x.agx", false, {});
    EXPECT_NE(text.find("\"prompt\": \"St\xC3\xBC"
                        "ck \xE2\x82\xAC\""),
              std::string::npos);
    EXPECT_NE(text.find("\"text\": \"Hi\",\n          \"textAfter\": \"6C6F2057656C74\""), std::string::npos);
    auto back = testing::zero_project();
    ASSERT_EQ(project_from_json(text, *back), "");
    EXPECT_EQ(std::memcmp(back.get(), p.get(), sizeof(Project)), 0);
}

TEST(JsonParse, AcceptsTheGrammarAndRefusesWhatIsNotJson) {
    struct Case {
        std::string text;
        const char* error;  // nullptr: accepted
    };
    const Case cases[] = {
        {" {\"a\": [1, -2, true, false, null, \"x\\u00fc\\ud83d\\ude00\\n\"]} ", nullptr},
        {"\xEF\xBB\xBF{}", nullptr},
        {"{\"a\": 1, \"a\": 2}", "the key \"a\" is given twice"},
        {"{\"a\": 1.5}", "only whole numbers"},
        {"{\"a\": 1e3}", "only whole numbers"},
        {"{\"a\": 012}", "may not start with 0"},
        {"{\"a\": 1234567890123456789}", "number too large"},
        {"[1,]", "unexpected character"},
        {"{\"a\" 1}", "':' expected"},
        {"\"\\ud800\"", "without its low surrogate"},
        {"\"\\udc00\"", "lone low surrogate"},
        {"\"\\x\"", "unknown escape"},
        {"\"a\tb\"", "control character"},
        {"\"\xC3\"", "not UTF-8"},
        {"\"\xC0\xAF\"", "not UTF-8"},
        {"\"\xED\xA0\x80\"", "not UTF-8"},
        {"\"abc", "ends early (a string is not closed)"},
        {"{} x", "after the end"},
        {"", "line 1, column 1: the document ends early (a value expected)"},
        {std::string(70, '[') + std::string(70, ']'), "nested more than 64"},
        {"{\n  \"a\": tru\n}", "line 2, column 8"},
    };
    for (const Case& c : cases) {
        const JsonParse r = parse_json(c.text);
        if (!c.error) {
            EXPECT_TRUE(r.value.has_value()) << c.text << ": " << r.error;
            continue;
        }
        EXPECT_FALSE(r.value.has_value()) << c.text;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.text << ": " << r.error;
    }
    const JsonParse r = parse_json("{\"a\": [1, -2, \"x\\u00fc\\ud83d\\ude00\"]}");
    ASSERT_TRUE(r.value);
    const JsonValue* a = r.value->member("a");
    ASSERT_TRUE(a && a->items.size() == 3);
    EXPECT_EQ(a->items[1].number, -2);
    EXPECT_EQ(a->items[2].text, "x\xC3\xBC\xF0\x9F\x98\x80");
}

TEST(Cp1252, EveryByteComesBackExactlyAndOtherCharactersAreRefused) {
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(utf8_to_cp1252_exact(cp1252_to_utf8(byte)), byte) << b;
    }
    std::string missing;
    EXPECT_FALSE(utf8_to_cp1252_exact("a\xCE\xA9", &missing));
    EXPECT_EQ(missing, "U+03A9");
    EXPECT_FALSE(utf8_to_cp1252_exact("\xC2\x80"));  // U+0080: 0x80 is the euro sign
    EXPECT_FALSE(utf8_to_cp1252_exact("\xC3"));
}

}  // namespace
}  // namespace kest
