// kest cradle: the infrared cradle set-up on its own, to find the rate at which a cradle
// listens and switch it to the chosen one.
#include <iostream>

#include "session/exit_status.h"
#include "kest/command.h"
#include "kest/interrupt.h"
#include "kest/console_ui.h"
#include "kest/transfer_options.h"
#include "link/cradle_setup.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest cradle [-p DEVICE] -b RATE [-q | -v] [--trace]\n"
    "\n"
    "Finds the rate at which the infrared cradle listens (probing 9600, 115200, 38400,\n"
    "57600, 19200) and switches it to RATE, as agkest does before a cradle transfer.\n"
    "\n"
    "  -p, --port DEVICE  the serial port: COM3, /dev/ttyUSB0, the link of a kestemu\n"
    "                     (kest ports lists the ports); default: $KEST_PORT\n"
    "  -b, --baud RATE    rate to switch the cradle to: 115200, 57600, 38400, 19200 or 9600\n"
    "  -q, --quiet        results and errors only\n"
    "  -v, --verbose      show each exchange on stderr\n"
    "  --trace            show every byte on the line, timestamped, on stderr\n"
    "\n"
    "Prints the rate the cradle answered at. Exit status 3 when the port cannot be\n"
    "opened or set, or when the cradle answers at no rate.\n";

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {"port", "baud"}, {"trace", "verbose"});
    if (!args.error.empty()) return usage_error("cradle", args.error);
    if (!args.positional.empty()) return usage_error("cradle", "unexpected argument " + args.positional[0]);
    auto setup = transfer_setup("cradle", args);
    if (!setup) return kExitBadInput;
    if (!setup->rateIndex) return usage_error("cradle", "--baud RATE is required");
    const int rate = *setup->rateIndex;
    const CradleCheckResult r = check_cradle(*setup->link, setup->port, rate);
    switch (r.end) {
    case CradleCheck::Switched:
        std::cout << "cradle answered at " << kRates[r.foundRateIndex] << " bit/s, switched to " << kRates[rate]
                  << " bit/s\n";
        break;
    case CradleCheck::PortFailed: std::cerr << "kest cradle: " << port_failure(*setup) << "\n"; break;
    case CradleCheck::LineFailed: std::cerr << "kest cradle: " << line_failure(*setup, rate) << "\n"; break;
    case CradleCheck::NoCradle:
        std::cerr << "kest cradle: no cradle answered on " << setup->port
                  << " at any rate (9600, 115200, 38400, 57600, 19200): is the cradle connected to this port "
                     "and powered?\n";
        break;
    }
    // The set-up is short and has no packets: it ends before an interrupt is answered.
    if (interrupted()) {
        std::cerr << "kest cradle: interrupted after the cradle set-up\n";
        return kExitInterrupted;
    }
    return exit_status(r.end);
}

const Registration registration({"cradle", "find the infrared cradle's rate and switch it", kUsage, run});

}  // namespace
}  // namespace kest::cli
