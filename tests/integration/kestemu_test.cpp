// kestemu on a real pseudo-terminal, reached through the POSIX serial port.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/serial_port.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"

namespace kest::testing {
namespace {

std::string read_reply(SerialPort& port, std::size_t expected, std::uint32_t timeoutMs = 1000) {
    std::string reply;
    std::uint8_t buf[64];
    while (reply.size() < expected) {
        const std::size_t n = port.read(buf, sizeof buf, timeoutMs);
        if (n == 0) break;
        reply.append(reinterpret_cast<const char*>(buf), n);
    }
    return reply;
}

void write_text(SerialPort& port, const std::string& text) {
    port.write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

LineSettings at(std::uint32_t baud) {
    LineSettings s;
    s.baud = baud;
    return s;
}

TEST(KestemuIntegration, ProbeAndHandshakeThroughTheCradle) {
    KestemuProcess emulator({"--cradle-rate", "19200"});
    ASSERT_TRUE(emulator.ok());
    auto port = make_serial_port();
    ASSERT_TRUE(port->open(emulator.link(), 256, 1200));

    ASSERT_TRUE(port->apply(at(9600)));
    write_text(*port, "\x0F");
    EXPECT_EQ(read_reply(*port, 1, 300), "") << "no echo at a rate the cradle is not at";

    ASSERT_TRUE(port->apply(at(19200)));
    write_text(*port, "\x0F");
    EXPECT_EQ(read_reply(*port, 1), "\x0F");

    write_text(*port, "VELMOR\r");
    EXPECT_EQ(read_reply(*port, 4), "ACK\r");
    port->close();
    EXPECT_EQ(emulator.stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(emulator.link())))
        << "the link goes with the emulator";
}

TEST(KestemuIntegration, PortCanBeClosedAndOpenedAgain) {
    KestemuProcess emulator({"--direct"});
    ASSERT_TRUE(emulator.ok());
    for (int round = 0; round < 2; ++round) {
        auto port = make_serial_port();
        ASSERT_TRUE(port->open(emulator.link(), 256, 256));
        ASSERT_TRUE(port->apply(at(115200)));
        write_text(*port, "READ\r");
        EXPECT_EQ(read_reply(*port, 9), "ACK\rOVER\r") << "round " << round;
        port->close();
    }
}

// A second emulator on a link that one serves is refused and leaves the link alone; an
// emulator removes only the link it made.
TEST(KestemuIntegration, ALinkInUseIsNeitherTakenOverNorRemoved) {
    namespace fs = std::filesystem;
    KestemuProcess first({"--direct"});
    ASSERT_TRUE(first.ok());
    const fs::path device = fs::read_symlink(first.link());
    const ToolRun second = run_tool("timeout", {"5", tool_path("KESTEMU_BIN"), "--link", first.link(), "--direct"});
    EXPECT_EQ(second.status, 3);
    EXPECT_NE(second.err.find(first.link() + " is in use by another kestemu"), std::string::npos) << second.err;
    ASSERT_TRUE(fs::is_symlink(fs::symlink_status(first.link())));
    EXPECT_EQ(fs::read_symlink(first.link()), device);
    auto port = make_serial_port();
    ASSERT_TRUE(port->open(first.link(), 256, 256));
    write_text(*port, "READ\r");
    EXPECT_EQ(read_reply(*port, 9), "ACK\rOVER\r") << "the first emulator still answers";
    port->close();

    // Someone else's link in its place stays when the emulator stops.
    fs::remove(first.link());
    fs::create_symlink("/dev/null", first.link());
    EXPECT_EQ(first.stop(), 0);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(first.link())));
    EXPECT_FALSE(fs::exists(first.link() + ".lock"));
}

TEST(KestemuIntegration, UsageMistakesAreNamedAndExitWithTwo) {
    const std::string bin = tool_path("KESTEMU_BIN");
    ASSERT_FALSE(bin.empty());
    const ToolRun help = run_tool(bin, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--faults PLAN"), std::string::npos);
    EXPECT_NE(help.out.find("silence=MS@N"), std::string::npos);

    // More records than the terminal's memory holds (a sparse file: nothing is written).
    TempDir dir;
    const std::string huge = dir.file("huge.txt");
    std::ofstream{huge};
    std::filesystem::resize_file(huge, 16 * 1024 * 1024 + 1);
    const std::pair<std::vector<std::string>, std::string> mistakes[] = {
        {{}, "--link"},
        {{"--link", "/tmp/x", "--faults", "nak=3"}, "nak"},
        {{"--link", "/tmp/x", "--cradle-rate", "4800"}, "--cradle-rate"},
        {{"--link", "/tmp/x", "--direct", "--cradle-rate", "9600"}, "--direct"},
        {{"--link", "/tmp/x", "--records", "/nonexistent/records.txt"}, "records.txt"},
        {{"--link", "/tmp/x", "--records", huge}, "huge.txt is larger than 16 MiB"},
        {{"--link", "/tmp/x", "--speed", "1"}, "--speed"},
    };
    for (const auto& [args, named] : mistakes) {
        const ToolRun run = run_tool(bin, args);
        EXPECT_EQ(run.status, 2) << named;
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    }
}

TEST(KestemuIntegration, FlashProgramEndsUpInTheStateFolder) {
    KestemuProcess emulator({"--direct", "--erase-delay", "200"});
    ASSERT_TRUE(emulator.ok());
    auto port = make_serial_port();
    ASSERT_TRUE(port->open(emulator.link(), 256, 1200));
    ASSERT_TRUE(port->apply(at(115200)));
    const std::pair<std::string, std::string> steps[] = {
        {"QUENTIR\r", "ACK1\r"},
        {"DOWNLOAD\r", "ACK2\r"},
        {":ERASE\r", "FB\rFA\r"},
        // "S3", count 9, address 0x00012340, data 0D 0A 0D 0A, checksum, CR.
        {std::string("S3\x09\x00\x01\x23\x40\x0D\x0A\x0D\x0A", 11) + "\x64\r", "FA\r"},
        {std::string("S7\x05\x00\x00\x00\x00\xFA\r", 9), "FA\r"},
    };
    for (const auto& [command, reply] : steps) {
        write_text(*port, command);
        EXPECT_EQ(read_reply(*port, reply.size()), reply);
    }
    EXPECT_EQ(slurp((emulator.state() / "flash.bin").string()), "\x0D\x0A\x0D\x0A");
    EXPECT_EQ(slurp((emulator.state() / "flash.base").string()), "00012340\n");
}

}  // namespace
}  // namespace kest::testing
