#include "kestemu/core/wire.h"

#include <gtest/gtest.h>

namespace kest::emu {
namespace {

TEST(KestemuWire, WireTimeIsTenBitsAByteRoundedUpOnce) {
    struct Case {
        std::uint64_t count;
        std::uint32_t rate;
        Micros expected;
    } cases[] = {
        {0, 115200, 0},
        {1, 115200, 87},
        {4, 115200, 348},
        {1000, 115200, 86806},
        {21411, 115200, 1858594},
        {1, 9600, 1042},
        {7, 9600, 7292},
        {1, 0, 1042},
        {300000000, 2400, 1250000000000},
    };
    for (const auto& c : cases) EXPECT_EQ(wire_time(c.count, c.rate), c.expected) << c.count << " at " << c.rate;
}

TEST(KestemuWire, BytesSentOneByOneTakeNoLongerThanAllAtOnce) {
    Wire oneByOne;
    Micros last = 0;
    for (int i = 0; i < 1000; ++i) {
        const Micros done = oneByOne.done(0, 1, 115200);
        EXPECT_EQ(oneByOne.send(0, 1, 115200), done);
        EXPECT_GT(done, last);
        last = done;
    }
    EXPECT_EQ(last, wire_time(1000, 115200)) << "no rounding per byte";
    Wire inChunks;
    inChunks.send(0, 300, 115200);
    EXPECT_EQ(inChunks.send(500, 700, 115200), last) << "a chunk ready while the wire is busy queues behind";
}

TEST(KestemuWire, IdleGapsAndRateChangesStartAFreshSpell) {
    Wire wire;
    EXPECT_EQ(wire.send(100, 2, 9600), 100 + wire_time(2, 9600));
    EXPECT_EQ(wire.free(), 100 + wire_time(2, 9600));
    // Ready after the wire went idle: starts when ready.
    EXPECT_EQ(wire.done(50000, 3, 9600), 50000 + wire_time(3, 9600));
    EXPECT_EQ(wire.send(50000, 3, 9600), 50000 + wire_time(3, 9600));
    // Ready at once but at another rate: starts when the wire is free, timed at the new rate.
    const Micros free = wire.free();
    EXPECT_EQ(wire.send(50000, 10, 115200), free + wire_time(10, 115200));
    // Ready exactly when the wire frees: continues the spell.
    EXPECT_EQ(wire.send(wire.free(), 1, 115200), free + wire_time(11, 115200));
}

}  // namespace
}  // namespace kest::emu
