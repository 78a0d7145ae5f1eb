#include "link/link.h"

#include <gtest/gtest.h>

#include "tests/support/fake_clock.h"
#include "tests/support/scripted_port.h"

namespace kest {
namespace {

using testing::Bytes;
using testing::FakeClock;
using testing::ScriptedPort;

struct LinkFixture : ::testing::Test {
    FakeClock clock;
    ScriptedPort port{clock};
    Link link{port, clock};
    void SetUp() override { ASSERT_TRUE(link.open("COM3", kInQueue, kDownloadOutQueue)); }
};

TEST(RateTable, IndicesRatesAndCradleCodes) {
    const struct {
        std::uint32_t baud;
        int index;
        std::uint8_t code;
    } table[] = {{115200, 0, '6'}, {57600, 1, '5'}, {38400, 2, '4'}, {19200, 3, '3'}, {9600, 4, '2'}};
    for (const auto& row : table) {
        EXPECT_EQ(rate_index(row.baud), row.index);
        EXPECT_EQ(kRates[row.index], row.baud);
        EXPECT_EQ(kCradleRateCodes[row.index], row.code);
    }
    EXPECT_EQ(rate_index(4800), std::nullopt);
    EXPECT_EQ(rate_index(0), std::nullopt);
}

TEST_F(LinkFixture, OpenPassesNameAndQueueSizes) {
    const auto& open = port.events().front();
    EXPECT_EQ(open.kind, ScriptedPort::Event::Open);
    EXPECT_EQ(open.name, "COM3");
    EXPECT_EQ(open.inQueue, 256u);
    EXPECT_EQ(open.outQueue, 1200u);
    EXPECT_EQ(kUploadOutQueue, 256u);
}

TEST_F(LinkFixture, ReadByteWaitsUntilTheDeadlineOnSilence) {
    const std::uint32_t deadline = clock.ticks() + 3000;
    EXPECT_EQ(link.read_byte(deadline), std::nullopt);
    EXPECT_EQ(clock.ticks(), deadline);
}

TEST_F(LinkFixture, ReadByteReturnsWhenTheByteArrives) {
    const std::uint32_t start = clock.ticks();
    port.deliver(Bytes{0x13, 0x11}, 1200);
    EXPECT_EQ(link.read_byte(start + 3000), 0x13);
    EXPECT_EQ(clock.ticks() - start, 1200u);
    EXPECT_EQ(link.read_byte(start + 3000), 0x11);  // already there: no further wait
    EXPECT_EQ(clock.ticks() - start, 1200u);
}

TEST_F(LinkFixture, ByteAfterTheDeadlineIsNotRead) {
    const std::uint32_t start = clock.ticks();
    port.deliver(Bytes{'A'}, 101);
    EXPECT_EQ(link.read_byte(start + 100), std::nullopt);
    EXPECT_EQ(clock.ticks() - start, 100u);
    EXPECT_EQ(link.read_byte(start + 200), 'A');  // kept for the next read
}

TEST_F(LinkFixture, PassedDeadlineStillTakesABufferedByte) {
    port.deliver(Bytes{'X'});
    const std::uint32_t now = clock.ticks();
    EXPECT_EQ(link.read_byte(now - 50), 'X');
    EXPECT_EQ(link.read_byte(now - 50), std::nullopt);
    EXPECT_EQ(clock.ticks(), now);
}

TEST_F(LinkFixture, DeadlineAcrossTheTickCountWrap) {
    clock.set_ticks(0xFFFFFF00u);
    EXPECT_EQ(link.read_byte(0xFFFFFF00u + 0x200u), std::nullopt);
    EXPECT_EQ(clock.ticks(), 0x100u);
}

TEST_F(LinkFixture, PauseSleepsOneHundredMilliseconds) {
    const auto slept = clock.slept_ms();
    link.pause();
    EXPECT_EQ(clock.slept_ms() - slept, 100u);
}

TEST_F(LinkFixture, SetLineKeepsModemControl) {
    link.settings().rtsEnable = true;
    link.settings().dtrEnable = true;
    link.settings().parity = true;
    link.settings().stopBits = 2;
    link.set_line(1);
    const LineSettings& s = link.settings();
    EXPECT_EQ(s.baud, 57600u);
    EXPECT_EQ(s.dataBits, 8);
    EXPECT_FALSE(s.parity);
    EXPECT_EQ(s.stopBits, 1);
    EXPECT_TRUE(s.rtsEnable);
    EXPECT_TRUE(s.dtrEnable);
}

TEST_F(LinkFixture, CloseWithAndWithoutPurge) {
    link.close(true);
    link.close(true);  // already closed: nothing more happens
    ASSERT_TRUE(link.open("COM3", kInQueue, kUploadOutQueue));
    link.close(false);
    std::vector<ScriptedPort::Event::Kind> kinds;
    for (const auto& e : port.events()) kinds.push_back(e.kind);
    using E = ScriptedPort::Event;
    EXPECT_EQ(kinds, (std::vector<E::Kind>{E::Open, E::Purge, E::Close, E::Open, E::Close}));
}

TEST_F(LinkFixture, TextWriteIsOneWrite) {
    ASSERT_TRUE(link.write(std::string("VELMOR\r")));
    ASSERT_EQ(port.writes().size(), 1u);
    EXPECT_EQ(testing::text_of(port.writes()[0]), "VELMOR\r");
}

}  // namespace
}  // namespace kest
