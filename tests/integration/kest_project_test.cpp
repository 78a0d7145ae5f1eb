// kest new, convert and show, run as the program.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "common/version.h"
#include "project/defaults.h"
#include "project/project_file.h"
#include "tests/integration/run_tool.h"

namespace kest {
namespace {

using testing::run_tool;
using testing::TempDir;
using testing::ToolRun;
namespace fs = std::filesystem;

ToolRun kest(const std::vector<std::string>& args) { return run_tool(testing::tool_path("KEST_BIN"), args); }

std::unique_ptr<Project> default_project() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    reset_to_defaults(*p);
    return p;
}

std::vector<u8> older_file() {
    std::vector<u8> b(kOlderFullSize, 0);
    std::memcpy(b.data(), "Qvx-3.10", 8);
    b[8] = 1;                                   // COM2
    std::memcpy(&b[2535 + 23], "Menge", 5);     // prompt of line 1 of form 1
    b[2535 + 15] = 2;                           // "Ganzzahl"
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
        {"empty", {}},
        {"wrong-tag", {'P', 'K', 3, 4}},
        {"later-character", laterTag},
        {"truncated", cut},
        {"older-truncated", olderCut},
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
    set_cell(f.prompt[0], "St\xFC" "ck:");
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
    ASSERT_EQ(write_project_file(file, *p), "");

    ToolRun r = kest({"show", file});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* expected : {"Maske  1: small font", "#1 Ganzzahl", "\"St\xC3\xBC" "ck:\"", "length 0-6",
                                 "prefix 02", "Men\xC3\xBC  1: small font", "\"Erfassen\" -> Maske  1",
                                 "separator ';' (59)", "Hauptmen\xC3\xBC (3x15)", "\"1.Programm     \"",
                                 "Maske  2: no lines", "FN+3 Scannertest", "wedge    PCAT (Swiss)"})
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected;

    r = kest({"show", "--json", file});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* expected : {"\"typeName\": \"Ganzzahl\"", "\"prompt\": \"St\xC3\xBC" "ck:\"",
                                 "\"prefix\": [2]", "\"title\": \"Hauptmen\xC3\xBC\"",
                                 "\"name\": \"Maske  1\"", "\"olderLayout\": false",
                                 "\"barcode\": [155, 201, 0", "\"Scannertest\"",
                                 "\"keyboardTypeName\": \"PCAT (Swiss)\""})
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

}  // namespace
}  // namespace kest
