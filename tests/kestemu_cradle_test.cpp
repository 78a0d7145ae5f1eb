#include "kestemu/core/cradle.h"

#include <gtest/gtest.h>

namespace kest::emu {
namespace {

// A byte written alone, then the quiet that follows it.
Bytes lone(Cradle& cradle, std::uint8_t byte, std::uint32_t pcRate, Micros& now) {
    const Bytes one{byte};
    cradle.receive(one, pcRate, now);
    now += Cradle::kQuiet;
    cradle.advance(now);
    now += 70 * kMillis;
    return cradle.take_for_pc();
}

TEST(KestemuCradle, ProbeIsEchoedOnlyAtTheCradleRate) {
    struct Case {
        std::uint32_t cradleRate, pcRate;
        bool echoed;
    };
    for (const Case& c : {Case{9600, 9600, true}, Case{9600, 115200, false}, Case{19200, 19200, true},
                          Case{19200, 9600, false}, Case{115200, 115200, true}}) {
        Cradle cradle(c.cradleRate);
        Micros now = 0;
        EXPECT_EQ(lone(cradle, 0x0F, c.pcRate, now), c.echoed ? Bytes{0x0F} : Bytes{})
            << c.cradleRate << " probed at " << c.pcRate;
        EXPECT_TRUE(cradle.take_for_terminal().empty());
    }
}

TEST(KestemuCradle, SwitchSequenceMovesTheCradleToTheNewRate) {
    const std::pair<std::uint8_t, std::uint32_t> codes[] = {
        {'2', 9600}, {'3', 19200}, {'4', 38400}, {'5', 57600}, {'6', 115200}};
    for (const auto& [code, rate] : codes) {
        Cradle cradle(38400);
        Micros now = 0;
        lone(cradle, 0x07, 38400, now);
        lone(cradle, code, 38400, now);
        EXPECT_EQ(cradle.rate(), 38400u) << "only Q commits";
        lone(cradle, 'Q', 38400, now);
        EXPECT_EQ(cradle.rate(), rate);
        EXPECT_TRUE(cradle.take_for_terminal().empty()) << "control bytes never reach the terminal";
        EXPECT_EQ(lone(cradle, 0x0F, rate, now), Bytes{0x0F});
    }
}

TEST(KestemuCradle, SwitchAtTheWrongRateIsNotHeard) {
    Cradle cradle(9600);
    Micros now = 0;
    for (std::uint8_t b : Bytes{0x07, '6', 'Q'}) lone(cradle, b, 19200, now);
    EXPECT_EQ(cradle.rate(), 9600u);
}

// On a loaded machine the emulator may read switch bytes together that the PC wrote apart.
TEST(KestemuCradle, SwitchBytesReadTogetherStillSwitch) {
    const std::vector<std::vector<Bytes>> reads = {
        {{0x07, '6'}, {'Q'}},
        {{0x07, '6', 'Q'}},
        {{0x07}, {'6', 'Q'}},
    };
    for (const auto& chunks : reads) {
        Cradle cradle(19200);
        Micros now = 0;
        for (const Bytes& chunk : chunks) {
            cradle.receive(chunk, 19200, now);
            now += Cradle::kQuiet;
            cradle.advance(now);
            now += 70 * kMillis;
        }
        EXPECT_EQ(cradle.rate(), 115200u) << chunks.size() << " reads";
        EXPECT_TRUE(cradle.take_for_terminal().empty());
    }
}

TEST(KestemuCradle, PacketsHoldingControlValuesPassAsData) {
    Cradle cradle(9600);
    const Bytes packet{0x0F, 0x07, '6', 'Q', 0x0F};
    cradle.receive(packet, 9600, 0);
    cradle.advance(Cradle::kQuiet * 2);
    EXPECT_EQ(cradle.take_for_terminal(), packet);
    EXPECT_TRUE(cradle.take_for_pc().empty());
    EXPECT_EQ(cradle.rate(), 9600u);
}

TEST(KestemuCradle, LoneByteFollowedAtOnceIsData) {
    Cradle cradle(9600);
    cradle.receive(Bytes{0x0F}, 9600, 0);
    cradle.receive(Bytes{'A', 'B'}, 9600, 2 * kMillis);
    cradle.advance(Cradle::kQuiet * 2);
    EXPECT_EQ(cradle.take_for_terminal(), (Bytes{0x0F, 'A', 'B'}));
    EXPECT_TRUE(cradle.take_for_pc().empty());
}

TEST(KestemuCradle, DataPassesOnlyAtTheCradleRate) {
    Cradle cradle(57600);
    cradle.receive(Bytes{'V', 'E'}, 9600, 0);
    EXPECT_TRUE(cradle.take_for_terminal().empty());
    cradle.receive(Bytes{'V', 'E'}, 57600, kMillis);
    EXPECT_EQ(cradle.take_for_terminal(), (Bytes{'V', 'E'}));
}

TEST(KestemuCradle, DataBetweenSwitchBytesAbortsTheSwitch) {
    Cradle cradle(9600);
    Micros now = 0;
    lone(cradle, 0x07, 9600, now);
    cradle.receive(Bytes{'R', 'E', 'A', 'D', 0x0D}, 9600, now);
    lone(cradle, '5', 9600, now);
    lone(cradle, 'Q', 9600, now);
    EXPECT_EQ(cradle.rate(), 9600u);
}

}  // namespace
}  // namespace kest::emu
