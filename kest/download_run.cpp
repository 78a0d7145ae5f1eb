#include "kest/download_run.h"

#include <iostream>

#include "common/file_problem.h"
#include "kest/command.h"
#include "session/download_session.h"
#include "session/exit_status.h"

namespace kest::cli {

int run_download(const char* command, Project& project, TransferSetup& setup, int rateIndex,
                 const std::optional<std::string>& lookupFile, decltype(DownloadOptions::prepareLookup) prepareLookup) {
    ConsoleUi ui = setup.console();
    ui.set_file_choice(lookupFile);
    DownloadOptions options;
    options.cradle = setup.cradle;
    options.lookup = lookupFile.has_value();
    options.portName = setup.port;
    options.rateIndex = rateIndex;
    options.prepareLookup = std::move(prepareLookup);
    std::string name;
    const DownloadReport report = download(project, *setup.link, ui, options, name);
    const ExitStatus status = exit_status(report.outcome);
    if (status == kExitOk) return kExitOk;
    const std::string attempts = std::to_string(report.attempts) + (report.attempts == 1 ? " attempt" : " attempts");
    // The preparation of the lookup file has said why it was refused.
    if (report.outcome == DownloadOutcome::LineTooLong || report.outcome == DownloadOutcome::FileRefused) return status;
    std::cerr << "kest " << command << ": ";
    switch (report.outcome) {
    case DownloadOutcome::Completed:
    case DownloadOutcome::Cancelled: std::cerr << "no file chosen\n"; break;
    case DownloadOutcome::FileUnreadable:
        std::cerr << name << ": " << read_problem(name, "a lookup file") << "\n";
        break;
    case DownloadOutcome::LineTooLong:
    case DownloadOutcome::FileRefused: break;
    case DownloadOutcome::PortUnavailable: std::cerr << port_failure(setup) << "\n"; break;
    case DownloadOutcome::CradleFailed: std::cerr << cradle_failure(setup) << "\n"; break;
    case DownloadOutcome::LineSettingsFailed: std::cerr << line_failure(setup, rateIndex) << "\n"; break;
    case DownloadOutcome::NotReady:
        std::cerr << "the terminal did not answer \"VELMOR\" (" << attempts << "); " << no_answer_hint(setup, rateIndex)
                  << "\n";
        break;
    case DownloadOutcome::MemoryFull:
        std::cerr << "the terminal's memory is full (\"FULL\", " << attempts
                  << "): fetch the records it holds (kest upload), delete them on the terminal, and send "
                     "again\n";
        break;
    case DownloadOutcome::TransferFailed:
        std::cerr << (lookupFile ? "a line" : "a block") << " was not acknowledged after four sends (" << attempts
                  << "): try a lower rate (-b 19200) or --retries N\n";
        break;
    case DownloadOutcome::Interrupted:
        std::cerr << "interrupted"
                  << (lookupFile ? ": the terminal may hold an incomplete lookup file: send the file again\n"
                                 : ": the terminal may hold an incomplete application: run the download again\n");
        break;
    }
    return status;
}

}  // namespace kest::cli
