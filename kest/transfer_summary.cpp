#include "kest/transfer_summary.h"

#include <algorithm>
#include <cstdio>

#include "common/json.h"
#include "common/progress_line.h"
#include "link/cradle_setup.h"
#include "link/download.h"
#include "loader/loader_session.h"
#include "session/download_session.h"
#include "session/exit_status.h"
#include "session/upload_session.h"

namespace kest::cli {

namespace {

// Every switch names every outcome, so that a new one cannot go without its word.

const char* word_of(DownloadOutcome outcome) {
    switch (outcome) {
    case DownloadOutcome::Completed: return "ok";
    case DownloadOutcome::Cancelled: return "cancelled";
    case DownloadOutcome::FileUnreadable: return "file-unreadable";
    case DownloadOutcome::LineTooLong:
    case DownloadOutcome::FileRefused: return "file-refused";
    case DownloadOutcome::PortUnavailable: return "port-failed";
    case DownloadOutcome::CradleFailed: return "no-cradle";
    case DownloadOutcome::LineSettingsFailed: return "line-failed";
    case DownloadOutcome::NotReady: return "no-answer";
    case DownloadOutcome::MemoryFull: return "memory-full";
    case DownloadOutcome::TransferFailed: return "not-acknowledged";
    case DownloadOutcome::Interrupted: return "interrupted";
    }
    return "failed";
}

const char* word_of(UploadEnd end) {
    switch (end) {
    case UploadEnd::Over: return "ok";
    case UploadEnd::Cancelled: return "cancelled";
    case UploadEnd::FileError: return "file-error";
    case UploadEnd::PortFailed: return "port-failed";
    case UploadEnd::CradleFailed: return "no-cradle";
    case UploadEnd::LineFailed: return "line-failed";
    case UploadEnd::NoAnswer: return "no-answer";
    case UploadEnd::Refused: return "refused";
    case UploadEnd::TimedOut: return "timed-out";
    case UploadEnd::WriteFailed: return "write-failed";
    case UploadEnd::ReplaceFailed: return "replace-failed";
    case UploadEnd::Interrupted: return "interrupted";
    }
    return "failed";
}

const char* word_of(const loader::SessionResult& r) {
    using loader::FlashOutcome;
    using loader::SessionEnd;
    switch (r.end) {
    case SessionEnd::Done: return "ok";
    case SessionEnd::Cancelled: return "cancelled";
    case SessionEnd::FileUnreadable: return "file-unreadable";
    case SessionEnd::PortFailed: return "port-failed";
    case SessionEnd::CradleFailed: return "no-cradle";
    case SessionEnd::LineFailed: return "line-failed";
    case SessionEnd::AttemptFailed: break;
    }
    switch (r.last) {
    case FlashOutcome::Done: return "ok";
    case FlashOutcome::BadFile: return "file-refused";
    case FlashOutcome::NotReady: return "no-answer";
    case FlashOutcome::EraseRefused: return "erase-refused";
    case FlashOutcome::EraseFailed: return "erase-failed";
    case FlashOutcome::RecordFailed: return r.record.refused ? "record-refused" : "not-acknowledged";
    case FlashOutcome::StoppedBeforeErase:
    case FlashOutcome::Stopped: return "interrupted";
    }
    return "failed";
}

const char* word_of(CradleCheck end) {
    switch (end) {
    case CradleCheck::Switched: return "ok";
    case CradleCheck::PortFailed: return "port-failed";
    case CradleCheck::LineFailed: return "line-failed";
    case CradleCheck::NoCradle: return "no-cradle";
    }
    return "failed";
}

// The order of the exit statuses, least severe first: a transfer refused, a terminal that
// did not answer, a port that could not be set up, a bad input, an interrupt.
int severity(ExitStatus status) {
    switch (status) {
    case kExitOk: return 0;
    case kExitTransferFailed: return 1;
    case kExitNoAnswer: return 2;
    case kExitLinkSetup: return 3;
    case kExitBadInput: return 4;
    case kExitInterrupted: return 5;
    }
    return 1;
}

std::string seconds_text(std::uint32_t ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f s", ms / 1000.0);
    return buf;
}

std::string clock_text(const LocalTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

std::string iso_text(const LocalTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

// "200/200 blocks", "12 records", "-".
std::string done_text(const TransferSummary& s) {
    if (s.cradleBaud) return "at " + std::to_string(*s.cradleBaud);
    if (s.unit.empty()) return "-";
    return std::to_string(s.done) + (s.total ? "/" + std::to_string(*s.total) : "") + " " + s.unit;
}

std::string speed_text(const TransferSummary& s) {
    if (s.elapsedMs == 0 || s.bytes == 0) return "-";
    return rate_text(static_cast<double>(s.bytes) * 1000.0 / s.elapsedMs, "bytes");
}

}  // namespace

TransferSummary summary_of(const DownloadReport& r, bool lookup) {
    TransferSummary s;
    s.result = word_of(r.outcome);
    s.status = exit_status(r.outcome);
    s.attempts = r.attempts;
    s.unit = lookup ? "lines" : "blocks";
    s.done = static_cast<std::uint64_t>(r.packets);
    if (r.total > 0 || !lookup) s.total = static_cast<std::uint64_t>(lookup ? r.total : kImageBlocks);
    s.bytes = r.bytes;
    s.elapsedMs = r.elapsedMs;
    return s;
}

TransferSummary summary_of(const UploadReport& r) {
    TransferSummary s;
    s.result = word_of(r.end);
    s.status = exit_status(r.end);
    s.attempts = r.reads;
    s.unit = "records";
    s.done = static_cast<std::uint64_t>(r.records);
    s.bytes = r.bytes;
    s.elapsedMs = r.elapsedMs;
    if (r.records > 0) s.file = r.keptIn.empty() ? r.path : r.keptIn;
    return s;
}

TransferSummary summary_of(const loader::SessionResult& r, std::uint64_t programBytes) {
    TransferSummary s;
    s.result = word_of(r);
    s.status = exit_status(r);
    s.attempts = r.attempts;
    s.unit = "bytes";
    s.done = r.end == loader::SessionEnd::Done ? programBytes : r.record.written;
    s.total = programBytes;
    s.bytes = s.done;
    s.elapsedMs = r.elapsedMs;
    return s;
}

TransferSummary summary_of(const CradleCheckResult& r, int rateIndex) {
    TransferSummary s;
    s.result = word_of(r.end);
    s.status = exit_status(r.end);
    s.attempts = 1;
    if (r.end == CradleCheck::Switched) s.cradleBaud = kRates[static_cast<std::size_t>(r.foundRateIndex)];
    s.baud = kRates[static_cast<std::size_t>(rateIndex)];
    return s;
}

std::string started_text(const TransferSummary& s) { return clock_text(s.startedAt); }

ExitStatus overall_status(const std::vector<TransferSummary>& transfers) {
    ExitStatus worst = kExitOk;
    for (const auto& t : transfers)
        if (severity(t.status) > severity(worst)) worst = t.status;
    return worst;
}

std::string summary_line(const TransferSummary& s) {
    if (s.cradleBaud)
        return s.result + ": the cradle answered at " + std::to_string(*s.cradleBaud) + " bit/s, switched to " +
               std::to_string(s.baud.value_or(0)) + " bit/s";
    std::string line = s.result;
    if (!s.unit.empty()) line += ": " + done_text(s) + ", " + std::to_string(s.bytes) + " bytes";
    line += " in " + seconds_text(s.elapsedMs);
    if (const std::string speed = speed_text(s); speed != "-") line += " (" + speed + ")";
    if (s.command == "upload" && !s.file.empty()) line += " into " + s.file;
    return line;
}

std::string summary_table(const std::vector<TransferSummary>& transfers, const std::vector<std::string>& names) {
    std::vector<std::vector<std::string>> rows{{"port", "started", "result", "done", "bytes", "time", "rate"}};
    for (std::size_t i = 0; i < transfers.size(); ++i) {
        const TransferSummary& s = transfers[i];
        rows.push_back({i < names.size() ? names[i] : s.port, clock_text(s.startedAt), s.result, done_text(s),
                        std::to_string(s.bytes), seconds_text(s.elapsedMs), speed_text(s)});
    }
    std::vector<std::size_t> width(rows[0].size(), 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
    std::string table;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            // Numbers stand right, words left.
            const std::string pad(width[c] - row[c].size(), ' ');
            line += c == 4 ? pad + row[c] : row[c] + pad;
            if (c + 1 < row.size()) line += "  ";
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        table += line + "\n";
    }
    return table;
}

namespace {

void transfer_fields(JsonWriter& json, const TransferSummary& s) {
    auto text = [&](const char* key, const std::string& value) {
        if (value.empty())
            json.key(key).null();
        else
            json.field(key, value);
    };
    auto number = [&](const char* key, const auto& value) {
        if (value)
            json.field(key, static_cast<std::uint64_t>(*value));
        else
            json.key(key).null();
    };
    json.field("command", s.command).field("port", s.port);
    text("file", s.file);
    json.field("result", s.result).field("status", static_cast<int>(s.status));
    text("message", s.message);
    number("baud", s.baud);
    number("cradleBaud", s.cradleBaud);
    json.field("attempts", s.attempts);
    text("unit", s.unit);
    json.field("done", s.done);
    number("total", s.total);
    json.field("bytes", s.bytes)
        .field("startedAt", iso_text(s.startedAt))
        .field("elapsedMs", static_cast<std::uint64_t>(s.elapsedMs));
}

}  // namespace

std::string summary_json(const TransferSummary& s) {
    JsonWriter json;
    json.begin_object();
    transfer_fields(json, s);
    json.end_object();
    return json.str();
}

std::string summary_json(const std::string& command, const std::vector<TransferSummary>& transfers, ExitStatus status,
                         std::uint32_t elapsedMs) {
    JsonWriter json;
    json.begin_object()
        .field("command", command)
        .field("status", static_cast<int>(status))
        .field("elapsedMs", static_cast<std::uint64_t>(elapsedMs))
        .key("transfers")
        .begin_array();
    for (const auto& t : transfers) {
        json.begin_object();
        transfer_fields(json, t);
        json.end_object();
    }
    json.end_array().end_object();
    return json.str();
}

}  // namespace kest::cli
