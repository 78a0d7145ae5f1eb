// The rough edges a new user meets first: options before any command, misspelt names,
// files of the wrong kind, an output that is the input, and the reason a file cannot be
// created.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file_steps.h"
#include "project/project_file.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"
#include "tests/support/projects.h"

namespace kest {
namespace {

using testing::TempDir;
using testing::ToolRun;
namespace fs = std::filesystem;

ToolRun kest(const std::vector<std::string>& args) { return testing::run_kest(args); }

class KestEdges : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(write_project_file(project, *testing::new_project(), system_file_steps()), "");
        const std::string text = kest({"show", "--json", project}).out;
        std::ofstream(json, std::ios::binary) << text;
        std::ofstream(program, std::ios::binary) << "S30900020000DEADBEEFBC\r\nS70500020000F8\r\n";
    }
    TempDir dir;
    std::string project = dir.file("lager.agx");
    std::string json = dir.file("lager.json");
    std::string program = dir.file("prog.shx");
};

TEST_F(KestEdges, QuietAndVerboseStandBeforeEveryCommand) {
    const std::vector<std::vector<std::string>> commands = {
        {"show", project},
        {"check", project},
        {"new", dir.file("neu.agx")},
        {"image", project, "-o", dir.file("lager.bin")},
        {"build", json, "-o", dir.file("gebaut.agx")},
        {"simulate", project, "--keys", "1"},
        {"ports", "--sysfs", dir.path().string()},
        {"convert", project, dir.file("konvertiert.agx")},
        {"srec-check", program},
    };
    fs::create_directories(dir.path() / "class" / "tty");
    for (const char* option : {"-v", "-q", "--verbose"}) {
        for (const auto& c : commands) {
            std::vector<std::string> args{option};
            args.insert(args.end(), c.begin(), c.end());
            const ToolRun r = kest(args);
            EXPECT_EQ(r.status, 0) << option << " " << c[0] << ": " << r.err;
        }
        for (const char* f : {"neu.agx", "lager.bin", "gebaut.agx", "konvertiert.agx"}) fs::remove(dir.file(f));
    }
}

TEST_F(KestEdges, MisspeltCommandsAndOptionsNameTheNearestOne) {
    const struct {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{"dowload", project}, "kest: unknown command 'dowload' (did you mean 'download'? kest --help lists"},
        {{"srec_check", program}, "did you mean 'srec-check'?"},
        {{"--verison"}, "did you mean '--version'?"},
        {{"download", project, "--retry", "3"}, "kest download: unknown option --retry (did you mean --retries?)"},
        {{"upload", "-o", dir.file("d.txt"), "--apend"}, "unknown option --apend (did you mean --append?)"},
        {{"show", "--jsno", project}, "unknown option --jsno (did you mean --json?)"},
        {{"frobnicate"}, "kest: unknown command 'frobnicate' (kest --help lists the commands)"},
    };
    for (const auto& c : cases) {
        const ToolRun r = kest(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0];
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
}

TEST_F(KestEdges, AFileOfAnotherKindIsNamedWithTheCommandThatTakesIt) {
    const struct {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{"flash", project, "-p", dir.file("tty")},
         "kest flash: " + project + ": is a project file, not an object program (kest download sends it"},
        {{"srec-check", json}, json + ": is a JSON text, not an object program (kest build FILE.json -o"},
        {{"build", project, "-o", dir.file("x.agx")}, project + ": is a project file, not a JSON text"},
        {{"show", json}, json + ": is a JSON text, not a project file (kest build FILE.json -o PROJECT.AGX"},
        {{"download", program, "-p", dir.file("tty")},
         program + ": is an object program, not a project file (kest flash writes it"},
        {{"image", program, "-o", dir.file("x.bin")}, "is an object program, not a project file"},
        {{"lookup", project, "-p", dir.file("tty")},
         project + ": is a project file, not a lookup file (kest download sends it to the terminal, kest show shows "
                   "it); nothing was sent"},
    };
    for (const auto& c : cases) {
        const ToolRun r = kest(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0] << " " << c.args[1];
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.said << "\n" << r.err;
    }
    EXPECT_FALSE(fs::exists(dir.file("x.agx")));
    EXPECT_FALSE(fs::exists(dir.file("x.bin")));
}

TEST_F(KestEdges, NoOutputIsTheInputAlsoThroughALink) {
    fs::create_symlink(project, dir.file("verweis.agx"));
    fs::create_hard_link(json, dir.file("zweiter-name.json"));
    const auto projectBytes = TempDir::read(project);
    const auto jsonBytes = TempDir::read(json);
    const struct {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{"image", project, "-o", project, "--force"}, project + ": is the input file itself; nothing was written"},
        {{"image", project, "-o", dir.file("verweis.agx"), "--force"},
         dir.file("verweis.agx") + ": is the input file " + project + " under another name"},
        {{"convert", dir.file("verweis.agx"), project, "--force"}, "is the input file"},
        {{"build", json, "-o", dir.file("zweiter-name.json"), "--force"}, "under another name"},
        {{"build", json, "-o", json, "--force"}, "is the input file itself"},
    };
    for (const auto& c : cases) {
        const ToolRun r = kest(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0];
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    EXPECT_EQ(TempDir::read(project), projectBytes);
    EXPECT_EQ(TempDir::read(json), jsonBytes);
    EXPECT_TRUE(fs::is_symlink(dir.file("verweis.agx")));
    // Another file is fine, and so is standard output.
    EXPECT_EQ(kest({"image", project, "-o", dir.file("lager.bin")}).status, 0);
    EXPECT_EQ(kest({"convert", project, "-"}).status, 0);
}

TEST_F(KestEdges, AFileThatCannotBeCreatedSaysWhy) {
    // sysfs refuses new files to every user, root too.
    const ToolRun r = kest({"new", "/sys/kernel/lager.agx"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("kest new: /sys/kernel/lager.agx: cannot be created: permission denied in /sys/kernel"),
              std::string::npos)
        << r.err;
    // An existing data file: the upload names --append beside --force.
    std::ofstream(dir.file("daten.txt")) << "4711\r\n";
    const ToolRun upload = kest({"upload", "-o", dir.file("daten.txt"), "-p", dir.file("tty")});
    EXPECT_EQ(upload.status, 2);
    EXPECT_NE(upload.err.find("exists already (--append adds to it, --force replaces it)"), std::string::npos)
        << upload.err;
}

TEST(KestemuRecords, AMissingRecordsFileIsCreatedAndABadPlaceNamed) {
    if (testing::tool_path("KESTEMU_BIN").empty()) GTEST_SKIP() << "no kestemu in this build";
    TempDir dir;
    {
        testing::KestemuProcess emu({"--direct", "--records", dir.file("records.txt")});
        ASSERT_TRUE(emu.ok());
        EXPECT_TRUE(fs::is_regular_file(dir.file("records.txt")));
        EXPECT_EQ(fs::file_size(dir.file("records.txt")), 0u);
        const ToolRun r = kest({"upload", "-o", dir.file("daten.txt"), "-p", emu.link()});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("0 records received: the terminal had no data"), std::string::npos) << r.out;
    }
    const ToolRun bad = testing::run_tool(testing::tool_path("KESTEMU_BIN"),
                                          {"--link", dir.file("tty"), "--records", dir.file("fehlt/records.txt")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("records.txt cannot be created: no folder " + dir.file("fehlt")), std::string::npos)
        << bad.err;
}

}  // namespace
}  // namespace kest
