// A transfer command on its ports: one port as kest has always run it, several at once
// (one thread each, with its own link, session and console, its lines prefixed with the
// port), or as stations (--wait) until Ctrl+C; then the summary table or the --json object,
// and the exit status of them all.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "kest/console_output.h"
#include "kest/console_ui.h"
#include "kest/transfer_options.h"
#include "kest/transfer_summary.h"

namespace kest::cli {

// One port's part of a transfer command; used by that port's thread alone.
class PortRun {
public:
    PortRun(const char* command, TransferSetup& setup, std::string shortName, ConsoleOutput& out, bool several,
            bool json);

    TransferSetup& setup;
    ConsoleUi ui;
    const std::string& short_name() const { return shortName_; }
    bool several() const { return several_; }

    // A failure or a note on standard error: "kest COMMAND: text" for one port; for several
    // the port's name stands before it.
    void say(const std::string& text);
    // A result on standard output (standard error when the output is the data itself); left
    // out with --json, where the summary says it.
    void result(const std::string& text, bool onStderr = false);
    // A transfer begins now (its start time for the summary).
    void begin();
    // What a transfer came to; the command, the port and the start time are filled in,
    // and the line's rate where the summary has none.
    void add(TransferSummary summary, int rateIndex);
    std::vector<TransferSummary>& transfers() { return transfers_; }

private:
    const char* command_;
    std::string shortName_;
    ConsoleOutput& out_;
    bool several_;
    bool json_;
    LocalTime started_;
    std::vector<TransferSummary> transfers_;
};

using PortJob = std::function<void(PortRun&)>;

// Runs job once per port and returns the exit status: that of one port, or for several the
// most severe of all (0 only when all succeeded; 130 after an interrupt).
int run_on_ports(const char* command, const TransferOptions& options, const PortJob& job);

// One terminal's transfer on a station's open port: its summary, and whether the terminal
// was served (it is left alone until it has been taken out) or is to be asked again at once.
struct Served {
    TransferSummary summary;
    bool served = true;
};

// The port as a station (--wait): serve runs for every terminal that answers; a line per
// terminal says what it came to. upload: the terminals are asked for their records.
void run_station_on(PortRun& run, bool upload, int rateIndex, const std::function<Served(Link&)>& serve);

}  // namespace kest::cli
