// kest flash: writes an object program into the terminal's flash, as the loader program
// does, through the cradle unless --no-cradle.
#include <iostream>

#include "common/exit_status.h"
#include "kest/command.h"
#include "kest/object_file.h"
#include "kest/transfer_options.h"
#include "loader/loader_session.h"

namespace kest::cli {
namespace {

int run(const std::vector<std::string>& args) {
    auto switches = kTransferSwitches;
    switches.insert("no-cradle");
    const ParsedArgs parsed = parse_args(args, kTransferValued, switches);
    if (!parsed.error.empty()) return usage_error("flash", parsed.error);
    if (parsed.positional.size() != 1) return usage_error("flash", "give one object file");
    const std::string& path = parsed.positional[0];
    auto setup = transfer_setup("flash", parsed);
    if (!setup) return kExitBadInput;
    // A damaged file is refused before the port is touched.
    const auto report = check_object_file("flash", path);
    if (!report) return kExitBadInput;

    ConsoleUi ui(setup->retries);
    const loader::SessionResult result =
        loader::flash_session(*setup->link, setup->port, setup->rateIndex.value_or(0),
                              !parsed.flag("no-cradle"), path, ui);
    const ExitStatus status = exit_status(result);
    if (status == kExitOk)
        std::cout << path << ": " << report->dataBytes << " bytes written to the terminal's flash\n";
    else if (result.last == loader::FlashOutcome::Stopped)
        std::cerr << "kest flash: interrupted: the flash is incomplete: run the flash again\n";
    else if (result.last == loader::FlashOutcome::StoppedBeforeErase)
        std::cerr << "kest flash: interrupted before the flash was erased: the terminal's program is unchanged\n";
    else
        std::cerr << "kest flash: " << path << ": download failed\n";
    return status;
}

const Registration registration(
    {"flash", "write an object program (.SHX) into the terminal's flash",
     "usage: kest flash PROGRAM.SHX --port DEVICE [--baud RATE] [--no-cradle] [--retries N] [--trace]\n\n"
     "Checks the whole file, wakes the terminal's flash loader, erases the flash and sends\n"
     "the program. The IR cradle is switched to the rate first unless --no-cradle is given.\n"
     "  --baud RATE    115200 (default), 57600, 38400, 19200 or 9600\n"
     "  --retries N    answer the retry question Yes up to N times (default: ask on a\n"
     "                 terminal, else no retry)\n"
     "  --trace        log every byte on stderr\n"
     "exit status: 0 written, 1 refused by the terminal, 2 usage error or damaged file,\n"
     "             3 port, cradle or line settings, 4 the terminal did not answer\n",
     run});

}  // namespace
}  // namespace kest::cli
