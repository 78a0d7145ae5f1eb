// kest flash and kest srec-check against kestemu over a pseudo-terminal, with object
// programs written by srec_cat in every shape.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"

namespace kest::testing {
namespace {

namespace fs = std::filesystem;

// Object programs from make_srec_shapes.sh: NAME.shx, NAME.bin (flash image), NAME.base.
class Shapes {
public:
    Shapes() {
        const char* data = std::getenv("KEST_TEST_DATA");
        const std::string script =
            (fs::path(data ? data : "tests/data") / ".." / "integration" / "make_srec_shapes.sh").string();
        ok_ = std::system((shell_quote(script) + " " + shell_quote(dir_.file("shapes")) + " >/dev/null").c_str()) == 0;
        std::ifstream list(dir_.file("shapes/shapes"));
        for (std::string name; std::getline(list, name);) names_.push_back(name);
    }
    bool ok() const { return ok_ && !names_.empty(); }
    const std::vector<std::string>& names() const { return names_; }
    std::string file(const std::string& name, const char* ext) const { return dir_.file("shapes/" + name + ext); }

private:
    TempDir dir_;
    bool ok_ = false;
    std::vector<std::string> names_;
};

void expect_flash(const KestemuProcess& emulator, const Shapes& shapes, const std::string& name) {
    EXPECT_EQ(slurp((emulator.state() / "flash.base").string()), slurp(shapes.file(name, ".base"))) << name;
    const std::string flash = slurp((emulator.state() / "flash.bin").string());
    const std::string expected = slurp(shapes.file(name, ".bin"));
    EXPECT_EQ(flash.size(), expected.size()) << name;
    EXPECT_TRUE(flash == expected) << name << ": the flash image differs from the binary";
}

TEST(FlashIntegration, EveryShapeFlashesThroughTheCradleByteForByte) {
    Shapes shapes;
    ASSERT_TRUE(shapes.ok());
    for (const auto& name : shapes.names()) {
        KestemuProcess emulator;
        ASSERT_TRUE(emulator.ok());
        const ToolRun run = run_tool(tool_path("KEST_BIN"), {"flash", shapes.file(name, ".shx"), "--port",
                                                             emulator.link(), "--baud", "57600", "--cradle"});
        EXPECT_EQ(run.status, 0) << name << "\n" << run.err;
        expect_flash(emulator, shapes, name);
    }
}

TEST(FlashIntegration, DirectCableWithSlowEraseAndPacedLine) {
    Shapes shapes;
    ASSERT_TRUE(shapes.ok());
    const std::string name = shapes.names().front();
    KestemuProcess emulator({"--direct", "--pace", "--erase-delay", "700"});
    ASSERT_TRUE(emulator.ok());
    const ToolRun run =
        run_tool(tool_path("KEST_BIN"), {"flash", shapes.file(name, ".shx"), "--port", emulator.link(), "--no-cradle"});
    EXPECT_EQ(run.status, 0) << run.err;
    expect_flash(emulator, shapes, name);
}

TEST(FlashIntegration, DamagedFileIsRefusedBeforeThePortIsUsed) {
    Shapes shapes;
    ASSERT_TRUE(shapes.ok());
    std::string text = slurp(shapes.file("s3_16_crlf", ".shx"));
    const auto third = text.find("\nS3", text.find("\nS3") + 1);
    text[third + 10] = 'x';
    TempDir dir;
    std::ofstream(dir.file("bad.shx"), std::ios::binary) << text;
    KestemuProcess emulator({"--verbose"});
    ASSERT_TRUE(emulator.ok());
    for (const auto& file : {dir.file("bad.shx"), dir.path().string()}) {
        const ToolRun run = run_tool(tool_path("KEST_BIN"), {"flash", file, "--port", emulator.link()});
        EXPECT_EQ(run.status, 2) << file;
        EXPECT_NE(run.err.find(file), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(emulator.state() / "flash.bin"));
    const ToolRun check = run_tool(tool_path("KEST_BIN"), {"srec-check", dir.file("bad.shx")});
    EXPECT_EQ(check.status, 2);
    EXPECT_NE(check.err.find("line 3: 'x' in column 10"), std::string::npos) << check.err;
}

// Files no loader may act on: each is refused by srec-check and by flash before the port
// is opened (the port does not exist, so reaching it would end with status 3).
TEST(FlashIntegration, HostileFilesAreRefusedBeforeThePortIsOpened) {
    const char* data = std::getenv("KEST_TEST_DATA");
    const fs::path fixtures = fs::path(data ? data : "tests/data") / "srec";
    TempDir dir;
    std::ofstream(dir.file("endless.shx"), std::ios::binary) << "S3" << std::string(20000, '0');
    std::ofstream(dir.file("end_only.shx"), std::ios::binary) << "S70500000000FA\r\n";
    const struct {
        std::string file;
        const char* error;
    } cases[] = {
        {(fixtures / "overlong_516.shx").string(), "line 1: the line is longer than 514 characters"},
        {(fixtures / "overlong_600.shx").string(), "line 1: the line is longer than 514 characters"},
        {dir.file("endless.shx"), "line 1: the line is longer than 514 characters"},
        {dir.file("end_only.shx"), "the file has no data records"},
    };
    for (const auto& c : cases) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"srec-check", c.file},
              std::vector<std::string>{"flash", c.file, "--port", "/nonexistent/tty"}}) {
            const ToolRun run = run_tool(tool_path("KEST_BIN"), args);
            EXPECT_EQ(run.status, 2) << args[0] << " " << c.file << "\n" << run.err;
            EXPECT_NE(run.err.find(c.error), std::string::npos) << args[0] << ": " << run.err;
        }
    }
}

TEST(FlashIntegration, SrecCheckPrintsTheAddressRanges) {
    Shapes shapes;
    ASSERT_TRUE(shapes.ok());
    const ToolRun run = run_tool(tool_path("KEST_BIN"), {"srec-check", shapes.file("s2_16_lf_gap", ".shx")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("end record S8, start address 0x00012340"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  0x00012340-0x000132DF  4000 bytes"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  0x00013321-"), std::string::npos) << run.out;
}

TEST(FlashIntegration, MissingPortIsALinkFailure) {
    Shapes shapes;
    ASSERT_TRUE(shapes.ok());
    const ToolRun run =
        run_tool(tool_path("KEST_BIN"), {"flash", shapes.file("s1_32_lf", ".shx"), "--port", "/nonexistent/tty"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("Can't open the COM port!"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kest::testing
