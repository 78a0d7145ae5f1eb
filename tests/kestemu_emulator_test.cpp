#include "kestemu/core/emulator.h"

#include <gtest/gtest.h>

#include "tests/kestemu_harness.h"

namespace kest::emu {
namespace {

using testing::as_text;
using testing::text;

struct Rig {
    explicit Rig(EmulatorConfig config) : emulator(std::move(config), state, faults) {}
    MemoryStateSink state;
    FaultInjector faults;
    Emulator emulator;
};

EmulatorConfig cradle_at(std::uint32_t rate, bool pace = false) {
    EmulatorConfig c;
    c.cradleRate = rate;
    c.pace = pace;
    return c;
}

TEST(KestemuEmulator, ByteTimeIsTenBitsAtTheRate) {
    EXPECT_EQ(byte_time(9600), 1042);
    EXPECT_EQ(byte_time(115200), 87);
    EXPECT_EQ(byte_time(19200), 521);
}

TEST(KestemuEmulator, DataReachesTheTerminalOnlyAtTheCradleRate) {
    Rig rig(cradle_at(38400));
    rig.emulator.receive(text("VELMOR\r"), 9600, 0);
    EXPECT_EQ(as_text(rig.emulator.take_output(9600, kMillis)), "");
    rig.emulator.receive(text("VELMOR\r"), 38400, 10 * kMillis);
    EXPECT_EQ(as_text(rig.emulator.take_output(38400, 10 * kMillis)), "ACK\r");
}

TEST(KestemuEmulator, DirectCablePassesAtAnyRate) {
    EmulatorConfig config;
    config.direct = true;
    Rig rig(config);
    rig.emulator.receive(text("VELMOR\r"), 57600, 0);
    EXPECT_EQ(as_text(rig.emulator.take_output(115200, 0)), "ACK\r");
    rig.emulator.receive(Bytes{0x0F}, 57600, 5 * kMillis);
    EXPECT_EQ(as_text(rig.emulator.take_output(57600, 100 * kMillis)), "") << "no cradle to echo a probe";
}

TEST(KestemuEmulator, CradleSetUpAsThePcRunsIt) {
    Rig rig(cradle_at(19200));
    Micros now = 0;
    const auto lone = [&](std::uint8_t byte, std::uint32_t rate) {
        rig.emulator.receive(Bytes{byte}, rate, now);
        now += 100 * kMillis;
        rig.emulator.advance(now);
        const Bytes echo = rig.emulator.take_output(rate, now);
        now += 100 * kMillis;
        return echo;
    };
    // The generator's probe order: 9600, 115200, 38400, 57600, 19200.
    for (std::uint32_t rate : {9600u, 115200u, 38400u, 57600u}) EXPECT_EQ(lone(0x0F, rate), Bytes{}) << rate;
    EXPECT_EQ(lone(0x0F, 19200), Bytes{0x0F});
    // The rate code and "Q" still go out at the old rate: the new one is applied after them.
    for (std::uint8_t b : Bytes{0x07, '6', 'Q'}) lone(b, 19200);
    EXPECT_EQ(rig.emulator.cradle().rate(), 115200u);
    rig.emulator.receive(text("VELMOR\r"), 115200, now);
    EXPECT_EQ(as_text(rig.emulator.take_output(115200, now)), "ACK\r");
}

TEST(KestemuEmulator, PacedReplyFollowsTheBytesOnTheWire) {
    Rig rig(cradle_at(9600, true));
    rig.emulator.receive(text("VELMOR\r"), 9600, 0);
    const Micros in = wire_time(7, 9600);  // the command is in after its last byte
    ASSERT_TRUE(rig.emulator.next_deadline());
    EXPECT_EQ(*rig.emulator.next_deadline(), in);
    EXPECT_EQ(as_text(rig.emulator.take_output(9600, in - 1)), "");
    EXPECT_EQ(as_text(rig.emulator.take_output(9600, in + wire_time(2, 9600))), "AC");
    EXPECT_EQ(*rig.emulator.next_deadline(), in + wire_time(3, 9600));
    EXPECT_EQ(as_text(rig.emulator.take_output(9600, in + wire_time(4, 9600))), "K\r");
    EXPECT_FALSE(rig.emulator.next_deadline());
}

TEST(KestemuEmulator, PacedInputQueuesBehindEarlierInput) {
    EmulatorConfig config;
    config.direct = true;
    config.pace = true;
    Rig rig(config);
    const Bytes packet = ApplicationDownload::packet(Bytes(100, 1), 0);
    rig.emulator.receive(text("VELMOR\r"), 115200, 0);
    rig.emulator.receive(packet, 115200, 0);
    const Micros in = wire_time(110, 115200);
    EXPECT_EQ(as_text(rig.emulator.take_output(115200, in - 1)).substr(0, 4), "ACK\r");
    // The packet's ACK follows the handshake's on the wire.
    EXPECT_EQ(as_text(rig.emulator.take_output(115200, in + wire_time(4, 115200))), "ACK\r");
}

TEST(KestemuEmulator, PacedReplyIsLetOutInBatchesTimedToTheirLastByte) {
    EmulatorConfig config;
    config.direct = true;
    config.pace = true;
    Rig rig(config);
    rig.emulator.receive(text("VELMOR\r"), 115200, 0);
    const Micros in = wire_time(7, 115200);
    EXPECT_EQ(rig.emulator.next_wake(), in) << "the command is taken in first";
    EXPECT_EQ(as_text(rig.emulator.take_output(115200, in)), "");
    EXPECT_EQ(rig.emulator.next_deadline(), in + wire_time(1, 115200));
    // The whole reply lies within one batch: one wake-up when its last byte is through.
    EXPECT_EQ(rig.emulator.next_wake(), in + wire_time(4, 115200));
    EXPECT_EQ(as_text(rig.emulator.take_output(115200, in + wire_time(4, 115200))), "ACK\r");
    EXPECT_FALSE(rig.emulator.next_wake());

    // At 9600 a byte takes longer than a batch: every byte on its own.
    rig.emulator.receive(text("VELMOR\r"), 9600, 100 * kMillis);
    const Micros in2 = 100 * kMillis + wire_time(7, 9600);
    EXPECT_EQ(as_text(rig.emulator.take_output(9600, in2)), "");
    EXPECT_EQ(rig.emulator.next_wake(), in2 + wire_time(1, 9600));
    EXPECT_EQ(rig.emulator.next_wake(), rig.emulator.next_deadline());
}

TEST(KestemuEmulator, ReplyIsLostWhenThePcLeavesTheCradleRate) {
    Rig rig(cradle_at(9600, true));
    rig.emulator.receive(text("VELMOR\r"), 9600, 0);
    EXPECT_EQ(as_text(rig.emulator.take_output(38400, 100 * kMillis)), "");
    EXPECT_EQ(as_text(rig.emulator.take_output(9600, 200 * kMillis)), "") << "gone, not delayed";
}

}  // namespace
}  // namespace kest::emu
