#include "kest/download_run.h"

#include <iostream>

#include "kest/command.h"
#include "link/download.h"

namespace kest::cli {
namespace {

const char* summary_of(DownloadOutcome outcome) {
    switch (outcome) {
        case DownloadOutcome::Completed: return "every packet acknowledged";
        case DownloadOutcome::Cancelled: return "no file chosen";
        case DownloadOutcome::FileUnreadable: return "cannot be opened";
        case DownloadOutcome::LineTooLong: return "line too long";
        case DownloadOutcome::PortUnavailable: return "cannot open the port";
        case DownloadOutcome::CradleFailed: return "the cradle answered at no rate";
        case DownloadOutcome::LineSettingsFailed: return "cannot set the line";
        case DownloadOutcome::NotReady: return "the terminal did not answer the handshake";
        case DownloadOutcome::MemoryFull: return "the terminal's memory is full";
        case DownloadOutcome::TransferFailed: return "a packet was not acknowledged";
        case DownloadOutcome::Interrupted: return "interrupted";
    }
    return "failed";
}

}  // namespace

int run_download(const char* command, Project& project, TransferSetup& setup, int rateIndex,
                 const std::optional<std::string>& lookupFile) {
    ConsoleUi ui(setup.retries);
    ui.set_file_choice(lookupFile);
    DownloadOptions options;
    options.cradle = setup.cradle;
    options.lookup = lookupFile.has_value();
    options.portName = setup.port;
    options.rateIndex = rateIndex;
    std::string name;
    const DownloadReport report = download(project, *setup.link, ui, options, name);
    const ExitStatus status = exit_status(report.outcome);
    if (status == kExitOk) return kExitOk;
    const char* text = summary_of(report.outcome);
    std::cerr << "kest " << command << ": ";
    switch (report.outcome) {
        case DownloadOutcome::FileUnreadable:
            std::cerr << name << ": " << text << "\n";
            break;
        case DownloadOutcome::LineTooLong:
            std::cerr << name << ": line " << report.badLine << " is longer than " << kMaxLookupLine
                      << " bytes (lines end in CR LF, CR or LF); nothing was sent\n";
            break;
        case DownloadOutcome::PortUnavailable:
        case DownloadOutcome::CradleFailed:
        case DownloadOutcome::LineSettingsFailed:
            std::cerr << setup.port << ": " << text << "\n";
            break;
        case DownloadOutcome::Interrupted:
            std::cerr << text
                      << (lookupFile ? ": the terminal may hold an incomplete lookup file: send the file again\n"
                                     : ": the terminal may hold an incomplete application: run the download again\n");
            break;
        default:
            std::cerr << text << " (" << report.attempts << (report.attempts == 1 ? " attempt" : " attempts")
                      << ")\n";
    }
    return status;
}

}  // namespace kest::cli
