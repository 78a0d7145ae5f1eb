// The options every transfer command shares: -p/--port DEVICE, more than once or as a comma
// list (default: KEST_PORT), --all-ports, -b/--baud RATE, --cradle/--no-cradle (default: no
// cradle), --retries N, --json, -q/--quiet, -v/--verbose, --trace. Builds each port's link,
// with the exchanges (--verbose) or every byte (--trace) on a stream of that port.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/options.h"
#include "link/exchange_log.h"
#include "link/link.h"

namespace kest::cli {

// Option names the transfer commands accept in addition to their own (--wait only where
// the command takes it).
inline const std::set<std::string> kTransferValued = {"port", "baud", "retries"};
inline const std::set<std::string> kTransferSwitches = {"cradle", "no-cradle", "trace", "verbose", "all-ports", "json"};

// The environment variable that names the port when --port is not given.
inline constexpr char kPortVariable[] = "KEST_PORT";

// The help lines of the shared options (after each command's own --baud line).
#define KEST_TRANSFER_OPTIONS_HELP                                                              \
    "  -p, --port DEVICE  the serial port: COM3, /dev/ttyUSB0, the link of a kestemu\n"         \
    "                     (kest ports lists the ports); default: $KEST_PORT. Several\n"         \
    "                     (-p A -p B, or -p A,B) run at once, one transfer per port\n"          \
    "  --all-ports        every port kest ports lists, at once\n"                               \
    "  --cradle           switch the infrared cradle to the rate first\n"                       \
    "  --no-cradle        talk to the terminal directly, by cable or IrDA (the default of\n"    \
    "                     every transfer)\n"                                                    \
    "  --retries N        answer the retry question Yes N times (default: ask on a\n"           \
    "                     terminal, otherwise no retry)\n"                                      \
    "  --json             the summary as one JSON object on stdout (kest-output.schema.json)\n" \
    "  -q, --quiet        no progress line and no notes: results and errors only\n"             \
    "  -v, --verbose      show each exchange with the terminal on stderr\n"                     \
    "  --trace            show every byte on the line, timestamped, on stderr\n"                \
    "With several ports each line on stderr starts with its port, a terminal shows one\n"       \
    "progress line per port, and a table sums up the transfers at the end.\n"

// The options of a transfer command, read once for all its ports.
struct TransferOptions {
    std::vector<std::string> ports;  // one or more
    std::optional<int> rateIndex;    // nothing when --baud was not given
    bool cradle = false;
    std::optional<int> retries;
    bool quiet = false;
    bool verbose = false;
    bool trace = false;
    bool json = false;
    bool wait = false;  // --wait: a station, until Ctrl+C
};

// Reads the shared options; on a usage error prints it and returns nothing.
std::optional<TransferOptions> transfer_options(const char* command, const ParsedArgs& args);

// One port of a transfer: its name, the options, and a link of its own.
struct TransferSetup {
    std::string port;
    std::optional<int> rateIndex;
    bool cradle = false;
    std::optional<int> retries;
    bool quiet = false;
    std::unique_ptr<SerialPort> device;
    std::unique_ptr<SerialPort> tracer;
    std::unique_ptr<ExchangeLog> log;
    std::unique_ptr<Link> link;
};

// The link of one port, with the exchanges (-v) or every byte (--trace) on diagnostics.
TransferSetup port_setup(const TransferOptions& options, const std::string& port, std::ostream& diagnostics);

// A transfer command that sends one file (kest download, lookup, flash): its arguments and
// its options; nothing after a usage error ("kest NAME: expects" when the file is missing).
struct TransferCommand {
    ParsedArgs args;
    TransferOptions options;
    const std::string& file() const { return args.positional[0]; }
};
std::optional<TransferCommand> transfer_command(const char* command, const std::vector<std::string>& argv,
                                                const char* expects, std::set<std::string> valued = kTransferValued,
                                                std::set<std::string> switches = kTransferSwitches);

// The failures every transfer can meet, each saying what failed, why, and what to try:
// "cannot open /dev/ttyUSB3: not found (kest ports lists the serial ports of this machine)"
std::string port_failure(const TransferSetup& setup);
// "cannot set 115200 bit/s on COM3 (is it a serial port? ...)"
std::string line_failure(const TransferSetup& setup, int rateIndex);
// "no cradle answered on COM3 at any rate (...): is the cradle connected to this port and powered? ..."
std::string cradle_failure(const TransferSetup& setup);
// What to try when the terminal did not answer at rateIndex: the cradle, its program, the
// rate, and (unless flashing) a flash that broke off.
std::string no_answer_hint(const TransferSetup& setup, int rateIndex, bool flashing = false);

}  // namespace kest::cli
