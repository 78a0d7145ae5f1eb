#include "link/tracing_port.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/fake_clock.h"
#include "tests/support/scripted_port.h"

namespace kest {
namespace {

using testing::Bytes;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TracingPort, LogsBothDirectionsInHexAndTextWithTimes) {
    testing::FakeClock clock;
    testing::ScriptedPort inner(clock);
    std::ostringstream out;
    TracingPort port(inner, clock, out);

    ASSERT_TRUE(port.open("/dev/ttyS9", 256, 1200));
    LineSettings s;
    s.baud = 19200;
    s.rtsEnable = true;
    ASSERT_TRUE(port.apply(s));
    clock.advance(1250);
    const Bytes sent = {'V', 0x0D, 0x00, 0x11, 0x13, 0xFF, '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'Z'};
    ASSERT_TRUE(port.write(sent));
    EXPECT_EQ(inner.writes().front(), sent);  // passed on unchanged, in one write
    inner.deliver(Bytes{'A', 'C', 'K', 0x0D});
    std::uint8_t buf[8];
    ASSERT_EQ(port.read(buf, sizeof buf, 100), 4u);
    EXPECT_EQ(port.read(buf, sizeof buf, 100), 0u);  // nothing read: nothing logged
    port.purge_input();
    port.close();

    const auto lines = lines_of(out.str());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "    0.000 open /dev/ttyS9");
    EXPECT_EQ(lines[1], "    0.000 line 19200 8N1 RTS on DTR off");
    EXPECT_EQ(lines[2], "    1.250 PC> 56 0D 00 11 13 FF 30 31 32 33 34 35 36 37 38 39  |V.....0123456789|");
    EXPECT_EQ(lines[3], "    1.250 PC> 5A                                               |Z|");
    EXPECT_EQ(lines[4], "    1.250 <TM 41 43 4B 0D                                      |ACK.|");
    EXPECT_EQ(lines[5], "    1.350 purge input");
    EXPECT_EQ(lines[6], "    1.350 close");
}

TEST(TracingPort, ReportsFailures) {
    testing::FakeClock clock;
    testing::ScriptedPort inner(clock);
    std::ostringstream out;
    TracingPort port(inner, clock, out);
    inner.fail_open(true);
    EXPECT_FALSE(port.open("COM7", 256, 256));
    inner.fail_apply(true);
    EXPECT_FALSE(port.apply(LineSettings{}));
    const auto lines = lines_of(out.str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "    0.000 open COM7 FAILED");
    EXPECT_EQ(lines[1], "    0.000 line 9600 8N1 RTS off DTR off FAILED");
}

}  // namespace
}  // namespace kest
