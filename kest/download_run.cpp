#include "kest/download_run.h"

#include <iostream>

#include "kest/command.h"
#include "link/download.h"

namespace kest::cli {
namespace {

struct Summary {
    int exit;
    const char* text;
};

Summary summary_of(DownloadOutcome outcome) {
    switch (outcome) {
        case DownloadOutcome::Completed: return {kExitOk, "every packet acknowledged"};
        case DownloadOutcome::Cancelled: return {kExitBadInput, "no file chosen"};
        case DownloadOutcome::FileUnreadable: return {kExitBadInput, "cannot be opened"};
        case DownloadOutcome::LineTooLong: return {kExitBadInput, "line too long"};
        case DownloadOutcome::PortUnavailable: return {kExitLinkSetup, "cannot open the port"};
        case DownloadOutcome::CradleFailed: return {kExitLinkSetup, "the cradle answered at no rate"};
        case DownloadOutcome::LineSettingsFailed: return {kExitLinkSetup, "cannot set the line"};
        case DownloadOutcome::NotReady: return {kExitNoAnswer, "the terminal did not answer the handshake"};
        case DownloadOutcome::MemoryFull: return {kExitTransferFailed, "the terminal's memory is full"};
        case DownloadOutcome::TransferFailed: return {kExitTransferFailed, "a packet was not acknowledged"};
    }
    return {kExitTransferFailed, "failed"};
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
    const Summary s = summary_of(report.outcome);
    if (s.exit == kExitOk) return kExitOk;
    std::cerr << "kest " << command << ": ";
    switch (report.outcome) {
        case DownloadOutcome::FileUnreadable:
            std::cerr << name << ": " << s.text << "\n";
            break;
        case DownloadOutcome::LineTooLong:
            std::cerr << name << ": line " << report.badLine << " is longer than " << kMaxLookupLine
                      << " bytes (lines end in CR LF, CR or LF); nothing was sent\n";
            break;
        case DownloadOutcome::PortUnavailable:
        case DownloadOutcome::CradleFailed:
        case DownloadOutcome::LineSettingsFailed:
            std::cerr << setup.port << ": " << s.text << "\n";
            break;
        default:
            std::cerr << s.text << " (" << report.attempts << (report.attempts == 1 ? " attempt" : " attempts")
                      << ")\n";
    }
    return s.exit;
}

}  // namespace kest::cli
