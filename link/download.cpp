#include "link/download.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "link/cradle_setup.h"
#include "link/exchange.h"

namespace kest {
namespace {

constexpr int kFirstBlockProgress = 5;

// Up to kMaxReply bytes, the CR dropped; the rest of a longer reply is purged before
// the next packet.
constexpr ReplyRules kReplyRules{kMaxReply};

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

// One packet and its reply. Input left over from an earlier exchange is discarded first,
// so that a late reply never answers the next packet.
Reply exchange(Link& link, std::span<const std::uint8_t> bytes) {
    link.purge_input();
    return kest::exchange(link, bytes, kReplyTimeoutMs, kReplyRules);
}

enum class Step { Ok, NotReady, Full, Failed, Interrupted };

DownloadOutcome outcome_of(Step step) {
    switch (step) {
    case Step::Ok: return DownloadOutcome::Completed;
    case Step::NotReady: return DownloadOutcome::NotReady;
    case Step::Full: return DownloadOutcome::MemoryFull;
    case Step::Interrupted: return DownloadOutcome::Interrupted;
    case Step::Failed: break;
    }
    return DownloadOutcome::TransferFailed;
}

Step handshake(Link& link, UserInterface& ui) {
    for (int i = 0; i < kHandshakeTries; ++i) {
        if (link.stop_requested()) return Step::Interrupted;
        if (exchange(link, bytes_of(word::kVelmor)) == word::kAck) return Step::Ok;
    }
    show(ui, msg::kNotReady);
    return Step::NotReady;
}

Step send_packet(Link& link, UserInterface& ui, std::span<const std::uint8_t> packet) {
    for (int i = 0; i < kPacketTransmissions; ++i) {
        if (link.stop_requested()) return Step::Interrupted;
        const Reply reply = exchange(link, packet);
        if (reply == word::kFull) {
            show(ui, msg::kFull);
            return Step::Full;
        }
        if (reply == word::kAck) return Step::Ok;
    }
    show(ui, msg::kFailed);
    return Step::Failed;
}

Step send_application(Project& project, Link& link, UserInterface& ui) {
    const DownloadImage image = prepare_image(project);
    ui.progress_set(kFirstBlockProgress);
    for (int block = 0; block < kImageBlocks; ++block) {
        const Step step = send_packet(link, ui, block_packet(image, block));
        if (step != Step::Ok) return step;
        if (block % 2 == 1) ui.progress_set(std::min(100, kFirstBlockProgress + (block + 1) / 2));
        ui.progress_amount(static_cast<std::uint64_t>(block) + 1, kImageBlocks, "blocks");
    }
    ui.progress_set(100);
    return Step::Ok;
}

Step send_lookup(const std::vector<std::string>& lines, Link& link, UserInterface& ui) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Step step = send_packet(link, ui, lookup_packet(lines[i]));
        if (step != Step::Ok) return step;
        ui.progress_set(static_cast<int>((i + 1) * 100 / lines.size()));
        ui.progress_amount(i + 1, lines.size(), "lines");
    }
    ui.progress_set(100);
    return send_packet(link, ui, bytes_of(word::kOver));
}

Step attempt(Project& project, Link& link, UserInterface& ui, const std::vector<std::string>* lookupLines) {
    const Step shake = handshake(link, ui);
    if (shake != Step::Ok) return shake;
    ui.progress_begin("Fortschritt", "Downloading...");
    const Step step = lookupLines ? send_lookup(*lookupLines, link, ui) : send_application(project, link, ui);
    ui.progress_end();
    if (step == Step::Ok) show(ui, msg::kDone);
    return step;
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

DownloadReport ended(int result, DownloadOutcome outcome) {
    DownloadReport r;
    r.result = result;
    r.outcome = outcome;
    return r;
}

}  // namespace

std::vector<std::uint8_t> block_packet(const DownloadImage& image, int block) {
    const auto* data = image.data() + static_cast<std::size_t>(block) * kBlockSize;
    std::vector<std::uint8_t> packet(data, data + kBlockSize);
    const unsigned sum = byte_sum(packet);
    packet.push_back(static_cast<std::uint8_t>(sum >> 8));
    packet.push_back(static_cast<std::uint8_t>(sum));
    packet.push_back(static_cast<std::uint8_t>(block));
    return packet;
}

std::vector<std::uint8_t> lookup_packet(const std::string& line) {
    std::vector<std::uint8_t> packet(line.begin(), line.end());
    const unsigned sum = byte_sum(packet);
    packet.push_back(line_sum_byte(sum >> 8));
    packet.push_back(line_sum_byte(sum));
    packet.push_back(kCr);
    return packet;
}

DownloadReport download(Project& project, Link& link, UserInterface& ui, const DownloadOptions& options,
                        std::string& lookupFileName) {
    PreparedLookup lookup;
    if (options.lookup) {
        FileDialogRequest request;
        request.filters = {
            {"Lookup data files {*.TXT}", "*.TXT"}, {"CSV-Dateien (*.csv)", "*.csv"}, {"All files {*.*}", "*.*"}};
        request.defaultExtension = "TXT";
        request.initialName = lookupFileName;
        request.mustExist = true;
        const auto chosen = ui.choose_open_file(request);
        if (!chosen) return ended(0, DownloadOutcome::Cancelled);
        lookupFileName = *chosen;
        const auto bytes = read_whole(*chosen);
        if (!bytes) {
            show(ui, msg::kFileUnreadable);
            return ended(-1, DownloadOutcome::FileUnreadable);
        }
        // Refuse a file the terminal cannot take before anything is sent.
        if (options.prepareLookup) {
            lookup = options.prepareLookup(*chosen, *bytes, ui);
        } else {
            lookup = prepare_lookup_file(*bytes, {});
            tell_de(lookup, ui);
        }
        if (lookup.cancelled) return ended(0, DownloadOutcome::Cancelled);
        if (lookup.refused()) {
            const bool tooLong = lookup.problems.front().fault == LookupFault::LineTooLong;
            DownloadReport r = ended(-1, tooLong ? DownloadOutcome::LineTooLong : DownloadOutcome::FileRefused);
            if (tooLong) r.badLine = lookup.problems.front().line;
            r.problems = std::move(lookup.problems);
            return r;
        }
    }

    const std::string port = options.portName.value_or(port_name(project.com.portIndex));
    if (!link.open(port, kInQueue, kDownloadOutQueue)) {
        show(ui, msg::kPortUnavailable);
        return ended(-1, DownloadOutcome::PortUnavailable);
    }
    const int rate = options.rateIndex.value_or(project.com.rateIndex);
    if (rate < 0 || rate >= kRateCount) {
        // A rate outside the list cannot be set on the line.
        show(ui, msg::kLineSettings);
        link.close(true);
        return ended(0, DownloadOutcome::LineSettingsFailed);
    }
    link.set_line(rate);
    if (options.cradle && !cradle_setup(link, rate, kGeneratorCradle, &ui)) {
        show(ui, msg::kCradleFailed);
        link.close(true);
        return ended(-1, DownloadOutcome::CradleFailed);
    }
    if (!link.apply()) {
        show(ui, msg::kLineSettings);
        link.close(true);
        return ended(0, DownloadOutcome::LineSettingsFailed);
    }

    DownloadReport report = ended(1, DownloadOutcome::Completed);
    for (;;) {
        ++report.attempts;
        const Step step = attempt(project, link, ui, options.lookup ? &lookup.lines : nullptr);
        report.outcome = outcome_of(step);
        if (step == Step::Ok || step == Step::Interrupted) break;
        if (show(ui, msg::kRetry) != Answer::Yes) break;
    }
    link.close(true);
    return report;
}

}  // namespace kest
