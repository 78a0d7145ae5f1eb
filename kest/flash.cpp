// kest flash: writes an object program into the terminal's flash, as the loader program
// does; through the infrared cradle with --cradle.
#include <cstdio>

#include "session/exit_status.h"
#include "kest/command.h"
#include "kest/object_file.h"
#include "kest/fleet.h"
#include "loader/loader_session.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest flash PROGRAM.SHX [-p DEVICE]... [--all-ports] [-b RATE] [--cradle] [--retries N]\n"
    "                  [--json] [-q | -v] [--trace]\n"
    "\n"
    "Checks the whole object file, wakes the terminal's flash loader, erases the flash and\n"
    "sends the program, record by record, each acknowledged.\n"
    "\n"
    "  -b, --baud RATE    115200 (default), 57600, 38400, 19200 or 9600\n" KEST_TRANSFER_OPTIONS_HELP
    "\n"
    "Exit status 0 written, 1 refused by the terminal, 2 usage error or damaged file,\n"
    "3 port, cradle or line settings, 4 the terminal did not answer; with several ports\n"
    "the most severe of them (130 after Ctrl+C).\n";

std::string hex_address(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(address));
    return text;
}

// What stopped the flash download and what to try.
std::string failure(const TransferSetup& setup, int rate, const loader::SessionResult& r) {
    using loader::SessionEnd;
    switch (r.end) {
    case SessionEnd::PortFailed: return port_failure(setup);
    case SessionEnd::LineFailed: return line_failure(setup, rate);
    case SessionEnd::CradleFailed: return cradle_failure(setup);
    case SessionEnd::FileUnreadable: return "the file cannot be read any more";
    default: break;
    }
    switch (r.last) {
    case loader::FlashOutcome::NotReady:
        return "the terminal's flash loader did not answer (\"Terminal is not ready!\"); " +
               no_answer_hint(setup, rate, true);
    case loader::FlashOutcome::EraseRefused:
        return "the terminal did not erase its flash (\"Can't erase flash memory!\"): switch it off and on and "
               "try again";
    case loader::FlashOutcome::EraseFailed:
        return "erasing the flash did not end with \"FA\" (\"Failed to erase flash memory!\"): try again";
    case loader::FlashOutcome::RecordFailed:
        if (r.record.endRecord)
            return std::string("the terminal did not take the end record (") +
                   (r.record.refused ? "it answered \"FF\"" : "no \"FA\" after three sends") +
                   "), so the program may not run: try again";
        if (r.record.refused)
            return "the terminal refused the record for " + hex_address(r.record.address) +
                   " with \"FF\": it cannot write there (outside its flash, or over data written since the "
                   "erase); check the program's addresses (kest srec-check lists them)";
        return "the record for " + hex_address(r.record.address) +
               " was not accepted after three sends: try a lower rate (-b 19200) or --retries N";
    default: return "download failed";
    }
}

int run(const std::vector<std::string>& args) {
    auto command = transfer_command("flash", args, "expects one object file (kest flash --help)");
    if (!command) return kExitBadInput;
    const std::string& path = command->file();
    // A damaged file is refused before the port is touched.
    const auto report = check_object_file("flash", path);
    if (!report) return kExitBadInput;
    const int rate = command->options.rateIndex.value_or(0);
    return run_on_ports("flash", command->options, [&](PortRun& run) {
        const loader::SessionResult result =
            loader::flash_session(*run.setup.link, run.setup.port, rate, run.setup.cradle, path, run.ui);
        TransferSummary s = summary_of(result, report->dataBytes);
        s.file = path;
        if (s.status == kExitOk)
            run.result(path + ": " + std::to_string(report->dataBytes) + " bytes written to the terminal's flash");
        else if (result.last == loader::FlashOutcome::Stopped)
            s.message =
                "interrupted: the flash is incomplete and the terminal waits in its loader, answering no other "
                "transfer: run kest flash again";
        else if (result.last == loader::FlashOutcome::StoppedBeforeErase)
            s.message = "interrupted before the flash was erased: the terminal's program is unchanged";
        else
            s.message = path + ": " + failure(run.setup, rate, result);
        if (!s.message.empty()) run.say(s.message);
        run.add(std::move(s), rate);
    });
}

const Registration registration({"flash", "write an object program (.SHX) into the terminal's flash", kUsage, run});

}  // namespace
}  // namespace kest::cli
