// Ctrl+C and SIGTERM during a kest transfer: the transfer stops between two packets, the
// port is closed, the command says what the terminal now holds and ends with status 130.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "common/json.h"
#include "tests/integration/background.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"
#include "tests/support/srec_text.h"

namespace kest::testing {
namespace {

TEST(KestInterrupt, TransfersStopBetweenPacketsAndSayWhatTheTerminalHolds) {
    TempDir dir;
    std::vector<std::uint8_t> program(16 * 1024);
    for (std::size_t i = 0; i < program.size(); ++i) program[i] = static_cast<std::uint8_t>(i * 7);
    const std::string shx = srec_lines('3', 0x10000, program, 32) + srec_line('7', 0, {});
    TempDir::write(dir.file("big.shx"), std::vector<unsigned char>(shx.begin(), shx.end()));
    ASSERT_EQ(run_tool(tool_path("KEST_BIN"), {"new", dir.file("p.agx")}).status, 0);
    std::string records;
    for (int i = 0; i < 300; ++i) records += "Datensatz " + std::to_string(i) + ";4711;12\r\n";
    TempDir::write(dir.file("records.txt"), std::vector<unsigned char>(records.begin(), records.end()));

    const struct {
        const char* name;
        std::vector<std::string> args;  // besides --port and the common options
        int signal;
        std::string said;
    } cases[] = {
        {"flash",
         {"flash", dir.file("big.shx"), "--no-cradle"},
         SIGINT,
         "kest flash: interrupted: the flash is incomplete and the terminal waits in its loader"},
        {"download",
         {"download", dir.file("p.agx")},
         SIGTERM,
         "the terminal may hold an incomplete application: run the download again"},
        {"upload",
         {"upload", "-o", dir.file("data.txt")},
         SIGINT,
         "received into " + dir.file("data.txt") +
             "; the terminal keeps the records it did not send: kest upload --append -o " + dir.file("data.txt") +
             " adds them to the file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KestemuProcess emulator({"--direct", "--pace", "--records", dir.file("records.txt")});
        ASSERT_TRUE(emulator.ok());
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--port", emulator.link(), "--baud", "9600", "--trace"});
        Background kest(args);
        ASSERT_TRUE(kest.wait_for("PC>", 8)) << kest.err();
        EXPECT_EQ(kest.stop(c.signal), 130) << kest.err();
        const std::string err = kest.err();
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        EXPECT_NE(err.rfind("close"), std::string::npos) << "the port was closed";
    }
    // The upload kept what it received, each record whole.
    const std::string data = slurp(dir.file("data.txt"));
    EXPECT_FALSE(data.empty());
    EXPECT_EQ(records.compare(0, data.size(), data), 0);
}

// Ctrl+C while four ports download: each transfer stops before its next packet and says so,
// and the summary names each port interrupted.
TEST(KestInterrupt, StopsEveryPortsTransfer) {
    TempDir dir;
    ASSERT_EQ(run_tool(tool_path("KEST_BIN"), {"new", dir.file("p.agx")}).status, 0);
    std::vector<std::unique_ptr<KestemuProcess>> terminals;
    std::vector<std::string> args{"download", dir.file("p.agx"), "--baud", "9600", "--trace", "--json"};
    for (int i = 0; i < 4; ++i) {
        terminals.push_back(std::make_unique<KestemuProcess>(std::vector<std::string>{"--direct", "--pace"}));
        ASSERT_TRUE(terminals.back()->ok());
        args.insert(args.end(), {"-p", terminals.back()->link()});
    }
    Background kest(args);
    for (const auto& t : terminals) {
        const std::string name = std::filesystem::path(t->link()).parent_path().filename().string() + "/tty: ";
        ASSERT_TRUE(kest.wait_for(name, 16)) << kest.err();
    }
    EXPECT_EQ(kest.stop(SIGINT), 130) << kest.err();
    EXPECT_EQ(kest.count("interrupted: the terminal may hold an incomplete application"), 4) << kest.err();
    const JsonParse summary = parse_json(kest.out());
    ASSERT_TRUE(summary.value) << summary.error << kest.out();
    EXPECT_EQ(summary.value->member("status")->number, 130);
    ASSERT_EQ(summary.value->member("transfers")->items.size(), 4u);
    for (const JsonValue& t : summary.value->member("transfers")->items) {
        EXPECT_EQ(t.member("result")->text, "interrupted");
        EXPECT_LT(t.member("done")->number, 200);
    }
}

}  // namespace
}  // namespace kest::testing
