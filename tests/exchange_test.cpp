#include "link/exchange.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/exchange_log.h"
#include "project/names.h"

#include "tests/support/fake_clock.h"
#include "tests/support/scripted_port.h"

namespace kest {
namespace {

using Overflow = ReplyRules::Overflow;

TEST(Exchange, RepliesAreReadByTheCallersRules) {
    const struct {
        const char* name;
        std::string line;  // what arrives, 10 ms after the packet
        ReplyRules rules;
        std::string text;
        ReplyEnd end;
        bool cut;
        std::string next;  // what a second read within the window finds
    } cases[] = {
        {"download: CR dropped", "ACK\rX\r", {10}, "ACK", ReplyEnd::Cr, false, "X"},
        {"download: stops at ten", "ACKACKACKACK\r", {10}, "ACKACKACKA", ReplyEnd::Full, false, "CK"},
        {"download: silence", "", {10}, "", ReplyEnd::Deadline, false, ""},
        {"upload connect: CR kept", "ACK\r", {10, Overflow::SkipToDeadline, true}, "ACK\r", ReplyEnd::Cr, false, ""},
        {"upload connect: CR as tenth byte",
         "123456789\r",
         {10, Overflow::SkipToDeadline, true},
         "123456789\r",
         ReplyEnd::Cr,
         false,
         ""},
        {"upload connect: past ten even a CR is dropped",
         "1234567890\rACK\r",
         {10, Overflow::SkipToDeadline, true},
         "1234567890",
         ReplyEnd::Deadline,
         true,
         ""},
        {"upload frame: over-long frame skipped to its CR",
         "abcdef\rOVER\r",
         {4, Overflow::SkipToCr, true},
         "abcd",
         ReplyEnd::Cr,
         true,
         "OVER"},
        {"flash: fifteen kept",
         std::string(20, 'A') + "\rFA\r",
         {15, Overflow::SkipToCr},
         std::string(15, 'A'),
         ReplyEnd::Cr,
         true,
         "FA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FakeClock clock;
        testing::ScriptedPort port(clock);
        Link link(port, clock);
        port.set_responder([&](testing::ScriptedPort& p, const testing::Bytes&) { p.deliver(c.line, 10); });
        const std::uint32_t start = clock.ticks();
        const Reply reply = exchange(link, bytes_of(word::kVelmor), 3000, c.rules);
        EXPECT_EQ(reply.text, c.text);
        EXPECT_EQ(reply.end, c.end);
        EXPECT_EQ(reply.cut, c.cut);
        EXPECT_EQ(clock.ticks() - start, c.end == ReplyEnd::Deadline ? 3000u : 10u);
        ReplyRules rest = c.rules;
        rest.keepCr = false;
        EXPECT_EQ(read_reply(link, start + 3000, rest).text, c.next);
    }
}

TEST(Exchange, PacketThatCannotBeWrittenCostsNoWait) {
    testing::FakeClock clock;
    testing::ScriptedPort port(clock);
    Link link(port, clock);
    port.fail_write(true);
    port.set_responder([](testing::ScriptedPort& p, const testing::Bytes&) { p.deliver("ACK\r"); });
    const std::uint32_t start = clock.ticks();
    const Reply reply = exchange(link, bytes_of(word::kRead), 3000, {10});
    EXPECT_EQ(reply.text, "");
    EXPECT_EQ(reply.end, ReplyEnd::Deadline);
    EXPECT_EQ(clock.ticks(), start);
}

TEST(Exchange, SumBytesNeverLookLikeCr) {
    EXPECT_EQ(byte_sum(bytes_of("\xFF\xFF\x02")), 0x200u);
    const struct {
        unsigned value;
        std::uint8_t byte;
    } cases[] = {{0x0D, 0x0E}, {0x10D, 0x0E}, {0x0E, 0x0E}, {0x0C, 0x0C}, {0x1234, 0x34}};
    for (const auto& c : cases) EXPECT_EQ(line_sum_byte(c.value), c.byte) << c.value;
}

// The port dialogs list what port_names and rate_names give; the project's text and the
// system settings name the same ports and rates.
TEST(PortLists, NamesOfBothPrograms) {
    EXPECT_EQ(port_names(6), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"}));
    EXPECT_EQ(port_names(std::size(names::kComPorts)), names::entries(names::kComPorts));
    EXPECT_EQ(port_names(8).back(), "COM8");
    EXPECT_EQ(port_name(10), "COM11");
    EXPECT_EQ(rate_names(), (std::vector<std::string>{"115200", "57600", "38400", "19200", "9600"}));
    for (int i = 0; i < kRateCount; ++i) EXPECT_EQ(names::terminal_rates()[i], names::rate(i) + " bps");
    EXPECT_EQ(names::rate(kRateCount), "(5)");
}

// --verbose: one line per packet and per reply, words as text, binary packets by size.
TEST(ExchangeLog, NamesWordsRecordsPacketsAndReplies) {
    testing::FakeClock clock;
    std::ostringstream out;
    TextExchangeLog log(clock, out);
    const std::vector<std::uint8_t> packet(103, 0x0D);
    const std::vector<std::uint8_t> record = {'S', '3', 9, 0x00, 0x02, 0x00, 0x10, 1, 2, 3, 4, 0};
    log.sent(bytes_of(word::kVelmor));
    clock.advance(12);
    log.received({"ACK", ReplyEnd::Cr});
    log.sent(packet);
    log.sent(record);
    log.sent(bytes_of(word::kWake));
    clock.advance(2000);
    log.received({"", ReplyEnd::Deadline});
    log.received({"F\x01", ReplyEnd::Deadline, true});
    log.sent(bytes_of("a lookup line that goes on and on\r"));
    EXPECT_EQ(out.str(),
              "    0.000 -> VELMOR\n"
              "    0.012 <- ACK\n"
              "    0.012 -> 103 bytes\n"
              "    0.012 -> S3 record for 0x00020010, 12 bytes\n"
              "    0.012 -> CR\n"
              "    2.012 <- nothing (time-out)\n"
              "    2.012 <- 46 01 (no CR before the time-out) (cut)\n"
              "    2.012 -> a lookup line that goes ... (34 bytes)\n");
}

}  // namespace
}  // namespace kest
