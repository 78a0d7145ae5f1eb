#include "link/cradle_setup.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "common/exit_status.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_port.h"
#include "tests/support/scripted_ui.h"

namespace kest {
namespace {

using testing::Bytes;
using testing::FakeClock;
using testing::ScriptedPort;
using testing::ScriptedUi;

constexpr int k115200 = 0, k57600 = 1, k38400 = 2, k19200 = 3, k9600 = 4;

// A cradle on the scripted port: it hears the PC only at the rate it listens on, echoes
// the probe byte after a few milliseconds, and after 0x07, a rate code and "Q" listens at
// the new rate. Every write is checked for being sent while RTS is off.
struct Cradle {
    std::optional<std::uint32_t> listensAt;  // nothing: no cradle on the line
    std::optional<std::uint8_t> echo = 0x0F;  // what it answers to a probe
    std::vector<bool> rtsAtWrite;
    int switchStep = 0;
    std::uint32_t newRate = 0;

    void attach(ScriptedPort& port) {
        port.set_responder([this](ScriptedPort& p, const Bytes& written) {
            rtsAtWrite.push_back(p.current_settings().rtsEnable);
            if (!listensAt || p.current_settings().baud != *listensAt || written.size() != 1) return;
            const std::uint8_t b = written[0];
            if (switchStep == 0 && b == 0x0F && echo) p.deliver(Bytes{*echo}, 3);
            if (switchStep == 0 && b == 0x07) {
                switchStep = 1;
            } else if (switchStep == 1) {
                for (int i = 0; i < kRateCount; ++i)
                    if (kCradleRateCodes[i] == b) newRate = kRates[i];
                switchStep = 2;
            } else if (switchStep == 2 && b == 'Q') {
                listensAt = newRate;
                switchStep = 0;
            }
        });
    }
};

struct Fixture {
    FakeClock clock;
    ScriptedPort port{clock};
    Link link{port, clock};
    ScriptedUi ui;
    Cradle cradle;
    std::uint32_t start = 0;
    int found = -1;

    explicit Fixture(std::optional<std::uint32_t> cradleRate) {
        cradle.listensAt = cradleRate;
        cradle.attach(port);
        link.open("COM1", kInQueue, kDownloadOutQueue);
        start = clock.ticks();
    }
    bool run(int rateIndex, const CradleProfile& profile) {
        return cradle_setup(link, rateIndex, profile, &ui, &found);
    }
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
    EXPECT_EQ(f.cradle.listensAt, 115200u);
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(CradleSetup, EveryControlByteIsAWriteOfItsOwnWithRtsOff) {
    for (int target = 0; target < kRateCount; ++target) {
        for (std::uint32_t cradleRate : kRates) {
            SCOPED_TRACE(std::to_string(cradleRate) + " -> " + std::to_string(kRates[target]));
            Fixture f(cradleRate);
            ASSERT_TRUE(f.run(target, kLoaderCradle));
            for (const auto& w : f.port.writes()) EXPECT_EQ(w.size(), 1u);
            for (bool rts : f.cradle.rtsAtWrite) EXPECT_FALSE(rts);
            EXPECT_EQ(f.cradle.listensAt, kRates[target]);
            EXPECT_EQ(f.port.current_settings().baud, kRates[target]);
            EXPECT_TRUE(f.port.current_settings().rtsEnable);
            EXPECT_EQ(f.found, *rate_index(cradleRate));
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
        EXPECT_EQ(f.cradle.listensAt, 57600u);
        EXPECT_EQ(f.link.settings().baud, 57600u);
    }
}

TEST(CradleSetup, WrongEchoFailsTheProbeAtOnce) {
    Fixture f(9600);
    f.cradle.echo = 0x55;  // a cradle that answers, but wrongly, at 9600
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
    Fixture f(9600);
    ASSERT_TRUE(f.run(k9600, kGeneratorCradle));
    EXPECT_EQ(f.port.writes(), (std::vector<Bytes>{{0x0F}, {0x07}, {'2'}, {'Q'}}));
}

TEST(CradleSetup, OnlyTheLoaderReportsACradleThatDoesNotAnswer) {
    Fixture loader(std::nullopt);
    EXPECT_FALSE(loader.run(k9600, kLoaderCradle));
    ASSERT_EQ(loader.ui.messages.size(), 1u);
    EXPECT_EQ(loader.ui.messages[0].text, "Can't set IR device !!!");
    EXPECT_EQ(loader.ui.messages[0].caption, "Program Download");
    EXPECT_EQ(loader.ui.messages[0].icon, Icon::Warning);
    EXPECT_EQ(loader.ui.messages[0].buttons, Buttons::Ok);

    Fixture generator(std::nullopt);
    EXPECT_FALSE(generator.run(k9600, kGeneratorCradle));
    EXPECT_TRUE(generator.ui.messages.empty());

    Fixture noUi(std::nullopt);  // the loader profile without a user interface
    EXPECT_FALSE(cradle_setup(noUi.link, k9600, kLoaderCradle, nullptr));
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
    Fixture f(57600);
    EXPECT_TRUE(cradle_setup(f.link, k38400, kLoaderCradle, &f.ui));
    EXPECT_EQ(f.cradle.listensAt, 38400u);
}

TEST(CradleCheck, OpensFindsSwitchesAndClosesOnEveryPath) {
    const struct {
        const char* name;
        bool failOpen, failApply;
        std::optional<std::uint32_t> cradle;
        CradleCheck end;
        int found;
    } cases[] = {
        {"switched", false, false, 19200, CradleCheck::Switched, k19200},
        {"no cradle", false, false, std::nullopt, CradleCheck::NoCradle, -1},
        {"port", true, false, 9600, CradleCheck::PortFailed, -1},
        {"line settings", false, true, 9600, CradleCheck::LineFailed, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        ScriptedPort port(clock);
        Link link(port, clock);
        Cradle cradle;
        cradle.listensAt = c.cradle;
        cradle.attach(port);
        port.fail_open(c.failOpen);
        port.fail_apply(c.failApply);
        const CradleCheckResult r = check_cradle(link, "COM4", k57600);
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(r.foundRateIndex, c.found);
        EXPECT_EQ(exit_status(r.end), c.end == CradleCheck::Switched ? kExitOk : kExitLinkSetup);
        EXPECT_FALSE(port.is_open());
        if (c.end == CradleCheck::Switched) {
            EXPECT_EQ(cradle.listensAt, 57600u);
            EXPECT_EQ(port.current_settings().baud, 57600u);
        }
    }
}

}  // namespace
}  // namespace kest
