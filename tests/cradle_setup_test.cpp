#include "link/cradle_setup.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "session/exit_status.h"
#include "tests/support/emulated_port.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_port.h"

namespace kest {
namespace {

using testing::Bytes;
using testing::EmulatedPort;
using testing::FakeClock;
using testing::ScriptedPort;

constexpr int k115200 = 0, k57600 = 1, k38400 = 2, k19200 = 3, k9600 = 4;

// A cradle behind the emulated port, listening at rate first.
emu::EmulatorConfig cradle_at(std::uint32_t rate) {
    emu::EmulatorConfig c;
    c.cradleRate = rate;
    return c;
}

// The set-up on the scripted port, for the exact sequence and timing: a probe byte sent at
// echoRate is answered with echo after 3 ms; nothing else is answered.
struct Fixture {
    FakeClock clock;
    ScriptedPort port{clock};
    Link link{port, clock};
    std::uint32_t start = 0;
    int found = -1;

    explicit Fixture(std::optional<std::uint32_t> echoRate, std::uint8_t echo = 0x0F) {
        port.set_responder([echoRate, echo](ScriptedPort& p, const Bytes& written) {
            if (written == Bytes{0x0F} && p.current_settings().baud == echoRate) p.deliver(Bytes{echo}, 3);
        });
        link.open("COM1", kInQueue, kDownloadOutQueue);
        start = clock.ticks();
    }
    bool run(int rateIndex, const CradleProfile& profile) { return cradle_setup(link, rateIndex, profile, &found); }
    // Rates applied with RTS off before a probe byte: the probe order.
    std::vector<std::uint32_t> probed_rates() const {
        std::vector<std::uint32_t> rates;
        const auto& ev = port.events();
        for (std::size_t i = 0; i + 1 < ev.size(); ++i)
            if (ev[i].kind == ScriptedPort::Event::Apply && ev[i + 1].kind == ScriptedPort::Event::Write &&
                ev[i + 1].data == Bytes{0x0F})
                rates.push_back(ev[i].settings.baud);
        return rates;
    }
    // RTS as it was applied when each byte was written.
    std::vector<bool> rts_at_writes() const {
        std::vector<bool> out;
        bool rts = false;
        for (const auto& e : port.events()) {
            if (e.kind == ScriptedPort::Event::Apply) rts = e.settings.rtsEnable;
            if (e.kind == ScriptedPort::Event::Write) out.push_back(rts);
        }
        return out;
    }
};

// The set-up against the emulated cradle, listening at cradleRate first.
struct EmulatedFixture {
    FakeClock clock;
    EmulatedPort port;
    Link link{port, clock};
    int found = -1;

    explicit EmulatedFixture(std::uint32_t cradleRate) : port(clock, cradle_at(cradleRate)) {
        link.open("COM1", kInQueue, kDownloadOutQueue);
    }
    bool run(int rateIndex, const CradleProfile& profile) { return cradle_setup(link, rateIndex, profile, &found); }
    std::uint32_t cradle_rate() const { return port.emulator().cradle().rate(); }
};

struct Step {
    ScriptedPort::Event::Kind kind;
    std::uint32_t at;  // ms after the start of the set-up
    std::uint32_t baud;
    bool rts;
    bool dtr;
    Bytes data;
};

TEST(CradleSetup, FirstProbeAnswersExactSequenceAndTiming) {
    Fixture f(9600);
    ASSERT_TRUE(f.run(k115200, kGeneratorCradle));
    using E = ScriptedPort::Event;
    const std::vector<Step> expected = {
        {E::Apply, 0, 38400, true, true, {}},    // RTS and DTR on, 38400 8N1
        {E::Apply, 100, 9600, false, true, {}},  // probe 9600 with RTS off
        {E::Write, 200, 0, false, true, {0x0F}},
        {E::Apply, 300, 9600, true, true, {}},  // echo read at once, RTS back on
        {E::Apply, 400, 9600, false, true, {}},
        {E::Write, 500, 0, false, true, {0x07}},
        {E::Write, 600, 0, false, true, {'6'}},  // rate code sent at the old rate
        {E::Write, 700, 0, false, true, {'Q'}},
        {E::Apply, 800, 115200, true, true, {}},
    };
    std::vector<E> events(f.port.events().begin() + 1, f.port.events().end());  // after Open
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_EQ(events[i].kind, expected[i].kind);
        EXPECT_EQ(events[i].at - f.start, expected[i].at);
        if (expected[i].kind == E::Apply) {
            EXPECT_EQ(events[i].settings.baud, expected[i].baud);
            EXPECT_EQ(events[i].settings.rtsEnable, expected[i].rts);
            EXPECT_EQ(events[i].settings.dtrEnable, expected[i].dtr);
            EXPECT_EQ(events[i].settings.dataBits, 8);
            EXPECT_FALSE(events[i].settings.parity);
            EXPECT_EQ(events[i].settings.stopBits, 1);
        } else {
            EXPECT_EQ(events[i].data, expected[i].data);
        }
    }
    EXPECT_EQ(f.clock.ticks() - f.start, 900u);  // ends with a pause
    EXPECT_EQ(f.found, k9600);
}

TEST(CradleSetup, EveryControlByteIsAWriteOfItsOwnWithRtsOff) {
    for (int target = 0; target < kRateCount; ++target) {
        for (std::uint32_t cradleRate : kRates) {
            SCOPED_TRACE(std::to_string(cradleRate) + " -> " + std::to_string(kRates[target]));
            Fixture f(cradleRate);
            ASSERT_TRUE(f.run(target, kLoaderCradle));
            for (const auto& w : f.port.writes()) EXPECT_EQ(w.size(), 1u);
            for (bool rts : f.rts_at_writes()) EXPECT_FALSE(rts);
            EXPECT_EQ(f.port.current_settings().baud, kRates[target]);
            EXPECT_TRUE(f.port.current_settings().rtsEnable);
            EXPECT_EQ(f.found, *rate_index(cradleRate));
        }
    }
}

TEST(CradleSetup, TheCradleEndsAtTheChosenRateWhereverItListened) {
    for (const auto* profile : {&kGeneratorCradle, &kLoaderCradle}) {
        for (int target = 0; target < kRateCount; ++target) {
            for (std::uint32_t cradleRate : kRates) {
                SCOPED_TRACE(std::to_string(cradleRate) + " -> " + std::to_string(kRates[target]));
                EmulatedFixture f(cradleRate);
                ASSERT_TRUE(f.run(target, *profile));
                EXPECT_EQ(f.cradle_rate(), kRates[target]);
                EXPECT_EQ(f.found, *rate_index(cradleRate));
                EXPECT_EQ(f.link.settings().baud, kRates[target]);
            }
        }
    }
}

TEST(CradleSetup, ProbeOrdersOfBothPrograms) {
    struct Case {
        const char* name;
        const CradleProfile* profile;
        std::vector<std::uint32_t> order;
    };
    const Case cases[] = {
        {"generator", &kGeneratorCradle, {9600, 115200, 38400, 57600, 19200}},
        {"loader", &kLoaderCradle, {9600, 38400, 115200, 57600, 19200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(std::nullopt);
        EXPECT_FALSE(f.run(k9600, *c.profile));
        EXPECT_EQ(f.probed_rates(), c.order);
        // Nothing but the five probes is sent; 100 ms + 5 x 400 ms until the failure.
        EXPECT_EQ(f.port.writes(), std::vector<Bytes>(5, Bytes{0x0F}));
        EXPECT_EQ(f.clock.ticks() - f.start, 2100u);
        EXPECT_EQ(f.found, -1);
    }
}

TEST(CradleSetup, CradleOnlyAt19200IsFoundByTheLastProbeAndSwitched) {
    for (const auto* profile : {&kGeneratorCradle, &kLoaderCradle}) {
        Fixture f(19200);
        ASSERT_TRUE(f.run(k57600, *profile));
        EXPECT_EQ(f.probed_rates().size(), 5u);
        EXPECT_EQ(f.probed_rates().back(), 19200u);
        const auto writes = f.port.writes();
        const std::vector<Bytes> tail(writes.end() - 3, writes.end());
        EXPECT_EQ(tail, (std::vector<Bytes>{{0x07}, {'5'}, {'Q'}}));
        EXPECT_EQ(f.found, k19200);
        EXPECT_EQ(f.link.settings().baud, 57600u);
    }
}

TEST(CradleSetup, WrongEchoFailsTheProbeAtOnce) {
    Fixture f(9600, 0x55);  // a cradle that answers, but wrongly, at 9600
    EXPECT_FALSE(f.run(k9600, kGeneratorCradle));
    // The 0x55 ends the first read window at once: the RTS-on step follows the 100 ms
    // pause after the probe byte directly, not after another 100 ms.
    const auto& ev = f.port.events();
    ASSERT_GE(ev.size(), 5u);
    EXPECT_EQ(ev[3].kind, ScriptedPort::Event::Write);
    EXPECT_EQ(ev[4].kind, ScriptedPort::Event::Apply);
    EXPECT_TRUE(ev[4].settings.rtsEnable);
    EXPECT_EQ(ev[4].at - ev[3].at, 100u);
    EXPECT_EQ(f.probed_rates().size(), 5u);  // the next rates are tried
    EXPECT_EQ(f.clock.ticks() - f.start, 2000u);
}

TEST(CradleSetup, ChoosingTheRateTheCradleAlreadyUsesStillSwitches) {
    EmulatedFixture f(9600);
    ASSERT_TRUE(f.run(k9600, kGeneratorCradle));
    EXPECT_EQ(f.port.writes(), (std::vector<Bytes>{{0x0F}, {0x07}, {'2'}, {'Q'}}));
    EXPECT_EQ(f.cradle_rate(), 9600u);
}

TEST(CradleSetup, ModemControlStaysOnForALaterDirectTransfer) {
    Fixture f(38400);
    ASSERT_TRUE(f.run(k19200, kGeneratorCradle));
    f.link.close(true);

    // A direct transfer of the same run: open, line settings, apply.
    f.port.set_responder(nullptr);
    ASSERT_TRUE(f.link.open("COM1", kInQueue, kUploadOutQueue));
    f.link.set_line(k9600);
    ASSERT_TRUE(f.link.apply());
    const LineSettings& s = f.port.current_settings();
    EXPECT_EQ(s.baud, 9600u);
    EXPECT_TRUE(s.rtsEnable);
    EXPECT_TRUE(s.dtrEnable);
    EXPECT_FALSE(s.ctsFlow);
    EXPECT_FALSE(s.xonXoff);
    EXPECT_FALSE(s.parity);
    EXPECT_EQ(s.dataBits, 8);
}

TEST(CradleSetup, ModemControlIsOffBeforeTheFirstSetUp) {
    FakeClock clock;
    ScriptedPort port(clock);
    Link link(port, clock);
    link.open("COM2", kInQueue, kDownloadOutQueue);
    link.set_line(k38400);
    link.apply();
    EXPECT_FALSE(port.current_settings().rtsEnable);
    EXPECT_FALSE(port.current_settings().dtrEnable);
    EXPECT_FALSE(port.current_settings().ctsFlow);
    EXPECT_FALSE(port.current_settings().xonXoff);
}

TEST(CradleSetup, FoundRateIsOptional) {
    EmulatedFixture f(57600);
    EXPECT_TRUE(cradle_setup(f.link, k38400, kLoaderCradle));
    EXPECT_EQ(f.cradle_rate(), 38400u);
}

TEST(CradleCheck, OpensFindsSwitchesAndClosesOnEveryPath) {
    const struct {
        const char* name;
        bool failOpen, failApply;
        bool cradle;  // false: a direct cable, nothing answers the probes
        CradleCheck end;
        int found;
    } cases[] = {
        {"switched", false, false, true, CradleCheck::Switched, k19200},
        {"no cradle", false, false, false, CradleCheck::NoCradle, -1},
        {"port", true, false, true, CradleCheck::PortFailed, -1},
        {"line settings", false, true, true, CradleCheck::LineFailed, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        emu::EmulatorConfig config = cradle_at(19200);
        config.direct = !c.cradle;
        EmulatedPort port(clock, config);
        Link link(port, clock);
        port.fail_open(c.failOpen);
        port.fail_apply(c.failApply);
        const CradleCheckResult r = check_cradle(link, "COM4", k57600);
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(r.foundRateIndex, c.found);
        EXPECT_EQ(exit_status(r.end), c.end == CradleCheck::Switched ? kExitOk : kExitLinkSetup);
        EXPECT_FALSE(port.is_open());
        if (c.end == CradleCheck::Switched) {
            EXPECT_EQ(port.emulator().cradle().rate(), 57600u);
            EXPECT_EQ(port.current_settings().baud, 57600u);
        }
    }
}

}  // namespace
}  // namespace kest
