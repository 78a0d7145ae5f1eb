// kest download: the application download of a project to the terminal.
#include "kest/command.h"
#include "kest/download_run.h"
#include "kest/project_io.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest download PROJECT.AGX [-p DEVICE]... [--all-ports] [-b RATE] [--cradle] [--retries N]\n"
    "                     [--wait] [--json] [-q | -v] [--trace]\n"
    "\n"
    "Sends the project's download image to the terminal in 200 acknowledged blocks, as\n"
    "agkest's \"Programm laden\" does: handshake \"VELMOR\", each block repeated up to four\n"
    "times until the terminal answers \"ACK\"; \"FULL\" stops at once.\n"
    "\n"
    "  -b, --baud RATE    115200, 57600, 38400, 19200 or 9600; default: the project's rate\n"
    "  --wait             a roll-out station, until Ctrl+C: every terminal that answers on a\n"
    "                     port gets the application; one that stays is not sent to again\n"
    "                     until it has been taken out\n" KEST_TRANSFER_OPTIONS_HELP
    "\n"
    "Exit status 0 when the terminal acknowledged every block; 1 when it refused or ran\n"
    "out of memory; 2 when the project cannot be read; 3 when the port, the cradle or the\n"
    "line settings could not be set up; 4 when the terminal did not answer; with several\n"
    "ports the most severe of them (130 after Ctrl+C).\n";

int run(const std::vector<std::string>& argv) {
    auto switches = kTransferSwitches;
    switches.insert("wait");
    auto command = transfer_command("download", argv, "expects one PROJECT file (kest download --help)",
                                    kTransferValued, switches);
    if (!command) return kExitBadInput;
    const auto loaded = load_project("download", command->file());
    if (!loaded) return kExitBadInput;
    const Project& project = *loaded->project;
    const int rate = command->options.rateIndex.value_or(project.com.rateIndex);
    return run_on_ports("download", command->options, [&](PortRun& run) {
        download_on_port(run, project, command->file(), rate, std::nullopt, {}, command->options.wait);
    });
}

const Registration registration({"download", "send a project to the terminal", kUsage, run});

}  // namespace
}  // namespace kest::cli
