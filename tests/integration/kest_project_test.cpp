// kest new, convert, show, build (a project from its JSON text) and check (values no page
// produces), run as the program.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

#include "common/version.h"
#include "project/defaults.h"
#include "platform/file_steps.h"
#include "project/project_file.h"
#include "tests/integration/run_tool.h"
#include "tests/support/projects.h"

namespace kest {
namespace {

using testing::run_tool;
using testing::TempDir;
using testing::ToolRun;
namespace fs = std::filesystem;

ToolRun kest(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    return testing::run_kest(args, input);
}

std::unique_ptr<Project> default_project() { return testing::new_project(); }

std::vector<u8> older_file() {
    std::vector<u8> b(kOlderFullSize, 0);
    std::memcpy(b.data(), "Qvx-3.10", 8);
    b[8] = 1;                                // COM2
    std::memcpy(&b[2535 + 23], "Menge", 5);  // prompt of line 1 of form 1
    b[2535 + 15] = 2;                        // "Ganzzahl"
    std::memcpy(&b[8668], "Start", 5);
    return b;
}

TEST(KestNew, WritesTheDefaultProjectAndKeepsAnExistingFile) {
    TempDir dir;
    const std::string file = dir.file("neu.agx");
    ToolRun r = kest({"new", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempDir::read(file), project_file_bytes(*default_project()));

    TempDir::write(file, {1, 2, 3});
    r = kest({"new", file});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(file), std::string::npos);
    EXPECT_EQ(TempDir::read(file), (std::vector<u8>{1, 2, 3}));

    r = kest({"new", "--force", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(TempDir::read(file).size(), 18942u);
}

TEST(KestNew, UsageErrorsAndHelp) {
    EXPECT_EQ(kest({"new"}).status, 2);
    EXPECT_EQ(kest({"new", "a", "b"}).status, 2);
    EXPECT_EQ(kest({"new", "--bogus", "a"}).status, 2);
    for (const char* command : {"new", "convert", "show"}) {
        const ToolRun r = kest({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_NE(r.out.find(std::string("usage: kest ") + command), std::string::npos) << command;
    }
}

// Both command-line programs name the one version of the build (the installer and the
// Windows programs take it from the same place).
TEST(ToolVersion, KestAndKestemuNameTheBuildVersion) {
    const std::pair<std::string, std::string> tools[] = {{testing::tool_path("KEST_BIN"), "kest "},
                                                         {testing::tool_path("KESTEMU_BIN"), "kestemu "}};
    for (const auto& [bin, name] : tools) {
        ASSERT_FALSE(bin.empty()) << name;
        const ToolRun r = run_tool(bin, {"--version"});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out, name + KEST_VERSION "\n");
    }
    EXPECT_STRNE(KEST_VERSION, "");
}

TEST(KestConvert, WritesAnOlderFileInTheCurrentLayout) {
    TempDir dir;
    const std::string in = dir.file("alt.agx");
    const std::string out = dir.file("neu.agx");
    TempDir::write(in, older_file());
    const ToolRun r = kest({"convert", in, out});
    ASSERT_EQ(r.status, 0) << r.err;
    auto expected = default_project();
    ASSERT_TRUE(read_project_bytes(older_file(), *expected).ok());
    EXPECT_EQ(TempDir::read(out), project_file_bytes(*expected));
    EXPECT_EQ(expected->com.portIndex, 1);

    // A current file converts to itself.
    const std::string again = dir.file("wieder.agx");
    EXPECT_EQ(kest({"convert", out, again}).status, 0);
    EXPECT_EQ(TempDir::read(again), TempDir::read(out));
}

TEST(KestConvert, RefusesBadInputAndWritesNothing) {
    TempDir dir;
    std::vector<u8> current = project_file_bytes(*default_project());
    std::vector<u8> laterTag = current;
    laterTag[8] = '1';
    std::vector<u8> cut(current.begin(), current.begin() + 18000);
    std::vector<u8> olderCut = older_file();
    olderCut.resize(10000);
    struct Case {
        const char* name;
        std::vector<u8> bytes;
    };
    const Case cases[] = {
        {"empty", {}},      {"wrong-tag", {'P', 'K', 3, 4}}, {"later-character", laterTag},
        {"truncated", cut}, {"older-truncated", olderCut},
    };
    for (const Case& c : cases) {
        const std::string in = dir.file(std::string(c.name) + ".agx");
        const std::string out = dir.file(std::string(c.name) + "-out.agx");
        TempDir::write(in, c.bytes);
        const ToolRun r = kest({"convert", in, out});
        EXPECT_EQ(r.status, 2) << c.name;
        EXPECT_NE(r.err.find(in), std::string::npos) << c.name << ": " << r.err;
        EXPECT_FALSE(fs::exists(out)) << c.name;
    }
    const std::string out = dir.file("out.agx");
    EXPECT_EQ(kest({"convert", dir.path().string(), out}).status, 2);
    EXPECT_EQ(kest({"convert", dir.file("fehlt.agx"), out}).status, 2);
    EXPECT_FALSE(fs::exists(out));
    // An output folder that does not exist.
    const std::string good = dir.file("gut.agx");
    TempDir::write(good, current);
    const ToolRun r = kest({"convert", good, dir.file("fehlt/x.agx")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("fehlt"), std::string::npos);
}

TEST(KestShow, ShowsFormsMenusAndTextsReadablyAndAsJson) {
    TempDir dir;
    auto p = default_project();
    FormRecord& f = p->forms[0];
    f.lineType[0] = kFieldInteger;
    set_cell(f.prompt[0],
             "St\xFC"
             "ck:");
    f.maxLength[0] = 6;
    f.prefixOn[0] = 1;
    f.prefix[0][0] = 0x02;
    MenuRecord& m = p->menus[0];
    m.titleEnabled = 1;
    set_cell(m.title, "Hauptmen\xFC");
    set_cell(m.items[0], "Erfassen");
    m.itemTarget[0] = jump::form(0);
    p->lookups[0].separator = ';';
    p->options.functionKey[3] = 7;
    p->wedge.keyboardType = 31;
    const std::string file = dir.file("zeigen.agx");
    ASSERT_EQ(write_project_file(file, *p, system_file_steps()), "");

    ToolRun r = kest({"show", file});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* expected : {"Maske  1: small font", "#1 Ganzzahl",
                                 "\"St\xC3\xBC"
                                 "ck:\"",
                                 "length 0-6", "prefix 02", "Men\xC3\xBC  1: small font", "\"Erfassen\" -> Maske  1",
                                 "separator ';' (59)", "Hauptmen\xC3\xBC (3x15)", "\"1.Programm     \"",
                                 "Maske  2: no lines", "FN+3 Scannertest", "wedge    PCAT (Swiss)"})
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected;

    r = kest({"show", "--json", file});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* expected :
         {"\"typeName\": \"Ganzzahl\"",
          "\"prompt\": \"St\xC3\xBC"
          "ck:\"",
          "\"prefix\": [2]", "\"title\": \"Hauptmen\xC3\xBC\"", "\"name\": \"Maske  1\"", "\"olderLayout\": false",
          "\"barcode\": [155, 201, 0", "\"Scannertest\"", "\"keyboardTypeName\": \"PCAT (Swiss)\""})
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected;
}

TEST(KestShow, RefusesAFileThatIsNotAProject) {
    TempDir dir;
    const std::string file = dir.file("text.txt");
    TempDir::write(file, {'h', 'e', 'l', 'l', 'o'});
    const ToolRun r = kest({"show", file});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("text.txt"), std::string::npos);
}

std::vector<u8> random_bytes(std::mt19937& random, std::size_t size) {
    std::vector<u8> b(size);
    for (auto& x : b) x = static_cast<u8>(random());
    return b;
}

// show --json, then build: the file that comes out is the one that went in (for an older
// file: the one convert writes).
void expect_round_trip(const TempDir& dir, const std::string& in, const std::vector<u8>& expected,
                       const std::string& what) {
    const std::string json = dir.file("p.json");
    const std::string out = dir.file("p.agx");
    fs::remove(out);
    const ToolRun shown = kest({"show", "--json", in});
    ASSERT_EQ(shown.status, 0) << what << ": " << shown.err;
    TempDir::write(json, std::vector<u8>(shown.out.begin(), shown.out.end()));
    const ToolRun built = kest({"build", json, "-o", out});
    ASSERT_EQ(built.status, 0) << what << ": " << built.err;
    ASSERT_EQ(TempDir::read(out), expected) << what;
}

TEST(KestBuild, ShowJsonThenBuildGivesTheSameFile) {
    TempDir dir;
    std::mt19937 random(2024);
    const std::string in = dir.file("in.agx");
    for (int round = 0; round < 200; ++round) {
        std::vector<u8> file = random_bytes(random, kProjectFileSize);
        std::memcpy(file.data(), kProjectTag, sizeof kProjectTag);
        std::fill(file.begin() + kProjectTablesSize, file.end(), 0);
        if (round == 0) file = project_file_bytes(*default_project());
        TempDir::write(in, file);
        expect_round_trip(dir, in, file, "random project " + std::to_string(round));
    }
    for (const char* tag : {"Qvx-4.00", "Qvx-3.10"})
        for (std::size_t size : {kOlderFullSize, kOlderMinimumSize}) {
            std::vector<u8> older = random_bytes(random, size);
            std::memcpy(older.data(), tag, 8);
            TempDir::write(in, older);
            const std::string converted = dir.file("converted.agx");
            fs::remove(converted);
            ASSERT_EQ(kest({"convert", in, converted}).status, 0);
            expect_round_trip(dir, in, TempDir::read(converted), std::string(tag) + " " + std::to_string(size));
        }
}

TEST(KestBuild, RefusesTextsThatAreNoProjectAndWritesNothing) {
    TempDir dir;
    const std::string good = dir.file("good.agx");
    ASSERT_EQ(kest({"new", good}).status, 0);
    const std::string text = kest({"show", "--json", good}).out;
    struct Case {
        const char* name;
        std::string text;
        const char* expected;
    };
    std::string omega = text;
    omega.replace(omega.find("\"password\": \"\""), 14, "\"password\": \"\xCE\xA9\"");
    const Case cases[] = {
        {"empty", "", "line 1, column 1: the document ends early"},
        {"cut", text.substr(0, 200), "the document ends early"},
        {"code page", omega,
         "settings.password: holds U+03A9, which the terminal's code page (Windows-1252) does not have"},
    };
    for (const Case& c : cases) {
        const std::string json = dir.file(std::string(c.name) + ".json");
        const std::string out = dir.file(std::string(c.name) + ".agx");
        TempDir::write(json, std::vector<u8>(c.text.begin(), c.text.end()));
        const ToolRun r = kest({"build", json, "-o", out});
        EXPECT_EQ(r.status, 2) << c.name;
        EXPECT_EQ(r.err.rfind("kest build: " + json + ": line ", 0), 0u) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << c.name << ": " << r.err;
        EXPECT_FALSE(fs::exists(out)) << c.name;
    }
    const ToolRun missing = kest({"build", dir.file("fehlt.json"), "-o", dir.file("x.agx")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("fehlt.json: not found"), std::string::npos) << missing.err;
    EXPECT_EQ(kest({"build", dir.file("fehlt.json")}).status, 2);

    // From standard input; an existing file is kept unless --force.
    const std::string json = dir.file("good.json");
    TempDir::write(json, std::vector<u8>(text.begin(), text.end()));
    const std::string out = dir.file("built.agx");
    EXPECT_EQ(kest({"build", "-", "-o", out}, json).status, 0);
    EXPECT_EQ(TempDir::read(out), TempDir::read(good));
    TempDir::write(out, {1, 2, 3});
    EXPECT_EQ(kest({"build", json, "-o", out}).status, 2);
    EXPECT_EQ(TempDir::read(out), (std::vector<u8>{1, 2, 3}));
    EXPECT_EQ(kest({"build", "--force", json, "-o", out}).status, 0);
    EXPECT_EQ(TempDir::read(out), TempDir::read(good));
}

TEST(KestCheck, ListsPlantedValuesAndShowMarksThem) {
    TempDir dir;
    const std::string clean = dir.file("clean.agx");
    ASSERT_EQ(kest({"new", clean}).status, 0);
    ToolRun r = kest({"check", clean});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(kest({"show", clean}).out.find("out of range"), std::string::npos);

    auto p = default_project();
    p->forms[2].lineType[0] = kFieldText;
    p->forms[2].lineType[4] = 40;
    p->menus[0].font = 2;
    p->menus[0].itemTarget[0] = 178;
    std::vector<u8> file = project_file_bytes(*p);
    file[kProjectTablesSize + 5] = 9;
    file.insert(file.end(), {1, 2, 3});
    const std::string bad = dir.file("bad.agx");
    TempDir::write(bad, file);

    r = kest({"check", bad});
    EXPECT_EQ(r.status, 1);
    const char* expected[] = {
        "bad.agx: offset 35: menus[0].font is 2, expected 0 or 1\n",
        "bad.agx: offset 269: menus[0].items[0].target is 178, expected 0-20\n",
        "bad.agx: offset 5998: forms[2].lines[4].type is 40, expected 0-12\n",
        "bad.agx: offset 18847: trailer holds 1 byte other than zero (the trailer is zero bytes)\n",
        "bad.agx: offset 18942: trailer is followed by 3 bytes (a project file ends after 18942 bytes)\n",
    };
    for (const char* line : expected) EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    EXPECT_NE(r.err.find("5 values out of range"), std::string::npos) << r.err;

    r = kest({"show", bad});
    EXPECT_EQ(r.status, 0);
    for (const char* mark : {"font 2 [out of range]", "-> (178) [out of range]", "#5 (40) [out of range]",
                             "offset 18942: trailer is followed by 3 bytes"})
        EXPECT_NE(r.out.find(mark), std::string::npos) << mark << "\n" << r.out;
    r = kest({"show", "--json", bad});
    EXPECT_NE(r.out.find("\"path\": \"forms[2].lines[4].type\""), std::string::npos);

    EXPECT_EQ(kest({"check", dir.file("fehlt.agx")}).status, 2);
}

}  // namespace
}  // namespace kest
