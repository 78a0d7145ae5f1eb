#include "kest/download_run.h"

#include "common/file_problem.h"
#include "session/download_session.h"

namespace kest::cli {

namespace {

// Why the download failed and what to try; empty when it did not, or when the preparation
// of the lookup file has said why it was refused.
std::string failure(const DownloadReport& report, const TransferSetup& setup, int rateIndex, bool lookup) {
    const std::string attempts = std::to_string(report.attempts) + (report.attempts == 1 ? " attempt" : " attempts");
    switch (report.outcome) {
    case DownloadOutcome::Completed: return {};
    case DownloadOutcome::Cancelled: return "no file chosen";
    case DownloadOutcome::FileUnreadable: return report.path + ": " + read_problem(report.path, "a lookup file");
    case DownloadOutcome::LineTooLong:
    case DownloadOutcome::FileRefused: return {};
    case DownloadOutcome::PortUnavailable: return port_failure(setup);
    case DownloadOutcome::CradleFailed: return cradle_failure(setup);
    case DownloadOutcome::LineSettingsFailed: return line_failure(setup, rateIndex);
    case DownloadOutcome::NotReady:
        return "the terminal did not answer \"VELMOR\" (" + attempts + "); " + no_answer_hint(setup, rateIndex);
    case DownloadOutcome::MemoryFull:
        return "the terminal's memory is full (\"FULL\", " + attempts +
               "): fetch the records it holds (kest upload), delete them on the terminal, and send again";
    case DownloadOutcome::TransferFailed:
        return std::string(lookup ? "a line" : "a block") + " was not acknowledged after four sends (" + attempts +
               "): try a lower rate (-b 19200) or --retries N";
    case DownloadOutcome::Interrupted:
        return lookup ? "interrupted: the terminal may hold an incomplete lookup file: send the file again"
                      : "interrupted: the terminal may hold an incomplete application: run the download again";
    }
    return "download failed";
}

}  // namespace

void download_on_port(PortRun& run, const Project& project, const std::string& file, int rateIndex,
                      const std::optional<std::string>& lookupFile,
                      const decltype(DownloadOptions::prepareLookup)& prepareLookup, bool station) {
    run.ui.set_file_choice(lookupFile);
    DownloadOptions options;
    options.cradle = run.setup.cradle;
    options.lookup = lookupFile.has_value();
    options.portName = run.setup.port;
    options.rateIndex = rateIndex;
    options.prepareLookup = prepareLookup;
    options.station = station;
    auto transfer = [&](Link& link) {
        // Every port reads the one project; the image is built from a normalised copy.
        std::string name;
        const DownloadReport report = download(project, link, run.ui, options, name);
        TransferSummary s = summary_of(report, options.lookup);
        s.file = file;
        s.message = failure(report, run.setup, rateIndex, options.lookup);
        if (!s.message.empty()) run.say(s.message);
        // A terminal that answered "FULL" needs attention before it can take the transfer.
        const bool served =
            report.outcome == DownloadOutcome::Completed || report.outcome == DownloadOutcome::MemoryFull;
        return Served{std::move(s), served};
    };
    if (station)
        run_station_on(run, false, rateIndex, transfer);
    else
        run.add(transfer(*run.setup.link).summary, rateIndex);
}

}  // namespace kest::cli
