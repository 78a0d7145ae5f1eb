// What one transfer on one port came to, as kest reports it: the result word, the exit
// status, what was sent or received and how long it took; the summary table of several
// ports and the --json object (one transfer: its object; several: an object with the
// transfers and the status of them all).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/exit_status.h"
#include "platform/clock.h"

namespace kest {
struct DownloadReport;
struct UploadReport;
struct CradleCheckResult;
namespace loader {
struct SessionResult;
}
}  // namespace kest

namespace kest::cli {

struct TransferSummary {
    std::string command;  // "download", "lookup", "upload", "flash", "cradle"
    std::string port;     // as given
    std::string file;     // what was sent, or the data file that received the records; empty: none
    std::string result;   // "ok", "no-answer", "memory-full", ... (see result words in README)
    ExitStatus status = kExitOk;
    std::string message;                // why it failed, as said on standard error; empty on success
    std::optional<std::uint32_t> baud;  // the line's rate
    int attempts = 0;
    std::string unit;                    // "blocks", "lines", "records", "bytes"; empty: none
    std::uint64_t done = 0;              // units the terminal acknowledged or sent
    std::optional<std::uint64_t> total;  // units to send, where known
    std::uint64_t bytes = 0;             // data bytes sent or received
    std::uint32_t elapsedMs = 0;
    LocalTime startedAt;
    std::optional<std::uint32_t> cradleBaud;  // kest cradle: the rate the cradle answered at
};

// The summary of each kind of transfer, without port, command, file and start time.
TransferSummary summary_of(const DownloadReport& report, bool lookup);
TransferSummary summary_of(const UploadReport& report);
TransferSummary summary_of(const loader::SessionResult& result, std::uint64_t programBytes);
TransferSummary summary_of(const CradleCheckResult& result, int rateIndex);

// The status of several transfers: 0 only when all succeeded, else the most severe.
ExitStatus overall_status(const std::vector<TransferSummary>& transfers);

// One line for a transfer: "ok: 200/200 blocks, 20000 bytes in 2.1 s (9.5 kB/s)".
std::string summary_line(const TransferSummary& s);
// When it started: "14:03:12".
std::string started_text(const TransferSummary& s);
// The table of several transfers, one line per transfer under a heading.
std::string summary_table(const std::vector<TransferSummary>& transfers, const std::vector<std::string>& names);

// The --json object of one transfer, and that of several (with the command, the overall
// status and the time from the first start to the last end).
std::string summary_json(const TransferSummary& s);
std::string summary_json(const std::string& command, const std::vector<TransferSummary>& transfers, ExitStatus status,
                         std::uint32_t elapsedMs);

}  // namespace kest::cli
