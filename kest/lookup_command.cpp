// kest lookup: a lookup text file sent to the terminal line by line.
#include "kest/command.h"
#include "kest/download_run.h"
#include "kest/project_io.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest lookup FILE.TXT [-p DEVICE] [-b RATE] [--cradle] [--retries N] [-q | -v] [--trace]\n"
    "\n"
    "Sends a lookup file to the terminal, as agkest's \"Lookupdatei laden\" does: one\n"
    "acknowledged packet per line, then \"OVER\". Lines end in CR LF, CR or LF (as any\n"
    "editor writes them). A line longer than 289 bytes refuses the file before anything\n"
    "is sent.\n"
    "\n"
    "  -b, --baud RATE    115200, 57600, 38400, 19200 or 9600; default 115200\n" KEST_TRANSFER_OPTIONS_HELP
    "\n"
    "Exit status 0 when the terminal acknowledged every line and the end; 1 when it\n"
    "refused or ran out of memory; 2 when the file cannot be read or has an over-long\n"
    "line; 3 when the port, the cradle or the line settings could not be set up; 4 when\n"
    "the terminal did not answer.\n";

constexpr int kDefaultRateIndex = 0;  // 115200

int run(const std::vector<std::string>& argv) {
    auto command = transfer_command("lookup", argv, "expects one lookup FILE (kest lookup --help)");
    if (!command) return kExitBadInput;
    // The port and rate come from the command line; the project plays no part.
    const auto project = default_project();
    TransferSetup& setup = command->setup;
    return run_download("lookup", *project, setup, setup.rateIndex.value_or(kDefaultRateIndex), command->file());
}

const Registration registration({"lookup", "send a lookup file to the terminal", kUsage, run});

}  // namespace
}  // namespace kest::cli
