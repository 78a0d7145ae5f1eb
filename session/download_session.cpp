#include "session/download_session.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "link/cradle_setup.h"
#include "link/exchange.h"
#include "project/download_image.h"

namespace kest {
namespace {

constexpr std::size_t kLookupChunk = 128;

// The messages of the download.
namespace msg {
constexpr MessageText kFileUnreadable{
    "Datei kann nicht ge\xF6"
    "ffnet werden!",
    "Fehler"};
constexpr MessageText kLineTooLong{"", "Fehler"};  // long_line_text()
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

std::string long_line_text(int line) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "Zeile %d der Lookupdatei ist zu lang (h\xF6"
                  "chstens %d Zeichen; Zeilenende CR LF, CR oder LF)!",
                  line, static_cast<int>(kMaxLookupLine));
    return text;
}

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

// Feeds the file from its start to lines in chunks of kLookupChunk bytes; afterChunk gets the
// bytes read so far. Stops at the first line the lines refuse.
bool read_lines(std::istream& in, LookupLines& lines, const std::function<void(std::uintmax_t)>& afterChunk) {
    in.clear();
    in.seekg(0);
    std::uintmax_t total = 0;
    char chunk[kLookupChunk];
    for (;;) {
        in.read(chunk, sizeof chunk);
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        total += got;
        if (!lines.feed({reinterpret_cast<const std::uint8_t*>(chunk), got})) return false;
        afterChunk(total);
    }
    return lines.finish();
}

std::uintmax_t file_size(std::istream& in) {
    in.clear();
    in.seekg(0, std::ios::end);
    const auto end = in.tellg();
    in.seekg(0);
    return end > 0 ? static_cast<std::uintmax_t>(end) : 0;
}

// Every attempt reads the file from its start; the bar follows the bytes read.
Sent send_lookup(std::istream& file, Link& link, UserInterface& ui) {
    Sent sent;
    const std::uintmax_t size = file_size(file);
    if (size > 0) {
        LookupLines lines([&](const std::string& line) {
            sent.step = send_packet(link, lookup_packet(line));
            if (sent.step != DownloadStep::Ok) {
                sent.failed = sent.packets + 1;
                return false;
            }
            ++sent.packets;
            sent.bytes += line.size();
            return true;
        });
        const bool whole = read_lines(file, lines, [&](std::uintmax_t done) {
            ui.progress_set(static_cast<int>(done * 100 / size));
            ui.progress_amount(done, size, "bytes");
        });
        if (!whole) {
            // The file grew an over-long line since it was checked.
            if (lines.too_long()) {
                show(ui, msg::kLineTooLong, long_line_text(lines.too_long()));
                sent.step = DownloadStep::Failed;
                sent.failed = lines.too_long();
                return sent;
            }
            reported(ui, sent.step);
            return sent;
        }
    }
    ui.progress_set(100);
    sent.step = reported(ui, send_packet(link, bytes_of(word::kOver)));
    return sent;
}

Sent send_application(Project& project, Link& link, UserInterface& ui) {
    const DownloadImage image = prepare_image(project);
    UiProgress progress(ui);
    const ImageSent r = send_image(link, image, progress);
    Sent sent{reported(ui, r.step), r.blocks, static_cast<std::uint64_t>(r.blocks) * kBlockSize};
    if (r.step != DownloadStep::Ok) sent.failed = r.blocks;
    return sent;
}

Sent attempt(Project& project, Link& link, UserInterface& ui, std::istream* lookupFile) {
    const DownloadStep shake = reported(ui, handshake(link));
    if (shake != DownloadStep::Ok) return {shake};
    ui.progress_begin("Fortschritt", "Downloading...");
    const Sent sent = lookupFile ? send_lookup(*lookupFile, link, ui) : send_application(project, link, ui);
    ui.progress_end();
    if (sent.step == DownloadStep::Ok) show(ui, msg::kDone);
    return sent;
}

// The command's steps up to the first attempt, then the attempts.
class Download {
public:
    Download(Project& project, Link& link, UserInterface& ui, const DownloadOptions& options)
        : project_(project), link_(link), ui_(ui), options_(options), start_(link.now()) {}

    DownloadReport run(std::string& lookupFileName) {
        std::ifstream lookupFile;
        if (options_.lookup) {
            FileDialogRequest request;
            request.filters = {{"Lookup data files {*.TXT}", "*.TXT"}, {"All files {*.*}", "*.*"}};
            request.defaultExtension = "TXT";
            request.initialName = lookupFileName;
            request.mustExist = true;
            const auto chosen = ui_.choose_open_file(request);
            if (!chosen) return ended(DownloadOutcome::Cancelled);
            lookupFileName = *chosen;
            report_.path = *chosen;
            std::error_code ec;
            if (!std::filesystem::is_directory(*chosen, ec)) lookupFile.open(*chosen, std::ios::binary);
            if (!lookupFile.is_open()) return failed(msg::kFileUnreadable, DownloadOutcome::FileUnreadable);
            // Refuse a file the terminal cannot take before anything is sent.
            LookupLines check([](const std::string&) { return true; });
            if (!read_lines(lookupFile, check, [](std::uintmax_t) {})) {
                show(ui_, msg::kLineTooLong, long_line_text(check.too_long()));
                report_.badLine = check.too_long();
                return ended(DownloadOutcome::LineTooLong);
            }
        }

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

        for (;;) {
            ++report_.attempts;
            const Sent sent = attempt(project_, link_, ui_, options_.lookup ? &lookupFile : nullptr);
            report_.outcome = outcome_of(sent.step);
            report_.packets = sent.packets;
            report_.bytes = sent.bytes;
            report_.failedBlock = options_.lookup ? -1 : sent.failed;
            report_.failedLine = options_.lookup ? std::max(sent.failed, 0) : 0;
            if (sent.step == DownloadStep::Ok || sent.step == DownloadStep::Interrupted) break;
            if (show(ui_, msg::kRetry) != Answer::Yes) break;
        }
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

    Project& project_;
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

DownloadReport download(Project& project, Link& link, UserInterface& ui, const DownloadOptions& options,
                        std::string& lookupFileName) {
    return Download(project, link, ui, options).run(lookupFileName);
}

}  // namespace kest
