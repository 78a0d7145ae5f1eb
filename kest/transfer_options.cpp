#include "kest/transfer_options.h"

#include <cstdlib>
#include <iostream>

#include "kest/command.h"
#include "kest/interrupt.h"
#include "kest/port_list.h"
#include "link/tracing_port.h"

namespace kest::cli {

std::string port_failure(const TransferSetup& s) {
    const PortProblem problem = s.device->open_problem();
    std::string out = "cannot open " + s.port + ": " + port_problem_text(problem);
    switch (problem) {
    case PortProblem::NotFound:
    case PortProblem::NotSerial: return out + " (kest ports lists the serial ports of this machine)";
    case PortProblem::NoPermission:
        return out +
               " (the user needs the right to use it: on most Linux systems membership of the group "
               "that owns it, often dialout)";
    case PortProblem::Busy: return out + " (close agkest, tamplo, a terminal program or another kest using it)";
    default: return out;
    }
}

std::string line_failure(const TransferSetup& s, int rateIndex) {
    return "cannot set " + std::to_string(kRates[rateIndex]) + " bit/s, 8 data bits, no parity on " + s.port +
           " (is it a serial port? kest ports lists them)";
}

std::string cradle_failure(const TransferSetup& s) {
    return "no cradle answered on " + s.port +
           " at any rate (9600, 115200, 38400, 57600, 19200): is the cradle connected to this port and "
           "powered? With a direct cable, leave out --cradle";
}

std::string no_answer_hint(const TransferSetup& s, int rateIndex, bool flashing) {
    const std::string rate = std::to_string(kRates[rateIndex]);
    // A terminal whose flash broke off stays in its loader, which answers nothing else.
    const std::string loader =
        flashing ? ""
                 : "; after a flash that did not end, the terminal may still wait for a flash: run kest flash again";
    if (s.cradle)
        return "the cradle was switched to " + rate +
               " bit/s, but the terminal did not answer: is it in the cradle, switched on and running its program?" +
               loader;
    return "no answer at " + rate + " bit/s on " + s.port +
           ": is the terminal in a cradle? try --cradle; on a direct cable check that it runs its program at " + rate +
           " bit/s" + loader;
}

std::optional<TransferOptions> transfer_options(const char* command, const ParsedArgs& args) {
    TransferOptions o;
    std::vector<std::string> given;
    for (const auto& [name, value] : args.values)
        if (name == "port") given.push_back(value);
    std::optional<std::vector<std::string>> all;
    if (args.flag("all-ports")) {
        all.emplace();
        for (const PortEntry& p : system_serial_ports()) all->push_back(p.name);
    }
    PortList ports = port_list(given, std::getenv(kPortVariable), all);
    if (!ports.error.empty()) {
        usage_error(command, ports.error);
        return std::nullopt;
    }
    o.ports = std::move(ports.ports);
    if (auto baud = args.value("baud")) {
        auto n = parse_number(*baud);
        auto index = n ? rate_index(static_cast<std::uint32_t>(*n)) : std::nullopt;
        if (!index) {
            usage_error(command, "--baud " + *baud + ": the terminal's rates are 115200, 57600, 38400, 19200 and 9600");
            return std::nullopt;
        }
        o.rateIndex = *index;
    }
    if (auto retries = args.value("retries")) {
        auto n = parse_number(*retries);
        if (!n) {
            usage_error(command, "--retries " + *retries + ": a number of retries is expected (0, 1, 2, ...)");
            return std::nullopt;
        }
        o.retries = static_cast<int>(*n);
    }
    if (args.flag("cradle") && args.flag("no-cradle")) {
        usage_error(command, "--cradle and --no-cradle exclude each other");
        return std::nullopt;
    }
    o.cradle = args.flag("cradle");
    o.quiet = args.flag("quiet");
    o.verbose = args.flag("verbose");
    o.trace = args.flag("trace");
    o.json = args.flag("json");
    o.wait = args.flag("wait");
    return o;
}

TransferSetup port_setup(const TransferOptions& o, const std::string& port, std::ostream& diagnostics) {
    TransferSetup s;
    s.port = port;
    s.rateIndex = o.rateIndex;
    s.cradle = o.cradle;
    s.retries = o.retries;
    s.quiet = o.quiet;
    s.device = make_serial_port();
    SerialPort* used = s.device.get();
    if (o.trace) {
        s.tracer = std::make_unique<TracingPort>(*s.device, system_clock(), diagnostics);
        used = s.tracer.get();
    }
    s.link = std::make_unique<Link>(*used, system_clock());
    s.link->set_stop_flag(stop_at_next_packet());
    if (o.verbose) {
        s.log = std::make_unique<TextExchangeLog>(system_clock(), diagnostics);
        s.link->set_log(s.log.get());
    }
    return s;
}

std::optional<TransferCommand> transfer_command(const char* command, const std::vector<std::string>& argv,
                                                const char* expects, std::set<std::string> valued,
                                                std::set<std::string> switches) {
    auto args = file_arguments(command, argv, 1, expects, std::move(valued), std::move(switches));
    if (!args) return std::nullopt;
    auto options = transfer_options(command, *args);
    if (!options) return std::nullopt;
    return TransferCommand{std::move(*args), std::move(*options)};
}

}  // namespace kest::cli
