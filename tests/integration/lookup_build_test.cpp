// kest lookup-build and kest lookup as a warehouse uses them: tables exported as CSV become
// lookup files, go to kestemu, and the terminal holds exactly the records of the table; and
// what the two commands refuse, with their messages and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

#include "common/cp1252.h"
#include "platform/file_steps.h"
#include "project/defaults.h"
#include "project/project_file.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"

namespace kest {
namespace {

using testing::KestemuProcess;
using testing::TempDir;
using testing::ToolRun;

ToolRun kest(const std::vector<std::string>& args) { return testing::run_kest(args); }

std::string text_of(const std::vector<unsigned char>& bytes) { return {bytes.begin(), bytes.end()}; }
void write(const std::string& file, const std::string& text) {
    TempDir::write(file, std::vector<unsigned char>(text.begin(), text.end()));
}

// A lookup definition as the lookup page leaves it: 1-5 fields of 1-12 characters, fixed
// length (separator 0; with gaps and room at the end) or divided by the separator (record
// length and start positions as the page computes them on OK).
LookupRecord random_lookup(std::mt19937& random, char separator) {
    LookupRecord l{};
    l.fieldCount = static_cast<u8>(1 + random() % 5);
    l.keyField = static_cast<u8>(random() % l.fieldCount);
    l.separator = static_cast<u8>(separator);
    int position = 1;
    for (int f = 0; f < l.fieldCount; ++f) {
        l.fieldLength[f] = static_cast<u8>(1 + random() % 12);
        l.fieldStart[f] = static_cast<u8>(position);
        position += l.fieldLength[f] + (l.separator ? 1 : static_cast<int>(random() % 3));
    }
    l.recordLength = static_cast<u8>(l.separator ? position - 2 : position - 1 + static_cast<int>(random() % 4));
    l.loadable = 1;
    return l;
}

// Windows-1252 letters with umlauts, digits, blanks and what CSV quotes.
const std::string kLetters = "AaBbZz\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xE9 0123456789-.,\"'/";

std::string random_value(std::mt19937& random, int length, bool key) {
    std::string v;
    for (int i = static_cast<int>(random() % (length + 1)); i > 0; --i) v += kLetters[random() % kLetters.size()];
    if (key && (v.empty() || v[0] == ' ')) v.insert(0, 1, 'K');
    if (key && static_cast<int>(v.size()) > length) v.resize(length);
    return v;
}

// A cell as a spreadsheet writes it, in UTF-8.
std::string csv_cell(const std::string& value, char separator) {
    const bool quote = value.find_first_of(std::string("\"") + separator) != std::string::npos || value.empty();
    std::string cell;
    for (char c : value) cell += c == '"' ? std::string("\"\"") : std::string(1, c);
    return cp1252_to_utf8(quote ? "\"" + cell + "\"" : cell);
}

// The line the terminal should hold for a record, written here as the terminal reads it.
std::string expected_line(const LookupRecord& l, const std::vector<std::string>& values) {
    if (l.separator) {
        std::string line;
        for (int f = 0; f < l.fieldCount; ++f)
            line += (f ? std::string(1, static_cast<char>(l.separator)) : "") + values[f];
        return line;
    }
    std::string line(l.recordLength, ' ');
    for (int f = 0; f < l.fieldCount; ++f)
        std::copy(values[f].begin(), values[f].end(), line.begin() + l.fieldStart[f] - 1);
    return line;
}

class LookupBuild : public ::testing::Test {
protected:
    TempDir dir;
    std::string project = dir.file("lager.agx");
    std::unique_ptr<Project> p = std::make_unique<Project>();

    void SetUp() override {
        std::memset(p.get(), 0, sizeof(Project));
        reset_to_defaults(*p);
    }
    void save() { ASSERT_EQ(write_project_file(project, *p, system_file_steps()), ""); }
};

TEST_F(LookupBuild, RandomTablesReachTheTerminalAsTheirRecords) {
    if (testing::tool_path("KESTEMU_BIN").empty()) GTEST_SKIP() << "no kestemu in this build";
    KestemuProcess emu({"--direct"});
    ASSERT_TRUE(emu.ok());
    std::mt19937 random(2024);
    for (int round = 1; round <= 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int n = 1 + static_cast<int>(random() % 3);
        p->lookups[n - 1] = random_lookup(random, "\0;|"[round % 3]);
        const LookupRecord& l = p->lookups[n - 1];
        save();
        const char separator = ",;\t"[random() % 3];
        const bool sort = round % 3 == 0, header = round % 2 == 0;
        std::string csv = round % 4 == 1 ? "\xEF\xBB\xBF" : "";
        if (header)  // names longer than any field: told from a record without --header
            for (int f = 0; f < l.fieldCount; ++f)
                csv += (f ? std::string(1, separator) : "") + "Spalte " + std::string(12, 'x');
        csv += header ? "\r\n" : "";
        std::vector<std::pair<std::string, std::string>> records;  // key, line
        for (int r = 0; r < 25; ++r) {
            std::vector<std::string> values;
            for (int f = 0; f < l.fieldCount; ++f) {
                values.push_back(random_value(random, l.fieldLength[f], f == l.keyField));
                csv += (f ? std::string(1, separator) : "") + csv_cell(values.back(), separator);
            }
            csv += random() % 2 ? "\r\n" : "\n";
            const std::string line = expected_line(l, values);
            const std::string key = l.separator ? values[l.keyField]
                                                : line.substr(l.fieldStart[l.keyField] - 1u, l.fieldLength[l.keyField]);
            records.emplace_back(key, line);
        }
        if (sort)
            std::stable_sort(records.begin(), records.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        std::string stored;
        for (const auto& [key, line] : records) stored += line + "\r\n";

        const std::string table = dir.file("artikel.csv"), lookup = dir.file("artikel.txt");
        write(table, csv);
        std::vector<std::string> args = {"lookup-build", project, "--lookup", std::to_string(n),
                                         table,          "-o",    lookup,     "--force"};
        if (sort) args.push_back("--sort");
        ToolRun r = kest(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(": 25 records for lookup " + std::to_string(n)), std::string::npos) << r.out;
        EXPECT_EQ(text_of(TempDir::read(lookup)), stored);
        r = kest({"lookup", lookup, "--project", project, "--lookup", std::to_string(n), "-p", emu.link()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(text_of(TempDir::read((emu.state() / ("lookup-" + std::to_string(round) + ".txt")).string())),
                  stored);
    }
}

TEST_F(LookupBuild, RefusalsWriteNothingAndSayWhere) {
    LookupRecord& l = p->lookups[0];
    l.fieldCount = 2;
    l.fieldLength[0] = 4, l.fieldLength[1] = 6;
    l.separator = ';';
    save();
    const std::string table = dir.file("t.csv"), out = dir.file("out.txt");
    struct Case {
        std::string csv;
        std::vector<std::string> options;
        int status;
        std::string says;  // on stderr, or stdout with --json
    };
    const Case cases[] = {
        {"4711,Schraube\n", {}, 2, "t.csv: line 1, column 2: \"Schraube\" has 8 characters; field #2 takes 6"},
        {"4711,Schraube\n", {"--cut"}, 0, "1 record for lookup 1"},
        {"4711,Schraube\n", {"--cut", "--json"}, 0, "\"cut\": 1"},
        {"1,a\n1,b\n", {"--unique", "--json"}, 2, "\"text\": \"line 2: the key \\\"1\\\" is also on line 1\""},
        {"1,a\n1,b\n", {}, 0, "t.csv: warning: line 2: the key \"1\" is also on line 1"},
        {"Nummer,Text\n1,a\n", {"--columns", "Text,Nummer"}, 0, "header row on line 1"},
        {"1,a\n", {"--lookup", "2"}, 2, "lookup 2 of " + project + ": the lookup has no fields"},
        {"1,a\n", {"--lookup", "4"}, 2, "--lookup takes 1, 2 or 3, not '4'"},
        {"1,a\n", {"--encoding", "latin9"}, 2, "--encoding takes utf-8"},
        {"Nummer,Bezeichnung\n", {}, 2, "the table holds no records"},
        {"Nr,Bez\n1,a\n", {}, 0, "2 records"},
        {"L\xC3\xA4nge,Bez\n", {}, 2, "if line 1 is a header row, give --header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csv + " " + (c.options.empty() ? "" : c.options[0]));
        std::filesystem::remove(out);
        write(table, c.csv);
        std::vector<std::string> args = {"lookup-build", project, table, "-o", out};
        if (std::find(c.options.begin(), c.options.end(), "--lookup") == c.options.end())
            args.insert(args.end(), {"--lookup", "1"});
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun r = kest(args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE((r.err + r.out).find(c.says), std::string::npos) << r.err << r.out;
        EXPECT_EQ(std::filesystem::exists(out), c.status == 0);
    }
    // Standard output carries the lookup file; the summary goes to stderr then.
    write(table, "4711;\"M\xC3\xBC;ller\"\r\n");
    const ToolRun r = kest({"lookup-build", project, "--lookup", "1", table, "-o", "-", "--sep", ";", "--cut"});
    EXPECT_EQ(r.status, 2);  // the value holds the lookup's separator, --cut or not
    write(table, "4711,M\xC3\xBCller\r\n");
    const ToolRun ok = kest({"lookup-build", project, "--lookup", "1", table, "-o", "-"});
    EXPECT_EQ(ok.out, "4711;M\xFCller\r\n");
    EXPECT_NE(ok.err.find("(standard output): 1 record"), std::string::npos) << ok.err;
}

TEST_F(LookupBuild, LookupRefusesWhatWouldHarmTheTerminalsLookup) {
    LookupRecord& l = p->lookups[2];
    l.fieldCount = 2;
    l.recordLength = 8;
    l.fieldStart[0] = 1, l.fieldLength[0] = 4;
    l.fieldStart[1] = 5, l.fieldLength[1] = 4;
    save();
    const std::string file = dir.file("lookup.txt");
    struct Case {
        std::string bytes;
        std::vector<std::string> options;
        std::string says;
    };
    const Case cases[] = {
        {std::string("\xFF\xFE"
                     "4\0"
                     "7\0",
                     6),
         {},
         "the file is UTF-16 text"},
        {std::string("4\0"
                     "7\0",
                     4),
         {},
         "kest lookup-build turns a table into a lookup file"},
        {"", {}, "--allow-empty sends it all the same"},
        {"S9030000FC\r\n", {}, "is an object program, not a lookup file (kest flash writes it"},
        {"4711abcd\r\n4712abc\r\n4713\r\n",
         {"--project", project, "--lookup", "3"},
         "2 of 3 lines do not fit lookup 3 of " + project},
        {"x\xE2\x84\xA6\r\n", {}, "line 1, character 2: '\xE2\x84\xA6' (U+2126) has no code in Windows-1252"},
        {"1\r\n", {"--lookup", "3"}, "--lookup N needs --project PROJECT.AGX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        write(file, c.bytes);
        std::vector<std::string> args = {"lookup", file, "-p", dir.file("no-such-port")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun r = kest(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("cannot open"), std::string::npos) << "the port was opened: " << r.err;
    }
}

TEST_F(LookupBuild, LookupConvertsUtf8AndSaysSo) {
    if (testing::tool_path("KESTEMU_BIN").empty()) GTEST_SKIP() << "no kestemu in this build";
    KestemuProcess emu({"--direct"});
    ASSERT_TRUE(emu.ok());
    const std::string file = dir.file("lookup.txt");
    write(file,
          "\xEF\xBB\xBF"
          "4711;M\xC3\xBCller\r\n");
    ToolRun r = kest({"lookup", file, "-p", emu.link()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("note: UTF-8 text, sent in Windows-1252"), std::string::npos) << r.err;
    EXPECT_EQ(text_of(TempDir::read((emu.state() / "lookup-1.txt").string())), "4711;M\xFCller\r\n");
    r = kest({"lookup", file, "-p", emu.link(), "--raw", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(text_of(TempDir::read((emu.state() / "lookup-2.txt").string())),
              "\xEF\xBB\xBF"
              "4711;M\xC3\xBCller\r\n");
    write(file, "");
    r = kest({"lookup", file, "-p", emu.link(), "--allow-empty"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(text_of(TempDir::read((emu.state() / "lookup-3.txt").string())), "");
}

}  // namespace
}  // namespace kest
