// kestemu on a real pseudo-terminal, reached through the POSIX serial port.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/serial_port.h"
#include "tests/integration/kestemu_process.h"

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

}  // namespace
}  // namespace kest::testing
