// kest cradle: the infrared cradle set-up on its own, to find the rate at which a cradle
// listens and switch it to the chosen one.
#include "session/exit_status.h"
#include "kest/command.h"
#include "kest/interrupt.h"
#include "kest/fleet.h"
#include "link/cradle_setup.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest cradle [-p DEVICE]... [--all-ports] -b RATE [--json] [-q | -v] [--trace]\n"
    "\n"
    "Finds the rate at which the infrared cradle listens (probing 9600, 115200, 38400,\n"
    "57600, 19200) and switches it to RATE, as agkest does before a cradle transfer.\n"
    "\n"
    "  -p, --port DEVICE  the serial port: COM3, /dev/ttyUSB0, the link of a kestemu\n"
    "                     (kest ports lists the ports); default: $KEST_PORT. Several\n"
    "                     (-p A -p B, or -p A,B) are set up at once\n"
    "  --all-ports        every port kest ports lists\n"
    "  -b, --baud RATE    rate to switch the cradle to: 115200, 57600, 38400, 19200 or 9600\n"
    "  --json             the summary as one JSON object on stdout\n"
    "  -q, --quiet        results and errors only\n"
    "  -v, --verbose      show each exchange on stderr\n"
    "  --trace            show every byte on the line, timestamped, on stderr\n"
    "\n"
    "Prints the rate the cradle answered at. Exit status 3 when the port cannot be\n"
    "opened or set, or when the cradle answers at no rate; with several ports the most\n"
    "severe of them.\n";

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {"port", "baud"}, {"trace", "verbose", "all-ports", "json"});
    if (!args.error.empty()) return usage_error("cradle", args.error);
    if (!args.positional.empty()) return usage_error("cradle", "unexpected argument " + args.positional[0]);
    const auto options = transfer_options("cradle", args);
    if (!options) return kExitBadInput;
    if (!options->rateIndex) return usage_error("cradle", "--baud RATE is required");
    const int rate = *options->rateIndex;
    return run_on_ports("cradle", *options, [&](PortRun& run) {
        const CradleCheckResult r = check_cradle(*run.setup.link, run.setup.port, rate);
        TransferSummary s = summary_of(r, rate);
        switch (r.end) {
        case CradleCheck::Switched:
            run.result("cradle answered at " + std::to_string(kRates[r.foundRateIndex]) + " bit/s, switched to " +
                       std::to_string(kRates[rate]) + " bit/s");
            break;
        case CradleCheck::PortFailed: s.message = port_failure(run.setup); break;
        case CradleCheck::LineFailed: s.message = line_failure(run.setup, rate); break;
        case CradleCheck::NoCradle:
            s.message = "no cradle answered on " + run.setup.port +
                        " at any rate (9600, 115200, 38400, 57600, 19200): is the cradle connected to this port and "
                        "powered?";
            break;
        }
        if (!s.message.empty()) run.say(s.message);
        // The set-up is short and has no packets: it ends before an interrupt is answered.
        if (interrupted()) {
            s.result = "interrupted";
            s.status = kExitInterrupted;
            s.message = "interrupted after the cradle set-up";
            run.say(s.message);
        }
        run.add(std::move(s), rate);
    });
}

const Registration registration({"cradle", "find the infrared cradle's rate and switch it", kUsage, run});

}  // namespace
}  // namespace kest::cli
