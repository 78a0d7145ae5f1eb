// kest upload against kestemu over a pseudo-terminal: the data file holds every record the
// terminal sent, exactly once, in order, byte for byte, whatever the line does to them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"

namespace kest {
namespace {

using testing::KestemuProcess;
using testing::run_tool;
using testing::slurp;
using testing::TempDir;
using testing::ToolRun;
namespace fs = std::filesystem;

ToolRun kest(const std::vector<std::string>& args) { return run_tool(testing::tool_path("KEST_BIN"), args); }

// Records as collected on a terminal, with every byte value a record may hold (all but CR
// and LF): flow-control bytes, 0x0E, bytes above 0x7F, empty records, records far longer
// than 255 bytes.
std::vector<std::string> make_records(int count) {
    std::vector<std::string> records;
    for (int i = 0; i < count; ++i) {
        std::string r = "R" + std::to_string(i) + ";4711;" + std::to_string(i * 37 % 1000);
        if (i % 97 == 5) r.clear();
        if (i % 50 == 7) r += std::string("\x11\x13\x0E\x00\x7F\x80\xF6\xFF\t", 9);
        if (i % 100 == 42)
            for (int k = 0; k < 400; ++k) r.push_back(static_cast<char>(0x20 + (k * 7 + i) % 0xDF));
        records.push_back(r);
    }
    return records;
}

std::string lines(const std::vector<std::string>& records, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && i < records.size(); ++i) text += records[i] + "\r\n";
    return text;
}
std::string lines(const std::vector<std::string>& records) { return lines(records, records.size()); }

class UploadIntegration : public ::testing::Test {
protected:
    TempDir dir;
    std::string recordsFile = dir.file("records.txt");
    std::string data = dir.file("DATA.TXT");

    void write_records(const std::vector<std::string>& records) {
        const std::string text = lines(records);
        TempDir::write(recordsFile, std::vector<unsigned char>(text.begin(), text.end()));
    }
    std::vector<std::string> emulator_options(std::vector<std::string> extra) const {
        std::vector<std::string> options{"--records", recordsFile};
        options.insert(options.end(), extra.begin(), extra.end());
        return options;
    }
};

struct LineCase {
    const char* name;
    std::vector<std::string> emulator;  // besides --records
    std::vector<std::string> kest;      // besides -o and --port
    int records;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class EveryRecordOnce : public UploadIntegration, public ::testing::WithParamInterface<LineCase> {};

TEST_P(EveryRecordOnce, InOrderByteForByte) {
    const LineCase& c = GetParam();
    const auto records = make_records(c.records);
    write_records(records);
    KestemuProcess emulator(emulator_options(c.emulator));
    ASSERT_TRUE(emulator.ok());
    std::vector<std::string> args{"upload", "-o", data, "--port", emulator.link()};
    args.insert(args.end(), c.kest.begin(), c.kest.end());
    const ToolRun run = kest(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::to_string(c.records) + " records received into " + data + "\n");
    const std::string got = slurp(data);
    EXPECT_EQ(got.size(), lines(records).size());
    EXPECT_TRUE(got == lines(records)) << "the data file differs from the records sent";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EveryRecordOnce,
    ::testing::Values(LineCase{"CleanLine", {"--direct"}, {}, 1000},
                      LineCase{"LostAcksDamagedBytesAndAPause",
                               {"--direct", "--seed", "7", "--faults",
                                "lose-ack=0.05,corrupt-reply=0.02,corrupt-rx=0.01,drop-rx=0.002,drop-reply=0.003,"
                                "silence=2000@400"},
                               {},
                               1000},
                      LineCase{"ThroughTheCradleAtItsRealPace",
                               {"--cradle-rate", "9600", "--pace"},
                               {"--cradle", "--baud", "115200"},
                               100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UploadIntegration, TerminalFallingSilentKeepsTheRecordsStored) {
    const auto records = make_records(300);
    write_records(records);
    KestemuProcess emulator(emulator_options({"--direct", "--faults", "silence=60000@121"}));
    ASSERT_TRUE(emulator.ok());
    const ToolRun run = kest({"upload", "-o", data, "--port", emulator.link()});
    EXPECT_EQ(run.status, 1) << run.err;
    // "READ" and 119 acknowledgements reach the terminal; the 120th is ignored.
    EXPECT_EQ(slurp(data), lines(records, 120));
    EXPECT_NE(run.err.find(data + " keeps 120 records"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Time out! 120 Datensaetze wurden gespeichert."), std::string::npos) << run.err;
}

TEST_F(UploadIntegration, NoRecordsDeletesTheNewFileButNotAnAppendedOne) {
    write_records({});
    KestemuProcess emulator(emulator_options({"--direct"}));
    ASSERT_TRUE(emulator.ok());
    ToolRun run = kest({"upload", "-o", data, "--port", emulator.link()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("0 records"), std::string::npos);
    EXPECT_FALSE(fs::exists(data));

    TempDir::write(data, {'o', 'l', 'd', '\r', '\n'});
    run = kest({"upload", "-o", data, "--port", emulator.link(), "--append"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(data), "old\r\n");
}

// An existing data file is replaced only by records that arrived; -o on an existing file
// needs --force (or --append) and is refused before the port is opened.
TEST_F(UploadIntegration, ExistingDataFileIsKeptUnlessRecordsArrive) {
    write_records({});
    KestemuProcess talking(emulator_options({"--direct"}));
    ASSERT_TRUE(talking.ok());
    const std::string missing = dir.file("no-such-port");
    const auto records = make_records(3);
    const struct {
        const char* name;
        std::vector<std::string> records;
        std::vector<std::string> args;  // besides -o DATA
        int status;
        std::string after;
        const char* error;
    } cases[] = {
        {"without --force",
         records,
         {"--port", talking.link()},
         2,
         "old\r\n",
         "exists already (--append adds to it, --force replaces it)"},
        {"missing port", records, {"--port", missing, "--force"}, 3, "old\r\n", "no-such-port"},
        {"no records", {}, {"--port", talking.link(), "--force"}, 0, "old\r\n", ""},
        {"records", records, {"--port", talking.link(), "--force"}, 0, lines(records), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_records(c.records);
        TempDir::write(data, {'o', 'l', 'd', '\r', '\n'});
        std::vector<std::string> args{"upload", "-o", data};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolRun run = kest(args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(slurp(data), c.after);
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(data + ".new~"));
    }

    write_records(records);
    const ToolRun run = kest({"upload", "-o", "/dev/stdout", "--port", talking.link()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, lines(records));
    EXPECT_EQ(run.err, "3 records received into /dev/stdout\n");
}

TEST_F(UploadIntegration, AppendAddsASecondUpload) {
    const auto records = make_records(30);
    write_records(records);
    KestemuProcess emulator(emulator_options({"--direct"}));
    ASSERT_TRUE(emulator.ok());
    for (int round = 0; round < 2; ++round) {
        const ToolRun run = kest({"upload", "-o", data, "--port", emulator.link(), "--append"});
        EXPECT_EQ(run.status, 0) << run.err;
    }
    EXPECT_EQ(slurp(data), lines(records) + lines(records));
}

TEST_F(UploadIntegration, SilentTerminalAndMissingPort) {
    write_records(make_records(5));
    KestemuProcess emulator(emulator_options({"--direct", "--faults", "silence=60000@1"}));
    ASSERT_TRUE(emulator.ok());
    // An existing file stays as it was.
    TempDir::write(data, {'o', 'l', 'd', '\r', '\n'});
    ToolRun run = kest({"upload", "-o", data, "--port", emulator.link(), "--force"});
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_EQ(slurp(data), "old\r\n");
    EXPECT_NE(run.err.find(data + " left as it was"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("is the terminal in a cradle? try --cradle"), std::string::npos) << run.err;

    run = kest({"upload", "-o", data, "--port", dir.file("no-such-port"), "--force"});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("no-such-port"), std::string::npos);
}

}  // namespace
}  // namespace kest
