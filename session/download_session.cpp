#include "session/download_session.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "link/cradle_setup.h"
#include "link/exchange.h"
#include "project/download_image.h"

namespace kest {
namespace {

// The messages of the download.
namespace msg {
constexpr MessageText kFileUnreadable{
    "Datei kann nicht ge\xF6"
    "ffnet werden!",
    "Fehler"};
constexpr MessageText kPortUnavailable{
    "COM port kann nicht ge\xF6"
    "ffnet werden!",
    "Fehler"};
constexpr MessageText kCradleFailed{"Failed to set IR device!", "Fehler"};
constexpr MessageText kLineSettings{"Fehler beim Verbindungsaufbau!!", "Fehler"};
constexpr MessageText kNotReady{"Terminal nicht bereit!", "Fehler"};
constexpr MessageText kFull{"Speicher voll!", "Fehler"};
constexpr MessageText kFailed{"Fehler beim Download!", "Fehler"};
constexpr MessageText kRetry{"Downloadfehler, wiederholen?", "Fehler", Icon::Question, Buttons::YesNo};
constexpr MessageText kDone{"Downloaded komplett!", "Download"};
}  // namespace msg

// The progress window's bar, and the console's progress line.
class UiProgress final : public TransferProgress {
public:
    explicit UiProgress(UserInterface& ui) : ui_(ui) {}
    void percent(int value) override { ui_.progress_set(value); }
    void amount(std::uint64_t done, std::uint64_t total, const char* unit) override {
        ui_.progress_amount(done, total, unit);
    }

private:
    UserInterface& ui_;
};

// A failed step is shown at once, while the progress window is still open.
DownloadStep reported(UserInterface& ui, DownloadStep step) {
    switch (step) {
    case DownloadStep::NotReady: show(ui, msg::kNotReady); break;
    case DownloadStep::Full: show(ui, msg::kFull); break;
    case DownloadStep::Failed: show(ui, msg::kFailed); break;
    case DownloadStep::Ok:
    case DownloadStep::Interrupted: break;
    }
    return step;
}

DownloadOutcome outcome_of(DownloadStep step) {
    switch (step) {
    case DownloadStep::Ok: return DownloadOutcome::Completed;
    case DownloadStep::NotReady: return DownloadOutcome::NotReady;
    case DownloadStep::Full: return DownloadOutcome::MemoryFull;
    case DownloadStep::Interrupted: return DownloadOutcome::Interrupted;
    case DownloadStep::Failed: break;
    }
    return DownloadOutcome::TransferFailed;
}

// What one attempt sent: the packets acknowledged and their data bytes, and where it stopped
// (the block, or the 1-based lookup line; none when only "OVER" was refused).
struct Sent {
    DownloadStep step = DownloadStep::Ok;
    int packets = 0;
    std::uint64_t bytes = 0;
    int failed = -1;
};

// Sends the lines, the bar following them, then "OVER".
Sent send_lookup(const std::vector<std::string>& lines, Link& link, UserInterface& ui) {
    Sent sent;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        sent.step = reported(ui, send_packet(link, lookup_packet(lines[i])));
        if (sent.step != DownloadStep::Ok) {
            sent.failed = static_cast<int>(i) + 1;
            return sent;
        }
        ++sent.packets;
        sent.bytes += lines[i].size();
        ui.progress_set(static_cast<int>((i + 1) * 100 / lines.size()));
        ui.progress_amount(i + 1, lines.size(), "lines");
    }
    ui.progress_set(100);
    sent.step = reported(ui, send_packet(link, bytes_of(word::kOver)));
    return sent;
}

Sent send_application(const Project& project, Link& link, UserInterface& ui) {
    const DownloadImage image = prepare_image(project);
    UiProgress progress(ui);
    const ImageSent r = send_image(link, image, progress);
    Sent sent{reported(ui, r.step), r.blocks, static_cast<std::uint64_t>(r.blocks) * kBlockSize};
    if (r.step != DownloadStep::Ok) sent.failed = r.blocks;
    return sent;
}

Sent attempt(const Project& project, Link& link, UserInterface& ui, const std::vector<std::string>* lookupLines,
             bool handshaken, bool& imageBuilt) {
    const DownloadStep shake = handshaken ? DownloadStep::Ok : reported(ui, handshake(link));
    if (shake != DownloadStep::Ok) return {shake};
    imageBuilt = imageBuilt || !lookupLines;
    ui.progress_begin("Fortschritt", "Downloading...");
    const Sent sent = lookupLines ? send_lookup(*lookupLines, link, ui) : send_application(project, link, ui);
    ui.progress_end();
    if (sent.step == DownloadStep::Ok) show(ui, msg::kDone);
    return sent;
}

// The bytes of a file (no sharing asked, existing files only); nothing for a folder or a
// file that cannot be read.
std::optional<std::vector<std::uint8_t>> read_whole(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) return std::nullopt;
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return std::nullopt;
    return bytes;
}

// The command's steps up to the first attempt, then the attempts.
class Download {
public:
    Download(const Project& project, Link& link, UserInterface& ui, const DownloadOptions& options)
        : project_(project), link_(link), ui_(ui), options_(options), start_(link.now()) {}

    DownloadReport run(std::string& lookupFileName) {
        PreparedLookup lookup;
        if (options_.lookup) {
            FileDialogRequest request;
            request.filters = {
                {"Lookup data files {*.TXT}", "*.TXT"}, {"CSV-Dateien (*.csv)", "*.csv"}, {"All files {*.*}", "*.*"}};
            request.defaultExtension = "TXT";
            request.initialName = lookupFileName;
            request.mustExist = true;
            const auto chosen = ui_.choose_open_file(request);
            if (!chosen) return ended(DownloadOutcome::Cancelled);
            lookupFileName = *chosen;
            report_.path = *chosen;
            const auto bytes = read_whole(*chosen);
            if (!bytes) return failed(msg::kFileUnreadable, DownloadOutcome::FileUnreadable);
            // Refuse a file the terminal cannot take before anything is sent.
            if (options_.prepareLookup) {
                lookup = options_.prepareLookup(*chosen, *bytes, ui_);
            } else {
                lookup = prepare_lookup_file(*bytes, {});
                tell_de(lookup, ui_);
            }
            if (lookup.cancelled) return ended(DownloadOutcome::Cancelled);
            if (lookup.refused()) {
                const bool tooLong = lookup.problems.front().fault == LookupFault::LineTooLong;
                if (tooLong) report_.badLine = lookup.problems.front().line;
                report_.problems = std::move(lookup.problems);
                return ended(tooLong ? DownloadOutcome::LineTooLong : DownloadOutcome::FileRefused);
            }
        }

        report_.total = options_.lookup ? static_cast<int>(lookup.lines.size()) : kImageBlocks;
        if (!options_.station) {
            const std::string port = options_.portName.value_or(port_name(project_.com.portIndex));
            if (!link_.open(port, kInQueue, kDownloadOutQueue))
                return failed(msg::kPortUnavailable, DownloadOutcome::PortUnavailable);
            const int rate = options_.rateIndex.value_or(project_.com.rateIndex);
            // A rate outside the list cannot be set on the line.
            if (rate < 0 || rate >= kRateCount) return closed(msg::kLineSettings, DownloadOutcome::LineSettingsFailed);
            link_.set_line(rate);
            if (options_.cradle && !cradle_setup(link_, rate, kGeneratorCradle))
                return closed(msg::kCradleFailed, DownloadOutcome::CradleFailed);
            if (!link_.apply()) return closed(msg::kLineSettings, DownloadOutcome::LineSettingsFailed);
        }

        for (;;) {
            const bool handshaken = options_.station && report_.attempts == 0;
            ++report_.attempts;
            const Sent sent = attempt(project_, link_, ui_, options_.lookup ? &lookup.lines : nullptr, handshaken,
                                      report_.imageBuilt);
            report_.outcome = outcome_of(sent.step);
            report_.packets = sent.packets;
            report_.bytes = sent.bytes;
            report_.failedBlock = options_.lookup ? -1 : sent.failed;
            report_.failedLine = options_.lookup ? std::max(sent.failed, 0) : 0;
            if (sent.step == DownloadStep::Ok || sent.step == DownloadStep::Interrupted) break;
            if (show(ui_, msg::kRetry) != Answer::Yes) break;
        }
        if (options_.station)
            link_.purge_input();
        else
            link_.close(true);
        return ended(report_.outcome);
    }

private:
    DownloadReport ended(DownloadOutcome outcome) {
        report_.outcome = outcome;
        report_.elapsedMs = link_.now() - start_;
        return report_;
    }
    DownloadReport failed(const MessageText& box, DownloadOutcome outcome) {
        show(ui_, box);
        return ended(outcome);
    }
    // A failure once the port is open: reported, then the port is closed.
    DownloadReport closed(const MessageText& box, DownloadOutcome outcome) {
        show(ui_, box);
        link_.close(true);
        return ended(outcome);
    }

    const Project& project_;
    Link& link_;
    UserInterface& ui_;
    const DownloadOptions& options_;
    const std::uint32_t start_;
    DownloadReport report_;
};

}  // namespace

int result_value(const DownloadReport& report) {
    switch (report.outcome) {
    case DownloadOutcome::Cancelled:
    case DownloadOutcome::LineSettingsFailed: return 0;
    case DownloadOutcome::FileUnreadable:
    case DownloadOutcome::LineTooLong:
    case DownloadOutcome::FileRefused:
    case DownloadOutcome::PortUnavailable:
    case DownloadOutcome::CradleFailed: return -1;
    case DownloadOutcome::Completed:
    case DownloadOutcome::NotReady:
    case DownloadOutcome::MemoryFull:
    case DownloadOutcome::TransferFailed:
    case DownloadOutcome::Interrupted: break;
    }
    return 1;
}

DownloadReport download(const Project& project, Link& link, UserInterface& ui, const DownloadOptions& options,
                        std::string& lookupFileName) {
    return Download(project, link, ui, options).run(lookupFileName);
}

}  // namespace kest
