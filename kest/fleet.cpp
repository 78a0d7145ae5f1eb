#include "kest/fleet.h"

#include <exception>
#include <iostream>
#include <memory>
#include <thread>

#include "kest/interrupt.h"
#include "kest/port_list.h"
#include "session/station.h"

namespace kest::cli {

PortRun::PortRun(const char* command, TransferSetup& s, std::string shortName, ConsoleOutput& out, bool several,
                 bool json)
    : setup(s),
      ui(out, s.retries),
      command_(command),
      shortName_(std::move(shortName)),
      out_(out),
      several_(several),
      json_(json),
      started_(system_clock().local_time()) {
    ui.set_quiet(s.quiet);
}

void PortRun::say(const std::string& text) {
    out_.line(several_ ? text : "kest " + std::string(command_) + ": " + text);
}

void PortRun::result(const std::string& text, bool onStderr) {
    if (!json_) out_.line(text, !onStderr);
}

void PortRun::begin() { started_ = system_clock().local_time(); }

void PortRun::add(TransferSummary s, int rateIndex) {
    s.command = command_;
    s.port = setup.port;
    s.startedAt = started_;
    if (!s.baud && rateIndex >= 0 && rateIndex < kRateCount) s.baud = kRates[static_cast<std::size_t>(rateIndex)];
    transfers_.push_back(std::move(s));
}

namespace {

// A port's job, whatever it meets: a failure that escapes it ends that port alone.
void guarded(const PortJob& job, PortRun& run) {
    try {
        job(run);
    } catch (const std::exception& e) {
        TransferSummary s;
        s.result = "failed";
        s.status = kExitTransferFailed;
        s.message = std::string("the transfer broke off: ") + e.what();
        run.say(s.message);
        run.add(s, -1);
    }
}

}  // namespace

int run_on_ports(const char* command, const TransferOptions& options, const PortJob& job) {
    const std::uint32_t started = system_clock().ticks();
    const std::vector<std::string> names = short_port_names(options.ports);
    const bool several = options.ports.size() > 1 || options.wait;
    std::vector<TransferSummary> all;
    std::vector<std::string> rowNames;
    if (!several) {
        StderrOutput out;
        TransferSetup setup = port_setup(options, options.ports[0], std::cerr);
        PortRun run(command, setup, names[0], out, false, options.json);
        guarded(job, run);
        all = run.transfers();
    } else {
        FleetConsole console(names, !options.quiet && terminal_takes_cursor_moves());
        std::vector<TransferSetup> setups;
        std::vector<std::unique_ptr<PortRun>> runs;
        for (std::size_t i = 0; i < names.size(); ++i)
            setups.push_back(port_setup(options, options.ports[i], console.port_stream(i)));
        for (std::size_t i = 0; i < names.size(); ++i)
            runs.push_back(
                std::make_unique<PortRun>(command, setups[i], names[i], console.port(i), true, options.json));
        std::vector<std::thread> threads;
        for (auto& run : runs) threads.emplace_back([&job, &run] { guarded(job, *run); });
        for (auto& t : threads) t.join();
        console.finish();
        for (std::size_t i = 0; i < runs.size(); ++i)
            for (const auto& t : runs[i]->transfers()) {
                all.push_back(t);
                rowNames.push_back(names[i]);
            }
    }
    ExitStatus status = overall_status(all);
    // A station ends only when it is stopped.
    if (options.wait && interrupted()) status = kExitInterrupted;
    if (options.json)
        std::cout << (several || all.size() != 1 ? summary_json(command, all, status, system_clock().ticks() - started)
                                                 : summary_json(all[0]))
                  << std::flush;
    else if (several)
        std::cout << summary_table(all, rowNames) << std::flush;
    return status;
}

void run_station_on(PortRun& run, bool upload, int rateIndex, const std::function<Served(Link&)>& serve) {
    StationOptions station;
    station.portName = run.setup.port;
    station.rateIndex = rateIndex;
    station.cradle = run.setup.cradle;
    station.upload = upload;
    bool anyone = false;
    run.begin();
    const StationEnd end = run_station(*run.setup.link, station, [&](Link& link) {
        run.begin();
        Served s = serve(link);
        anyone = true;
        run.add(std::move(s.summary), rateIndex);
        run.result(started_text(run.transfers().back()) + " " + summary_line(run.transfers().back()));
        return s.served;
    });
    TransferSummary s;
    switch (end) {
    case StationEnd::Stopped:
        if (anyone) return;
        s.result = "no-terminal";  // nobody came
        break;
    case StationEnd::PortFailed:
        s.result = "port-failed";
        s.message = port_failure(run.setup);
        break;
    case StationEnd::CradleFailed:
        s.result = "no-cradle";
        s.message = cradle_failure(run.setup);
        break;
    case StationEnd::LineFailed:
        s.result = "line-failed";
        s.message = line_failure(run.setup, rateIndex);
        break;
    }
    if (!s.message.empty()) {
        s.status = kExitLinkSetup;
        run.say(s.message);
    }
    run.add(s, rateIndex);
}

}  // namespace kest::cli
