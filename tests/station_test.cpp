#include "session/station.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>

#include "project/download_image.h"
#include "session/download_session.h"
#include "session/upload_session.h"
#include "tests/support/emulated_port.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unsynced_file_steps.h"

namespace kest {
namespace {

using testing::EmulatedPort;
using testing::FakeClock;

// The emulated terminal, set into its cradle and taken out at given times (ms from the start),
// and the stop request at the end of the shift.
class Shift final : public SerialPort {
public:
    Shift(FakeClock& clock, EmulatedPort& terminal, std::vector<std::pair<std::uint32_t, bool>> presence,
          std::uint32_t end)
        : clock_(clock), terminal_(terminal), presence_(std::move(presence)), start_(clock.ticks()), end_(end) {}

    std::atomic<bool> stop{false};

    bool open(const std::string& name, std::size_t in, std::size_t out) override {
        return now(), terminal_.open(name, in, out);
    }
    bool is_open() const override { return terminal_.is_open(); }
    bool apply(const LineSettings& s) override { return now(), terminal_.apply(s); }
    bool write(std::span<const std::uint8_t> bytes) override { return now(), terminal_.write(bytes); }
    std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) override {
        now();
        // The terminal comes and goes while the PC waits.
        std::size_t n = 0;
        for (std::uint32_t left = timeoutMs;;) {
            const std::uint32_t step = std::min<std::uint32_t>(left, 100);
            n = terminal_.read(buffer, max, step);
            now();
            if (n || left <= step) return n;
            left -= step;
        }
    }
    void purge_input() override { terminal_.purge_input(); }
    void close() override { terminal_.close(); }

private:
    void now() {
        const std::uint32_t at = clock_.ticks() - start_;
        while (!presence_.empty() && presence_.front().first <= at) {
            terminal_.set_present(presence_.front().second);
            presence_.erase(presence_.begin());
        }
        if (at >= end_) stop = true;
    }

    FakeClock& clock_;
    EmulatedPort& terminal_;
    std::vector<std::pair<std::uint32_t, bool>> presence_;
    std::uint32_t start_;
    std::uint32_t end_;
};

emu::EmulatorConfig paced_cable() {
    emu::EmulatorConfig c;
    c.direct = true;
    c.pace = true;
    return c;
}

struct ShiftCase {
    const char* name;
    std::vector<std::pair<std::uint32_t, bool>> presence;  // ms from the start: set in (true), taken out
    std::uint32_t end;
    std::vector<DownloadOutcome> served;
};

// Downloads at 9600 bit/s take about 22 s each, so the terminal can leave in the middle of one.
TEST(Station, ServesEachTerminalOnceWhileItStaysAndAgainAfterItWasTakenOut) {
    using O = DownloadOutcome;
    const ShiftCase cases[] = {
        {"left in its cradle all shift", {}, 120000, {O::Completed}},
        {"taken out and set in again", {{40000, false}, {50000, true}}, 120000, {O::Completed, O::Completed}},
        {"set in late", {{0, false}, {15000, true}}, 60000, {O::Completed}},
        {"lifted for less than two asks", {{30000, false}, {32000, true}}, 90000, {O::Completed}},
        {"taken out in the middle, set in again",
         {{10000, false}, {40000, true}},
         120000,
         {O::TransferFailed, O::Completed}},
        {"nobody comes", {{0, false}}, 60000, {}},
    };
    for (const ShiftCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        EmulatedPort terminal(clock, paced_cable());
        Shift port(clock, terminal, c.presence, c.end);
        Link link(port, clock);
        link.set_stop_flag(&port.stop);
        testing::ScriptedUi ui;
        auto project = std::make_unique<Project>();
        set_cell(project->menus[0].items[0], "Wareneingang");
        const DownloadImage image = prepare_image(*std::make_unique<Project>(*project));

        std::vector<DownloadOutcome> served;
        StationOptions options{"COM1", 4};
        const StationEnd end = run_station(link, options, [&](Link& open) {
            DownloadOptions o;
            o.station = true;
            std::string name;
            served.push_back(download(*project, open, ui, o, name).outcome);
            return served.back() == O::Completed;
        });
        EXPECT_EQ(end, StationEnd::Stopped);
        EXPECT_EQ(served, c.served);
        EXPECT_FALSE(port.is_open());
        if (!c.served.empty()) {
            EXPECT_EQ(terminal.stored("image.bin"), std::string(image.begin(), image.end()));
        }
    }
}

TEST(Station, UploadsEachTerminalIntoItsOwnFile) {
    testing::TempDir dir;
    FakeClock clock;
    EmulatedPort terminal(clock, paced_cable());
    const std::vector<std::string> records{"4711;12", "0815;3", "", "4712;1"};
    terminal.set_records(records);
    Shift port(clock, terminal, {{20000, false}, {30000, true}}, 60000);
    Link link(port, clock);
    link.set_stop_flag(&port.stop);
    testing::ScriptedUi ui;
    testing::UnsyncedFileSteps files;

    std::vector<UploadReport> served;
    StationOptions options{"COM1", 0};
    options.upload = true;
    run_station(link, options, [&](Link& open) {
        UploadOptions o;
        o.station = true;
        o.offerViewer = false;
        o.path = dir.file("terminal-" + std::to_string(served.size()) + ".txt");
        served.push_back(upload_data(Project{}, open, ui, files, o));
        return served.back().end == UploadEnd::Over;
    });
    ASSERT_EQ(served.size(), 2u);
    for (const UploadReport& r : served) {
        EXPECT_EQ(r.end, UploadEnd::Over);
        std::ifstream in(r.path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "4711;12\r\n0815;3\r\n\r\n4712;1\r\n");
    }
}

TEST(Station, APortThatCannotBeOpenedEndsTheStationAtOnce) {
    FakeClock clock;
    EmulatedPort terminal(clock, paced_cable());
    terminal.fail_open(true);
    Link link(terminal, clock);
    int served = 0;
    EXPECT_EQ(run_station(link, {"COM1", 0}, [&](Link&) { return ++served, true; }), StationEnd::PortFailed);
    EXPECT_EQ(served, 0);
    StationOptions cradle{"COM1", 0, true};
    terminal.fail_open(false);
    EXPECT_EQ(run_station(link, cradle, [&](Link&) { return ++served, true; }), StationEnd::CradleFailed);
    EXPECT_FALSE(terminal.is_open());
}

}  // namespace
}  // namespace kest
